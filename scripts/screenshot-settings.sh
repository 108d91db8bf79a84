#!/usr/bin/env bash
# Starts Pannex on a virtual display, opens the settings dialog and saves its
# three pages side by side.
#   scripts/screenshot-settings.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
output="$(realpath -m "${1:-docs/screenshot-settings.png}")"
PX_SKIP_SANITIZERS=1 scripts/build.sh >/dev/null
unset DISPLAY
export WINEPREFIX="$PWD/build/wineprefix-screenshot"
source scripts/wine-env.sh
px_start_display
px_prepare_prefix
px_set_scale "${PX_SCREENSHOT_DPI:-96}"

# id NAME: the number res/resource.h gives NAME.
id() { awk -v name="$1" '$1 == "#define" && $2 == name { print $3 }' "$PX_ROOT/res/resource.h"; }

start="$PX_ROOT/build/screenshot-start"
rm -rf "$start"
cp -r build/win/out "$start"
cp build/win/window_remote.exe build/win/window_capture.exe "$start/"
cd "$start"
printf '[Options]\r\nShowHiddenSystem=1\r\nEditor=C:\\Tools\\editor.exe\r\n' >PX.ini
# More options (e.g. Colours=2 for the dark pages) from the caller.
[ -z "${PX_SCREENSHOT_OPTIONS:-}" ] || printf '%s\r\n' "$PX_SCREENSHOT_OPTIONS" >>PX.ini
cp Language/English.lng Language/Français.lng
wine Pannex.exe &
wine window_remote.exe ready
# The dialog is read from the program's own surfaces: the X screen shows it
# as a black box. window_remote sends the command and shows each page.
tabs=$(id IDC_SETTINGS_TABS)
wine window_remote.exe command "$(id ID_MENU_SETTINGS)"
geometry=$(wine window_remote.exe wait "$tabs" | tr -d '\r')
pages=()
for page in 0 1 2; do
  wine window_remote.exe tab "$tabs" "$page"
  wine window_capture.exe - "page$page.bmp"
  convert "page$page.bmp" -crop "$geometry" +repage "$start/page$page.png"
  pages+=("$start/page$page.png")
done
convert "${pages[@]}" -background white -splice 12x0 +append -chop 12x0 "$output"
wineserver -k || true
echo "saved $output"
