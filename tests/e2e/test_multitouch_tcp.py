#!/usr/bin/python3
"""A touch application fed over TCP: the drag clip (one touch that moves in every frame) is
played frame by frame with multi-touch switched on in the configuration, and an independent
client connects to the server as soon as it listens and reads texts up to each NUL.

The client must receive exactly what the trace says was broadcast to one client, in that order,
each text a move message; the points it carries must be the clip's mapped touches, in the
clip's order (the sender hands over the current message every 100 ms, so it repeats some points
and skips others), and the client must see the touch move.
"""
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.path.insert(0, HERE)
import edit_config  # noqa: E402
from clip_expect import mapped, reported  # noqa: E402

BIN = os.environ.get("VORNIX_BIN", "")
SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")
os.environ.setdefault("OPENCV_LOG_LEVEL", "ERROR")


def free_port():
    with socket.socket() as s:
        s.bind(("", 0))
        return s.getsockname()[1]


class Client(threading.Thread):
    """Connects as soon as the port answers, then keeps every text up to its NUL."""

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


def main():
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    work = tempfile.mkdtemp(prefix="vornix-multitouch-")
    try:
        subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "scripts", "make_clips.py"), work,
                        "--no-video", "drag"], check=True, timeout=120)
        with open(os.path.join(work, "drag.json")) as f:
            clip = json.load(f)
        config = os.path.join(work, "multitouch.ini")
        edit_config.main(["edit_config.py", DEMO_CONFIG, config, "多点触摸/启用多点触摸=1"])

        port = free_port()
        client = Client(port)
        client.start()
        command = [BIN, "--headless", "--source", os.path.join(work, clip["pattern"]), "--step",
                   "--exit-at-end", "--trace", "--pointer", "none", "--multitouch-port", str(port),
                   "--config", config]
        done = subprocess.run(command, capture_output=True, text=True, timeout=60)
        client.join(10)
        return check(done, client, clip)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def check(done, client, clip):
    failures = []

    def expect(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL: " + message)

    if done.stderr:
        print(done.stderr.rstrip())
    expect(done.returncode == 0, "exit status %d" % done.returncode)
    expect(client.error is None, "client: %s" % client.error)
    expect(not client.is_alive(), "the connection did not end with the program")

    events = []
    for line in done.stdout.splitlines():
        parts = line.split(" ", 2)
        if len(parts) >= 2 and parts[0].isdigit():
            events.append((parts[1], parts[2] if len(parts) > 2 else ""))
    to_client = [fields.partition(" ")[2] for event, fields in events
                 if event == "broadcast" and fields.partition(" ")[0] == "1"]
    expect(client.messages == to_client,
           "the client received %d texts, the trace broadcast %d to one client:\n  got  %s\n  sent %s"
           % (len(client.messages), len(to_client), client.messages, to_client))

    want = [mapped(x, y, 0, 0, 1024, 768) for _, x, y in reported(clip["touches"]["stride2"])]
    traced = [tuple(int(v) for v in fields.split()) for event, fields in events if event == "map"]
    expect(traced == want, "mapped points differ from the clip's\n  got  %s\n  want %s" % (traced, want))

    points = []
    for text in client.messages:
        expect(text.startswith("0|move|"), "not a move message: %r" % text)
        x, y = (int(v) for v in text[len("0|move|"):].split(","))
        if (x, y) != (576, 24) and (not points or points[-1] != (x, y)):
            points.append((x, y))
    position = 0
    for point in points:
        while position < len(want) and want[position] != point:
            position += 1
        expect(position < len(want), "%s is no mapped point, or out of order: %s" % (point, points))
    expect(len(points) >= 5, "the client saw only %d positions of the moving touch: %s" % (len(points), points))

    if failures:
        print("trace:\n" + done.stdout)
        return 1
    print("OK: %d move messages, %d positions of the touch in order" % (len(client.messages), len(points)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
