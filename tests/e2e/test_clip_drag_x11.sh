#!/usr/bin/env bash
# Drag on a real X server: the drag clip (a square that appears, moves in every frame and
# disappears) is played frame by frame with drag click and mouse move on; a recorder window over
# the whole screen notes where the left button goes down and comes up. The button goes down
# once, where the first touch maps, the pointer follows the touches, and the button comes up
# once, at the first frame without a touch, where the last touch mapped.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
source "$here/click_recorder.sh"
need_tools xvfb-run xdotool ffmpeg
/usr/bin/python3 -c 'import tkinter' 2>/dev/null || { echo "skip: python3-tk is not installed"; exit 0; }
need_program
# The screen is the configured mouse range of the shipped configuration.
under_xvfb 120 "-screen 0 1024x768x24"
show_on_failure="clicks trace stderr"

timeout 120 /usr/bin/python3 -B "$source_dir/scripts/make_clips.py" "$work" drag >/dev/null || fail "the clips were not made"
py "$here/edit_config.py" "$demo_config" "$work/drag.ini" \
  "系统/控制鼠标拖动点击=1" "系统/鼠标移动=1" "系统/鼠标点击=0" || fail "the configuration was not written"
# The square appears at (224, 178) in frame 5 and moves up and to the left in every frame to
# (40, 40) in frame 28: each of those frames touches at its top-left (even, so stride 2 samples
# it), frame 29 (gone) finds (40, 40) again and frame 30 none. So one drag: down where (224, 178)
# maps x 3.2 (716.8, 569.6), up at frame 30 where (40, 40) maps.
expected="press 717 570
release 128 128"

start_click_recorder
# Start away from every point the clip maps to.
timeout 10 xdotool mousemove 5 5

status=0
timeout 60 "$bin" --headless --pointer x11 --source "$work/drag.mkv" --step --exit-at-end --trace \
  --config "$work/drag.ini" >"$work/trace" 2>"$work/stderr" || status=$?
[ -s "$work/stderr" ] && cat "$work/stderr"
[ "$status" -eq 0 ] || fail "vornix ended with status $status"

# The trace: one "mouse down", then one "mouse up".
buttons=$(awk '$2 == "mouse" { printf "%s ", $3 }' "$work/trace")
[ "$buttons" = "down up " ] || fail "button events in the trace '$buttons', want 'down up '"
# The pointer follows every mapped point.
maps=$(awk '$2 == "map" { print $3, $4 }' "$work/trace")
cursors=$(awk '$2 == "cursor" { print $3, $4 }' "$work/trace")
[ -n "$maps" ] && [ "$maps" = "$cursors" ] || fail "the pointer did not follow the mapped points"
# Frames 5 to 28 hand over 24 points, played one frame a pass.
[ "$(wc -l <<<"$cursors")" -eq 24 ] || fail "$(wc -l <<<"$cursors") pointer moves in the trace, want 24"

wait_for_clicks 2
[ "$(cat "$work/clicks")" = "$expected" ] || { echo "expected:"; echo "$expected"; fail "the drags landed elsewhere"; }

# The pointer stays where the last touch put it.
last=$(tail -n 1 <<<"$cursors")
location=$(timeout 10 xdotool getmouselocation)
case "$location" in
  "x:${last% *} y:${last#* } "*) ;;
  *) fail "pointer at '$location', expected the last mapped point $last" ;;
esac
echo "OK: one drag from press to release at the mapped points; pointer at $last"
