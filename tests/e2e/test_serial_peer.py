#!/usr/bin/python3
"""The receiving side of the serial relay against an independent peer on a socat pty pair.

The program runs headless as a receiver in mode 5 without zones (it detects nothing). A peer written with
python3-serial sends position messages as a sender would, and as a line may garble them:
split into chunks, behind noise, two in one write, with coordinates wider than four digits.
The receiver must inject exactly the points the receive rules accept. Then the line is pulled
out and plugged back in while the relay is on: the receiver closes its port, says so once,
and takes messages again once the line is back.
"""
import os
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402
from serial_rig import plugged_line, relay_config  # noqa: E402

# What the peer writes, a group at a time: the chunks of a group are written with a pause
# between them; after each group the peer waits until the receiver has settled. Each group
# lists the points the receiver must inject for it.
GROUPS = [
    ("a whole message", [b":::MOUSEX=0300,Y=0400."], [(300, 400)]),
    ("split after two digits of X", [b":::MOUSEX=01", b"23,Y=0456."], [(123, 456)]),
    ("noise in front", [b"\x00\xff#!", b":::MOUSEX=0042,Y=0043."], [(42, 43)]),
    ("two messages in one write: the second is dropped",
     [b":::MOUSEX=0800,Y=0801.:::MOUSEX=0900,Y=0901."], [(800, 801)]),
    # An over-wide X blocks the buffer: the messages behind it wait until it passes 50
    # characters and is emptied, and are lost with it.
    ("over-wide X", [b":::MOUSEX=12345,Y=0001.", b":::MOUSEX=0500,Y=0500.", b":::MOUSEX=0600,Y=0600."], []),
    ("a message after the emptied buffer", [b":::MOUSEX=0700,Y=0700."], [(700, 700)]),
    ("the origin", [b":::MOUSEX=0000,Y=0000."], [(0, 1)]),
]


def cursors(program):
    return [tuple(int(v) for v in fields) for _, fields in program.of("cursor")]


def send_groups(peer, receiver):
    for label, chunks, points in GROUPS:
        before = len(cursors(receiver))
        for chunk in chunks:
            peer.write(chunk)
            peer.flush()
            time.sleep(0.15)
        if points:
            receiver.wait_for(lambda e, f: e == "cursor" and len(cursors(receiver)) >= before + len(points), 5)
        receiver.collect(0.3)  # anything the rules do not allow would show by now
        e2e.check(cursors(receiver)[before:] == points,
                  "%s: the receiver injected %s, want %s" % (label, cursors(receiver)[before:], points))


def main(work):
    serial, line = plugged_line(work)
    receiver = e2e.Program("demo", relay_config(os.path.join(work, "receiver.ini"), "receive", 5),
                           "--serial", "1=" + line.b)
    try:
        e2e.check(receiver.wait_for(lambda e, f: e == "mode" and f == ["5"]), "the receiver did not start in mode 5")

        peer = serial.Serial(line.a, 115200, bytesize=8, parity="N", stopbits=1, timeout=1)
        send_groups(peer, receiver)

        print("== the line pulled out and plugged back in")
        peer.close()
        line.pull_out()
        e2e.check(receiver.wait_for(lambda e, f: e == "error", 5), "the receiver did not notice the line going")
        receiver.collect(1.5)  # a few reopen attempts fail meanwhile
        line.plug_in()
        peer = serial.Serial(line.a, 115200, timeout=1)
        receiver.collect(1.5)  # the receiver reopens within a second
        peer.write(b":::MOUSEX=0321,Y=0654.")
        peer.flush()
        e2e.check(receiver.wait_for(lambda e, f: e == "cursor", 5) and cursors(receiver)[-1] == (321, 654),
                  "no point taken after the line came back: %s" % cursors(receiver)[-1:])
        errors = receiver.of("error")
        e2e.check(len(errors) == 1, "one outage should give one error line, got %s" % errors)
        peer.close()
    finally:
        status = receiver.stop()
        if receiver.stderr:
            print(receiver.stderr.rstrip())
        e2e.check(status == 0, "the receiver ended with status %s" % status)
        print("received: " + ", ".join(" ".join(f) for _, f in receiver.of("serial-recv")))


if __name__ == "__main__":
    sys.exit(e2e.run(main))
