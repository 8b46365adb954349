#!/usr/bin/env bash
# Saves the pictures of the installer's guide in the README: parts of the control panel of the
# running program, tracking the demo scene under Xvfb, to docs/guide/*.png (or into the folder
# given as first argument).
# Usage: scripts/screenshot_guide.sh [OUTPUT_FOLDER] [BUILD_DIR]
set -euo pipefail

screenshot_name=guide
source "$(dirname "$0")/screenshot_common.sh"
start_demo_panel
import -window "$window" "$work/panel.png"
mkdir -p "$output"
# Regions of the 1016 x 734 panel: name, width x height + left + top.
while read -r name region; do
  convert "$work/panel.png" -crop "$region" +repage "$output/$name.png"
  echo "saved $output/$name.png"
done <<'REGIONS'
mode 310x146+0+520
reference 360x100+652+262
corners 360x262+652+0
tuning 1016x74+0+660
REGIONS
