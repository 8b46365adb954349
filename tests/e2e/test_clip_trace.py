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
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, HERE)
import edit_config  # noqa: E402
from clip_expect import mapped, reported  # noqa: E402

BIN = os.environ.get("VORNIX_BIN", "")
SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")
os.environ.setdefault("OPENCV_LOG_LEVEL", "ERROR")  # the sequence's end is no warning here

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message)
    return condition


def parse_trace(text):
    """[(ms, event, [args])] from the trace lines; other output is ignored."""
    events = []
    for line in text.splitlines():
        parts = line.split()
        if len(parts) >= 2 and parts[0].isdigit():
            events.append((int(parts[0]), parts[1], parts[2:]))
    return events


def run_clip(label, source, config, expected, screen):
    print("== %s: %s" % (label, source))
    command = [BIN, "--headless", "--source", source, "--step", "--exit-at-end", "--trace",
               "--pointer", "none", "--config", config]
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=60)
    except subprocess.TimeoutExpired:
        check(False, "%s: no exit within 60 s" % label)
        return
    if done.stderr:
        print(done.stderr.rstrip())
    before = len(failures)
    check(done.returncode == 0, "%s: exit status %d" % (label, done.returncode))
    try:
        check_trace(label, done.stdout, config, expected, screen)
    finally:
        if len(failures) > before:
            print("%s: the trace:\n%s" % (label, done.stdout))
        else:
            print("%s: the touches and their mapped points as expected" % label)


def check_trace(label, stdout, config, expected, screen):
    events = parse_trace(stdout)
    check(("config", ["load", config]) in [(e, a) for _, e, a in events],
          "%s: the configuration %s was not loaded" % (label, config))

    # A touch at the position of the one before it is found but not handed over again.
    expected = reported(expected)
    touches = [(i, tuple(int(v) for v in args)) for i, (_, event, args) in enumerate(events)
               if event == "touch"]
    want = [tuple(t[1:]) for t in expected]
    if not check([t for _, t in touches] == want,
                 "%s: touches differ\n  got  %s\n  want %s" % (label, [t for _, t in touches], want)):
        return
    for (index, (x, y)), (frame, _, _) in zip(touches, expected):
        following = events[index + 1] if index + 1 < len(events) else None
        want_map = ["%d" % v for v in mapped(x, y, *screen)]
        check(following is not None and following[1:] == ("map", want_map),
              "%s: touch %d %d (frame %d) is followed by %s, want map %s"
              % (label, x, y, frame, following and " ".join([following[1]] + following[2]),
                 " ".join(want_map)))
    maps = [e for e in events if e[1] == "map"]
    check(len(maps) == len(touches), "%s: %d map lines for %d touches" % (label, len(maps), len(touches)))
    check(not [e for e in events if e[1] == "mouse"], "%s: buttons were used with drag and click off" % label)


def run_demo(config):
    print("== demo scene in real time")
    command = [BIN, "--headless", "--source", "demo", "--trace", "--pointer", "none",
               "--config", config]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    time.sleep(4.5)
    process.send_signal(signal.SIGINT)
    try:
        out, err = process.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        out, err = process.communicate()
        check(False, "demo: still running 10 s after SIGINT")
    if err:
        print(err.rstrip())
    check(process.returncode == 0, "demo: exit status %d after SIGINT" % process.returncode)
    events = parse_trace(out)
    rates = [args[0] for _, event, args in events if event == "fps"]
    print("demo: fps lines %s" % " ".join(rates))
    # The first second starts before the timer does; every later one should count 20 ticks,
    # but a loaded machine may drop one now and then: one full second is enough.
    check(len(rates) >= 3, "demo: only %d fps lines in 4.5 s" % len(rates))
    check("20" in rates[1:], "demo: no second after the first counted 20 passes: %s" % rates)
    check(all(int(r) <= 21 for r in rates), "demo: far more than 20 passes in a second: %s" % rates)
    check(any(event == "touch" for _, event, _ in events), "demo: the scene brought no touch")


def main():
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    if shutil.which("ffmpeg") is None:
        print("skip: ffmpeg is not installed (the clips are made with it)")
        return 0
    work = tempfile.mkdtemp(prefix="vornix-clip-trace-")
    try:
        subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "scripts", "make_clips.py"), work, "blob"],
                       check=True, timeout=120)
        with open(os.path.join(work, "blob.json")) as f:
            blob = json.load(f)

        # The shipped configuration: stride 2, range 1024 x 768 at the origin.
        stock = os.path.join(work, "stock.ini")
        shutil.copyfile(DEMO_CONFIG, stock)
        for label, source in (("blob.mkv", blob["video"]), ("blob-png", blob["pattern"])):
            run_clip(label, os.path.join(work, source), stock, blob["touches"]["stride2"], (0, 0, 1024, 768))

        # Stride 1 and a range of 80 x 60 at (7, 3): camera x / 4 and y / 4, so halves occur
        # and must round to even.
        small = os.path.join(work, "small.ini")
        screen = (7, 3, 80, 60)
        values = {"鼠标活动范围/左坐标": screen[0], "鼠标活动范围/顶坐标": screen[1],
                  "鼠标活动范围/宽度": screen[2], "鼠标活动范围/高度": screen[3], "阀值/速度系数": 1}
        edit_config.main(["edit_config.py", DEMO_CONFIG, small] +
                         ["%s=%s" % kv for kv in values.items()])
        halves = [t for t in blob["touches"]["stride1"]
                  if (t[1] * 80) % 320 == 160 or (t[2] * 60) % 240 == 120]
        check(halves, "the stride-1 touches bring no half to round; the check is void")
        run_clip("blob-png stride 1", os.path.join(work, blob["pattern"]), small,
                 blob["touches"]["stride1"], screen)

        subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "scripts", "make_clips.py"), work,
                        "--no-video", "stripe"], check=True, timeout=120)
        with open(os.path.join(work, "stripe.json")) as f:
            stripe = json.load(f)
        rear = os.path.join(work, "rear.ini")
        edit_config.main(["edit_config.py", DEMO_CONFIG, rear, "系统/投影方式=3"])
        run_clip("stripe-png mode 3", os.path.join(work, stripe["pattern"]), rear,
                 stripe["touches"]["stride2"], (0, 0, 1024, 768))

        run_demo(stock)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
