#!/usr/bin/python3
"""The element in headless Chromium against dorvane-web, one check a row:
resuming after a dropped socket and a new session after a server restart, a
page of another origin, a forbidden source's message box, an oversized
frame, forged and expired tickets, host properties and `change` events, Tab
leaving the element at its ends (also typed ahead of the answers) and a
click bringing the focus back, IME composition over HTTPS and WSS with
--tls, and a screenshot. (What the element draws is checked by every
scenario in web.scenarios.)

    browser_test.py BUILD_DIR [SCREENSHOT.png]"""

import http.server
import os
import subprocess
import sys
import tempfile
import threading
import types

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import delay_proxy  # noqa: E402
import web_browser  # noqa: E402

READY = "el && el.link && el.link.ready && el.settled && el.host.IsListOK !== undefined"


def open_page(t, **query):
    t.driver.get(t.server.url(**query))
    return t.page.wait(READY)


def reconnect(t):
    """A dropped socket resumes the session; after a server restart a new one gets PathText."""
    proxy_port = delay_proxy.start("127.0.0.1", t.server.port, 0)
    t.driver.get(t.server.url(port=proxy_port, source="acme", ticket=web_browser.ticket()))
    t.page.wait(READY)
    t.page.focus()
    first = t.page.element("el.link.session")
    t.page.press(["A"])
    t.page.type("12")
    t.page.wait("el.settled")
    delay_proxy.drop_all()
    t.page.type("3")
    resumed = t.page.wait("el.settled && el.link.session === %r && el.link.ready" % first)
    text = t.page.element("el.picture.controls.find((c) => c.name === 'txtCONO').text")
    if not resumed or text.strip() != "12":
        return False, "after the drop: session %s, company box %r" % (resumed, text)
    t.server.stop()
    t.server = web_browser.WebServer(t.build, t.sources, port=t.server.port)
    restarted = t.page.wait("el.link.ready && el.link.session !== %r && el.settled && "
                            "el.host.PathText === 'acme'" % first, 20)
    status = t.page.element("[el.statusLine.textContent, el.link.ready, el.pending.length, "
                            "el.renderedSeq, el.receivedSeq, el.host.PathText]")
    return bool(restarted) and "restarted" in status[0], status


def centred(t, dialog):
    """Whether the open `dialog` lies centred over the element (or as near as the window lets)."""
    return t.page.element(
        "(() => { const d = el.shadowRoot.querySelector(%r).getBoundingClientRect();"
        " const e = el.getBoundingClientRect(); const mid = (r) => [r.left + r.width / 2,"
        " r.top + r.height / 2]; const [a, b] = [mid(d), mid(e)];"
        " return Math.abs(a[0] - b[0]) <= 1 && (Math.abs(a[1] - b[1]) <= 1 || d.top === 0); })()"
        % dialog)


def refused_origin(t):
    """A page of another origin is refused before the upgrade."""
    site = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), lambda *a: http.server.SimpleHTTPRequestHandler(
            *a, directory=os.path.join(os.path.join(web_browser.ROOT, "tests", "web"), "site")))
    threading.Thread(target=site.serve_forever, daemon=True).start()
    try:
        t.driver.get("http://127.0.0.1:%d/nothing.html" % site.server_address[1])
        script = """const done = arguments[arguments.length - 1];
          const socket = new WebSocket('ws://127.0.0.1:%d/session');
          socket.onopen = () => done('opened');
          socket.onclose = (e) => done('closed ' + e.code);""" % t.server.port
        outcome = t.driver.execute_async_script(script)
    finally:
        site.shutdown()
    return outcome.startswith("closed"), outcome


def forbidden_source(t):
    """A source the ticket does not allow names no path; Enter answers its box, a page dialog."""
    open_page(t, source="other", ticket=web_browser.ticket(sources=["acme"]))
    box = t.page.wait("el.picture.boxes.length && el.picture.boxes[0].prompt")
    shown = t.page.wait("el.shadowRoot.querySelector('dialog.msgbox[open] .box-text').textContent")
    box_centred = centred(t, "dialog.msgbox[open]")
    t.page.press(["Enter"])
    answered = t.page.wait("el.settled && el.picture.boxes.length === 0 && "
                           "!el.shadowRoot.querySelector('dialog.msgbox')")
    ok = bool(box) and "MAIN.MDB" in box and t.work not in box and "/" not in box
    return (ok and shown == box.replace("\r\n", "\n") and answered and box_centred,
            (box, shown, answered, box_centred))


