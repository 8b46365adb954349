#!/usr/bin/python3
"""Video sources that fail, as an unattended replay meets them.

With --exit-at-end a source that cannot be opened (a mistyped file) or that never gives a frame
(a cut-off recording) ends the program with status 2 and one line of its own on stderr. A frame
the image library refuses with an exception is a failed read, the end of the sequence, in real
time (on the capture thread) and in step mode. A capture thread stuck in a read (a recording
whose second part is a pipe nobody writes) does not hold up the end: SIGTERM ends the program
within the one second the thread is waited for, and a little. A camera that is not there while the
program runs on is reported once, in the program's words, while it is looked for every second.
"""
import os
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402


def write_ppm(path, red, width=320, height=240, body=None):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(body if body is not None else bytes([red, 80, 160]) * (width * height))


def own_lines(stderr):
    """The program's own lines on stderr; the video libraries may add theirs."""
    return [line for line in stderr.splitlines() if line.startswith("vornix:")]


def expect_failure(label, done, words):
    lines = own_lines(done.stderr)
    print("%s: status %d, %s" % (label, done.returncode, lines))
    e2e.check(done.returncode == 2, "%s: exit status %d, want 2" % (label, done.returncode))
    e2e.check(len(lines) == 1 and words in lines[0], "%s: want one line saying '%s', got %s" % (label, words, lines))


def main(work):
    config = e2e.write_config(os.path.join(work, "config.ini"))
    os.makedirs(os.path.join(work, "frames"))
    for i in range(3):
        write_ppm(os.path.join(work, "frames", "%04d.ppm" % i), 100 + i)
    # A header the image library refuses with an exception (too many pixels).
    write_ppm(os.path.join(work, "frames", "0003.ppm"), 0, 1000000, 1100, bytes(32))

    expect_failure("missing file", e2e.play(os.path.join(work, "recording.mvk"), config, step=False), "recording.mvk")
    missing_camera(config)

    for step in (False, True):
        label = "sequence ending in a refused frame" + (" (step)" if step else "")
        done = e2e.play(os.path.join(work, "frames", "%04d.ppm"), config, step=step)
        print("%s: status %d" % (label, done.returncode))
        e2e.check(done.returncode == 0, "%s: exit status %d, stderr %s" % (label, done.returncode, done.stderr))
        e2e.check(not own_lines(done.stderr), "%s: %s" % (label, own_lines(done.stderr)))

    if not e2e.installed("ffmpeg", "the recordings are made with it"):
        return
    clip = os.path.join(work, "clip.mkv")
    subprocess.run(["ffmpeg", "-y", "-loglevel", "error", "-framerate", "20", "-i",
                    os.path.join(work, "frames", "%04d.ppm"), "-frames:v", "3", "-c:v", "ffv1", clip],
                   check=True, timeout=60)
    # The recording cut off at the start of its first cluster: it opens, but no frame is whole.
    with open(clip, "rb") as f:
        data = f.read()
    first_cluster = data.find(b"\x1f\x43\xb6\x75")
    e2e.check(first_cluster > 0, "the clip has no cluster to cut before")
    cut = os.path.join(work, "cut.mkv")
    with open(cut, "wb") as f:
        f.write(data[:first_cluster + 16])
    expect_failure("recording without a frame", e2e.play(cut, config, step=False), "gave no frame")
    stuck_read(work, config)


def missing_camera(config):
    """Four attempts to find the camera again say nothing more than the first line."""
    program = e2e.Program("/dev/video97", config)
    program.collect(4.5)
    status = program.stop(signal.SIGTERM)
    # The start-up's message box goes to stderr too when headless.
    lines = [line for line in program.stderr.splitlines() if line != "无设备可连接!"]
    print("missing camera: status %d, stderr %s" % (status, lines))
    e2e.check(status == 0, "missing camera: exit status %d" % status)
    e2e.check(len(lines) == 1 and "/dev/video97" in lines[0] and lines[0].startswith("vornix:"),
              "missing camera: want one line of the program's own on stderr, got %s" % lines)


def stuck_read(work, config):
    """The capture thread plays the clip, then blocks opening a pipe nobody writes."""
    os.mkfifo(os.path.join(work, "stuck.mkv"))
    playlist = os.path.join(work, "playlist.ffconcat")
    with open(playlist, "w") as f:
        f.write("ffconcat version 1.0\nfile clip.mkv\nfile stuck.mkv\n")
    program = e2e.Program(playlist, config)
    program.collect(2.5)  # the three frames are long played; the thread waits for the pipe
    if not e2e.check(program.running(), "stuck read: the program ended by itself"):
        return
    started = time.monotonic()
    status = program.stop(signal.SIGTERM)
    took = time.monotonic() - started
    print("stuck read: status %d %.1f s after SIGTERM" % (status, took))
    e2e.check(status == 0, "stuck read: exit status %d: %s" % (status, program.stderr))
    e2e.check(took < 3, "stuck read: the program took %.1f s to end" % took)
    out = "\n".join(program.output)
    e2e.check(" error " in out and "stuck" in out, "stuck read: the trace does not say the thread was left behind")


if __name__ == "__main__":
    sys.exit(e2e.run(main))
