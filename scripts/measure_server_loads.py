#!/usr/bin/python3
"""Runs the program on the demo scene with its multi-touch server while TCP clients on 127.0.0.1
misbehave, and reports the frame-rate read-out, the program's CPU share of one core and its
resident size, sampled every second.

    scripts/measure_server_loads.py [--seconds 30] [--build build] [--headless] LOAD...

Loads (each a client of its own, run together when several are named):
    ping   sends "/p" 1,000 times a second and reads the answers
    big    sends "/" followed by 1 MiB of text, again and again, as fast as it is taken
    flood  sends as fast as loopback allows, reading nothing
    idle   connects and stays silent (the figures without a load)
A well-behaved touch application reads the broadcasts meanwhile. Without --headless the program
shows its server window (and the run takes place under xvfb-run).

The loads and the run are also used by tests/e2e/test_server_misbehaving_clients.py.
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO_CONFIG = os.path.join(ROOT, "share", "demo", "Vornix配置文件.ini")
PAGE = os.sysconf("SC_PAGE_SIZE")


def resident_bytes(pid):
    """The resident size of a process in bytes, 0 when it cannot be read (as
    tests/support/resident_size.h reads its own)."""
    try:
        with open("/proc/%d/statm" % pid) as f:
            return int(f.read().split()[1]) * PAGE
    except (OSError, IndexError, ValueError):
        return 0


def cpu_seconds(pid):
    """User plus system CPU time of a process so far."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def connect(port, seconds=20):
    deadline = time.monotonic() + seconds
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=1)
        except OSError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.05)


