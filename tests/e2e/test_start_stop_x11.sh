#!/usr/bin/env bash
# Start and stop on a desktop, with no camera, as an unattended installation meets them under
# Xvfb. The start-up's "无设备可连接!" box is up: SIGTERM ends the program at once. With
# "程序运行直接隐藏" stored as 1 the panel is never mapped until the pointer brings it back,
# and closing the box, the last visible window then, leaves the program running.
set -euo pipefail

for tool in xvfb-run xdotool xev; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 0; }
done
bin=${VORNIX_BIN:?VORNIX_BIN must name the program}
source_dir=${VORNIX_SOURCE_DIR:?VORNIX_SOURCE_DIR must name the source folder}

if [ -z "${VORNIX_IN_XVFB:-}" ]; then
  exec timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" env VORNIX_IN_XVFB=1 bash "$0" "$@"
fi

work=$(mktemp -d)
vornix=""
watcher=""
cleanup() {
  [ -n "$vornix" ] && kill "$vornix" 2>/dev/null || true
  [ -n "$watcher" ] && kill "$watcher" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- trace"; tail -20 "$work/trace" 2>/dev/null || true; exit 1; }

config="$work/Vornix配置文件.ini"
/usr/bin/python3 -B "$(dirname "$0")/edit_config.py" "$source_dir/share/demo/Vornix配置文件.ini" "$config" \
  "系统/程序运行直接隐藏=1"

start() {
  xdotool mousemove 600 500
  "$bin" --source /dev/video77 --pointer none --trace --config "$config" >"$work/trace" 2>"$work/stderr" &
  vornix=$!
}
# The message box (titled after the program) once it is on the screen.
box_window() {
  for _ in $(seq 100); do
    local found
    found=$(xdotool search --onlyvisible --name '^vornix$' 2>/dev/null | head -1 || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    kill -0 "$vornix" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
panel_visible() { xdotool search --onlyvisible --name "Vornix驱平台" >/dev/null 2>&1; }
fps_lines() { grep -c " fps " "$work/trace" || true; }

# 1. SIGTERM while the box is up ends the program.
start
box_window >/dev/null || fail "the box \"无设备可连接!\" did not come up"
kill -TERM "$vornix"
status=0
for _ in $(seq 30); do kill -0 "$vornix" 2>/dev/null || break; sleep 0.1; done
kill -0 "$vornix" 2>/dev/null && fail "still running 3 s after SIGTERM with the box up"
wait "$vornix" || status=$?
vornix=""
[ "$status" -eq 0 ] || fail "SIGTERM with the box up ended the program with status $status"
panel_visible && fail "the panel is on the screen after the end"
echo "ok: SIGTERM ends the program while the box is up"

# 2. Hidden start: the panel is never mapped; closing the box keeps the program running.
xev -root -event substructure >"$work/xev" 2>/dev/null &
watcher=$!
sleep 0.5
start
box=$(box_window) || fail "the box \"无设备可连接!\" did not come up"
panel_visible && fail "the panel is shown although the configuration hides it"
xdotool windowfocus --sync "$box" key Return
for _ in $(seq 30); do xdotool search --onlyvisible --name '^vornix$' >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name '^vornix$' >/dev/null 2>&1 && fail "the box did not close on Return"
before=$(fps_lines)
sleep 2.2
kill -0 "$vornix" 2>/dev/null || fail "closing the box, the last visible window, ended the program"
[ "$(fps_lines)" -ge $((before + 2)) ] || fail "the main tick stopped after the box closed"
panel_visible && fail "the panel is shown although the configuration hides it"

xdotool mousemove 0 0
for _ in $(seq 30); do panel_visible && break; sleep 0.1; done
panel_visible || fail "the pointer in the corner did not bring the panel back"
panel=$(xdotool search --onlyvisible --name "Vornix驱平台" | head -1)
sleep 0.3
maps=$(grep -c "window $(printf '0x%x' "$panel"), override" "$work/xev" || true)
[ "$maps" -eq 1 ] || fail "the panel was mapped $maps times; only the corner should map it"

kill -TERM "$vornix"
status=0
wait "$vornix" || status=$?
vornix=""
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"
echo "ok: hidden start never shows the panel, closing the box keeps the program, the corner maps it once"
