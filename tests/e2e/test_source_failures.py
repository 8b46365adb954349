#!/usr/bin/python3
"""Video sources that fail, as an unattended replay meets them.

With --exit-at-end a source that cannot be opened (a mistyped file) or that never gives a frame
(a cut-off recording) ends the program with status 2 and one line of its own on stderr. A frame
the image library refuses with an exception is a failed read, the end of the sequence, in real
time (on the capture thread) and in step mode. A capture thread stuck in a read (a recording
whose second part is a pipe nobody writes) does not hold up the end: SIGTERM ends the program
within the one second the thread is waited for, and a little.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BIN = os.environ.get("VORNIX_BIN", "")
SOURCE_DIR = os.environ.get("VORNIX_SOURCE_DIR", os.path.dirname(os.path.dirname(HERE)))
DEMO_CONFIG = os.path.join(SOURCE_DIR, "share", "demo", "Vornix配置文件.ini")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message)
    return condition


def write_ppm(path, red, width=320, height=240, body=None):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(body if body is not None else bytes([red, 80, 160]) * (width * height))


def run(work, source, *extra):
    command = [BIN, "--headless", "--source", source, "--exit-at-end", "--trace", "--pointer", "none",
               "--config", os.path.join(work, "config.ini")] + list(extra)
    return subprocess.run(command, capture_output=True, text=True, timeout=60)


def own_lines(stderr):
    """The program's own lines on stderr; the video libraries may add theirs."""
    return [line for line in stderr.splitlines() if line.startswith("vornix:")]


def expect_failure(label, done, words):
    lines = own_lines(done.stderr)
    print("%s: status %d, %s" % (label, done.returncode, lines))
    check(done.returncode == 2, "%s: exit status %d, want 2" % (label, done.returncode))
    check(len(lines) == 1 and words in lines[0], "%s: want one line saying '%s', got %s" % (label, words, lines))


def main():
    if not BIN or not os.access(BIN, os.X_OK):
        print("FAIL: VORNIX_BIN does not name the built program")
        return 1
    work = tempfile.mkdtemp(prefix="vornix-source-failures-")
    try:
        shutil.copyfile(DEMO_CONFIG, os.path.join(work, "config.ini"))
        os.makedirs(os.path.join(work, "frames"))
        for i in range(3):
            write_ppm(os.path.join(work, "frames", "%04d.ppm" % i), 100 + i)
        # A header the image library refuses with an exception (too many pixels).
        write_ppm(os.path.join(work, "frames", "0003.ppm"), 0, 1000000, 1100, bytes(32))

        expect_failure("missing file", run(work, os.path.join(work, "recording.mvk")), "recording.mvk")

        for step in ([], ["--step"]):
            label = "sequence ending in a refused frame" + (" (step)" if step else "")
            done = run(work, os.path.join(work, "frames", "%04d.ppm"), *step)
            print("%s: status %d" % (label, done.returncode))
            check(done.returncode == 0, "%s: exit status %d, stderr %s" % (label, done.returncode, done.stderr))
            check(not own_lines(done.stderr), "%s: %s" % (label, own_lines(done.stderr)))

        if shutil.which("ffmpeg") is None:
            print("skip: ffmpeg is not installed; the recordings are made with it")
        else:
            clip = os.path.join(work, "clip.mkv")
            subprocess.run(["ffmpeg", "-y", "-loglevel", "error", "-framerate", "20", "-i",
                            os.path.join(work, "frames", "%04d.ppm"), "-frames:v", "3", "-c:v", "ffv1", clip],
                           check=True, timeout=60)
            # The recording cut off at the start of its first cluster: it opens, but no frame is whole.
            with open(clip, "rb") as f:
                data = f.read()
            first_cluster = data.find(b"\x1f\x43\xb6\x75")
            check(first_cluster > 0, "the clip has no cluster to cut before")
            cut = os.path.join(work, "cut.mkv")
            with open(cut, "wb") as f:
                f.write(data[:first_cluster + 16])
            expect_failure("recording without a frame", run(work, cut), "gave no frame")
            stuck_read(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("OK")
    return 0


def stuck_read(work):
    """The capture thread plays the clip, then blocks opening a pipe nobody writes."""
    os.mkfifo(os.path.join(work, "stuck.mkv"))
    playlist = os.path.join(work, "playlist.ffconcat")
    with open(playlist, "w") as f:
        f.write("ffconcat version 1.0\nfile clip.mkv\nfile stuck.mkv\n")
    command = [BIN, "--headless", "--source", playlist, "--trace", "--pointer", "none",
               "--config", os.path.join(work, "config.ini")]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    time.sleep(2.5)  # the three frames are long played; the thread waits for the pipe
    if not check(process.poll() is None, "stuck read: the program ended by itself"):
        return
    started = time.monotonic()
    process.send_signal(signal.SIGTERM)
    try:
        out, err = process.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        out, err = process.communicate()
    took = time.monotonic() - started
    print("stuck read: status %d %.1f s after SIGTERM" % (process.returncode, took))
    check(process.returncode == 0, "stuck read: exit status %d: %s" % (process.returncode, err))
    check(took < 3, "stuck read: the program took %.1f s to end" % took)
    check(" error " in out and "stuck" in out, "stuck read: the trace does not say the thread was left behind")


if __name__ == "__main__":
    sys.exit(main())
