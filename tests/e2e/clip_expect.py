#!/usr/bin/python3
"""What the program should make of a clip from scripts/make_clips.py, from the clip's description.

    clip_expect.py drag CLIP.json STRIDE LEFT TOP WIDTH HEIGHT

prints the presses and releases a drag (控制鼠标拖动点击 on, 鼠标移动 on) should inject, one
"press X Y" or "release X Y" a line, as tests/e2e/click_recorder.py records them. The camera
corners are those of the shipped configuration, (0, 0) and (320, 240).
"""
import json
import sys

CORNERS = (0, 0, 320, 240)


def reported(touches):
    """The touches that reach the mapping, from the clip's [frame, x, y] list. The pass
    hands a touch over by writing its position message into a field whose change runs the
    mapping; a touch at the position of the one before it (the field keeps the last touch across
    frames without one) leaves the text as it was and is not mapped again."""
    out = []
    for touch in touches:
        if not out or out[-1][1:] != touch[1:]:
            out.append(touch)
    return out


def mapped(x, y, left, top, width, height):
    """Where camera point (x, y) lands in the mouse range."""
    x0, y0, x3, y3 = CORNERS
    mx = round((x - x0) * width / (x3 - x0) + left)  # round(): half to even, as the program
    my = round((y - y0) * height / (y3 - y0) + top)
    mx = min(max(mx, left), left + width)
    my = min(max(my, top), top + height)
    if mx == 0 and my == 0:
        my = 1
    return mx, my


def drag_events(touches, screen):
    """The button events of a drag: the button goes down at the first frame of every run of
    frames with a touch and comes up at the first frame without one, both where the pointer was
    last moved to."""
    events = []
    pointer = None
    previous_frame = None
    held = False
    shown = {tuple(t) for t in reported(touches)}
    for frame, x, y in touches:
        if held and frame != previous_frame + 1:
            events.append(("release",) + pointer)
            held = False
        if (frame, x, y) in shown:
            pointer = mapped(x, y, *screen)
        if not held:
            events.append(("press",) + pointer)
            held = True
        previous_frame = frame
    if held:
        events.append(("release",) + pointer)
    return events


def main(argv):
    if len(argv) != 8 or argv[1] != "drag":
        sys.stderr.write(__doc__)
        return 2
    with open(argv[2]) as f:
        clip = json.load(f)
    touches = clip["touches"]["stride%d" % int(argv[3])]
    for kind, x, y in drag_events(touches, tuple(int(v) for v in argv[4:8])):
        print("%s %d %d" % (kind, x, y))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
