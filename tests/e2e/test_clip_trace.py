#!/usr/bin/python3
"""The whole detection road on the project's test clips, read from the trace.

The blob clip is played frame by frame with the shipped configuration from the FFV1 file and from
its PNG sequence (so the lossless video must decode to the very pixels of its frames), and once
more from the PNG sequence with stride 1 and a small, offset mouse range whose mapping has halves
to round. The touches must be those listed below, each followed by its mapped point. The stripe
clip is played the same way in the rear-projection mode 3. Then the live demo scene must keep the
50 ms tick: 20 passes a second.

The blob clip's square (see scripts/make_clips.py) only moves up and to the left, so the touch of
a frame in which it appears or moves is its top-left pixel in that frame, taken to the next
sampled row and column at stride 2. The shipped corners are (0, 0) and (320, 240).
"""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

# Stride 2, range 1024 x 768 at the origin: screen = camera x 3.2, rounded.
BLOB_STRIDE2 = [
    ((202, 108), (646, 346)),  # frame 10: appears at (201, 107), first sampled at (202, 108); 646.4, 345.6
    ((200, 106), (640, 339)),  # frames 20 to 30: the top-left of each frame; 339.2
    ((190, 102), (608, 326)),  # 326.4
    ((180, 98), (576, 314)),   # 313.6
    ((170, 94), (544, 301)),   # 300.8
    ((160, 90), (512, 288)),
    ((150, 86), (480, 275)),   # 275.2
    ((140, 82), (448, 262)),   # 262.4
    ((130, 78), (416, 250)),   # 249.6
    ((120, 74), (384, 237)),   # 236.8
    ((110, 70), (352, 224)),
    ((100, 66), (320, 211)),   # 211.2; frame 40 (it leaves) finds (100, 66) again: not handed over again
]
# Stride 1, range 80 x 60 at (7, 3): screen = camera / 4 + (7, 3); the halves round to even, up
# and down.
SMALL_RANGE = (7, 3, 80, 60)
BLOB_STRIDE1 = [
    ((201, 107), (57, 30)),  # frame 10: its very top-left; 57.25, 29.75
    ((200, 106), (57, 30)),  # 29.5 up to 30
    ((190, 102), (54, 28)),  # 54.5 down to 54, 28.5 down to 28
    ((180, 98), (52, 28)),   # 27.5 up to 28
    ((170, 94), (50, 26)),   # 49.5 up to 50, 26.5 down to 26
    ((160, 90), (47, 26)),   # 25.5 up to 26
    ((150, 86), (44, 24)),   # 44.5 down to 44, 24.5 down to 24
    ((140, 82), (42, 24)),   # 23.5 up to 24
    ((130, 78), (40, 22)),   # 39.5 up to 40, 22.5 down to 22
    ((120, 74), (37, 22)),   # 21.5 up to 22
    ((110, 70), (34, 20)),   # 34.5 down to 34, 20.5 down to 20
    ((100, 66), (32, 20)),   # 19.5 up to 20
]
# Mode 3, stride 2, range 1024 x 768: a press at column L is above the threshold from L + 3 (the
# first even sample, L being odd) and measured in steps of 2 to L + 23, where it has fallen to 60
# or below: the touch is (L + 23, its top row), the presses of frames 3, 11, 19, 27, 35 and 43.
STRIPE = [
    ((64, 30), (205, 96)),     # press (41, 30); 204.8
    ((224, 60), (717, 192)),   # press (201, 60); 716.8
    ((144, 120), (461, 384)),  # press (121, 120); 460.8
    ((274, 180), (877, 576)),  # press (251, 180); 876.8
    ((94, 200), (301, 640)),   # press (71, 200); 300.8
    ((184, 90), (589, 288)),   # press (161, 90); 588.8
]


