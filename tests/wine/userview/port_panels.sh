#!/usr/bin/env bash
# The user's view of the three port panels. The program is started from the
# simulator folder, a base address is chosen in its selector (the card
# library's initialise plugs the simulated card there), a port group is set
# to output with a click on its O box and some of its lamps are clicked.
# The simulated card's test cable feeds every output line back to an input
# line, so the screen must then show:
#   - the group's frame in the output colour (dark green), the clicked lamps
#     red and the others white;
#   - the input lamps of the joined lines following them (red where a lamp
#     was clicked, white elsewhere), the joined group still input (green);
#   - an input lamp of a line nothing drives red: open lines read 1.
# The screen is read 100 ms (two polls) after the last click and must have
# been read within 150 ms for the check to say "within two polls". Next to
# the chosen address the rack holds other cards, so that an entry one off
# lands on a range the library cannot claim and the lamps show it (no card:
# nothing is read). dulvar_panel also goes to 96-bit and back: channels 4
# and 5 disappear, are not clickable meanwhile, and come back with the state
# they had. With ADDRESS the same at that address on the default rack.
#   port_panels.sh SIMULATOR_DIR SCREENSHOT_DIR PROGRAM [ADDRESS]
set -uo pipefail
. "$(dirname "$0")/userview.sh"
sim=$1 shots=$2 program=$3
mkdir -p "$shots"

# One line per program: window title, base-address selector (client x,y),
# the address to choose and the selector's address step (its entries are
# "(None)", then the addresses from 200H in that step), the rack
# (cards just below and just after the card at that address), how the
# card's cable joins lines (channels: channel 2k to 2k + 1 port for port;
# port_c: Port A line i to Port C line i), a line nothing drives
# (channel:group:bit), the mode selector (client x,y) or "-", then the
# output groups set one after the other (channel:group:clicked bits).
programs="
fenmar_panel Fenmar 352,90  220 4  kestan@218,pellin@224 port_c   0:B:0 -       0:A:1,6
wendal_panel Wendal 352,140 220 2  kestan@218,pellin@22C channels 1:B:0 -       0:A:1,6
dulvar_panel Dulvar 252,340 220 16 kestan@218,kestan@238 channels 1:B:0 450,340 0:A:1,6 4:A:2
"
row=$(awk -v p="$program" '$1 == p' <<<"$programs")
[ -n "$row" ] || { echo "port_panels.sh: no scenario for \"$program\"" >&2; exit 2; }
read -r _ title selector address step rack cable open mode outputs <<<"$row"
uv_at_address "$program" "$address" "$rack" "${4:-}"
address=$UV_ADDRESS
entry=$((1 + (0x$address - 0x200) / step))
IFS=, read -r sel_x sel_y <<<"$selector"
IFS=: read -r open_ch open_group open_bit <<<"$open"
IFS=, read -r mode_x mode_y <<<"$mode"
read -ra outputs <<<"$outputs"

# --- the panel's layout, in client pixels -------------------------------------
# Port groups: x of the bit-0 lamp and the number of lines; bit i sits 20
# pixels left of bit 0. Channel c is the row whose lamps stand at y 40 + 50 c.
declare -A X0=([A]=180 [B]=480 [CL]=590 [CU]=290) LINES=([A]=8 [B]=8 [CL]=4 [CU]=4)
declare -A NAME=([A]="Port A" [B]="Port B" [CL]="Port C(Lower)" [CU]="Port C(Upper)")
poll_ms=50
shot_limit_ms=150
row_y() { echo $((40 + 50 * $1)); }
lamp_x() { echo $((X0[$1] - 20 * $2)); }
leftmost_x() { echo $((X0[$1] - 20 * (LINES[$1] - 1))); }

# joined_line CHANNEL GROUP BIT: the input line the cable joins to that line.
joined_line() {
  case $cable in
    channels) echo "$(($1 ^ 1)) $2 $3" ;;
    port_c) if [ "$3" -lt 4 ]; then echo "$1 CL $3"; else echo "$1 CU $(($3 - 4))"; fi ;;
  esac
}

# --- pixel expectations --------------------------------------------------------
declare -A RGB=([red]=255,0,0 [white]=255,255,255 [green]=0,255,0 [dark_green]=0,128,0
                [grey]=192,192,192 [blue]=0,0,255)
EXPECT=()

