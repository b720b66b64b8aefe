#!/usr/bin/env bash
# The desktop session ends in the middle of a download (on Linux its manager sends SIGTERM; on
# Windows a logoff sends WM_QUERYENDSESSION, then WM_ENDSESSION) while the server has stalled
# after 5 of the installer's 10 kilobytes: the program ends as its own end does, and the file
# holds every kilobyte it counted (at least the first, which the window shows), though it had
# not written any of them out yet.
# shellcheck source=tests/e2e/lib.sh disable=SC2086
source "$(dirname "$0")/lib.sh"

start_demo --scenario stalled-body --installer-size 10000 --rate 20000
start_updater "Vantrel*3.1*0101000*$INFO_URL"
open_download 30 "$WORK/offer.png"
send "$(wait_window Save)" key Return # the name offered on the desktop
counting() { shot "$down" "$WORK/down.png" && ! area_flat "$WORK/down.png" 120x16+104+94; }
wait_for 20 "the first kilobyte counted" counting
sleep 1 # the rest of the five, as far as they come
end_session || fail "could not end the session"
expect_clean_exit "the end with the session"
size=$(stat -c %s "$DESKTOP/VantrelSetup.exe")
[ "$size" -ge 1024 ] && [ "$size" -le 5120 ] && [ $((size % 1024)) -eq 0 ] ||
  fail "the file holds $size bytes, not the kilobytes counted"
