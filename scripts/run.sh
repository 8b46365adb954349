#!/usr/bin/env bash
# Starts the driver on the built-in demo camera with a configuration made for it, without
# taking over the mouse. On a desktop the panel opens; without one the program runs headless
# and prints its trace. A second argument (make run MODE=6) stores that projection mode in the
# demo configuration first: the panel offers only modes 0 to 2 to the operator.
set -euo pipefail
build=${1:-build}
mode=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/$build/src/app/vornix"
workdir="$root/$build/demo-run"
mkdir -p "$workdir"
config="$workdir/Vornix配置文件.ini"
[ -f "$config" ] || cp "$root/share/demo/Vornix配置文件.ini" "$config"
if [ -n "$mode" ]; then
  case "$mode" in [0-7]) ;; *) echo "run: MODE must be a projection mode from 0 to 7" >&2; exit 2;; esac
  /usr/bin/python3 - "$config" "$mode" <<'EOF'
import re, sys
path, mode = sys.argv[1], sys.argv[2]
text = open(path, "rb").read().decode("gbk")
text = re.sub(r"(?m)^(投影方式\s*=)[^\r\n]*", lambda m: m.group(1) + mode, text)
open(path, "wb").write(text.encode("gbk"))
EOF
fi

args=(--source demo --config "$config" --pointer none)
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin" "${args[@]}"
else
  echo "No display: running headless with the trace (Ctrl+C ends it)." >&2
  exec "$bin" --headless --trace "${args[@]}"
fi
