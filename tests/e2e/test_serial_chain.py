#!/usr/bin/python3
"""Two installations chained over one serial line (a socat pty pair).

The sender plays the project's hop clip frame by frame and writes every mapped point to the
line; the receiver runs headless in mode 4, so it detects nothing itself and only follows the
line. The clip's touches come three passes (150 ms) apart, so that each message reaches the
receiver in a read of its own even on a busy machine: two messages in one read would keep only
the first. The receiver's cursor must visit exactly the points the sender wrote, in order, none
doubled and none missing, and those are the clip's touches mapped onto the sender's screen.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, HERE)
from clip_expect import mapped, reported  # noqa: E402
from serial_rig import SOURCE_DIR, Program, PtyPair, parse, relay_config  # noqa: E402

BIN = os.environ.get("VORNIX_BIN", "")


def position(message):
    """(x, y) of a position message ":::MOUSEX=0123,Y=0456."."""
    return int(message[10:14]), int(message[17:21])


def main():
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    if shutil.which("socat") is None:
        print("FAIL: socat is missing (scripts/setup.sh installs it)")
        return 1

    work = tempfile.mkdtemp(prefix="vornix-serial-chain-")
    line = PtyPair(work)
    receiver = None
    failures = []
    try:
        subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "scripts", "make_clips.py"), work,
                        "--no-video", "hop"], check=True, timeout=120, stdout=subprocess.DEVNULL)
        with open(os.path.join(work, "hop.json")) as f:
            clip = json.load(f)
        line.plug_in()
        receiver_config = os.path.join(work, "receiver.ini")
        relay_config(receiver_config, "receive", 4)
        sender_config = os.path.join(work, "sender.ini")
        relay_config(sender_config, "send", 0)

        receiver = Program([BIN, "--headless", "--pointer", "none", "--trace", "--source", "demo",
                            "--config", receiver_config, "--serial", "1=" + line.b])
        if not receiver.wait_for(lambda e, f: e == "mode" and f == ["4"]):
            failures.append("the receiver did not start in mode 4")
            return 1

        sender = subprocess.run(
            [BIN, "--headless", "--pointer", "none", "--trace", "--step", "--exit-at-end",
             "--source", os.path.join(work, clip["pattern"]), "--config", sender_config,
             "--serial", "1=" + line.a], capture_output=True, text=True, timeout=60)
        if sender.returncode != 0:
            failures.append("the sender ended with status %d: %s" % (sender.returncode, sender.stderr))
        sent = [position(fields[0]) for event, fields in filter(None, map(parse, sender.stdout.splitlines()))
                if event == "serial-send"]

        def cursors():
            return [tuple(int(v) for v in fields) for _, fields in receiver.of("cursor")]

        receiver.wait_for(lambda e, f: e == "cursor" and len(cursors()) >= len(sent), 10)
        receiver.collect(0.5)  # a doubled point would show by now

        touches = reported(clip["touches"]["stride2"])
        seen = [mapped(x, y, 0, 0, 1024, 768) for _, x, y in touches]
        print("sender wrote %d points, receiver moved the cursor %d times" % (len(sent), len(cursors())))
        if sent != seen:
            failures.append("the sender wrote %s\n  for the clip's touches %s" % (sent, seen))
        if cursors() != sent:
            failures.append("the receiver moved to %s\n  the sender wrote %s" % (cursors(), sent))
    finally:
        status = receiver.stop() if receiver else None
        if line.process and line.process.poll() is None:
            line.pull_out()
        shutil.rmtree(work, ignore_errors=True)
        if receiver and status != 0:
            failures.append("the receiver ended with status %s: %s" % (status, receiver.stderr))
        for failure in failures:
            print("FAIL: " + failure)
    if failures:
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
