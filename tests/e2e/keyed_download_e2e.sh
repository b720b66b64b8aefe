#!/usr/bin/env bash
# Signed releases with larkspan-keyed, the program built with the tests' release key: a tampered
# installer ends stopped and leaves no file, the signed one is saved and Run File opens it.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

PROGRAM=larkspan-keyed
SAVED="$HOME/Desktop/VantrelSetup.exe"
"$BIN/larkspan-demo-server" --installer-size 800000 --write-installer "$WORK/served.exe"
start_display
expect_keyed_journeys "$BIN/larkspan-publish" "$LARKSPAN_BINARY_DIR/test-release-key/private.pem" \
  "$WORK/served.exe" "$SAVED" grep -qxF "$SAVED" "$WORK/xdg-open.log"
