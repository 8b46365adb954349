"""What the Python end-to-end tests share: where the program and its shipped configuration are,
counted checks, the program run on a source to its end or in the background with its trace read
as it comes, the project's test clips, and the end of whatever a test started.

    import sys
    sys.dont_write_bytecode = True  # no __pycache__ in the source tree
    import e2e

    def main(work):
        e2e.check(...)

    if __name__ == "__main__":
        sys.exit(e2e.run(main))
"""
import json
import os
import queue
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

import edit_config

HERE = os.path.dirname(os.path.abspath(__file__))
BIN = os.environ.get("VORNIX_BIN", "")
SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")
os.environ.setdefault("OPENCV_LOG_LEVEL", "ERROR")  # the end of a sequence is no warning here

failures = []
_started = []  # processes of the test, ended when it ends


def check(condition, message):
    """Notes and says a failed check; the test goes on. Returns the condition."""
    if not condition:
        failures.append(message)
        print("FAIL: " + message)
    return condition


def show_if_failed(before, title, text):
    """Prints text when checks failed since `before` (a len(failures)); True when none did."""
    if len(failures) > before:
        print("%s:\n%s" % (title, text))
        return False
    return True


def run(main):
    """Runs main(work) with a scratch folder; its exit status. Whatever main started in the
    background is ended and the folder removed however main ends."""
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    work = tempfile.mkdtemp(prefix="vornix-e2e-")
    try:
        main(work)
    finally:
        for process in reversed(_started):
            if process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("OK")
    return 0


def need(tool, package=""):
    """Fails the test when tool is not installed."""
    if shutil.which(tool) is None:
        print("FAIL: %s is not installed (%sscripts/setup.sh installs it)" % (tool, package and package + "; "))
        sys.exit(1)


def installed(tool, why):
    """False, saying what is skipped, when tool is not installed."""
    if shutil.which(tool) is None:
        print("skip: %s is not installed (%s)" % (tool, why))
        return False
    return True


def wait_until(condition, seconds, every=0.05):
    """Polls condition() until it holds (True) or the seconds are over (False)."""
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(every)
    return True


def background(command, **options):
    """subprocess.Popen(command, **options), ended with the test if it has not ended by then."""
    process = subprocess.Popen(command, **options)
    _started.append(process)
    return process


def resident_bytes(pid):
    """The resident size of process pid in bytes, from /proc/PID/statm; 0 when it has ended."""
    try:
        with open("/proc/%d/statm" % pid) as statm:
            return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
    except (OSError, IndexError, ValueError):
        return 0


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as probe:
        probe.bind(("", 0))
        return probe.getsockname()[1]


def make_clip(work, name, *options):
    """Makes the named clip of scripts/make_clips.py in work; its description."""
    subprocess.run(["/usr/bin/python3", "-B", os.path.join(SOURCE_DIR, "scripts", "make_clips.py"), work,
                    *options, name], check=True, timeout=120, stdout=subprocess.DEVNULL)
    with open(os.path.join(work, name + ".json")) as f:
        return json.load(f)


def write_config(path, values=None):
    """The shipped configuration written to path with values {"SECTION/KEY": value} set."""
    edit_config.write(DEMO_CONFIG, path, values or {})
    return path


def mouse_range(left, top, width, height):
    """Configuration values of that mouse range, with the pointer put where a touch maps at once
    (speed factor 1)."""
    return {"鼠标活动范围/左坐标": left, "鼠标活动范围/顶坐标": top, "鼠标活动范围/宽度": width,
            "鼠标活动范围/高度": height, "阀值/速度系数": 1}


def command(source, config, *extra):
    """The program headless on source with its trace and without pointer output."""
    return [BIN, "--headless", "--source", source, "--trace", "--pointer", "none", "--config", config, *extra]


def play(source, config, *extra, step=True, timeout=60):
    """Runs the program on source until the source ends; its CompletedProcess. Its stderr is
    shown."""
    done = subprocess.run(command(source, config, "--exit-at-end", *(["--step"] if step else []), *extra),
                          capture_output=True, text=True, timeout=timeout)
    if done.stderr:
        print(done.stderr.rstrip())
    return done


def parse(line):
    """(event, [fields]) of a trace line, None for other output."""
    parts = line.split()
    if len(parts) >= 2 and parts[0].isdigit():
        return parts[1], parts[2:]
    return None


def events(text):
    """[(event, [fields])] of the trace lines in text."""
    return [event for event in map(parse, text.splitlines()) if event]


class Program:
    """The program running in the background (see command()); its trace events arrive in
    `events` while a test waits for them, its output lines in `output`."""

    def __init__(self, source, config, *extra):
        self.process = background(command(source, config, *extra), stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, text=True)
        self.events = []
        self.output = []
        self.lines = queue.Queue()
        self.killed = False  # it had to be killed: it did not end within 10 s of the signal
        self.stderr = ""
        self._errors = []
        self.readers = [threading.Thread(target=self._read, daemon=True),
                        threading.Thread(target=lambda: self._errors.extend(self.process.stderr), daemon=True)]
        for reader in self.readers:
            reader.start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def _take(self, line):
        self.output.append(line)
        event = parse(line)
        if event:
            self.events.append(event)
        return event

    def wait_for(self, wanted, timeout=10):
        """Collects events until `wanted(event, fields)` holds; False when it never did."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                return False
            if line is None:
                return False
            event = self._take(line)
            if event and wanted(*event):
                return True

    def collect(self, seconds):
        self.wait_for(lambda event, fields: False, seconds)

    def running(self):
        return self.process.poll() is None

    def stop(self, signal_number=signal.SIGINT):
        """The signal, then the exit status; the remaining events are collected."""
        if self.running():
            self.process.send_signal(signal_number)
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.killed = True
            self.process.kill()
            self.process.wait()
        for reader in self.readers:
            reader.join(timeout=5)
        while not self.lines.empty():
            line = self.lines.get()
            if line is not None:
                self._take(line)
        self.stderr = "".join(self._errors)
        return self.process.returncode

    def of(self, *names):
        return [(event, fields) for event, fields in self.events if event in names]


class TouchClient(threading.Thread):
    """A touch application on the multi-touch port: connects as soon as the port answers, then
    keeps every text up to its NUL in `messages`."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port = port
        self.messages = []
        self.error = None

    def run(self):
        deadline = time.time() + 20
        while True:
            try:
                connection = socket.create_connection(("127.0.0.1", self.port), timeout=30)
                break
            except OSError as error:
                if time.time() > deadline:
                    self.error = "never connected: %s" % error
                    return
                time.sleep(0.005)
        buffer = b""
        with connection:
            while True:
                chunk = connection.recv(4096)
                if not chunk:
                    return
                buffer += chunk
                while b"\0" in buffer:
                    message, buffer = buffer.split(b"\0", 1)
                    self.messages.append(message.decode("gbk"))


def play_to_touch_client(source, config):
    """Plays source (see play()) with a touch application on the multi-touch port; the
    CompletedProcess and the client, whose connection has ended with the program."""
    port = free_port()
    client = TouchClient(port)
    client.start()
    done = play(source, config, "--multitouch-port", str(port))
    client.join(10)
    check(done.returncode == 0, "exit status %d" % done.returncode)
    check(client.error is None, "client: %s" % client.error)
    check(not client.is_alive(), "the connection did not end with the program")
    return done, client
