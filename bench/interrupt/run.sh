#!/usr/bin/env bash
# wendal_interrupt's acquisition of 32768 values at 15000 Hz on the simulated
# PC, three runs. Needs `make build-win32`.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPATH="Z:$top/build/win32/simulator"
bench="$top/build/win32/bench/wendal_acquisition_bench.exe"
exec "$top/scripts/xvfb-session.sh" "$top/scripts/wine-session.sh" \
  bash -c 'for i in 1 2 3; do wine "$0" || exit $?; done' "$bench"
