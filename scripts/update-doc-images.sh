#!/usr/bin/env bash
# Copies the pictures that the last end-to-end runs took into docs/images/, as small 256-colour
# PNGs: the Linux program's from build/ (or $1), larkspan.exe's under Wine from build-win/ (or
# $2). Run after `ctest -L e2e` in both build folders.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
copy() {
  local shots=$1/e2e-shots name
  shift
  for name in "$@"; do
    [ -f "$shots/$name.png" ] || { echo "no $shots/$name.png: run ctest -L e2e first" >&2; exit 1; }
    convert "$shots/$name.png" -strip +dither -colors 256 "PNG8:$root/docs/images/$name.png"
  done
}
copy "${1:-$root/build}" update-window download-receiving download-complete
copy "${2:-$root/build-win}" windows-update-window windows-download-complete
ls -l "$root/docs/images"
