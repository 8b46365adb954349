#!/usr/bin/python3
"""自动调解阀值 on the clips of the automatic threshold (scripts/make_clips.py), each played frame by
frame with the shipped configuration, a static reference and the box checked: the passes that
report a touch (read from the trace's per-pass tuio lines) must be exactly the frames that show
the foot. A light switched on and off, noise of 15 under a threshold of 60 and a whole-picture
ramp of +-50 % over a minute touch nothing; a bright foot in the noise, a faint foot under the
typed threshold and a foot during the ramp are found in every frame they are in.

With an argument ("cleared"), the clips are played with the box cleared as well and the frames
with a touch printed, for BENCHMARKS.md.
"""
import os
import socket
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

CLIPS = ["light", "noisy", "faint", "ramp"]


def touched_frames(work, clip, checked, port):
    config = e2e.write_config(os.path.join(work, "%s-%d.ini" % (clip["name"], checked)), {"阀值/自动调解阀值": checked})
    with open(config, encoding="gbk", newline="") as f:
        text = f.read()
    with open(config, "w", encoding="gbk", newline="") as f:  # 静态
        f.write(text.replace("投影方式=0\r\n", "投影方式=0\r\n识别参考=1\r\n"))
    # In step mode a pass takes a frame every 50 ms tick: the ramp's 1200 frames take a minute.
    done = e2e.play(os.path.join(work, clip["pattern"]), config, "--tuio", "127.0.0.1:%d" % port,
                    timeout=60 + clip["frames"] / 10)
    e2e.check(done.returncode == 0, "%s: exit status %d" % (clip["name"], done.returncode))
    passes = [fields for event, fields in e2e.events(done.stdout) if event == "tuio"]
    e2e.check(len(passes) == clip["frames"], "%s: %d passes for %d frames" % (clip["name"], len(passes), clip["frames"]))
    # The tuio line of a pass: its fseq (from 1), then the ids of the cursors alive.
    return [int(fields[0]) - 1 for fields in passes if len(fields) > 1]


def main(work, cleared=False):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as receiver:  # takes the bundles, never read
        receiver.bind(("127.0.0.1", 0))
        port = receiver.getsockname()[1]
        for name in CLIPS:
            clip = e2e.make_clip(work, name, "--no-video")
            got = touched_frames(work, clip, 1, port)
            e2e.check(got == clip["foot"], "%s: touches in frames %s, the foot is in %s" % (name, got, clip["foot"]))
            if cleared:
                frames = touched_frames(work, clip, 0, port)
                print("%s cleared: %d frames with a touch %s" % (name, len(frames), frames))
            print("%s checked: %d frames with a touch" % (name, len(got)))


if __name__ == "__main__":
    sys.exit(e2e.run(lambda work: main(work, cleared=len(sys.argv) > 1)))
