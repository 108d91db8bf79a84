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

# A small helper that sends the settings command to the running window and
# shows a page: `settings-page open` prints the dialog's rectangle as a crop
# geometry, `settings-page N` shows page N.
helper="$PX_ROOT/build/settings-page.exe"
x86_64-w64-mingw32-g++-posix -O1 -municode -static -o "$helper" -x c++ - -luser32 -lcomctl32 <<'CODE'
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cwchar>
#include "res/resource.h"

static HWND FindSettings(HWND main) {
  HWND found = nullptr;
  for (int i = 0; i < 100 && found == nullptr; ++i, Sleep(100)) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr)
      if (window != main && GetWindow(window, GW_OWNER) == main && IsWindowVisible(window))
        found = window;
  }
  return found;
}

int wmain(int argc, wchar_t** argv) {
  HWND main = nullptr;
  for (int i = 0; i < 100 && main == nullptr; ++i, Sleep(100))
    main = FindWindowW(L"#32770", L"Pannex");
  if (main == nullptr || argc < 2) return 1;
  if (wcscmp(argv[1], L"open") == 0) {
    PostMessageW(main, WM_COMMAND, ID_MENU_SETTINGS, 0);
    HWND dialog = FindSettings(main);
    if (dialog == nullptr) return 1;
    Sleep(500);
    RECT r;
    GetWindowRect(dialog, &r);
    std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
  }
  HWND dialog = FindSettings(main);
  if (dialog == nullptr) return 1;
  SendMessageW(GetDlgItem(dialog, IDC_SETTINGS_TABS), TCM_SETCURFOCUS, _wtoi(argv[1]), 0);
  return 0;
}
CODE

start="$PX_ROOT/build/screenshot-start"
rm -rf "$start"
cp -r build/win/out "$start"
cd "$start"
printf '[Options]\r\nShowHiddenSystem=1\r\nEditor=C:\\Tools\\editor.exe\r\n' >PX.ini
cp Language/English.lng Language/Français.lng
wine Pannex.exe &
sleep "${PX_SCREENSHOT_DELAY:-8}"
geometry=$(wine "$helper" open | tr -d '\r')
pages=()
for page in 0 1 2; do
  wine "$helper" "$page"
  sleep 1
  xwd -root -silent | convert xwd:- -crop "$geometry" +repage "$start/page$page.png"
  pages+=("$start/page$page.png")
done
convert "${pages[@]}" -background white -splice 12x0 +append -chop 12x0 "$output"
wineserver -k || true
echo "saved $output"
