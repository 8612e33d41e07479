#!/bin/bash
# Builds the host action and trace reader fuzzers (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/, replays every kept regression
# input and seed once, then fuzzes for the given number of seconds (default
# 60) on a copy of the seed corpus, so the repository is never modified.
# Exits non-zero on any finding: crash, overrun, undefined behaviour, leak,
# timeout or difference from the reference model. Findings are written to
# build-fuzz/findings/. Further arguments go to libFuzzer (e.g. -fork=2).
#   bash scripts/fuzz.sh [seconds] [libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "fuzz.sh: seconds must be a whole number, got '$seconds'" >&2; exit 2; }

cmake --preset fuzz
cmake --build --preset fuzz -j "$(nproc)"
fuzzer=build-fuzz/tests/fuzz/host_actions_fuzzer

echo "-- replaying regression inputs and seeds"
ctest --preset fuzz

echo "-- fuzzing for $seconds s"
rm -rf build-fuzz/corpus
cp -r tests/fuzz/corpus build-fuzz/corpus
mkdir -p build-fuzz/findings
log=build-fuzz/fuzz.log
if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -dict=tests/fuzz/host_actions.dict \
    -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 "$@" \
    build-fuzz/corpus tests/fuzz/regressions >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "fuzz.sh: the fuzzer found a fault; reproducer in build-fuzz/findings/ (full log: $log)" >&2
  exit 1
fi
grep -E '^(Done|stat::)' "$log" || tail -n 5 "$log"

# The trace reader of kroplay --replay, a tenth of the time on its seeds.
echo "-- fuzzing the trace reader for $((seconds / 10 + 1)) s"
rm -rf build-fuzz/trace_corpus
mkdir -p build-fuzz/trace_corpus
cp tests/fuzz/trace_seeds/* tests/data/*.krotrace build-fuzz/trace_corpus/
log=build-fuzz/trace_fuzz.log
if ! build-fuzz/tests/fuzz/trace_reader_fuzzer -max_total_time=$((seconds / 10 + 1)) -timeout=10 \
    -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 "$@" build-fuzz/trace_corpus \
    >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "fuzz.sh: the trace reader fuzzer found a fault; reproducer in build-fuzz/findings/ (full log: $log)" >&2
  exit 1
fi
grep -E '^(Done|stat::)' "$log" || tail -n 5 "$log"
