#!/usr/bin/env bash
# A bounded libFuzzer run of the drivers on the simulated PC, one target
# after the other, the time shared out evenly between them.
#   scripts/run-fuzz.sh [SECONDS]     (default 60 in all; build first: make build-fuzz)
# Each target's corpus grows in build/linux-fuzz/corpus/<target> from run to
# run; a crash input is saved in build/linux-fuzz/crashes and the run fails.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$top/build/linux-fuzz
targets=(kestan_fuzz port_card_fuzz lamp_card_fuzz)
share=$((seconds / ${#targets[@]}))
[ "$share" -ge 1 ] || share=1

if [ ! -e "$build/simulator/libioport.so" ]; then
  echo "fuzz: skipped, there is no simulator build to fuzz on"; exit 0
fi
for target in "${targets[@]}"; do
  if [ ! -x "$build/bin/$target" ]; then
    echo "run-fuzz: no $build/bin/$target (make build-fuzz)" >&2; exit 1
  fi
done
mkdir -p "$build/crashes"

# run_target NAME: runs it for its share; prints its line; false on a finding.
run_target() {
  local target=$1 log=$build/fuzz-$1.log
  mkdir -p "$build/corpus/$target"
  # The drivers name only libioport.so: make sure it is the simulator's. The
  # target works on a simulated PC of its own, fresh each run.
  rm -f "$build/fuzz-$target.pc"
  KESTAN_SIM_PC=$build/fuzz-$target.pc LD_LIBRARY_PATH=$build/simulator \
  ASAN_OPTIONS=abort_on_error=0:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/bin/$target" -max_total_time="$share" -timeout=10 -max_len=1024 -rss_limit_mb=1536 \
      -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" "$build/corpus/$target" >"$log" 2>&1
  local status=$?
  local execs rate last cov ft corp
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
  cov=$(echo "$last" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
  ft=$(echo "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
  corp=$(echo "$last" | sed -n 's/.* corp: \([0-9]*\).*/\1/p')
  if [ $status -ne 0 ]; then
    grep -E 'INVARIANT BROKEN|ERROR: |SUMMARY: |runtime error' "$log" | head -n 20
    echo "fuzz $target: FAILED after ${execs:-?} executions (full log: $log, input in $build/crashes)"
    return 1
  fi
  echo "fuzz $target: ${execs:-?} executions in ${share} s (${rate:-?}/s), coverage cov: ${cov:-?} edges, ft: ${ft:-?} features, corpus ${corp:-?} inputs"
}

failed=0
for target in "${targets[@]}"; do
  run_target "$target" || failed=$((failed + 1))
done
if [ $failed -ne 0 ]; then
  echo "fuzz: $failed of ${#targets[@]} targets FAILED"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, ${seconds} s in all; no crash, no broken invariant, no sanitizer report"
