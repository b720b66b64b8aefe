#!/usr/bin/env bash
# A command line with only two "*" is refused: the one window is the message titled with the
# application's title, nothing is fetched, and Return ends the program normally.
# shellcheck source=tests/e2e/lib.sh disable=SC2119
source "$(dirname "$0")/lib.sh"

start_display
start_demo
start_updater "Vantrel*3.1*0101000"

message=$(wait_window "Quillmere")
sleep 2 # the update window would open within 200 ms of the start
names=$(timeout 5 xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null || true)
[ "$names" = "Quillmere - Larkspan" ] || fail "the windows shown are: $names"
expect_refusal "$message" "$SHOTS/refusal.png"

expect_language_message_first "$BIN/larkspan-reg"
