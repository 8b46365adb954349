#!/usr/bin/python3
"""A camera slower than the 50 ms tick: the drag clip (a square that appears, moves in every frame
and disappears) encoded at 10 and at 15 frames a second and played in real time, with drag click
on and a dynamic reference. A tick that finds no new frame runs no pass, so the one continuous
drag stays one drag: exactly one "mouse down" and one "mouse up", with the pointer following the
square in between.
"""
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

RATES = (10, 15)


def main(work):
    if not e2e.installed("ffmpeg", "the clips are made with it"):
        return
    clip = e2e.make_clip(work, "drag", "--fps=" + ",".join(str(r) for r in RATES))
    config = e2e.write_config(os.path.join(work, "drag.ini"), {"系统/控制鼠标拖动点击": 1})
    frames_with_square = 24  # frames 5 to 28

    for rate in RATES:
        before = len(e2e.failures)
        done = e2e.play(os.path.join(work, clip["videos"][str(rate)]), config, step=False)
        events = e2e.events(done.stdout)
        buttons = [fields[0] for event, fields in events if event == "mouse" and fields]
        touches = [fields for event, fields in events if event == "touch"]
        print("%d fps: status %d, buttons %s, %d touches" % (rate, done.returncode, buttons, len(touches)))
        e2e.check(done.returncode == 0, "%d fps: exit status %d" % (rate, done.returncode))
        e2e.check(buttons == ["down", "up"], "%d fps: the drag became %s" % (rate, " ".join(buttons) or "nothing"))
        # Each frame of the square that a pass takes hands a touch over; a busy machine may let a
        # frame or two go by, but the pointer must have followed the drag.
        e2e.check(len(touches) >= frames_with_square // 2,
                  "%d fps: %d touches for %d frames with the square" % (rate, len(touches), frames_with_square))
        e2e.show_if_failed(before, "%d fps: the trace" % rate, done.stdout)


if __name__ == "__main__":
    sys.exit(e2e.run(main))
