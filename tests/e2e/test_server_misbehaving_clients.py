#!/usr/bin/python3
"""TCP clients that misbehave never stop the driver.

First, headless, the server's port is held by someone else when the program starts: once it is
freed the server listens there within a few seconds (one trace line) and a touch application
gets broadcasts, without a restart.

Then, with the server window shown under Xvfb, three clients on 127.0.0.1 at once: one sends "/p"
a thousand times a second, one sends "/" followed by 1 MiB of text again and again, one floods
as fast as loopback allows. The main tick keeps its pace (the frame-rate read-out stays near 20),
the program's resident size stays where it was, the pinging client keeps getting its answers
and a well-behaved touch application keeps receiving broadcasts.
"""
import os
import socket
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

sys.path.insert(0, os.path.join(e2e.SOURCE_DIR, "scripts"))
import measure_server_loads as loads  # noqa: E402

LOAD_SECONDS = 8


def busy_port_is_tried_again(work):
    port = e2e.free_port()
    holder = socket.socket()
    holder.bind(("", port))
    holder.listen(1)
    run = loads.Run(e2e.BIN, work, port, headless=True)
    try:
        e2e.check(e2e.wait_until(lambda: run.traced("msgbox"), 20), "the taken port was not reported")
        time.sleep(1)
        e2e.check(run.traced("listening") == [], "listening traced while the port was held: %s" % run.traced("listening"))
        holder.close()
        e2e.check(e2e.wait_until(lambda: run.traced("listening"), 10), "the server never listened once the port was free")
        touch = loads.Touch(port)
        touch.start()
        e2e.check(e2e.wait_until(lambda: touch.messages >= 3, 5), "the touch application got no broadcasts")
        touch.stop()
        e2e.check(run.traced("listening") == [[str(port)]], "listening traced %s" % run.traced("listening"))
    finally:
        run.stop()


def loads_leave_the_tick_alone(work):
    port = e2e.free_port()
    run = loads.Run(e2e.BIN, work, port, headless=False)
    try:
        loads.connect(port).close()
        figures = loads.measure(run, port, ["ping", "big", "flood"], LOAD_SECONDS)
    finally:
        run.stop()
    loads.report(["ping", "big", "flood"], figures)
    fps = sorted(figures["fps"])
    e2e.check(figures["alive"], "the program ended under the loads")
    e2e.check(len(fps) >= LOAD_SECONDS - 2 and fps[len(fps) // 2] >= 15, "the meter fell: %s" % figures["fps"])
    growth = max(figures["resident"]) - figures["resident_before"]
    e2e.check(growth < 48 << 20, "the resident size grew by %.0f MiB" % (growth / (1 << 20)))
    # One answer per arrival: the system may bring several "/p" in one.
    e2e.check(figures["clients"]["ping"].answers >= LOAD_SECONDS * 100,
              "the pinging client got %d answers" % figures["clients"]["ping"].answers)
    e2e.check(figures["touch_receiving"], "the touch application stopped receiving broadcasts")


def main(work):
    e2e.need("xvfb-run")
    busy_port_is_tried_again(work)
    loads_leave_the_tick_alone(work)


if __name__ == "__main__":
    if not os.environ.get("VORNIX_IN_XVFB"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "env", "VORNIX_IN_XVFB=1",
                               "/usr/bin/python3", *sys.argv])
    sys.exit(e2e.run(main))
