#!/usr/bin/python3
"""Two installations chained over one serial line (a socat pty pair).

The sender plays the project's hop clip frame by frame and writes every mapped point to the
line; the receiver runs headless in mode 5 without zones, so it detects nothing itself and only follows the
line. The clip's touches come three passes (150 ms) apart, so that each message reaches the
receiver in a read of its own even on a busy machine: two messages in one read would keep only
the first. The receiver's cursor must visit exactly the points the sender wrote, in order, none
doubled and none missing, and those are the clip's touches mapped onto the sender's screen.
"""
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402
from serial_rig import PtyPair, relay_config  # noqa: E402

# The hop clip's square appears at (260, 200) in frame 5 and hops 14 columns left and 10 rows up
# every third frame; as it only moves up and to the left, each of those frames touches at its new
# top-left (260 - 14k, 200 - 10k), k = 0..18, even pixels that stride 2 samples. The shipped range
# maps them x 3.2 onto 1024 x 768 (787.2 -> 787, 742.4 -> 742, ...).
MAPPED = [(832, 640), (787, 608), (742, 576), (698, 544), (653, 512), (608, 480), (563, 448), (518, 416),
          (474, 384), (429, 352), (384, 320), (339, 288), (294, 256), (250, 224), (205, 192), (160, 160),
          (115, 128), (70, 96), (26, 64)]


def position(message):
    """(x, y) of a position message ":::MOUSEX=0123,Y=0456."."""
    return int(message[10:14]), int(message[17:21])


def main(work):
    e2e.need("socat")
    clip = e2e.make_clip(work, "hop", "--no-video")
    line = PtyPair(work)
    line.plug_in()
    receiver = e2e.Program("demo", relay_config(os.path.join(work, "receiver.ini"), "receive", 5),
                           "--serial", "1=" + line.b)
    try:
        if not e2e.check(receiver.wait_for(lambda e, f: e == "mode" and f == ["5"]),
                         "the receiver did not start in mode 5"):
            return
        sender = e2e.play(os.path.join(work, clip["pattern"]), relay_config(os.path.join(work, "sender.ini"), "send", 0),
                          "--serial", "1=" + line.a)
        e2e.check(sender.returncode == 0, "the sender ended with status %d: %s" % (sender.returncode, sender.stderr))
        sent = [position(fields[0]) for event, fields in e2e.events(sender.stdout) if event == "serial-send"]

        def cursors():
            return [tuple(int(v) for v in fields) for _, fields in receiver.of("cursor")]

        receiver.wait_for(lambda e, f: e == "cursor" and len(cursors()) >= len(sent), 10)
        receiver.collect(0.5)  # a doubled point would show by now

        print("sender wrote %d points, receiver moved the cursor %d times" % (len(sent), len(cursors())))
        e2e.check(sent == MAPPED, "the sender wrote %s\n  for the clip's touches %s" % (sent, MAPPED))
        e2e.check(cursors() == sent, "the receiver moved to %s\n  the sender wrote %s" % (cursors(), sent))
    finally:
        status = receiver.stop()
        e2e.check(status == 0, "the receiver ended with status %s: %s" % (status, receiver.stderr))


if __name__ == "__main__":
    sys.exit(e2e.run(main))
