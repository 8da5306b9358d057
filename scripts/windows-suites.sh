#!/usr/bin/env bash
# The suites of the Windows builds (make test-windows, test-win32, test-win64):
#   scripts/windows-suites.sh [--plan] [win32|win64]...    (default: both)
# Each build's suites run under Wine, on a virtual display and in a prefix of
# their own (scripts/wine-session.sh), when this host can run that build: the
# 64-bit build always, the 32-bit build where 32-bit x86 code runs at full
# speed (scripts/host-probe.sh). Elsewhere the 32-bit build's checks that need
# no Wine (ctest label no_wine: export tables and ordinals, imports by
# ordinal, PE machine types, the kit's contents) run instead. The last line
# names the suites that did not run and why: those, the tests that skipped
# themselves (the comparison with the 32-bit build's screens where it does
# not run) and what earlier steps of make test wrote into build/not-run.txt
# (which it then empties).
# --plan prints what would run, one "BUILD wine|no_wine" line each, and that
# last line, and runs nothing.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}
plan=0
[ "${1:-}" = --plan ] && { plan=1; shift; }
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(win32 win64)
not_run=$top/build/not-run.txt
probe=$("$top/scripts/host-probe.sh") && runs32=1 || runs32=0

# skipped_tests BUILD ARCH: a line for each test of the last ctest run of
# BUILD that skipped itself, with the reason it printed ("skipped: ...").
skipped_tests() {
  awk -v arch="$2" '
    / Test: / { name = $NF }
    /^skipped: / && name != "" { why[name] = substr($0, 10) }
    /^Test Failed|^Test Passed/ { name = "" }
    END { for (n in why) printf "%s of build/%s (%s)\n", n, arch, why[n] }' \
    "$1/Testing/Temporary/LastTest.log" 2>/dev/null
}

skipped=()
status=0
for arch in "${archs[@]}"; do
  build=$top/build/$arch
  mode=wine
  [ "$arch" = win32 ] && [ "$runs32" = 0 ] && mode=no_wine
  if [ "$plan" = 1 ]; then
    echo "$arch $mode"
  elif [ "$mode" = no_wine ]; then
    echo "=== build/$arch: the checks that need no Wine; $probe"
    ctest --test-dir "$build" --output-on-failure -j "$jobs" -L no_wine || status=1
  else
    echo "=== build/$arch under Wine, prefix $([ "$arch" = win64 ] && echo build/wineprefix64 || echo build/wineprefix)"
    KIT_ARCH=$arch "$top/scripts/xvfb-session.sh" "$top/scripts/wine-session.sh" \
      ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=1
    while IFS= read -r line; do skipped+=("$line"); done < <(skipped_tests "$build" "$arch")
  fi
  if [ "$mode" = no_wine ]; then
    count=$(ctest --test-dir "$build" -N -LE no_wine 2>/dev/null | sed -n 's/^Total Tests: //p')
    skipped+=("the ${count:+$count }Wine tests of build/$arch ($probe)")
  fi
done
if [ -s "$not_run" ]; then
  while IFS= read -r line; do skipped+=("$line"); done <"$not_run"
  [ "$plan" = 1 ] || : >"$not_run"
fi
if [ ${#skipped[@]} -gt 0 ]; then
  printf -v text '%s; ' "${skipped[@]}"
  echo "not run: ${text%; }"
else
  echo "not run: none, every suite ran"
fi
exit $status
