#!/usr/bin/env bash
# Losing the X server never ends the program: the headless driver on the demo scene, injecting
# through XTest into its own Xvfb, sees that Xvfb killed, traces the loss once, keeps ticking,
# and ends with status 0 on SIGTERM.
set -euo pipefail

command -v Xvfb >/dev/null || { echo "skip: Xvfb is not installed"; exit 0; }
bin=${VORNIX_BIN:?VORNIX_BIN must name the program}
source_dir=${VORNIX_SOURCE_DIR:?VORNIX_SOURCE_DIR must name the source folder}

work=$(mktemp -d)
xvfb=""
vornix=""
cleanup() {
  [ -n "$vornix" ] && kill "$vornix" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- trace"; grep -v -E ' (touch|map|cursor|mouse) ' "$work/trace" | tail -20 || true
         echo "--- stderr"; cat "$work/stderr" || true; exit 1; }

# Xvfb picks a free display and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=":$(head -1 "$work/display")"

cp "$source_dir/share/demo/Vornix配置文件.ini" "$work/"
env -u WAYLAND_DISPLAY DISPLAY="$display" XDG_SESSION_TYPE=x11 \
  timeout 60 "$bin" --headless --source demo --pointer auto --trace --config "$work/Vornix配置文件.ini" \
  >"$work/trace" 2>"$work/stderr" &
vornix=$!

for _ in $(seq 100); do grep -q ' cursor ' "$work/trace" && break; sleep 0.1; done
grep -q ' fps ' "$work/trace" || fail "the main tick does not run"
grep -q ' cursor ' "$work/trace" || fail "the demo scene moved no cursor"

kill "$xvfb"
wait "$xvfb" 2>/dev/null || true
xvfb=""

for _ in $(seq 30); do grep -q ' error lost the X display' "$work/trace" && break; sleep 0.1; done
grep -q " error lost the X display $display: pointer output and the pointer read-out stop" "$work/trace" ||
  fail "the loss of the display was not traced"
after_loss() { sed -n '/ error lost the X display/,$p' "$work/trace" | grep -c ' fps ' || true; }
for _ in $(seq 40); do [ "$(after_loss)" -ge 2 ] && break; sleep 0.1; done
[ "$(after_loss)" -ge 2 ] || fail "the main tick stopped with the display"
kill -0 "$vornix" 2>/dev/null || fail "the program ended with the display"

kill -TERM "$vornix"
status=0
wait "$vornix" || status=$?
vornix=""
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"
[ "$(grep -c 'lost the X display' "$work/trace")" -eq 1 ] || fail "the loss was traced more than once"
[ "$(cat "$work/stderr")" = "vornix: lost the X display $display: pointer output and the pointer read-out stop" ] ||
  fail "unexpected stderr"
echo "ok: display lost at $(grep ' error lost' "$work/trace" | cut -d' ' -f1) ms, $(after_loss) fps lines after it, status 0"
