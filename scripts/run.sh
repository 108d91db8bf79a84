#!/usr/bin/env bash
# Builds Pannex and starts it under Wine from its staged folder. Without a
# display it starts one, waits for the window, saves a screenshot and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
PX_SKIP_SANITIZERS=1 scripts/build.sh
source scripts/wine-env.sh

headless=0
[ -n "${DISPLAY:-}" ] || headless=1
px_start_display
px_prepare_prefix

cd build/win/out
if [ "$headless" = 1 ]; then
  wine Pannex.exe &
  pid=$!
  sleep "${PX_SCREENSHOT_DELAY:-6}"
  shot="$PX_ROOT/build/screenshot.png"
  xwd -root -silent | convert xwd:- "$shot"
  echo "Pannex is running on the virtual display $DISPLAY; screenshot saved to $shot"
  echo "Press Ctrl+C to stop."
  wait $pid
else
  exec wine Pannex.exe
fi
