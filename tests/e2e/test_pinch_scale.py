#!/usr/bin/python3
"""A picture-zooming application fed over TCP in the two-point mode 6: the pinch clip (two
fingers close in on each other, hold, spread apart) is played frame by frame with multi-touch
switched on, and an independent client on the multi-touch port reads texts up to each NUL.

Every frame in which the fingers moved must hand over both points the clip describes, and the
client must receive scale messages whose factor is negative while the fingers close in and
positive while they spread: all the negative ones first, then the positive ones.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.path.insert(0, HERE)
import edit_config  # noqa: E402
from test_multitouch_tcp import Client, free_port  # noqa: E402

BIN = os.environ.get("VORNIX_BIN", "")
SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")
# The panel's scale message before any gesture; a sender tick may pass it on before the second
# two-point frame builds the first one of the clip.
DESIGN_TIME_SCALE = "1|scale|381,273,391,283,-0.2"


def main():
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    work = tempfile.mkdtemp(prefix="vornix-pinch-")
    try:
        subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "scripts", "make_clips.py"), work,
                        "--no-video", "pinch"], check=True, timeout=120)
        with open(os.path.join(work, "pinch.json")) as f:
            clip = json.load(f)
        config = os.path.join(work, "pinch.ini")
        edit_config.main(["edit_config.py", DEMO_CONFIG, config, "系统/投影方式=6", "多点触摸/启用多点触摸=1"])

        port = free_port()
        client = Client(port)
        client.start()
        command = [BIN, "--headless", "--source", os.path.join(work, clip["pattern"]), "--step",
                   "--exit-at-end", "--trace", "--pointer", "none", "--multitouch-port", str(port),
                   "--config", config]
        done = subprocess.run(command, capture_output=True, text=True, timeout=60)
        client.join(10)
        return check(done, client, clip)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def check(done, client, clip):
    failures = []

    def expect(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL: " + message)

    if done.stderr:
        print(done.stderr.rstrip())
    expect(done.returncode == 0, "exit status %d" % done.returncode)
    expect(client.error is None, "client: %s" % client.error)

    handed = [line.split()[1:] for line in done.stdout.splitlines()
              if len(line.split()) == 4 and line.split()[1] in ("touch", "touch2")]
    want = []
    for _, first, y1, second, y2 in clip["points"]:
        want += [["touch", str(first), str(y1)], ["touch2", str(second), str(y2)]]
    expect(handed == want, "handed-over points differ\n  got  %s\n  want %s" % (handed, want))

    factors = [float(text.rsplit(",", 1)[1]) for text in client.messages
               if text.startswith("1|scale|") and text != DESIGN_TIME_SCALE]
    signs = "".join("-" if factor < 0 else "+" if factor > 0 else "0" for factor in factors)
    print("scale factors received: %s" % " ".join("%.2f" % factor for factor in factors))
    closing, spreading = signs.count("-"), signs.count("+")
    expect(closing >= 2 and spreading >= 2 and signs == "-" * closing + "+" * spreading,
           "want negative factors while closing, then positive ones while spreading: %s" % signs)

    if failures:
        print("trace:\n" + done.stdout)
        return 1
    print("OK: %d points handed over; %d scale messages closing, %d spreading" % (len(handed), closing, spreading))
    return 0


if __name__ == "__main__":
    sys.exit(main())
