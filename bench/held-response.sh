#!/usr/bin/env bash
# CPU that the download window spends while the server holds its response: the updater of a
# build checks against a local server that answers the probes and the update information at
# once but never answers the installer's request; after the Download click the updater waits
# for that response, and its process's CPU time (every thread) is taken over $2 seconds.
#   bench/held-response.sh <build folder> [seconds, default 10]
# A Linux build runs on a display of its own; a Windows build (bin/larkspan.exe) under Wine in
# the build's prefix. The server is python3's, on the build's deployment port. Prints one line.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(cd "${1:?usage: bench/held-response.sh <build folder> [seconds]}" && pwd)
SECONDS_HELD=${2:-10}
# shellcheck source=bench/lib.sh
source bench/lib.sh
PORT=$(sed -n 's#.*kCompanyUrl\[\] = "http://127\.0\.0\.1:\([0-9]*\)/";#\1#p' \
  "$BUILD/generated/Deployment.h")
[ -n "$PORT" ] || die "the build's maker's site is not on 127.0.0.1"
WORK=$(mktemp -d /tmp/larkspan-held.XXXXXX)
server="" xvfb="" updater="" wine=false
[ -x "$BUILD/bin/larkspan.exe" ] && wine=true
WINE_RUN=("$ROOT/cmake/wine-run.sh" --prefix "$BUILD/wine-prefix")
cleanup() {
  for p in $updater $server $xvfb; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if $wine; then "${WINE_RUN[@]}" --stop; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

python3 - "$PORT" >"$WORK/server.log" 2>&1 <<'PY' &
import sys, threading, http.server
port = int(sys.argv[1])
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path.startswith("/held"):
            threading.Event().wait()  # the request is taken and never answered
        body = b"site"
        if self.path.endswith("/update.txt"):
            body = f"2026#9.9#0101001#http://127.0.0.1:{port}/held/Setup.exe#news".encode()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
http.server.ThreadingHTTPServer.daemon_threads = True
http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler).serve_forever()
PY
server=$!
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$PORT/" && break; sleep 0.05; done

ARGS="Vantrel*3.1*0101000*http://127.0.0.1:$PORT/vantrel/update.txt"
if $wine; then
  "${WINE_RUN[@]}" --start
  DISPLAY=$(cat "$BUILD/wine-prefix/.display")
  export DISPLAY
  "${WINE_RUN[@]}" "$BUILD/bin/larkspan.exe" "$ARGS" >/dev/null 2>&1 &
else
  mkdir -p "$WORK/home/Desktop"
  exec 5< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  xvfb=$!
  read -r -t 10 display <&5 || die "Xvfb did not start"
  export DISPLAY=":$display"
  HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK \
    "$BUILD/bin/larkspan" "$ARGS" >/dev/null 2>&1 &
fi
updater=$!
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name 'Update Manager' 2>/dev/null | head -n 1) && break
  sleep 0.1
done
[ -n "${window:-}" ] || die "no update window"
sleep 2 # the check
eval "$(xdotool getwindowgeometry --shell "$window")"
# The Download button. The pointer then leaves the windows: under Wine a pointer resting on a
# themed control makes Wine poll it.
xdotool mousemove --sync $((X + 400)) $((Y + 32)) click 1
# Return in the Save dialog takes the offered name on the desktop (keys reach a window under
# the pointer only, as there is no window manager).
for _ in $(seq 100); do
  dialog=$(xdotool search --onlyvisible --name '^Save' 2>/dev/null | head -n 1) && break
  sleep 0.1
done
[ -n "${dialog:-}" ] || die "no Save dialog"
eval "$(xdotool getwindowgeometry --shell "$dialog")"
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + 4)) sleep 0.3 key Return mousemove 1000 10
sleep 1
xdotool search --onlyvisible --name 'Download Manager' >/dev/null || die "no download window"
# Under Wine, the wine server of the build's prefix works for the program too.
helper=""
if $wine; then
  for pid in $(pgrep -f "^/usr/lib/wine/wineserver"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null |
      grep -qx "WINEPREFIX=$BUILD/wine-prefix" && helper=$pid
  done
  [ -n "$helper" ] || die "no wine server for $BUILD/wine-prefix"
fi
before=$(cpu_seconds "$updater") helper_before=$([ -z "$helper" ] || cpu_seconds "$helper")
sleep "$SECONDS_HELD"
after=$(cpu_seconds "$updater") helper_after=$([ -z "$helper" ] || cpu_seconds "$helper")
calc "held response, %s: %.2f CPU s over $SECONDS_HELD s (%.1f %% of a core)" \
  "\"$($wine && echo "larkspan.exe under Wine" || echo "larkspan")\", $after - $before, \
  ($after - $before) / $SECONDS_HELD * 100"
if [ -n "$helper" ]; then
  calc "; the wine server's share: %.2f CPU s" "$helper_after - $helper_before"
fi
echo
