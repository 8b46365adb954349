#!/usr/bin/python3
"""Makes the small deterministic test clips of the touch detector.

    make_clips.py OUTDIR [--no-video] [--fps=N,...] [NAME ...]

For each clip NAME ("blob", "drag", "hop", "stripe", "pinch", "laser", "zones", "walkers2",
"walkers4", "walkers8", "light", "noisy", "faint", "ramp"; all when none is named)
it writes
    OUTDIR/NAME/frames/0000.png ...   the frames, 320 x 240 RGB
    OUTDIR/NAME.mkv                   the same frames, FFV1 (lossless, pixel values survive),
                                      20 frames a second
    OUTDIR/NAME-Nfps.mkv              the same at N frames a second, for each N of --fps (a
                                      camera slower than the program's 50 ms tick)
    OUTDIR/NAME.json                  frame rate and what the clip shows in every frame

The blob of "blob", "drag" and "hop" is a light square, 24 pixels a side; the description gives
its top-left pixel in every frame ("square", null where there is none). It only ever moves up and
to the left, never by a whole side, so that the first pixel of a frame that differs from the frame
before, in rows then columns, is the square's top-left pixel in that frame (in the frame where it
is gone, its top-left in the frame before).
"blob": a still surface; the square appears at an odd pixel (201, 107) in frame 10, stands, moves
10 columns left and 4 rows up a frame in frames 20 to 30 from (200, 106) to (100, 66), stands, and
is gone from frame 40.
"drag": the square appears at (224, 178) in frame 5, moves 8 columns left and 6 rows up in every
frame to (40, 40) in frame 28, and is gone from frame 29.
"hop": the square appears at (260, 200) in frame 5 and hops 14 columns left and 10 rows up every
third frame (frames 8, 11, ..., 59) to (8, 20), standing still in between.
"stripe": a rear-projection screen on which a fingertip presses, as a short bright stripe, at one
place after another (mode 3); a wide band of light and a shadow between the presses are no touch.
"pinch": two fingers, there from the first frame, close in on each other, hold, spread apart and
hold (mode 6).
"laser": a projected picture that changes in every frame (red at most 190) and a laser dot (red
255, radius 3, its centre at even pixels) that moves, goes, comes back elsewhere, goes again
and comes back; a white flash while it is gone (mode 4). The description gives the dot's centre
in every frame ("dot", null where there is none) and the frames of the flash.
"zones": the surface, empty, then the square (40 pixels a side) standing in the zone
20,20,80,80, gone, then standing in the zone 200,120,80,80 (mode 5).
"walkersN": N visitors seen from above, light discs 16 pixels wide, that walk straight at
different speeds and turn back at the edges, so that their paths cross again and again, some
passing far apart, some close, some through each other; there from the second frame (the first
is the empty surface), 200 frames. The description gives every walker's centre in every frame
("walkers": per frame, [x, y] per walker) and its "width". The surface's noise repeats every 8
frames here.
The clips of the automatic threshold, each a still surface under changing light or noise with a
"foot", a square of SIDE pixels at FOOT_CORNER, in some frames ("foot": the frames that show it):
"light": the whole picture 90 levels brighter in frames 10 to 29 (a lamp switched on and off
again), noise of standard deviation 2, no foot.
"noisy": dim light, sensor noise of standard deviation 15 on red in every frame, a bright foot
(150 levels above the surface) in frames 20 to 29.
"faint": clean light (noise of standard deviation 2), a faint foot (30 levels above the surface,
under the threshold of 60) in frames 20 to 29.
"ramp": a minute at 20 frames a second (1200 frames, no noise) of a lighter surface (red 140
and 160, so that 50 % is more than the threshold of 60): the whole picture brightens
linearly by 50 % over the first quarter, darkens to 50 % below its first light by the third and
comes back by the end; a foot (red 240) stands in frames 500 to 539.

The surface of the first five carries a little fixed noise on red (at most +-2), far below the threshold of 60;
the square and the fingers differ from it by more than 100.
"""

import json
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import zlib

