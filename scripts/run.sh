#!/usr/bin/env bash
# make run: starts one of the ten programs from the simulator install under Wine.
# With a display it opens the window for the user. Without one it runs the
# program on a virtual display for a few seconds, saves a screenshot to
# build/screenshots/<program>.png and prints its path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-kestan_panel}
exe=$top/build/win32/simulator/$program.exe
[ -f "$exe" ] || { echo "no such program: $exe" >&2; exit 1; }
cd "$top/build/win32/simulator"
if [ -n "${DISPLAY:-}" ]; then
  exec "$top/scripts/wine-session.sh" wine "$exe"
fi
mkdir -p "$top/build/screenshots"
shot=$top/build/screenshots/$program.png
"$top/scripts/xvfb-session.sh" "$top/scripts/wine-session.sh" bash -c '
  wine "$1" </dev/null >/dev/null 2>&1 & pid=$!
  sleep 3
  /usr/bin/import -window root "$2"
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true' _ "$exe" "$shot"
echo "$shot"
