#!/usr/bin/env bash
# Benchmarks of the updater against references measured in the same run on the same machine:
# start-up (against a bare window, with and without a line of text), check latency, download
# (throttled and not, CPU next to curl's), peak memory and idle CPU; then the Windows build's
# start-up and download under Wine against references of its own (bench/wine-bench.sh).
# Prints tables of medians of repeated runs; with --record it also puts them, dated and with
# the machine's description, at the top of bench/RESULTS.md (older results stay below).
#
# It builds its own copy of the program with the timing output (CMake option LARKSPAN_TIMING)
# in build-bench/, with the demo server on a port of its own, and runs everything under a
# private Xvfb display. Environment: LARKSPAN_BENCH_BUILD (build folder), LARKSPAN_BENCH_PORT,
# LARKSPAN_BENCH_RUNS (runs of the short figures, default 11; the downloads take fewer).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${LARKSPAN_BENCH_BUILD:-$ROOT/build-bench}
PORT=${LARKSPAN_BENCH_PORT:-18491}
RUNS=${LARKSPAN_BENCH_RUNS:-11}
DOWNLOAD_RUNS=$(((RUNS + 1) / 2))
BIG_RUNS=$(((RUNS + 3) / 4))
RECORD=false
[ "${1:-}" = "--record" ] && RECORD=true

MiB=1048576
THROTTLED_RATE=$((16 * MiB))
# Well below the 32 MiB/s at which the chunk counter overflows: after a stall on a busy machine
# the updater catches up on the buffered body faster than it arrives, and at 24 MiB/s that
# sometimes passes 32767 chunks within one rate tick.
BIG_RATE=$((20 * MiB))

# ---------------------------------------------------------------- tools and build

scripts/install-deps.sh

# The site addresses follow the port only when they are set afresh.
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLARKSPAN_TIMING=ON \
  -U 'LARKSPAN_*_URL' -DLARKSPAN_DEMO_PORT="$PORT" >/dev/null
cmake --build "$BUILD" --target larkspan larkspan-demo-server bench_bare_window >/dev/null
BIN=$BUILD/bin
URL_BASE="http://127.0.0.1:$PORT"
ARGS="Vantrel*3.1*0101000*$URL_BASE/vantrel/update.txt"
INSTALLER_URL="$URL_BASE/vantrel/VantrelSetup.exe"

