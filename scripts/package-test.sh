#!/usr/bin/env bash
# Checks the portable release as a user meets it: unpacks dist/Pannex-<version>-win64.zip
# into an empty folder, starts Pannex there under Wine, waits for its main window,
# closes it as the close box does and checks that PX.ini was written beside it.
# Run scripts/package.sh first. Leaves the folder in build/ when a check fails.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^ *VALUE "ProductVersion", *"\([0-9.]*\)".*/\1/p' res/Pannex.rc | head -1)
archive=dist/Pannex-$version-win64.zip
if [ ! -f "$archive" ]; then
  echo "package-test: $archive is missing; run scripts/package.sh first" >&2
  exit 1
fi

source scripts/wine-env.sh
px_start_display
px_prepare_prefix

fail() {
  echo "package-test: FAILED: $*" >&2
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  echo "package-test: the unpacked folder is kept in $folder" >&2
  exit 1
}

mkdir -p build
folder=$(mktemp -d "$PX_ROOT/build/package-test.XXXXXX")
unzip -q "$archive" -d "$folder"
for file in Pannex.exe README.txt Language/English.lng Language/English.kbr \
    Language/German.lng Language/German.kbr Menu/Menu.dll ToolBar/ToolBar.dll \
    ToolBar/Standart.ini; do
  [ -s "$folder/$file" ] || fail "the archive holds no $file"
done
[ ! -e "$folder/PX.ini" ] || fail "the archive holds a PX.ini"

# Started from its folder, as a double-click does: that folder is its start directory.
(cd "$folder" && exec wine Pannex.exe) &
pid=$!

# The main window's X window (Wine's desktop holds it), by its caption and program.
main_window_shown() {
  xwininfo -root -tree 2>/dev/null | grep -qE '"Pannex[^"]*": \("pannex\.exe"'
}
shown=0
for _ in $(seq 1 120); do
  kill -0 "$pid" 2>/dev/null || fail "Pannex ended before its window came up"
  if main_window_shown; then shown=1; break; fi
  sleep 0.5
done
[ "$shown" = 1 ] || fail "no main window within 60 seconds"
echo "package-test: the main window is up"
sleep "${PX_PACKAGE_SETTLE:-3}"  # let it list both panels before it is closed
kill -0 "$pid" 2>/dev/null || fail "Pannex ended by itself after showing its window"

# taskkill without /f posts WM_CLOSE to the program's top-level windows, as the
# close box does, so Pannex shuts down normally and writes its settings.
(cd "$folder" && timeout 60 wine taskkill /im Pannex.exe >/dev/null) ||
  fail "could not ask Pannex to close"
for _ in $(seq 1 60); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.5
done
kill -0 "$pid" 2>/dev/null && fail "Pannex did not end within 30 seconds of being closed"
status=0
wait "$pid" || status=$?
pid=
[ "$status" = 0 ] || fail "Pannex ended with exit code $status"

[ -s "$folder/PX.ini" ] || fail "no PX.ini was written beside Pannex.exe"
for section in Left Right Options; do
  grep -q "^\[$section\]" "$folder/PX.ini" || fail "PX.ini has no [$section] section"
done
echo "package-test: PX.ini was written beside Pannex.exe; passed"
rm -rf "$folder"
timeout 30 wineserver -w || true  # Wine's desktop leaves before the display does
