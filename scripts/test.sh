#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. Then the unit and behaviour
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), and a
# replay of every fuzz corpus (build-fuzz/, clang++).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2

# The end-to-end tests run in the normal build only. Any sanitizer report fails its test.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLARKSPAN_SANITIZE=ON >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j2 -LE e2e

scripts/fuzz.sh replay
