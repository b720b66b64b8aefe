#!/usr/bin/env bash
# The whole road of an update with larkspan.exe, from a real web server (nginx): the check
# offers the Download button. The installer address ends in "/..\..\VantrelSetup.exe", and the
# Save dialog offers a name in the desktop folder, "_.._VantrelSetup.exe", which is there: the
# program asks, and No brings the dialog back. It takes a typed path, the installer arrives there
# byte for byte, and Run File really runs it in its own folder: the served installer is a small
# Windows program that leaves a mark, and in it the folder it was started in. Close returns to
# the update window, whose Cancel ends the program.
# shellcheck source=tests/e2e/wine/lib.sh disable=SC2086
source "$(dirname "$0")/lib.sh"

SAVED="$WORK/chosen folder/VantrelSetup.exe"
mkdir -p "$(dirname "$SAVED")"
echo kept >"$DESKTOP/_.._VantrelSetup.exe"
start_site "$INSTALLER" 'vantrel/files/..\..\VantrelSetup.exe'
cp "$INSTALLER" "$SERVERS/www/VantrelSetup.exe" # where WinINet, reading "\" as "/", asks
start_updater "Vantrel*3.1*0101000*$INFO_URL"

open_download 30 "$SHOTS/windows-update-window.png"
save_elsewhere "C:\\$WORK_C\\chosen folder\\VantrelSetup.exe" "End shift+Home BackSpace"
wait_for 30 "the installer saved byte for byte" cmp -s "$SAVED" "$INSTALLER"
settled_shot "$down" "$SHOTS/windows-download-complete.png"
[ "$(cat "$DESKTOP/_.._VantrelSetup.exe")" = kept ] || fail "No did not keep the offered file"

click_at "$down" $RUN_FILE_AT
wait_for 20 "the saved installer running and leaving its mark" test -s "$SAVED.ran"
[ "$(cat "$SAVED.ran")" = "C:\\$WORK_C\\chosen folder" ] ||
  fail "the installer started in $(cat "$SAVED.ran"), not in its own folder"
close_both_windows
