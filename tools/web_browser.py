"""A headless Chromium driven through chromium-driver and Selenium, for the
browser tests, tools/web-replay and tools/web-screenshot.py: real key and
mouse events on a <dorvane-control> element, and what the element draws read
back from its shadow DOM; a dorvane-web of its own on 127.0.0.1 serving the
test page of tests/web/site, tickets signed like the server's, data folders
made with dorvane-data, and a checklist that reports every failed check. Run
with Debian's /usr/bin/python3 (python3-selenium)."""

import base64
import hashlib
import hmac
import json
import os
import re
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SECRET = "browser-tests-secret-0123456789"
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"

# Key names of the script language and the keys Selenium sends for them.
NAMED_KEYS = {
    "enter": Keys.ENTER, "tab": Keys.TAB, "esc": Keys.ESCAPE, "backspace": Keys.BACKSPACE,
    "space": Keys.SPACE, "delete": Keys.DELETE, "insert": Keys.INSERT, "up": Keys.ARROW_UP,
    "down": Keys.ARROW_DOWN, "left": Keys.ARROW_LEFT, "right": Keys.ARROW_RIGHT,
    "home": Keys.HOME, "end": Keys.END, "pageup": Keys.PAGE_UP, "pagedown": Keys.PAGE_DOWN,
    "numadd": Keys.ADD, "numsub": Keys.SUBTRACT, "nummul": Keys.MULTIPLY,
    "numdiv": Keys.DIVIDE, "numdot": Keys.DECIMAL,
}
NAMED_KEYS.update({"f%d" % i: getattr(Keys, "F%d" % i) for i in range(1, 13)})
NAMED_KEYS.update({"num%d" % i: getattr(Keys, "NUMPAD%d" % i) for i in range(10)})
MODIFIERS = {"shift+": Keys.SHIFT, "ctrl+": Keys.CONTROL, "alt+": Keys.ALT}
# Characters of `type` that stand for keys.
TYPED_KEYS = {"\r": Keys.ENTER, "\n": Keys.ENTER, "\t": Keys.TAB, "\b": Keys.BACKSPACE,
              "\x1b": Keys.ESCAPE}

# Finds the node an element draws for one control (arguments: the element's
# selector, the container and the control's name); the scripts below return
# null when there is none.
FIND_CONTROL = """
const [selector, container, name] = arguments;
const el = document.querySelector(selector);
const node = [...el.shadowRoot.querySelectorAll('[data-name]')]
  .find((n) => n.dataset.name === name && n.dataset.container === container);
if (!node) return null;
"""

# Reads what an element draws for one control.
READ_CONTROL = FIND_CONTROL + """
const style = getComputedStyle(node);
const drawn = { left: parseInt(node.style.left), top: parseInt(node.style.top),
  width: parseInt(node.style.width), height: parseInt(node.style.height),
  back: style.backgroundColor, focused: el.shadowRoot.activeElement === node };
if (node.tagName === 'INPUT') {
  drawn.kind = 'TextBox'; drawn.text = node.value; drawn.enabled = !node.disabled;
  drawn.sel = [node.selectionStart, node.selectionEnd];
} else if (node.tagName === 'BUTTON') {
  drawn.kind = 'CommandButton'; drawn.enabled = !node.disabled;
  drawn.picture = node.querySelector('svg') !== null;
  drawn.text = [...(node.querySelector('.cap') || node).childNodes].map((c) => c.nodeName === 'U' ? '&' + c.textContent
    : c.textContent.replace(/&/g, '&&')).join('');
} else if (node.classList.contains('sb')) {
  drawn.kind = 'HScrollBar'; drawn.enabled = node.getAttribute('aria-disabled') !== 'true';
} else {
  drawn.kind = 'Label'; drawn.text = node.textContent; drawn.enabled = !node.classList.contains('off');
}
return drawn;
"""

# The centre of a control in the viewport and whether a click there reaches
# it; null when the element draws no such control.
LOCATE_CONTROL = FIND_CONTROL + """
const r = node.getBoundingClientRect();
const x = r.left + r.width / 2, y = r.top + r.height / 2;
const hit = el.shadowRoot.elementFromPoint(x, y);
return { x, y, disabled: !!node.disabled || node.classList.contains('off'),
         reaches: hit === node || node.contains(hit),
         hit: hit ? hit.tagName + '.' + hit.className + ' ' + (hit.dataset.name || '') +
                    ' ' + el.statusLine.textContent + ' ' + el.link.closeCode : 'nothing' };
"""


def ticket(user="clerk", sources=("acme",), seconds=3600, secret=SECRET):
    """A ticket as the embedding site's server mints it."""
    payload = json.dumps({"user": user, "sources": list(sources),
                          "exp": int(time.time()) + seconds}).encode()
    signature = hmac.new(secret.encode(), payload, hashlib.sha256).digest()
    return ".".join(base64.urlsafe_b64encode(part).rstrip(b"=").decode()
                    for part in (payload, signature))


class WebServer:
    """dorvane-web on 127.0.0.1 with `sources` (name -> folder), signing with
    SECRET and serving the test page."""

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
             "--site", os.path.join(ROOT, "tests", "web", "site")] + list(args),
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
    """A list of named checks; each is printed ok or FAIL, a failed one counted."""

    def __init__(self):
        self.failed = 0

    def check(self, name, ok, detail=""):
        """Prints the check's line; whether it passed."""
        print(("ok   " if ok else "FAIL ") + name + ("" if ok or detail == "" else ": " + str(detail)),
              flush=True)
        self.failed += 0 if ok else 1
        return ok

    def status(self):
        print("%d checks failed" % self.failed if self.failed else "all checks passed")
        return 1 if self.failed else 0


