#!/usr/bin/env bash
# The installer's view of start-up under Xvfb: with "程序运行直接隐藏" stored as 1 the panel
# starts hidden while the main tick keeps running; the pointer at (0, 5) leaves it hidden, the
# pointer in the very corner brings it back; SIGTERM ends the program cleanly.
set -euo pipefail

for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 0; }
done
bin=${VORNIX_BIN:?VORNIX_BIN must name the program}
source_dir=${VORNIX_SOURCE_DIR:?VORNIX_SOURCE_DIR must name the source folder}

if [ -z "${VORNIX_IN_XVFB:-}" ]; then
  exec timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" env VORNIX_IN_XVFB=1 bash "$0" "$@"
fi

work=$(mktemp -d)
vornix=""
cleanup() {
  [ -n "$vornix" ] && kill "$vornix" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- trace"; tail -20 "$work/trace" 2>/dev/null || true; exit 1; }

config="$work/Vornix配置文件.ini"
python3 - "$source_dir/share/demo/Vornix配置文件.ini" "$config" <<'PY'
import sys
text = open(sys.argv[1], encoding="gbk", newline="").read()
assert "程序运行直接隐藏=0" in text
open(sys.argv[2], "w", encoding="gbk", newline="").write(text.replace("程序运行直接隐藏=0", "程序运行直接隐藏=1"))
PY

visible() { xdotool search --onlyvisible --name "Vornix驱平台" >/dev/null 2>&1; }

xdotool mousemove 600 500
"$bin" --source demo --pointer none --trace --config "$config" >"$work/trace" 2>"$work/stderr" &
vornix=$!

for _ in $(seq 50); do grep -q "fps 20" "$work/trace" && break; sleep 0.1; done
grep -q "fps 20" "$work/trace" || fail "the main tick does not run at 20 frames a second"
visible && fail "the panel is shown although the configuration hides it"

xdotool mousemove 0 5
sleep 1
visible && fail "the pointer at (0, 5) brought the panel back"

xdotool mousemove 0 0
for _ in $(seq 30); do visible && break; sleep 0.1; done
visible || fail "the pointer in the corner did not bring the panel back"

geometry=$(xdotool search --onlyvisible --name "Vornix驱平台" getwindowgeometry)
case "$geometry" in
  *"Geometry: 1016x734"*) ;;
  *) fail "the panel is not 1016 x 734: $geometry" ;;
esac

kill -TERM "$vornix"
status=0
wait "$vornix" || status=$?
vornix=""
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"
echo "ok: hidden at start, kept hidden at (0, 5), restored at (0, 0), clean exit"
