#!/usr/bin/env bash
# The whole road of an update, from a real web server (nginx). The check finds a newer version
# and offers the Download button, which opens the download window and the Save dialog. The
# installer address ends in "/.profile" and the user has no desktop folder: the dialog starts in
# the home folder and offers "profile", never the dot file. A file of that name is there: the
# program asks, and No brings the dialog back. The typed path receives the installer, byte for
# byte, while the window shows its progress. Run File hands the saved file to the shell; Close
# returns to the update window, whose Cancel ends the program.
# shellcheck source=tests/e2e/lib.sh disable=SC2086
source "$(dirname "$0")/lib.sh"

SIZE=$((2 << 20))
SAVED="$WORK/chosen folder/VantrelSetup.exe"
mkdir -p "$(dirname "$SAVED")"
rmdir "$HOME/Desktop"
echo kept >"$HOME/profile"
"$BIN/larkspan-demo-server" --installer-size "$SIZE" --write-installer "$WORK/served.exe"
start_site "$WORK/served.exe" slow/.profile # about 6 s: time to look mid-way
start_updater "Vantrel*3.1*0101000*$INFO_URL"

open_download 20 "$SHOTS/update-window.png"
save_elsewhere "$SAVED" ctrl+a
saved() { [ "$(stat -c %s "$SAVED" 2>/dev/null || echo 0)" -ge "$1" ]; }

# Mid-way: the bar is filled as far as the file has grown, and a rate shows (its timer ticks
# once a second).
wait_for 20 "half the installer saved" saved $((SIZE / 2))
shot "$down" "$SHOTS/download-receiving.png"
received=$(stat -c %s "$SAVED")
saved "$SIZE" && fail "the download was over before the mid-way picture"
area_flat "$SHOTS/download-receiving.png" 120x16+104+118 && fail "no transfer rate mid-way"
filled=$(bar_filled "$SHOTS/download-receiving.png")
near "$filled" "$received / $SIZE" 0.1 || fail "bar $filled full, $received of $SIZE bytes saved"

wait_for 30 "the installer saved whole" saved "$SIZE"
settled_shot "$down" "$SHOTS/download-complete.png"
filled=$(bar_filled "$SHOTS/download-complete.png")
near "$filled" 1 0.01 || fail "progress bar $filled full at the end"
cmp "$SAVED" "$WORK/served.exe" || fail "the saved file differs from the served installer"
[ "$(cat "$HOME/profile")" = kept ] || fail "No did not keep the offered file"
[ ! -e "$HOME/.profile" ] || fail "the address's last part was offered as it stands"

click_at "$down" $RUN_FILE_AT
wait_for 10 "Run File calls xdg-open" test -s "$WORK/xdg-open.log"
[ "$(cat "$WORK/xdg-open.log")" = "$SAVED" ] || fail "xdg-open got $(cat "$WORK/xdg-open.log")"
close_both_windows