def start_browser(width=1280, height=1000):
    """A headless Chromium at 96 dpi with a window of width x height."""
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                     "--disable-dev-shm-usage", "--force-device-scale-factor=1",
                     "--window-size=%d,%d" % (width, height), "--lang=en-US",
                     "--font-render-hinting=none"):
        options.add_argument(argument)
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def color_of(stored):
    """The CSS rgb() text of a stored colour, as the element computes it."""
    if stored & 0x80000000:
        rgb = {5: (255, 255, 255), 8: (0, 0, 0), 18: (0, 0, 0), 16: (128, 128, 128)}
        r, g, b = rgb.get(stored & 0xFF, (192, 192, 192))
    else:
        r, g, b = stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF
    return "rgb(%d, %d, %d)" % (r, g, b)


def pixels(twips):
    """Whole pixels of twips, rounded half away from zero."""
    value = abs(twips) / 15.0
    whole = int(value + 0.5)
    return -whole if twips < 0 else whole


def utf16_offset(text, count):
    """UTF-16 units of the first count characters of text."""
    return sum(2 if ord(ch) > 0xFFFF else 1 for ch in text[:count])


class Page:
    """One page with <dorvane-control> elements, reached by CSS selector."""

    def __init__(self, driver, selector="dorvane-control"):
        self.driver = driver
        self.selector = selector

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def element(self, expression):
        """The value of a JavaScript expression of the element `el`."""
        return self.js("const el = document.querySelector(arguments[0]); return " + expression,
                       self.selector)

    def last_sent(self):
        return self.element("el.lastSent")

    def wait(self, expression, seconds=10.0):
        """Waits until the expression of `el` is true; its value, or False."""
        end = time.time() + seconds
        while True:
            value = self.element(expression)
            if value or time.time() > end:
                return value
            time.sleep(0.01)

    def focus(self):
        self.element("el.focus()")

    def press(self, words):
        """The keys of a `press` command as real key events."""
        actions = ActionChains(self.driver)
        for word in words:
            held = []
            rest = word
            while True:
                prefix = next((p for p in MODIFIERS if rest.lower().startswith(p) and
                               len(rest) > len(p)), None)
                if prefix is None:
                    break
                held.append(MODIFIERS[prefix])
                rest = rest[len(prefix):]
            key = rest if len(rest) == 1 else NAMED_KEYS[rest.lower()]
            for modifier in held:
                actions.key_down(modifier)
            actions.send_keys(key)
            for modifier in reversed(held):
                actions.key_up(modifier)
        actions.perform()

    def type(self, text, per_second=None):
        """The characters of text as the keys that give them, each at once or
        at per_second characters a second."""
        keys = [TYPED_KEYS.get(ch, ch) for ch in text]
        if per_second is None:
            ActionChains(self.driver).send_keys(*keys).perform()
            return
        for key in keys:
            start = time.time()
            ActionChains(self.driver).send_keys(key).perform()
            time.sleep(max(0.0, 1.0 / per_second - (time.time() - start)))

    def click(self, container, name, twice=False):
        """A real mouse click (or double click) in the middle of a control:
        None when it was made, else why not ("absent", "disabled",
        "covered")."""
        spot = self.js(LOCATE_CONTROL, self.selector, container, name)
        if spot is None:
            return "absent"
        if spot["disabled"]:
            return "disabled"
        if not spot["reaches"]:
            return "covered by " + spot["hit"]
        mouse = {"x": spot["x"], "y": spot["y"], "button": "left"}
        self.driver.execute_cdp_cmd("Input.dispatchMouseEvent", dict(mouse, type="mouseMoved"))
        for count in ((1, 2) if twice else (1,)):
            for kind in ("mousePressed", "mouseReleased"):
                self.driver.execute_cdp_cmd("Input.dispatchMouseEvent",
                                            dict(mouse, type=kind, clickCount=count))
        return None

    def drawn(self, container, name):
        return self.js(READ_CONTROL, self.selector, container, name)

    def check_shown(self, expect, seconds=3.0):
        """Waits until the page draws the control as the model has it; the
        differences still left after `seconds` (an empty list when none)."""
        end = time.time() + seconds
        while True:
            problems = self.differences(expect, self.drawn(expect["container"], expect["name"]))
            if not problems or time.time() > end:
                return problems
            time.sleep(0.02)

    def differences(self, expect, drawn):
        name = expect["name"]
        if drawn is None:
            return ["%s is visible but not drawn" % name] if expect["visible"] else []
        if not expect["visible"]:
            return ["%s is hidden but drawn" % name]
        want = {"kind": expect["kind"], "enabled": expect["enabled"],
                "left": pixels(expect["left"]), "top": pixels(expect["top"]),
                "width": max(1, pixels(expect["width"])),
                "height": max(1, pixels(expect["height"]))}
        if expect["kind"] in ("TextBox", "Label"):
            want["back"] = color_of(expect["back"])
        if "text" in expect and not drawn.get("picture"):
            want["text"] = expect["text"]
        if expect["focused"]:
            want["focused"] = True
        if expect["focused"] and expect["kind"] == "TextBox":
            text = expect["text"]
            start = utf16_offset(text, expect["selStart"])
            want["sel"] = [start, utf16_offset(text, expect["selStart"] + expect["selLength"])]
        return ["%s %s: the page draws %s, the model has %s" %
                (name, key, json.dumps(drawn.get(key)), json.dumps(value))
                for key, value in want.items() if drawn.get(key) != value]
