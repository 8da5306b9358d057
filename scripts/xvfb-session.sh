#!/usr/bin/env bash
# Runs a command on a private virtual display (Xvfb, 1024 x 768, 24 bits).
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
