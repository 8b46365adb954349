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
from clip_expect import mapped, reported  # noqa: E402


def main(work):
    clip = e2e.make_clip(work, "drag", "--no-video")
    config = e2e.write_config(os.path.join(work, "multitouch.ini"), {"多点触摸/启用多点触摸": 1})
    done, client = e2e.play_to_touch_client(os.path.join(work, clip["pattern"]), config)

    events = e2e.events(done.stdout)
    to_client = [" ".join(fields[1:]) for event, fields in events if event == "broadcast" and fields[:1] == ["1"]]
    e2e.check(client.messages == to_client,
              "the client received %d texts, the trace broadcast %d to one client:\n  got  %s\n  sent %s"
              % (len(client.messages), len(to_client), client.messages, to_client))

    want = [mapped(x, y, 0, 0, 1024, 768) for _, x, y in reported(clip["touches"]["stride2"])]
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
