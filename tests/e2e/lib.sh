# Shared steps of the end-to-end tests: the real program under its own Xvfb display, the demo
# update server on the deployment port, a private home folder, and an xdg-open stand-in that
# records what the program asked it to open. Sourced by the *_e2e.sh scripts.
# shellcheck shell=bash disable=SC2034,SC2086
#
# Where the kernel allows it, each test runs in a network namespace of its own, so that the
# deployment port belongs to this test alone. (Not a process namespace: Xvfb's display locks
# hold process ids, which must mean the same inside and outside.) Other users than root need a
# user namespace for it, where squid cannot take another user: a test that sets E2E_SQUID then
# shares the machine's network.
set -euo pipefail
# The Windows build runs the same journeys with larkspan.exe under Wine.
if [ "${LARKSPAN_E2E_PLATFORM:-}" = wine ]; then
  # shellcheck source=tests/e2e/wine/lib.sh
  source "$(dirname "${BASH_SOURCE[0]}")/wine/lib.sh" && return
fi
if [ -z "${LARKSPAN_E2E_ISOLATED:-}" ]; then
  export LARKSPAN_E2E_ISOLATED=no
  isolate=(unshare --net)
  [ "$(id -u)" = 0 ] || isolate=(${E2E_SQUID:+false} unshare --user --map-root-user --net)
  if "${isolate[@]}" true 2>/dev/null; then
    LARKSPAN_E2E_ISOLATED=yes exec "${isolate[@]}" bash "$0" "$@"
  fi
fi

# A test that sets E2E_PRIVATE_BUS gets a D-Bus session of its own (inside the namespace, whose
# abstract sockets are its own too), for the accessibility bus that screen readers use.
if [ -n "${E2E_PRIVATE_BUS:-}" ] && [ -z "${E2E_BUS_STARTED:-}" ]; then
  E2E_BUS_STARTED=yes exec dbus-run-session -- bash "$0" "$@"
fi

BIN="${LARKSPAN_BINARY_DIR:?set by CTest}/bin"
DEMO_SERVER="$BIN/larkspan-demo-server"
# shellcheck source=tests/e2e/port.sh
source "$(dirname "${BASH_SOURCE[0]}")/port.sh"
WORK=$(mktemp -d /tmp/larkspan-e2e.XXXXXX) # mode 700, as a runtime folder must be
DESKTOP="$WORK/home/Desktop"
mkdir -p "$SHOTS" "$DESKTOP" "$WORK/config" "$WORK/stubs"
# The English language file, whatever the machine's language.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK" LC_ALL=C.UTF-8
unset XDG_DESKTOP_DIR
printf '#!/bin/sh\necho "$*" >>"%s/xdg-open.log"\n' "$WORK" >"$WORK/stubs/xdg-open"
chmod +x "$WORK/stubs/xdg-open"
export PATH="$WORK/stubs:$PATH"

# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/helpers.sh"

# libcurl takes the proxy, and a user name and password in it, from http_proxy.
use_proxy() { export http_proxy="http://$1"; }

start_updater() {
  "$BIN/${PROGRAM:-larkspan}" "$@" >"$WORK/larkspan.log" 2>&1 &
  UPDATER=$! && pids+=($!)
}

REG=("$BIN/larkspan-reg")
end_session() { kill -TERM "$UPDATER"; } # as the desktop session's manager does
started() { grep -qxF "$1" "$WORK/xdg-open.log"; }
INSTALLER="$WORK/served.exe"
"$DEMO_SERVER" --installer-size 800000 --write-installer "$INSTALLER"

# The test's own display.
if [ "$LARKSPAN_E2E_ISOLATED" = yes ]; then # a new namespace's loopback is down: raise it
  perl -MSocket -e 'socket(my $s, PF_INET, SOCK_DGRAM, 0) or die "socket: $!";
    my $ifr = pack("a16 s x22", "lo", 1); ioctl($s, 0x8914, $ifr) or die "loopback: $!"'
  # (SIOCSIFFLAGS with IFF_UP)
fi
exec 5< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>"$WORK/xvfb.log")
pids+=($!)
read -r -t 10 n <&5 || fail "Xvfb did not start"
export DISPLAY=":$n"
# Xvfb names its display before every client is sure to get in: the program once found no
# display there at its start, which a moment later answered.
wait_for 10 "the display $DISPLAY answering" eval 'xdpyinfo >/dev/null 2>&1'
