#!/usr/bin/env bash
# The user's view of the three interrupt samples: Setup from the menu, a
# count (and for wendal_interrupt a rate) typed into the dialog, OK, then
# Interrupt Trigger from the menu until the values are listed, a
# screenshot, and Exit. What the window shows is checked row by row (text
# is black on white): the rows the program writes, and nothing below them.
# With ADDRESS, that base address is chosen in the dialog first, on the
# default rack (without it the dialog's default address is kept).
#   interrupt_samples.sh SIMULATOR_DIR SCREENSHOT_DIR PROGRAM [ADDRESS]
set -uo pipefail
. "$(dirname "$0")/userview.sh"
sim=$1 shots=$2 program=$3
mkdir -p "$shots"
uv_at_address "$program" "" "" "${4:-}"

# rows_with_text FILE X0 Y...: for each row y (client coordinates of the
# line's top), 1 if it holds text, else 0.
rows_with_text() {
  local file=$1 x0=$2; shift 2
  local y out=""
  for y in "$@"; do
    local n; n=$(uv_dark_pixels "$file" $((cx + x0)) $((cy + y + 2)) 200 12)
    [ "${n:-0}" -gt 8 ] && out+=1 || out+=0
  done
  echo "$out"
}

uv_start "$sim" "$program"
case $program in
  fenmar_interrupt | dulvar_interrupt) title="Sample Application-Interrupt" dialog="Dialog" ;;
  wendal_interrupt) title="Wendal Interrupt Samples" dialog="Setup Dialog" ;;
esac
win=$(uv_window "$title")
[ -n "$win" ] || { uv_fail "no window \"$title\""; uv_done; }

uv_menu "$win" 0                                  # Setup
dlg=$(uv_window "$dialog")
[ -n "$dlg" ] || { import -window root "$shots/$program-failed.png"; uv_fail "Setup opened no dialog \"$dialog\""; uv_done; }
# The base-address list (dialog units) and its address step: entry 0 is
# "(NONE)", then the addresses from 200H.
case $program in
  fenmar_interrupt) base_list="85 21 76" step=4 ;;
  dulvar_interrupt) base_list="86 19 76" step=16 ;;
  wendal_interrupt) base_list="89 12 76" step=2 ;;
esac
if [ -n "$UV_ADDRESS" ]; then
  uv_dialog_choose "$dlg" $base_list $((1 + (0x$UV_ADDRESS - 0x200) / step))
  uv_note "chose ${UV_ADDRESS}H in the Setup dialog"
fi
case $program in
  fenmar_interrupt) uv_dialog_edit "$dlg" 85 64 76 13 3; count=3 ;;
  dulvar_interrupt) uv_dialog_edit "$dlg" 86 64 76 15 3; count=3 ;;
  wendal_interrupt) uv_dialog_edit "$dlg" 89 50 76 15 25
                    uv_dialog_edit "$dlg" 89 71 61 15 1000; count=25 ;;
esac
uv_keys "$dlg" Return                             # OK, the default button
uv_gone "$dialog" || uv_fail "the dialog did not close on OK"

if [ "$program" = wendal_interrupt ]; then
  uv_menu "$win" 1                                # one trigger runs the whole acquisition
else
  for i in $(seq 1 $count); do uv_menu "$win" 1; sleep 0.2; done
fi
sleep 0.5
shot=$UV_TMP/$program.png
uv_shot "$win" "$shot"
cp "$shot" "$shots/$UV_NAME.png"
cx=$UV_CLIENT_X cy=$UV_CLIENT_Y

case $program in
  fenmar_interrupt | dulvar_interrupt)
    # total (y 10, drawn when the count was 1), current count (30), header
    # (50), one line per value (70, 90, 110), nothing after (130, 150).
    got=$(rows_with_text "$shot" 20 10 30 50 70 90 110 130 150)
    [ "$got" = 11111100 ] || uv_fail "rows with text: $got, expected 11111100" ;;
  wendal_interrupt)
    # count line (20), headings, values in rows of ten at 85, 110, 135:
    # 25 values fill two rows and half the third; nothing at 160.
    got=$(rows_with_text "$shot" 20 20 85 110 135 160)
    [ "$got" = 11110 ] || uv_fail "rows with text: $got, expected 11110"
    left=$(uv_dark_pixels "$shot" $((cx + 20)) $((cy + 137)) 120 12)
    right=$(uv_dark_pixels "$shot" $((cx + 20 + 25 * 5 + 5)) $((cy + 137)) 110 12)
    [ "${left:-0}" -gt 8 ] && [ "${right:-0}" -le 8 ] ||
      uv_fail "third row: $left dark pixels left, $right right; expected five values only" ;;
esac

uv_menu "$win" 2                                  # Exit
code=$(uv_wait_exit 10)
[ "$code" = 0 ] || uv_fail "Exit: exit code $code"
uv_done
