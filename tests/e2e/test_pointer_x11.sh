#!/usr/bin/env bash
# XTest injection against a real X client: under Xvfb, the platform tests move the pointer to
# known points and click there; a recorder window over the whole screen notes where the
# presses and releases arrive.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
source "$here/click_recorder.sh"
need_tools xvfb-run
tests_bin=$build/tests/test_platform
[ -x "$tests_bin" ] || { echo "FAIL: $tests_bin is not built"; exit 1; }
under_xvfb 180 "-screen 0 1024x768x24"
show_on_failure="clicks"

start_click_recorder

# The points are those of XTestClicks.LandAtTheInjectedPoints (tests/platform).
expected="press 100 200
release 100 200
press 512 384
release 512 384
press 1023 767
release 1023 767
press 300 300
release 600 400"

VORNIX_XTEST_CLICKS=1 timeout 60 "$tests_bin" --gtest_filter='XTest*:MakePointer.*UnderX11' \
  >"$work/gtest.log" 2>&1 || { cat "$work/gtest.log"; fail "the XTest tests failed"; }
cat "$work/gtest.log"
if grep -q '^\[  SKIPPED \]' "$work/gtest.log"; then fail "XTest tests were skipped under Xvfb"; fi

location=$(timeout 10 xdotool getmouselocation)
case "$location" in
  "x:600 y:400 "*) ;;
  *) fail "pointer at '$location', expected x:600 y:400" ;;
esac

want=$(printf '%s\n' "$expected" | wc -l)
wait_for_clicks "$want"
[ "$(cat "$work/clicks")" = "$expected" ] || {
  echo "expected:"; echo "$expected"; fail "the clicks landed elsewhere"; }
echo "OK: $want button events landed at the injected points"