class Client(threading.Thread):
    """A client thread that runs until stop(); `sent` and `received` count bytes."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port = port
        self.sent = 0
        self.received = b""
        self.error = None
        self.ended = False  # the server closed the connection
        self._halt = threading.Event()

    def stop(self):
        self._halt.set()
        self.join(5)

    def run(self):
        try:
            with connect(self.port) as connection:
                connection.settimeout(0.2)
                self.talk(connection)
        except OSError as error:
            if not self._halt.is_set():
                self.error = str(error)

    def drain(self, connection):
        """Reads what has come, without waiting; False once the server has closed."""
        connection.setblocking(False)
        try:
            while True:
                chunk = connection.recv(65536)
                if not chunk:
                    self.ended = True
                    return False
                if len(self.received) < 4096:  # the beginning is enough to look at
                    self.received += chunk[:4096 - len(self.received)]
                self.count(chunk)
        except BlockingIOError:
            return True
        finally:
            connection.settimeout(0.2)

    def count(self, chunk):
        pass

    def send(self, connection, data):
        """Sends data, giving up when stopped; False then."""
        view = memoryview(data)
        while view and not self._halt.is_set():
            try:
                n = connection.send(view)
            except socket.timeout:
                continue
            self.sent += n
            view = view[n:]
        return not view


class Ping(Client):
    """"/p" a thousand times a second; counts the answers."""

    def __init__(self, port):
        super().__init__(port)
        self.answers = 0
        self._bytes = 0

    def count(self, chunk):
        self._bytes += len(chunk)
        self.answers = self._bytes // len(b"recieved successfully")

    def talk(self, connection):
        connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        due = time.monotonic()
        while not self._halt.is_set():
            if not self.send(connection, b"/p") or not self.drain(connection):
                return
            due += 0.001
            pause = due - time.monotonic()
            if pause > 0:
                time.sleep(pause)


class Big(Client):
    """"/" and 1 MiB of text, again and again."""
    TEXT = b"/" + b"x" * (1 << 20)

    def talk(self, connection):
        while not self._halt.is_set():
            if not self.send(connection, self.TEXT) or not self.drain(connection):
                return


class Flood(Client):
    """As fast as loopback allows, reading nothing."""

    def talk(self, connection):
        block = b"z" * 65536
        while self.send(connection, block):
            pass


class Touch(Client):
    """A touch application: counts the broadcasts (texts up to a NUL)."""

    def __init__(self, port):
        super().__init__(port)
        self.messages = 0

    def count(self, chunk):
        self.messages += chunk.count(b"\0")

    def talk(self, connection):
        while not self._halt.is_set() and self.drain(connection):
            time.sleep(0.01)


class Idle(Client):
    """Connected and silent: the figures without a load."""

    def talk(self, connection):
        while not self._halt.is_set() and self.drain(connection):
            time.sleep(0.1)


LOADS = {"ping": Ping, "big": Big, "flood": Flood, "idle": Idle}


def free_port():
    with socket.socket() as probe:
        probe.bind(("", 0))
        return probe.getsockname()[1]


class Run:
    """The program in the background with multi-touch switched on and its panel hidden; its
    trace lines are kept in `lines` as they come."""

    def __init__(self, binary, work, port, headless):
        config = os.path.join(work, "Vornix配置文件.ini")
        subprocess.run(["/usr/bin/python3", "-B", os.path.join(ROOT, "tests", "e2e", "edit_config.py"),
                        DEMO_CONFIG, config, "系统/程序运行直接隐藏=1", "多点触摸/启用多点触摸=1"], check=True)
        command = [binary, "--source", "demo", "--pointer", "none", "--trace", "--multitouch-port", str(port),
                   "--config", config] + (["--headless"] if headless else [])
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.lines = []
        self.reader = threading.Thread(target=lambda: self.lines.extend(self.process.stdout), daemon=True)
        self.reader.start()

    def fps_since(self, count):
        """The frame-rate read-outs among the trace lines from line `count` on."""
        return [int(line.split()[2]) for line in self.lines[count:] if line.split()[1:2] == ["fps"]]

    def traced(self, event):
        return [line.split()[2:] for line in list(self.lines) if line.split()[1:2] == [event]]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.reader.join(5)


def measure(run, port, loads, seconds):
    """Starts the loads on a listening program, samples it every second for `seconds`; the
    figures as a dict."""
    touch = Touch(port)
    touch.start()
    clients = [LOADS[name](port) for name in loads]
    pid = run.process.pid
    time.sleep(2)  # the touch client connected, the meter has settled
    resident_before = resident_bytes(pid)
    for client in clients:
        client.start()
    first_line = len(run.lines)
    cpu_start, start = cpu_seconds(pid), time.monotonic()
    samples = []
    while time.monotonic() - start < seconds and run.process.poll() is None:
        time.sleep(1)
        samples.append(resident_bytes(pid))
    cpu = (cpu_seconds(pid) - cpu_start) / (time.monotonic() - start) if run.process.poll() is None else None
    fps = run.fps_since(first_line)
    broadcasts_before = touch.messages
    time.sleep(0.5)
    figures = {
        "fps": fps, "cpu": cpu, "resident_before": resident_before, "resident": samples,
        "touch_messages": touch.messages, "touch_receiving": touch.messages > broadcasts_before,
        "clients": {name: client for name, client in zip(loads, clients)}, "alive": run.process.poll() is None,
    }
    for client in clients + [touch]:
        client.stop()
    return figures


def report(loads, figures):
    fps = figures["fps"]
    counts = ", ".join("%d × %d" % (fps.count(v), v) for v in sorted(set(fps), reverse=True))
    mib = 1 << 20
    resident = figures["resident"]
    print("loads: %s" % " + ".join(loads))
    print("  meter: %s (median %s)" % (counts, sorted(fps)[len(fps) // 2] if fps else "-"))
    if figures["cpu"] is not None:
        print("  CPU: %.1f %% of one core" % (100 * figures["cpu"]))
    print("  resident: %.1f MiB before, %.1f MiB first sample, %.1f MiB last, %.1f MiB peak"
          % (figures["resident_before"] / mib, resident[0] / mib, resident[-1] / mib, max(resident) / mib))
    for name, client in figures["clients"].items():
        extra = ", %d answers" % client.answers if name == "ping" else ""
        print("  %s client: %.1f MiB sent%s%s" % (name, client.sent / mib, extra,
                                                  ", disconnected by the server" if client.ended else ""))
    print("  touch client: %d broadcasts received" % figures["touch_messages"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--headless", action="store_true")
    parser.add_argument("loads", nargs="+", choices=sorted(LOADS))
    args = parser.parse_args()
    if not args.headless and not os.environ.get("VORNIX_IN_XVFB"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "env", "VORNIX_IN_XVFB=1",
                               "/usr/bin/python3", "-B", *sys.argv])
    work = tempfile.mkdtemp(prefix="vornix-loads-")
    port = free_port()
    run = Run(os.path.join(os.path.abspath(args.build), "src", "app", "vornix"), work, port, args.headless)
    try:
        connect(port).close()
        figures = measure(run, port, args.loads, args.seconds)
        report(args.loads, figures)
        return 0 if figures["alive"] else 1
    finally:
        run.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
