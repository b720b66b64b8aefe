# Shared steps of the end-to-end tests: the real program under its own Xvfb display, the demo
# update server on the deployment port, a private home folder, and a stub xdg-open that
# records what the program asked it to open. Sourced by the *_e2e.sh scripts, which use the
# places and values set here.
# shellcheck shell=bash disable=SC2034,SC2120
#
# Where the kernel allows it, each test runs in a network namespace of its own, so the
# deployment port belongs to this test alone: a demo server started by hand, or another
# build's tests, cannot answer the probes. (Not a process namespace: Xvfb's display locks hold
# process ids, which must mean the same inside and outside.)
set -euo pipefail

if [ -z "${LARKSPAN_E2E_ISOLATED:-}" ]; then
  export LARKSPAN_E2E_ISOLATED=no
  if unshare --user --map-root-user --net true 2>/dev/null; then
    LARKSPAN_E2E_ISOLATED=yes exec unshare --user --map-root-user --net bash "$0" "$@"
  fi
fi

: "${LARKSPAN_BINARY_DIR:?set by CTest}"
: "${LARKSPAN_SOURCE_DIR:?set by CTest}"
BIN="$LARKSPAN_BINARY_DIR/bin"
PORT=$(sed -n 's/.*kDemoPort = \([0-9]*\);/\1/p' "$LARKSPAN_BINARY_DIR/generated/Deployment.h")
INFO_URL="http://127.0.0.1:$PORT/vantrel/update.txt"
WORK=$(mktemp -d /tmp/larkspan-e2e.XXXXXX)
SHOTS="$LARKSPAN_BINARY_DIR/e2e-shots"
mkdir -p "$SHOTS" "$WORK/home/Desktop" "$WORK/config" "$WORK/runtime" "$WORK/stubs"
chmod 700 "$WORK/runtime"
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime"
unset XDG_DESKTOP_DIR
# The English language file, whatever the machine's language.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# xdg-open stub: records its arguments, one call a line.
cat >"$WORK/stubs/xdg-open" <<STUB
#!/bin/sh
echo "\$*" >>"$WORK/xdg-open.log"
STUB
chmod +x "$WORK/stubs/xdg-open"
export PATH="$WORK/stubs:$PATH"

# The client-pixel places of the controls that the tests read or click.
DOWNLOAD_BUTTON=(348 12 105 41) # inside the update window's Download button
NEWS_BOX=(20 74 410 160)        # inside the update window's news box, left of its scroll bar
PROGRESS_ROW=(10 49 453)         # the middle pixel row inside the download window's progress bar
RATE_VALUE=(104 118 120 16)     # the download window's transfer rate value
RIGHT_BUTTON=(250 146 101 26)   # inside the download window's Cancel / Run File place
UPDATE_CANCEL_AT=(232 472)
DOWNLOAD_AT=(400 32)
STOP_CLOSE_AT=(180 159)
CANCEL_RUN_AT=(300 159)

pids=()
cleanup() {
  local rc=$?
  local p deadline=$((SECONDS + 5))
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  # Whatever does not end on request within five seconds is killed, so the test never hangs.
  for p in "${pids[@]}"; do
    while kill -0 "$p" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    kill -KILL "$p" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  if [ "$rc" -eq 0 ]; then rm -rf "$WORK"; else echo "e2e: kept $WORK for a look" >&2; fi
}
trap cleanup EXIT

note() { echo "e2e: $*"; }

