#!/usr/bin/env bash
# On a 1024 x 768 screen (a common projector mode) the 1016 x 734 panel, placed at (67, 67) on a
# larger one, moves so that all of it, the bottom row and 结束 included, lies on the screen.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
need_tools xvfb-run xdotool
need_program
under_xvfb 120 "-screen 0 1024x768x24"
show_on_failure="stderr"

config="$work/Vornix配置文件.ini"
py "$here/edit_config.py" "$demo_config" "$config" "系统/程序运行直接隐藏=0"
start_vornix --source demo --pointer none --config "$config"
panel() { visible_window "Vornix驱平台"; }
wait_until 30 panel >/dev/null || fail "the panel did not come up"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$(panel)")"
echo "panel at ($X, $Y), $WIDTH x $HEIGHT"
[ "$WIDTH" -eq 1016 ] && [ "$HEIGHT" -eq 734 ] || fail "the panel was resized to $WIDTH x $HEIGHT"
((X >= 0 && Y >= 0 && X + WIDTH <= 1024 && Y + HEIGHT <= 768)) || fail "the panel runs off the 1024 x 768 screen"
stop_vornix
echo "ok: the panel lies on the screen"
