#!/usr/bin/env bash
# The check and the download of larkspan.exe through a proxy (squid), as users behind one have
# them: once an open one that the registry names, and once one that asks for a password. Each
# time the check offers the release, the installer arrives byte for byte in the offered file,
# and squid passed both on, to that user.
# shellcheck source=tests/e2e/wine/lib.sh
source "$(dirname "$0")/lib.sh"

rm -f "$DESKTOP/VantrelSetup.exe"
proxy_journeys "${LARKSPAN_MARKER:?set by CTest}" "$DESKTOP/VantrelSetup.exe"
