"""Shared parts of the serial-line tests: a socat pty pair that can be pulled out and plugged
back under the same names, and a configuration for either side of the relay."""
import os
import subprocess
import sys

import e2e


class PtyPair:
    """Two linked ptys, `a` and `b`: what is written to one is read from the other."""

    def __init__(self, folder):
        self.a = os.path.join(folder, "line-a")
        self.b = os.path.join(folder, "line-b")
        self.process = None

    def plug_in(self):
        self.process = e2e.background(
            ["socat", "pty,raw,echo=0,link=" + self.a, "pty,raw,echo=0,link=" + self.b],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not e2e.wait_until(lambda: os.path.exists(self.a) and os.path.exists(self.b), 5, every=0.02):
            raise RuntimeError("socat made no pty pair")

    def pull_out(self):
        """Both ends disappear, as a USB adapter pulled out."""
        self.process.terminate()
        self.process.wait(timeout=5)
        for link in (self.a, self.b):
            if os.path.lexists(link):
                os.unlink(link)


def plugged_line(folder):
    """The python3-serial module a peer writes with, and a pty pair already plugged in."""
    try:
        import serial  # python3-serial
    except ImportError:
        print("FAIL: python3-serial is not installed (scripts/setup.sh installs it)")
        sys.exit(1)
    e2e.need("socat")
    line = PtyPair(folder)
    line.plug_in()
    return serial, line


def relay_config(path, role, mode):
    """The demo configuration with the relay switched on in role "send" or "receive"."""
    return e2e.write_config(path, {"多图合成/启用多图合成": 1, "多图合成/通信端口": 1,
                                   "多图合成/本机状态": 1 if role == "receive" else 0, "系统/投影方式": mode})
