#!/usr/bin/env bash
# What a release key costs a download: CPU per MiB of a 64 MiB download at 16 MiB/s by the
# program built without a key (larkspan) and with one (larkspan-keyed, which verifies the
# update information and takes the SHA-256 of every chunk as it is written), on Linux and for
# the Windows build under Wine (the program's own CPU, then with the wine server's share).
# Medians of interleaved runs; prints a Markdown table.
#   bench/keyed-download.sh [runs, default 5]
# Its timing builds are those of scripts/bench.sh: build-bench/ and build-bench-win/
# (LARKSPAN_BENCH_BUILD, LARKSPAN_BENCH_WIN_BUILD), on the port LARKSPAN_BENCH_PORT.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${1:-5}
LINUX=${LARKSPAN_BENCH_BUILD:-$ROOT/build-bench}
WIN=${LARKSPAN_BENCH_WIN_BUILD:-$ROOT/build-bench-win}
PORT=${LARKSPAN_BENCH_PORT:-18491}
MiB=1048576
SIZE=$((64 * MiB))

for build in "$LINUX" "$WIN"; do
  toolchain=()
  [ "$build" = "$WIN" ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
  cmake -S . -B "$build" -G Ninja "${toolchain[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLARKSPAN_TIMING=ON -U 'LARKSPAN_*_URL' -DLARKSPAN_DEMO_PORT="$PORT" >/dev/null
done
cmake --build "$LINUX" --target larkspan larkspan-keyed larkspan-demo-server larkspan-publish >/dev/null
cmake --build "$WIN" --target larkspan larkspan-keyed >/dev/null

WINE_RUN=("$ROOT/cmake/wine-run.sh" --prefix "$WIN/wine-prefix")
URL_BASE="http://127.0.0.1:$PORT"
ARGS="Vantrel*3.1*0101000*$URL_BASE/vantrel/update.txt"
WORK_C=bench-keyed-$$
WORK=$WIN/wine-prefix/drive_c/$WORK_C
DEMO_SERVER=$LINUX/bin/larkspan-demo-server
# shellcheck source=bench/lib.sh
source bench/lib.sh
server="" program=""
start_wine_run

# The release, signed with each build's test key: the program without a key passes the record
# over, so both programs of a build read the same text.
"$DEMO_SERVER" --installer-size "$SIZE" --write-installer "$WORK/expected.bin"
echo "Faster" >"$WORK/news.txt"
for build in "$LINUX" "$WIN"; do
  "$LINUX/bin/larkspan-publish" make --edition 2026 --version 3.2 --build 0201000 \
    --url "$URL_BASE/vantrel/VantrelSetup.exe" --news "$WORK/news.txt" \
    --key "$build/test-release-key/private.pem" --file "$WORK/expected.bin" \
    -o "$WORK/$(basename "$build").txt"
done
start_server --installer-size "$SIZE" --rate $((16 * MiB)) --update-file "$WORK/update.txt"

# One download by program $2 of build $1: sets R_CPU (s, request to saved file) and R_SERVER
# (the wine server's CPU s meanwhile; 0 on Linux).
download_run() {
  local build=$1 log=$WORK/updater.log target=$WORK/VantrelSetup.exe ws="" ws_before=0
  rm -f "$target"
  : >"$log"
  cp "$WORK/$(basename "$build").txt" "$WORK/update.txt"
  if [ "$build" = "$WIN" ]; then
    LARKSPAN_SAVE_AS="C:\\$WORK_C\\VantrelSetup.exe" "${WINE_RUN[@]}" "$WIN/bin/$2.exe" "$ARGS" \
      >/dev/null 2>"$log" &
  else
    LARKSPAN_SAVE_AS=$target "$LINUX/bin/$2" "$ARGS" >/dev/null 2>"$log" &
  fi
  program=$!
  wait_mark "$log" result-line 30 || die "$2: no result line: $(cat "$log")"
  if [ "$build" = "$WIN" ]; then
    ws=$(wineserver_pid "$WIN/wine-prefix") && ws_before=$(cpu_seconds "$ws")
  fi
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name 'Update Manager' | head -n 1)")"
  xdotool mousemove --sync $((X + 400)) $((Y + 32)) click 1 mousemove 1000 10
  wait_mark "$log" 'download-complete|download-stopped' 60 || die "$2: the download did not end"
  R_SERVER=0
  [ -n "$ws" ] && R_SERVER=$(calc "%.3f" "$(cpu_seconds "$ws") - $ws_before")
  grep -aq download-complete "$log" || die "$2: the download stopped: $(tail -n 3 "$log")"
  kill "$program" && wait "$program" 2>/dev/null || true
  program=""
  cmp -s "$target" "$WORK/expected.bin" || die "$2: the saved installer differs from the server's"
  R_CPU=$(calc "%.3f" "($(mark "$log" download-complete 2) - $(mark "$log" download-request 2)) / 1e6")
}

echo "| 64 MiB at 16 MiB/s, CPU per MiB (median of $RUNS) | without a key | with a key | with / without |"
echo "| --- | --- | --- | --- |"
for build in "$LINUX" "$WIN"; do
  plain=() keyed=() plain_ws=() keyed_ws=()
  for _ in $(seq "$RUNS"); do
    download_run "$build" larkspan && plain+=("$R_CPU") plain_ws+=("$(calc "%.3f" "$R_CPU + $R_SERVER")")
    download_run "$build" larkspan-keyed && keyed+=("$R_CPU") keyed_ws+=("$(calc "%.3f" "$R_CPU + $R_SERVER")")
  done
  row() { # label, medians of the two
    echo "| $1 | $(calc "%.4f" "$2 / 64") s | $(calc "%.4f" "$3 / 64") s | $(calc "%.2f" "$3 / $2") x |"
  }
  if [ "$build" = "$LINUX" ]; then
    row "Linux (larkspan)" "$(median "${plain[@]}")" "$(median "${keyed[@]}")"
  else
    row "Windows under Wine, the program's own" "$(median "${plain[@]}")" "$(median "${keyed[@]}")"
    row "Windows under Wine, with the wine server's share" "$(median "${plain_ws[@]}")" "$(median "${keyed_ws[@]}")"
  fi
done
