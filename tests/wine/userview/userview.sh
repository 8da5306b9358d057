#!/usr/bin/env bash
# Helpers for working a real program from outside, as a person would: start
# it under Wine from the simulator folder, find its window on the display,
# press keys and click, take screenshots, look at pixels. Sourced by the
# user's-view scenarios; they run inside scripts/wine-session.sh on a
# virtual display (ctest of the win32 preset does that).
#
# Wine draws each top-level window whole into one X window (the prefix sets
# Managed=N): caption, menu bar and client area (UV_CLIENT_X, UV_CLIENT_Y).

UV_FAILURES=0
UV_TIMEOUT=${UV_TIMEOUT:-15}
UV_TMP=$(mktemp -d)
trap 'uv_cleanup' EXIT

uv_fail() { echo "FAIL: ${UV_PROGRAM:-}: $*"; UV_FAILURES=$((UV_FAILURES + 1)); }
uv_note() { echo "  $*"; }

uv_cleanup() {
  if [ -n "${UV_PID:-}" ] && kill -0 "$UV_PID" 2>/dev/null; then kill "$UV_PID" 2>/dev/null; fi
  rm -rf "$UV_TMP"
}

# uv_start FOLDER PROGRAM: starts FOLDER/PROGRAM.exe; its output goes to files
# (a pipe would be held open by Wine's services). A watcher keeps its exit
# code in a file for uv_wait_exit: only the shell that started a process can
# wait for it, and uv_wait_exit usually runs in a command substitution.
uv_start() {
  local run=$UV_TMP/$2 i
  rm -f "$run.pid" "$run.rc"
  (
    cd "$1" || exit
    env -u WINEPATH wine "$2.exe" </dev/null >"$run.out" 2>&1 &
    echo $! >"$run.pid"
    wait $!
    echo $? >"$run.rc.part" && mv "$run.rc.part" "$run.rc"
  ) >/dev/null 2>&1 &
  UV_PROGRAM=$2
  for i in $(seq 1 $((UV_TIMEOUT * 100))); do [ -s "$run.pid" ] && break; sleep 0.01; done
  UV_PID=$(cat "$run.pid" 2>/dev/null)
}

# uv_window TITLE: prints the X window of the visible top-level window with
# exactly that title, waiting for it.
uv_window() {
  local w
  w=$(timeout "$UV_TIMEOUT" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  # A window is shown a moment before its program reads the keyboard.
  [ -n "$w" ] && sleep 0.5
  echo "$w"
}

# uv_gone TITLE: waits until no visible window has that title; false on time-out.
uv_gone() {
  local i
  for i in $(seq 1 $((UV_TIMEOUT * 10))); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# uv_keys WINDOW KEY...: keystrokes to the window (xdotool key names).
# Real key events (XTEST) to the window given the X input focus: Wine's
# menu loop does not take every synthetic event sent to a window.
uv_keys() {
  local w=$1; shift
  xdotool windowfocus --sync "$w" 2>/dev/null || true
  xdotool key --delay 40 "$@"
}

# uv_type WINDOW TEXT: types the text into the focused control.
uv_type() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  [ -n "$2" ] && xdotool type --delay 20 -- "$2"
  return 0
}

# uv_menu WINDOW N: the menu bar's N-th command (0 first), from the keyboard:
# F10 selects the first item (the menu loop needs a moment to start), Right
# moves on, Return runs it.
uv_menu() {
  local w=$1 n=$2 keys=() i
  for ((i = 0; i < n; i++)); do keys+=(Right); done
  uv_keys "$w" F10
  sleep 0.2
  uv_keys "$w" "${keys[@]}" Return
}

# uv_click WINDOW X Y: a left click at window-relative pixel X, Y.
uv_click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# uv_shot WINDOW FILE: a screenshot of the window as the screen shows it.
uv_shot() {
  sleep 0.2
  import -window root -crop "$(uv_geometry "$1")" +repage "$2" 2>/dev/null
}

# uv_geometry WINDOW: WIDTHxHEIGHT+X+Y of the window on the screen.
uv_geometry() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  echo "${WIDTH}x${HEIGHT}+${X}+${Y}"
}

# uv_pixel FILE X Y: the colour at a pixel as "r,g,b" (0-255).
uv_pixel() {
  /usr/bin/convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info: 2>/dev/null
}

# uv_dark_pixels FILE X Y W H: how many pixels of the rectangle are dark
# (text drawn in black).
uv_dark_pixels() {
  /usr/bin/convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace Gray -threshold 50% \
    -negate -format "%[fx:int(mean*w*h+0.5)]" info: 2>/dev/null
}

# Where the client area of a main window with a one-line menu bar starts in
# its X window (Wine's frame, caption and menu bar above it).
UV_CLIENT_X=4
UV_CLIENT_Y=42

# uv_client_click WINDOW X Y: a left click at client pixel X, Y of a main
# window with a one-line menu bar.
uv_client_click() {
  uv_click "$1" $((UV_CLIENT_X + $2)) $((UV_CLIENT_Y + $3))
}

