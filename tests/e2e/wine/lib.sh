# Shared steps of the end-to-end tests of the Windows build: larkspan.exe under Wine, in the
# build's Wine prefix and on the display that the test run gives it, against the demo update
# server of a Linux build on the deployment port. Sourced by ../lib.sh for the journeys that
# both builds share, and by the *_e2e.sh scripts here.
# shellcheck shell=bash disable=SC2034,SC2086
set -euo pipefail

BIN="${LARKSPAN_BINARY_DIR:?set by CTest}/bin"
DEMO_SERVER="${LARKSPAN_DEMO_SERVER:?set by CTest}"
PREFIX="$LARKSPAN_BINARY_DIR/wine-prefix"
WINE_RUN="${LARKSPAN_SOURCE_DIR:?set by CTest}/cmake/wine-run.sh"
# shellcheck source=tests/e2e/port.sh
source "$(dirname "${BASH_SOURCE[0]}")/../port.sh"
[ -s "$PREFIX/.display" ] || { echo "e2e: the Wine prefix has no display: run through CTest"; exit 1; }
DISPLAY=$(cat "$PREFIX/.display")
export DISPLAY
# A folder on drive C: of the prefix, as Windows and as Linux see it.
WORK_C="e2e-$$"
WORK="$PREFIX/drive_c/$WORK_C"
mkdir -p "$SHOTS" "$WORK"
# The user's desktop folder, where the Save dialog starts. Wine links it to the Linux user's
# home, which is none of the tests' business.
DESKTOP="$PREFIX/drive_c/users/$(id -un)/Desktop"
if [ -L "$DESKTOP" ]; then rm "$DESKTOP"; fi
mkdir -p "$DESKTOP" && rm -f "$DESKTOP/VantrelSetup.exe"*
# A small Windows program that leaves a mark when it runs, and in it the folder it ran in.
INSTALLER=${LARKSPAN_MARKER:-} # set by CTest
started() { test -s "$1.ran"; }
REG=("$WINE_RUN" --prefix "$PREFIX" reg)
end_session() { "$WINE_RUN" --prefix "$PREFIX" wineboot --end-session; } # as a logoff does

# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../helpers.sh"

# WinINet takes the proxy from the prefix's registry, where Windows keeps it. The registry holds
# no user name or password for it: Wine's WinINet takes them from http_proxy, which it reads
# when the registry names no proxy. The prefix serves the other tests too: the proxy goes again
# at the end, whatever happens.
INTERNET_SETTINGS='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
set_internet() { "${REG[@]}" add "$INTERNET_SETTINGS" /f "$@" &>/dev/null; }
use_proxy() {
  local enable=1
  case $1 in *@*) enable=0 && export http_proxy="http://$1" ;; esac
  on_exit=(set_internet /v ProxyEnable /t REG_DWORD /d 0)
  set_internet /v ProxyEnable /t REG_DWORD /d $enable &&
    set_internet /v ProxyServer /d "${1#*@}" || fail "could not set the proxy"
}

start_updater() {
  "$WINE_RUN" --prefix "$PREFIX" "$BIN/${PROGRAM:-larkspan}.exe" "$@" >"$WORK/larkspan.log" 2>&1 &
  UPDATER=$! && pids+=($!)
}

# Keys reach a Wine window only while the pointer is over it, as there is no window manager:
# the pointer goes to the window's top edge first, away from its buttons.
send() {
  local X Y WIDTH HEIGHT SCREEN WINDOW geometry
  geometry=$(timeout 5 xdotool getwindowgeometry --shell "$1") || fail "no window $1"
  eval "$geometry"
  timeout 10 xdotool mousemove $((X + WIDTH / 2)) $((Y + 4)) sleep 0.2 || fail "no pointer on $1"
  timeout 20 xdotool "$2" "${@:3}" || fail "keys to window $1"
}
