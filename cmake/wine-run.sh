#!/bin/sh
# Runs Windows programs under Wine in a private prefix:
#   wine-run.sh --prefix <folder> [--report] <program.exe> [arguments...]
#   wine-run.sh --prefix <folder> [--report] --start     (before a test run)
#   wine-run.sh --prefix <folder> [--report] --stop      (after it)
# The program takes the script's place, so that a signal to it reaches the program; with
# --report (the tests' runs) the script waits for it instead and says how a failed one ended.
# --start gives the prefix a display of its own (Xvfb) and a wine server that stays until
# --stop, so that every program in between shares them and windows can show. Without it a
# program runs without a display; the first run sets the prefix up (about 15 s).
set -eu
[ "${1:-}" = --prefix ] && [ $# -ge 3 ] || {
  echo "usage: $0 --prefix <folder> [--report] (<program> [args] | --start | --stop)" >&2
  exit 2
}
WINEPREFIX=$2
shift 2
report=false
[ "$1" = --report ] && report=true && shift
# Wine maps file names through the Unix locale's character set, and takes the Windows user
# locale from it. A minimal machine sets no locale at all, and the C locale holds no character
# beyond ASCII: give Wine the UTF-8 one that Debian always has. A UTF-8 locale that the caller
# chose (a test's German user, say) stays.
case $(locale charmap 2>/dev/null) in
  UTF-8) ;;
  *) LC_ALL=C.UTF-8 && export LC_ALL ;;
esac
# Of Wine's own messages only its errors come through, so that a program that cannot start (a
# DLL not found or failing to start up, say) tells why; not WinINet's, which the fault tests
# cause on purpose.
export WINEPREFIX WINEDEBUG=-all,err+all,err-wininet WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
mkdir -p "$WINEPREFIX"
[ -s "$WINEPREFIX/.display" ] && DISPLAY=$(cat "$WINEPREFIX/.display") && export DISPLAY

case "$1" in
  --start)
    rm -f "$WINEPREFIX/.display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WINEPREFIX/.display-number" \
      >/dev/null 2>&1 &
    echo $! >"$WINEPREFIX/.xvfb-pid"
    until [ -s "$WINEPREFIX/.display-number" ]; do sleep 0.1; done
    DISPLAY=:$(cat "$WINEPREFIX/.display-number")
    export DISPLAY
    # The set-up goes on in the background after wineboot returns: wait for all of it. Then
    # start the server and Wine's own services for the run here, with their output going
    # nowhere; started by the first test instead, they would hold its output open, and CTest
    # would wait for it until the time-out.
    { "$wine" wineboot --init && "$server" -w && "$server" -p && "$wine" wineboot; } \
      >/dev/null 2>&1
    echo "$DISPLAY" >"$WINEPREFIX/.display"
    exit 0
    ;;
  --stop)
    "$server" -k 2>/dev/null || true
    [ -s "$WINEPREFIX/.xvfb-pid" ] && kill "$(cat "$WINEPREFIX/.xvfb-pid")" 2>/dev/null || true
    rm -f "$WINEPREFIX/.display" "$WINEPREFIX/.display-number" "$WINEPREFIX/.xvfb-pid"
    exit 0
    ;;
esac

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Programs started together wait for one set-up of the prefix.
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || { "$wine" wineboot --init && "$server" -w; } >/dev/null 2>&1
  ) 9>"$WINEPREFIX/.setup-lock"
fi
$report || exec "$wine" "$@"
"$wine" "$@" || {
  status=$?
  echo "wine-run.sh: ${1##*/} ended with status $status" >&2
  exit $status
}
