# Sourced by the X11 end-to-end tests: the recorder window of click_recorder.py in the
# background, and the wait for the button events it notes in $work/clicks. The test defines
# $work and fail() before it calls these.

recorder=""
recorder_script="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/click_recorder.py"

start_click_recorder() {
  /usr/bin/python3 -B "$recorder_script" "$work/clicks" --ready "$work/ready" >"$work/recorder.log" 2>&1 &
  recorder=$!
  for _ in $(seq 100); do
    [ -s "$work/ready" ] && return 0
    kill -0 "$recorder" 2>/dev/null || { cat "$work/recorder.log"; fail "the click recorder died"; }
    sleep 0.1
  done
  fail "the click recorder never became ready"
}

stop_click_recorder() {
  [ -n "$recorder" ] || return 0
  kill "$recorder" 2>/dev/null || true
  wait "$recorder" 2>/dev/null || true
  recorder=""
}

# Waits up to 5 s for at least $1 recorded events.
wait_for_clicks() {
  for _ in $(seq 50); do
    [ -f "$work/clicks" ] && [ "$(wc -l <"$work/clicks")" -ge "$1" ] && return 0
    sleep 0.1
  done
  [ -f "$work/clicks" ] || fail "no button event reached the recorder"
}