# uv_choose WINDOW X Y INDEX: drops down the combo box whose top-left corner
# is at client pixel X, Y, moves to entry INDEX (0 first) with the keyboard
# and closes the list with Return, as a person picks an entry (the program
# sees the list close: CBN_CLOSEUP).
uv_choose() {
  uv_client_click "$1" $(($2 + 30)) $(($3 + 10))
  uv_pick_entry "$4"
}

# uv_pick_entry INDEX: in the drop-down list just opened, entry INDEX (0
# first) from the keyboard, then Return closes the list on it.
uv_pick_entry() {
  local keys=(Home) i
  for ((i = 0; i < $1; i++)); do keys+=(Down); done
  sleep 0.4
  xdotool key --delay 30 "${keys[@]}" Return
  sleep 0.2
}

# uv_at_address PROGRAM ADDRESS RACK [AT]: the scenario's address and rack.
# AT (hexadecimal, the scenario's optional last argument) replaces the
# scenario's own ADDRESS and runs on the default rack, the Kestan card at
# 2A8H that the simulated PC holds out of the box; without it the scenario's
# RACK is the PC (none: the default rack). Sets UV_ADDRESS, and UV_NAME for the screenshots: the
# program, followed by the address when AT was given.
uv_at_address() {
  UV_ADDRESS=${4:-$2} UV_NAME=$1${4:+-${4}H}
  local rack=$3
  [ -n "${4:-}" ] && rack=""
  if [ -n "$rack" ]; then export KESTAN_SIM_RACK=$rack; else unset KESTAN_SIM_RACK; fi
}

# uv_wait_exit SECONDS: waits for the program to end; prints its exit code,
# or "hang" after the time.
uv_wait_exit() {
  local i rc=$UV_TMP/$UV_PROGRAM.rc
  for i in $(seq 1 $(($1 * 10))); do
    [ -f "$rc" ] && { cat "$rc"; return; }
    sleep 0.1
  done
  echo hang
}

uv_done() {
  [ "$UV_FAILURES" -eq 0 ] && echo "$UV_PROGRAM: all checks passed"
  exit "$UV_FAILURES"
}

# Dialog templates use dialog units; the Setup dialogs' font ("System",
# 10 points) makes one unit 2 pixels across and 2 pixels down. The
# dialog's client area starts UV_DLG_X, UV_DLG_Y pixels into its X window.
UV_DLG_X=${UV_DLG_X:-4}
UV_DLG_Y=${UV_DLG_Y:-23}

# uv_dialog_click DIALOG X Y W H: a click at the centre of a control given in
# dialog units, as in the template.
uv_dialog_click() {
  uv_click "$1" $((UV_DLG_X + 2 * $2 + $4)) $((UV_DLG_Y + 2 * $3 + $5))
}

# uv_dialog_choose DIALOG X Y W INDEX: drops down the combo box at X, Y
# (dialog units, W wide) and closes it on entry INDEX.
uv_dialog_choose() {
  uv_dialog_click "$1" "$2" "$3" "$4" 12
  uv_pick_entry "$5"
}

# uv_dialog_edit DIALOG X Y W H TEXT: click into an edit field, clear it and
# type the text.
uv_dialog_edit() {
  uv_dialog_click "$1" "$2" "$3" "$4" "$5"
  uv_keys "$1" End shift+Home BackSpace
  uv_type "$1" "$6"
}

# uv_menu_click WINDOW X: a click on the menu bar at window pixel X, for a
# command that stands on the menu bar itself. Needed where a combo box has
# the keyboard focus: Wine's combo box keeps F10 and Alt to itself, so the
# keyboard does not reach the menu.
uv_menu_click() {
  uv_click "$1" "$2" $((UV_CLIENT_Y - 11))
}

# uv_timed_shot_start WINDOW AT_MS: readies a screenshot of the window to be
# taken AT_MS milliseconds after a moment given later (timed_shot.py, which
# starts slowly on a busy machine, so it is started ahead of the clicks).
# uv_timed_shot_take FILE: the moment is now; waits for the screenshot,
# saves it as FILE and sets UV_SHOT_BEGAN and UV_SHOT_ENDED: when the screen
# was read, in milliseconds after the moment (both empty if it failed).
UV_DIR=$(dirname "${BASH_SOURCE[0]}")
uv_timed_shot_start() {
  local i
  rm -f "$UV_TMP/moment" "$UV_TMP/timed.out" "$UV_TMP/timed.ppm"
  mkfifo "$UV_TMP/moment"
  /usr/bin/python3 "$UV_DIR/timed_shot.py" "$1" "$2" "$UV_TMP/timed.ppm" \
    <"$UV_TMP/moment" >"$UV_TMP/timed.out" &
  UV_GRABBER=$!
  exec 3>"$UV_TMP/moment"
  for i in $(seq 1 $((UV_TIMEOUT * 10))); do grep -q ready "$UV_TMP/timed.out" && break; sleep 0.1; done
}
uv_timed_shot_take() {
  date +%s%N >&3
  exec 3>&-
  UV_SHOT_BEGAN="" UV_SHOT_ENDED=""
  wait "$UV_GRABBER" || return 1
  read -r _ UV_SHOT_BEGAN UV_SHOT_ENDED < <(grep '^read ' "$UV_TMP/timed.out")
  /usr/bin/convert "$UV_TMP/timed.ppm" "$1"
}
