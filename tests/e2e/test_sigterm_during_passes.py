#!/usr/bin/python3
"""SIGTERM at random moments of the passes.

The headless program plays the demo scene with the drag switched on, so the left button is held
while the foot moves over the surface. Each run waits for a press, then a random part of a
second more, and sends SIGTERM: the program ends with status 0, every press is let go (the one
held at the signal exactly once, at the end), nothing is injected after that release, and the
configuration file keeps its bytes.
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, HERE)
import edit_config  # noqa: E402

BIN = os.environ.get("VORNIX_BIN", "")
SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")
RUNS = 6
POINTER_EVENTS = ("touch", "map", "cursor", "mouse")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message)
    return condition


def run_once(work, config, rng):
    process = subprocess.Popen([BIN, "--headless", "--source", "demo", "--trace", "--pointer", "none",
                                "--config", config], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    lines = []
    pressed = threading.Event()

    def read():
        for line in process.stdout:
            lines.append(line.split())
            if line.split()[1:3] == ["mouse", "down"]:
                pressed.set()

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    if not check(pressed.wait(20), "no press within 20 s of the demo scene"):
        process.kill()
        return None
    delay = rng.uniform(0, 0.4)
    time.sleep(delay)
    process.send_signal(signal.SIGTERM)
    try:
        status = process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        check(False, "SIGTERM %.3f s after a press: no end within 5 s" % delay)
        return None
    reader.join(5)
    stderr = process.stderr.read()
    label = "SIGTERM %.3f s after a press" % delay
    check(status == 0, "%s: exit status %d (%s)" % (label, status, stderr.strip()))

    events = [(fields[1], fields[2:]) for fields in lines if len(fields) >= 2 and fields[0].isdigit()]
    buttons = [args[0] for event, args in events if event == "mouse" and args and args[0] in ("down", "up")]
    check(buttons.count("down") == buttons.count("up"), "%s: presses %d, releases %d"
          % (label, buttons.count("down"), buttons.count("up")))
    pointer = [(event, args) for event, args in events if event in POINTER_EVENTS]
    last_release = max((i for i, (event, args) in enumerate(pointer) if (event, args[:1]) == ("mouse", ["up"])),
                       default=-1)
    held_at_end = last_release >= 0 and last_release == len(pointer) - 1
    print("%s: status %d, %d presses, %s" % (label, status, buttons.count("down"),
                                             "held and let go at the end" if held_at_end else "not held then"))
    return held_at_end


def main():
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    work = tempfile.mkdtemp(prefix="vornix-sigterm-")
    try:
        config = os.path.join(work, "config.ini")
        edit_config.main(["edit_config.py", DEMO_CONFIG, config, "系统/控制鼠标拖动点击=1"])
        with open(config, "rb") as f:
            before = f.read()
        rng = random.Random(14)
        held = [run_once(work, config, rng) for _ in range(RUNS)]
        with open(config, "rb") as f:
            check(f.read() == before, "the configuration file changed")
        check(any(held), "no run ended while the button was held")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d failure(s)" % len(failures))
        return 1
    print("ok: %d runs ended by SIGTERM, %d of them with the button held" % (RUNS, sum(1 for h in held if h)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
