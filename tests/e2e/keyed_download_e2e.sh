#!/usr/bin/env bash
# Signed releases with larkspan-keyed, the program built with the tests' release key, signed by
# larkspan-publish make --key and served by the demo server: the check shows the result; a
# first download gets the installer with one byte changed and ends stopped, with nothing left
# under the chosen name or beside it; the server then serves the signed bytes, and a second
# download keeps them and Run File starts them.
# shellcheck source=tests/e2e/lib.sh disable=SC2086
PROGRAM=larkspan-keyed
source "$(dirname "$0")/lib.sh"

SAVED=$DESKTOP/VantrelSetup.exe
cp "$INSTALLER" "$WORK/tampered.exe"
printf '\377' | dd of="$WORK/tampered.exe" bs=1 seek=4000 conv=notrunc status=none
cmp -s "$INSTALLER" "$WORK/tampered.exe" && fail "the byte did not change"
echo "Signed" >"$WORK/news.txt"
"$(dirname "$DEMO_SERVER")/larkspan-publish" make --edition 2026 --version 3.2 --build 0201000 \
  --news "$WORK/news.txt" --url "http://127.0.0.1:$PORT/vantrel/VantrelSetup.exe" \
  --key "$LARKSPAN_BINARY_DIR/test-release-key/private.pem" --file "$INSTALLER" \
  -o "$WORK/update.txt" || fail "make --key refused the release"
start_demo --update-file "$WORK/update.txt" --installer-file "$WORK/tampered.exe" --rate 400000
demo=${pids[-1]}
start_updater "Vantrel*3.1*0101000*$INFO_URL"
open_download 30 "$SHOTS/keyed-update-window.png"
send "$(wait_window Save)" key Return
wait_for 20 "the tampered installer arriving beside the chosen name" test -e "$SAVED.part"
wait_for 20 "the tampered installer's end" eval '! test -e "$SAVED.part"'
[ ! -e "$SAVED" ] || fail "the tampered installer was kept under the chosen name"
shown "Download Manager [0-9]" || fail "the download window closed by itself"
click_at "$down" $RUN_FILE_AT # Cancel, as the download stopped: closes without a question
wait_for 10 "Cancel closes the stopped download" eval '! shown "Download Manager"'

kill "$demo" # for a demo server that serves the signed bytes
start_demo --update-file "$WORK/update.txt" --installer-file "$INSTALLER" --rate 400000
click_at "$update" $DOWNLOAD_AT
down=$(wait_window "Download Manager [0-9]")
send "$(wait_window Save)" key Return
wait_for 20 "the signed installer saved" cmp -s "$INSTALLER" "$SAVED"
click_at "$down" $RUN_FILE_AT
wait_for 20 "Run File starting the signed installer" started "$SAVED"
click_at "$down" $CLOSE_AT
click_at "$update" $CANCEL_AT
expect_clean_exit "Cancel of the update window ends the program"
