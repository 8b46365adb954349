#!/usr/bin/python3
"""A picture-zooming application fed over TCP in the two-point mode 6: the pinch clip (two
fingers close in on each other, hold, spread apart) is played frame by frame with multi-touch
switched on, and an independent client on the multi-touch port reads texts up to each NUL.

Every frame in which the fingers moved must hand over both points listed below, and the
client must receive scale messages whose factor is negative while the fingers close in and
positive while they spread: all the negative ones first, then the positive ones.
"""
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

# The panel's scale message before any gesture; a sender tick may pass it on before the second
# two-point frame builds the first one of the clip.
DESIGN_TIME_SCALE = "1|scale|381,273,391,283,-0.2"

# The points of a frame against the frame before it (dynamic reference), both on the fingers' top
# row 100: the left edge of the columns that changed under each finger, 5 columns wide. Closing
# (frames 7 to 16, 3 columns a frame), that is where the left finger was and where the right one
# is now; spreading (frames 21 to 30, 4 a frame), where the left one is now and where the right
# one was.
CLOSING = [(100, 197), (103, 194), (106, 191), (109, 188), (112, 185),
           (115, 182), (118, 179), (121, 176), (124, 173), (127, 170)]
SPREADING = [(126, 170), (122, 174), (118, 178), (114, 182), (110, 186),
             (106, 190), (102, 194), (98, 198), (94, 202), (90, 206)]


def main(work):
    clip = e2e.make_clip(work, "pinch", "--no-video")
    config = e2e.write_config(os.path.join(work, "pinch.ini"), {"系统/投影方式": 6, "多点触摸/启用多点触摸": 1})
    done, client = e2e.play_to_touch_client(os.path.join(work, clip["pattern"]), config)

    handed = [[event] + fields for event, fields in e2e.events(done.stdout)
              if event in ("touch", "touch2") and len(fields) == 2]
    want = []
    for first, second in CLOSING + SPREADING:
        want += [["touch", str(first), "100"], ["touch2", str(second), "100"]]
    e2e.check(handed == want, "handed-over points differ\n  got  %s\n  want %s" % (handed, want))

    factors = [float(text.rsplit(",", 1)[1]) for text in client.messages
               if text.startswith("1|scale|") and text != DESIGN_TIME_SCALE]
    signs = "".join("-" if factor < 0 else "+" if factor > 0 else "0" for factor in factors)
    print("scale factors received: %s" % " ".join("%.2f" % factor for factor in factors))
    closing, spreading = signs.count("-"), signs.count("+")
    e2e.check(closing >= 2 and spreading >= 2 and signs == "-" * closing + "+" * spreading,
              "want negative factors while closing, then positive ones while spreading: %s" % signs)

    if e2e.show_if_failed(0, "trace", done.stdout):
        print("%d points handed over; %d scale messages closing, %d spreading" % (len(handed), closing, spreading))


if __name__ == "__main__":
    sys.exit(e2e.run(main))
