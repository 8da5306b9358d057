#!/usr/bin/env bash
# One pass of the panel measurements (bench/panels/run.sh starts it inside
# a Wine session on a virtual display): kestan_panel and dulvar_panel
# started from the simulator folder and worked from outside, their CPU time
# read from /proc, and a lamp's click-to-lit time read off the screen.
#   panels.sh SIMULATOR_DIR LAMP_LATENCY
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tests/wine/userview/userview.sh"
sim=$1 latency_tool=$2

MEASURE_S=${MEASURE_S:-10}   # CPU window
SETTLE_S=${SETTLE_S:-2}      # after a choice, before measuring
CLICKS=${CLICKS:-20}
TARGET_CPU_PCT=0.5           # of one core, program and wineserver together
TARGET_LATENCY_MS=50         # one poll
TICKS_PER_S=$(getconf CLK_TCK)

# Where the programs' controls are, in client pixels.
KESTAN_SELECTOR=(192 208)
KESTAN_2A8H=23               # "(None)" 0, then 200H, 208H, ...
DULVAR_SELECTOR=(252 340)
DULVAR_300H=17               # "(None)" 0, then 200H, 210H, ...
LAMP_HALF=8                  # a lamp is 17 pixels square
OUT0_LAMP=(320 154)          # output channel 0's lamp, top-left
IN0_LAMP=(320 60)            # input channel 0's lamp, top-left
EXIT_X=20                    # "Exit" on the menu bar, window pixels

# proc_env_has PID NAME=VALUE: whether the process's environment holds it.
proc_env_has() {
  tr '\0' '\n' 2>/dev/null <"/proc/$1/environ" | grep -qxF "$2"
}

# windows_process NAME: the Wine process of this session's prefix that runs
# NAME.exe (the loader's process; its command line names the program).
windows_process() {
  local p
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    tr '\0' ' ' 2>/dev/null <"/proc/$p/cmdline" | grep -qi "$1\.exe" || continue
    case $(readlink "/proc/$p/exe" 2>/dev/null) in
      *wine-preloader | *wine64-preloader | */wine | */wine64) ;;
      *) continue ;;
    esac
    proc_env_has "$p" "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
}

# wineserver_process: this session's wineserver.
wineserver_process() {
  local p
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    case $(cat "/proc/$p/comm" 2>/dev/null) in wineserver*) ;; *) continue ;; esac
    proc_env_has "$p" "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
}

# x_server_process: the Xvfb that serves DISPLAY.
x_server_process() {
  local p display=${DISPLAY%%.*}
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    [ "$(cat "/proc/$p/comm" 2>/dev/null)" = Xvfb ] || continue
    tr '\0' '\n' 2>/dev/null <"/proc/$p/cmdline" | grep -qxF "$display" && { echo "$p"; return; }
  done
}

# cpu_ticks PID: utime + stime of the whole process, in clock ticks.
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
  stat=${stat##*) }   # after the command name, which may hold blanks
  set -- $stat        # now field 3 of stat(5) is $1: utime $12, stime $13
  echo $((${12} + ${13}))
}

# threads PID: one line per thread of the process: thread id, time on a CPU
# in nanoseconds (the scheduler's count, finer than the ticks) and the times
# it went to sleep (voluntary context switches: its wake-ups).
threads() {
  local t
  for t in /proc/"$1"/task/*; do
    echo "${t##*/} $(cut -d' ' -f1 "$t/schedstat" 2>/dev/null)" \
      "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$t/status" 2>/dev/null)"
  done
}

now_s() { date +%s.%N; }