# expect X Y COLOURS WHAT: client pixel X, Y must show one of the colours
# (names of RGB joined by "|").
expect() { EXPECT+=("$1 $2 $3 $4"); }

# expect_lamp CHANNEL GROUP BIT COLOUR WHAT: the lamp's centre.
expect_lamp() {
  expect $(($(lamp_x "$2" "$3") + 8)) $(($(row_y "$1") + 8)) "$4" \
    "CH$1 ${NAME[$2]} bit $3 ($5)"
}

# expect_frame CHANNEL GROUP COLOUR: the group frame left of its leftmost
# lamp, clear of the label above and the caption below.
expect_frame() {
  expect $(($(leftmost_x "$2") - 3)) $(($(row_y "$1") + 5)) "$3" "CH$1 ${NAME[$2]} frame"
}

# check_expectations FILE STEP: one look at the screenshot for every pixel
# expected since the last check; each mismatch is a failure.
check_expectations() {
  local file=$1 step=$2 format="" e x y i=0 got
  for e in "${EXPECT[@]}"; do
    read -r x y _ <<<"$e"
    x=$((UV_CLIENT_X + x)) y=$((UV_CLIENT_Y + y))
    format+="%[fx:int(255*p{$x,$y}.r+0.5)],%[fx:int(255*p{$x,$y}.g+0.5)],%[fx:int(255*p{$x,$y}.b+0.5)] "
  done
  read -ra got <<<"$(/usr/bin/convert "$file" -format "$format" info: 2>/dev/null)"
  for e in "${EXPECT[@]}"; do
    local colours what ok=0 c
    read -r x y colours what <<<"$e"
    for c in ${colours//|/ }; do [ "${got[$i]:-}" = "${RGB[$c]}" ] && ok=1; done
    [ "$ok" = 1 ] || uv_fail "$step: $what at ($x, $y) is ${got[$i]:-unreadable}, expected $colours"
    i=$((i + 1))
  done
  uv_note "$step: ${#EXPECT[@]} pixels checked"
  EXPECT=()
}

fail_with_screen() {
  import -window root "$shots/$program-failed.png" 2>/dev/null
  uv_fail "$1"
  uv_done
}

# --- steps -----------------------------------------------------------------------

# set_output CHANNEL GROUP BITS: O box, then the lamps of BITS (comma-separated);
# the screenshot after the last click is checked (see the top).
set_output() {
  local ch=$1 group=$2 bits=${3//,/ } y x0 bit shot=$UV_TMP/$program-$1$2.png
  y=$(row_y "$ch") x0=${X0[$group]}
  uv_client_click "$win" $((x0 + 33)) $((y + 17))   # O box (hit for y in Y+8..Y+25)
  sleep 0.3
  uv_timed_shot_start "$win" $((2 * poll_ms))
  for bit in $bits; do uv_client_click "$win" $(($(lamp_x "$group" "$bit") + 8)) $((y + 8)); done
  uv_timed_shot_take "$shot" || uv_fail "CH$ch ${NAME[$group]}: the timed screenshot failed"
  uv_note "CH$ch ${NAME[$group]}: screen read ${UV_SHOT_BEGAN:-?} to ${UV_SHOT_ENDED:-?} ms after the last click (limit $shot_limit_ms ms)"
  [ -n "$UV_SHOT_ENDED" ] && [ "$UV_SHOT_ENDED" -le "$shot_limit_ms" ] ||
    uv_fail "CH$ch ${NAME[$group]}: screen read ${UV_SHOT_ENDED:-never} ms after the last click, not within $shot_limit_ms ms: no check of two polls"
  expect_frame "$ch" "$group" dark_green
  local joined_ch joined_group joined_bit shown=" $bits " i
  read -r joined_ch joined_group _ <<<"$(joined_line "$ch" "$group" 0)"
  expect_frame "$joined_ch" "$joined_group" green
  for ((i = 0; i < LINES[$group]; i++)); do
    local colour=white state="not clicked"
    [[ $shown == *" $i "* ]] && colour=red state=clicked
    expect_lamp "$ch" "$group" "$i" "$colour" "output, $state"
    read -r joined_ch joined_group joined_bit <<<"$(joined_line "$ch" "$group" "$i")"
    expect_lamp "$joined_ch" "$joined_group" "$joined_bit" "$colour" \
      "input joined to CH$ch ${NAME[$group]} bit $i, $state"
  done
  expect_lamp "$open_ch" "$open_group" "$open_bit" red "open line"
  check_expectations "$shot" "CH$ch ${NAME[$group]} set to output"
  result=$shot
}

# expect_row_shown CHANNEL: the row as the output steps left it (label,
# frames and a clicked lamp of its output groups); expect_row_gone CHANNEL:
# grey where the row's label, frames and lamps were.
expect_row_shown() {
  local ch=$1 field c g b
  expect 6 $(($(row_y "$ch") + 1)) blue "CH$ch label, its background"
  for field in "${outputs[@]}"; do
    IFS=: read -r c g b <<<"$field"
    [ "$c" = "$ch" ] || continue
    expect_frame "$ch" "$g" dark_green
    expect_lamp "$ch" "$g" "${b%%,*}" red "output, clicked"
  done
}
expect_row_gone() {
  local ch=$1 g
  expect 6 $(($(row_y "$ch") + 1)) grey "CH$ch label (gone)"
  for g in A B CL CU; do
    expect_frame "$ch" "$g" grey
    expect_lamp "$ch" "$g" 0 grey "gone"
  done
}

# switch_modes: 96-bit (entry 0) hides channels 4 and 5, a click on a lamp
# of theirs does nothing; 144-bit (entry 1) brings them back as they were.
switch_modes() {
  local shot=$UV_TMP/$program-96.png c g b
  uv_choose "$win" "$mode_x" "$mode_y" 0
  sleep 0.3
  uv_shot "$win" "$shot"
  cp "$shot" "$shots/$UV_NAME-96bit.png"
  expect_row_shown 0
  expect_frame 3 A green
  expect_row_gone 4
  expect_row_gone 5
  check_expectations "$shot" "96-bit"
  for field in "${outputs[@]}"; do
    IFS=: read -r c g b <<<"$field"
    [ "$c" -ge 4 ] && uv_client_click "$win" $(($(lamp_x "$g" "${b%%,*}") + 8)) $(($(row_y "$c") + 8))
  done
  sleep 0.2
  uv_choose "$win" "$mode_x" "$mode_y" 1
  sleep 0.3
  shot=$UV_TMP/$program-144.png
  uv_shot "$win" "$shot"
  for c in 0 4 5; do expect_row_shown "$c"; done
  for field in "${outputs[@]}"; do
    IFS=: read -r c g b <<<"$field"
    [ "$c" -ge 4 ] || continue
    local jc jg jb
    read -r jc jg jb <<<"$(joined_line "$c" "$g" "${b%%,*}")"
    expect_lamp "$jc" "$jg" "$jb" red "input joined to a clicked line"
    read -r jc jg jb <<<"$(joined_line "$c" "$g" 7)"
    expect_lamp "$jc" "$jg" "$jb" white "input joined to a line not clicked"
    read -r jc jg jb <<<"$(joined_line "$c" B 0)"
    expect_lamp "$jc" "$jg" "$jb" red "open line"
  done
  check_expectations "$shot" "back to 144-bit"
  result=$shot
}

# --- the scenario ------------------------------------------------------------------

uv_start "$sim" "$program"
win=$(uv_window "$title")
[ -n "$win" ] || fail_with_screen "no window \"$title\""

shot=$UV_TMP/$program-start.png
uv_shot "$win" "$shot"
expect_lamp "$open_ch" "$open_group" "$open_bit" white "no card chosen yet"
check_expectations "$shot" "at start"

uv_choose "$win" "$sel_x" "$sel_y" "$entry"
uv_note "chose ${address}H (entry $entry)"
sleep 0.3
shot=$UV_TMP/$program-address.png
uv_shot "$win" "$shot"
expect_lamp "$open_ch" "$open_group" "$open_bit" red "open line, polled"
check_expectations "$shot" "${address}H chosen"

result=""
for field in "${outputs[@]}"; do
  IFS=: read -r c g b <<<"$field"
  set_output "$c" "$g" "$b"
done
[ "$mode_x" != - ] && switch_modes
cp "$result" "$shots/$UV_NAME.png"

uv_menu_click "$win" 20                           # Exit, the menu bar's only command
code=$(uv_wait_exit 10)
[ "$code" = 0 ] || uv_fail "Exit: exit code $code"
uv_done
