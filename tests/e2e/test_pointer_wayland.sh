#!/usr/bin/env bash
# On a Wayland session XWayland sets DISPLAY too, but XTest would move only XWayland's own
# pointer. Under Xvfb standing in for XWayland, with WAYLAND_DISPLAY set, the driver must leave
# the X pointer alone and, without /dev/uinput access, say once how to grant it.
set -euo pipefail

for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 0; }
done
bin=${VORNIX_BIN:?VORNIX_BIN must name the program}
source_dir=${VORNIX_SOURCE_DIR:?VORNIX_SOURCE_DIR must name the source folder}

if [ -z "${VORNIX_IN_XVFB:-}" ]; then
  # -noreset: the pointer set by xdotool stays when xdotool leaves.
  exec timeout 120 xvfb-run -a -s "-screen 0 1024x768x24 -noreset" env VORNIX_IN_XVFB=1 bash "$0" "$@"
fi

work=$(mktemp -d)
vornix=""
cleanup() {
  [ -n "$vornix" ] && kill "$vornix" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- stderr"; cat "$work/stderr" || true; exit 1; }

cp "$source_dir/share/demo/Vornix配置文件.ini" "$work/"
xdotool mousemove 600 500
WAYLAND_DISPLAY=wayland-vornix-test "$bin" --headless --source demo --trace \
  --config "$work/Vornix配置文件.ini" >"$work/trace" 2>"$work/stderr" &
vornix=$!

for _ in $(seq 100); do [ "$(grep -c ' cursor ' "$work/trace")" -ge 5 ] && break; sleep 0.1; done
[ "$(grep -c ' cursor ' "$work/trace")" -ge 5 ] || fail "the demo scene moved no cursor"
location=$(xdotool getmouselocation)
case "$location" in
  "x:600 y:500 "*) ;;
  *) fail "XTest moved XWayland's pointer to '$location'" ;;
esac

kill -TERM "$vornix"
wait "$vornix" || fail "SIGTERM ended the program with a failure"
vornix=""

if [ -w /dev/uinput ]; then echo "ok: X pointer untouched (uinput took the output)"; exit 0; fi
[ "$(grep -c '^vornix: ' "$work/stderr")" -eq 1 ] || fail "the notice is not said exactly once"
grep -q '^vornix: no pointer output: this is a Wayland session, where XTest would move only XWayland' \
  "$work/stderr" || fail "the notice does not name the Wayland session"
grep -q '^  sudo modprobe uinput$' "$work/stderr" || fail "the notice lacks modprobe uinput"
grep -q "^  echo 'KERNEL==\"uinput\", .*GROUP=\"input\"" "$work/stderr" || fail "the notice lacks the udev rule"
echo "ok: X pointer untouched, one notice with the remedy"
