#!/usr/bin/env bash
# Builds and runs every test: once in a normal GCC build, once built with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer, which also
# builds the libFuzzer targets and runs each for a short time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
fuzz_seconds=${QXVB_FUZZ_SECONDS:-20}

run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

echo "== tests (GCC, release build)"
run_suite build-test

echo "== tests (clang, AddressSanitizer + UndefinedBehaviorSanitizer)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# fontconfig keeps its one-time set-up for the life of the process.
export LSAN_OPTIONS=suppressions=$PWD/tests/ui/lsan.supp
CC=clang CXX=clang++ run_suite build-asan -DQXVB_SANITIZE=ON -DQXVB_FUZZ=ON -DQXVB_BENCH=OFF

echo "== fuzzing, ${fuzz_seconds} s per target"
for target in build-asan/bin/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "-- $name"
  "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -n 3
  rm -rf "$corpus"
done
echo "fuzzing finished without a crash"