WORK=$(mktemp -d /tmp/larkspan-bench.XXXXXX)
mkdir -p "$WORK/home/Desktop" "$WORK/config"
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK"
xvfb="" server="" updater=""
cleanup() {
  for p in $updater $server $xvfb; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo "bench: stopped by a failure (status $?) at line $LINENO" >&2' ERR
# shellcheck source=bench/lib.sh
source bench/lib.sh
DEMO_SERVER=$BIN/larkspan-demo-server

exec 5< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb=$!
read -r -t 10 display <&5 || die "Xvfb did not start"
export DISPLAY=":$display"

# ---------------------------------------------------------------- helpers

# The log is emptied before the program starts: the marks of the previous run must not be
# taken for this one's.
start_updater() {
  : >"$WORK/updater.log"
  "$BIN/larkspan" "$ARGS" >/dev/null 2>"$WORK/updater.log" &
  updater=$!
}
stop_updater() {
  kill "$updater" 2>/dev/null || true
  wait "$updater" 2>/dev/null || true
  updater=""
}

# ---------------------------------------------------------------- start-up and check

# The run functions set R_* variables (a command substitution would hide a failure).

# One run of the updater up to its result line: R_START ms (process start to the update
# window's first paint), R_FRAME ms (to the end of that first frame, every control painted)
# and R_CHECK ms (the window's load to the result line).
updater_check_run() {
  local log=$WORK/updater.log t0
  t0=$(now_us)
  start_updater
  wait_mark "$log" result-line 20 || die "no result line: $(cat "$log")"
  stop_updater
  R_START=$(calc "%.1f" "($(mark "$log" first-paint:CheckUpdatesForm 1) - $t0) / 1000")
  R_FRAME=$(calc "%.1f" "($(mark "$log" first-frame:CheckUpdatesForm 1) - $t0) / 1000")
  R_CHECK=$(calc "%.1f" "($(mark "$log" result-line 1) - $(mark "$log" load:CheckUpdatesForm 1)) / 1000")
}

# R_BARE and R_BARE_FRAME ms: process start to the first paint of the bare window, and to the
# end of that frame; with --text as $1, of the window that shows one line of text.
bare_run() {
  local log=$WORK/bare.log t0 pid
  : >"$log"
  t0=$(now_us)
  "$BUILD/bench/bench_bare_window" "$WINDOW_W" "$WINDOW_H" "$@" >/dev/null 2>"$log" &
  pid=$!
  wait_mark "$log" first-frame:BareWindow 20 || die "bare window did not paint"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  R_BARE=$(calc "%.1f" "($(mark "$log" first-paint:BareWindow 1) - $t0) / 1000")
  R_BARE_FRAME=$(calc "%.1f" "($(mark "$log" first-frame:BareWindow 1) - $t0) / 1000")
}

# R_CURL3 ms: curl making the updater's three requests of the check (the two site probes and
# the update information).
curl_check_run() {
  local t0 t1
  t0=$(now_us)
  curl -s -o /dev/null -o /dev/null -o /dev/null "http://localhost:$PORT/" "$URL_BASE/" \
    "$URL_BASE/vantrel/update.txt"
  t1=$(now_us)
  R_CURL3=$(calc "%.1f" "($t1 - $t0) / 1000")
}

bench_start_and_check() {
  local start=() frame=() check=() bare=() bare_frame=() text=() text_frame=() curl3=() window
  start_server
  # The reference window gets the update window's size as the screen shows it.
  start_updater
  wait_mark "$WORK/updater.log" result-line 20 || die "no result line: $(cat "$WORK/updater.log")"
  window=$(xdotool search --onlyvisible --name 'Update Manager' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  WINDOW_W=$WIDTH WINDOW_H=$HEIGHT
  stop_updater
  bare_run # warm-up
  bare_run --text
  curl_check_run
  for _ in $(seq "$RUNS"); do
    updater_check_run
    start+=("$R_START") frame+=("$R_FRAME") check+=("$R_CHECK")
    bare_run
    bare+=("$R_BARE") bare_frame+=("$R_BARE_FRAME")
    bare_run --text
    text+=("$R_BARE") text_frame+=("$R_BARE_FRAME")
    curl_check_run
    curl3+=("$R_CURL3")
  done
  START_MS=$(median "${start[@]}") BARE_MS=$(median "${bare[@]}") TEXT_MS=$(median "${text[@]}")
  FRAME_MS=$(median "${frame[@]}") BARE_FRAME_MS=$(median "${bare_frame[@]}")
  TEXT_FRAME_MS=$(median "${text_frame[@]}")
  CHECK_MS=$(median "${check[@]}") CURL3_MS=$(median "${curl3[@]}")
}

# ---------------------------------------------------------------- downloads

# One download by the updater into $1 (the Save dialog answered from the environment, the
# Download button clicked), ending within $2 seconds. Sets R_OUTCOME (complete or stopped),
# R_WALL (s, request to end), R_CPU (s, request to end, every thread), R_BODY (s, first chunk
# to end), R_RSS (peak KiB) and R_BYTES (on disk).
updater_download_run() {
  local target=$1 log=$WORK/updater.log window end
  rm -f "$target"
  LARKSPAN_SAVE_AS=$target start_updater
  wait_mark "$log" result-line 20 || die "no result line: $(cat "$log")"
  window=$(xdotool search --onlyvisible --name 'Update Manager' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --sync $((X + 400)) $((Y + 32)) click 1
  wait_mark "$log" 'download-complete|download-stopped' "$2" ||
    die "download did not end: $(tail -n 5 "$log")"
  end=$(mark_name "$log" 'download-complete|download-stopped')
  stop_updater
  R_OUTCOME=${end#download-}
  R_WALL=$(calc "%.3f" "($(mark "$log" "$end" 1) - $(mark "$log" download-request 1)) / 1e6")
  R_CPU=$(calc "%.3f" "($(mark "$log" "$end" 2) - $(mark "$log" download-request 2)) / 1e6")
  R_BODY=$(calc "%.3f" "($(mark "$log" "$end" 1) - $(mark "$log" download-body 1)) / 1e6")
  R_RSS=$(mark "$log" "$end" 3)
  R_BYTES=$(stat -c %s "$target")
}

# curl -o into $1: R_WALL and R_CPU (s). The CPU time is the shell's account of its child, to
# the millisecond (time(1) gives hundredths, a tenth of curl's whole figure).
curl_download_run() {
  local t0 t1 usage
  rm -f "$1"
  t0=$(now_us)
  usage=$(
    curl -s -o "$1" "$INSTALLER_URL"
    times
  )
  t1=$(now_us)
  R_WALL=$(calc "%.3f" "($t1 - $t0) / 1e6")
  R_CPU=$(echo "$usage" | awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/)
    printf "%.3f", u[1] * 60 + u[2] + s[1] * 60 + s[2] }')
}

# Downloads of $1 bytes at rate $2 (bytes/s, 0: unthrottled), $3 runs each of the updater and
# curl, interleaved. Sets D_OUTCOME, D_WALL, D_CPU, D_CHUNKS_PER_S, D_RSS_KIB, C_WALL and
# C_CPU.
bench_download() {
  local size=$1 rate=$2 runs=$3 timeout target=$WORK/home/Desktop/VantrelSetup.exe
  local outcomes=() walls=() cpus=() rates=() rss=() cwalls=() ccpus=() stops=()
  start_server --installer-size "$size" --rate "$rate"
  "$BIN/larkspan-demo-server" --installer-size "$size" --write-installer "$WORK/expected.bin"
  timeout=$((rate > 0 ? 3 * size / rate + 30 : 120))
  for _ in $(seq "$runs"); do
    updater_download_run "$target" "$timeout"
    if [ "$R_OUTCOME" = complete ] && ! cmp -s "$target" "$WORK/expected.bin"; then
      die "the saved installer differs from the server's"
    fi
    if [ "$R_OUTCOME" = stopped ]; then stops+=("$(calc "%.1f" "$R_BYTES / $MiB")"); fi
    outcomes+=("$R_OUTCOME") walls+=("$R_WALL") cpus+=("$R_CPU") rss+=("$R_RSS")
    rates+=("$(calc "%.0f" "($R_BYTES / 1024) / $R_BODY")")
    curl_download_run "$target"
    cmp -s "$target" "$WORK/expected.bin" || die "curl's copy differs from the server's"
    cwalls+=("$R_WALL") ccpus+=("$R_CPU")
    rm -f "$target"
  done
  rm -f "$WORK/expected.bin"
  D_OUTCOME=$(printf '%s\n' "${outcomes[@]}" | sort | uniq -c |
    awk '{ printf "%s%d %s", (NR > 1 ? ", " : ""), $1, $2 }')
  if [ ${#stops[@]} -gt 0 ]; then D_OUTCOME+=" at $(median "${stops[@]}") MiB (median)"; fi
  D_WALL=$(median "${walls[@]}") D_CPU=$(median "${cpus[@]}") D_RSS_KIB=$(median "${rss[@]}")
  D_CHUNKS_PER_S=$(median "${rates[@]}")
  C_WALL=$(median "${cwalls[@]}") C_CPU=$(median "${ccpus[@]}")
}

# ---------------------------------------------------------------- idle

bench_idle() {
  local runs=() before
  start_server
  for _ in $(seq "$BIG_RUNS"); do
    start_updater
    wait_mark "$WORK/updater.log" result-line 20 || die "no result line"
    before=$(cpu_seconds "$updater")
    sleep 20
    runs+=("$(calc "%.2f" "($(cpu_seconds "$updater") - $before) / 20 * 100")")
    stop_updater
  done
  IDLE_PCT=$(median "${runs[@]}")
}

# ---------------------------------------------------------------- run and report

# The Linux figures, one function per group, in the order of the table. Each sets the
# variables that the table reads; a build for another system gets a function of its own beside
# this one, with its own references.
bench_linux() {
  echo "bench: start-up and check latency, $RUNS runs each ..." >&2
  bench_start_and_check
  echo "bench: 64 MiB at 16 MiB/s, $DOWNLOAD_RUNS runs each ..." >&2
  bench_download $((64 * MiB)) "$THROTTLED_RATE" "$DOWNLOAD_RUNS"
  T_WALL=$D_WALL T_CPU=$D_CPU T_OUT=$D_OUTCOME T_CWALL=$C_WALL T_CCPU=$C_CPU T_RATE=$D_CHUNKS_PER_S
  echo "bench: 24 MiB unthrottled ..." >&2
  bench_download $((24 * MiB)) 0 "$DOWNLOAD_RUNS"
  U_WALL=$D_WALL U_CPU=$D_CPU U_OUT=$D_OUTCOME U_CWALL=$C_WALL U_CCPU=$C_CPU U_RATE=$D_CHUNKS_PER_S
  echo "bench: 64 MiB unthrottled ..." >&2
  bench_download $((64 * MiB)) 0 "$DOWNLOAD_RUNS"
  F_OUT=$D_OUTCOME F_RATE=$D_CHUNKS_PER_S F_CWALL=$C_WALL
  echo "bench: peak memory, 1 MiB and 1 GiB (at $((BIG_RATE / MiB)) MiB/s) ..." >&2
  bench_download "$MiB" 0 "$DOWNLOAD_RUNS"
  SMALL_RSS=$D_RSS_KIB SMALL_OUT=$D_OUTCOME
  bench_download $((1024 * MiB)) "$BIG_RATE" "$BIG_RUNS"
  BIG_RSS=$D_RSS_KIB BIG_OUT=$D_OUTCOME
  echo "bench: idle CPU over 20 s after the check, $BIG_RUNS runs ..." >&2
  bench_idle
}

# The Windows build under Wine, against references of its own (bench/wine-bench.sh), with the
# demo server of the Linux build above on the same port: this run's server stops first.
bench_windows() {
  if [ -n "$server" ]; then kill "$server" && wait "$server" 2>/dev/null || true; fi
  server=""
  echo "bench: the Windows build under Wine ..." >&2
  LARKSPAN_BENCH_PORT=$PORT bench/wine-bench.sh "$BUILD" "$RUNS" >"$WORK/windows.md"
}

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
bench_linux
bench_windows
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

verdict() { awk "BEGIN { print ($1) ? \"met\" : \"MISSED\" }"; }
START_LIMIT=$(calc "%.1f" "1.3 * $TEXT_MS")
CPU_LIMIT=$(calc "%.4f" "5 * $T_CCPU / 64")
CHECK_LIMIT=$(calc "%.1f" "200 + 2 * $CURL3_MS")
WALL_LIMIT=$(calc "%.3f" "1.05 * $T_CWALL")
RSS_LIMIT=$(calc "%.1f" "$SMALL_RSS / 1024 + 16")

table() {
  cat <<EOF
| figure | updater | reference | target | |
| --- | --- | --- | --- | --- |
| start-up: process start to first paint of the update window | $START_MS ms | bare Qt 6 window ${WINDOW_W}x${WINDOW_H} with one line of text: $TEXT_MS ms | <= 1.3 x = $START_LIMIT ms | $(verdict "$START_MS <= $START_LIMIT") |
| start-up: the same, against the window without text | $START_MS ms | bare window without text: $BARE_MS ms | | $(calc "%.2f" "$START_MS / $BARE_MS") x |
| start-up: process start to the end of that first frame | $FRAME_MS ms | with text: $TEXT_FRAME_MS ms; without: $BARE_FRAME_MS ms | | |
| check latency: window load to result line | $CHECK_MS ms | curl, the same 3 requests: $CURL3_MS ms | <= 200 + 2 x = $CHECK_LIMIT ms | $(verdict "$CHECK_MS <= $CHECK_LIMIT") |
| 64 MiB at 16 MiB/s: wall time, request to saved file | $T_WALL s ($T_OUT) | curl -o: $T_CWALL s | <= 1.05 x = $WALL_LIMIT s | $(verdict "$T_WALL <= $WALL_LIMIT") |
| 64 MiB at 16 MiB/s: CPU per MiB | $(calc "%.4f" "$T_CPU / 64") s | curl -o: $(calc "%.4f" "$T_CCPU / 64") s | <= 5 x = $CPU_LIMIT s | $(verdict "$T_CPU <= 5 * $T_CCPU") |
| 64 MiB at 16 MiB/s: chunks per second | $T_RATE | 16384 sent | | |
| 24 MiB unthrottled: wall time | $U_WALL s ($U_OUT) | curl -o: $U_CWALL s | | |
| 24 MiB unthrottled: CPU per MiB | $(calc "%.4f" "$U_CPU / 24") s | curl -o: $(calc "%.4f" "$U_CCPU / 24") s | | |
| 24 MiB unthrottled: chunks per second | $U_RATE | | | |
| 64 MiB unthrottled: outcome | $F_OUT | curl -o: complete in $F_CWALL s | stops beyond 32767 chunks in one second | |
| 64 MiB unthrottled: chunks per second until the end | $F_RATE | | | |
| peak resident memory, 1 MiB installer | $(calc "%.1f" "$SMALL_RSS / 1024") MiB ($SMALL_OUT) | | | |
| peak resident memory, 1 GiB installer at $((BIG_RATE / MiB)) MiB/s | $(calc "%.1f" "$BIG_RSS / 1024") MiB ($BIG_OUT) | 1 MiB run + 16 MiB | <= $RSS_LIMIT MiB | $(verdict "$BIG_RSS / 1024 <= $RSS_LIMIT") |
| idle CPU, 20 s after the check | $IDLE_PCT % | | < 1 % | $(verdict "$IDLE_PCT < 1") |
EOF
}

machine() {
  local cpu
  cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
  echo "Machine: $cpu, $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) RAM;" \
    "Linux $(uname -r); Debian $(cat /etc/debian_version); Qt $(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null);" \
    "$(curl --version | head -n 1 | cut -d' ' -f1-2); load average $LOAD_BEFORE before, $LOAD_AFTER after."
  echo "Program: $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo "not a git checkout")$(
    git -C "$ROOT" diff --quiet HEAD -- src 2>/dev/null || echo ", with changes in src/ not yet committed")," \
    "built with -DLARKSPAN_TIMING=ON."
  echo "Medians of $RUNS runs (start-up, check), $DOWNLOAD_RUNS (downloads), $BIG_RUNS (1 GiB, idle)."
}

REPORT=$WORK/report.md
{
  echo "## $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo
  machine
  echo
  table
  echo
  cat "$WORK/windows.md"
} >"$REPORT"
cat "$REPORT"

if $RECORD; then
  results=bench/RESULTS.md
  [ -f "$results" ] || printf '# Benchmark results\n\nFigures of scripts/bench.sh, newest first.\n' >"$results"
  # The new section goes above the previous ones.
  awk -v report="$REPORT" '!done && /^## / { while ((getline line < report) > 0) print line; print ""; done = 1 }
    { print } END { if (!done) { print ""; while ((getline line < report) > 0) print line } }' \
    "$results" >"$WORK/results.md"
  cp "$WORK/results.md" "$results"
  echo "bench: recorded in $results" >&2
fi
