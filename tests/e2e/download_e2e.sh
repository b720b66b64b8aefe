#!/usr/bin/env bash
# The whole road of an update: the update window finds a newer version and shows its Download
# button; the button opens the download window and the Save dialog; the typed path receives
# the installer byte for byte while the window shows its progress; Run File hands the saved
# file to the shell; Close returns to the update window, whose Cancel ends the program.
# shellcheck source=tests/e2e/lib.sh disable=SC2119
source "$(dirname "$0")/lib.sh"

SIZE=$((2 << 20))
RATE=$((320 << 10)) # slow enough to watch the window mid-way, about 6 s in all
SAVED="$WORK/chosen folder/VantrelSetup.exe"
mkdir -p "$(dirname "$SAVED")"
"$BIN/larkspan-demo-server" --installer-size "$SIZE" --write-installer "$WORK/served.exe"

start_display
start_demo --installer-size "$SIZE" --rate "$RATE"
start_updater "Vantrel*3.1*0101000*$INFO_URL"

update=$(wait_window "Update Manager" 15) || fail "no update window"
expect_eq "$(xdotool getwindowname "$update")" "Quillmere - Update Manager 3.15" "update caption"

download_button_shown() {
  window_shot "$update" "$WORK/update.png"
  ! area_flat "$WORK/update.png" "${DOWNLOAD_BUTTON[@]}"
}
wait_for 20 "the Download button after the check" download_button_shown
settled_shot "$update" "$SHOTS/update-window.png"
area_flat "$SHOTS/update-window.png" "${NEWS_BOX[@]}" && fail "no news after the check"
note "update window shows the Download button and $(text_lines "$SHOTS/update-window.png" \
  "${NEWS_BOX[@]}") lines of news"

click_at "$update" "${DOWNLOAD_AT[@]}"
down=$(wait_window "Download Manager" 10) || fail "Download did not open the download window"
expect_eq "$(xdotool getwindowname "$down")" "Quillmere - Download Manager 1.01" "download caption"
dialog=$(wait_window "Save" 10) || fail "no Save dialog"
keys_to "$dialog" ctrl+a
type_to "$dialog" "$SAVED"
keys_to "$dialog" Return
wait_for 10 "the Save dialog closes" window_gone "Save"

# Mid-way: the bar is filled as far as the file has grown, the rate shows (its timer ticks
# once a second), and the right place shows Cancel.
saved_half() { [ "$(file_size "$SAVED")" -ge $((SIZE / 2)) ]; }
wait_for 20 "half the installer saved" saved_half
rate_shown() {
  window_shot "$down" "$SHOTS/download-receiving.png"
  ! area_flat "$SHOTS/download-receiving.png" "${RATE_VALUE[@]}"
}
wait_for 5 "a transfer rate" rate_shown
received=$(file_size "$SAVED")
[ "$received" -lt "$SIZE" ] || fail "the download was over before the mid-way picture"
filled=$(bar_filled "$SHOTS/download-receiving.png")
near "$filled" "$(awk -v r="$received" -v s="$SIZE" 'BEGIN { print r / s }')" 0.1 ||
  fail "progress bar $filled full mid-way, with $received of $SIZE bytes saved"
note "mid-way picture at $received of $SIZE bytes, progress bar $filled full"

crop_of() {
  local -n a=$1
  echo "${a[2]}x${a[3]}+${a[0]}+${a[1]}"
}
convert "$SHOTS/download-receiving.png" -crop "$(crop_of RIGHT_BUTTON)" "$WORK/cancel.png"
complete_shown() {
  window_shot "$down" "$WORK/down.png"
  convert "$WORK/down.png" -crop "$(crop_of RIGHT_BUTTON)" "$WORK/right.png"
  ! same_pixels "$WORK/right.png" "$WORK/cancel.png"
}
wait_for 30 "Run File in place of Cancel" complete_shown
settled_shot "$down" "$SHOTS/download-complete.png"
filled=$(bar_filled "$SHOTS/download-complete.png")
near "$filled" 1 0.01 || fail "progress bar only $filled full at the end"
cmp "$SAVED" "$WORK/served.exe" || fail "saved file differs from the served installer"
note "saved file equals the served installer ($SIZE bytes)"

click_at "$down" "${CANCEL_RUN_AT[@]}"
wait_for 10 "Run File calls xdg-open" test -s "$WORK/xdg-open.log"
expect_eq "$(cat "$WORK/xdg-open.log")" "$SAVED" "xdg-open argument"

click_at "$down" "${STOP_CLOSE_AT[@]}"
wait_for 10 "Close closes the download window" window_gone "Download Manager"
updater_running || fail "the program ended with the download window"
[ -n "$(visible_windows "Update Manager")" ] || fail "the update window went with it"

click_at "$update" "${UPDATE_CANCEL_AT[@]}"
wait_exit 10 || fail "Cancel of the update window did not end the program"
expect_eq "$EXIT_STATUS" 0 "exit status"
note "passed"
