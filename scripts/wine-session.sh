#!/usr/bin/env bash
# Runs a command inside one Wine session: a 32-bit prefix of the project's own
# (build/wineprefix), one persistent wineserver, no crash dialogs, no debug
# output, and Wine's X11 driver without window-manager waits.
#   scripts/wine-session.sh COMMAND...    (on the current DISPLAY)
# Use scripts/xvfb-session.sh to get a private virtual display first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$top/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

if [ ! -f "$WINEPREFIX/.kit-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  (cd "$top/scripts" && wine regedit /S wine-settings.reg >/dev/null 2>&1)
  wineserver -w
  touch "$WINEPREFIX/.kit-ready"
fi

wineserver -k 2>/dev/null || true
wineserver -p
# Start the prefix's services now, detached from our output: a service that
# the first program starts inherits that program's stdout and keeps the pipe
# open for as long as the server lives, so whoever reads the program's output
# (ctest's test discovery, a $(...) in a script) would wait for ever.
wine wineboot </dev/null >/dev/null 2>&1 || true
status=0
"$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
