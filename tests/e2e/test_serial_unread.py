#!/usr/bin/python3
"""A serial line that the program does not read costs it no memory.

The program runs headless as a sender in mode 5 without zones (it detects nothing, so it sends nothing) with
the relay on. Its peer, python3-serial on the other end of a socat pty pair, is a second
sender: it writes position messages at the line's full speed (115200 baud), which nothing in
the program takes. The program's resident size must stay flat while the stream goes on.
"""
import os
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402
from serial_rig import plugged_line, relay_config  # noqa: E402

SECONDS = 10
BYTES_A_SECOND = 11520  # 115200 baud, 8 data bits, one start and one stop bit
ALLOWED_GROWTH = 2 * 1024 * 1024


def stream(peer, seconds):
    """Position messages at BYTES_A_SECOND for the given seconds."""
    message = b":::MOUSEX=0300,Y=0400."
    every = len(message) / BYTES_A_SECOND
    start = time.monotonic()
    sent = 0
    while time.monotonic() - start < seconds:
        peer.write(message)
        sent += 1
        pause = start + sent * every - time.monotonic()
        if pause > 0:
            time.sleep(pause)
    return sent * len(message)


def main(work):
    serial, line = plugged_line(work)
    sender = e2e.Program("demo", relay_config(os.path.join(work, "sender.ini"), "send", 5), "--serial", "1=" + line.b)
    try:
        e2e.check(sender.wait_for(lambda e, f: e == "mode" and f == ["5"]), "the sender did not start in mode 5")
        peer = serial.Serial(line.a, 115200, timeout=1, write_timeout=5)
        stream(peer, 2)  # the program's own start-up growth is over by then
        first = e2e.resident_bytes(sender.process.pid)
        sent = stream(peer, SECONDS)
        last = e2e.resident_bytes(sender.process.pid)
        peer.close()
        print("%d bytes in %d s: resident %d KiB, then %d KiB" % (sent, SECONDS, first // 1024, last // 1024))
        e2e.check(sender.running(), "the sender ended while the line streamed")
        e2e.check(last - first <= ALLOWED_GROWTH,
                  "the resident size grew by %d KiB while the unread line streamed" % ((last - first) // 1024))
    finally:
        status = sender.stop()
        if sender.stderr:
            print(sender.stderr.rstrip())
        e2e.check(status == 0, "the sender ended with status %s" % status)
        e2e.check(not sender.of("serial-recv", "cursor"), "the sender took input from the line")


if __name__ == "__main__":
    sys.exit(e2e.run(main))
