#!/usr/bin/env bash
# wendal_interrupt's acquisition of 32768 values at 16,667 Hz on the
# simulated PC (within 1.01 of N/rate, none lost), three passes, the 32-bit
# and the 64-bit Windows build side by side: each pass measures each build
# in turn, in its own Wine session. Needs `make build-win32 build-win64`.
# Given the simulator folder of another build of the same processor (the
# same programs, another ioport.dll), the 32-bit bench measures both, in
# turns, alone:
#   bench/interrupt/run.sh [OTHER_SIMULATOR_DIR]
set -euo pipefail
. "$(dirname "$0")/../windows_builds.sh"
if [ -n "${1:-}" ]; then builds=(win32); else bench_builds; fi
# A simulated PC of the bench's own, fresh each run.
pc=$(mktemp -d)
trap 'rm -rf "$pc"' EXIT
export KESTAN_SIM_PC=$pc/pc
status=0
for i in 1 2 3; do
  for arch in "${builds[@]}"; do
    bench_session "$arch" bash -c '
      bench=$1 this=$2 other=${3:-}
      for sim in "$this" $other; do
        echo "--- pass $4, $sim"
        rm -f "$KESTAN_SIM_PC"
        WINEPATH="Z:$sim" wine "$bench" || exit $?
      done' bash "$bench_top/build/$arch/bench/wendal_acquisition_bench.exe" \
        "$bench_top/build/$arch/simulator" "${1:-}" "$i" || status=$?
  done
done
exit $status
