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
import signal
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

RUNS = 6
POINTER_EVENTS = ("touch", "map", "cursor", "mouse")


def run_once(config, rng):
    """One run ended by SIGTERM; whether the button was held at the signal."""
    program = e2e.Program("demo", config)
    if not e2e.check(program.wait_for(lambda event, fields: (event, fields[:1]) == ("mouse", ["down"]), 20),
                     "no press within 20 s of the demo scene"):
        program.stop()
        return False
    delay = rng.uniform(0, 0.4)
    time.sleep(delay)
    status = program.stop(signal.SIGTERM)
    label = "SIGTERM %.3f s after a press" % delay
    e2e.check(not program.killed, "%s: no end within 10 s" % label)
    e2e.check(status == 0, "%s: exit status %d (%s)" % (label, status, program.stderr.strip()))

    buttons = [fields[0] for _, fields in program.of("mouse") if fields[:1] in (["down"], ["up"])]
    e2e.check(buttons.count("down") == buttons.count("up"),
              "%s: presses %d, releases %d" % (label, buttons.count("down"), buttons.count("up")))
    pointer = program.of(*POINTER_EVENTS)
    held_at_end = bool(pointer) and pointer[-1] == ("mouse", ["up"]) and buttons[-2:] == ["down", "up"]
    print("%s: status %d, %d presses, %s" % (label, status, buttons.count("down"),
                                             "held and let go at the end" if held_at_end else "not held then"))
    return held_at_end


def main(work):
    config = e2e.write_config(os.path.join(work, "config.ini"), {"系统/控制鼠标拖动点击": 1})
    with open(config, "rb") as f:
        before = f.read()
    rng = random.Random(14)
    held = [run_once(config, rng) for _ in range(RUNS)]
    with open(config, "rb") as f:
        e2e.check(f.read() == before, "the configuration file changed")
    e2e.check(any(held), "no run ended while the button was held")
    print("%d runs ended by SIGTERM, %d of them with the button held" % (RUNS, sum(held)))


if __name__ == "__main__":
    sys.exit(e2e.run(main))
