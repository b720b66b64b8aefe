#!/bin/sh
# The transfer control of the Windows build under Wine, next to the Linux curl tool fetching
# the same body from the same server (inside the bench process, under Wine):
#   bench/wine-transfer.sh <Windows build folder> [MiB, default 256]
# Prints the bench's own lines, then curl's rate and peak memory.
set -eu
build=$(cd "$1" && pwd)
mib=${2:-256}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/larkspan-wine-bench.XXXXXX)
trap 'exec 9>&- 2>/dev/null || true; rm -rf "$work"' EXIT
mkfifo "$work/stdin"
"$here/../cmake/wine-run.sh" --prefix "$build/wine-prefix" "$build/bench/transfer_bench.exe" \
  "$mib" <"$work/stdin" >"$work/out" 2>&1 &
bench=$!
exec 9>"$work/stdin"  # the bench serves until this closes
until url=$(grep -ao 'http://[^ ]*' "$work/out"); do
  kill -0 "$bench" 2>/dev/null || { cat "$work/out" >&2; exit 1; }
  sleep 0.2
done
tr -d '\r' <"$work/out" | grep -v '^serving'
/usr/bin/time -f '%M' -o "$work/memory" \
  curl -s -o /dev/null -w '%{size_download} %{time_total}\n' "$url" >"$work/curl"
read -r size seconds <"$work/curl"
awk -v s="$size" -v t="$seconds" -v m="$(cat "$work/memory")" 'BEGIN {
  printf "curl (Linux) from the same server: %d MiB in %.2f s = %.0f MiB/s, peak memory %.1f MiB\n",
    s / 1048576, t, s / 1048576 / t, m / 1024 }'
exec 9>&-
wait "$bench"
