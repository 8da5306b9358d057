#!/usr/bin/env bash
# A bounded libFuzzer run of the drivers on the simulated PC.
#   scripts/run-fuzz.sh [SECONDS]     (default 60; build first: make build-fuzz)
# The corpus grows in build/linux-fuzz/corpus from run to run; a crash input
# is saved in build/linux-fuzz/crashes and the run fails.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$top/build/linux-fuzz
fuzzer=$build/bin/kit_fuzz
if [ ! -x "$fuzzer" ]; then
  if [ ! -e "$build/simulator/libioport.so" ]; then
    echo "fuzz: skipped, there is no simulator build to fuzz on"; exit 0
  fi
  echo "run-fuzz: no $fuzzer (make build-fuzz)" >&2; exit 1
fi
mkdir -p "$build/corpus" "$build/crashes"
log=$build/fuzz.log

# The drivers name only libioport.so: make sure it is the simulator's.
LD_LIBRARY_PATH=$build/simulator \
ASAN_OPTIONS=abort_on_error=0:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=1024 -rss_limit_mb=1536 \
    -print_final_stats=1 -artifact_prefix="$build/crashes/" "$build/corpus" >"$log" 2>&1
status=$?

execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
cov=$(echo "$last" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
ft=$(echo "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
corp=$(echo "$last" | sed -n 's/.* corp: \([0-9]*\).*/\1/p')
if [ $status -ne 0 ]; then
  grep -E 'INVARIANT BROKEN|ERROR: |SUMMARY: |runtime error' "$log" | head -n 20
  echo "fuzz: FAILED after ${execs:-?} executions (full log: $log, input in $build/crashes)"
  exit 1
fi
echo "fuzz: ${execs:-?} executions in ${seconds} s (${rate:-?}/s), coverage cov: ${cov:-?} edges, ft: ${ft:-?} features, corpus ${corp:-?} inputs; no crash, no sanitizer report"
