#!/usr/bin/python3
"""Measures the program under serial peers that misbehave, each on a socat pty pair with a
python3-serial peer, the program headless on the demo scene in mode 0 (its passes run, so the
frame-rate read-out shows whether the line slows them):

  receiver   a receiver gets ":::MOUSEX=9e99,Y=0001." (its dispatch fails), then 20 valid
             messages a second (440 B/s) for RECEIVER_SECONDS
  sender     a sender gets 20 valid messages a second (440 B/s), which nothing in it reads, for
             SENDER_SECONDS (two PCs both set to "本机发送")
  flood      a sender gets what the pty pair takes as fast as it takes it, for FLOOD_SECONDS

For each: the messages the receiver took, the error lines, the frame-rate read-out ("fps" in the
trace) and the resident size sampled every second after a warm-up, its first, last and peak.

Usage: scripts/measure_serial_loads.py [BUILD_DIR=build] [RECEIVER_SECONDS=30] [SENDER_SECONDS=60]
                                       [FLOOD_SECONDS=30]
"""
import collections
import os
import sys
import threading
import time

sys.dont_write_bytecode = True
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(ROOT, "build")
os.environ["VORNIX_BIN"] = os.path.join(BUILD, "src", "app", "vornix")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import e2e  # noqa: E402
from serial_rig import PtyPair, relay_config  # noqa: E402

WARMUP = 5  # seconds before the first sample: start-up is over by then
MESSAGES_A_SECOND = 20  # 440 B/s
FAILING = b":::MOUSEX=9e99,Y=0001."


class Peer:
    """The other end of the line: writes what it is given and drains what the program sends."""

    def __init__(self, device):
        import serial  # python3-serial
        self.line = serial.Serial(device, 115200, timeout=0.1, write_timeout=5)
        self.written = 0
        self.running = True
        self.drain = threading.Thread(target=self._drain, daemon=True)
        self.drain.start()

    def _drain(self):
        while self.running:
            self.line.read(4096)

    def write(self, data):
        self.line.write(data)
        self.written += len(data)

    def close(self):
        self.running = False
        self.drain.join(2)
        self.line.close()


def paced_messages(peer, stop):
    """Valid messages at MESSAGES_A_SECOND until stop is set; how many were written."""
    sent = 0
    start = time.monotonic()
    while not stop.is_set():
        x, y = 100 + sent % 800, 100 + sent % 500
        peer.write(b":::MOUSEX=%04d,Y=%04d." % (x, y))
        sent += 1
        stop.wait(max(0.0, start + sent / MESSAGES_A_SECOND - time.monotonic()))
    return sent


def flood(peer, stop):
    chunk = b":::MOUSEX=0300,Y=0400." * 2979  # 65 538 bytes
    while not stop.is_set():
        peer.write(chunk)


def measure(work, name, role, seconds, load, first=b""):
    line = PtyPair(work)
    line.plug_in()
    program = e2e.Program("demo", relay_config(os.path.join(work, name + ".ini"), role, 0),
                          "--serial", "1=" + line.b)
    peer = None
    try:
        if not e2e.check(program.wait_for(lambda e, f: e == "mode"), name + ": the program did not start"):
            return
        program.collect(WARMUP)
        peer = Peer(line.a)
        if first:
            peer.write(first)
        stop = threading.Event()
        writer = threading.Thread(target=lambda: load(peer, stop), daemon=True)
        samples = [e2e.resident_bytes(program.process.pid)]
        writer.start()
        for _ in range(seconds):
            program.collect(1.0)
            samples.append(e2e.resident_bytes(program.process.pid))
        stop.set()
        writer.join(10)
        cpu = cpu_seconds(program.process.pid)
    finally:
        if peer:
            peer.close()
        status = program.stop()
        line.pull_out()
    e2e.check(status == 0, "%s: the program ended with status %s" % (name, status))
    fps = collections.Counter(f[0] for _, f in program.of("fps") if f)
    errors = program.of("error")
    kib = [s // 1024 for s in samples]
    print("== %s: %s for %d s, %d bytes written by the peer" % (name, role, seconds, peer.written))
    taken = [f[0] for _, f in program.of("serial-recv") if f]
    print("  messages taken (serial-recv): %d valid, %d x the failing one; error lines: %d%s" % (
        sum(m != FAILING.decode() for m in taken), taken.count(FAILING.decode()), len(errors),
        (" (first: %s)" % " ".join(errors[0][1])) if errors else ""))
    print("  frame-rate read-out: " + ", ".join("%d x %s" % (n, v) for v, n in sorted(fps.items(), key=lambda i: -i[1])))
    print("  resident size: %d KiB first, %d KiB last (%+d KiB), peak %d KiB; CPU %.1f s (%.1f %% of one core)" % (
        kib[0], kib[-1], kib[-1] - kib[0], max(kib), cpu, 100.0 * cpu / (WARMUP + seconds)))


def cpu_seconds(pid):
    """User and system time of the process so far."""
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main(work):
    e2e.need("socat")
    seconds = [int(a) for a in sys.argv[2:5]] + [30, 60, 30][len(sys.argv[2:5]):]
    measure(work, "receiver", "receive", seconds[0], paced_messages, first=FAILING)
    measure(work, "sender", "send", seconds[1], paced_messages)
    measure(work, "flood", "send", seconds[2], flood)


if __name__ == "__main__":
    sys.exit(e2e.run(main))
