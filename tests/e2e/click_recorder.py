#!/usr/bin/python3
"""A borderless window over the whole screen that records left-button presses and releases.

Each event is appended to OUTPUT as "press X Y" or "release X Y" (root coordinates), or "key
KEYSYM" for a key pressed, and flushed at once. "ready" goes to stdout, and to --ready FILE when given, once the window is
mapped and can receive clicks.
"""
import argparse
import sys
import tkinter


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", help="file the press/release lines are appended to")
    parser.add_argument("--ready", help="file written with 'ready' once the window is mapped")
    args = parser.parse_args()

    log = open(args.output, "a", buffering=1)
    root = tkinter.Tk()
    root.overrideredirect(True)
    root.geometry("%dx%d+0+0" % (root.winfo_screenwidth(), root.winfo_screenheight()))
    root.configure(background="white", cursor="crosshair")

    def record(kind):
        def handler(event):
            log.write("%s %d %d\n" % (kind, event.x_root, event.y_root))
            log.flush()
        return handler

    root.bind("<ButtonPress-1>", record("press"))
    root.bind("<ButtonRelease-1>", record("release"))

    def key(event):
        log.write("key %s\n" % event.keysym)
        log.flush()

    root.bind("<KeyPress>", key)

    announced = []

    def announce(_event=None):
        if announced:
            return
        announced.append(True)
        root.update_idletasks()
        root.focus_force()
        if args.ready:
            with open(args.ready, "w") as ready:
                ready.write("ready\n")
        print("ready", flush=True)

    root.bind("<Map>", lambda event: root.after(100, announce) if event.widget is root else None)
    root.mainloop()


if __name__ == "__main__":
    sys.exit(main())
