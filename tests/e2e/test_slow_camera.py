#!/usr/bin/python3
"""A camera slower than the 50 ms tick: the drag clip (a blob that appears, moves in every frame
and disappears) encoded at 10 and at 15 frames a second and played in real time, with drag click
on and a dynamic reference. A tick that finds no new frame runs no pass, so the one continuous
drag stays one drag: exactly one "mouse down" and one "mouse up", with the pointer following the
blob in between.
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

BIN = os.environ.get("VORNIX_BIN", "")
SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")
RATES = (10, 15)


def main():
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    if shutil.which("ffmpeg") is None:
        print("skip: ffmpeg is not installed (the clips are made with it)")
        return 0
    failures = []
    work = tempfile.mkdtemp(prefix="vornix-slow-camera-")
    try:
        subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "scripts", "make_clips.py"), work,
                        "--fps=" + ",".join(str(r) for r in RATES), "drag"], check=True, timeout=120)
        with open(os.path.join(work, "drag.json")) as f:
            clip = json.load(f)
        config = os.path.join(work, "drag.ini")
        edit_config.main(["edit_config.py", DEMO_CONFIG, config, "系统/控制鼠标拖动点击=1"])
        frames_with_blob = sum(1 for blob in clip["blob"] if blob is not None)

        for rate in RATES:
            video = os.path.join(work, clip["videos"][str(rate)])
            command = [BIN, "--headless", "--source", video, "--exit-at-end", "--trace",
                       "--pointer", "none", "--config", config]
            done = subprocess.run(command, capture_output=True, text=True, timeout=60)
            lines = [line.split() for line in done.stdout.splitlines()]
            buttons = [fields[2] for fields in lines if len(fields) > 2 and fields[1] == "mouse"]
            touches = [fields for fields in lines if len(fields) > 1 and fields[1] == "touch"]
            print("%d fps: status %d, buttons %s, %d touches" % (rate, done.returncode, buttons, len(touches)))
            if done.returncode != 0:
                failures.append("%d fps: exit status %d: %s" % (rate, done.returncode, done.stderr.strip()))
            if buttons != ["down", "up"]:
                failures.append("%d fps: the drag became %s" % (rate, " ".join(buttons) or "nothing"))
            # Each frame of the blob that a pass takes hands a touch over; a busy machine may let a
            # frame or two go by, but the pointer must have followed the drag.
            if len(touches) < frames_with_blob // 2:
                failures.append("%d fps: %d touches for %d frames with the blob"
                                % (rate, len(touches), frames_with_blob))
            if failures:
                print(done.stdout)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        return 1
    print("OK: one drag at %s frames a second" % " and ".join(str(r) for r in RATES))
    return 0


if __name__ == "__main__":
    sys.exit(main())
