#!/usr/bin/env bash
# Starts Pannex on a virtual display over a small demonstration folder and
# saves the README's screenshots of the whole window: both lists, then a folder
# tree on the left, then the File drop-down open over the window.
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
# PX_SCREENSHOT_DPI=192 takes them at 200 % (Wine reads the scale at each
# start), on a screen and desktop of PX_SCREEN_SIZE.
dpi="${PX_SCREENSHOT_DPI:-96}"
px_set_scale "$dpi"

demo="$WINEPREFIX/drive_c/Demo"
rm -rf "$demo"
mkdir -p "$demo/Documents/Letters" "$demo/Photos 2026" "$demo/Projects/Pannex" "$demo/Ελληνικά"
printf '%*s' 1234567 '' >"$demo/Documents/Annual report.pdf"
printf '%*s' 48213 '' >"$demo/Documents/Budget.xlsx"
printf 'notes\r\n' >"$demo/Documents/notes.txt"
printf "%*s" 2048 "" >"$demo/Documents/Ελληνικό κείμενο.txt"
printf "%*s" 4096 "" >"$demo/Documents/日本語のメモ 한국어 中文.txt"
printf '%*s' 731 '' >"$demo/Documents/Ünïcödé names.md"
printf '%*s' 98765 '' >"$demo/Photos 2026/harbour.jpg"
printf '%*s' 5000000 '' >"$demo/setup.exe"
printf 'read me\r\n' >"$demo/README.txt"
touch -d '2026-11-03 09:41' "$demo"/* "$demo"/Documents/*

start="$PX_ROOT/build/screenshot-start"
rm -rf "$start"
cp -r build/win/out "$start"
cd "$start"
cp "$PX_ROOT/build/win/window_capture.exe" .
# Columns wide enough for the sizes of the demonstration files.
columns=$'TabName=190\r\nTabSize=80\r\nTabDate=110\r\nTabAttr=45\r\n'
# shoot KEY SETTINGS OUTPUT: starts with these settings and saves the window,
# read from the program's own surfaces (the X screen shows an open drop-down
# as a black box); KEY opens that menu first, - none.
shoot() {
  printf '%s' "$2" >PX.ini
  wine Pannex.exe &
  sleep "${PX_SCREENSHOT_DELAY:-8}"
  wine window_capture.exe "$1" shot.bmp
  # Without the empty caption strip a frameless window has on a bare X server.
  convert shot.bmp -crop +0+$((24 * dpi / 96)) +repage -resize $((1024 * dpi / 96))x "$3"
  wineserver -k || true
  echo "saved $3"
}
left=$'[Left]\r\nPath=C:\\Demo\\\r\n'"$columns"
right=$'[Right]\r\nPath=C:\\Demo\\Documents\\\r\n'"$columns"
divider=$'[Options]\r\nDivider=500\r\n'
# PX_SCREENSHOT_OPTIONS: more option lines (e.g. Colours=2 for dark), and
# PX_SCREENSHOT_SECTIONS: more sections (e.g. the window's [Position]).
[ -z "${PX_SCREENSHOT_OPTIONS:-}" ] || divider+="${PX_SCREENSHOT_OPTIONS}"$'\r\n'
divider+="${PX_SCREENSHOT_SECTIONS:-}"
shoot - "$left$right$divider" "$output"
shoot - $'[Left]\r\nPath=C:\\Demo\\Documents\\\r\nShow=2\r\n'"$right$divider" "$tree_output"
shoot f "$left$right$divider"$'[Favorites]\r\nN0=Documents\r\nF0=C:\\Demo\\Documents\\\r\nN1=Photos 2026\r\nF1=C:\\Demo\\Photos 2026\\\r\n' \
  "$menus_output"