def oversized_frame(t):
    """A frame over 8 KiB closes the socket with 1009."""
    open_page(t, source="acme", ticket=web_browser.ticket())
    t.page.element("el.link.socket.send(JSON.stringify({type: 'text', n: 99, text: 'x'.repeat(9000)}))")
    code = t.page.wait("el.link.closeCode")
    return code == 1009, code


def bad_tickets(t):
    """A forged ticket and an expired one are refused with 1008 and a message."""
    found = []
    for name, text in (("forged", web_browser.ticket(secret="not-the-server-secret-000")),
                       ("expired", web_browser.ticket(seconds=-60))):
        t.driver.get(t.server.url(source="acme", ticket=text))
        closed = t.page.wait("el && el.link && el.link.closed && el.statusLine.textContent")
        code = t.page.element("el.link.closeCode")
        found.append("%s: %s %s" % (name, code, closed))
        if code != 1008 or not closed or "ticket" not in closed.lower():
            return False, found
    return True, found


def host_properties(t):
    """Host property writes resolve once applied; the range's change fires an event."""
    open_page(t, source="acme", ticket=web_browser.ticket(), today="2024-03-06")
    found = t.driver.execute_async_script("""const done = arguments[arguments.length - 1];
      const el = document.querySelector('dorvane-control');
      const events = [];
      el.addEventListener('change', (e) => events.push(e.detail.what));
      (async () => {
        let refused = '';
        await el.set('SelectedBPETAG', 'two').catch((e) => { refused = e.name; });
        await el.set('SelectedBPETAG', 2);
        await el.set('SelectedEPETAG', 3);
        await new Promise((r) => setTimeout(r, 200));
        done([refused, el.SelectedBPETAG, el.SelectedEPETAG, el.ArePEDatesOK,
              !!el.SelectedBPEDATE, events.includes('range')]);
      })();""")
    return found == ["TypeError", 2, 3, True, True, True], found


def list_changes(t):
    """Each row added or deleted fires one list `change`; the search opens centred over it."""
    open_page(t, source="acme", ticket=web_browser.ticket(), today="2024-03-06")
    t.page.js("const el = document.querySelector('dorvane-control'); window.changes = 0;"
              "el.addEventListener('change', (e) => { window.changes += e.detail.what === 'list'; });")
    t.page.focus()
    found = []
    for step in ("A 5", "cmdUpdate", "A 7", "cmdUpdate", "CmdDelete"):
        t.page.js("window.changes = 0")
        if step.startswith("A"):
            t.page.press(["A"])
            t.page.type(step[2:])
        else:
            t.page.click("ztDorvane", step)
        t.page.wait("el.settled")
        found.append((step, t.page.js("return window.changes"), t.page.element("el.IsListOK")))
    # The company search, a dialog of the element, opens over it.
    t.page.press(["A", "?"])
    t.page.wait("el.settled && el.picture.modalForms.length === 1")
    found.append(centred(t, "dialog[open]"))
    return [c for _, c, _ in found[:-1]] == [1] * 5 and found[-2][2] and found[-1], found


def tab_out(t):
    """Tab on the last tab stop moves the page's focus to its field after the
    element, Shift+Tab on the first to the one before; Shift+Tab from the
    field after comes back in at the last stop."""
    open_page(t, source="acme", ticket=web_browser.ticket(), today="2024-03-06", around=1)
    where = ("(document.activeElement === el ? 'el:' + el.picture.focusControl : "
             "document.activeElement.id)")
    t.page.js("document.getElementById('before').focus()")
    found = []

    def press_until_out(key):
        for _ in range(12):
            t.page.press([key])
            t.page.wait("el.settled")
            found.append(t.page.element(where))
            if not found[-1].startswith("el:"):
                return found[-1]

    left = press_until_out("Tab")
    stops = found[:-1]
    came_back = press_until_out("Shift+Tab")
    ok = len(set(stops)) >= 3 and left == "after" and came_back == "before"
    ok = ok and found[len(stops) + 1] == stops[-1]
    # Typed ahead of the answers (a 100 ms round trip): Shift+Tab from the field
    # after comes in where a fresh control puts the focus, its first stop, and
    # the Shift+Tab right behind it (the server decides) leaves for the field before.
    slow = delay_proxy.start("127.0.0.1", t.server.port, 50)
    open_page(t, port=slow, source="acme", ticket=web_browser.ticket(), today="2024-03-06", around=1)
    t.page.focus()
    t.page.js("document.getElementById('after').focus()")
    t.page.wait("el.settled && el.away")
    t.page.press(["Shift+Tab", "Shift+Tab"])
    t.page.wait("el.settled")
    found.append(t.page.element(where))
    ok = ok and found[-1] == "before"
    # A click on the control (a label: it takes no focus itself) brings the focus back.
    container = t.page.element("el.picture.controls.find((c) => c.name === 'lblHCONO').container")
    t.page.click(container, "lblHCONO")
    t.page.wait("el.settled")
    found.append(t.page.element(where))
    return ok and found[-1].startswith("el:"), found


