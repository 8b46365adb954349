#!/usr/bin/python3
"""The whole detection road on the project's test clips, read from the trace.

The blob clip is played frame by frame with the shipped configuration from the FFV1 file and from
its PNG sequence (so the lossless video must decode to the very pixels of its frames), and once
more from the PNG sequence with stride 1 and a small, offset mouse range whose mapping has halves
to round. The touches must be those the clip's description lists (less those that repeat the
position before them, which are not handed over again), each followed by its mapped point. The
stripe clip is played the same way in the rear-projection mode 3. Then the live demo scene must
keep the 50 ms tick: 20 passes a second.
"""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402
from clip_expect import mapped, reported  # noqa: E402


def run_clip(label, source, config, expected, screen):
    print("== %s: %s" % (label, source))
    try:
        done = e2e.play(source, config)
    except subprocess.TimeoutExpired:
        e2e.check(False, "%s: no exit within 60 s" % label)
        return
    before = len(e2e.failures)
    e2e.check(done.returncode == 0, "%s: exit status %d" % (label, done.returncode))
    try:
        check_trace(label, done.stdout, config, expected, screen)
    finally:
        if e2e.show_if_failed(before, "%s: the trace" % label, done.stdout):
            print("%s: the touches and their mapped points as expected" % label)


def check_trace(label, stdout, config, expected, screen):
    events = e2e.events(stdout)
    e2e.check(("config", ["load", config]) in events, "%s: the configuration %s was not loaded" % (label, config))

    # A touch at the position of the one before it is found but not handed over again.
    expected = reported(expected)
    touches = [(i, tuple(int(v) for v in args)) for i, (event, args) in enumerate(events) if event == "touch"]
    want = [tuple(t[1:]) for t in expected]
    if not e2e.check([t for _, t in touches] == want,
                     "%s: touches differ\n  got  %s\n  want %s" % (label, [t for _, t in touches], want)):
        return
    for (index, (x, y)), (frame, _, _) in zip(touches, expected):
        following = events[index + 1] if index + 1 < len(events) else None
        want_map = ["%d" % v for v in mapped(x, y, *screen)]
        e2e.check(following == ("map", want_map),
                  "%s: touch %d %d (frame %d) is followed by %s, want map %s"
                  % (label, x, y, frame, following and " ".join([following[0]] + following[1]),
                     " ".join(want_map)))
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
        run_clip(label, os.path.join(work, source), stock, blob["touches"]["stride2"], (0, 0, 1024, 768))

    # Stride 1 and a range of 80 x 60 at (7, 3): camera x / 4 and y / 4, so halves occur
    # and must round to even.
    screen = (7, 3, 80, 60)
    small = e2e.write_config(os.path.join(work, "small.ini"), e2e.mouse_range(*screen))
    halves = [t for t in blob["touches"]["stride1"]
              if (t[1] * 80) % 320 == 160 or (t[2] * 60) % 240 == 120]
    e2e.check(halves, "the stride-1 touches bring no half to round; the check is void")
    run_clip("blob-png stride 1", os.path.join(work, blob["pattern"]), small, blob["touches"]["stride1"], screen)

    stripe = e2e.make_clip(work, "stripe", "--no-video")
    rear = e2e.write_config(os.path.join(work, "rear.ini"), {"系统/投影方式": 3})
    run_clip("stripe-png mode 3", os.path.join(work, stripe["pattern"]), rear,
             stripe["touches"]["stride2"], (0, 0, 1024, 768))

    run_demo(stock)


if __name__ == "__main__":
    sys.exit(e2e.run(main))
