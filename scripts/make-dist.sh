#!/usr/bin/env bash
# Packs the Windows installs into archives a person can copy to a PC:
#   kestan-toolkit-hardware.zip and kestan-toolkit-simulator.zip (32-bit Windows),
#   kestan-toolkit-win64-hardware.zip and kestan-toolkit-win64-simulator.zip (64-bit)
# each holding every .exe and .dll of its install folder, README.txt,
# programming.md, wine-look.reg (Wine's own fonts and scroll bars for a Wine prefix), include/
# (kestan.h and the card-library headers) and lib/ (the import libraries,
# lib<x>_ord.a and lib<x>_name.a, with their .def files); and the native
# Linux kit, kestan-toolkit-linux-<machine>.tar.gz.
#   scripts/make-dist.sh                    build/win32, build/win64, build/linux into build/dist
#   scripts/make-dist.sh WINDOWS_BUILD_DIR [OUT_DIR [LINUX_BUILD_DIR]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -eq 0 ]; then
  windows_builds=("$top/build/win32" "$top/build/win64")
else
  windows_builds=("$1")
fi
out=${2:-$top/build/dist}
linux_build=${3:-$top/build/linux}
mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Where the drivers' sources live.
sources=("$top/lib")
[ -d "$top/cardlibs" ] && sources+=("$top/cardlibs")

# A header and, through them, the headers it includes by quotes.
header_and_includes() {
  local h=$1 inc
  [ -n "$h" ] || return 0
  echo "$h"
  for inc in $(sed -n 's/^#include "\(.*\)"/\1/p' "$h"); do
    header_and_includes "$(find "$(dirname "$h")" "${sources[@]}" -name "$inc" | head -n 1)"
  done
}

# The public header of a library and the headers it includes.
headers_of() {
  local x=$1 h
  h=$(find "${sources[@]}" -name "$x.h" | head -n 1)
  [ -n "$h" ] || { echo "make-dist: no header $x.h" >&2; exit 1; }
  header_and_includes "$h"
}

# pack KIND FOLDER_TEXT: one archive of the build in $build, for $bits-bit
# Windows. README.txt keeps the lines for this build: those marked [32] or
# [64] only in that kit.
pack() {
  local kind=$1 folder=$2 name=$kit-$1 x f
  local dir="$stage/$name"
  mkdir -p "$dir/include" "$dir/lib"
  cp "$build/$kind"/*.exe "$build/$kind"/*.dll "$dir/"
  for x in "${libraries[@]}"; do
    cp "$build/implib/lib${x}_ord.a" "$build/implib/lib${x}_name.a" "$dir/lib/"
    cp "$build/implib/${x}_ord.def" "$build/implib/${x}_name.def" "$dir/lib/"
    for f in $(headers_of "$x"); do cp "$f" "$dir/include/"; done
  done
  cp "$top/docs/programming.md" "$top/scripts/wine-look.reg" "$dir/"
  mkdir -p "$dir/examples"
  cp "$top"/examples/*.cpp "$top"/examples/*.h "$dir/examples/"
  sed -e "s|@KIND@|$kind|g" -e "s|@FOLDER@|$folder|g" -e "/^\[$((96 - bits))\] /d" \
      -e "s/^\[$bits\] //" "$top/scripts/dist-README.txt" | sed 's/$/\r/' >"$dir/README.txt"
  rm -f "$out/$name.zip"
  (cd "$stage" && zip -q -r -X "$out/$name.zip" "$name")
  echo "$out/$name.zip"
}

# pe_machine FILE: the machine field of a PE file's header, in hex (014c:
# 32-bit x86, 8664: x86-64).
pe_machine() {
  local at
  at=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((at + 4)) -N 2 "$1" | tr -d ' '
}

# pack_windows BUILD_DIR: the build's two archives. Which Windows the build
# is for, its kestan.dll says; the 32-bit kit keeps its names, the 64-bit one
# carries win64 in them.
pack_windows() {
  local a x
  build=$(cd "$1" && pwd) || { echo "make-dist: no $1 (make build-win32 build-win64)" >&2; exit 1; }
  case $(pe_machine "$build/simulator/kestan.dll") in
    014c) bits=32 kit=kestan-toolkit ;;
    8664) bits=64 kit=kestan-toolkit-win64 ;;
    *) echo "make-dist: $build/simulator/kestan.dll is no x86 Windows DLL" >&2; exit 1 ;;
  esac
  # The driver libraries: every import library by ordinal, but the port layer's
  # (programs never link ioport; the drivers do).
  libraries=()
  for a in "$build"/implib/lib*_ord.a; do
    [ -f "$a" ] || continue
    x=$(basename "$a" _ord.a); x=${x#lib}
    case $x in ioport*) continue ;; esac
    libraries+=("$x")
  done
  [ ${#libraries[@]} -gt 0 ] || { echo "make-dist: no import libraries in $build/implib" >&2; exit 1; }
  pack hardware "ioport.dll does real port I/O: the programs drive a card in the PC"
  pack simulator "ioport.dll is a simulated PC: a Kestan card at 2A8H, other cards where their programs ask, every card with its test cable in (output n feeds input n)"
}

for b in "${windows_builds[@]}"; do pack_windows "$b"; done

# The native Linux kit: the install tree, relocatable (relative run paths).
if [ -f "$linux_build/CMakeCache.txt" ]; then
  name=kestan-toolkit-linux-$(uname -m)
  cmake --install "$linux_build" --prefix "$stage/$name" >/dev/null
  tar -C "$stage" -czf "$out/$name.tar.gz" "$name"
  echo "$out/$name.tar.gz"
else
  echo "make-dist: no native build in $linux_build: no Linux kit (make build-host)" >&2
fi
