#!/usr/bin/env bash
# The suites of the Windows builds (make test-windows, test-win32, test-win64):
#   scripts/windows-suites.sh [win32|win64]...     (default: both)
# Each build's suites run under Wine, on a virtual display and in a prefix of
# their own (scripts/wine-session.sh), when this host can run that build: the
# 64-bit build always, the 32-bit build where 32-bit x86 code runs at full
# speed (scripts/host-probe.sh). Elsewhere the 32-bit build's checks that need
# no Wine (ctest label no_wine: export tables and ordinals, imports by
# ordinal, PE machine types, the kit's contents) run instead, and the last
# line names the suites that did not run and why, with those that earlier
# steps of make test wrote into build/not-run.txt.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(win32 win64)
not_run=$top/build/not-run.txt
probe=$("$top/scripts/host-probe.sh") && runs32=1 || runs32=0
status=0
for arch in "${archs[@]}"; do
  build=$top/build/$arch
  if [ "$arch" = win32 ] && [ "$runs32" = 0 ]; then
    echo "=== build/win32: the checks that need no Wine; $probe"
    ctest --test-dir "$build" --output-on-failure -j "$jobs" -L no_wine || status=1
    skipped=$(ctest --test-dir "$build" -N -LE no_wine | sed -n 's/^Total Tests: //p')
    echo "the ${skipped:-} Wine suites of build/win32 ($probe)" >>"$not_run"
  else
    echo "=== build/$arch under Wine ($([ "$arch" = win64 ] && echo "64-bit prefix build/wineprefix64" || echo "32-bit prefix build/wineprefix"))"
    KIT_ARCH=$arch "$top/scripts/xvfb-session.sh" "$top/scripts/wine-session.sh" \
      ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=1
  fi
done
if [ -s "$not_run" ]; then
  echo "not run: $(paste -sd ';' "$not_run" | sed 's/;/; /g')"
else
  echo "not run: none, every suite ran"
fi
exit $status
