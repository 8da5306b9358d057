#!/usr/bin/env bash
# make run: starts one of the ten programs from the simulator install under Wine.
# With a display it opens the window for the user. Without one it works the
# program on a virtual display through its user's-view scenario (the same
# script the user's-view suite runs), saves the last screen to
# build/screenshots/<program>.png (KIT_SHOTS_DIR: another folder) and prints
# its path; a scenario that fails makes it fail, with the scenario's own words.
#   scripts/run.sh [PROGRAM [win32|win64]]
# Without the second argument (make run's ARCH), the 32-bit build where this
# host runs 32-bit x86 code (scripts/host-probe.sh), else the 64-bit build;
# one line says which and why.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-kestan_panel}
arch=${2:-}
probe=$("$top/scripts/host-probe.sh") && runs32=1 || runs32=0
case $arch in
  '')
    if [ "$runs32" = 1 ]; then arch=win32; else arch=win64; fi
    echo "make run: the ${arch#win}-bit build, build/$arch ($probe)" >&2 ;;
  win32)
    if [ "$runs32" = 0 ]; then
      echo "make run: ARCH=win32, but $probe; ARCH=win64 runs the 64-bit build" >&2
      exit 1
    fi
    echo "make run: the 32-bit build, build/win32 (ARCH=win32)" >&2 ;;
  win64)
    echo "make run: the 64-bit build, build/win64 (ARCH=win64)" >&2 ;;
  *)
    echo "make run: ARCH is win32 or win64, not '$arch'" >&2; exit 2 ;;
esac
export KIT_ARCH=$arch
sim=$top/build/$arch/simulator
exe=$sim/$program.exe
[ -f "$exe" ] || { echo "no such program: $exe" >&2; exit 1; }
if [ -n "${DISPLAY:-}" ] && [ -z "${KIT_XVFB_DISPLAY:-}" ]; then
  cd "$sim"
  exec "$top/scripts/wine-session.sh" wine "$exe"
fi

# Each program's scenario (SIMULATOR_DIR SCREENSHOT_DIR PROGRAM), in
# tests/wine/userview.
scenario_of() {
  case $1 in
    kestan_panel | orvel_panel | sarrow_panel | pellin_panel) echo lamp_panels.sh ;;
    fenmar_panel | wendal_panel | dulvar_panel) echo port_panels.sh ;;
    fenmar_interrupt | dulvar_interrupt | wendal_interrupt) echo interrupt_samples.sh ;;
  esac
}

shots=${KIT_SHOTS_DIR:-$top/build/screenshots}
shot=$shots/$program.png
mkdir -p "$shots"
rm -f "$shot" "$shots/$program-failed.png"
scenario=$top/tests/wine/userview/$(scenario_of "$program")
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
if [ -f "$scenario" ]; then
  "$top/scripts/xvfb-session.sh" "$top/scripts/wine-session.sh" \
    bash "$scenario" "$sim" "$shots" "$program" >"$log" 2>&1 || status=$?
else
  # No scenario for it: started, left a few seconds, the screen taken.
  "$top/scripts/xvfb-session.sh" "$top/scripts/wine-session.sh" bash -c '
    cd "$1" || exit 1
    wine "$2.exe" </dev/null >/dev/null 2>&1 & pid=$!
    sleep 3
    /usr/bin/import -window root -trim +repage "$3"    # the window, not the black screen
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true' _ "$sim" "$program" "$shot" >"$log" 2>&1 || status=$?
fi
if [ "$status" -ne 0 ] || [ ! -f "$shot" ]; then
  cat "$log" >&2
  echo "make run: the scripted session of $program failed (status $status)" >&2
  for f in "$shot" "$shots/$program-failed.png"; do
    [ -f "$f" ] && echo "make run: last screen: $f" >&2
  done
  exit 1
fi
cat "$log" >&2
echo "$shot"
