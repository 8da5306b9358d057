#!/usr/bin/env bash
# One simulated PC for a Win32 panel under Wine and native programs: with
# kestan_panel on the card at 2A8H, a native `kestan-io write 5 1` lights
# the panel's input lamp 5 within two polls and `kestan-sim set` lights
# input lamp 7; the learner's walk_outputs (Win32) runs beside the panel and
# kestan-sim status and journal see what it left on the card.
#   shared_pc.sh SIMULATOR_DIR SCREENSHOT_DIR HOST_BIN_DIR
set -uo pipefail
. "$(dirname "$0")/userview.sh"
sim=$1 shots=$2 bin=$3
mkdir -p "$shots"
for tool in kestan-io kestan-sim; do
  [ -x "$bin/$tool" ] || { echo "FAIL: no $bin/$tool (make build-host)"; exit 1; }
done
io="$bin/kestan-io --simulator --base 0x2A8"
simtool=$bin/kestan-sim

red=255,0,0 white=255,255,255
poll_ms=50
# Input lamp n of the Kestan panel (16 a row, channel 0 on the right).
in_lamp() { uv_pixel "$1" $((UV_CLIENT_X + 320 - 20 * ($2 % 16) + 8)) $((UV_CLIENT_Y + 60 - 20 * ($2 / 16) + 8)); }
out_lamp() { uv_pixel "$1" $((UV_CLIENT_X + 320 - 20 * ($2 % 16) + 8)) $((UV_CLIENT_Y + 154 - 20 * ($2 / 16) + 8)); }
expect() { [ "$2" = "$3" ] || uv_fail "$1: $2, expected $3"; }

unset KESTAN_SIM_RACK
uv_start "$sim" kestan_panel
win=$(uv_window Kestan)
[ -n "$win" ] || { uv_fail "no window \"Kestan\""; uv_done; }
uv_choose "$win" 192 208 23   # 2A8H
shot=$UV_TMP/shared.png

# A native program writes: the panel's input lamp follows within two polls.
uv_timed_shot_start "$win" $((2 * poll_ms))
$io write 5 1 >/dev/null || uv_fail "kestan-io write 5 1 failed"
uv_timed_shot_take "$shot" || uv_fail "the timed screenshot failed"
uv_note "screen read ${UV_SHOT_ENDED:-?} ms after kestan-io ended"
[ -n "${UV_SHOT_ENDED:-}" ] && [ "$UV_SHOT_ENDED" -le 150 ] || uv_fail "the screen was read too late for two polls"
expect "input lamp 5 after kestan-io write 5 1" "$(in_lamp "$shot" 5)" "$red"
expect "output lamp 5 (the panel's own outputs)" "$(out_lamp "$shot" 5)" "$white"

# kestan-sim drives input 7 from outside.
uv_timed_shot_start "$win" $((2 * poll_ms))
$simtool set 2A8 0 7 1 >/dev/null || uv_fail "kestan-sim set failed"
uv_timed_shot_take "$shot" || uv_fail "the timed screenshot failed"
expect "input lamp 7 after kestan-sim set" "$(in_lamp "$shot" 7)" "$red"
$simtool release 2A8 0 7 >/dev/null
cp "$shot" "$shots/shared_pc.png"

# The learner's example (Win32) beside the panel: it switches every output
# off at its end, and kestan-sim sees the card so, and its last port access.
$simtool status | grep -q "outputs 0x00000020" || uv_fail "kestan-sim status before walk_outputs: $($simtool status)"
(cd "$sim" && env -u WINEPATH wine walk_outputs.exe </dev/null >"$UV_TMP/walk" 2>&1) || uv_fail "walk_outputs failed"
grep -q "equalled the outputs in 32 of 32" "$UV_TMP/walk" || uv_fail "walk_outputs: $(tr -d '\r' <"$UV_TMP/walk" | tail -n 2)"
$simtool status | grep -q "outputs 0x00000000  inputs 0x00000000" ||
  uv_fail "kestan-sim status after walk_outputs: $($simtool status)"
$simtool journal 200 | grep -q "out8  02AB  00" || uv_fail "kestan-sim journal lacks walk_outputs' last write"

uv_menu_click "$win" 20   # Exit
code=$(uv_wait_exit 10)
[ "$code" = 0 ] || uv_fail "Exit: exit code $code"
uv_done
