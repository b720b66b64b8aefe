#!/usr/bin/env bash
# Installs every package that building, running and testing Larkspan needs, and only those
# that are missing. Safe to run again: when everything is there it prints nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libcurl4-openssl-dev libsqlite3-dev libssl-dev
  libgtest-dev libgmock-dev libcpp-httplib-dev
  xvfb xauth xdotool imagemagick x11-utils
  dbus-daemon at-spi2-core python3-pyatspi
  clang libclang-rt-14-dev clang-format
  fonts-liberation fonts-dejavu-core
  dpkg-dev file
  curl
  openssl
  nginx squid
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 googletest
  locales
)
# The tests show numbers as a German user sees them, on Linux and under Wine.
test_locales=(de_DE)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
missing_locales=()
for l in "${test_locales[@]}"; do
  locale -a 2>/dev/null | grep -qx "$l.utf8" || missing_locales+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo available" >&2
  exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
for l in "${missing_locales[@]}"; do
  echo "install-deps: generating the locale $l.UTF-8"
  "${as_root[@]}" localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
