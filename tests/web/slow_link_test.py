#!/usr/bin/python3
"""The same keys typed at 10 a second straight to dorvane-web and through a
proxy that delays each way by 50 ms leave the same picture and host
properties; on the slow link a typed character shows at once and a refused
one goes when the answer comes. Prints key-to-paint times (bench/README.md).

    slow_link_test.py BUILD_DIR"""

import json
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import delay_proxy  # noqa: E402
import web_browser  # noqa: E402

# The keys, one a tenth of a second: a job added through the company search
# (type-ahead "12") and the job search (type-ahead "e"), one typed into the
# entry boxes, then a date typed and stepped with "+" (which never reaches
# the box). "wait" lets every answer come first; "shows X" types X and checks
# at once that the focused box shows it, "refused X" also that it is gone
# once the control has answered; "click NAME" clicks a control.
KEYS = ["A", "?", "1", "2", "Enter", "Tab", "/", "e", "Enter", "Enter", "Enter",
        "A", "wait", "shows 1", "Backspace", "2", "Enter", "j", "k", "Backspace", "Backspace",
        "/", "Down", "Enter", "Enter", "Enter", "wait",
        "click txtBPEDATE", "wait", "shows 0", "3", "0", "1", "2", "0", "2", "4", "refused +",
        "Tab"]

STATE = "JSON.stringify({picture: el.picture, host: el.host})"
FOCUSED_VALUE = "el.shadowRoot.activeElement ? el.shadowRoot.activeElement.value : null"


def type_keys(page, checks, label):
    """Types KEYS at 10 a second; the final state once everything is answered."""
    for step in KEYS:
        word = step.split(" ")[-1]
        if step == "wait":
            page.wait("el.settled")
            continue
        if step.startswith("click"):
            page.click("ztDorvane", word)
            continue
        before = page.element(FOCUSED_VALUE) or ""
        start = time.time()
        if len(word) == 1:
            page.type(word)
        else:
            page.press([word])
        # Read what the box shows right after the key, before the answer can
        # come back over the slow link; then keep the pace of 10 keys a second.
        if step.startswith(("shows", "refused")) and label == "slow":
            now = page.element(FOCUSED_VALUE) or ""
            checks.check("%s: %r shows at once" % (label, word), now.endswith(word),
                         "%r became %r (%s)" % (before, now, page.element(
                             "JSON.stringify([el.picture.focusControl, el.picture.boxes, el.pending])")))
        time.sleep(max(0.0, 0.1 - (time.time() - start)))
        if step.startswith("refused"):
            page.wait("el.settled")
            now = page.element(FOCUSED_VALUE) or ""
            checks.check("%s: the refused %r is gone" % (label, word), word not in now, now)
    if not page.wait("el.settled", 30):
        checks.check(label + ": every key answered", False, "still waiting after 30 s")
    return json.loads(page.element(STATE))


def main():
    build = os.path.abspath(sys.argv[1])
    checks = web_browser.Checks()
    work = tempfile.mkdtemp(prefix="dorvane-slow-link-")
    options = ["--companies", "12", "--jobs", "60", "--list", "2", "--today", "2024-03-06"]
    sources = {name: web_browser.make_folder(build, os.path.join(work, name), *options)
               for name in ("direct", "slow")}
    server = web_browser.WebServer(build, sources)
    proxy_port = delay_proxy.start("127.0.0.1", server.port, 50)
    driver = web_browser.start_browser()
    page = web_browser.Page(driver)
    results = {}
    try:
        for name, port in (("direct", server.port), ("slow", proxy_port)):
            driver.get(server.url(port=port, source=name, ticket=web_browser.ticket(
                sources=[name]), today="2024-03-06"))
            page.wait("el && el.link && el.link.ready && el.settled && el.host.IsListOK !== undefined")
            page.focus()
            results[name] = type_keys(page, checks, name)
            for figure, what in (("keyToPaint", "key to the painted answer"),
                                 ("keyToGuess", "typed character to its painted guess")):
                times = sorted(page.element("el." + figure))
                if not times:
                    continue
                pick = lambda q: times[min(len(times) - 1, int(q * len(times)))]  # noqa: E731
                print("%s, %s: p50 %.1f ms, p95 %.1f ms over %d keys" %
                      (name, what, pick(0.5), pick(0.95), len(times)))
        direct, slow = results["direct"], results["slow"]
        for part in ("controls", "focusControl", "modalForms", "boxes"):
            checks.check("the slow link leaves the same " + part,
                         direct["picture"][part] == slow["picture"][part],
                         json.dumps(slow["picture"][part])[:400])
        same_host = {k: v for k, v in direct["host"].items() if k != "PathText"}
        checks.check("the slow link leaves the same host properties",
                     same_host == {k: v for k, v in slow["host"].items() if k != "PathText"},
                     slow["host"])
    finally:
        driver.quit()
        server.stop()
    return checks.status()


if __name__ == "__main__":
    sys.exit(main())
