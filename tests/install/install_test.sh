#!/usr/bin/env bash
# install_test.sh BUILD_DIR CMAKE CXX
# Installs the build into a temporary prefix, moves the prefix elsewhere (so
# only relative run paths can work), then builds and runs a user's program
# and the tools from there, with no build tree on any path.
set -euo pipefail
build=$1 cmake=$2 cxx=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/prefix"
prefix=$work/prefix
unset LD_LIBRARY_PATH KESTAN_IOPORT
export KESTAN_IO_STATE_DIR=$work/state PATH=$prefix/bin:/usr/bin:/bin

# No installed binary names the build tree (or the prefix it was installed to).
for f in "$prefix"/bin/* $(find "$prefix/lib" -name '*.so'); do
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qE "$build|$work/first"; then
    fail "$f has an absolute run path: $(readelf -d "$f" | grep -E 'R(UN)?PATH')"
  fi
done

# A user's program, built as the README says.
cat > "$work/first_program.cpp" <<'PROGRAM'
#include <cstdio>
#include "kestan.h"
#include "fenmar.h"
int main() {
  if (W_Kestan_Initial(0, 0x2A8) != No_Error) return 1;
  W_Kestan_DO_Channel(5, 1);
  int line = 0;
  W_Kestan_DI_Channel(5, &line);
  std::printf("input 5: %d\n", line);
  return line == 1 ? 0 : 2;
}
PROGRAM
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
"$cxx" -o "$work/first_program" "$work/first_program.cpp" $(pkg-config --cflags --libs kestan fenmar)
[ "$(KESTAN_IOPORT=simulator "$work/first_program")" = "input 5: 1" ] || fail "the user's program on the simulated PC"
# The same program on the real ports without the right to them: no card is reached.
if [ "$(id -u)" != 0 ] && "$work/first_program" >/dev/null 2>&1; then fail "the hardware layer reached a card"; fi

out=$(kestan-io --simulator --base 0x2A8 write 3 1)
[ "$out" = "output 3 set to 1" ] || fail "kestan-io: $out"
out=$(kestan-io --simulator --base 0x2A8 write 5 1 readback | tail -n 1)
[ "$out" = "outputs word : 0x00000028 (bit n = channel n)" ] || fail "kestan-io kept no outputs: $out"
kestan-io --help > "$work/help.txt"
grep -q "Usage: kestan-io" "$work/help.txt" || fail "kestan-io --help"

# Every installed header compiles on its own from the prefix alone.
for h in "$prefix"/include/kestan/*.h; do
  echo "#include \"$(basename "$h")\"" | "$cxx" -fsyntax-only -x c++ -I"$prefix/include/kestan" - \
    || fail "$(basename "$h") includes a header that is not installed"
done

case "$(kestan-sim --version)" in "kestan-sim "*) ;; *) fail "kestan-sim --version";; esac
KESTAN_SIM_PC=$work/pc kestan-sim status | grep -q "kestan@2A8" || fail "kestan-sim status on the simulated PC"

if [ -d "$prefix/lib/python3/dist-packages/kestan" ]; then
  out=$(PYTHONPATH=$prefix/lib/python3/dist-packages /usr/bin/python3 -c '
import kestan
with kestan.Card("kestan", 0x2A8, simulator=True) as card:
    card.write(7, 1)
    print(card.read(7))')
  [ "$out" = "1" ] || fail "python: $out"
fi
echo "install test: passed in $prefix"
