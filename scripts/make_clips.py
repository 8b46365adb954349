#!/usr/bin/python3
"""Makes the small deterministic test clips of the touch detector.

    make_clips.py OUTDIR [--no-video] [--fps=N,...] [NAME ...]

For each clip NAME ("blob", "drag", "swipe", "hop", "stripe", "pinch"; all when none is named)
it writes
    OUTDIR/NAME/frames/0000.png ...   the frames, 320 x 240 RGB
    OUTDIR/NAME.mkv                   the same frames, FFV1 (lossless, pixel values survive),
                                      20 frames a second
    OUTDIR/NAME-Nfps.mkv              the same at N frames a second, for each N of --fps (a
                                      camera slower than the program's 50 ms tick)
    OUTDIR/NAME.json                  frame rate, what the clip shows in every frame, and the
                                      touches the detector should report

"blob": a still surface; a light blob appears, stands, moves, stands, and disappears.
"drag": a light blob appears, moves a little in every frame, and disappears, so that with a
dynamic reference every frame from its appearance to its disappearance shows a touch.
"swipe": a light blob crosses the whole picture fast from left to right, then right to left.
"hop": a light blob hops to a new place every third frame and stands still in between, so that
touches come three frames apart.
"stripe": a rear-projection screen on which a fingertip presses, as a short bright stripe, at one
place after another (mode 3); a wide band of light and a shadow between the presses are no touch.
"pinch": two fingers, there from the first frame, close in on each other, hold, spread apart and
hold (mode 6).

The surface carries a little fixed noise on red (at most +-2), far below the threshold of 60.
Expected touches of the blob clips follow the detector: the first frame becomes the reference
and reports nothing; each later frame is compared with the one before it, sampling rows then
columns from (0, 0) to (320, 240) with the stride, and the first sample whose red differs by more
than 60 is the touch. Those of the stripe and pinch clips follow from how they are drawn (see
stripe_clip and pinch_clip): for strides 1 and 2 alike.
"""

import json
import math
import os
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


def render(frame, blob):
    rows = []
    for y in range(HEIGHT):
        row = surface_row(frame, y)
        if blob is not None:
            cx, cy, rx, ry = blob["x"], blob["y"], blob["rx"], blob["ry"]
            if abs(y - cy) <= ry:
                for x in range(max(0, int(cx - rx) - 1), min(WIDTH, int(cx + rx) + 2)):
                    dx, dy = (x - cx) / rx, (y - cy) / ry
                    if dx * dx + dy * dy <= 1:
                        row[3 * x:3 * x + 3] = b"\xf0\xe6\xdc"  # (240, 230, 220)
        rows.append(bytes(row))
    return rows


def first_touch(previous, current, stride):
    for y in range(0, HEIGHT + 1, stride):
        if y >= HEIGHT:
            break
        prev_red, cur_red = previous[y][0::3], current[y][0::3]
        if prev_red == cur_red:
            continue
        for x in range(0, WIDTH + 1, stride):
            if x < WIDTH and abs(cur_red[x] - prev_red[x]) > THRESHOLD:
                return x, y
    return None


def blob_clip():
    positions = []
    for f in range(60):
        if 10 <= f < 20:
            p = (100, 80)
        elif 20 <= f < 40:
            p = (100 + 5 * (f - 19), 80 + 2 * (f - 19))
        elif 40 <= f < 50:
            p = (200, 120)
        else:
            p = None
        positions.append(None if p is None else {"x": p[0], "y": p[1], "rx": 14, "ry": 14})
    return positions


def drag_clip():
    positions = []
    for f in range(40):
        p = (60 + 6 * (f - 5), 60 + 3 * (f - 5)) if 5 <= f < 30 else None
        positions.append(None if p is None else {"x": p[0], "y": p[1], "rx": 14, "ry": 14})
    return positions


def swipe_clip():
    positions = []
    for f in range(60):
        if 5 <= f < 25:
            x = -30 + 20 * (f - 5)
        elif 35 <= f < 55:
            x = 350 - 20 * (f - 35)
        else:
            x = None
        positions.append(None if x is None else {"x": x, "y": 120, "rx": 20, "ry": 50})
    return positions


def hop_clip():
    positions = []
    for f in range(60):
        k = (f - 5) // 3
        p = (40 + 13 * k, 40 + 9 * k) if f >= 5 else None
        positions.append(None if p is None else {"x": p[0], "y": p[1], "rx": 14, "ry": 14})
    return positions


