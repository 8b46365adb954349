#!/usr/bin/python3
"""A black borderless window over the whole screen that draws bright discs on command: what a
camera watching the screen (--source screen) sees as a touch.

Commands, one a line on stdin:
    disc X Y R   a white disc of radius R whose topmost pixel is (X, Y); the previous one goes
    clear        nothing but black
    quit
Each is answered on stdout with "done" once the X server has drawn it; "ready" is said once the
window is mapped.
"""
import math
import queue
import sys
import threading
import tkinter


def disc_rows(x, y, radius):
    """(left, top, right, bottom) rectangles, one a pixel row, that make up the disc; its top row
    is y, centred on column x."""
    rows = []
    for i in range(2 * radius):
        dy = i - radius + 0.5
        half = math.sqrt(max(0.0, radius * radius - dy * dy))
        left, right = round(x - half + 0.5), round(x + half + 0.5)
        rows.append((left, y + i, max(right, left + 1), y + i + 1))
    return rows


def main():
    root = tkinter.Tk()
    root.overrideredirect(True)
    width, height = root.winfo_screenwidth(), root.winfo_screenheight()
    root.geometry("%dx%d+0+0" % (width, height))
    canvas = tkinter.Canvas(root, width=width, height=height, background="black", highlightthickness=0, bd=0)
    canvas.place(x=0, y=0)
    commands = queue.Queue()

    def read():
        for line in sys.stdin:
            commands.put(line.split())
        commands.put(["quit"])

    def answer(text):
        root.update_idletasks()
        root.winfo_pointerxy()  # a round trip: the server has drawn everything sent before it
        print(text, flush=True)

    def poll():
        while not commands.empty():
            command = commands.get()
            if not command:
                continue
            if command[0] == "quit":
                root.destroy()
                return
            canvas.delete("disc")
            if command[0] == "disc":
                x, y, radius = map(int, command[1:4])
                for row in disc_rows(x, y, radius):
                    canvas.create_rectangle(*row, fill="white", width=0, tags="disc")
            answer("done")
        root.after(5, poll)

    announced = []

    def announce(event):
        if event.widget is root and not announced:
            announced.append(True)
            root.after(100, lambda: answer("ready"))

    root.bind("<Map>", announce)
    threading.Thread(target=read, daemon=True).start()
    root.after(5, poll)
    root.mainloop()


if __name__ == "__main__":
    main()
