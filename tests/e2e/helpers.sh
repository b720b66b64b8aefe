# Steps that the end-to-end tests of both builds share: waiting, failing with a picture,
# finding, clicking and photographing windows on the test's X display, the demo server, and
# the real servers (nginx, squid) of tests/servers. Sourced by lib.sh (the Linux program) and
# wine/lib.sh (the Windows one under Wine), which set WORK, SHOTS, PORT, DEMO_SERVER, DESKTOP
# (the user's desktop folder), INSTALLER (a file to serve as the installer) and REG (the command
# that edits the registry) first, and define use_proxy, started (true once Run File has started
# file $1) and end_session.
# shellcheck shell=bash disable=SC2034,SC2086
# shellcheck source=tests/servers/servers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../servers/servers.sh"

# Client-pixel places that the tests read (areas WxH+X+Y) or click (X Y): in the update window,
DOWNLOAD_BUTTON=105x41+348+12 # inside the Download button
NEWS_BOX=410x160+20+74        # inside the news box, left of its scroll bar
DOWNLOAD_AT="400 32"
CANCEL_AT="232 472"
# and in the download window, where Run File and Close take the places of Cancel and Stop.
RUN_FILE_AT="300 159"
CLOSE_AT="180 159"

pids=()
on_exit=() # a command that the test's end runs too, however it ends
cleanup() {
  local rc=$?
  [ ${#on_exit[@]} -eq 0 ] || "${on_exit[@]}" || true
  # Up to 5 s to end on request (squid's shutdown takes seconds), then no more asking.
  kill "${pids[@]}" 2>/dev/null || true
  for _ in {1..50}; do kill -0 "${pids[@]}" 2>/dev/null && sleep 0.1 || break; done
  pkill -KILL -P "$(IFS=, && echo "${pids[*]}")" 2>/dev/null || true # nginx's worker, say
  kill -KILL "${pids[@]}" 2>/dev/null || true
  if [ "$rc" -eq 0 ]; then rm -rf "$WORK" "$SERVERS"; else echo "e2e: kept $WORK, $SERVERS" >&2; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  import -window root "$SHOTS/failure-$(basename "$0" .sh).png" 2>/dev/null || true
  tail -n 20 "$WORK"/*.log >&2 2>/dev/null || true
  exit 1
}

# Polls "$@" every 0.1 s until it succeeds; fails the test after $1 seconds with $2.
wait_for() {
  local limit=$1 what=$2 deadline=$((SECONDS + $1))
  shift 2
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "$what: not within $limit s"
    sleep 0.1
  done
}

# Without a namespace of its own the test shares the port with the machine: wait until it is free,
# as a server binds it (a listener still shutting down holds it and may answer nothing).
port_free() {
  python3 -c 'import socket, sys; s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); s.bind(("127.0.0.1", int(sys.argv[1])))' \
    "$PORT" 2>/dev/null
}

start_demo() {
  wait_for 60 "port $PORT free" port_free
  "$DEMO_SERVER" --port "$PORT" "$@" >"$WORK/demo.log" 2>&1 &
  pids+=($!)
  wait_for 10 "the demo server listening" grep -q listening "$WORK/demo.log"
}

# nginx serving the release, the installer file $1 at path $2 of the site, on a free port and
# on the deployment port, where the program probes and the update information is.
start_site() {
  wait_for 60 "port $PORT free" port_free
  start_nginx "$PORT" || fail "nginx did not start"
  serve_release "$1" "$2" vantrel/update.txt
}

# The Save dialog's offered name is taken, the question about that existing file answered No,
# and the dialog, shown again, takes the path $1, typed after the keys $2 clear the name.
save_elsewhere() {
  send "$(wait_window Save)" key Return            # the name offered
  send "$(wait_window "Download Manager\$")" key n # the question: No (Esc does not answer it)
  local dialog
  dialog=$(wait_window Save)
  send "$dialog" key $2
  send "$dialog" type --delay 20 "$1"
  send "$dialog" key Return
}

# Close of the download window returns to the update window, whose Cancel ends the program.
close_both_windows() {
  click_at "$down" $CLOSE_AT
  wait_for 10 "Close closes the download window" eval '! shown "Download Manager"'
  shown "Update Manager" || fail "the update window went with it"
  click_at "$update" $CANCEL_AT
  expect_clean_exit "Cancel of the update window ends the program"
}

# The check and the download of the release through the proxy at $1 (HOST:PORT, or
# USER:PASSWORD@HOST:PORT, squid's folder in SQUID_DIR), which use_proxy sets as the platform has
# it: the check offers it, the installer arrives byte for byte in the offered file, the program
# ends, and squid's log shows that it passed the update information and the installer on, to
# user $2 ("-" for no one).
journey_through_proxy() {
  use_proxy "$1"
  start_updater "Vantrel*3.1*0101000*$INFO_URL"
  open_download 30 "$WORK/offer.png"
  send "$(wait_window Save)" key Return # the name offered in the desktop folder
  wait_for 60 "the installer saved whole through the proxy" \
    cmp -s "$DESKTOP/VantrelSetup.exe" "$INSTALLER"
  close_both_windows
  for path in vantrel/update.txt vantrel/VantrelSetup.exe; do
    grep -q "TCP_MISS/200 [0-9]* GET http://127.0.0.1:[0-9]*/$path $2 " "$SQUID_DIR/access.log" ||
      fail "squid did not pass /$path on to user $2: $(cat "$SQUID_DIR/access.log")"
  done
  rm "$DESKTOP/VantrelSetup.exe"
}

updater_running() { kill -0 "$UPDATER" 2>/dev/null; }

# Waits for the program to end by itself; fails unless it ended with status 0.
expect_clean_exit() {
  wait_for 10 "$1" eval '! updater_running'
  wait "$UPDATER" || fail "exit status $?"
}

# (Bounded: a search that meets a window going away can wait for ever; the caller asks again.)
window_id() { timeout 5 xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
shown() { [ -n "$(window_id "$1")" ]; }
# Prints the id of the visible window whose title matches $1, once there is one.
wait_window() { wait_for 15 "a window named $1" shown "$1" && window_id "$1"; }

# Clicks at client pixel ($2, $3) of window $1; without a window manager there is no frame.
click_at() {
  local X Y WIDTH HEIGHT SCREEN WINDOW geometry
  geometry=$(timeout 5 xdotool getwindowgeometry --shell "$1") || fail "no window $1"
  eval "$geometry"
  # The X server takes the move before the click. (Not --sync: that waits for the pointer to
  # move, and it may be there already from the previous test on the same display.)
  timeout 10 xdotool mousemove $((X + $2)) $((Y + $3)) sleep 0.1 click 1 || fail "click at $2 $3"
}

# Focuses window $1 and sends it `xdotool key ...` or `xdotool type ...` ($2 and on).
send() {
  timeout 10 xdotool windowfocus --sync "$1" || fail "no focus for window $1"
  xdotool "$2" --clearmodifiers "${@:3}"
}

# The window's client area only.
shot() { timeout 10 import -window "$1" "$2"; }

# True when area $2 of picture $1 is one flat colour, give or take.
area_flat() {
  convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:standard_deviation<0.005]' info: |
    grep -q 1
}

# Number of text lines in area $2 of picture $1 on a light background: runs of pixel rows that
# hold some dark pixel, separated by rows that hold none.
text_lines() {
  local height=${2#*x}
  convert "$1" -crop "$2" +repage -colorspace Gray -threshold 70% -negate \
    -scale "1x${height%%+*}!" -depth 16 txt:- |
    awk -F'[(),]' 'NR > 1 { ink = ($3 + 0 > 0); if (ink && !before) n++; before = ink }
                   END { print n + 0 }'
}

# Filled part (0..1) of the download window's progress bar in picture $1: the share of dark
# pixels along the middle pixel row inside the bar, where the empty part is white.
bar_filled() {
  convert "$1" -crop 453x1+10+49 +repage -colorspace Gray -threshold 80% -format '%[fx:1-mean]' \
    info:
}

# True when the numbers (or sums) $1 and $2 differ by less than $3.
near() { awk "BEGIN { d = $1 - ($2); exit !(d < $3 && -d < $3) }"; }

same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" = 0 ]; }

# A shot of window $1 into $2 once two in a row are equal, so that it is not half-painted.
settled_shot() {
  for _ in {1..15}; do
    shot "$1" "$WORK/before.png" && sleep 0.3 && shot "$1" "$2"
    if same_pixels "$WORK/before.png" "$2"; then return 0; fi
  done
  fail "window $1 kept changing"
}

# The update window after a check that offers the release within $1 s, with the news: its
# settled picture in $2. Then the download window that its Download button opens. Sets $update
# and $down.
open_download() {
  update=$(wait_window "Update Manager")
  offered() { shot "$update" "$WORK/up.png" && ! area_flat "$WORK/up.png" $DOWNLOAD_BUTTON; }
  wait_for "$1" "the Download button after the check" offered
  settled_shot "$update" "$2"
  if area_flat "$2" $NEWS_BOX; then fail "no news after the check"; fi
  click_at "$update" $DOWNLOAD_AT
  down=$(wait_window "Download Manager [0-9]")
}
