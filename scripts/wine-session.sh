#!/usr/bin/env bash
# Runs a command inside one Wine session: a prefix of the project's own, one
# persistent wineserver, no crash dialogs, no debug output, Wine's X11 driver
# without window-manager waits, and Wine's own fonts.
#   scripts/wine-session.sh COMMAND...             (on the current DISPLAY)
#   KIT_ARCH=win64 scripts/wine-session.sh COMMAND...
# KIT_ARCH chooses the prefix, each with the same settings:
#   win32 (default)  build/wineprefix, 32-bit, for build/win32
#   win64            build/wineprefix64, 64-bit, for build/win64; "wine" and
#                    "wineserver" are then Wine's 64-bit loader and server
#                    (/usr/lib/wine/wine64, wineserver64), which start where
#                    the 32-bit loader cannot (a host that runs no 32-bit code)
# A command of the session that starts the session again (make run from a
# suite) runs inside it: the server is neither started again nor stopped.
# Use scripts/xvfb-session.sh to get a private virtual display first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
arch=${KIT_ARCH:-win32}
case $arch in
  win32)
    default_prefix=$top/build/wineprefix ;;
  win64)
    default_prefix=$top/build/wineprefix64
    # The Debian wrappers on PATH pick the 32-bit loader whenever it is installed.
    bin=$top/build/wine64-bin
    mkdir -p "$bin"
    ln -sfn /usr/lib/wine/wine64 "$bin/wine"
    ln -sfn /usr/lib/wine/wineserver64 "$bin/wineserver"
    export PATH=$bin:$PATH WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
  *)
    echo "wine-session: KIT_ARCH is win32 or win64, not '$arch'" >&2; exit 2 ;;
esac
export WINEPREFIX=${WINEPREFIX:-$default_prefix}
if [ "${KIT_WINE_SESSION:-}" = "$WINEPREFIX" ]; then
  exec "$@"
fi
export KIT_WINE_SESSION=$WINEPREFIX
export WINEARCH=$arch
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
    wine wineboot -i >/dev/null 2>&1 || true
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
