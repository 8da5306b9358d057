#!/usr/bin/env bash
# wendal_interrupt's acquisition of 32768 values at 16,667 Hz on the
# simulated PC, three runs. Needs `make build-win32`. Given the simulator
# folder of another build (the same programs, another ioport.dll), each run
# measures both, in turns:
#   bench/interrupt/run.sh [OTHER_SIMULATOR_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bench="$top/build/win32/bench/wendal_acquisition_bench.exe"
# A simulated PC of the bench's own, fresh each run.
pc=$(mktemp -d)
trap 'rm -rf "$pc"' EXIT
export KESTAN_SIM_PC=$pc/pc
exec "$top/scripts/xvfb-session.sh" "$top/scripts/wine-session.sh" bash -c '
  bench=$1 this=$2 other=${3:-}
  for i in 1 2 3; do
    for sim in "$this" $other; do
      echo "--- $sim"
      rm -f "$KESTAN_SIM_PC"
      WINEPATH="Z:$sim" wine "$bench" || exit $?
    done
  done' bash "$bench" "$top/build/win32/simulator" "${1:-}"
