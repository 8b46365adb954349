"""The simulated room (--source screen) for the end-to-end tests and the accuracy measurement:
the X server to run in, a placement of the camera, the configuration that maps it, and the
window that draws the touches.
"""
import math
import os
import subprocess
import sys

import e2e

# A camera below the projection's centre line: the screen's top edge is 15 % shorter than its
# bottom edge. Top-left, bottom-left, top-right, bottom-right, in picture pixels.
KEYSTONE_15 = ((44, 24), (24, 216), (276, 24), (296, 216))


def in_xvfb(width=1024, height=768):
    """Runs this script again under its own Xvfb at that size (24 bits), unless it already is."""
    if os.environ.get("VORNIX_IN_XVFB"):
        return
    e2e.need("xvfb-run")
    os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 %dx%dx24" % (width, height), "env", "VORNIX_IN_XVFB=1",
                           "/usr/bin/python3", "-B", *sys.argv])


def source(corners, k1=None):
    """The --source value of that placement."""
    text = "screen:" + ",".join("%g,%g" % corner for corner in corners)
    return text if k1 is None else "%s:%g" % (text, k1)


def through_lens(point, k1):
    """Where the lens shows a point that the perspective alone puts at point."""
    dx, dy = point[0] - 160, point[1] - 120
    stretch = 1 + k1 * (dx * dx + dy * dy) / 200 ** 2
    return 160 + dx * stretch, 120 + dy * stretch


def set_mapping(path, mapping):
    """Sets 射像机/映射算法 in the configuration file, adding the key when it is not there."""
    with open(path, encoding="gbk", newline="") as f:
        lines = f.read().split("\r\n")
    section = None
    for i, line in enumerate(lines):
        if line.startswith("["):
            section = line.strip()[1:-1]
        elif section == "射像机" and line.partition("=")[0].strip() == "映射算法":
            lines[i] = "映射算法=%d" % mapping
            break
    else:
        lines.insert(lines.index("[射像机]") + 1, "映射算法=%d" % mapping)
    with open(path, "w", encoding="gbk", newline="") as f:
        f.write("\r\n".join(lines))


def write_config(path, corners, mapping, screen=(1024, 768)):
    """The shipped configuration with the camera corners (top-left, bottom-left, top-right,
    bottom-right), the mapping (0 矩形校正, 1 梯形校正), the whole screen as the mouse range, every
    sample scanned (speed factor 1) and the passes of mode 0."""
    values = e2e.mouse_range(0, 0, screen[0] - 1, screen[1] - 1)
    for i, (x, y) in enumerate(corners):
        values["射像机/x%d" % i] = "%g" % x
        values["射像机/Y%d" % i] = "%g" % y
    values["系统/投影方式"] = 0
    e2e.write_config(path, values)
    set_mapping(path, mapping)
    return path


class Drawer:
    """disc_drawer.py over the whole screen: black, with a disc where asked."""

    def __init__(self):
        self.process = e2e.background(["/usr/bin/python3", "-B", os.path.join(e2e.HERE, "disc_drawer.py")],
                                      stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self._expect("ready")

    def _expect(self, word):
        line = self.process.stdout.readline().strip()
        if line != word:
            raise RuntimeError("disc_drawer.py said %r, not %r" % (line, word))

    def _send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        self._expect("done")

    def disc(self, x, y, radius=8):
        """A disc whose topmost pixel is (x, y), once it is on the screen."""
        self._send("disc %d %d %d" % (x, y, radius))

    def clear(self):
        self._send("clear")

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=10)


def distance(a, b):
    return math.hypot(a[0] - b[0], a[1] - b[1])
