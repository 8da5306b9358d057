#!/usr/bin/env bash
# A program whose card library is missing does not start. The program is
# copied with every DLL of the simulator install but its card library into
# a folder of its own and started there under Wine with no WINEPATH: it must
# end by itself within the time limit, with a non-zero exit status, and no
# window with its title may appear. Then, as a control, the same folder
# with the library put back must show that window within the same limit.
#   missing_library.sh SIMULATOR_DIR PROGRAM LIBRARY TITLE
set -uo pipefail
. "$(dirname "$0")/../userview/userview.sh"
sim=$1 program=$2 library=$3 title=$4
limit=$UV_TIMEOUT

title_shown() { xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; }

# Wine looks for a DLL in the program's folder, the current folder, its own
# system folders and along WINEPATH (uv_start unsets it).
for d in system32 syswow64; do
  if [ -e "${WINEPREFIX:-/nonexistent}/drive_c/windows/$d/$library" ]; then
    uv_fail "$library lies in the prefix's $d folder: Wine would find it there"; uv_done
  fi
done
if title_shown; then uv_fail "a window \"$title\" is already shown"; uv_done; fi

folder=$UV_TMP/install
mkdir -p "$folder"
cp "$sim/$program.exe" "$sim"/*.dll "$folder"/ && rm "$folder/$library" || {
  uv_fail "cannot lay out $program.exe without $library from $sim"; uv_done; }

# Without the library. Wine's own word on it goes to the log (err:module).
WINEDEBUG=-all,err+module uv_start "$folder" "$program"
shown=0
for ((i = 0; i < limit * 10; i++)); do
  title_shown && shown=1
  kill -0 "$UV_PID" 2>/dev/null || break
  sleep 0.1
done
code=$(uv_wait_exit 1)
sed 's/^/  wine: /' "$UV_TMP/$program.out"
case $code in
  hang) uv_fail "still running ${limit} s after its start without $library"
        kill "$UV_PID" 2>/dev/null; wait "$UV_PID" 2>/dev/null ;;
  0) uv_fail "ended with exit status 0 without $library" ;;
  *) uv_note "without $library: ended by itself, exit status $code" ;;
esac
[ "$shown" = 0 ] || uv_fail "a window \"$title\" appeared without $library"

# The control: with the library back the window appears, so the look for
# it above could have seen it.
cp "$sim/$library" "$folder"/
UV_TIMEOUT=$limit uv_start "$folder" "$program"
if [ -n "$(uv_window "$title")" ]; then
  uv_note "with $library: window \"$title\" shown"
else
  uv_fail "with $library back, no window \"$title\" within ${limit} s"
fi
kill "$UV_PID" 2>/dev/null; wait "$UV_PID" 2>/dev/null
uv_gone "$title" || uv_fail "the window \"$title\" stayed after the control's end"
uv_done