# measure LABEL PROGRAM: CPU share of PROGRAM's process, of the wineserver
# and of the X server over MEASURE_S seconds, in % of one core; the
# program's share split into its main thread (the window's thread, which
# polls) and its other threads (Wine's and the simulator's ticker).
measure() {
  local label=$1 pid ws xs
  pid=$(windows_process "$2") ws=$(wineserver_process) xs=$(x_server_process)
  if [ -z "$pid" ] || [ -z "$ws" ]; then
    uv_fail "$label: no process found (program '${pid}', wineserver '${ws}')"
    return
  fi
  local t0 p0 w0 x0 t1 p1 w1 x1
  t0=$(now_s) p0=$(cpu_ticks "$pid") w0=$(cpu_ticks "$ws") x0=$(cpu_ticks "${xs:-0}")
  threads "$pid" >"$UV_TMP/p0"; threads "$ws" >"$UV_TMP/w0"
  sleep "$MEASURE_S"
  t1=$(now_s) p1=$(cpu_ticks "$pid") w1=$(cpu_ticks "$ws") x1=$(cpu_ticks "${xs:-0}")
  threads "$pid" >"$UV_TMP/p1"; threads "$ws" >"$UV_TMP/w1"
  awk -v label="$label" -v t="$(echo "$t1 - $t0" | bc)" -v hz="$TICKS_PER_S" -v main="$pid" \
      -v p=$((p1 - p0)) -v w=$((w1 - w0)) -v x=$((x1 - x0)) -v target="$TARGET_CPU_PCT" -v base="${WS_BASE_PCT:-0}" '
    # Thread lines of the snapshots before (p0, w0) and after (p1, w1).
    FILENAME ~ /0$/ { ns0[FILENAME, $1] = $2; sw0[FILENAME, $1] = $3; next }
    {
      before = substr(FILENAME, 1, length(FILENAME) - 1) "0"
      if (!((before, $1) in ns0)) next   # a thread started meanwhile
      who = (FILENAME ~ /w1$/) ? "server" : ($1 == main) ? "main" : "other"
      ns[who] += $2 - ns0[before, $1]; sw[who] += $3 - sw0[before, $1]
    }
    END {
      pp = 100 * p / hz / t; wp = 100 * w / hz / t; xp = 100 * x / hz / t
      pct = 100 / 1e9 / t
      printf "%s, %.2f s:\n", label, t
      printf "  program     %6.3f %% of one core (utime+stime %d ticks; scheduler %.3f %%)\n", pp, p, (ns["main"] + ns["other"]) * pct
      printf "    main thread    %6.3f %%, %5.0f wake-ups/s\n", ns["main"] * pct, sw["main"] / t
      printf "    other threads  %6.3f %%, %5.0f wake-ups/s\n", ns["other"] * pct, sw["other"] / t
      printf "  wineserver  %6.3f %% of one core (utime+stime %d ticks; scheduler %.3f %%, %.0f wake-ups/s)\n", wp, w, ns["server"] * pct, sw["server"] / t
      printf "  sum         %6.3f %% of one core (scheduler %.3f %%), target at most %s %%: %s\n", pp + wp, (ns["main"] + ns["other"] + ns["server"]) * pct, target, (pp + wp <= target) ? "met" : "MISSED"
      ours = (ns["main"] + ns["other"] + ns["server"]) * pct - base
      printf "  program and the wineserver above its floor of %.3f %%: %.3f %% (scheduler), target at most %s %%: %s\n", base, ours, target, (ours <= target) ? "met" : "MISSED"
      printf "  X server    %6.3f %% of one core (utime+stime %d ticks)\n", xp, x
    }' "$UV_TMP/p0" "$UV_TMP/w0" "$UV_TMP/p1" "$UV_TMP/w1"
}

# start PROGRAM TITLE: starts the program on a fresh simulated PC of its
# own (with the rack of KESTAN_SIM_RACK); w becomes its window.
start() {
  export KESTAN_SIM_PC=$UV_TMP/pc
  rm -f "$KESTAN_SIM_PC"
  uv_start "$sim" "$1"
  w=$(uv_window "$2")
  [ -n "$w" ] || uv_fail "no window \"$2\""
}

# stop WINDOW: a click on Exit, the menu bar's only item (the keyboard does
# not reach the menu while the address selector has the focus).
# Now and then the first click is lost: then once more, and a note.
stop() {
  uv_menu_click "$1" "$EXIT_X"
  local code; code=$(uv_wait_exit 5)
  if [ "$code" = hang ]; then
    uv_note "$UV_PROGRAM: still running 5 s after a click on Exit; clicking again"
    uv_menu_click "$1" "$EXIT_X"
    code=$(uv_wait_exit 10)
  fi
  [ "$code" = 0 ] || uv_fail "$UV_PROGRAM did not end with code 0 on Exit ($code)"
}

# lamp_pixel X Y: the centre of the lamp whose top-left is at client X, Y,
# in pixels of the X window.
lamp_pixel() { echo $((UV_CLIENT_X + $1 + LAMP_HALF)) $((UV_CLIENT_Y + $2 + LAMP_HALF)); }

# inputs_changing WINDOW: how many pixels of the input lamps differ between
# two screenshots 1 s apart.
inputs_changing() {
  local block="340x60+$((UV_CLIENT_X + 0))+$((UV_CLIENT_Y + 30))"
  uv_shot "$1" "$UV_TMP/a.png"; sleep 1; uv_shot "$1" "$UV_TMP/b.png"
  /usr/bin/convert "$UV_TMP/a.png" -crop "$block" +repage "$UV_TMP/a1.png"
  /usr/bin/convert "$UV_TMP/b.png" -crop "$block" +repage "$UV_TMP/b1.png"
  /usr/bin/compare -metric AE "$UV_TMP/a1.png" "$UV_TMP/b1.png" null: 2>&1
}

echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"

# The wineserver serves the whole prefix (services and devices too): its
# share with no program running is the floor under every figure below.
server_baseline() {
  local ws a b t0 t1
  ws=$(wineserver_process)
  [ -n "$ws" ] || { WS_BASE_PCT=0; return; }
  t0=$(now_s) a=$(cut -d' ' -f1 "/proc/$ws/schedstat")
  sleep "$MEASURE_S"
  t1=$(now_s) b=$(cut -d' ' -f1 "/proc/$ws/schedstat")
  WS_BASE_PCT=$(echo "scale=3; ($b - $a) / 10000000 / ($t1 - $t0)" | bc)
  printf "wineserver with no program running, %.2f s: %.3f %% of one core (scheduler)\n" \
    "$(echo "$t1 - $t0" | bc)" "$WS_BASE_PCT"
}
server_baseline

# 1 and 4: kestan_panel on the default rack (a Kestan card at 2A8H, cable in).
start kestan_panel Kestan
if [ -n "$w" ]; then
  sleep "$SETTLE_S"
  measure "kestan_panel idle, no card chosen (\"(None)\")" kestan_panel
  uv_choose "$w" "${KESTAN_SELECTOR[@]}" "$KESTAN_2A8H"
  sleep "$SETTLE_S"
  measure "kestan_panel idle, 2A8H chosen, inputs steady" kestan_panel
  echo "kestan_panel click on output lamp 0 to lit lamps, $CLICKS clicks (on, off, ...), target input lamp at most $TARGET_LATENCY_MS ms:"
  "$latency_tool" "$w" "$CLICKS" $(lamp_pixel "${OUT0_LAMP[@]}") \
      "output-lamp-0" $(lamp_pixel "${OUT0_LAMP[@]}") \
      "input-lamp-0(loopback)" $(lamp_pixel "${IN0_LAMP[@]}") >"$UV_TMP/latency.txt"
  status=$?
  sed 's/^/  /' "$UV_TMP/latency.txt"
  [ $status -eq 0 ] || uv_fail "lamp_latency ended with $status"
  # "NAME: min A ms, median B ms, max C ms over N clicks" -> verdicts.
  awk -v t="$TARGET_LATENCY_MS" '/^input-lamp-0/ {
    what = ($0 ~ / after /) ? "input lamp after output lamp" : "input lamp after click"
    median = $(NF - 7); max = $(NF - 4)
    printf "  %s: median %.1f ms, max %.1f ms; target at most %d ms: median %s, max %s\n",
           what, median, max, t, (median <= t) ? "met" : "MISSED", (max <= t) ? "met" : "MISSED" }' \
      "$UV_TMP/latency.txt"
  stop "$w"
fi

# 2: kestan_panel on a Kestan card whose inputs count on every poll.
export KESTAN_SIM_RACK=kestan_counter@2A8
start kestan_panel Kestan
if [ -n "$w" ]; then
  uv_choose "$w" "${KESTAN_SELECTOR[@]}" "$KESTAN_2A8H"
  sleep "$SETTLE_S"
  changed=$(inputs_changing "$w")
  echo "kestan_counter@2A8: $changed input-block pixels changed between two shots 1 s apart"
  [ "${changed%% *}" != 0 ] || uv_fail "the counting card's inputs do not change on the panel"
  measure "kestan_panel, 2A8H chosen, inputs change on every poll (kestan_counter@2A8)" kestan_panel
  stop "$w"
fi
unset KESTAN_SIM_RACK

# 3: dulvar_panel in its start-up mode (144-bit, six channels, 24 library
# calls per poll), a Dulvar card at 300H: beside the default Kestan card,
# whose timer keeps the simulator's millisecond ticker running, and alone
# (no ticker), to tell the panel's own cost from the simulator's.
for rack in default empty; do
  if [ "$rack" = empty ]; then export KESTAN_SIM_RACK=empty; fi
  start dulvar_panel Dulvar
  if [ -n "$w" ]; then
    uv_choose "$w" "${DULVAR_SELECTOR[@]}" "$DULVAR_300H"
    sleep "$SETTLE_S"
    measure "dulvar_panel idle, 144-bit mode, 300H chosen, $rack rack" dulvar_panel
    stop "$w"
  fi
  unset KESTAN_SIM_RACK
done

[ "$UV_FAILURES" -eq 0 ] || echo "panels.sh: $UV_FAILURES step(s) failed"
exit "$UV_FAILURES"
