#!/usr/bin/env bash
# Runs a command inside one Wine session: a 32-bit prefix of the project's own
# (build/wineprefix), one persistent wineserver, no crash dialogs, no debug
# output, Wine's X11 driver without window-manager waits, and Wine's own fonts.
#   scripts/wine-session.sh COMMAND...    (on the current DISPLAY)
# Use scripts/xvfb-session.sh to get a private virtual display first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$top/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# The prefix's settings: the session's (wine-settings.reg) and the windows'
# look, Wine's own fonts and scroll bars (wine-look.reg, also shipped in the
# kit for a prefix of one's own).
# Imported into a new prefix, and again into one made before a file changed.
settings=(wine-settings.reg wine-look.reg)
ready=$WINEPREFIX/.kit-ready
stale=0
for reg in "${settings[@]}"; do [ "$top/scripts/$reg" -nt "$ready" ] && stale=1; done
if [ "$stale" = 1 ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  for reg in "${settings[@]}"; do
    (cd "$top/scripts" && wine regedit /S "$reg" >/dev/null 2>&1)
  done
  wineserver -w
  touch "$ready"
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
