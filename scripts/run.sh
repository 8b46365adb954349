#!/usr/bin/env bash
# Starts the driver on the built-in demo camera with a configuration made for it, without
# taking over the mouse. On a desktop the panel opens; without one the program runs headless
# and prints its trace.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/$build/src/app/vornix"
workdir="$root/$build/demo-run"
mkdir -p "$workdir"
config="$workdir/Vornix配置文件.ini"
[ -f "$config" ] || cp "$root/share/demo/Vornix配置文件.ini" "$config"

args=(--source demo --config "$config" --pointer none)
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin" "${args[@]}"
else
  echo "No display: running headless with the trace (Ctrl+C ends it)." >&2
  exec "$bin" --headless --trace "${args[@]}"
fi