# A fingertip on the rear-projection screen, added to the screen's red: edges rising and falling
# 17 levels a column, 10 columns of plateau. Against the screen it crosses the threshold of 60 at
# its 4th column and falls back to it after 20 more, so the detector's stripe is 20 wide and its
# touch lies 23 columns right of where the edge starts, on the stripe's top row. The noise of two
# frames (at most 4) leaves every step far from the threshold and from the edge limits.
STRIPE_PROFILE = [17 * i for i in range(1, 9)] + [150] * 10 + [17 * i for i in range(8, 0, -1)]
STRIPE_ROWS = 10
STRIPE_TOUCH_OFFSET = 23


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
    """Presses at odd columns and even rows, so that a stride of 2 meets the first bright column
    as a stride of 1 does. Returns the frames and the entries of the clip's description."""
    presses = [(41, 30), (201, 60), (121, 120), (251, 180), (71, 200), (161, 90)]
    band = [17 * i for i in range(1, 9)] + [150] * 50 + [17 * i for i in range(8, 0, -1)]
    shown, touches = [], []
    frame = 3  # three bare frames first: the first becomes the reference
    shown += [{}] * frame
    for n, (left, top) in enumerate(presses):
        shown += [{"press": [left, top]}] * 5
        touches.append([frame, left + STRIPE_TOUCH_OFFSET, top])
        lifted = [{}, {}, {}]
        if n == 2:
            lifted[1] = {"band": [31, 150]}      # too wide: rejected
        if n == 4:
            lifted[1] = {"shadow": [200, 20]}    # darker than the reference: never a touch
        shown += lifted
        frame += 8
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
    return frames, {"shown": shown, "touches": {"stride1": touches, "stride2": touches}}


FINGER_WIDTH, FINGER_TOP, FINGER_ROWS = 5, 100, 40


def pinch_clip():
    """Two fingers 5 columns wide from row 100 down. Frame 0 becomes the reference; they hold for
    six frames, close in 3 columns a frame each for ten, hold for four, spread 4 columns a frame
    each for ten and hold for four. Against the frame before (a dynamic reference), each moving
    frame shows a first point at the left edge of what changed of the left finger and a second
    at the left edge of what changed of the right one, both on row 100."""
    lefts = [(100, 200)] * 7
    lefts += [(100 + 3 * k, 200 - 3 * k) for k in range(1, 11)]
    lefts += [lefts[-1]] * 4
    a, c = lefts[-1]
    lefts += [(a - 4 * k, c + 4 * k) for k in range(1, 11)]
    lefts += [lefts[-1]] * 4
    frames, points = [], []
    for f, (a, c) in enumerate(lefts):
        rows = []
        for y in range(HEIGHT):
            row = surface_row(f, y)
            if FINGER_TOP <= y < FINGER_TOP + FINGER_ROWS:
                for x in list(range(a, a + FINGER_WIDTH)) + list(range(c, c + FINGER_WIDTH)):
                    row[3 * x:3 * x + 3] = b"\xf0\xe6\xdc"
            rows.append(bytes(row))
        frames.append(rows)
        if f > 0 and lefts[f] != lefts[f - 1]:
            (pa, pc) = lefts[f - 1]
            points.append([f, min(pa, a), FINGER_TOP, min(pc, c), FINGER_TOP])
    return frames, {"fingers": lefts, "points": points}


def encode(folder, rate, target):
    subprocess.run(["ffmpeg", "-y", "-loglevel", "error", "-framerate", str(rate),
                    "-start_number", "0", "-i", os.path.join(folder, "%04d.png"),
                    "-c:v", "ffv1", "-pix_fmt", "bgr0", target], check=True)


def blob_frames(positions):
    frames = [render(f, blob) for f, blob in enumerate(positions)]
    touches = {}
    for stride in (1, 2):
        found = []
        for f in range(1, len(frames)):
            hit = first_touch(frames[f - 1], frames[f], stride)
            if hit is not None:
                found.append([f, hit[0], hit[1]])
        touches["stride%d" % stride] = found
    return frames, {"blob": positions, "touches": touches}


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
    clips = {"blob": lambda: blob_frames(blob_clip()), "drag": lambda: blob_frames(drag_clip()),
             "swipe": lambda: blob_frames(swipe_clip()), "hop": lambda: blob_frames(hop_clip()),
             "stripe": stripe_clip, "pinch": pinch_clip}
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
