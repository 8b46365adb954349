#!/usr/bin/env bash
# Closing the multi-touch server window while the panel is hidden: the program goes on (the main
# tick keeps counting), the sender loads the server again without showing it, so a touch
# application can connect and receives move messages, and SIGTERM still ends the program cleanly.
set -euo pipefail

for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 0; }
done
here=$(cd "$(dirname "$0")" && pwd)
bin=${VORNIX_BIN:?VORNIX_BIN must name the program}
source_dir=${VORNIX_SOURCE_DIR:?VORNIX_SOURCE_DIR must name the source folder}

if [ -z "${VORNIX_IN_XVFB:-}" ]; then
  exec timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" env VORNIX_IN_XVFB=1 bash "$0" "$@"
fi

work=$(mktemp -d)
vornix=""
cleanup() {
  [ -n "$vornix" ] && kill "$vornix" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- stderr"; cat "$work/stderr" 2>/dev/null || true; exit 1; }
py() { /usr/bin/python3 -B "$@"; }

port=$(py -c 'import socket; s = socket.socket(); s.bind(("", 0)); print(s.getsockname()[1])')
py "$here/edit_config.py" "$source_dir/share/demo/Vornix配置文件.ini" "$work/Vornix配置文件.ini" \
  "系统/程序运行直接隐藏=1" "多点触摸/启用多点触摸=1" || fail "the configuration was not written"

"$bin" --source demo --pointer none --trace --multitouch-port "$port" --config "$work/Vornix配置文件.ini" \
  >"$work/trace" 2>"$work/stderr" &
vornix=$!

server_window() { xdotool search --onlyvisible --name "Vornix多点触摸_服务器" 2>/dev/null | head -1; }
for _ in $(seq 100); do [ -n "$(server_window)" ] && break; sleep 0.1; done
window=$(server_window)
[ -n "$window" ] || fail "the server window did not appear"
xdotool search --onlyvisible --name "Vornix驱平台" >/dev/null 2>&1 && fail "the panel is shown although hidden"

py "$here/close_window.py" "$window" || fail "the close request was not sent"
for _ in $(seq 50); do [ -z "$(server_window)" ] && break; sleep 0.1; done
[ -z "$(server_window)" ] || fail "the server window did not close"

fps_before=$(grep -c ' fps ' "$work/trace" || true)
sleep 2.5
kill -0 "$vornix" 2>/dev/null || fail "closing the server window ended the program"
fps_after=$(grep -c ' fps ' "$work/trace" || true)
[ "$fps_after" -ge $((fps_before + 2)) ] || fail "the main tick stopped ($fps_before then $fps_after meter lines)"
[ -z "$(server_window)" ] || fail "the server window came back on screen"

py - "$port" <<'PY' || fail "the server does not serve again after its window was closed"
import socket, sys
client = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=5)
data = b""
while data.count(b"\0") < 2:
    chunk = client.recv(4096)
    if not chunk:
        sys.exit("the connection ended")
    data += chunk
assert data.startswith(b"0|move|"), data
PY

kill -TERM "$vornix"
status=0
wait "$vornix" || status=$?
vornix=""
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"
echo "ok: the server window closed, the program went on, the server listens again unseen, clean exit"
