#!/usr/bin/env bash
# The check and the download through a proxy (squid), as users behind one have them: once an
# open one, and once one that asks for a password, which the program takes from http_proxy with
# the user's name. Each time the check offers the release, the installer arrives byte for byte
# in the offered file, and squid passed both on, to that user.
# shellcheck source=tests/e2e/lib.sh
E2E_SQUID=yes
source "$(dirname "$0")/lib.sh"

head -c 300000 /dev/urandom >"$WORK/served.exe"
start_display
proxy_journeys "$WORK/served.exe" "$HOME/Desktop/VantrelSetup.exe"
