#!/usr/bin/env bash
# larkspan.exe refuses a command line with only two "*": the one window is the message titled
# with the application's title, nothing is fetched, and Return ends the program normally.
# shellcheck source=tests/e2e/wine/lib.sh
source "$(dirname "$0")/lib.sh"

start_demo
start_updater "Vantrel*3.1*0101000"

message=$(wait_window "Quillmere")
sleep 2 # the update window would open within 200 ms of the start
shown "Update Manager" && fail "the update window opened"
expect_refusal "$message" "$SHOTS/windows-refusal.png"

# The prefix serves the other tests too: the setting goes again, whatever happens here.
forget_setting() { "$WINE_RUN" --prefix "$PREFIX" reg delete "$LANGUAGE_KEY" /f >/dev/null 2>&1; }
on_exit=(forget_setting)
expect_language_message_first "$WINE_RUN" --prefix "$PREFIX" reg
