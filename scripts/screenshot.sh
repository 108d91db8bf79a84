#!/usr/bin/env bash
# Starts Pannex on a virtual display over a small demonstration folder and
# saves the README's screenshots: both lists, then a folder tree on the left,
# then the File drop-down open over the window.
#   scripts/screenshot.sh [output.png]    (the others beside it, as NAME-tree.png
#                                          and NAME-menus.png)
set -euo pipefail
cd "$(dirname "$0")/.."
output="$(realpath -m "${1:-docs/screenshot.png}")"
tree_output="${output%.png}-tree.png"
menus_output="${output%.png}-menus.png"
PX_SKIP_SANITIZERS=1 scripts/build.sh >/dev/null
unset DISPLAY
export WINEPREFIX="$PWD/build/wineprefix-screenshot"
source scripts/wine-env.sh
px_start_display
px_prepare_prefix

demo="$WINEPREFIX/drive_c/Demo"
rm -rf "$demo"
mkdir -p "$demo/Documents/Letters" "$demo/Photos 2026" "$demo/Projects/Pannex" "$demo/Ελληνικά"
printf '%*s' 1234567 '' >"$demo/Documents/Annual report.pdf"
printf '%*s' 48213 '' >"$demo/Documents/Budget.xlsx"
printf 'notes\r\n' >"$demo/Documents/notes.txt"
printf "%*s" 2048 "" >"$demo/Documents/Ελληνικό κείμενο.txt"
printf '%*s' 731 '' >"$demo/Documents/Ünïcödé names.md"
printf '%*s' 98765 '' >"$demo/Photos 2026/harbour.jpg"
printf '%*s' 5000000 '' >"$demo/setup.exe"
printf 'read me\r\n' >"$demo/README.txt"
touch -d '2026-11-03 09:41' "$demo"/* "$demo"/Documents/*

start="$PX_ROOT/build/screenshot-start"
rm -rf "$start"
cp -r build/win/out "$start"
cd "$start"
# shoot SETTINGS OUTPUT: starts with these settings and saves the screen.
shoot() {
  printf '%s' "$1" >PX.ini
  wine Pannex.exe &
  sleep "${PX_SCREENSHOT_DELAY:-8}"
  xwd -root -silent | convert xwd:- -crop 1280x760+0+0 -resize 1024x "$2"
  wineserver -k || true
  echo "saved $2"
}
shoot $'[Left]\r\nPath=C:\\Demo\\\r\n[Right]\r\nPath=C:\\Demo\\Documents\\\r\n[Options]\r\nDivider=500\r\n' \
  "$output"
shoot $'[Left]\r\nPath=C:\\Demo\\Documents\\\r\nShow=2\r\n[Right]\r\nPath=C:\\Demo\\Documents\\\r\n[Options]\r\nDivider=500\r\n' \
  "$tree_output"

# The drop-down is read from the program's own surfaces: the X screen shows
# an open menu as a black box.
printf '%s' $'[Left]\r\nPath=C:\\Demo\\\r\n[Right]\r\nPath=C:\\Demo\\Documents\\\r\n[Options]\r\nDivider=500\r\n[Favorites]\r\nN0=Documents\r\nF0=C:\\Demo\\Documents\\\r\nN1=Photos 2026\r\nF1=C:\\Demo\\Photos 2026\\\r\n' >PX.ini
cp "$PX_ROOT/build/win/window_capture.exe" .
wine Pannex.exe &
sleep "${PX_SCREENSHOT_DELAY:-8}"
wine window_capture.exe f menus.bmp
# Without the empty caption strip a frameless window has on a bare X server.
convert menus.bmp -crop +0+24 +repage -resize 1024x "$menus_output"
wineserver -k || true
echo "saved $menus_output"
