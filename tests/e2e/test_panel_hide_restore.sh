#!/usr/bin/env bash
# The installer's view of start-up under Xvfb: with "程序运行直接隐藏" stored as 1 the panel
# starts hidden while the main tick keeps running; the pointer at (0, 5) leaves it hidden, the
# pointer in the very corner brings it back; SIGTERM ends the program cleanly.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
need_tools xvfb-run xdotool
need_program
under_xvfb 120 "-screen 0 1280x1024x24"
show_on_failure="trace"

config="$work/Vornix配置文件.ini"
py "$here/edit_config.py" "$demo_config" "$config" "系统/程序运行直接隐藏=1"
visible() { visible_window "Vornix驱平台" >/dev/null; }

xdotool mousemove 600 500
start_vornix --source demo --pointer none --trace --config "$config"

wait_until 5 grep -q "fps 20" "$work/trace" || fail "the main tick does not run at 20 frames a second"
visible && fail "the panel is shown although the configuration hides it"

xdotool mousemove 0 5
sleep 1
visible && fail "the pointer at (0, 5) brought the panel back"

xdotool mousemove 0 0
wait_until 3 visible || fail "the pointer in the corner did not bring the panel back"

geometry=$(xdotool search --onlyvisible --name "Vornix驱平台" getwindowgeometry)
case "$geometry" in
  *"Geometry: 1016x734"*) ;;
  *) fail "the panel is not 1016 x 734: $geometry" ;;
esac

stop_vornix
echo "ok: hidden at start, kept hidden at (0, 5), restored at (0, 0), clean exit"
