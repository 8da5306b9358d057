#!/usr/bin/env bash
# A program's last screen is the same from the 64-bit build as from the
# 32-bit one: the screenshots of one lamp panel's and one interrupt sample's
# user's-view scenario, from this run of the 64-bit suites and from the
# 32-bit suites' run (make test runs those first), pixel for pixel.
# Skipped (77) where the 32-bit build does not run or has no screenshot newer
# than its program.
#   same_screens.sh SOURCE_DIR WIN64_SHOTS WIN32_BUILD PROGRAM...
set -uo pipefail
src=$1 shots64=$2 build32=$3
shift 3
probe=$("$src/scripts/host-probe.sh") || { echo "skipped: $probe"; exit 77; }
failures=0
for program in "$@"; do
  a=$shots64/$program.png b=$build32/screenshots/userview/$program.png
  if [ ! -f "$b" ] || [ "$b" -ot "$build32/simulator/$program.exe" ]; then
    echo "skipped: no screenshot of $program from a run of the 32-bit suites since its last build"
    exit 77
  fi
  [ -f "$a" ] || { echo "FAIL: no $a"; failures=$((failures + 1)); continue; }
  size_a=$(/usr/bin/identify -format '%wx%h' "$a") size_b=$(/usr/bin/identify -format '%wx%h' "$b")
  differ=$(/usr/bin/compare -metric AE "$a" "$b" null: 2>&1)
  echo "$program: 64-bit $size_a, 32-bit $size_b, $differ pixels differ"
  [ "$size_a" = "$size_b" ] && [ "$differ" = 0 ] ||
    { echo "FAIL: $program's last screen differs between the builds"; failures=$((failures + 1)); }
done
exit $failures
