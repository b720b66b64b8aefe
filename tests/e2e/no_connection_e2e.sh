#!/usr/bin/env bash
# Nothing answers on the deployment port, so both probes fail: the update window ends in the
# no-connection display (the error line and three lines of explanation in the news box), never
# shows its Download button, stays open, and its Cancel button ends the program normally.
# shellcheck source=tests/e2e/lib.sh disable=SC2119
source "$(dirname "$0")/lib.sh"

start_display
wait_port_free
start_updater "Vantrel*3.1*0101000*$INFO_URL"

update=$(wait_window "Update Manager" 15) || fail "no update window"
expect_eq "$(xdotool getwindowname "$update")" "Quillmere - Update Manager 3.15" "update caption"

news_shown() {
  window_shot "$update" "$WORK/update.png"
  ! area_flat "$WORK/update.png" "${NEWS_BOX[@]}"
}
wait_for 30 "text in the news box" news_shown
settled_shot "$update" "$SHOTS/update-no-connection.png"
lines=$(text_lines "$SHOTS/update-no-connection.png" "${NEWS_BOX[@]}")
expect_eq "$lines" 4 "lines in the news box (the error line and three of explanation)"
area_flat "$SHOTS/update-no-connection.png" "${DOWNLOAD_BUTTON[@]}" ||
  fail "a Download button without a connection"

# The window stays, past a few turns of its two-second topmost timer, and stays as it is.
sleep 5
updater_running || fail "the program ended by itself"
window_shot "$update" "$WORK/later.png"
same_pixels "$WORK/later.png" "$SHOTS/update-no-connection.png" || fail "the display changed later"

click_at "$update" "${UPDATE_CANCEL_AT[@]}"
wait_exit 10 || fail "Cancel did not end the program"
expect_eq "$EXIT_STATUS" 0 "exit status"
note "passed"
