#!/usr/bin/python3
"""A touch application fed over TCP: the drag clip (one touch that moves in every frame) is
played frame by frame with multi-touch switched on in the configuration, and an independent
client connects to the server as soon as it listens and reads texts up to each NUL.

The client must receive exactly what the trace says was broadcast to one client, in that order,
each text a move message; the points it carries must be the clip's mapped touches, in the
clip's order (the sender hands over the current message every 100 ms, so it repeats some points
and skips others), and the client must see the touch move.
"""
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

# The drag clip's square moves up and to the left, so every frame from its appearance (frame 5)
# to frame 28 touches at its top-left (224 - 8k, 178 - 6k), k = 0..23, the even pixels that stride
# 2 samples; the shipped range maps it x 3.2 onto 1024 x 768 (716.8 -> 717, 569.6 -> 570, ...).
# Frame 29, where it is gone, finds (40, 40) again, which is not handed over again.
MAPPED = [(717, 570), (691, 550), (666, 531), (640, 512), (614, 493), (589, 474), (563, 454), (538, 435),
          (512, 416), (486, 397), (461, 378), (435, 358), (410, 339), (384, 320), (358, 301), (333, 282),
          (307, 262), (282, 243), (256, 224), (230, 205), (205, 186), (179, 166), (154, 147), (128, 128)]


def main(work):
    clip = e2e.make_clip(work, "drag", "--no-video")
    config = e2e.write_config(os.path.join(work, "multitouch.ini"), {"多点触摸/启用多点触摸": 1})
    done, client = e2e.play_to_touch_client(os.path.join(work, clip["pattern"]), config)

    events = e2e.events(done.stdout)
    to_client = [" ".join(fields[1:]) for event, fields in events if event == "broadcast" and fields[:1] == ["1"]]
    e2e.check(client.messages == to_client,
              "the client received %d texts, the trace broadcast %d to one client:\n  got  %s\n  sent %s"
              % (len(client.messages), len(to_client), client.messages, to_client))

    want = MAPPED
    traced = [tuple(int(v) for v in fields) for event, fields in events if event == "map"]
    e2e.check(traced == want, "mapped points differ from the clip's\n  got  %s\n  want %s" % (traced, want))

    points = []
    for text in client.messages:
        e2e.check(text.startswith("0|move|"), "not a move message: %r" % text)
        x, y = (int(v) for v in text[len("0|move|"):].split(","))
        if (x, y) != (576, 24) and (not points or points[-1] != (x, y)):
            points.append((x, y))
    position = 0
    for point in points:
        while position < len(want) and want[position] != point:
            position += 1
        e2e.check(position < len(want), "%s is no mapped point, or out of order: %s" % (point, points))
    e2e.check(len(points) >= 5, "the client saw only %d positions of the moving touch: %s" % (len(points), points))

    if e2e.show_if_failed(0, "trace", done.stdout):
        print("%d move messages, %d positions of the touch in order" % (len(client.messages), len(points)))


if __name__ == "__main__":
    sys.exit(e2e.run(main))
