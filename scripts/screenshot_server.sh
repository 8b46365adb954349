#!/usr/bin/env bash
# Saves a picture of the multi-touch server window of the running program under Xvfb, with a few
# clients connected, to docs/server.png (or the file given as first argument). It listens on the
# default port 5500; when that is taken it is tried again every few seconds.
# Usage: scripts/screenshot_server.sh [OUTPUT.png] [BUILD_DIR]
set -euo pipefail

screenshot_name=server.png
source "$(dirname "$0")/screenshot_common.sh"
port=5500  # the port the README names
/usr/bin/python3 -B "$root/tests/e2e/edit_config.py" "$root/share/demo/Vornix配置文件.ini" "$work/Vornix配置文件.ini" \
  "系统/程序运行直接隐藏=1" "多点触摸/启用多点触摸=1"
"$build/src/app/vornix" --source demo --pointer none --multitouch-port "$port" \
  --config "$work/Vornix配置文件.ini" >/dev/null &
vornix=$!

# The clients stay connected until the picture is taken: they say so in $work/ready.
/usr/bin/python3 - "$port" "$work/ready" <<'PY' &
import socket, sys, time
port = int(sys.argv[1])
for _ in range(100):
    try:
        socket.create_connection(("127.0.0.1", port)).close()
        break
    except OSError:
        time.sleep(0.1)
time.sleep(0.3)
clients = [socket.create_connection(("127.0.0.1", port)) for _ in range(4)]
for client, text in zip(clients, [b"/hello", b"touch table ready", b"/status", b"^bye"]):
    client.sendall(text)
    time.sleep(0.3)
time.sleep(0.5)
open(sys.argv[2], "w").close()
time.sleep(60)
PY
clients=$!
for _ in $(seq 200); do [ -e "$work/ready" ] && break; sleep 0.1; done
window=$(xdotool search --onlyvisible --name "Vornix多点触摸_服务器" | head -1)
[ -n "$window" ] || { echo "screenshot_server: the server window did not appear" >&2; exit 1; }
import -window "$window" "$output"
kill "$clients" 2>/dev/null || true
kill "$vornix" && wait "$vornix" || true
vornix=""
echo "saved $output"
