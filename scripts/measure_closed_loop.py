#!/usr/bin/python3
"""How long the real pointer takes to reach a touch, camera included: the closed loop in the
simulated room, in both pacings.

    scripts/measure_closed_loop.py [BUILD_DIR=build] [COUNT=40]

Under its own Xvfb at 1024 x 768 the program watches the screen through the simulated camera
(--source screen at a 15 % keystone, 320 x 240 at 20 frames a second) with 梯形校正 on the
corners where the camera sees the screen's corners, and moves the real pointer through XTest
(--pointer x11). This script is one X client: on a black full-screen window it draws a white disc
at a random place, notes the time once the X server has it (XSync), then reads the pointer
(XQueryPointer) about every millisecond until it lies within TOLERANCE px of the disc's centre,
and notes that time. It then clears the disc and waits until the program has let go of the
buttons and the pointer has rested for 0.2 s, and a random part of a camera frame more, before
the next disc, at least 200 px away. The
program runs COUNT discs with --pace tick, then COUNT with --pace frame; the median and 95th
percentile of the delay are printed in milliseconds and in camera frames (50 ms), with the
median `frame-age` of the trace (from the screen taken to the injector's call).

The delay contains the wait for the camera's next picture of the screen (0 to 50 ms; the
simulated camera takes the screen once per 1/20 s), the picture (XGetImage of the screen, the
perspective and the noise), the pass, the XTest request, and the reading's own poll interval.
"""
import ctypes
import ctypes.util
import os
import random
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.dont_write_bytecode = True

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
COUNT = int(sys.argv[2]) if len(sys.argv) > 2 else 40
os.environ["VORNIX_BIN"] = os.path.join(BUILD, "src", "app", "vornix")
import e2e  # noqa: E402
import screen_room  # noqa: E402

SCREEN = (1024, 768)
RADIUS = 8
# The pointer goes to the disc's top as the camera finds it, RADIUS above the centre and within
# about 5 px of the top with this mapping (BENCHMARKS.md, mapping accuracy).
TOLERANCE = 20
FRAME_MS = 1000 / 20
GIVE_UP = 2.0  # seconds without the pointer at the disc: a miss
BUTTONS = 0x1F00  # Button1Mask .. Button5Mask


class XClient:
    """A black full-screen window that draws one disc, and the pointer read back, over Xlib."""

    def __init__(self):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x = self.x
        x.XOpenDisplay.restype = ctypes.c_void_p
        for name in ("XRootWindow", "XBlackPixel", "XWhitePixel", "XCreateSimpleWindow"):
            getattr(x, name).restype = ctypes.c_ulong
        x.XCreateGC.restype = ctypes.c_void_p
        window, p, i, u = ctypes.c_ulong, ctypes.c_void_p, ctypes.c_int, ctypes.c_uint
        x.XCreateSimpleWindow.argtypes = [p, window, i, i, u, u, u, ctypes.c_ulong, ctypes.c_ulong]
        x.XFillArc.argtypes = [p, window, p, i, i, u, u, i, i]
        x.XQueryPointer.argtypes = [p, window, *[ctypes.POINTER(window)] * 2, *[ctypes.POINTER(i)] * 4,
                                    ctypes.POINTER(u)]
        self.display = ctypes.c_void_p(x.XOpenDisplay(None))
        if not self.display:
            raise RuntimeError("no X display to draw on")
        screen = x.XDefaultScreen(self.display)
        self.root = ctypes.c_ulong(x.XRootWindow(self.display, screen))
        black, white = ctypes.c_ulong(x.XBlackPixel(self.display, screen)), ctypes.c_ulong(x.XWhitePixel(self.display, screen))
        # No window manager runs in the Xvfb: the window is mapped where it is asked to be.
        self.window = ctypes.c_ulong(x.XCreateSimpleWindow(self.display, self.root, 0, 0, SCREEN[0], SCREEN[1], 0,
                                                           black, black))
        self.gc = ctypes.c_void_p(x.XCreateGC(self.display, self.window, ctypes.c_ulong(0), None))
        x.XSetForeground(self.display, self.gc, white)
        x.XMapWindow(self.display, self.window)
        x.XSync(self.display, 0)

    def disc(self, centre):
        """Draws the disc (the previous one goes); the time once the server has drawn it."""
        self.x.XClearWindow(self.display, self.window)
        self.x.XFillArc(self.display, self.window, self.gc, centre[0] - RADIUS, centre[1] - RADIUS,
                        2 * RADIUS, 2 * RADIUS, 0, 360 * 64)
        self.x.XSync(self.display, 0)
        return time.monotonic()

    def clear(self):
        self.x.XClearWindow(self.display, self.window)
        self.x.XSync(self.display, 0)

    def pointer(self):
        """((x, y), buttons held) on the root window."""
        root, child = ctypes.c_ulong(), ctypes.c_ulong()
        rx, ry, wx, wy, mask = ctypes.c_int(), ctypes.c_int(), ctypes.c_int(), ctypes.c_int(), ctypes.c_uint()
        self.x.XQueryPointer(self.display, self.root, ctypes.byref(root), ctypes.byref(child), ctypes.byref(rx),
                             ctypes.byref(ry), ctypes.byref(wx), ctypes.byref(wy), ctypes.byref(mask))
        return (rx.value, ry.value), mask.value & BUTTONS

    def settle(self, rest=0.2, limit=5.0):
        """Waits until no button is held and the pointer has not moved for `rest` seconds."""
        deadline = time.monotonic() + limit
        last, since = None, time.monotonic()
        while time.monotonic() < deadline:
            position, held = self.pointer()
            if position != last or held:
                last, since = position, time.monotonic()
            elif time.monotonic() - since >= rest:
                return position
            time.sleep(0.005)
        return last


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(share * (len(ordered) - 1))))]