fail() {
  echo "FAIL: $*" >&2
  import -window root "$SHOTS/failure-$(basename "$0" .sh).png" 2>/dev/null || true
  for log in "$WORK"/*.log; do
    [ -f "$log" ] && { echo "--- $(basename "$log")" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

# Polls "$@" every 0.1 s until it succeeds; fails the test after $1 seconds with $2.
wait_for() {
  local limit=$1 what=$2
  shift 2
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "after ${limit} s: $what"
    sleep 0.1
  done
}

expect_eq() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }

bring_up_loopback() {
  # A new network namespace starts with its loopback down; SIOCSIFFLAGS with IFF_UP raises it.
  perl -MSocket -e 'socket(my $s, PF_INET, SOCK_DGRAM, 0) or die "socket: $!";
    my $ifr = pack("a16 s x22", "lo", 1); ioctl($s, 0x8914, $ifr) or die "loopback: $!"'
}

start_display() {
  if [ "$LARKSPAN_E2E_ISOLATED" = yes ]; then bring_up_loopback; fi
  exec 5< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  pids+=($!)
  local n
  read -r -t 10 n <&5 || fail "Xvfb did not start"
  export DISPLAY=":$n"
}

port_answers() { curl -s -o /dev/null --max-time 1 "http://127.0.0.1:$PORT/"; }

# Without a namespace of its own the test shares the port with the machine: wait for it.
wait_port_free() {
  local deadline=$((SECONDS + 60))
  while port_answers; do
    [ $SECONDS -lt $deadline ] || fail "port $PORT stays taken by another program"
    sleep 0.5
  done
}

start_demo() {
  wait_port_free
  "$BIN/larkspan-demo-server" --port "$PORT" "$@" >"$WORK/demo.log" 2>&1 &
  DEMO=$!
  pids+=("$DEMO")
  wait_for 10 "demo server listening" grep -q listening "$WORK/demo.log"
  kill -0 "$DEMO" 2>/dev/null || fail "demo server ended: $(cat "$WORK/demo.log")"
}

start_updater() {
  "$BIN/larkspan" "$@" >"$WORK/larkspan.log" 2>&1 &
  UPDATER=$!
  pids+=("$UPDATER")
}

updater_running() { kill -0 "$UPDATER" 2>/dev/null; }

# Prints the ids of the visible windows whose title matches $1.
visible_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

# Waits up to $2 seconds for a visible window whose title matches $1; prints its id.
wait_window() {
  local deadline=$((SECONDS + ${2:-10})) id
  while [ $SECONDS -le $deadline ]; do
    id=$(visible_windows "$1" | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

window_gone() { [ -z "$(visible_windows "$1")" ]; }

# Sets WX, WY (top-left of the window's client area on the screen; there is no window
# manager, so no frame) for window $1.
window_origin() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  WX=$X WY=$Y
}

# Clicks at client pixel ($2, $3) of window $1.
click_at() {
  window_origin "$1"
  timeout 10 xdotool mousemove --sync $((WX + $2)) $((WY + $3)) click 1 ||
    fail "click at $2,$3 of window $1"
}

# Gives window $1 the keyboard focus and presses the keys $2...
keys_to() {
  local id=$1
  shift
  timeout 10 xdotool windowfocus --sync "$id" || fail "no focus for window $id"
  xdotool key --clearmodifiers "$@"
}

type_to() {
  timeout 10 xdotool windowfocus --sync "$1" || fail "no focus for window $1"
  xdotool type --clearmodifiers --delay 5 "$2"
}

# The window's own pixels (client area only), or the whole screen.
window_shot() { import -window "$1" "$2"; }
shot() { import -window root "$1"; }

# Standard deviation (0..1) of the pixels of an area of picture $1: 0 for a flat colour.
area_variation() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -format '%[fx:standard_deviation]' info:
}

# True when the area ($2..$5) of picture $1 is one flat colour, give or take.
area_flat() { awk -v v="$(area_variation "$@")" 'BEGIN { exit !(v < 0.005) }'; }

# Number of text lines in an area ($2..$5) of picture $1 on a light background: runs of
# pixel rows that hold some dark pixel, separated by rows that hold none.
text_lines() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 70% -negate \
    -scale "1x$5!" -depth 16 txt:- |
    awk -F'[(),]' 'NR > 1 { ink = ($3 + 0 > 0); if (ink && !before) n++; before = ink }
                   END { print n + 0 }'
}

# Filled part (0..1) of the download window's progress bar in picture $1: the share of dark
# pixels along the middle row of the bar, where the empty part is white.
bar_filled() {
  convert "$1" -crop "${PROGRESS_ROW[2]}x1+${PROGRESS_ROW[0]}+${PROGRESS_ROW[1]}" +repage \
    -colorspace Gray -threshold 80% -format '%[fx:1-mean]' info:
}

# True when numbers $1 and $2 differ by less than $3.
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d < t && -d < t) }'; }

# Two pictures with the same pixels.
same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" = 0 ]; }

# Takes shots of window $1 into $2 until two in a row are equal, so that the picture does
# not catch the window half-painted; at most $3 seconds.
settled_shot() {
  local deadline=$((SECONDS + ${3:-5}))
  window_shot "$1" "$2"
  while [ $SECONDS -lt $deadline ]; do
    sleep 0.3
    window_shot "$1" "$2.next.png"
    if same_pixels "$2" "$2.next.png"; then
      rm -f "$2.next.png"
      return 0
    fi
    mv "$2.next.png" "$2"
  done
  fail "window $1 kept changing for ${3:-5} s"
}

# True when the program has ended within $1 seconds; sets EXIT_STATUS.
wait_exit() {
  local deadline=$((SECONDS + $1))
  while [ $SECONDS -le $deadline ]; do
    if ! updater_running; then
      EXIT_STATUS=0
      wait "$UPDATER" || EXIT_STATUS=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
