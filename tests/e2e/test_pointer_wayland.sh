#!/usr/bin/env bash
# On a Wayland session XWayland sets DISPLAY too, but XTest would move only XWayland's own
# pointer. Under Xvfb standing in for XWayland, with WAYLAND_DISPLAY set, the driver must leave
# the X pointer alone and, without /dev/uinput access, say once how to grant it.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
need_tools xvfb-run xdotool
need_program
# -noreset: the pointer set by xdotool stays when xdotool leaves.
under_xvfb 120 "-screen 0 1024x768x24 -noreset"

cp "$demo_config" "$work/"
xdotool mousemove 600 500
WAYLAND_DISPLAY=wayland-vornix-test start_vornix --headless --source demo --trace --config "$work/Vornix配置文件.ini"

cursor_moved() { [ "$(in_trace ' cursor ')" -ge 5 ]; }
wait_until 10 cursor_moved || fail "the demo scene moved no cursor"
location=$(xdotool getmouselocation)
case "$location" in
  "x:600 y:500 "*) ;;
  *) fail "XTest moved XWayland's pointer to '$location'" ;;
esac
stop_vornix

if [ -w /dev/uinput ]; then echo "ok: X pointer untouched (uinput took the output)"; exit 0; fi
[ "$(grep -c '^vornix: ' "$work/stderr")" -eq 1 ] || fail "the notice is not said exactly once"
grep -q '^vornix: no pointer output: this is a Wayland session, where XTest would move only XWayland' \
  "$work/stderr" || fail "the notice does not name the Wayland session"
grep -q '^  sudo modprobe uinput$' "$work/stderr" || fail "the notice lacks modprobe uinput"
grep -q "^  echo 'KERNEL==\"uinput\", .*TAG+=\"uaccess\"" "$work/stderr" || fail "the notice lacks the udev rule"
echo "ok: X pointer untouched, one notice with the remedy"
