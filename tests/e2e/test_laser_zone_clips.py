#!/usr/bin/python3
"""Modes 4 and 5 on the project's clips, read from the trace.

Laser pointer (mode 4): the dot of the laser clip (see scripts/make_clips.py) is followed over a
picture that changes in every frame, the white flash while it is gone brings no point, and with
"控制鼠标移动点击" each of its three appearances clicks once, where it appears, and its moves
never click. Stride 2 samples the dot's even centre, which is the centroid of its samples.

Interactive zones (mode 5): the square standing in zone 1, gone, then standing in zone 2 gives
region 1 on, its key, region 1 off, region 2 on and its key, in that order; a malformed third
zone is passed over with one line on stderr.
"""
import json
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402


def laser(work, clip):
    config = e2e.write_config(os.path.join(work, "laser.ini"), {
        "系统/投影方式": 4, "阀值/阀值": 220, "阀值/速度系数": 2, "系统/鼠标移动": 1, "系统/鼠标点击": 1,
        "系统/控制鼠标拖动点击": 0})
    done = e2e.play(os.path.join(work, clip["pattern"]), config)
    before = len(e2e.failures)
    e2e.check(done.returncode == 0, "laser: exit status %d" % done.returncode)
    events = e2e.events(done.stdout)
    dots = clip["dot"]
    want = [tuple(d) for i, d in enumerate(dots) if d and dots[i - 1] != d]
    touches = [tuple(int(v) for v in args) for event, args in events if event == "touch"]
    e2e.check(touches == want, "laser: touches %s, want %s" % (touches, want))
    # A click follows the cursor move of each appearance, and nothing else clicks.
    appearances = [tuple(d) for i, d in enumerate(dots) if d and not dots[i - 1]]
    clicked = []
    for i, (event, args) in enumerate(events):
        if event == "mouse":
            e2e.check(args == ["click"], "laser: a button event %s" % args)
            before_click = [e for e in events[:i] if e[0] == "touch"]
            clicked.append(tuple(int(v) for v in before_click[-1][1]) if before_click else None)
            e2e.check(i > 0 and events[i - 1][0] == "cursor", "laser: a click not after its cursor move")
    e2e.check(clicked == appearances, "laser: clicks after %s, want after %s" % (clicked, appearances))
    if e2e.show_if_failed(before, "laser: the trace", done.stdout):
        print("laser: followed the dot, passed over the flash, clicked at each of its %d appearances" % len(clicked))


def zones(work, clip):
    config = e2e.write_config(os.path.join(work, "zones.ini"), {
        "系统/投影方式": 5, "多区域互动/区域数": 3, "多区域互动/区域1": "20,20,80,80,key:F5",
        "多区域互动/区域2": "200,120,80,80,key:space", "多区域互动/区域3": "10,10,wide,5,key:a"})
    done = e2e.play(os.path.join(work, clip["pattern"]), config)
    before = len(e2e.failures)
    e2e.check(done.returncode == 0, "zones: exit status %d" % done.returncode)
    seen = [" ".join([event] + args) for event, args in e2e.events(done.stdout) if event in ("region", "key")]
    want = ["region 1 on", "key F5", "region 1 off", "region 2 on", "key space", "region 2 off"]
    e2e.check(seen == want, "zones: %s, want %s" % (seen, want))
    skipped = [line for line in done.stderr.splitlines() if "区域3" in line]
    e2e.check(len(skipped) == 1, "zones: the malformed zone was said %d times on stderr" % len(skipped))
    if e2e.show_if_failed(before, "zones: the trace", done.stdout):
        print("zones: %s" % ", ".join(seen))


def main(work):
    for name, check in (("laser", laser), ("zones", zones)):
        clip = e2e.make_clip(work, name, "--no-video")
        check(work, clip)


if __name__ == "__main__":
    sys.exit(e2e.run(main))
