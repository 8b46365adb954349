#!/usr/bin/env bash
# Losing the X server never ends the program: the headless driver on the demo scene, injecting
# through XTest into its own Xvfb, sees that Xvfb killed, traces the loss once, keeps ticking,
# and ends with status 0 on SIGTERM.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
need_tools Xvfb
need_program
show_on_failure="trace stderr"

# Xvfb picks a free display and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
wait_until 10 test -s "$work/display" || fail "Xvfb did not start"
display=":$(head -1 "$work/display")"

cp "$demo_config" "$work/"
unset WAYLAND_DISPLAY
DISPLAY="$display" XDG_SESSION_TYPE=x11 \
  start_vornix --headless --source demo --pointer auto --trace --config "$work/Vornix配置文件.ini"

wait_until 10 grep -q ' cursor ' "$work/trace" || true
grep -q ' fps ' "$work/trace" || fail "the main tick does not run"
grep -q ' cursor ' "$work/trace" || fail "the demo scene moved no cursor"

kill "$xvfb"
wait "$xvfb" 2>/dev/null || true

wait_until 3 grep -q ' error lost the X display' "$work/trace" || true
grep -q " error lost the X display $display: pointer output and the pointer read-out stop" "$work/trace" ||
  fail "the loss of the display was not traced"
after_loss() { sed -n '/ error lost the X display/,$p' "$work/trace" | grep -c ' fps ' || true; }
ticked_after_loss() { [ "$(after_loss)" -ge 2 ]; }
wait_until 4 ticked_after_loss || fail "the main tick stopped with the display"
running || fail "the program ended with the display"

stop_vornix
[ "$(grep -c 'lost the X display' "$work/trace")" -eq 1 ] || fail "the loss was traced more than once"
[ "$(cat "$work/stderr")" = "vornix: lost the X display $display: pointer output and the pointer read-out stop" ] ||
  fail "unexpected stderr"
echo "ok: display lost at $(grep ' error lost' "$work/trace" | cut -d' ' -f1) ms, $(after_loss) fps lines after it, status 0"
