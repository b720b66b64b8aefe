#!/usr/bin/env bash
# Builds the libFuzzer targets (clang++, ASan + UBSan) in build-fuzz/ and runs them.
#
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]   fuzz one target for a while
#   scripts/fuzz.sh all SECONDS [libFuzzer options...]      every target, one after the other
#   scripts/fuzz.sh replay                                  run every corpus once, then stop
#   scripts/fuzz.sh list                                    the target names
#
# TARGET is the name of tests/fuzz/<TARGET>_fuzz.cpp. The seeds in tests/fuzz/corpus/<TARGET>/
# are read but never written: inputs that the fuzzer finds go to build-fuzz/fuzz-work/<TARGET>/,
# and an input that makes a target fail to build-fuzz/fuzz-findings/. To keep a finding as a
# regression input, copy it into the target's corpus folder. LARKSPAN_FUZZ_BUILD names another
# build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${LARKSPAN_FUZZ_BUILD:-build-fuzz}
mode=${1:-}
targets=()
for source in tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  targets+=("${name%_fuzz}")
done

usage() {
  sed -n '4,8p' "$0" | sed 's/^# *//' >&2
  exit 2
}

case "$mode" in
  list)
    printf '%s\n' "${targets[@]}"
    exit 0
    ;;
  replay) ;;
  all) [ $# -ge 2 ] || usage ;;
  "") usage ;;
  *)
    [ $# -ge 2 ] && [ -f "tests/fuzz/${mode}_fuzz.cpp" ] || usage
    targets=("$mode")
    ;;
esac

# Several runs may start at once (two targets side by side): one builds, the others wait.
mkdir -p "$build"
exec 9>"$build/fuzz-build.lock"
flock 9
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DLARKSPAN_FUZZ=ON >/dev/null
cmake --build "$build" --target larkspan_fuzz
flock -u 9

if [ "$mode" = replay ]; then
  failed=()
  mkdir -p "$build/fuzz-findings"
  for target in "${targets[@]}"; do
    log="$build/fuzz-findings/replay-$target.log"
    if "$build/fuzz/${target}_fuzz" -runs=0 -artifact_prefix="$build/fuzz-findings/replay-$target-" \
      "tests/fuzz/corpus/$target" >"$log" 2>&1; then
      echo "fuzz replay: $target: $(ls "tests/fuzz/corpus/$target" | wc -l) inputs, no finding"
    else
      failed+=("$target")
      echo "fuzz replay: $target FAILED:" >&2
      tail -n 40 "$log" >&2
    fi
  done
  [ ${#failed[@]} -eq 0 ] || { echo "fuzz replay failed: ${failed[*]}" >&2; exit 1; }
  exit 0
fi

seconds=$2
shift 2
mkdir -p "$build/fuzz-findings"
for target in "${targets[@]}"; do
  mkdir -p "$build/fuzz-work/$target"
  echo "fuzz: $target for $seconds s"
  "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-findings/$target-" "$@" \
    "$build/fuzz-work/$target" "tests/fuzz/corpus/$target"
done
