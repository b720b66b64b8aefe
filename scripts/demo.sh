#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo update server and runs the updater
# against it, as Vantrel would start it with an older installed version. Options are passed to
# the demo server (see build/bin/larkspan-demo-server --help), e.g. --rate 200000 to watch the
# download, or --scenario up-to-date.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to show the updater on; run it under a virtual one: xvfb-run -a -s '-screen 0 1024x768x24' scripts/demo.sh"
  exit 1
fi

port=$(sed -n 's/.*kDemoPort = \([0-9]*\);/\1/p' build/generated/Deployment.h)
build/bin/larkspan-demo-server --port "$port" "$@" &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  curl -s -o /dev/null "http://127.0.0.1:$port/" && break
  sleep 0.1
done

build/bin/larkspan "Vantrel*3.1*0101000*http://127.0.0.1:$port/vantrel/update.txt"
