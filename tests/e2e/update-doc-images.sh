#!/usr/bin/env bash
# Copies the pictures that the last end-to-end run took into docs/images/, as small 256-colour
# PNGs. Run after `ctest -L e2e` in a build folder (default: build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
shots="${1:-$root/build}/e2e-shots"
for name in update-window download-receiving download-complete; do
  [ -f "$shots/$name.png" ] || { echo "no $shots/$name.png: run ctest -L e2e first" >&2; exit 1; }
  convert "$shots/$name.png" -strip +dither -colors 256 "PNG8:$root/docs/images/$name.png"
done
ls -l "$root/docs/images"
