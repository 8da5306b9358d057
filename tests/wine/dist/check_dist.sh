#!/usr/bin/env bash
# Makes the archives into a folder of the test's own and checks what they hold:
# every .exe and .dll of the install folder, the same bytes, nothing else of
# that kind; wine-look.reg; kestan.h and each driver's header, import libraries and .def
# files; headers that compile alone; a kit that builds the examples as
# programming.md says; ioport.dll the only program file that differs; a
# README.txt and .def files for this build's Windows (BITS 32 or 64).
#   check_dist.sh SOURCE_DIR WINDOWS_BUILD_DIR OUT_DIR CXX BITS
set -uo pipefail
src=$1 build=$2 out=$3 cxx=$4 bits=$5
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$out" && mkdir -p "$out"
made=$("$src/scripts/make-dist.sh" "$build" "$out" /nonexistent) || { echo "FAIL: make-dist.sh"; exit 1; }
echo "$made"
# The 32-bit kit keeps the names it always had; the 64-bit one says win64.
kit=kestan-toolkit
[ "$bits" = 64 ] && kit=kestan-toolkit-win64

# Drivers: kestan and every card-library folder with an export table.
drivers=(kestan)
for d in "$src"/cardlibs/*/; do
  x=$(basename "$d")
  [ -f "$d/$x.def" ] && drivers+=("$x")
done
echo "drivers: ${drivers[*]}"

for kind in hardware simulator; do
  zip="$out/$kit-$kind.zip"
  echo "$made" | grep -qxF "$zip" || fail "$kind: make-dist.sh did not say it made $zip"
  [ -f "$zip" ] || { fail "$kind: no $zip"; continue; }
  tree="$out/unpacked/$kit-$kind"
  mkdir -p "$out/unpacked" && unzip -q -o "$zip" -d "$out/unpacked" || fail "$kind: unzip"

  # Programs and DLLs: the same set and the same bytes as the install folder.
  want=$(cd "$build/$kind" && ls *.exe *.dll | sort)
  have=$(cd "$tree" && ls *.exe *.dll 2>/dev/null | sort)
  [ "$want" = "$have" ] || fail "$kind: programs and DLLs differ: $(diff <(echo "$want") <(echo "$have") | tr '\n' ' ')"
  for f in $want; do cmp -s "$build/$kind/$f" "$tree/$f" || fail "$kind: $f is not the built file"; done
  echo "$want" | grep -qx ioport.dll || fail "$kind: no ioport.dll"
  echo "$want" | grep -qx kestan.dll || fail "$kind: no kestan.dll"
  find "$tree" -iname '*test*' | grep -q . && fail "$kind: a test program slipped in"

  for f in README.txt programming.md include/kestan.h; do [ -s "$tree/$f" ] || fail "$kind: no $f"; done
  cmp -s "$src/scripts/wine-look.reg" "$tree/wine-look.reg" || fail "$kind: no wine-look.reg, or not the source's"
  grep -q "$kind install" "$tree/README.txt" || fail "$kind: README.txt does not say which install"
  cmp -s "$src/lib/kestan/kestan.h" "$tree/include/kestan.h" || fail "$kind: kestan.h is not the source's"
  for x in "${drivers[@]}"; do
    for f in "include/$x.h" "lib/lib${x}_ord.a" "lib/lib${x}_name.a" "lib/${x}_ord.def" "lib/${x}_name.def"; do
      [ -s "$tree/$f" ] || fail "$kind: no $f"
    done
    grep -q NONAME "$tree/lib/${x}_name.def" && fail "$kind: ${x}_name.def imports by ordinal"
    grep -q NONAME "$tree/lib/${x}_ord.def" || fail "$kind: ${x}_ord.def has no NONAME entries"
    # __stdcall decorations (W_Name@8) in 32-bit code only.
    decorated=0
    grep -qE '[A-Za-z0-9_]@[0-9]+' "$tree/lib/${x}_ord.def" "$tree/lib/${x}_name.def" && decorated=1
    [ "$decorated" = $((bits == 32)) ] || fail "$kind: ${x}'s .def files are not in the form of $bits-bit code"
  done
  grep -qE '^\[[0-9]+\] ' "$tree/README.txt" && fail "$kind: README.txt keeps lines marked for a build"
  (cd "$tree/include" && for h in *.h; do echo "#include \"$h\""; done) |
    "$cxx" -x c++ -fsyntax-only -I"$tree/include" - || fail "$kind: the headers do not compile together"
  for h in "$tree"/include/*.h; do
    echo "#include \"$(basename "$h")\"" | "$cxx" -x c++ -fsyntax-only -I"$tree/include" - ||
      fail "$kind: $(basename "$h") does not compile on its own"
  done
done

# The hardware and simulator installs differ in ioport.dll alone.
h="$out/unpacked/$kit-hardware" s="$out/unpacked/$kit-simulator"
cmp -s "$h/ioport.dll" "$s/ioport.dll" && fail "ioport.dll is the same in both archives"
for f in $(cd "$h" && ls *.exe *.dll); do
  [ "$f" = ioport.dll ] || cmp -s "$h/$f" "$s/$f" || fail "$f differs between the archives"
done

# The kit is enough to build its own examples, by name and by ordinal, as
# programming.md shows; it says which Windows it is for.
(cd "$s" && "$cxx" -static -Iinclude examples/walk_outputs.cpp -Llib -lkestan_name -o "$out/walk.exe" &&
            "$cxx" -static -Iinclude examples/counter_read.cpp -Llib -lkestan_ord -o "$out/counter.exe") ||
  fail "the examples do not build from the kit"
grep -q "Everything here is $bits-bit Windows" "$s/README.txt" || fail "README.txt does not say the kit is $bits-bit"
grep -q "by ordinal" "$s/lib/kestan_name.def" && fail "kestan_name.def says it imports by ordinal"

[ $failures -eq 0 ] && echo "dist: all checks passed"
exit $failures
