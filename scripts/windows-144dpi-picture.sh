#!/usr/bin/env bash
# Takes the picture of larkspan.exe's update window at 144 dots per inch (a screen at 150 %) for
# docs/images/: the program under Wine in the Windows build's prefix, with the user's LogPixels
# at 144 for this run, after a check against the Linux build's demo update server that offers a
# newer release. Run it after building build/ and build-win/ (or give their folders as $1 and
# $2), not while the Windows tests run: they share the prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
LARKSPAN_BINARY_DIR=$(cd "${2:-$root/build-win}" && pwd)
export LARKSPAN_SOURCE_DIR=$root LARKSPAN_BINARY_DIR
export LARKSPAN_DEMO_SERVER=${1:-$root/build}/bin/larkspan-demo-server
run=("$root/cmake/wine-run.sh" --prefix "$LARKSPAN_BINARY_DIR/wine-prefix")
"${run[@]}" --start
# shellcheck source=tests/e2e/wine/lib.sh
source "$root/tests/e2e/wine/lib.sh"
log_pixels() { "${run[@]}" reg "$1" 'HKCU\Control Panel\Desktop' /v LogPixels "${@:2}" /f >/dev/null; }
finish() { log_pixels delete; "${run[@]}" --stop; }
on_exit=(finish)
log_pixels add /t REG_DWORD /d 144

start_demo
start_updater "Vantrel*3.1*0101000*$INFO_URL"
update=$(wait_window "Update Manager")
# Inside the Download button, which stands half as large again as at 96 dots per inch.
offered() { shot "$update" "$WORK/up.png" && ! area_flat "$WORK/up.png" 157x61+522+18; }
wait_for 30 "the Download button after the check" offered
settled_shot "$update" "$WORK/update.png"
size=$(identify -format %wx%h "$WORK/update.png")
[ "$size" = 693x735 ] || fail "the update window is $size, not 693x735 as at 144 dots per inch"
picture=$root/docs/images/windows-update-window-144dpi.png
convert "$WORK/update.png" -strip +dither -colors 256 "PNG8:$picture"
click_at "$update" 348 708 # Cancel
expect_clean_exit "Cancel ends the program"
echo "$picture"
