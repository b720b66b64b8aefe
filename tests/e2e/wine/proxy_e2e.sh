#!/usr/bin/env bash
# The check and the download of larkspan.exe through a proxy (squid), as users behind one have
# them: once an open one that the registry names, and once one that asks for a password. Each
# time the check offers the release, the installer arrives byte for byte in the offered file,
# and squid passed both on, to that user.
# shellcheck source=tests/e2e/wine/lib.sh
source "$(dirname "$0")/lib.sh"

rm -f "$DESKTOP/VantrelSetup.exe"
start_site "${LARKSPAN_MARKER:?set by CTest}" vantrel/VantrelSetup.exe
start_squid || fail "squid did not start"
journey_through_proxy "127.0.0.1:$SQUID_PORT" "$LARKSPAN_MARKER" "$DESKTOP/VantrelSetup.exe" -
start_squid larkspan:secret || fail "squid did not start"
journey_through_proxy "larkspan:secret@127.0.0.1:$SQUID_PORT" "$LARKSPAN_MARKER" \
  "$DESKTOP/VantrelSetup.exe" larkspan
tail -n 4 "$SQUID_DIR/access.log" "$SERVERS/nginx-access.log"
