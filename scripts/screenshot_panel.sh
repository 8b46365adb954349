#!/usr/bin/env bash
# Saves a picture of the control panel of the running program, tracking the demo scene under
# Xvfb, to docs/panel.png (or the file given as first argument).
# Usage: scripts/screenshot_panel.sh [OUTPUT.png] [BUILD_DIR]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
output="$(realpath -m "${1:-$root/docs/panel.png}")"
build="$(realpath -m "${2:-$root/build}")"

if [ -z "${VORNIX_IN_XVFB:-}" ]; then
  cmake --build "$build" --target vornix
  mkdir -p "$(dirname "$output")"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env VORNIX_IN_XVFB=1 bash "$0" "$output" "$build"
fi

work=$(mktemp -d)
trap 'kill "$vornix" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$root/share/demo/Vornix配置文件.ini" "$work/"
"$build/src/app/vornix" --source demo --pointer none --config "$work/Vornix配置文件.ini" &
vornix=$!
sleep 6  # long enough for the meter to read 20 and the demo hand to be on the surface
window=$(xdotool search --onlyvisible --name "Vornix驱平台" | head -1)
[ -n "$window" ] || { echo "screenshot_panel: the panel did not appear" >&2; exit 1; }
import -window "$window" "$output"
echo "saved $output"
