#!/usr/bin/env bash
# Starts Pannex on a virtual display and saves the README's screenshot.
#   scripts/screenshot.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
output="$(realpath -m "${1:-docs/screenshot.png}")"
PX_SKIP_SANITIZERS=1 scripts/build.sh >/dev/null
unset DISPLAY
source scripts/wine-env.sh
px_start_display
px_prepare_prefix
cd build/win/out
wine Pannex.exe &
sleep "${PX_SCREENSHOT_DELAY:-8}"
xwd -root -silent | convert xwd:- -resize 1024x "$output"
wineserver -k || true
echo "saved $output"
