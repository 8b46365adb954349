#!/usr/bin/env bash
# Saves a picture of the control panel of the running program, tracking the demo scene under
# Xvfb, to docs/panel.png (or the file given as first argument).
# Usage: scripts/screenshot_panel.sh [OUTPUT.png] [BUILD_DIR]
set -euo pipefail

screenshot_name=panel.png
source "$(dirname "$0")/screenshot_common.sh"
start_demo_panel
import -window "$window" "$output"
echo "saved $output"
