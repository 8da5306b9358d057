#!/usr/bin/env bash
# Runs the example programs from the simulator folder under Wine (inside the
# Wine session that ctest runs in) and checks what they print and how they
# bind kestan.dll.
#   run_examples.sh SIMULATOR_DIR EXPECTED_DIR OBJDUMP
set -uo pipefail
sim=$1 expected=$2 objdump=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cd "$sim" || exit 1
unset WINEPATH   # the programs find kestan.dll and ioport.dll beside them

# Output through files, never pipes: the first Wine program of a session
# starts Wine's own services, which would keep a pipe (and ctest) waiting.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
run() { wine "$1" </dev/null >"$tmp/out" 2>"$tmp/err"; local s=$?; tr -d '\r' <"$tmp/out"; return $s; }

# walk_outputs: on the test cable every input follows its output.
out=$(run walk_outputs.exe); status=$?
[ $status -eq 0 ] || fail "walk_outputs exited $status"
if ! diff -u "$expected/walk_outputs.expected" <(printf '%s\n' "$out"); then
  fail "walk_outputs printed something else"
fi

# counter_read: ten counts of a mode-2 counter started at 50000 lie in 1 to
# 50000, and no two reads 2 ms apart are the same (the counter runs).
out=$(run counter_read.exe); status=$?
[ $status -eq 0 ] || fail "counter_read exited $status"
printf '%s\n' "$out"
echo "$out" | head -n 1 | grep -qx 'Counter 0 of the card at 2A8H started in mode 2 with count 50000\.' ||
  fail "counter_read: first line"
reads=$(echo "$out" | grep -cE '^read +([1-9]|10): +[0-9]+$')
[ "$reads" -eq 10 ] || fail "counter_read: $reads read lines, not 10"
echo "$out" | awk '/^read/ { v = $3 + 0; if (v < 1 || v > 50000) bad = 1; if (v == last) bad = 1; last = v }
                   END { exit bad }' || fail "counter_read: a count outside 1..50000 or standing still"
echo "$out" | tail -n 1 | grep -qE '^Counter 0 stopped at [0-9]+\.$' || fail "counter_read: last line"

# One binds by name, the other by ordinal only.
imports() { "$objdump" -p "$1" | awk '/DLL Name: kestan.dll/ { on = 1; next } /DLL Name/ { on = 0 } on && NF >= 2'; }
imports walk_outputs.exe | grep -q 'W_Kestan_DO_Channel' || fail "walk_outputs does not import by name"
imports counter_read.exe | grep -q 'W_Kestan' && fail "counter_read imports a name"
# Ordinal 11 (0BH): the ordinal flag over 11 in the thunk (8 hex digits in
# 32-bit code, 16 in 64-bit code); objdump prints the number in decimal for
# the one, in hex for the other.
imports counter_read.exe | grep -qE '^\s*(8000000b|800000000000000b)\s+(11|0*b)\s+<none>' ||
  fail "counter_read does not import ordinal 11"

[ $failures -eq 0 ] && echo "examples: all checks passed"
exit $failures
