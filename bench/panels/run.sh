#!/usr/bin/env bash
# CPU share of idle panel programs and kestan_panel's click-to-lamp time,
# measured from outside under Wine on a virtual display, RUNS passes
# (default 3) in one Wine session. Needs `make build-host build-win32`
# (the host build makes bench/lamp_latency: libx11-dev, libxtst-dev).
#   bench/panels/run.sh            or   RUNS=1 CLICKS=10 bench/panels/run.sh
# Given the simulator folder of another build (the same programs, another
# ioport.dll), each pass measures both, in turns:
#   bench/panels/run.sh OTHER_SIMULATOR_DIR
# Figures are of one core in %, and milliseconds; a machine busy with other
# work inflates both.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
sim=$top/build/win32/simulator
tool=$top/build/linux/bench/lamp_latency
[ -f "$sim/kestan_panel.exe" ] && [ -f "$sim/dulvar_panel.exe" ] ||
  { echo "missing $sim/kestan_panel.exe or dulvar_panel.exe: make build-win32" >&2; exit 1; }
[ -x "$tool" ] || { echo "missing $tool: make build-host (with libx11-dev, libxtst-dev)" >&2; exit 1; }
export RUNS=${RUNS:-3}
exec "$top/scripts/xvfb-session.sh" "$top/scripts/wine-session.sh" bash -c '
  status=0
  for i in $(seq 1 "$RUNS"); do
    for folder in "$1" ${3:-}; do
      echo "=== run $i of $RUNS: $folder"
      bash "$0" "$folder" "$2" || status=1
    done
  done
  exit $status' "$top/bench/panels/panels.sh" "$sim" "$tool" "${1:-}"
