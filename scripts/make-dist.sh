#!/usr/bin/env bash
# Packs the two Windows installs into archives a person can copy to a PC:
#   <out>/kestan-toolkit-hardware.zip and <out>/kestan-toolkit-simulator.zip
# each holding every .exe and .dll of its install folder, README.txt,
# programming.md, wine-look.reg (Wine's own fonts and scroll bars for a Wine prefix), include/
# (kestan.h and the card-library headers) and lib/ (the import libraries,
# lib<x>_ord.a and lib<x>_name.a, with their .def files).
#   scripts/make-dist.sh [WIN32_BUILD_DIR [OUT_DIR]]   (defaults build/win32, build/dist)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/win32}" && pwd)
out=${2:-$top/build/dist}
linux_build=${3:-$top/build/linux}
mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Where the drivers' sources live.
sources=("$top/lib")
[ -d "$top/cardlibs" ] && sources+=("$top/cardlibs")

# The driver libraries: every import library by ordinal, but the port layer's
# (programs never link ioport; the drivers do).
libraries=()
for a in "$build"/implib/lib*_ord.a; do
  x=$(basename "$a" _ord.a); x=${x#lib}
  case $x in ioport*) continue ;; esac
  libraries+=("$x")
done
[ ${#libraries[@]} -gt 0 ] || { echo "make-dist: no import libraries in $build/implib" >&2; exit 1; }

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

pack() {
  local kind=$1 folder=$2 dir="$stage/kestan-toolkit-$1" x f
  mkdir -p "$dir/include" "$dir/lib"
  cp "$build/$kind"/*.exe "$build/$kind"/*.dll "$dir/"
  for x in "${libraries[@]}"; do
    cp "$build/implib/lib${x}_ord.a" "$build/implib/lib${x}_name.a" "$dir/lib/"
    f=$(find "${sources[@]}" -name "${x}_ord.def" | head -n 1)
    cp "$f" "$dir/lib/"
    f=$(find "$build" -name "${x}_name.def" -not -path "$build/implib/*" | head -n 1)
    cp "$f" "$dir/lib/"
    for f in $(headers_of "$x"); do cp "$f" "$dir/include/"; done
  done
  cp "$top/docs/programming.md" "$top/scripts/wine-look.reg" "$dir/"
  mkdir -p "$dir/examples"
  cp "$top"/examples/*.cpp "$top"/examples/*.h "$dir/examples/"
  sed -e "s|@KIND@|$kind|g" -e "s|@FOLDER@|$folder|g" "$top/scripts/dist-README.txt" |
    sed 's/$/\r/' > "$dir/README.txt"
  rm -f "$out/kestan-toolkit-$kind.zip"
  (cd "$stage" && zip -q -r -X "$out/kestan-toolkit-$kind.zip" "kestan-toolkit-$kind")
  echo "$out/kestan-toolkit-$kind.zip"
}

pack hardware "ioport.dll does real port I/O: the programs drive a card in the PC"
pack simulator "ioport.dll is a simulated PC: a Kestan card at 2A8H, other cards where their programs ask, every card with its test cable in (output n feeds input n)"

# The native Linux kit: the install tree, relocatable (relative run paths).
if [ -f "$linux_build/CMakeCache.txt" ]; then
  name=kestan-toolkit-linux-$(uname -m)
  cmake --install "$linux_build" --prefix "$stage/$name" >/dev/null
  tar -C "$stage" -czf "$out/$name.tar.gz" "$name"
  echo "$out/$name.tar.gz"
else
  echo "make-dist: no native build in $linux_build: no Linux kit (make build-host)" >&2
fi
