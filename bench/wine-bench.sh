#!/usr/bin/env bash
# The Windows build's start-up and download figures under Wine, each the median of repeated
# runs next to its references measured in the same run: start-up to the update window's first
# paint against a bare Win32 window of the same size (with and without a line of text), and a
# 64 MiB download at 16 MiB/s against curl (wall time, and CPU per MiB: the program's own and
# the wine server's work on its behalf). Prints a Markdown table on standard output.
#   bench/wine-bench.sh <Linux build folder with larkspan-demo-server> [runs, default 11]
# It builds a timing copy of larkspan.exe in build-bench-win/ (LARKSPAN_BENCH_WIN_BUILD) and
# runs it in a Wine prefix there, on a display of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
LINUX_BIN=$(cd "${1:?usage: bench/wine-bench.sh <Linux build folder> [runs]}" && pwd)/bin
RUNS=${2:-11}
DOWNLOAD_RUNS=$(((RUNS + 1) / 2))
BUILD=${LARKSPAN_BENCH_WIN_BUILD:-$ROOT/build-bench-win}
PORT=${LARKSPAN_BENCH_PORT:-18491}
MiB=1048576
RATE=$((16 * MiB))
SIZE=$((64 * MiB))

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DLARKSPAN_TIMING=ON -U 'LARKSPAN_*_URL' -DLARKSPAN_DEMO_PORT="$PORT" >/dev/null
cmake --build "$BUILD" --target larkspan bench_bare_window >/dev/null
PREFIX=$BUILD/wine-prefix
WINE_RUN=("$ROOT/cmake/wine-run.sh" --prefix "$PREFIX")
URL_BASE="http://127.0.0.1:$PORT"
ARGS="Vantrel*3.1*0101000*$URL_BASE/vantrel/update.txt"
WORK_C=bench-$$
DEMO_SERVER=$LINUX_BIN/larkspan-demo-server
# shellcheck source=bench/lib.sh
source bench/lib.sh
WORK=$PREFIX/drive_c/$WORK_C

server="" program=""
start_wine_run
# Wine's desktop process starts with the first window and ends a while after the last one;
# its start (about 180 ms) would fall on whichever program of a run came first. On Windows the
# desktop is always there: a tiny window in a corner keeps it so for the whole bench.
"${WINE_RUN[@]}" "$BUILD/bench/bench_bare_window.exe" 1 1 >/dev/null 2>&1 &
keeper=$!
sleep 2

# Runs a Windows program of the build with its standard error in $1; the rest are its arguments.
start_program() {
  local log=$1
  shift
  : >"$log"
  "${WINE_RUN[@]}" "$@" >/dev/null 2>"$log" &
  program=$!
}
stop_program() {
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  program=""
}

# R_START ms: process start to the update window's first paint.
updater_run() {
  local log=$WORK/updater.log t0
  t0=$(now_us)
  start_program "$log" "$BUILD/bin/larkspan.exe" "$ARGS"
  wait_mark "$log" result-line 30 || die "no result line: $(cat "$log")"
  stop_program
  R_START=$(calc "%.1f" "($(mark "$log" first-paint:CheckUpdatesForm 1) - $t0) / 1000")
}
# R_BARE ms: process start to the bare window's first paint ($@: --text for the one with text).
bare_run() {
  local log=$WORK/bare.log t0
  t0=$(now_us)
  start_program "$log" "$BUILD/bench/bench_bare_window.exe" "$WINDOW_W" "$WINDOW_H" "$@"
  wait_mark "$log" first-frame:BareWindow 30 || die "bare window did not paint: $(cat "$log")"
  stop_program
  R_BARE=$(calc "%.1f" "($(mark "$log" first-paint:BareWindow 1) - $t0) / 1000")
}

