#!/usr/bin/env bash
# The check and the download through a proxy (squid), as users behind one have them: once an
# open one (on Windows the registry names it), and once one that asks for a password, which the
# program takes from http_proxy with the user's name. Each time the check offers the release,
# the installer arrives byte for byte in the offered file, and squid passed both on, to that user.
# shellcheck source=tests/e2e/lib.sh
E2E_SQUID=yes
source "$(dirname "$0")/lib.sh"

start_site "$INSTALLER" vantrel/VantrelSetup.exe
start_squid
journey_through_proxy "127.0.0.1:$SQUID_PORT" -
start_squid larkspan:secret
journey_through_proxy "larkspan:secret@127.0.0.1:$SQUID_PORT" larkspan
tail -n 4 "$SQUID_DIR/access.log" "$SERVERS/nginx-access.log"
