# Steps that the end-to-end tests of both builds share: waiting, failing with a picture,
# finding, clicking and photographing windows on the test's X display, the demo server, and
# the real servers (nginx, squid) of tests/servers. Sourced by lib.sh (the Linux program) and
# wine/lib.sh (the Windows one under Wine), which set WORK, SHOTS, PORT and DEMO_SERVER first,
# and define use_proxy.
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

# Without a namespace of its own the test shares the port with the machine: wait until it is free.
port_free() { ! curl -s -o /dev/null --max-time 1 "http://127.0.0.1:$PORT/"; }

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

# The check and the download of the release (served from file $2) through the proxy at $1
# (HOST:PORT, or USER:PASSWORD@HOST:PORT, squid's folder in SQUID_DIR), which use_proxy sets as
# the platform has it: the check offers it, the installer arrives byte for byte in the offered
# file $3, the program ends, and squid's log shows that it passed the update information and
# the installer on, to user $4 ("-" for no one).
journey_through_proxy() {
  use_proxy "$1"
  start_updater "Vantrel*3.1*0101000*$INFO_URL"
  open_download 30 "$WORK/offer.png"
  send "$(wait_window Save)" key Return # the name offered in the desktop folder
  wait_for 60 "the installer saved whole through the proxy" cmp -s "$3" "$2"
  close_both_windows
  for path in vantrel/update.txt vantrel/VantrelSetup.exe; do
    grep -q "TCP_MISS/200 [0-9]* GET http://127.0.0.1:[0-9]*/$path $4 " "$SQUID_DIR/access.log" ||
      fail "squid did not pass /$path on to user $4: $(cat "$SQUID_DIR/access.log")"
  done
  rm "$3"
}

