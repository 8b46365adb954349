#!/usr/bin/python3
"""The shipped page share/web/touches.html in a real browser (headless Chromium) against the
running demo scene with --blobs --websocket: the page must draw the demo's visitor, listing each
touch it draws with the id that the program's trace gives that blob. The page is read through
Chromium's DevTools protocol while it runs, in real time."""
import asyncio
import json
import os
import subprocess
import sys
import time
import urllib.request

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

PAGE = os.path.join(e2e.SOURCE_DIR, "share", "web", "touches.html")
LOOK = ("JSON.stringify({ids: [...document.querySelectorAll('li.touch')].map(item => +item.dataset.id),"
        " status: document.getElementById('status').textContent})")


def page_socket(devtools_port, seconds=30):
    """The DevTools WebSocket address of the browser's page, once the browser answers."""
    def found():
        try:
            with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % devtools_port, timeout=2) as answer:
                pages = [target for target in json.load(answer) if target.get("type") == "page"]
        except OSError:
            return None
        return pages[0]["webSocketDebuggerUrl"] if pages else None
    e2e.wait_until(lambda: found() is not None, seconds, every=0.2)
    return found()


async def watch(address, seconds):
    """What the page shows, looked at every 0.2 s until it lists a touch, as (ids, status)."""
    import websockets
    seen = ([], "")
    async with websockets.connect(address, max_size=None) as devtools:
        deadline = time.monotonic() + seconds
        for number in range(1, 1 << 30):
            await devtools.send(json.dumps({"id": number, "method": "Runtime.evaluate",
                                            "params": {"expression": LOOK, "returnByValue": True}}))
            while True:
                reply = json.loads(await devtools.recv())
                if reply.get("id") == number:
                    break
            value = reply.get("result", {}).get("result", {}).get("value")
            if value:
                shown = json.loads(value)
                seen = (shown["ids"], shown["status"])
                if seen[0] and seen[1].startswith("frame "):
                    return seen
            if time.monotonic() > deadline:
                return seen
            await asyncio.sleep(0.2)


def main(work):
    e2e.need("chromium", "Debian chromium")
    config = e2e.write_config(os.path.join(work, "demo.ini"))
    port = e2e.free_port()
    program = e2e.Program("demo", config, "--blobs", "--websocket", str(port))
    if not e2e.check(program.wait_for(lambda event, fields: event == "blob", 30), "the demo gave no blob"):
        return
    devtools_port = e2e.free_port()
    browser = e2e.background(
        ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + os.path.join(work, "profile"),
         "--remote-debugging-port=%d" % devtools_port, "file://%s?port=%d" % (PAGE, port)],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        address = page_socket(devtools_port)
        if not e2e.check(address, "the browser opened no page"):
            return
        # The demo's visitor walks and pauses: the page is watched until it draws one.
        drawn, status = asyncio.run(watch(address, 60))
    finally:
        browser.terminate()
        browser.wait(10)
    program.collect(0.5)
    traced = {int(fields[0]) for event, fields in program.of("blob")}
    e2e.check(drawn and set(drawn) <= traced, "the page drew touches %s; the trace's blobs are %s" % (drawn, sorted(traced)))
    e2e.check(status.startswith("frame "), "the page shows no frame: %r" % status)
    print("the page drew touches %s: %s" % (drawn, status))
    program.stop()


if __name__ == "__main__":
    sys.exit(e2e.run(main))
