#!/usr/bin/env bash
# The user's view of the four lamp-row panels: start the program from the
# simulator folder, choose a base address in the selector, click three
# output lamps, and see on the screen that they and their inputs (the test
# cable joins output n to input n) turn red within two polls of the last
# click while an unclicked lamp stays white; then choose "(None)", click one
# more output lamp and see that nothing changes; a screenshot, and Exit.
# With ADDRESS the same at that address on the default rack.
#   lamp_panels.sh SIMULATOR_DIR SCREENSHOT_DIR PROGRAM [ADDRESS]
set -uo pipefail
. "$(dirname "$0")/userview.sh"
sim=$1 shots=$2 program=$3
mkdir -p "$shots"

# One row per program. The selector's top-left corner, the address to choose
# and the selector's address step: its entries are "(None)", "Demo", then the
# addresses from 200H in that step, so the address is entry
# 2 + (address - 200H) / step. The rack is the simulated PC: next to the
# chosen address sit cards of another kind, so an entry one off lands on a
# range the library cannot claim (or, for kestan, on an empty bus whose
# inputs float high) and the lamps show it. Lamp tables as the programs lay
# them out: channel n at x0 - dx * (n mod per_row), y + row_dy * (n div
# per_row), inputs at in_y, outputs at out_y. Then the three channels
# clicked, one left alone, and the one clicked after "(None)".
#  program      title   sel_x sel_y address step rack                             x0  dx per_row in_y out_y row_dy clicks  idle after
lamp_programs='
kestan_panel  Kestan  192   208   2A8     8    kestan@2A8                         320 20 16      60   154   -20    0,15,31 16   5
orvel_panel   Orvel   192   208   300     16   kestan@2A8,kestan@2F0,kestan@310   320 20 16      60   154   -20    1,16,30 17   2
sarrow_panel  Sarrow  192   180   2B0     8    kestan@2A8,kestan@2B8              320 20 16      40   120   0      0,7,15  8    3
pellin_panel  Pellin  152   170   210     2    kestan@2A8,kestan@208,wendal@212   230 30 8       40   120   0      0,3,7   1    5
'
row=$(echo "$lamp_programs" | awk -v p="$program" '$1 == p')
[ -n "$row" ] || { echo "lamp_panels.sh: no scenario for $program"; exit 2; }
read -r _ title sel_x sel_y address step rack x0 dx per_row in_y out_y row_dy clicks idle after <<<"$row"
uv_at_address "$program" "$address" "$rack" "${4:-}"
address=$UV_ADDRESS
entry=$((2 + (0x$address - 0x200) / step))
IFS=, read -r -a clicked <<<"$clicks"

# The panels poll every 50 ms; the screen is read two polls after the last
# click and must have been read by the limit for the check to say "within
# two polls" (a little slack for the screen copy itself).
poll_ms=50
shot_limit_ms=150

lamp_x() { echo $((x0 - dx * ($1 % per_row))); }
lamp_y() { echo $(($2 + row_dy * ($1 / per_row))); }

# lamp_colour FILE ROW N: the colour at the centre of lamp N of the input
# (in) or output (out) row, in the screenshot.
lamp_colour() {
  local y0; [ "$2" = in ] && y0=$in_y || y0=$out_y
  uv_pixel "$1" $((UV_CLIENT_X + $(lamp_x "$3") + 8)) $((UV_CLIENT_Y + $(lamp_y "$3" "$y0") + 8))
}

red=255,0,0 white=255,255,255

# expect_lamps FILE WHAT COLOUR ROW:N...: each lamp has that colour.
expect_lamps() {
  local file=$1 what=$2 want=$3 lamp got; shift 3
  for lamp in "$@"; do
    got=$(lamp_colour "$file" "${lamp%%:*}" "${lamp#*:}")
    [ "$got" = "$want" ] || uv_fail "$what: ${lamp%%:*}put lamp ${lamp#*:} is $got, expected $want"
  done
}

# click_output N: a left click at the centre of output lamp N.
click_output() {
  uv_client_click "$win" $(($(lamp_x "$1") + 8)) $(($(lamp_y "$1" "$out_y") + 8))
}

uv_start "$sim" "$program"
win=$(uv_window "$title")
[ -n "$win" ] || { import -window root "$shots/$program-failed.png"; uv_fail "no window \"$title\""; uv_done; }
shot=$UV_TMP/$program.png

uv_shot "$win" "$shot"
lit=() all=()
for n in "${clicked[@]}"; do lit+=("out:$n" "in:$n"); done
all=("${lit[@]}" "out:$idle" "in:$idle" "out:$after" "in:$after")
expect_lamps "$shot" "at start" "$white" "${all[@]}"

uv_choose "$win" "$sel_x" "$sel_y" "$entry"
uv_note "chose ${address}H (entry $entry), clicked output lamps $clicks"
uv_timed_shot_start "$win" $((2 * poll_ms))
for n in "${clicked[@]}"; do click_output "$n"; sleep 0.05; done
uv_timed_shot_take "$shot" || uv_fail "the timed screenshot failed"   # the moment of the last click
began=$UV_SHOT_BEGAN ended=$UV_SHOT_ENDED
uv_note "screen read ${began:-?} to ${ended:-?} ms after the last click (two polls: $((2 * poll_ms)) ms, limit $shot_limit_ms ms)"
[ -n "${ended:-}" ] && [ "$ended" -le "$shot_limit_ms" ] ||
  uv_fail "the screen was read ${ended:-never} ms after the last click, not within $shot_limit_ms ms: no check of two polls"
expect_lamps "$shot" "clicked, within two polls" "$red" "${lit[@]}"
expect_lamps "$shot" "not clicked" "$white" "out:$idle" "in:$idle" "out:$after" "in:$after"

# "(None)": the lamps keep what they show and clicks change nothing.
uv_choose "$win" "$sel_x" "$sel_y" 0
click_output "$after"
sleep 0.3
uv_shot "$win" "$shot"
expect_lamps "$shot" "frozen by (None)" "$red" "${lit[@]}"
expect_lamps "$shot" "clicked while (None)" "$white" "out:$after" "in:$after" "out:$idle" "in:$idle"
cp "$shot" "$shots/$UV_NAME.png"

uv_menu_click "$win" 20                           # Exit, the menu bar's only command
code=$(uv_wait_exit 10)
[ "$code" = 0 ] || uv_fail "Exit: exit code $code"
uv_done
