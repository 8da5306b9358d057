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
# Start Wine's background processes (services, explorer) now, with their
# output nowhere: started by the first test they would inherit ctest's
# output pipe and keep it open, and ctest would wait for them to time out.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
status=0
"$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