def run_clip(label, source, config, expected):
    print("== %s: %s" % (label, source))
    try:
        done = e2e.play(source, config)
    except subprocess.TimeoutExpired:
        e2e.check(False, "%s: no exit within 60 s" % label)
        return
    before = len(e2e.failures)
    e2e.check(done.returncode == 0, "%s: exit status %d" % (label, done.returncode))
    try:
        check_trace(label, done.stdout, config, expected)
    finally:
        if e2e.show_if_failed(before, "%s: the trace" % label, done.stdout):
            print("%s: the touches and their mapped points as expected" % label)


def check_trace(label, stdout, config, expected):
    events = e2e.events(stdout)
    e2e.check(("config", ["load", config]) in events, "%s: the configuration %s was not loaded" % (label, config))

    touches = [(i, tuple(int(v) for v in args)) for i, (event, args) in enumerate(events) if event == "touch"]
    want = [touch for touch, _ in expected]
    if not e2e.check([t for _, t in touches] == want,
                     "%s: touches differ\n  got  %s\n  want %s" % (label, [t for _, t in touches], want)):
        return
    for (index, (x, y)), (_, point) in zip(touches, expected):
        following = events[index + 1] if index + 1 < len(events) else None
        want_map = ["%d" % v for v in point]
        e2e.check(following == ("map", want_map),
                  "%s: touch %d %d is followed by %s, want map %s"
                  % (label, x, y, following and " ".join([following[0]] + following[1]), " ".join(want_map)))
    maps = [e for e in events if e[0] == "map"]
    e2e.check(len(maps) == len(touches), "%s: %d map lines for %d touches" % (label, len(maps), len(touches)))
    e2e.check(not [e for e in events if e[0] == "mouse"], "%s: buttons were used with drag and click off" % label)


def run_demo(config):
    print("== demo scene in real time")
    demo = e2e.Program("demo", config)
    demo.collect(4.5)
    status = demo.stop()
    e2e.check(not demo.killed, "demo: still running 10 s after SIGINT")
    if demo.stderr:
        print(demo.stderr.rstrip())
    e2e.check(status == 0, "demo: exit status %d after SIGINT" % status)
    rates = [args[0] for event, args in demo.events if event == "fps"]
    print("demo: fps lines %s" % " ".join(rates))
    # The first second starts before the timer does; every later one should count 20 ticks,
    # but a loaded machine may drop one now and then: one full second is enough.
    e2e.check(len(rates) >= 3, "demo: only %d fps lines in 4.5 s" % len(rates))
    e2e.check("20" in rates[1:], "demo: no second after the first counted 20 passes: %s" % rates)
    e2e.check(all(int(r) <= 21 for r in rates), "demo: far more than 20 passes in a second: %s" % rates)
    e2e.check(any(event == "touch" for event, _ in demo.events), "demo: the scene brought no touch")


def main(work):
    if not e2e.installed("ffmpeg", "the clips are made with it"):
        return
    blob = e2e.make_clip(work, "blob")

    # The shipped configuration: stride 2, range 1024 x 768 at the origin.
    stock = e2e.write_config(os.path.join(work, "stock.ini"))
    for label, source in (("blob.mkv", blob["video"]), ("blob-png", blob["pattern"])):
        run_clip(label, os.path.join(work, source), stock, BLOB_STRIDE2)

    # The mouse range also sets stride 1.
    small = e2e.write_config(os.path.join(work, "small.ini"), e2e.mouse_range(*SMALL_RANGE))
    run_clip("blob-png stride 1", os.path.join(work, blob["pattern"]), small, BLOB_STRIDE1)

    stripe = e2e.make_clip(work, "stripe", "--no-video")
    rear = e2e.write_config(os.path.join(work, "rear.ini"), {"系统/投影方式": 3})
    run_clip("stripe-png mode 3", os.path.join(work, stripe["pattern"]), rear, STRIPE)

    run_demo(stock)


if __name__ == "__main__":
    sys.exit(e2e.run(main))
