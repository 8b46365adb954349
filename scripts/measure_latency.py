#!/usr/bin/python3
"""Measures how late the pointer follows the camera, and what a camera costs, in both pacings.

    scripts/measure_latency.py [BUILD_DIR=build] [SECONDS=20]

1. Frame to injector: the program runs headless with --trace and --pointer none on the demo
   scene and on a 60 fps file (a light square gliding over a dark surface, MJPEG, made here with
   ffmpeg), once with --pace tick and once with --pace frame. Every `cursor` line of the trace is
   followed by `frame-age MS`, the time from the frame reaching the capture component to the
   injector's call; the median and the 99th percentile of those are printed.
2. CPU: the program plays a 640 x 480 and a 1280 x 720 MJPEG file at 30 fps in real time, in
   both pacings: its CPU time (user + system, /proc/PID/stat) from 2 s after the start to 2 s
   before the end, over that wall time. Beside it, ffmpeg decodes and scales the same file to
   320 x 240 on one thread: its whole CPU time (/usr/bin/time) over the clip's duration. Both in
   per cent of one core.
"""

import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO_CONFIG = os.path.join(ROOT, "share", "demo", "Vornix配置文件.ini")
PACES = ("tick", "frame")


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", *args], check=True)


def make_glide(path, seconds, fps=60):
    """A light square gliding left and right over a dark, slightly noisy surface."""
    glide = "if(lt(t\\,0.5)\\,-100\\,20+abs(mod(t*150\\,560)-280))"
    ffmpeg("-f", "lavfi", "-i", "color=c=0x303030:s=320x240:r=%d:d=%d" % (fps, seconds),
           "-f", "lavfi", "-i", "color=c=white:s=24x24:r=%d" % fps,
           "-filter_complex", "[0]noise=alls=4:allf=t[bg];[bg][1]overlay=x='%s':y=100:shortest=1:eval=frame" % glide,
           "-c:v", "mjpeg", "-q:v", "3", "-pix_fmt", "yuvj420p", path)


def make_scene(path, size, seconds, fps=30):
    ffmpeg("-f", "lavfi", "-i", "testsrc2=s=%s:r=%d:d=%d" % (size, fps, seconds),
           "-c:v", "mjpeg", "-q:v", "3", "-pix_fmt", "yuvj420p", path)


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(share * (len(ordered) - 1))))]


def timed(command, config_dir, seconds=None):
    """Runs command under /usr/bin/time; returns (stdout, cpu seconds, wall seconds)."""
    times = os.path.join(config_dir, "time")
    process = subprocess.Popen(["/usr/bin/time", "-f", "%U %S %e", "-o", times, *command],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    if seconds is not None:
        time.sleep(seconds)
        # SIGINT to the program itself (the child of time), which ends as 结束 does.
        children = subprocess.run(["pgrep", "-P", str(process.pid)], capture_output=True, text=True).stdout.split()
        for child in children:
            os.kill(int(child), signal.SIGINT)
    out, _ = process.communicate(timeout=(seconds or 0) + 120)
    user, system, wall = (float(v) for v in open(times).read().split()[-3:])
    return out, user + system, wall


def vornix(build, source, pace, work, seconds=None):
    config = os.path.join(work, "Vornix配置文件.ini")
    shutil.copy(DEMO_CONFIG, config)
    command = [os.path.join(build, "src", "app", "vornix"), "--headless", "--pointer", "none", "--trace",
               "--source", source, "--pace", pace, "--config", config]
    if seconds is None:
        command.append("--exit-at-end")
    return timed(command, work, seconds)


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def steady_cpu(build, clip, pace, work, seconds, margin=2.0):
    """CPU share of the program while it plays the clip, start-up and end left out (/proc)."""
    config = os.path.join(work, "Vornix配置文件.ini")
    shutil.copy(DEMO_CONFIG, config)
    process = subprocess.Popen([os.path.join(build, "src", "app", "vornix"), "--headless", "--pointer", "none",
                                "--source", clip, "--pace", pace, "--config", config, "--exit-at-end"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(margin)
    first, start = cpu_seconds(process.pid), time.monotonic()
    time.sleep(seconds - 2 * margin)
    last, end = cpu_seconds(process.pid), time.monotonic()
    process.wait(timeout=60)
    return (last - first) / (end - start)


def ages(trace):
    return [float(line.split()[2]) for line in trace.splitlines() if line.split()[1:2] == ["frame-age"]]


def main(argv):
    build = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(ROOT, "build"))
    seconds = int(argv[2]) if len(argv) > 2 else 20
    work = tempfile.mkdtemp(prefix="vornix-latency-")
    try:
        glide = os.path.join(work, "glide-60fps.avi")
        make_glide(glide, seconds)
        print("frame to injector (ms), %d s per run:" % seconds)
        print("%-26s %-6s %8s %8s %8s %7s" % ("source", "pace", "moves", "median", "p99", "passes"))
        for label, source in (("demo scene (30 fps)", "demo"), ("60 fps MJPEG file", glide)):
            for pace in PACES:
                trace, _, wall = vornix(build, source, pace, work, seconds if source == "demo" else None)
                found = ages(trace)
                passes = [int(line.split()[2]) for line in trace.splitlines() if line.split()[1:2] == ["fps"]]
                if not found:
                    print("%-26s %-6s no cursor moves" % (label, pace))
                    continue
                print("%-26s %-6s %8d %8.2f %8.2f %7s" % (label, pace, len(found), statistics.median(found),
                                                       percentile(found, 0.99),
                                                       "%d/s" % statistics.median(passes[1:-1] or passes)))

        print("\nCPU per second of video, %% of one core (%d s at 30 fps):" % seconds)
        print("%-12s %10s %10s %10s" % ("file", "tick", "frame", "ffmpeg"))
        for size in ("640x480", "1280x720"):
            clip = os.path.join(work, "scene-%s.avi" % size)
            make_scene(clip, size, seconds)
            shares = []
            for pace in PACES:
                shares.append(100 * steady_cpu(build, clip, pace, work, seconds))
            _, cpu, _ = timed(["ffmpeg", "-loglevel", "error", "-threads", "1", "-filter_threads", "1",
                               "-i", clip, "-vf", "scale=320:240", "-f", "null", "-"], work)
            shares.append(100 * cpu / seconds)
            print("%-12s %9.1f%% %9.1f%% %9.1f%%" % (size, *shares))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
