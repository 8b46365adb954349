#!/usr/bin/python3
"""The simulated room closes the loop under Xvfb: a camera at a 15 % keystone watching the
screen (--source screen:QUAD), the four corners of 梯形校正 set to where it sees the screen's
corners, and a disc drawn on the screen is mapped to within 15 px of the disc's top. Without a
display, and with a placement it cannot read, the program says so in one line and ends with
status 2.
"""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402
import screen_room  # noqa: E402


def refused(label, source, env=None):
    done = subprocess.run([e2e.BIN, "--headless", "--pointer", "none", "--source", source],
                          capture_output=True, text=True, timeout=60, env=env)
    lines = done.stderr.splitlines()
    print("%s: status %d, %s" % (label, done.returncode, lines))
    e2e.check(done.returncode == 2 and len(lines) == 1 and lines[0].startswith("vornix:"),
              "%s: want status 2 and one line, got %d and %s" % (label, done.returncode, lines))


def main(work):
    no_display = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    refused("no display", "screen", no_display)
    refused("seven numbers", "screen:44,24,24,216,276,24,296")
    refused("a crossed quadrilateral", "screen:44,24,24,216,296,216,276,24")

    drawer = screen_room.Drawer()
    config = screen_room.write_config(os.path.join(work, "room.ini"), screen_room.KEYSTONE_15, 1)
    program = e2e.Program(screen_room.source(screen_room.KEYSTONE_15), config)
    # The first frame is the reference: the black screen, before the disc.
    e2e.check(program.wait_for(lambda event, fields: event == "fps", 20), "no pass ran")
    top = (600, 300)
    drawer.disc(*top)
    mapped = program.wait_for(lambda event, fields: event == "map", 20)
    status = program.stop()
    maps = [(int(fields[0]), int(fields[1])) for event, fields in program.of("map")]
    print("disc top %s, mapped to %s" % (top, maps))
    if e2e.check(mapped, "the disc was never mapped"):
        e2e.check(screen_room.distance(maps[0], top) <= 15, "mapped to %s, %.1f px from %s"
                  % (maps[0], screen_room.distance(maps[0], top), top))
    e2e.check(status == 0, "exit status %d, stderr %s" % (status, program.stderr))
    drawer.close()


if __name__ == "__main__":
    screen_room.in_xvfb()
    sys.exit(e2e.run(main))
