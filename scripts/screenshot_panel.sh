#!/usr/bin/env bash
# Saves a picture of the control panel of the running program, tracking the demo scene under
# Xvfb, to docs/panel.png (or the file given as first argument).
# Usage: scripts/screenshot_panel.sh [OUTPUT.png] [BUILD_DIR]
set -euo pipefail

screenshot_name=panel.png
source "$(dirname "$0")/screenshot_common.sh"
cp "$root/share/demo/Vornix配置文件.ini" "$work/"
"$build/src/app/vornix" --source demo --pointer none --config "$work/Vornix配置文件.ini" &
vornix=$!
sleep 6  # long enough for the meter to read 20 and the demo hand to be on the surface
window=$(xdotool search --onlyvisible --name "Vornix驱平台" | head -1)
[ -n "$window" ] || { echo "screenshot_panel: the panel did not appear" >&2; exit 1; }
import -window "$window" "$output"
echo "saved $output"
