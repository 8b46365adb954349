#!/usr/bin/python3
"""The shipped page share/web/touches.html in a real browser (headless Chromium) against the
running demo scene with --blobs --websocket: the page must draw the demo's visitor, listing each
touch it draws with the id that the program's trace gives that blob."""
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

PAGE = os.path.join(e2e.SOURCE_DIR, "share", "web", "touches.html")


def main(work):
    e2e.need("chromium", "Debian chromium")
    config = e2e.write_config(os.path.join(work, "demo.ini"))
    port = e2e.free_port()
    program = e2e.Program("demo", config, "--blobs", "--websocket", str(port))
    if not e2e.check(program.wait_for(lambda event, fields: event == "blob", 30), "the demo gave no blob"):
        return
    before = len(e2e.failures)
    dom = ""
    for _ in range(3):  # the demo's visitor may be between two walks when the page looks
        browser = subprocess.run(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + os.path.join(work, "profile"),
             "--virtual-time-budget=4000", "--dump-dom", "file://%s?port=%d" % (PAGE, port)],
            capture_output=True, text=True, timeout=120)
        dom = browser.stdout
        if 'class="touch"' in dom:
            break
    program.collect(0.5)
    drawn = sorted({int(i) for i in re.findall(r'class="touch" data-id="(\d+)"', dom)})
    traced = {int(fields[0]) for event, fields in program.of("blob")}
    e2e.check(drawn and set(drawn) <= traced, "the page drew touches %s; the trace's blobs are %s" % (drawn, sorted(traced)))
    e2e.check(re.search(r'id="status">frame \d+: ', dom), "the page shows no frame: %s" % re.findall(r'id="status">[^<]*', dom))
    print("the page drew touches %s" % drawn)
    program.stop()
    e2e.show_if_failed(before, "the page", dom[-2000:])


if __name__ == "__main__":
    sys.exit(e2e.run(main))
