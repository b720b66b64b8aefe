#!/usr/bin/env bash
# The Windows session ends (a logoff: WM_QUERYENDSESSION, then WM_ENDSESSION) in the middle of a
# download: larkspan.exe ends as its own end does, and the file keeps every kilobyte counted.
# shellcheck source=tests/e2e/wine/lib.sh disable=SC2086
source "$(dirname "$0")/lib.sh"

start_demo "${STALLED_AFTER_5_KB[@]}"
start_updater "Vantrel*3.1*0101000*$INFO_URL"
open_download 30 "$WORK/offer.png"
dialog=$(wait_window "Save")
send "$dialog" key End shift+Home BackSpace # the offered name goes
send "$dialog" type --delay 20 "C:\\$WORK_C\\VantrelSetup.exe"
send "$dialog" key Return
expect_counted_bytes_kept_at_session_end "$down" "$WORK/VantrelSetup.exe" \
  "$WINE_RUN" --prefix "$PREFIX" wineboot --end-session
