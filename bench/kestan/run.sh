#!/usr/bin/env bash
# kestan.dll's entry points over their raw port operations (at most 1.3
# times), the 32-bit and the 64-bit Windows build side by side: RUNS passes
# (default 3), each build in turn in its own Wine session, on a simulated PC
# of the bench's own. Needs `make build-win32 build-win64`; the host's own
# figure is build/linux/bench/bench_kestan.
#   bench/kestan/run.sh      or   RUNS=1 bench/kestan/run.sh
set -euo pipefail
. "$(dirname "$0")/../windows_builds.sh"
bench_builds
pc=$(mktemp -d)
trap 'rm -rf "$pc"' EXIT
export KESTAN_SIM_PC=$pc/pc
status=0
for i in $(seq 1 "${RUNS:-3}"); do
  for arch in "${builds[@]}"; do
    echo "--- pass $i, build/$arch"
    rm -f "$KESTAN_SIM_PC"
    sim=$bench_top/build/$arch/simulator
    bench_session "$arch" env WINEPATH="Z:$sim" wine "$bench_top/build/$arch/bench/kestan_bench.exe" || status=$?
  done
done
exit $status
