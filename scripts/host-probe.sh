#!/usr/bin/env bash
# Can this machine run 32-bit x86 code at full speed? One line on stdout, and
#   exit 0  yes: a 32-bit x86 program starts and runs on the processor itself
#   exit 1  no, and why (the line says it)
# Answers within a second, whatever the kernel does with the test program.
#
# The test program is a 96-byte static i386 ELF that only exits with status
# 42, run with a timeout of one second. A kernel without 32-bit user code
# (ia32_emulation=0, or a virtual machine without the 32-bit code segment)
# refuses it with "Exec format error". An emulator registered through
# binfmt_misc (qemu-i386) would run it, slowly: such an entry, enabled and
# matching an i386 ELF header, makes the answer no before anything runs.
#
#   KIT_NO_32BIT=1        the answer is no (tries the 64-bit fallback on a
#                         host that runs both)
#   KIT_BINFMT_DIR=dir    where binfmt_misc's entries are (default
#                         /proc/sys/fs/binfmt_misc; the probe's suite sets it)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

no() { echo "no 32-bit x86 code on this host: $*"; exit 1; }

case ${KIT_NO_32BIT:-} in
  '' | 0) ;;
  *) no "KIT_NO_32BIT=$KIT_NO_32BIT says so" ;;
esac
case $(uname -m) in
  x86_64 | i?86) ;;
  *) no "the processor is $(uname -m), not x86" ;;
esac

# The first 20 bytes of the test program's header, as binfmt_misc compares them.
elf_head=(7f 45 4c 46 01 01 01 00 00 00 00 00 00 00 00 00 02 00 03 00)

# binfmt_entry_takes_i386 FILE: whether the entry is enabled and its magic,
# under its mask, matches an i386 ELF header.
binfmt_entry_takes_i386() {
  local line enabled=0 offset=0 magic="" mask="" i byte want m
  while IFS= read -r line; do
    case $line in
      enabled) enabled=1 ;;
      "offset "*) offset=${line#offset } ;;
      "magic "*) magic=${line#magic } ;;
      "mask "*) mask=${line#mask } ;;
    esac
  done <"$1"
  [ "$enabled" = 1 ] && [ -n "$magic" ] || return 1
  for ((i = 0; i < ${#magic} / 2; i++)); do
    byte=${elf_head[offset + i]:-}
    [ -n "$byte" ] || return 1
    want=$((16#${magic:2*i:2}))
    m=255
    [ -n "$mask" ] && m=$((16#${mask:2*i:2}))
    [ $((16#$byte & m)) -eq $((want & m)) ] || return 1
  done
  return 0
}

binfmt=${KIT_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
if [ -r "$binfmt/status" ] && [ "$(cat "$binfmt/status" 2>/dev/null)" = enabled ]; then
  for entry in "$binfmt"/*; do
    case ${entry##*/} in status | register) continue ;; esac
    [ -f "$entry" ] || continue
    if binfmt_entry_takes_i386 "$entry"; then
      interpreter=$(sed -n 's/^interpreter //p' "$entry")
      no "i386 programs would run through the emulator $interpreter (binfmt_misc entry ${entry##*/}), far too slowly"
    fi
  done
fi

# The test program: mov eax,1; mov ebx,42; int 80H (exit(42)), loaded at 8048000H.
dir=$top/build
mkdir -p "$dir" 2>/dev/null || dir=${TMPDIR:-/tmp}
program=$(mktemp "$dir/.probe-i386.XXXXXX") || no "no place to write the test program"
trap 'rm -f "$program"' EXIT
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$program"
chmod 700 "$program"
error=$(timeout -s KILL 1 "$program" 2>&1 >/dev/null)
status=$?
case $status in
  42) echo "32-bit x86 code runs on this host" ;;
  137) no "an i386 test program did not end within a second" ;;
  *) no "an i386 test program does not run (status $status${error:+: ${error##*: }})" ;;
esac
