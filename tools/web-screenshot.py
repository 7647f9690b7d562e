#!/usr/bin/python3
"""web-screenshot.py BUILD OUT.png: the control drawn by the Qt front end
(dorvane-desktop --screenshot) and by the <dorvane-control> element in
headless Chromium, on the same sample folder, side by side in one picture
(docs/web-element.png). Needs a build with the Qt front end and dorvane-web."""

import base64
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import web_browser  # noqa: E402


def main():
    build, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    work = tempfile.mkdtemp(prefix="dorvane-shot-")
    folder = web_browser.make_folder(build, os.path.join(work, "acme"), "--companies", "12",
                                     "--jobs", "400", "--list", "6", "--saved", "3")
    qt = os.path.join(work, "qt.png")
    subprocess.run([os.path.join(build, "bin", "dorvane-desktop"), "--screenshot", qt, folder],
                   check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"),
                   stderr=subprocess.DEVNULL)
    server = web_browser.WebServer(build, {"acme": folder})
    driver = web_browser.start_browser(width=1700)
    page = web_browser.Page(driver)
    try:
        driver.get(server.url(source="acme", ticket=web_browser.ticket()))
        page.wait("el && el.link && el.link.ready && el.settled && el.host.IsListOK !== undefined")
        page.focus()
        page.wait("el.settled")
        element = os.path.join(work, "element.png")
        driver.execute_script("return document.querySelector('dorvane-control')").screenshot(element)
        pictures = [base64.b64encode(open(p, "rb").read()).decode() for p in (qt, element)]
        driver.get("data:text/html,<body style='margin:0'><div style='background:white;"
                   "display:inline-flex;gap:16px;align-items:flex-start;font:13px sans-serif'>" +
                   "".join("<figure style='margin:8px'><figcaption>%s</figcaption>"
                           "<img src='data:image/png;base64,%s'></figure>" % (caption, data)
                           for caption, data in zip(("Qt front end", "Chromium, &lt;dorvane-control&gt;"),
                                                    pictures)) + "</div></body>")
        driver.find_element("tag name", "div").screenshot(out)
    finally:
        driver.quit()
        server.stop()


if __name__ == "__main__":
    main()
