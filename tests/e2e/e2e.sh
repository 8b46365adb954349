# Sourced by the shell end-to-end tests right after `set -euo pipefail`: where the program and
# its shipped configuration are, a scratch folder $work, the program started in the background
# and ended with SIGTERM, waiting with a deadline, and on every exit the end of whatever the test
# started in the background and the removal of $work.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bin=${VORNIX_BIN:-}
source_dir=${VORNIX_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
build=${VORNIX_BUILD_DIR:-$source_dir/build}
demo_config="$source_dir/share/demo/Vornix配置文件.ini"
vornix=""                  # the process id of the program that start_vornix started
show_on_failure="stderr"   # the files of $work whose end fail shows

work=$(mktemp -d)
cleanup() {
  local job
  for job in $(jobs -p); do kill "$job" 2>/dev/null || true; done
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A Python helper in the foreground (a background process is started as the command itself, so
# that the end of the test reaches it).
py() { /usr/bin/python3 -B "$@"; }

fail() {
  echo "FAIL: $*"
  local name
  for name in $show_on_failure; do
    [ -s "$work/$name" ] && { echo "--- $name"; tail -n 40 "$work/$name"; }
  done
  exit 1
}

# need_tools TOOL...: the test is skipped where one of them is not installed.
need_tools() {
  local tool
  for tool; do command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 0; }; done
}

need_program() { [ -x "$bin" ] || { echo "FAIL: VORNIX_BIN must name the program"; exit 1; }; }

# under_xvfb SECONDS SERVER-OPTIONS: runs the test again in a fresh Xvfb of its own, at most
# SECONDS long; there it returns at once.
under_xvfb() {
  [ -n "${VORNIX_IN_XVFB:-}" ] && return 0
  need_tools xvfb-run
  cleanup
  trap - EXIT
  exec timeout "$1" xvfb-run -a -s "$2" env VORNIX_IN_XVFB=1 bash "$0"
}

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds; status 1
# when SECONDS pass first.
wait_until() {
  local deadline=$((${EPOCHREALTIME/./} + $1 * 1000000))
  shift
  until "$@"; do
    ((${EPOCHREALTIME/./} < deadline)) || return 1
    sleep 0.1
  done
}

# start_vornix ARGUMENTS...: the program in the background (for two minutes at the most), its
# trace in $work/trace, its stderr in $work/stderr. Settings of its environment go before the
# call: NAME=VALUE start_vornix ...
start_vornix() {
  : >"$work/trace"  # there for the first look at it, before the program has started
  timeout 120 "$bin" "$@" >"$work/trace" 2>"$work/stderr" &
  vornix=$!
}

running() { kill -0 "$vornix" 2>/dev/null; }
ended() { ! running; }

# stop_vornix: SIGTERM, and the program must end with status 0.
stop_vornix() {
  local status=0
  kill -TERM "$vornix" 2>/dev/null || true
  wait "$vornix" || status=$?
  vornix=""
  [ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"
}

# goes_on WHAT: after WHAT the program still runs and its main tick goes on: two more meter
# lines within 5 s.
goes_on() {
  local before
  before=$(in_trace ' fps ')
  wait_until 5 ticked_since "$before" || true
  running || fail "$1 ended the program"
  local after
  after=$(in_trace ' fps ')
  [ "$after" -ge $((before + 2)) ] || fail "the main tick stopped after $1 ($before then $after meter lines)"
}
ticked_since() { ended || [ "$(in_trace ' fps ')" -ge $(($1 + 2)) ]; }

# in_trace PATTERN: how many lines of the trace hold PATTERN.
in_trace() { grep -c -- "$1" "$work/trace" || true; }

# visible_window TITLE: the id of a window with that title on the screen; status 1 when none is.
visible_window() {
  local id
  id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
  [ -n "$id" ] && echo "$id"
}
