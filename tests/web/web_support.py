"""What the browser tests share: a dorvane-web server of their own (a
configuration written to a temporary folder, 127.0.0.1 and a free port, the
test pages of tests/web/site), data folders made with dorvane-data, tickets
signed like the server's, and a checklist that reports every failed check."""

import base64
import hashlib
import hmac
import json
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import web_browser  # noqa: E402,F401  (re-exported for the tests)

SECRET = "browser-tests-secret-0123456789"


def b64url(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode()


def ticket(user="clerk", sources=("acme",), seconds=3600, secret=SECRET):
    """A ticket as the embedding site's server mints it."""
    payload = json.dumps({"user": user, "sources": list(sources),
                          "exp": int(time.time()) + seconds}).encode()
    signature = hmac.new(secret.encode(), payload, hashlib.sha256).digest()
    return b64url(payload) + "." + b64url(signature)


class WebServer:
    """dorvane-web on 127.0.0.1 with `sources` (name -> folder)."""

    def __init__(self, build, sources, port=0, args=(), **extra):
        self.build = build
        self.work = tempfile.mkdtemp(prefix="dorvane-web-test-")
        config = {"listen": "127.0.0.1:%d" % port, "secret": SECRET, "sources": sources,
                  "testMode": True}
        config.update(extra)
        self.config = os.path.join(self.work, "web.json")
        with open(self.config, "w") as out:
            json.dump(config, out)
        self.process = subprocess.Popen(
            [os.path.join(build, "bin", "dorvane-web"), "--config", self.config,
             "--site", os.path.join(HERE, "site")] + list(args),
            stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        found = re.search(r"https?://([0-9.]+):(\d+)/", line)
        if not found:
            raise RuntimeError("dorvane-web did not start: " + line)
        self.port = int(found.group(2))

    def url(self, port=None, **query):
        """The test page on this server (or through a proxy's port)."""
        text = "&".join("%s=%s" % item for item in query.items())
        return "http://127.0.0.1:%d/index.html?%s" % (port or self.port, text)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=30)


def make_folder(build, folder, *options):
    """A data folder made by dorvane-data init."""
    subprocess.run([os.path.join(build, "bin", "dorvane-data"), "init", folder] + list(options),
                   check=True, stdout=subprocess.DEVNULL)
    return folder


class Checks:
    """A list of named checks; a failed one is printed and counted."""

    def __init__(self):
        self.failed = 0

    def check(self, name, ok, detail=""):
        print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + str(detail)), flush=True)
        if not ok:
            self.failed += 1

    def status(self):
        print("%d checks failed" % self.failed if self.failed else "all checks passed")
        return 1 if self.failed else 0