WIDTH, HEIGHT = 320, 240
FPS = 20
THRESHOLD = 60


def png_bytes(rows):
    """rows: list of bytes objects of WIDTH * 3 RGB bytes."""
    raw = b"".join(b"\x00" + row for row in rows)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def noise(frame, x, y):
    """A fixed pseudo-random value in -2..2, the same on every run and every machine."""
    v = (frame * 73856093) ^ (x * 19349663) ^ (y * 83492791)
    v = (v * 2654435761) & 0xFFFFFFFF
    return (v >> 13) % 5 - 2


def surface_row(frame, y):
    row = bytearray(WIDTH * 3)
    for x in range(WIDTH):
        red = 100 + 20 * (((x >> 4) + (y >> 4)) & 1) + noise(frame, x, y)
        row[3 * x] = red
        row[3 * x + 1] = 60 + (x * 40) // WIDTH
        row[3 * x + 2] = 140 - (y * 40) // HEIGHT
    return row


SIDE = 24  # the square's side in pixels


def render(frame, corner):
    """The surface of that frame with, when corner is (x, y), a light square whose top-left pixel
    is (x, y)."""
    rows = []
    for y in range(HEIGHT):
        row = surface_row(frame, y)
        if corner is not None and corner[1] <= y < corner[1] + SIDE:
            row[3 * corner[0]:3 * (corner[0] + SIDE)] = b"\xf0\xe6\xdc" * SIDE  # (240, 230, 220)
        rows.append(bytes(row))
    return rows


def blob_clip():
    corners = []
    for f in range(45):
        if 10 <= f < 20:
            p = (201, 107)
        elif 20 <= f <= 30:
            p = (200 - 10 * (f - 20), 106 - 4 * (f - 20))
        elif 30 < f < 40:
            p = (100, 66)
        else:
            p = None
        corners.append(p)
    return corners


def drag_clip():
    return [(224 - 8 * (f - 5), 178 - 6 * (f - 5)) if 5 <= f <= 28 else None for f in range(35)]


