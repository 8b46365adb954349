#!/usr/bin/env bash
# A zone's key reaches a real X client: the zones clip is played in mode 5 with the XTest
# backend, zone 1 pressing "a" and zone 2 "F5"; the recorder window notes the keys it receives.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
source "$here/click_recorder.sh"
need_tools xvfb-run
/usr/bin/python3 -c 'import tkinter' 2>/dev/null || { echo "skip: python3-tk is not installed"; exit 0; }
need_program
under_xvfb 120 "-screen 0 1024x768x24"
show_on_failure="clicks trace stderr"

timeout 120 /usr/bin/python3 -B "$source_dir/scripts/make_clips.py" "$work" --no-video zones >/dev/null ||
  fail "the clips were not made"
py "$here/edit_config.py" "$demo_config" "$work/zones.ini" "系统/投影方式=5" "多区域互动/区域数=2" \
  "多区域互动/区域1=20,20,80,80,key:a" "多区域互动/区域2=200,120,80,80,key:F5" ||
  fail "the configuration was not written"

start_click_recorder
status=0
timeout 60 "$bin" --headless --pointer x11 --source "$work/zones/frames/%04d.png" --step --exit-at-end --trace \
  --config "$work/zones.ini" >"$work/trace" 2>"$work/stderr" || status=$?
[ -s "$work/stderr" ] && cat "$work/stderr"
[ "$status" -eq 0 ] || fail "vornix ended with status $status"

keys=$(awk '$2 == "key" { printf "%s ", $3 }' "$work/trace")
[ "$keys" = "a F5 " ] || fail "keys in the trace '$keys', want 'a F5 '"
wait_for_clicks 2
[ "$(cat "$work/clicks")" = $'key a\nkey F5' ] || fail "the recorder received '$(cat "$work/clicks")'"
echo "OK: the zones' keys a and F5 reached the X client"
