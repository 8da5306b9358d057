#!/usr/bin/env bash
# install_test.sh BUILD_DIR CMAKE CXX README
# Installs the build into a temporary prefix, moves the prefix elsewhere (so
# only relative run paths can work), then builds and runs a user's program
# and the tools from there, with no build tree on any path.
set -euo pipefail
build=$1 cmake=$2 cxx=$3 readme=$4
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

# A user's program, built as the README says: the README's first program.
sed -n "/^    cat > first.cpp <<'EOF'\$/,/^    EOF\$/p" "$readme" | sed '1d;$d;s/^    //' > "$work/first_program.cpp"
grep -q "io_rights" "$work/first_program.cpp" || fail "the README's first program was not found"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
"$cxx" -o "$work/first_program" "$work/first_program.cpp" $(pkg-config --cflags --libs kestan ioport fenmar)
[ "$(KESTAN_IOPORT=simulator "$work/first_program")" = "input 5: 1" ] || fail "the user's program on the simulated PC"
# The same program on the real ports without the right to them (root given
# up): it reaches no card, exits non-zero and says why.
chmod 755 "$work"
if setpriv --reuid=65534 --regid=65534 --clear-groups "$work/first_program" >"$work/hw.out" 2>"$work/hw.err"; then
  fail "the program ran on the real ports without the right to them"
fi
grep -q "Remedy: " "$work/hw.err" || fail "no reason given: $(cat "$work/hw.err")"
[ ! -s "$work/hw.out" ] || fail "it printed a result: $(cat "$work/hw.out")"

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
