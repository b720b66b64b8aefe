#!/usr/bin/env bash
# The program as a screen reader and a keyboard user meet it. The update window's AT-SPI tree
# after the check holds the result line, the news, the two links and a Download button, with
# the focus on Cancel; Tab takes the focus to Download and Space opens the download window; Return takes the name offered in
# the Save dialog. The complete download is announced, its window's tree holds the status and
# the values with the focus on Run File, and the keys close both windows (Return on Close,
# Space on Cancel). Both trees are printed as read.
# shellcheck source=tests/e2e/lib.sh disable=SC2086
E2E_PRIVATE_BUS=yes
source "$(dirname "$0")/lib.sh"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
reader() { timeout 10 /usr/bin/python3 "$(dirname "$0")/atspi_tree.py" "$@" 2>>"$WORK/atspi.log"; }
tree_holds() { reader larkspan >"$WORK/tree.txt" && grep -qF -- "$1" "$WORK/tree.txt"; }
expect_tree() {
  for line; do grep -qF -- "$line" "$WORK/tree.txt" || fail "no $line in: $(cat "$WORK/tree.txt")"; done
  cat "$WORK/tree.txt"
}

SIZE=$((300 << 10))
start_demo --installer-size "$SIZE"
start_updater "Vantrel*3.1*0101000*$INFO_URL"
timeout 90 /usr/bin/python3 "$(dirname "$0")/atspi_tree.py" --names larkspan >"$WORK/names.txt" &
pids+=($!)

update=$(wait_window "Update Manager")
wait_for 20 "the result line for the screen reader" tree_holds 'label "A new version is available!'
expect_tree 'frame "Quillmere - Update Manager 3.15"' '* push button "Cancel"' \
  'label "A new version is available!\nVantrel2026 Version 3.2 Build 0201000"' \
  'push button "Download"' 'link "Ostrafel - Read More"' 'link "Ostrafel - Download"' \
  'text "" = "Vantrel 2026 brings faster scanning of large folders.\n\n- A new dark theme'
send "$update" key Tab
send "$update" key space
send "$(wait_window Save)" key Return
down=$(wait_window "Download Manager [0-9]")
wait_for 30 "the complete download for the screen reader" tree_holds 'label "Download complete"'
expect_tree 'frame "Quillmere - Download Manager 1.01"' 'label "300 KB"' 'label "300 KB  ( 100 % )"' \
  'progress bar "" = 100' '* push button "Run File"' 'push button "Close"'
[ "$(stat -c %s "$HOME/Desktop/VantrelSetup.exe")" = $SIZE ] || fail "the installer not saved whole"
wait_for 5 "the announcement of the complete download" grep -qF 'label "Download complete"' \
  "$WORK/names.txt"

send "$down" key Tab
send "$down" key Return
wait_for 10 "Return on Close closes the download window" eval '! shown "Download Manager"'
send "$update" key Tab
send "$update" key space
expect_clean_exit "Space on Cancel ends the program"
