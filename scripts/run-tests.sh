#!/usr/bin/env bash
# Runs every test of a build tree: unit tests, then the tests against real X servers, then a short
# fuzz run of the JSON readers and of the instance socket's message decoding.
set -euo pipefail
build=$(cd "${1:-build-test}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/tests/data/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd "$build" && ctest --output-on-failure --timeout 300 -j "$(nproc)")

# libFuzzer needs clang, so the fuzzers get a build tree of their own next to the test tree; only
# they and the core library are built there.
fuzz_build=$(dirname "$build")/build-fuzz
fuzz_seconds=5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build_fuzzers() {
  if [ ! -f "$fuzz_build/build.ninja" ]; then
    CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$fuzz_build" -G Ninja \
      -DVANTILE_FUZZ=ON -DVANTILE_BUILD_TESTS=OFF || return
  fi
  cmake --build "$fuzz_build" --target vantile_fuzzers
}
if ! build_fuzzers >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  echo "fuzz: the fuzzers did not build" >&2
  exit 1
fi

# All at once, each over a copy of its seeds: what a run adds to a corpus is not kept.
fuzzers=(preset active_config message)
pids=()
mkdir -p "$fuzz_build/findings"
for name in "${fuzzers[@]}"; do
  cp -r "$here/tests/fuzz/corpus/$name" "$work/$name"
  dict="$here/tests/fuzz/$name.dict"
  [ -f "$dict" ] || dict="$here/tests/fuzz/json.dict"
  "$fuzz_build/tests/fuzz/${name}_fuzzer" "$work/$name" -max_total_time=$fuzz_seconds -timeout=5 \
    -dict="$dict" -artifact_prefix="$fuzz_build/findings/$name-" \
    -print_final_stats=1 >"$work/$name.log" 2>&1 &
  pids+=($!)
done
status=0
for i in "${!fuzzers[@]}"; do
  name=${fuzzers[$i]}
  if wait "${pids[$i]}"; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
    echo "fuzz $name: ${runs:-?} executions in ${fuzz_seconds} s, nothing found"
  else
    tail -n 60 "$work/$name.log"
    echo "fuzz $name: FAILED; the input is under $fuzz_build/findings/" >&2
    status=1
  fi
done
exit $status
