#!/usr/bin/env bash
# Nothing answers on the deployment port, so both probes fail: the update window ends in the
# no-connection display (the error line and three lines of explanation in the news box), never
# shows its Download button, and its Cancel button ends the program normally.
# shellcheck source=tests/e2e/lib.sh disable=SC2086
source "$(dirname "$0")/lib.sh"

start_display
wait_for 60 "port $PORT free" port_free
start_updater "Vantrel*3.1*0101000*$INFO_URL"

update=$(wait_window "Update Manager")
expect_no_connection "$update" "$SHOTS/update-no-connection.png"
click_at "$update" $CANCEL_AT
expect_clean_exit "Cancel ends the program"
