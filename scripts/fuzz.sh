#!/usr/bin/env bash
# Runs the fuzz targets (tests/fuzz) under libFuzzer with ASan/UBSan, each for the given
# number of seconds (default 60; 0 only replays the committed seeds), one after the other:
#   scripts/fuzz.sh [seconds] [target ...]
# Each target starts from its committed seeds (tests/fuzz/corpus/<target>) and keeps what it
# learns in build/fuzz/corpus/<target>; an input that breaks an invariant or trips a
# sanitizer is saved under build/fuzz/artifacts/<target>/. Prints the executions per target
# and exits non-zero when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
shift || true
build=$root/build/fuzz

cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELK_SANITIZE=address,undefined,fuzzer-no-link -DVELK_FUZZ=ON >/dev/null
cmake --build "$build" -j "${VELK_JOBS:-2}" --target velk_fuzzers >/dev/null

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for seeds in tests/fuzz/corpus/*/; do
    targets+=("$(basename "$seeds")")
  done
fi

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
failed=0
printf '%-16s %12s %10s %8s  %s\n' target executions "per sec" corpus result
for name in "${targets[@]}"; do
  work=$build/corpus/$name
  artifacts=$build/artifacts/$name
  log=$build/logs/$name.log
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  # A replay reads the committed seeds only, so that it gives the same answer everywhere.
  if [ "$seconds" -eq 0 ]; then
    run=(-runs=0 "tests/fuzz/corpus/$name")
    corpus=tests/fuzz/corpus/$name
  else
    run=(-max_total_time="$seconds" "$work" "tests/fuzz/corpus/$name")
    corpus=$work
  fi
  result=ok
  if ! "$build/tests/fuzz/fuzz_$name" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "${run[@]}" >"$log" 2>&1; then
    result="FOUND: $(ls -t "$artifacts" | head -1) (see $log)"
    failed=1
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf '%-16s %12s %10s %8s  %s\n' "$name" "${executions:-?}" "${rate:-?}" \
    "$(ls "$corpus" | wc -l)" "$result"
done
exit $failed
