#!/usr/bin/python3
"""TUIO output heard by an independent OSC receiver: oscdump (liblo-tools).

The blob clip is played frame by frame with a mouse range that starts away from the origin,
its bundles sent to oscdump on a free UDP port. Every pass must give one bundle, fseq counting
them from 1, each bundle laid out as source, alive, one set per cursor, fseq, with the alive
ids of the trace's tuio line; and every cursor must sit, scaled back onto the range, where the
run's last map line put point 1.
"""
import os
import shlex
import signal
import socket
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

RANGE = (100, 50, 800, 600)  # left, top, width, height


def bound(port):
    """True when something holds the UDP port (binding it ourselves fails)."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        try:
            probe.bind(("0.0.0.0", port))
        except OSError:
            return True
    return False


def bundles_of(dump):
    """[[(command, [args])]] from oscdump's lines "TIMETAG PATH TYPES ARGS..."; a bundle starts
    at its source message."""
    bundles = []
    for line in dump.splitlines():
        fields = shlex.split(line)
        if len(fields) < 4 or fields[1] != "/tuio/2Dcur":
            continue
        command, args = fields[3], fields[4:]
        if command == "source":
            bundles.append([])
        if bundles:
            bundles[-1].append((command, args))
    return bundles


def check_bundles(bundles, events):
    tuio_lines = [args for event, args in events if event == "tuio"]
    e2e.check(len(bundles) == len(tuio_lines),
              "%d bundles reached oscdump, the trace names %d" % (len(bundles), len(tuio_lines)))
    last_map = None
    index = 0
    cursors_seen = 0
    ids_seen = set()
    for event, args in events:
        if event == "map":
            last_map = tuple(int(v) for v in args)
        if event != "tuio" or index >= len(bundles):
            continue
        bundle = bundles[index]
        index += 1
        fseq = int(args[0])
        commands = [command for command, _ in bundle]
        sets = [a for command, a in bundle if command == "set"]
        if not e2e.check(commands == ["source", "alive"] + ["set"] * len(sets) + ["fseq"],
                         "bundle %d is laid out %s" % (index, commands)):
            continue
        e2e.check(bundle[0][1][0].startswith("vornix@"), "bundle %d: source %s" % (index, bundle[0][1]))
        e2e.check(fseq == index and int(bundle[-1][1][0]) == index,
                  "bundle %d: fseq %s on the wire, %d in the trace" % (index, bundle[-1][1], fseq))
        alive = [int(v) for v in bundle[1][1]]
        e2e.check(alive == [int(v) for v in args[1:]],
                  "bundle %d: alive %s on the wire, %s in the trace" % (index, alive, args[1:]))
        e2e.check(len(alive) <= 1 and [int(s[0]) for s in sets] == alive,
                  "bundle %d: sets %s for alive %s" % (index, sets, alive))
        for s in sets:
            cursors_seen += 1
            ids_seen.add(int(s[0]))
            x, y = float(s[1]), float(s[2])
            screen = (RANGE[0] + x * RANGE[2], RANGE[1] + y * RANGE[3])
            e2e.check(last_map is not None and abs(screen[0] - last_map[0]) < 0.01 and abs(screen[1] - last_map[1]) < 0.01,
                      "bundle %d: cursor (%s, %s) is (%.3f, %.3f) on the range, the last map was %s"
                      % (index, s[1], s[2], screen[0], screen[1], last_map))
    # The square changes the picture in 13 passes (frames 10, 20 to 30 and 40), each a cursor;
    # it stands still in between, so the cursor of frame 10 ends before that of frame 20.
    e2e.check(cursors_seen >= 10, "only %d cursors in the whole clip" % cursors_seen)
    e2e.check(len(ids_seen) >= 2, "the square never came back as a new cursor: ids %s" % sorted(ids_seen))
    print("%d bundles, %d cursors, session ids %s" % (len(bundles), cursors_seen, sorted(ids_seen)))


def main(work):
    e2e.need("oscdump", "Debian liblo-tools")
    clip = e2e.make_clip(work, "blob", "--no-video")
    config = e2e.write_config(os.path.join(work, "tuio.ini"), e2e.mouse_range(*RANGE))

    port = e2e.free_port(socket.SOCK_DGRAM)
    dump = e2e.background(["oscdump", "-L", str(port)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if not e2e.check(e2e.wait_until(lambda: dump.poll() is None and bound(port), 10),
                     "oscdump never listened on UDP port %d" % port):
        return
    run = e2e.play(os.path.join(work, clip["pattern"]), config, "--tuio", "127.0.0.1:%d" % port)
    e2e.check(run.returncode == 0, "exit status %d" % run.returncode)
    time.sleep(0.5)  # the last datagrams on their way
    dump.send_signal(signal.SIGTERM)
    received, _ = dump.communicate(timeout=10)

    before = len(e2e.failures)
    check_bundles(bundles_of(received), e2e.events(run.stdout))
    e2e.show_if_failed(before, "the trace:\n%s\noscdump" % run.stdout, received)


if __name__ == "__main__":
    sys.exit(e2e.run(main))
