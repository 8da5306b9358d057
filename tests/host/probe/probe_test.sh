#!/usr/bin/env bash
# scripts/host-probe.sh answers in one line within a second, forced to no by
# KIT_NO_32BIT, to no by an enabled binfmt_misc entry that would take an i386
# program (an emulator), and is not misled by entries that would not; make
# test then plans the 32-bit build's checks without Wine and says why.
#   probe_test.sh SOURCE_DIR
set -uo pipefail
src=$1
probe=$src/scripts/host-probe.sh
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ask NAME [VAR=VALUE...]: runs the probe; sets answer (its line), verdict
# (yes/no) and checks the time and the form of the answer.
ask() {
  local name=$1 start end lines
  shift
  start=$(date +%s%N)
  answer=$(env "$@" "$probe")
  local status=$?
  end=$(date +%s%N)
  lines=$(printf '%s\n' "$answer" | wc -l)
  [ $(((end - start) / 1000000)) -lt 1000 ] || fail "$name: took $(((end - start) / 1000000)) ms"
  [ "$lines" -eq 1 ] || fail "$name: $lines lines: $answer"
  case $status in
    0) verdict=yes ;;
    1) verdict=no ;;
    *) verdict=?; fail "$name: exit status $status" ;;
  esac
  echo "$name: $verdict: $answer"
}

# A binfmt_misc folder of the test's own: status, and one entry.
binfmt() {
  local dir=$work/$1 state=$2 entry=$3
  mkdir -p "$dir"
  echo "$state" >"$dir/status"
  [ -n "$entry" ] && printf '%b' "$entry" >"$dir/qemu"
  echo "$dir"
}
# Debian's qemu-user-binfmt entries for i386 and for ARM.
qemu_i386='enabled\ninterpreter /usr/libexec/qemu-binfmt/i386-binfmt-P\nflags: POCF\noffset 0\nmagic 7f454c4601010100000000000000000002000300\nmask fffffffffffefefcfffffffffffffffffeffffff\n'
qemu_arm='enabled\ninterpreter /usr/libexec/qemu-binfmt/arm-binfmt-P\nflags: POCF\noffset 0\nmagic 7f454c4601010100000000000000000002002800\nmask ffffffffffffff00fffffffffffffffffeffffff\n'

ask "this host" KIT_NO_32BIT=
host=$verdict
ask "KIT_NO_32BIT=0" KIT_NO_32BIT=0
[ "$verdict" = "$host" ] || fail "KIT_NO_32BIT=0 changed the answer"

ask "KIT_NO_32BIT=1" KIT_NO_32BIT=1
[ "$verdict" = no ] || fail "KIT_NO_32BIT=1 did not force no"
echo "$answer" | grep -q KIT_NO_32BIT || fail "the forced no does not say why"

ask "qemu-i386 registered" KIT_NO_32BIT= KIT_BINFMT_DIR="$(binfmt emulator enabled "$qemu_i386")"
[ "$verdict" = no ] || fail "an i386 emulator through binfmt_misc counted as yes"
echo "$answer" | grep -q "i386-binfmt-P" || fail "the answer does not name the emulator"

ask "qemu-i386 entry disabled" KIT_NO_32BIT= \
  KIT_BINFMT_DIR="$(binfmt disabled-entry enabled "${qemu_i386/enabled/disabled}")"
[ "$verdict" = "$host" ] || fail "a disabled entry changed the answer"
ask "binfmt_misc disabled" KIT_NO_32BIT= KIT_BINFMT_DIR="$(binfmt off disabled "$qemu_i386")"
[ "$verdict" = "$host" ] || fail "an entry of a disabled binfmt_misc changed the answer"
ask "qemu-arm registered" KIT_NO_32BIT= KIT_BINFMT_DIR="$(binfmt arm enabled "$qemu_arm")"
[ "$verdict" = "$host" ] || fail "an ARM emulator's entry changed the answer"

# make test's plan: without 32-bit code, build/win32's checks that need no
# Wine, build/win64 under Wine, and a last line that says what did not run.
plan=$(KIT_NO_32BIT=1 "$src/scripts/windows-suites.sh" --plan 2>&1)
echo "$plan"
[ "$(sed -n 1p <<<"$plan")" = "win32 no_wine" ] || fail "plan without 32-bit code: build/win32 not limited to no_wine"
[ "$(sed -n 2p <<<"$plan")" = "win64 wine" ] || fail "plan without 32-bit code: build/win64 not under Wine"
tail -n 1 <<<"$plan" | grep -q '^not run: .*Wine tests of build/win32 (no 32-bit x86 code on this host: KIT_NO_32BIT=1' ||
  fail "plan without 32-bit code: the last line does not say what did not run and why"
if [ "$host" = yes ]; then
  plan=$(KIT_NO_32BIT= "$src/scripts/windows-suites.sh" --plan win32 2>&1)
  [ "$(sed -n 1p <<<"$plan")" = "win32 wine" ] || fail "plan on this host: build/win32 not under Wine"
fi

[ $failures -eq 0 ] && echo "probe: all checks passed"
exit $failures
