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
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, HERE)
import edit_config  # noqa: E402

BIN = os.environ.get("VORNIX_BIN", "")
SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")
os.environ.setdefault("OPENCV_LOG_LEVEL", "ERROR")
RANGE = (100, 50, 800, 600)  # left, top, width, height

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message)
    return condition


def free_udp_port():
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def wait_until_bound(port, process, seconds=10):
    """True once something holds the UDP port (binding it ourselves fails)."""
    deadline = time.time() + seconds
    while time.time() < deadline and process.poll() is None:
        probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        try:
            probe.bind(("0.0.0.0", port))
        except OSError:
            return True
        finally:
            probe.close()
        time.sleep(0.05)
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


def trace_events(text):
    events = []
    for line in text.splitlines():
        parts = line.split()
        if len(parts) >= 2 and parts[0].isdigit():
            events.append((parts[1], parts[2:]))
    return events


def check_bundles(bundles, events):
    tuio_lines = [args for event, args in events if event == "tuio"]
    check(len(bundles) == len(tuio_lines),
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
        if not check(commands == ["source", "alive"] + ["set"] * len(sets) + ["fseq"],
                     "bundle %d is laid out %s" % (index, commands)):
            continue
        check(bundle[0][1][0].startswith("vornix@"), "bundle %d: source %s" % (index, bundle[0][1]))
        check(fseq == index and int(bundle[-1][1][0]) == index,
              "bundle %d: fseq %s on the wire, %d in the trace" % (index, bundle[-1][1], fseq))
        alive = [int(v) for v in bundle[1][1]]
        check(alive == [int(v) for v in args[1:]],
              "bundle %d: alive %s on the wire, %s in the trace" % (index, alive, args[1:]))
        check(len(alive) <= 1 and [int(s[0]) for s in sets] == alive,
              "bundle %d: sets %s for alive %s" % (index, sets, alive))
        for s in sets:
            cursors_seen += 1
            ids_seen.add(int(s[0]))
            x, y = float(s[1]), float(s[2])
            screen = (RANGE[0] + x * RANGE[2], RANGE[1] + y * RANGE[3])
            check(last_map is not None and abs(screen[0] - last_map[0]) < 0.01 and abs(screen[1] - last_map[1]) < 0.01,
                  "bundle %d: cursor (%s, %s) is (%.3f, %.3f) on the range, the last map was %s"
                  % (index, s[1], s[2], screen[0], screen[1], last_map))
    check(cursors_seen >= 10, "only %d cursors in the whole clip" % cursors_seen)
    check(len(ids_seen) >= 2, "the blob never came back as a new cursor: ids %s" % sorted(ids_seen))
    print("%d bundles, %d cursors, session ids %s" % (len(bundles), cursors_seen, sorted(ids_seen)))


def main():
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    if shutil.which("oscdump") is None:
        print("FAIL: oscdump is not installed (Debian liblo-tools; scripts/setup.sh installs it)")
        return 1
    work = tempfile.mkdtemp(prefix="vornix-tuio-")
    dump = None
    try:
        subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "scripts", "make_clips.py"), work,
                        "--no-video", "blob"], check=True, timeout=120)
        config = os.path.join(work, "tuio.ini")
        values = {"鼠标活动范围/左坐标": RANGE[0], "鼠标活动范围/顶坐标": RANGE[1],
                  "鼠标活动范围/宽度": RANGE[2], "鼠标活动范围/高度": RANGE[3], "阀值/速度系数": 1}
        edit_config.main(["edit_config.py", DEMO_CONFIG, config] + ["%s=%s" % kv for kv in values.items()])

        port = free_udp_port()
        dump = subprocess.Popen(["oscdump", "-L", str(port)], stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True)
        if not check(wait_until_bound(port, dump), "oscdump never listened on UDP port %d" % port):
            return 1
        command = [BIN, "--headless", "--source", os.path.join(work, "blob", "frames", "%04d.png"),
                   "--step", "--exit-at-end", "--trace", "--pointer", "none", "--config", config,
                   "--tuio", "127.0.0.1:%d" % port]
        run = subprocess.run(command, capture_output=True, text=True, timeout=60)
        if run.stderr:
            print(run.stderr.rstrip())
        check(run.returncode == 0, "exit status %d" % run.returncode)
        time.sleep(0.5)  # the last datagrams on their way
        dump.send_signal(signal.SIGTERM)
        received, _ = dump.communicate(timeout=10)
        dump = None

        before = len(failures)
        check_bundles(bundles_of(received), trace_events(run.stdout))
        if len(failures) > before:
            print("the trace:\n%s\noscdump:\n%s" % (run.stdout, received))
    finally:
        if dump is not None:
            dump.kill()
            dump.wait()
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