def next_place(rng, away_from):
    while True:
        place = (rng.randint(SCREEN[0] // 10, SCREEN[0] * 9 // 10), rng.randint(SCREEN[1] // 10, SCREEN[1] * 9 // 10))
        if screen_room.distance(place, away_from) >= 200:
            return place


def loop(client, pace, config, source, rng):
    """The delays (ms) of COUNT discs in that pacing, the count missed, the trace's frame ages."""
    # The later --pointer wins over e2e's --pointer none.
    program = e2e.Program(source, config, "--pointer", "x11", "--pace", pace)
    if not program.wait_for(lambda event, fields: event == "fps", 30):
        program.stop()
        raise RuntimeError("no pass ran with --pace %s: %s" % (pace, program.stderr))
    delays, missed = [], 0
    position = client.settle()
    for _ in range(COUNT):
        centre = next_place(rng, position)
        # The rest above ends at a fixed time after the camera's frame that moved the pointer;
        # a touch comes at any moment of the camera's frame.
        time.sleep(rng.uniform(0, FRAME_MS / 1000))
        drawn = client.disc(centre)
        reached = None
        while time.monotonic() - drawn < GIVE_UP:
            position, _ = client.pointer()
            if screen_room.distance(position, centre) <= TOLERANCE:
                reached = time.monotonic()
                break
            time.sleep(0.001)
        if reached is None:
            missed += 1
        else:
            delays.append(1000 * (reached - drawn))
        client.clear()
        position = client.settle()
    status = program.stop()
    if status != 0:
        print("--pace %s: exit status %d, %s" % (pace, status, program.stderr.strip()), file=sys.stderr)
    ages = [float(fields[0]) for event, fields in program.of("frame-age")]
    return delays, missed, ages


def main(work):
    # A straight lens: the corners are where the camera sees the screen's corners.
    corners = screen_room.KEYSTONE_15
    source = screen_room.source(corners)
    config = screen_room.write_config(os.path.join(work, "room.ini"), corners, 1, SCREEN)
    client = XClient()
    rng = random.Random(1)
    load = os.getloadavg()
    rows = []
    for pace in ("tick", "frame"):
        rows.append((pace, *loop(client, pace, config, source, rng)))
    load = (load, os.getloadavg())

    print("Closed loop, Xvfb %dx%d, camera %s at %g fps (one frame %g ms), disc radius %d px, reached within "
          "%d px of its centre; %d discs per pacing; load average %.1f before, %.1f after."
          % (*SCREEN, source, 1000 / FRAME_MS, FRAME_MS, RADIUS, TOLERANCE, COUNT, load[0][0], load[1][0]))
    print("%-6s %7s %7s %10s %10s %16s %16s" % ("pace", "reached", "missed", "median ms", "p95 ms",
                                                "median frames", "frame-age ms"))
    for pace, delays, missed, ages in rows:
        if not delays:
            print("%-6s %7d %7d  never reached" % (pace, 0, missed))
            continue
        median, p95 = statistics.median(delays), percentile(delays, 0.95)
        print("%-6s %7d %7d %10.1f %10.1f %16.2f %16s" % (pace, len(delays), missed, median, p95, median / FRAME_MS,
                                                         "%.1f" % statistics.median(ages) if ages else "-"))
    print("aim: median within 1.5 camera frames = %.0f ms" % (1.5 * FRAME_MS))


if __name__ == "__main__":
    screen_room.in_xvfb(*SCREEN)
    sys.exit(e2e.run(main))
