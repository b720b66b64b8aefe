#!/usr/bin/env bash
# The desktop session ends (its manager sends SIGTERM) in the middle of a download: the program
# ends as its own end does, and the file keeps every kilobyte that was counted.
# shellcheck source=tests/e2e/lib.sh disable=SC2086
source "$(dirname "$0")/lib.sh"

start_display
start_demo "${STALLED_AFTER_5_KB[@]}"
start_updater "Vantrel*3.1*0101000*$INFO_URL"
open_download 20 "$WORK/offer.png"
send "$(wait_window Save)" key Return # the name offered on the desktop
expect_counted_bytes_kept_at_session_end "$down" "$HOME/Desktop/VantrelSetup.exe" kill -TERM "$UPDATER"
