#!/usr/bin/python3
"""How far from the touched point the mappings land, in the simulated room.

Under its own Xvfb at 1024x768 the program watches the screen through --source screen, with the
camera at a 15 % keystone (the screen's top edge 15 % shorter than its bottom edge), once with a
straight lens (K1 = 0) and once with K1 = 0.08. For each mapping a bright disc is drawn at 20
places over the screen, one after another, on a black full-screen window; each touch's mapped
point (the trace's `map`) is set against the disc's topmost pixel. Prints the median and worst
error of each mapping as a Markdown table.

Without --calibrate the camera corners are where the camera sees the screen's corners, worked
out from the placement (the lens applied), as an installer clicking them would set them, and
the mappings are 矩形校正 (corners 0 and 3) and 梯形校正 (corners 0-3). With --calibrate the
program calibrates itself first (--calibrate on the black screen), and the corners, grid and
mapping it saved are measured as 矩形校正, 梯形校正 and 非线性校正.

    scripts/measure_mapping_accuracy.py [--bin build/src/app/vornix] [--calibrate]
"""
import argparse
import os
import shutil
import statistics
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))
sys.dont_write_bytecode = True

SCREEN = (1024, 768)
# Five columns by four rows over the screen: the discs' topmost pixels.
PLACES = [(round(SCREEN[0] * (0.1 + 0.2 * i)), round(SCREEN[1] * (0.125 + 0.25 * j))) for j in range(4) for i in range(5)]
RADIUS = 8
NAMES = {0: "矩形校正", 1: "梯形校正", 2: "非线性校正"}


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default=os.path.join(os.path.dirname(HERE), "build", "src", "app", "vornix"),
                        help="the built program (default: build/src/app/vornix)")
    parser.add_argument("--calibrate", action="store_true",
                        help="let the program calibrate itself first and measure what it saved")
    return parser.parse_args()


arguments = parse_arguments()
os.environ["VORNIX_BIN"] = os.path.abspath(arguments.bin)
import e2e  # noqa: E402
import screen_room  # noqa: E402


def seen_corners(k1):
    """Where the camera sees the screen's corners, to a tenth of a picture pixel."""
    return [tuple(round(v, 1) for v in screen_room.through_lens(corner, k1)) for corner in screen_room.KEYSTONE_15]


def calibrated_config(work, drawer, source):
    """Runs --calibrate on the black screen; the configuration file it saved, or None."""
    path = screen_room.write_config(os.path.join(work, "calibrated.ini"), screen_room.KEYSTONE_15, 0, SCREEN)
    drawer.clear()
    program = e2e.Program(source, path, "--calibrate")
    done = program.wait_for(lambda event, fields: event == "calibrated" or fields[:1] == ["calibration"], 60)
    program.stop()
    outcome = [" ".join([event, *fields]) for event, fields in program.events
               if event == "calibrated" or fields[:1] == ["calibration"]]
    print("calibration: %s" % (outcome or "no answer"), file=sys.stderr)
    return path if done and program.of("calibrated") else None


def measure(work, drawer, source, config):
    """The errors, in screen pixels, of the places whose disc was mapped; the count missed."""
    program = e2e.Program(source, config)
    if not program.wait_for(lambda event, fields: event == "fps", 30):
        program.stop()
        raise RuntimeError("no pass ran: %s" % program.stderr)
    errors, missed = [], 0
    for place in PLACES:
        drawer.clear()
        program.collect(0.3)  # touches of the previous disc still in the pipeline
        drawer.disc(*place, RADIUS)
        before = len(program.events)
        if program.wait_for(lambda event, fields: event == "map", 5):
            fields = program.events[-1][1]
            errors.append(screen_room.distance((int(fields[0]), int(fields[1])), place))
        else:
            missed += 1
        del program.events[before:]
    drawer.clear()
    program.stop()
    return errors, missed


def main(work):
    drawer = screen_room.Drawer()
    rows = []
    for k1 in (0, 0.08):
        source = screen_room.source(screen_room.KEYSTONE_15, k1)
        if arguments.calibrate:
            base = calibrated_config(work, drawer, source)
            if not base:
                rows.append((k1, "calibration failed", "", "", "", ""))
                continue
            origin = "calibration"
            mappings = (0, 1, 2)
        else:
            corners = seen_corners(k1)
            base = screen_room.write_config(os.path.join(work, "placed.ini"), corners, 0, SCREEN)
            origin = "placement: " + " ".join("%g,%g" % corner for corner in corners)
            mappings = (0, 1)
        for mapping in mappings:
            config = os.path.join(work, "mapping%d.ini" % mapping)
            shutil.copyfile(base, config)
            screen_room.set_mapping(config, mapping)
            errors, missed = measure(work, drawer, source, config)
            median = "%.1f" % statistics.median(errors) if errors else "-"
            worst = "%.1f" % max(errors) if errors else "-"
            rows.append((k1, origin, NAMES[mapping], median, worst, "%d of %d" % (len(errors), len(PLACES))))
            print("K1 %g %s: median %s, worst %s, %d missed" % (k1, NAMES[mapping], median, worst, missed),
                  file=sys.stderr)
    drawer.close()

    print("Xvfb %dx%d; camera %s (the screen's top edge 15 %% shorter than its bottom edge); "
          "%d discs of radius %d px on a 5 x 4 grid; error: distance of the mapped point from the "
          "disc's topmost pixel, in screen pixels.\n" % (*SCREEN, screen_room.source(screen_room.KEYSTONE_15),
                                                           len(PLACES), RADIUS))
    print("| K1 | corners from | mapping | median px | worst px | discs mapped |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        print("| %g | %s | %s | %s | %s | %s |" % row)


if __name__ == "__main__":
    screen_room.in_xvfb(*SCREEN)
    sys.exit(e2e.run(main))
