#!/usr/bin/env bash
# Runs a command on a private virtual display (Xvfb, 1024 x 768, 24 bits).
# Inside such a session already (make run from a suite), on its display.
set -euo pipefail
if [ -n "${KIT_XVFB_DISPLAY:-}" ] && [ "$KIT_XVFB_DISPLAY" = "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  bash -c 'export KIT_XVFB_DISPLAY=$DISPLAY; exec "$@"' xvfb-session "$@"
