# Sourced by the X11 end-to-end tests after e2e.sh: the recorder window of click_recorder.py in
# the background, and the wait for the button events it notes in $work/clicks.

recorder=""

start_click_recorder() {
  /usr/bin/python3 -B "$here/click_recorder.py" "$work/clicks" --ready "$work/ready" >"$work/recorder.log" 2>&1 &
  recorder=$!
  wait_until 10 recorder_settled || fail "the click recorder never became ready"
  [ -s "$work/ready" ] || { cat "$work/recorder.log"; fail "the click recorder died"; }
}
recorder_settled() { [ -s "$work/ready" ] || ! kill -0 "$recorder" 2>/dev/null; }

# wait_for_clicks N: waits up to 5 s for at least N recorded events.
wait_for_clicks() {
  wait_until 5 clicks_recorded "$1" || true
  [ -f "$work/clicks" ] || fail "no button event reached the recorder"
}
clicks_recorded() { [ -f "$work/clicks" ] && [ "$(wc -l <"$work/clicks")" -ge "$1" ]; }
