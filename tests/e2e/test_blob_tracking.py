#!/usr/bin/python3
"""Every visitor tracked: two walkers whose paths cross (the walkers2 clip) played frame by frame
with --blobs, TUIO sent to oscdump and the touches served over WebSocket to a Python client.

Each walker must keep one identity through the clip (two identities in all, found near the
walkers' true centres); each WebSocket frame must carry the identities and positions of the TUIO
bundle of the same pass, and the trace's blob lines those of the bundle.
"""
import asyncio
import json
import math
import os
import signal
import socket
import subprocess
import sys
import threading

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402
import test_tuio_oscdump as tuio  # noqa: E402

import websockets  # noqa: E402  (Debian python3-websockets)

RANGE = (0, 0, 640, 480)  # twice the camera picture


def listen(port, messages):
    """Collects the feed's texts until the program closes the connection."""
    async def run():
        for _ in range(400):
            try:
                connection = await websockets.connect("ws://127.0.0.1:%d" % port)
                break
            except OSError:
                await asyncio.sleep(0.025)
        else:
            return
        try:
            async for text in connection:
                messages.append(json.loads(text))
        except websockets.ConnectionClosed:
            pass
    asyncio.run(run())


def blobs_per_pass(events):
    """{fseq: {id: (x, y)}} from the trace: a pass's blob lines come before its tuio line."""
    passes, current = {}, {}
    for event, args in events:
        if event == "blob":
            current[int(args[0])] = (int(args[1]), int(args[2]))
        elif event == "tuio":
            passes[int(args[0])] = current
            current = {}
    return passes


def main(work):
    e2e.need("oscdump", "Debian liblo-tools")
    clip = e2e.make_clip(work, "walkers2", "--no-video")
    config = e2e.write_config(os.path.join(work, "blobs.ini"), e2e.mouse_range(*RANGE))
    osc_port, ws_port = e2e.free_port(socket.SOCK_DGRAM), e2e.free_port()
    dump = e2e.background(["oscdump", "-L", str(osc_port)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if not e2e.check(e2e.wait_until(lambda: dump.poll() is None and tuio.bound(osc_port), 10),
                     "oscdump never listened on UDP port %d" % osc_port):
        return
    dumped = []
    threading.Thread(target=lambda: dumped.extend(dump.stdout), daemon=True).start()
    program = e2e.Program(os.path.join(work, clip["pattern"]), config, "--step", "--exit-at-end", "--blobs",
                          "--tuio", "127.0.0.1:%d" % osc_port, "--websocket", str(ws_port))
    messages = []
    client = threading.Thread(target=listen, args=(ws_port, messages), daemon=True)
    client.start()
    program.collect(120)  # to the end of its output: the clip plays for about 10 s
    status = program.stop()
    client.join(timeout=10)
    last = max([int(fields[0]) for event, fields in program.of("tuio")], default=0)
    e2e.wait_until(lambda: any('"fseq" %d' % last in line for line in dumped[-8:]), 20)  # oscdump may lag
    dump.send_signal(signal.SIGTERM)
    dump.wait(timeout=10)
    received = "".join(dumped)
    before = len(e2e.failures)
    e2e.check(status == 0, "exit status %d: %s" % (status, program.stderr))

    passes = blobs_per_pass(program.events)
    ids = sorted({i for blobs in passes.values() for i in blobs})
    e2e.check(ids == [1, 2], "the two walkers were tracked as identities %s" % ids)
    e2e.check(not program.of("blob-end"), "an identity ended: %s" % program.of("blob-end"))
    scale = RANGE[2] / 320
    for fseq, blobs in passes.items():
        walkers = clip["walkers"][fseq - 1] or []
        for x, y in blobs.values():
            near = min((math.hypot(x - wx * scale, y - wy * scale) for wx, wy in walkers), default=1e9)
            e2e.check(near <= clip["width"] * scale, "pass %d: blob at (%d, %d) is %.1f from every walker" % (fseq, x, y, near))
    found = sum(len(blobs) for blobs in passes.values())
    e2e.check(found >= 0.99 * 2 * (clip["frames"] - 1), "only %d walker-frames found" % found)

    bundles = {int(b[-1][1][0]): b for b in tuio.bundles_of(received) if b and b[-1][0] == "fseq"}
    e2e.check(set(bundles) == set(passes), "%d bundles reached oscdump for %d passes" % (len(bundles), len(passes)))
    for fseq, blobs in passes.items():
        sets = {int(a[0]): (float(a[1]) * RANGE[2], float(a[2]) * RANGE[3]) for c, a in bundles.get(fseq, []) if c == "set"}
        e2e.check(sorted(sets) == sorted(blobs) and all(abs(sets[i][0] - blobs[i][0]) <= 1 and abs(sets[i][1] - blobs[i][1]) <= 1
                                                        for i in blobs),
                  "pass %d: TUIO cursors %s, trace %s" % (fseq, sets, blobs))

    e2e.check(len(messages) >= 0.8 * len(passes), "the WebSocket client got %d of %d frames" % (len(messages), len(passes)))
    for message in messages:
        fseq = message["frame"]
        feed = {t["id"]: (t["x"], t["y"]) for t in message["touches"]}
        blobs = passes.get(fseq, {})
        e2e.check(sorted(feed) == sorted(blobs) and all(abs(feed[i][0] - blobs[i][0]) <= 1 and abs(feed[i][1] - blobs[i][1]) <= 1
                                                        for i in blobs),
                  "frame %d: WebSocket touches %s, trace %s" % (fseq, feed, blobs))
        for t in message["touches"]:
            e2e.check(abs(t["nx"] * RANGE[2] - t["x"]) < 1 and abs(t["ny"] * RANGE[3] - t["y"]) < 1 and t["w"] > 0,
                      "frame %d: touch %s" % (fseq, t))
    print("%d passes, identities %s, %d WebSocket frames, %d bundles" % (len(passes), ids, len(messages), len(bundles)))
    e2e.show_if_failed(before, "the trace:\n%s\noscdump" % "\n".join(program.output[:80]), received[:4000])


if __name__ == "__main__":
    sys.exit(e2e.run(main))
