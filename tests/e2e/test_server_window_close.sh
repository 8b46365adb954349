#!/usr/bin/env bash
# Closing the multi-touch server window while the panel is hidden: the program goes on (the main
# tick keeps counting), the sender loads the server again without showing it, so a touch
# application can connect and receives move messages, and SIGTERM still ends the program cleanly.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
need_tools xvfb-run xdotool
need_program
under_xvfb 120 "-screen 0 1280x1024x24"

port=$(py -c 'import socket; s = socket.socket(); s.bind(("", 0)); print(s.getsockname()[1])')
py "$here/edit_config.py" "$demo_config" "$work/Vornix配置文件.ini" \
  "系统/程序运行直接隐藏=1" "多点触摸/启用多点触摸=1" || fail "the configuration was not written"
start_vornix --source demo --pointer none --trace --multitouch-port "$port" --config "$work/Vornix配置文件.ini"

server_shown() { visible_window "Vornix多点触摸_服务器" >/dev/null; }
server_gone() { ! server_shown; }
wait_until 10 server_shown || fail "the server window did not appear"
window=$(visible_window "Vornix多点触摸_服务器")
visible_window "Vornix驱平台" >/dev/null && fail "the panel is shown although hidden"

py "$here/close_window.py" "$window" || fail "the close request was not sent"
wait_until 5 server_gone || fail "the server window did not close"
goes_on "closing the server window"
server_gone || fail "the server window came back on screen"

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

stop_vornix
echo "ok: the server window closed, the program went on, the server listens again unseen, clean exit"
