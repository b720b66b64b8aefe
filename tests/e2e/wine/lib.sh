# Shared steps of the end-to-end tests of the Windows build: larkspan.exe under Wine, in the
# build's Wine prefix and on the display that the test run gives it, against the demo update
# server of a Linux build on the deployment port. Sourced by the *_e2e.sh scripts here.
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

# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../helpers.sh"

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
