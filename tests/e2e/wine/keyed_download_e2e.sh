#!/usr/bin/env bash
# Signed releases with larkspan-keyed.exe, built with the tests' release key and signed by the
# Linux build's larkspan-publish: a tampered installer ends stopped and leaves no file, the
# signed one is saved and Run File really runs it.
# shellcheck source=tests/e2e/wine/lib.sh
source "$(dirname "$0")/lib.sh"

PROGRAM=larkspan-keyed
DESKTOP="$PREFIX/drive_c/users/$(id -un)/Desktop"
if [ -L "$DESKTOP" ]; then rm "$DESKTOP"; fi
mkdir -p "$DESKTOP" && rm -f "$DESKTOP/VantrelSetup.exe"*
expect_keyed_journeys "$(dirname "$DEMO_SERVER")/larkspan-publish" \
  "$LARKSPAN_BINARY_DIR/test-release-key/private.pem" "${LARKSPAN_MARKER:?set by CTest}" \
  "$DESKTOP/VantrelSetup.exe" test -s "$DESKTOP/VantrelSetup.exe.ran"
