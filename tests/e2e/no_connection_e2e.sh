#!/usr/bin/env bash
# Nothing answers on the deployment port, so both probes fail: the update window ends in the
# no-connection display (the error line and three lines of explanation in the news box), never
# shows its Download button, and its Cancel button ends the program normally.
# shellcheck source=tests/e2e/lib.sh disable=SC2086
source "$(dirname "$0")/lib.sh"

wait_for 60 "port $PORT free" port_free
start_updater "Vantrel*3.1*0101000*$INFO_URL"
update=$(wait_window "Update Manager")
news_shown() { shot "$update" "$WORK/update.png" && ! area_flat "$WORK/update.png" $NEWS_BOX; }
wait_for 30 "text in the news box" news_shown
settled_shot "$update" "$SHOTS/update-no-connection.png"
lines=$(text_lines "$SHOTS/update-no-connection.png" $NEWS_BOX)
[ "$lines" = 4 ] || fail "$lines lines in the news box, not the error line and three more"
area_flat "$SHOTS/update-no-connection.png" $DOWNLOAD_BUTTON || fail "a Download button"
click_at "$update" $CANCEL_AT
expect_clean_exit "Cancel ends the program"
