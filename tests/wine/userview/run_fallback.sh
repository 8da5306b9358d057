#!/usr/bin/env bash
# make run on a host that runs no 32-bit x86 code (forced: KIT_NO_32BIT=1):
# the 64-bit build, said in one line with the reason, its scenario played
# and its last screen saved; ARCH=win32 refused there with the way out.
#   run_fallback.sh SOURCE_DIR SCREENSHOT_DIR
set -uo pipefail
src=$1 shots=$2/fallback
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
rm -rf "$shots"
out=$(KIT_NO_32BIT=1 KIT_SHOTS_DIR=$shots "$src/scripts/run.sh" kestan_panel 2>&1)
status=$?
echo "$out"
[ $status -eq 0 ] || fail "run.sh ended with $status"
[ "$(grep -c '^make run: ' <<<"$out")" = 1 ] || fail "not one line saying which build"
grep -qxF "make run: the 64-bit build, build/win64 (no 32-bit x86 code on this host: KIT_NO_32BIT=1 says so)" <<<"$out" ||
  fail "the line does not say the 64-bit build and why"
[ "$(tail -n 1 <<<"$out")" = "$shots/kestan_panel.png" ] && [ -s "$shots/kestan_panel.png" ] ||
  fail "no screenshot at $shots/kestan_panel.png"

out=$(KIT_NO_32BIT=1 "$src/scripts/run.sh" kestan_panel win32 2>&1)
status=$?
echo "$out"
[ $status -ne 0 ] || fail "ARCH=win32 ran where no 32-bit code runs"
grep -q "ARCH=win64" <<<"$out" || fail "the refusal of ARCH=win32 does not name ARCH=win64"
exit $failures
