# Shared steps of scripts/bench.sh and bench/wine-bench.sh: figures, the program's timing marks
# (standard error lines "larkspan-timing <event> <wall us> <cpu us> <peak KiB> <value>", with
# a carriage return under Windows), and the demo server. The caller sets WORK, PORT, URL_BASE
# and DEMO_SERVER, and a variable `server` that holds the server's process id.
# shellcheck shell=bash

die() {
  echo "bench: $*" >&2
  exit 1
}

now_us() { echo "${EPOCHREALTIME/./}"; }

median() {
  printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1}
    END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

calc() { awk "BEGIN { printf \"$1\", $2 }"; }

# Field $3 (1 wall us, 2 cpu us, 3 peak KiB, 4 value) of the first mark matching $2 in file $1.
mark() {
  awk -v event="^($2)\$" -v field="$3" '{ sub(/\r$/, "") }
    $1 == "larkspan-timing" && $2 ~ event { print $(field + 2); exit }' "$1"
}
mark_name() {
  awk -v event="^($2)\$" '{ sub(/\r$/, "") } $1 == "larkspan-timing" && $2 ~ event { print $2; exit }' "$1"
}

# Waits up to $3 seconds for a mark matching $2 in file $1.
wait_mark() {
  local deadline=$((SECONDS + $3))
  while [ $SECONDS -le $deadline ]; do
    grep -Eaq "^larkspan-timing ($2) " "$1" 2>/dev/null && return 0
    sleep 0.02
  done
  return 1
}

# (Re)starts the demo server with the options given.
start_server() {
  if [ -n "$server" ]; then
    kill "$server"
    wait "$server" 2>/dev/null || true
  fi
  "$DEMO_SERVER" --port "$PORT" "$@" >"$WORK/server.log" 2>&1 &
  server=$!
  for _ in $(seq 100); do
    curl -s -o /dev/null "$URL_BASE/" && return 0
    sleep 0.05
  done
  die "demo server did not start: $(cat "$WORK/server.log")"
}

# CPU seconds (every thread) that process $1 has used so far.
cpu_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); print ($12 + $13) / hz }' "/proc/$1/stat"
}

# The wine server of prefix $1 (other prefixes may have servers of their own).
wineserver_pid() {
  local pid
  for pid in $(pgrep -f "^/usr/lib/wine/wineserver"); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$1"; then
      echo "$pid"
      return
    fi
  done
  die "no wine server for $1"
}

# Starts the Wine prefix of WINE_RUN on a display of its own, the run's folder WORK in it, and
# at the end stops the processes named in `program`, `server` and `keeper`, the prefix, and
# removes the folder.
start_wine_run() {
  cleanup() {
    for p in $program $server ${keeper:-}; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    "${WINE_RUN[@]}" --stop
    rm -rf "$WORK"
  }
  trap cleanup EXIT
  "${WINE_RUN[@]}" --start
  mkdir -p "$WORK"
  DISPLAY=$(cat "${WINE_RUN[2]}/.display")
  export DISPLAY
}
