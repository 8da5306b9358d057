#!/usr/bin/env bash
# CPU share of idle panel programs (at most 0.5 % of a core) and
# kestan_panel's click-to-lamp time, measured from outside under Wine on a
# virtual display, RUNS passes (default 3), the 32-bit and the 64-bit
# Windows build side by side (each pass measures each in its own Wine
# session). Needs `make build-host build-win32 build-win64` (the host build
# makes bench/lamp_latency: libx11-dev, libxtst-dev).
#   bench/panels/run.sh            or   RUNS=1 CLICKS=10 bench/panels/run.sh
# Given the simulator folder of another 32-bit build (the same programs,
# another ioport.dll), each pass measures the 32-bit build and it, in turns:
#   bench/panels/run.sh OTHER_SIMULATOR_DIR
# Figures are of one core in %, and milliseconds; a machine busy with other
# work inflates both.
set -euo pipefail
. "$(dirname "$0")/../windows_builds.sh"
top=$bench_top
tool=$top/build/linux/bench/lamp_latency
[ -x "$tool" ] || { echo "missing $tool: make build-host (with libx11-dev, libxtst-dev)" >&2; exit 1; }
if [ -n "${1:-}" ]; then builds=(win32); else bench_builds; fi
for arch in "${builds[@]}"; do
  sim=$top/build/$arch/simulator
  [ -f "$sim/kestan_panel.exe" ] && [ -f "$sim/dulvar_panel.exe" ] ||
    { echo "missing $sim/kestan_panel.exe or dulvar_panel.exe: make build-$arch" >&2; exit 1; }
done
export RUNS=${RUNS:-3}
status=0
for i in $(seq 1 "$RUNS"); do
  for arch in "${builds[@]}"; do
    bench_session "$arch" bash -c '
      status=0
      for folder in "$1" ${3:-}; do
        echo "=== run $4 of $RUNS: $folder"
        bash "$0" "$folder" "$2" || status=1
      done
      exit $status' "$top/bench/panels/panels.sh" "$top/build/$arch/simulator" "$tool" "${1:-}" "$i" || status=1
  done
done
exit $status
