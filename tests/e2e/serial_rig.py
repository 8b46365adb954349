#!/usr/bin/python3
"""Shared parts of the serial-line tests: a socat pty pair that can be pulled out and plugged
back under the same names, a configuration for either side of the relay, and a running program
whose trace is read line by line as it comes."""
import os
import queue
import signal
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import edit_config  # noqa: E402

SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")


class PtyPair:
    """Two linked ptys, `a` and `b`: what is written to one is read from the other."""

    def __init__(self, folder):
        self.a = os.path.join(folder, "line-a")
        self.b = os.path.join(folder, "line-b")
        self.process = None

    def plug_in(self):
        self.process = subprocess.Popen(
            ["socat", "pty,raw,echo=0,link=" + self.a, "pty,raw,echo=0,link=" + self.b],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 5
        while not (os.path.exists(self.a) and os.path.exists(self.b)):
            if time.monotonic() > deadline:
                raise RuntimeError("socat made no pty pair")
            time.sleep(0.02)

    def pull_out(self):
        """Both ends disappear, as a USB adapter pulled out."""
        self.process.terminate()
        self.process.wait(timeout=5)
        for link in (self.a, self.b):
            if os.path.lexists(link):
                os.unlink(link)


def relay_config(path, role, mode, **more):
    """The demo configuration with the relay switched on in role "send" or "receive"."""
    values = {"多图合成/启用多图合成": 1, "多图合成/通信端口": 1,
              "多图合成/本机状态": 1 if role == "receive" else 0, "系统/投影方式": mode}
    values.update(more)
    edit_config.main(["edit_config.py", DEMO_CONFIG, path] + ["%s=%s" % kv for kv in values.items()])


def parse(line):
    """(event, [fields]) of a trace line, None for other output."""
    parts = line.split()
    if len(parts) >= 2 and parts[0].isdigit():
        return parts[1], parts[2:]
    return None


class Program:
    """The program running in the background; its trace events arrive in `events`."""

    def __init__(self, arguments):
        self.process = subprocess.Popen(arguments, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True)
        self.events = []
        self.lines = queue.Queue()
        self.stderr = ""
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

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
            event = parse(line)
            if event:
                self.events.append(event)
                if wanted(*event):
                    return True

    def collect(self, seconds):
        self.wait_for(lambda event, fields: False, seconds)

    def stop(self):
        """SIGINT, then the exit status; the remaining events are collected."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.reader.join(timeout=5)
        while not self.lines.empty():
            line = self.lines.get()
            if line is not None and parse(line):
                self.events.append(parse(line))
        self.stderr = self.process.stderr.read()
        return self.process.returncode

    def of(self, *names):
        return [(event, fields) for event, fields in self.events if event in names]