def composition_over_tls(t):
    """With --tls the page, the element's files and the session come over HTTPS
    and WSS; composed text (not keys) goes in as text and comes back from the server."""
    cert, key = (os.path.join(t.work, name) for name in ("cert.pem", "key.pem"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                    "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, capture_output=True)
    server = web_browser.WebServer(t.build, t.sources, args=["--tls", cert, key])
    t.driver.execute_cdp_cmd("Security.setIgnoreCertificateErrors", {"ignore": True})
    try:
        url = server.url(source="acme", ticket=web_browser.ticket(), today="2024-03-06")
        t.driver.get(url.replace("http://", "https://"))
        t.page.wait(READY)
        t.page.focus()
        t.page.press(["Alt+S"])
        t.page.wait("el.settled && el.picture.focusControl === 'txtTJLNAME'")
        t.driver.execute_cdp_cmd("Input.imeSetComposition",
                                 {"text": "にほん", "selectionStart": 3, "selectionEnd": 3})
        t.driver.execute_cdp_cmd("Input.insertText", {"text": "日本"})
        text = "el.picture.controls.find((c) => c.name === 'txtTJLNAME').text.trim()"
        t.page.wait("el.settled && %s === '日本'" % text)
        found = [t.page.element("el.link.url"), t.page.element(text)]
        return found[0].startswith("wss://") and found[1] == "日本", found
    finally:
        t.driver.execute_cdp_cmd("Security.setIgnoreCertificateErrors", {"ignore": False})
        server.stop()


def screenshot(t):
    """The drawn control: the surface colour and white text boxes where the
    picture puts them."""
    open_page(t, source="acme", ticket=web_browser.ticket(), today="2024-03-06")
    t.page.focus()
    path = t.screenshot or os.path.join(t.work, "element.png")
    el = t.driver.execute_script("return document.querySelector('dorvane-control')")
    el.screenshot(path)
    size = os.path.getsize(path)
    box = t.page.element("(() => { const b = el.picture.controls.find((c) => c.kind === 'TextBox');"
                         " const n = el.shadowRoot.querySelector('input'); "
                         "const r = n.getBoundingClientRect(), h = el.getBoundingClientRect();"
                         " return [r.left - h.left + r.width / 2, r.top - h.top + r.height / 2,"
                         " getComputedStyle(n).backgroundColor]; })()")
    return size > 2000 and box[2] == "rgb(255, 255, 255)", "%d bytes, a text box %s" % (size, box)


CHECKS = [reconnect, refused_origin, forbidden_source, oversized_frame, bad_tickets,
          host_properties, list_changes, tab_out, composition_over_tls, screenshot]


def main():
    t = types.SimpleNamespace()
    t.build = os.path.abspath(sys.argv[1])
    t.screenshot = sys.argv[2] if len(sys.argv) > 2 else None
    t.work = tempfile.mkdtemp(prefix="dorvane-browser-")
    options = ["--companies", "12", "--jobs", "60", "--list", "3", "--today", "2024-03-06"]
    t.sources = {"acme": web_browser.make_folder(t.build, os.path.join(t.work, "acme"), *options),
                 "other": web_browser.make_folder(t.build, os.path.join(t.work, "other"), *options)}
    t.server = web_browser.WebServer(t.build, t.sources)
    t.driver = web_browser.start_browser()
    t.page = web_browser.Page(t.driver)
    checks = web_browser.Checks()
    try:
        for check in CHECKS:
            try:
                ok, detail = check(t)
            except Exception as error:  # a check that breaks fails, the others still run
                ok, detail = False, "%s: %s" % (type(error).__name__, error)
            checks.check(check.__name__ + ": " + check.__doc__.split(";")[0].split(".")[0], ok,
                         detail)
    finally:
        t.driver.quit()
        t.server.stop()
    return checks.status()


if __name__ == "__main__":
    sys.exit(main())