def hop_clip():
    return [(260 - 14 * ((f - 5) // 3), 200 - 10 * ((f - 5) // 3)) if f >= 5 else None for f in range(62)]


# A fingertip on the rear-projection screen, added to the screen's red: edges rising and falling
# 17 levels a column, 10 columns of plateau, 26 columns in all (above 60 from its 4th column to
# its 23rd), 10 rows high. The noise of two frames (at most 4) leaves every step far from the
# threshold of 60.
STRIPE_PROFILE = [17 * i for i in range(1, 9)] + [150] * 10 + [17 * i for i in range(8, 0, -1)]
STRIPE_ROWS = 10


def screen_row(frame, y):
    row = bytearray(WIDTH * 3)
    for x in range(WIDTH):
        row[3 * x] = 70 + round(6 * math.sin(x / 37) * math.cos(y / 29)) + noise(frame, x, y)
        row[3 * x + 1] = 55 + (x + y) // 40
        row[3 * x + 2] = 75 - y // 12
    return row


def add_red(row, left, reds):
    for i, red in enumerate(reds):
        x = left + i
        if 0 <= x < WIDTH:
            row[3 * x] = max(0, min(255, row[3 * x] + red))


def stripe_clip():
    """Three bare frames, then six presses at odd columns and even rows, each shown for five
    frames (from frame 3, 11, 19, 27, 35, 43) and lifted for three. Returns the frames and the
    entries of the clip's description."""
    presses = [(41, 30), (201, 60), (121, 120), (251, 180), (71, 200), (161, 90)]
    band = [17 * i for i in range(1, 9)] + [150] * 50 + [17 * i for i in range(8, 0, -1)]
    shown = [{}] * 3
    for n, (left, top) in enumerate(presses):
        shown += [{"press": [left, top]}] * 5
        lifted = [{}, {}, {}]
        if n == 2:
            lifted[1] = {"band": [31, 150]}      # too wide: rejected
        if n == 4:
            lifted[1] = {"shadow": [200, 20]}    # darker than the reference: never a touch
        shown += lifted
    frames = []
    for f, what in enumerate(shown):
        rows = []
        for y in range(HEIGHT):
            row = screen_row(f, y)
            if "press" in what and what["press"][1] <= y < what["press"][1] + STRIPE_ROWS:
                add_red(row, what["press"][0], STRIPE_PROFILE)
            if "band" in what and what["band"][1] <= y < what["band"][1] + STRIPE_ROWS:
                add_red(row, what["band"][0], band)
            if "shadow" in what and what["shadow"][1] <= y < what["shadow"][1] + 40:
                add_red(row, what["shadow"][0], [-50] * 60)
            rows.append(bytes(row))
        frames.append(rows)
    return frames, {"shown": shown}


FINGER_WIDTH, FINGER_TOP, FINGER_ROWS = 5, 100, 40


def pinch_clip():
    """Two fingers 5 columns wide and 40 rows high from row 100 down, their left columns at 100
    and 200 in frames 0 to 6; they close in 3 columns a frame each in frames 7 to 16 (to 130 and
    170), hold in frames 17 to 20, spread 4 columns a frame each in frames 21 to 30 (to 90 and
    210) and hold in frames 31 to 34."""
    lefts = [(100, 200)] * 7
    lefts += [(100 + 3 * k, 200 - 3 * k) for k in range(1, 11)]
    lefts += [lefts[-1]] * 4
    a, c = lefts[-1]
    lefts += [(a - 4 * k, c + 4 * k) for k in range(1, 11)]
    lefts += [lefts[-1]] * 4
    frames = []
    for f, (a, c) in enumerate(lefts):
        rows = []
        for y in range(HEIGHT):
            row = surface_row(f, y)
            if FINGER_TOP <= y < FINGER_TOP + FINGER_ROWS:
                for x in list(range(a, a + FINGER_WIDTH)) + list(range(c, c + FINGER_WIDTH)):
                    row[3 * x:3 * x + 3] = b"\xf0\xe6\xdc"
            rows.append(bytes(row))
        frames.append(rows)
    return frames, {"fingers": lefts}


LASER_RADIUS = 3


def laser_clip():
    """Frames 3 to 12: the dot from (60, 60), 10 columns right and 4 rows down a frame; 13 to 18
    gone, with a white flash in 15 and 16; 19 to 24 from (200, 150), 8 columns left and 2 rows
    down a frame; 25 to 30 gone; 31 to 34 still at (100, 200)."""
    dots = [None] * 3 + [(60 + 10 * k, 60 + 4 * k) for k in range(10)] + [None] * 6
    dots += [(200 - 8 * k, 150 + 2 * k) for k in range(6)] + [None] * 6 + [(100, 200)] * 4
    flashes = [15, 16]
    frames = []
    for f, dot in enumerate(dots):
        rows = []
        for y in range(HEIGHT):
            row = bytearray(WIDTH * 3)
            for x in range(WIDTH):
                band = ((x + 7 * f) // 20 + (y // 30)) % 4
                row[3 * x] = 255 if f in flashes else 40 + 50 * band
                row[3 * x + 1] = 255 if f in flashes else 60 + 30 * ((band + 1) % 4)
                row[3 * x + 2] = 255 if f in flashes else 90
            if dot is not None and abs(y - dot[1]) <= LASER_RADIUS:
                for x in range(dot[0] - LASER_RADIUS, dot[0] + LASER_RADIUS + 1):
                    if (x - dot[0]) ** 2 + (y - dot[1]) ** 2 <= LASER_RADIUS ** 2:
                        row[3 * x:3 * x + 3] = b"\xff\x40\x40"
            rows.append(bytes(row))
        frames.append(rows)
    return frames, {"dot": dots, "flash": flashes}


def zones_clip():
    """Frames 0 to 2 empty, 3 to 8 the square at (40, 40) (zone 1), 9 to 12 empty, 13 to 18 at
    (220, 140) (zone 2), 19 to 20 empty."""
    corners = [None] * 3 + [(40, 40)] * 6 + [None] * 4 + [(220, 140)] * 6 + [None] * 2
    frames = []
    for f, corner in enumerate(corners):
        rows = []
        for y in range(HEIGHT):
            row = surface_row(f, y)
            if corner is not None and corner[1] <= y < corner[1] + 40:
                row[3 * corner[0]:3 * (corner[0] + 40)] = b"\xf0\xe6\xdc" * 40
            rows.append(bytes(row))
        frames.append(rows)
    return frames, {"square": corners, "side": 40}


WALKER = 16  # a walker's width in pixels
WALKER_FRAMES = 200


def walker_paths(count):
    """Per frame, the centres of count walkers: they start around the middle heading roughly
    across it, at 2 to 2.75 pixels a frame, and turn back at the edges."""
    radius = WALKER / 2
    walkers = []
    for i in range(count):
        angle = 2 * math.pi * (i + 0.5) / count
        heading = angle + math.pi + 0.35 * (i % 3 - 1)
        speed = 2.0 + 0.25 * (i % 4)
        walkers.append([160 + 100 * math.cos(angle), 120 + 75 * math.sin(angle),
                        speed * math.cos(heading), speed * math.sin(heading)])
    paths = []
    for _ in range(WALKER_FRAMES):
        paths.append([[round(w[0], 2), round(w[1], 2)] for w in walkers])
        for w in walkers:
            for axis, size in ((0, WIDTH), (1, HEIGHT)):
                w[axis] += w[axis + 2]
                low, high = radius + 2, size - radius - 3
                if not low <= w[axis] <= high:
                    w[axis + 2] = -w[axis + 2]
                    w[axis] = min(max(w[axis], low), high)
    return paths


def walkers_clip(count):
    paths = walker_paths(count)
    surfaces = [[bytes(surface_row(f, y)) for y in range(HEIGHT)] for f in range(8)]
    radius = WALKER / 2
    frames = []
    for f, centres in enumerate(paths):
        rows = [bytearray(r) for r in surfaces[f % 8]]
        if f > 0:
            for cx, cy in centres:
                for y in range(math.ceil(cy - radius), math.floor(cy + radius) + 1):
                    half = math.sqrt(max(radius * radius - (y - cy) ** 2, 0))
                    left, right = math.ceil(cx - half), math.floor(cx + half)
                    if 0 <= y < HEIGHT and right >= left:
                        rows[y][3 * left:3 * (right + 1)] = b"\xf0\xe6\xdc" * (right + 1 - left)
        frames.append([bytes(r) for r in rows])
    return frames, {"width": WALKER, "walkers": [None] + paths[1:]}


FOOT_CORNER = (150, 100)


def foot_clip(count, foot_frames, foot_red, sigma, light=lambda f: 0, seed=1):
    """count frames of the checkered surface (red 100 and 120), light(f) added to every channel,
    with gaussian noise of standard deviation sigma on red (a seeded generator, so the clip is
    the same everywhere) and the foot's red at foot_red(surface red) in foot_frames."""
    rng = random.Random(seed)
    fx, fy = FOOT_CORNER
    base = [surface_row(0, y) for y in range(HEIGHT)]
    for y, row in enumerate(base):
        for x in range(WIDTH):
            row[3 * x] = 100 + 20 * (((x >> 4) + (y >> 4)) & 1)
    frames = []
    for f in range(count):
        lift = light(f)
        rows = []
        for y in range(HEIGHT):
            row = bytearray(min(255, max(0, v + lift)) for v in base[y]) if lift else bytearray(base[y])
            if f in foot_frames and fy <= y < fy + SIDE:
                for x in range(fx, fx + SIDE):
                    row[3 * x] = min(255, foot_red(row[3 * x]))
            if sigma:
                for x in range(WIDTH):
                    row[3 * x] = min(255, max(0, round(row[3 * x] + rng.gauss(0, sigma))))
            rows.append(bytes(row))
        frames.append(rows)
    return frames, {"side": SIDE, "foot_corner": list(FOOT_CORNER), "foot": sorted(foot_frames)}


def ramp_clip():
    """The surface under a triangle of light over 1200 frames (see the module's description),
    each frame's rows the first frame's bytes through one lookup table."""
    count = 1200
    fx, fy = FOOT_CORNER
    first = [surface_row(0, y) for y in range(HEIGHT)]
    for y, row in enumerate(first):
        for x in range(WIDTH):
            row[3 * x] = 140 + 20 * (((x >> 4) + (y >> 4)) & 1)
    foot = range(500, 540)
    frames = []
    for f in range(count):
        t = f / count
        gain = 1 + 2 * t if t < 0.25 else 2 - 2 * t if t < 0.75 else 2 * t - 1  # 1 -> 1.5 -> 0.5 -> 1
        table = bytes(min(255, round(v * gain)) for v in range(256))
        rows = []
        for y in range(HEIGHT):
            row = bytearray(first[y].translate(table))
            if f in foot and fy <= y < fy + SIDE:
                row[3 * fx:3 * (fx + SIDE)] = b"\xf0\xe6\xdc" * SIDE
            rows.append(bytes(row))
        frames.append(rows)
    return frames, {"side": SIDE, "foot_corner": list(FOOT_CORNER), "foot": list(foot)}


def encode(folder, rate, target):
    subprocess.run(["ffmpeg", "-y", "-loglevel", "error", "-framerate", str(rate),
                    "-start_number", "0", "-i", os.path.join(folder, "%04d.png"),
                    "-c:v", "ffv1", "-pix_fmt", "bgr0", target], check=True)


def square_frames(corners):
    return [render(f, corner) for f, corner in enumerate(corners)], {"side": SIDE, "square": corners}


def write_clip(outdir, name, clip, video, rates):
    frames, entries = clip
    folder = os.path.join(outdir, name, "frames")
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    for f, rows in enumerate(frames):
        with open(os.path.join(folder, "%04d.png" % f), "wb") as out:
            out.write(png_bytes(rows))
    description = {
        "name": name, "width": WIDTH, "height": HEIGHT, "fps": FPS, "frames": len(frames),
        "threshold": THRESHOLD, "pattern": name + "/frames/%04d.png",
    }
    description.update(entries)
    if video:
        encode(folder, FPS, os.path.join(outdir, name + ".mkv"))
        description["video"] = name + ".mkv"
        description["videos"] = {}
        for rate in rates:
            encode(folder, rate, os.path.join(outdir, "%s-%dfps.mkv" % (name, rate)))
            description["videos"][str(rate)] = "%s-%dfps.mkv" % (name, rate)
    with open(os.path.join(outdir, name + ".json"), "w") as out:
        json.dump(description, out, indent=1)


def main(argv):
    clips = {"blob": lambda: square_frames(blob_clip()), "drag": lambda: square_frames(drag_clip()),
             "hop": lambda: square_frames(hop_clip()), "stripe": stripe_clip, "pinch": pinch_clip,
             "laser": laser_clip, "zones": zones_clip,
             "walkers2": lambda: walkers_clip(2), "walkers4": lambda: walkers_clip(4),
             "walkers8": lambda: walkers_clip(8),
             "light": lambda: foot_clip(45, (), None, 2, lambda f: 90 if 10 <= f < 30 else 0),
             "noisy": lambda: foot_clip(45, range(20, 30), lambda red: red + 150, 15),
             "faint": lambda: foot_clip(45, range(20, 30), lambda red: red + 30, 2),
             "ramp": ramp_clip}
    args = [a for a in argv[1:] if not a.startswith("--")]
    unknown = [name for name in args[1:] if name not in clips]
    if not args or unknown:
        sys.stderr.write("usage: make_clips.py OUTDIR [--no-video] [%s ...]\n" % "|".join(clips))
        return 2
    outdir = args[0]
    os.makedirs(outdir, exist_ok=True)
    video = "--no-video" not in argv
    rates = []
    for a in argv[1:]:
        if a.startswith("--fps="):
            rates += [int(r) for r in a[len("--fps="):].split(",") if r]
    for name in args[1:] or clips:
        write_clip(outdir, name, clips[name](), video, rates)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
