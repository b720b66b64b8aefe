#!/usr/bin/env bash
# A command line with only two "*" is refused: the one window is the message titled with the
# application's title, no update window ever shows, and Return ends the program normally.
# shellcheck source=tests/e2e/lib.sh disable=SC2119
source "$(dirname "$0")/lib.sh"

start_display
start_demo
start_updater "Vantrel*3.1*0101000"

message=$(wait_window "Quillmere" 15) || fail "no refusal message"
expect_eq "$(xdotool getwindowname "$message")" "Quillmere - Larkspan" "message title"
# The update window would open within 200 ms of start-up; give it ten times that.
sleep 2
names=$(for id in $(visible_windows .); do xdotool getwindowname "$id"; done)
expect_eq "$names" "Quillmere - Larkspan" "visible windows"
[ -z "$(xdotool search --name "Update Manager" 2>/dev/null || true)" ] ||
  fail "an update window exists"
window_shot "$message" "$SHOTS/refusal.png"
area_flat "$SHOTS/refusal.png" 0 0 100 40 && fail "the message shows nothing"
updater_running || fail "the program did not wait for the message"

keys_to "$message" Return
wait_exit 10 || fail "Return did not end the program"
expect_eq "$EXIT_STATUS" 0 "exit status"
[ ! -s "$WORK/demo.log" ] || ! grep -q vantrel "$WORK/demo.log" ||
  fail "a refused command line still fetched: $(cat "$WORK/demo.log")"
note "passed"