# The journey through squid twice, with the installer served from file $1 and saved in the
# offered file $2: through an open proxy, then through one that asks for a password.
proxy_journeys() {
  start_site "$1" vantrel/VantrelSetup.exe
  start_squid
  journey_through_proxy "127.0.0.1:$SQUID_PORT" "$1" "$2" -
  start_squid larkspan:secret
  journey_through_proxy "larkspan:secret@127.0.0.1:$SQUID_PORT" "$1" "$2" larkspan
  tail -n 4 "$SQUID_DIR/access.log" "$SERVERS/nginx-access.log"
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

# The update window $1 after a check that offers the release: waits up to $2 s for its
# Download button, keeps the settled picture in $3 and checks that the news came with it.
expect_offer() {
  local window=$1 picture=$3
  offered() { shot "$window" "$WORK/up.png" && ! area_flat "$WORK/up.png" $DOWNLOAD_BUTTON; }
  wait_for "$2" "the Download button after the check" offered
  settled_shot "$window" "$picture"
  if area_flat "$picture" $NEWS_BOX; then fail "no news after the check"; fi
}

# The update window after a check that offers the release within $1 s (its settled picture in
# $2), then the download window that its Download button opens: sets $update and $down.
open_download() {
  update=$(wait_window "Update Manager")
  expect_offer "$update" "$1" "$2"
  click_at "$update" $DOWNLOAD_AT
  down=$(wait_window "Download Manager [0-9]")
}

# The update window $1 in the no-connection display, kept in picture $2: the error line and
# three lines of explanation in the news box, and no Download button.
expect_no_connection() {
  local window=$1 picture=$2 lines
  news_shown() { shot "$window" "$WORK/update.png" && ! area_flat "$WORK/update.png" $NEWS_BOX; }
  wait_for 30 "text in the news box" news_shown
  settled_shot "$window" "$picture"
  lines=$(text_lines "$picture" $NEWS_BOX)
  [ "$lines" = 4 ] || fail "$lines lines in the news box, not the error line and three more"
  area_flat "$picture" $DOWNLOAD_BUTTON || fail "a Download button"
}

# The refusal message box $1, kept in picture $2: it shows something, the program waits for
# it, Return ends the program normally, and nothing was fetched.
expect_refusal() {
  shot "$1" "$2"
  if area_flat "$2" 100x40+0+0; then fail "the message shows nothing"; fi
  updater_running || fail "the program did not wait for the message"
  send "$1" key Return
  expect_clean_exit "Return ends the program"
  if grep -q vantrel "$WORK/demo.log"; then fail "a refused command line still fetched"; fi
}

# Vantrel's language setting, as a literal: a typo in the program's own key path shows here.
LANGUAGE_KEY='HKCU\Software\Quillmere\Vantrel 2009\{KTD270391-KLP0198273645-KPID3917264-MTD090471-MLP0178264519-MPID3926618}'
# Started with no argument while the language setting ($1 writes it) names a file that is not
# there: the language is still loaded first, its message shows, and then the program ends
# quietly without a window.
expect_language_message_first() {
  "$@" add "$LANGUAGE_KEY" /v "Default Language" /d Missing.lng /f >/dev/null 2>&1 ||
    fail "could not write the language setting"
  start_updater
  local message
  message=$(wait_window "Quillmere - Larkspan")
  send "$message" key Return
  expect_clean_exit "the quiet end after the language's message"
}

# The session ends (the rest of the arguments end it) while a download in window $1 to file $2
# waits for a server that stalled after 5 of the installer's 10 kilobytes: the program ends
# cleanly, and the file holds every kilobyte it counted (at least the first, which the window
# shows), though it had not written any of them out yet.
STALLED_AFTER_5_KB=(--scenario stalled-body --installer-size 10000 --rate 20000)
expect_counted_bytes_kept_at_session_end() {
  local down=$1 saved=$2 size
  shift 2
  counting() { shot "$down" "$WORK/down.png" && ! area_flat "$WORK/down.png" 120x16+104+94; }
  wait_for 20 "the first kilobyte counted" counting
  sleep 1 # the rest of the five, as far as they come
  "$@" || fail "could not end the session"
  expect_clean_exit "the end with the session"
  size=$(stat -c %s "$saved")
  [ "$size" -ge 1024 ] && [ "$size" -le 5120 ] && [ $((size % 1024)) -eq 0 ] ||
    fail "$saved holds $size bytes, not the kilobytes counted"
}

# The journeys of a build with a release key (PROGRAM=larkspan-keyed). $1 is larkspan-publish,
# $2 the release's private key, $3 the installer, $4 where the Save dialog saves it, the rest a
# command that succeeds once Run File has started it. make --key signs the release and the
# demo server serves it: the check shows the result; a first download gets the installer with
# one byte changed and ends stopped, with nothing left under the chosen name or beside it; the
# server then serves the signed bytes, and a second download keeps them and offers Run File.
expect_keyed_journeys() {
  local publish=$1 key=$2 installer=$3 saved=$4 rate=400000
  shift 4
  cp "$installer" "$WORK/tampered.exe"
  printf '\377' | dd of="$WORK/tampered.exe" bs=1 seek=4000 conv=notrunc status=none
  cmp -s "$installer" "$WORK/tampered.exe" && fail "the byte did not change"
  echo "Signed" >"$WORK/news.txt"
  "$publish" make --edition 2026 --version 3.2 --build 0201000 --news "$WORK/news.txt" \
    --url "http://127.0.0.1:$PORT/vantrel/VantrelSetup.exe" --key "$key" --file "$installer" \
    -o "$WORK/update.txt" || fail "make --key refused the release"
  start_demo --update-file "$WORK/update.txt" --installer-file "$WORK/tampered.exe" --rate $rate
  local demo=${pids[-1]}
  start_updater "Vantrel*3.1*0101000*$INFO_URL"
  open_download 30 "$SHOTS/keyed-update-window.png"
  send "$(wait_window Save)" key Return
  wait_for 20 "the tampered installer arriving beside the chosen name" test -e "$saved.part"
  wait_for 20 "the tampered installer's end" eval '! test -e "$saved.part"'
  [ ! -e "$saved" ] || fail "the tampered installer was kept under the chosen name"
  shown "Download Manager [0-9]" || fail "the download window closed by itself"
  click_at "$down" $RUN_FILE_AT # Cancel, as the download stopped: closes without a question
  wait_for 10 "Cancel closes the stopped download" eval '! shown "Download Manager"'

  kill "$demo" # for a demo server that serves the signed bytes
  start_demo --update-file "$WORK/update.txt" --installer-file "$installer" --rate $rate
  click_at "$update" $DOWNLOAD_AT
  down=$(wait_window "Download Manager [0-9]")
  send "$(wait_window Save)" key Return
  wait_for 20 "the signed installer saved" cmp -s "$installer" "$saved"
  click_at "$down" $RUN_FILE_AT
  wait_for 20 "Run File starting the signed installer" "$@"
  click_at "$down" $CLOSE_AT
  click_at "$update" $CANCEL_AT
  expect_clean_exit "Cancel of the update window ends the program"
}
