#!/usr/bin/env bash
# Started with its panel where no display can be opened (a console, a service without the
# session's environment), the program says so in one line that names --headless, and ends with
# status 2.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
need_program

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=tty \
  timeout 60 "$bin" --source demo --pointer none --config "$work/site.ini" 2>"$work/stderr" || status=$?
[ "$status" -eq 2 ] || fail "ended with status $status, expected 2"
[ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "said more than one line"
grep -q 'no display was found.*--headless' "$work/stderr" || fail "the line does not say that no display was found and name --headless"
[ ! -e "$work/site.ini" ] || fail "wrote the configuration file before finding a display"
echo "ok: $(cat "$work/stderr")"
