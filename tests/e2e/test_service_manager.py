#!/usr/bin/python3
"""The program tells a service manager (systemd's notification socket) that it is up, that it
is alive, what it is doing, and that it ends.

The test plays the manager: a datagram socket named in NOTIFY_SOCKET, with a watchdog of 2 s
in WATCHDOG_USEC. The program runs headless on the demo scene for 3 s and is then ended with
SIGTERM.
"""
import os
import signal
import socket
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402


def main(work):
    path = os.path.join(work, "notify")
    manager = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    manager.bind(path)
    manager.settimeout(0.2)
    os.environ["NOTIFY_SOCKET"] = path
    os.environ["WATCHDOG_USEC"] = "2000000"
    program = e2e.Program("demo", e2e.write_config(os.path.join(work, "Vornix配置文件.ini")))
    states = []
    deadline = time.monotonic() + 4
    while time.monotonic() < deadline:
        try:
            states.append(manager.recv(4096).decode())
        except socket.timeout:
            pass
    program.stop(signal.SIGTERM)
    while True:
        try:
            states.append(manager.recv(4096).decode())
        except socket.timeout:
            break

    e2e.check(states[:1] == ["READY=1"], "the first state is not READY=1: %s" % states[:3])
    # A watchdog of 2 s is pinged every half second once the start-up has finished.
    pings = states.count("WATCHDOG=1")
    e2e.check(pings >= 5, "%d watchdog pings in about 4 s" % pings)
    e2e.check(any(s.startswith("STATUS=") and "fps, source demo" in s and s.endswith("mode 0") for s in states),
              "no status with the meter, the source and the mode: %s" % [s for s in states if s.startswith("STATUS")])
    e2e.check(states[-1:] == ["STOPPING=1"], "the last state is not STOPPING=1: %s" % states[-3:])


if __name__ == "__main__":
    sys.exit(e2e.run(main))
