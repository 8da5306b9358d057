#!/usr/bin/env bash
# The native kit's figures on the simulated PC, in one run: a kestan-io run
# (at most 5 ms) and a kestan Python call over the C call it wraps (at most
# 5 us more).
#   bench/linuxkit/run.sh [BUILD_DIR]     (default build/linux; build it first)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build/linux}" && pwd)
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
export KESTAN_IO_STATE_DIR=$state KESTAN_IOPORT=simulator
c=$("$build/bench/bench_linuxkit")
PYTHONPATH=$top/python KESTAN_LIB_DIR=$build/lib C_FIGURES="$c" /usr/bin/python3 - <<'PY'
import os, time, statistics
import kestan

c = dict(line.split() for line in os.environ["C_FIGURES"].splitlines())
card = kestan.Card("kestan", 0x2A8)

def per_call_us(calls, fn):
    rounds = []
    for _ in range(20):
        start = time.perf_counter()
        for i in range(calls // 20):
            fn(i)
        rounds.append((time.perf_counter() - start) * 1e6 / (calls // 20))
    return statistics.median(rounds)

py_read = per_call_us(100000, lambda i: card.read(5))
py_write = per_call_us(10000, lambda i: card.write(5, i & 1))
run = float(c["run"])
print(f"kestan-io one-command run: {run / 1000:.2f} ms (limit 5 ms) {'ok' if run <= 5000 else 'TOO SLOW'}")
for name, py, cc in (("read", py_read, float(c["c-read"])), ("write", py_write, float(c["c-write"]))):
    over = py - cc
    print(f"Card.{name}: {py:.2f} us, its C call {cc:.2f} us: {over:.2f} us over (limit 5 us), "
          f"ratio {py / cc:.2f} {'ok' if over <= 5 else 'TOO SLOW'}")
PY