echo "wine-bench: start-up, $RUNS runs each ..." >&2
start_server
start_program "$WORK/updater.log" "$BUILD/bin/larkspan.exe" "$ARGS"
wait_mark "$WORK/updater.log" result-line 60 || die "no result line: $(cat "$WORK/updater.log")"
window=$(xdotool search --onlyvisible --name 'Update Manager' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
WINDOW_W=$WIDTH WINDOW_H=$HEIGHT
stop_program
bare_run && bare_run --text # warm-up
start=() bare=() text=()
for _ in $(seq "$RUNS"); do
  updater_run && start+=("$R_START")
  bare_run && bare+=("$R_BARE")
  bare_run --text && text+=("$R_BARE")
done
START_MS=$(median "${start[@]}") BARE_MS=$(median "${bare[@]}") TEXT_MS=$(median "${text[@]}")

echo "wine-bench: 64 MiB at 16 MiB/s, $DOWNLOAD_RUNS runs each ..." >&2
start_server --installer-size "$SIZE" --rate "$RATE"
"$LINUX_BIN/larkspan-demo-server" --installer-size "$SIZE" --write-installer "$WORK/expected.bin"
walls=() cpus=() servers=() cwalls=() ccpus=()
for _ in $(seq "$DOWNLOAD_RUNS"); do
  log=$WORK/updater.log target=$WORK/VantrelSetup.exe
  rm -f "$target"
  LARKSPAN_SAVE_AS="C:\\$WORK_C\\VantrelSetup.exe" start_program "$log" "$BUILD/bin/larkspan.exe" "$ARGS"
  wait_mark "$log" result-line 30 || die "no result line: $(cat "$log")"
  window=$(xdotool search --onlyvisible --name 'Update Manager' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  ws=$(wineserver_pid "$PREFIX") ws_before=$(cpu_seconds "$ws")
  # The pointer then leaves the windows: under Wine, a pointer resting on a themed control
  # makes Wine poll it every 10 ms for as long as it stays, whatever the program does.
  xdotool mousemove --sync $((X + 400)) $((Y + 32)) click 1 mousemove 1000 10
  wait_mark "$log" 'download-complete|download-stopped' 60 || die "download did not end"
  ws_after=$(cpu_seconds "$ws")
  grep -aq "download-complete" "$log" || die "download stopped: $(tail -n 3 "$log")"
  stop_program
  cmp -s "$target" "$WORK/expected.bin" || die "the saved installer differs from the server's"
  walls+=("$(calc "%.3f" "($(mark "$log" download-complete 1) - $(mark "$log" download-request 1)) / 1e6")")
  cpus+=("$(calc "%.3f" "($(mark "$log" download-complete 2) - $(mark "$log" download-request 2)) / 1e6")")
  servers+=("$(calc "%.3f" "$ws_after - $ws_before")")
  rm -f "$target"
  t0=$(now_us)
  usage=$(
    curl -s -o "$target" "$URL_BASE/vantrel/VantrelSetup.exe"
    times
  )
  cwalls+=("$(calc "%.3f" "($(now_us) - $t0) / 1e6")")
  ccpus+=("$(echo "$usage" | awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/)
    printf "%.3f", u[1] * 60 + u[2] + s[1] * 60 + s[2] }')")
  cmp -s "$target" "$WORK/expected.bin" || die "curl's copy differs from the server's"
done
WALL=$(median "${walls[@]}") CPU=$(median "${cpus[@]}") SERVER=$(median "${servers[@]}")
CWALL=$(median "${cwalls[@]}") CCPU=$(median "${ccpus[@]}")

verdict() { awk "BEGIN { print ($1) ? \"met\" : \"MISSED\" }"; }
cat <<TABLE
| Windows build under $(/usr/lib/wine/wine64 --version 2>/dev/null || echo Wine) | larkspan.exe | reference | target | |
| --- | --- | --- | --- | --- |
| start-up: process start to first paint of the update window | $START_MS ms | bare Win32 window ${WINDOW_W}x${WINDOW_H}: $BARE_MS ms | <= 1.3 x = $(calc "%.1f" "1.3 * $BARE_MS") ms | $(verdict "$START_MS <= 1.3 * $BARE_MS") ($(calc "%.2f" "$START_MS / $BARE_MS") x) |
| start-up: the same, against the window with one line of text | $START_MS ms | $TEXT_MS ms | <= 1.3 x = $(calc "%.1f" "1.3 * $TEXT_MS") ms | $(verdict "$START_MS <= 1.3 * $TEXT_MS") ($(calc "%.2f" "$START_MS / $TEXT_MS") x) |
| 64 MiB at 16 MiB/s: wall time, request to saved file | $WALL s | curl (Linux): $CWALL s | <= 1.05 x = $(calc "%.3f" "1.05 * $CWALL") s | $(verdict "$WALL <= 1.05 * $CWALL") |
| 64 MiB at 16 MiB/s: CPU per MiB, the program's own | $(calc "%.4f" "$CPU / 64") s | curl (Linux): $(calc "%.4f" "$CCPU / 64") s | <= 5 x = $(calc "%.4f" "5 * $CCPU / 64") s | $(verdict "$CPU <= 5 * $CCPU") ($(calc "%.1f" "$CPU / $CCPU") x) |
| 64 MiB at 16 MiB/s: CPU per MiB with the wine server's share | $(calc "%.4f" "($CPU + $SERVER) / 64") s | | | $(calc "%.1f" "($CPU + $SERVER) / $CCPU") x |
TABLE
