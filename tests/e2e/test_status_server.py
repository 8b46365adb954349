#!/usr/bin/python3
"""The status server as a monitoring system and an installer's browser meet it.

The program runs headless on a live source, a GStreamer pipeline that plays a raw recording of a
minute: cutting the file off and removing it unplugs the camera, putting it back plugs it in. Its
/metrics are read with Prometheus's own Python parser, /health and /snapshot.png as a browser
reads them; more connections than the server takes are refused. How long tracking takes to
resume once the camera is back is printed (BENCHMARKS.md keeps the figure).
"""
import os
import random
import socket
import struct
import sys
import time
import urllib.error
import urllib.request

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e  # noqa: E402

from prometheus_client.parser import text_string_to_metric_families  # noqa: E402

FAMILIES = {"vornix_up": "gauge", "vornix_fps": "gauge", "vornix_frames_total": "counter",
            "vornix_passes_total": "counter", "vornix_touches_total": "counter", "vornix_camera_up": "gauge",
            "vornix_serial_messages_total": "counter", "vornix_tcp_clients": "gauge",
            "vornix_tuio_bundles_total": "counter", "vornix_config_save_failures_total": "counter"}


def get(port, path, method="GET"):
    """(status, content type, body) of one request."""
    request = urllib.request.Request("http://127.0.0.1:%d%s" % (port, path), method=method)
    try:
        with urllib.request.urlopen(request, timeout=5) as answer:
            return answer.status, answer.headers.get("Content-Type"), answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers.get("Content-Type"), error.read()
    except OSError as error:  # refused: too many connections are open
        return None, None, str(error).encode()


def metrics(port):
    """{sample name or name{labels}: value} and the families' types."""
    status, content_type, body = get(port, "/metrics")
    e2e.check(status == 200 and content_type.startswith("text/plain; version=0.0.4"),
              "/metrics: %s %s" % (status, content_type))
    values, types = {}, {}
    for family in text_string_to_metric_families(body.decode()):
        # The parser drops a counter's _total suffix from the family name.
        types[family.name] = family.type
        for sample in family.samples:
            labels = ",".join("%s=%s" % item for item in sorted(sample.labels.items()))
            values[sample.name + ("{%s}" % labels if labels else "")] = sample.value
    return values, types


def write_recording(path, level):
    """A minute of 64 x 48 BGR frames, put in place in one step so that no reader sees half of it."""
    with open(path + ".new", "wb") as f:
        f.write(bytes([level, level, level]) * (64 * 48 * 20 * 60))
    os.replace(path + ".new", path)


def passes(values):
    return sum(value for name, value in values.items() if name.startswith("vornix_passes_total"))


def main(work):
    recording = os.path.join(work, "camera.raw")
    write_recording(recording, 60)
    camera = ("gst:filesrc location=%s ! rawvideoparse width=64 height=48 format=bgr framerate=20/1 ! "
              "videoconvert ! appsink" % recording)
    port = e2e.free_port()
    config = e2e.write_config(os.path.join(work, "config.ini"))
    program = e2e.Program(camera, config, "--status", str(port), "--multitouch-port", "0")
    if not e2e.check(program.wait_for(lambda event, fields: event == "status", 15), "the status server never listened"):
        program.stop()
        print(program.stderr)
        return
    e2e.check(e2e.wait_until(lambda: get(port, "/health")[0] == 200, 15), "/health never said ok")

    before, types = metrics(port)
    time.sleep(2)
    after, _ = metrics(port)
    print("metrics: %s" % after)
    for name, kind in FAMILIES.items():
        e2e.check(types.get(name.removesuffix("_total")) == kind, "%s: type %s" % (name, types.get(name)))
    e2e.check(after["vornix_up"] == 1 and after["vornix_camera_up"] == 1, "up, camera up: %s" % after)
    e2e.check(12 <= after["vornix_fps"] <= 21,  # 20 on a quiet machine; other tests may share its cores
              "the meter reads %s" % after["vornix_fps"])
    e2e.check(after["vornix_frames_total"] >= before["vornix_frames_total"] + 15 and passes(after) >= passes(before) + 15,
              "frames and passes in 2 s: %s, %s" % (after["vornix_frames_total"] - before["vornix_frames_total"],
                                                    passes(after) - passes(before)))

    status, content_type, png = get(port, "/snapshot.png")
    width, height = struct.unpack(">II", png[16:24]) if len(png) >= 24 else (0, 0)
    e2e.check(status == 200 and content_type == "image/png" and png[:8] == b"\x89PNG\r\n\x1a\n" and png[12:16] == b"IHDR"
              and (width, height) == (320, 240), "/snapshot.png: %s %s %d bytes, %dx%d" % (status, content_type, len(png), width, height))
    e2e.check(get(port, "/nothing")[0] == 404, "an unknown path is not 404")
    e2e.check(get(port, "/metrics", "POST")[0] == 405, "POST /metrics is not 405")

    # Forty connections at once: those past the limit are closed at once, and the server goes on.
    crowd = [socket.create_connection(("127.0.0.1", port), timeout=5) for _ in range(40)]
    refused = 0
    for connection in crowd:
        connection.settimeout(0.3)
        try:
            refused += connection.recv(1) == b""
        except socket.timeout:
            pass
        except ConnectionResetError:
            refused += 1
    for connection in crowd:
        connection.close()
    print("40 connections at once: %d refused" % refused)
    e2e.check(8 <= refused < 40, "%d of 40 connections refused" % refused)
    e2e.check(e2e.wait_until(lambda: get(port, "/health")[0] == 200, 5), "the server no longer answers after the crowd")

    # The camera is unplugged: the health says why, the camera is down.
    os.truncate(recording, 0)
    os.remove(recording)
    e2e.check(e2e.wait_until(lambda: get(port, "/health")[0] == 503, 10), "/health stayed ok without the camera")
    reason = get(port, "/health")[2].decode()
    print("unplugged: %s" % reason.strip())
    e2e.check(reason.startswith("no frame for") and reason.count("\n") == 1, "/health says %r" % reason)
    e2e.check(metrics(port)[0]["vornix_camera_up"] == 0, "vornix_camera_up stays 1 without the camera")

    # Plugged in again, at any moment of the once-a-second search: how long until passes run on
    # its frames.
    frames = metrics(port)[0]["vornix_frames_total"]
    time.sleep(random.random())
    write_recording(recording, 90)
    back = time.monotonic()
    e2e.check(e2e.wait_until(lambda: metrics(port)[0]["vornix_frames_total"] > frames, 10, every=0.01),
              "no new frame after the camera came back")
    print("tracking resumed %.0f ms after the camera came back" % ((time.monotonic() - back) * 1000))
    e2e.check(e2e.wait_until(lambda: get(port, "/health")[0] == 200, 5), "/health did not say ok again")
    e2e.check(metrics(port)[0]["vornix_camera_up"] == 1, "vornix_camera_up did not follow the camera back")
    program.stop()
    e2e.check(any(event == "source" and fields[0] == "back" for event, fields in program.events),
              "the trace does not say the camera is back")


if __name__ == "__main__":
    sys.exit(e2e.run(main))
