#!/usr/bin/python3
"""The automatic calibration closes the loop on the simulated room: the program watches its own
X screen as a camera beside the projector would (a keystoned picture), calibrates itself with
--calibrate, and a bright disc then drawn on the screen moves the cursor to the disc's top."""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e

# The screen's top-left, bottom-left, top-right and bottom-right corners in the camera picture:
# a camera below the picture's middle, tilted up.
QUAD = "50,18,22,222,270,18,298,222"

DISC = """
import sys, tkinter
x, y, d = (int(v) for v in sys.argv[1:4])
root = tkinter.Tk()
root.overrideredirect(True)
root.geometry("%dx%d+%d+%d" % (d, d, x - d // 2, y))
canvas = tkinter.Canvas(root, width=d, height=d, background="black", highlightthickness=0)
canvas.pack()
canvas.create_oval(0, 0, d - 1, d - 1, fill="white", outline="white")
root.after(4000, root.destroy)
root.mainloop()
"""


def disc_gives_cursor_near_its_top(program, x, y):
    """Draws a disc whose topmost pixel is (x, y); the first cursor move it brings."""
    before = len(program.events)
    client = e2e.background(["/usr/bin/python3", "-c", DISC, str(x), str(y), "40"])
    moved = program.wait_for(lambda event, fields: event == "cursor", timeout=20)
    client.wait(timeout=20)
    program.collect(1.5)  # the disc is gone and the dynamic reference has caught up
    if not e2e.check(moved, "no cursor move for the disc at %d,%d" % (x, y)):
        return
    cursor = [fields for event, fields in program.events[before:] if event == "cursor"][0]
    cx, cy = int(cursor[0]), int(cursor[1])
    e2e.check(abs(cx - x) <= 15 and abs(cy - y) <= 15,
              "the disc's top at %d,%d gave the cursor at %d,%d" % (x, y, cx, cy))


def main(work):
    usage = subprocess.run([e2e.BIN, "--help"], capture_output=True, text=True, timeout=30).stdout
    if "screen" not in usage:
        print("skip: this build has no simulated room (--source screen)")
        return
    config = e2e.write_config(os.path.join(work, "Vornix配置文件.ini"), e2e.mouse_range(0, 0, 1024, 768))
    program = e2e.Program("screen:" + QUAD, config, "--calibrate")
    calibrated = program.wait_for(lambda event, fields: event in ("calibrated", "error"), timeout=60)
    if not e2e.check(calibrated and program.events[-1][0] == "calibrated",
                     "no calibration: %s" % "\n".join(program.output[-10:])):
        return
    mapping, residual = program.events[-1][1]
    e2e.check(mapping == "1" and float(residual) < 1.0, "a keystone gave mapping %s, residual %s" % (mapping, residual))
    for x, y in ((200, 150), (800, 560)):
        disc_gives_cursor_near_its_top(program, x, y)
    e2e.check(program.stop() == 0, "the program did not end cleanly: %s" % program.stderr)


if __name__ == "__main__":
    if not os.environ.get("VORNIX_IN_XVFB"):
        e2e.need("xvfb-run")
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -br", "env", "VORNIX_IN_XVFB=1",
                               "/usr/bin/python3", *sys.argv])
    sys.exit(e2e.run(main))
