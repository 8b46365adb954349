#!/usr/bin/env bash
# Start and stop on a desktop, with no camera, as an unattended installation meets them under
# Xvfb. The start-up's "无设备可连接!" box is up: SIGTERM ends the program at once. With
# "程序运行直接隐藏" stored as 1 the panel is never mapped until the pointer brings it back,
# and closing the box, the last visible window then, leaves the program running.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
need_tools xvfb-run xdotool xev
need_program
under_xvfb 120 "-screen 0 1280x1024x24"
show_on_failure="trace"

config="$work/Vornix配置文件.ini"
py "$here/edit_config.py" "$demo_config" "$config" "系统/程序运行直接隐藏=1"

start() {
  xdotool mousemove 600 500
  start_vornix --source /dev/video77 --pointer none --trace --config "$config"
}
# The message box (titled after the program) once it is on the screen.
box_window() { wait_until 10 box_settled; visible_window '^vornix$'; }
box_settled() { visible_window '^vornix$' >/dev/null || ended; }
box_gone() { ! visible_window '^vornix$' >/dev/null; }
panel_visible() { visible_window "Vornix驱平台" >/dev/null; }

# 1. SIGTERM while the box is up ends the program.
start
box_window >/dev/null || fail "the box \"无设备可连接!\" did not come up"
kill -TERM "$vornix"
wait_until 3 ended || fail "still running 3 s after SIGTERM with the box up"
stop_vornix
panel_visible && fail "the panel is on the screen after the end"
echo "ok: SIGTERM ends the program while the box is up"

# 2. Hidden start: the panel is never mapped; closing the box keeps the program running.
xev -root -event substructure >"$work/xev" 2>/dev/null &
sleep 0.5
start
box=$(box_window) || fail "the box \"无设备可连接!\" did not come up"
panel_visible && fail "the panel is shown although the configuration hides it"
xdotool windowfocus --sync "$box" key Return
wait_until 3 box_gone || fail "the box did not close on Return"
goes_on "closing the box, the last visible window,"
panel_visible && fail "the panel is shown although the configuration hides it"

xdotool mousemove 0 0
wait_until 3 panel_visible || fail "the pointer in the corner did not bring the panel back"
panel=$(visible_window "Vornix驱平台")
sleep 0.3
maps=$(grep -c "window $(printf '0x%x' "$panel"), override" "$work/xev" || true)
[ "$maps" -eq 1 ] || fail "the panel was mapped $maps times; only the corner should map it"

stop_vornix
echo "ok: hidden start never shows the panel, closing the box keeps the program, the corner maps it once"
