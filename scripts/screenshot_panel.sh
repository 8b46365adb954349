#!/usr/bin/env bash
# Saves a picture of the control panel, as the test program draws it under Xvfb, to
# docs/panel.png (or the file given as first argument).
# Usage: scripts/screenshot_panel.sh [OUTPUT.png] [BUILD_DIR]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
output="$(realpath -m "${1:-$root/docs/panel.png}")"
build="${2:-$root/build}"

cmake --build "$build" --target test_ui
mkdir -p "$(dirname "$output")"
VORNIX_SCREENSHOT="$output" xvfb-run -a "$build/tests/test_ui" \
  --gtest_filter='PanelScreenshot.*' --gtest_brief=1
echo "saved $output"
