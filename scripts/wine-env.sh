# Sourced by the other scripts: a private Wine prefix and, without a display,
# a virtual one.
PX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$PX_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# Where the desktop's trash lives (the recycle bin under Wine); the tests look
# for deleted files there. Wine does not pass HOME on to Windows programs.
export PX_TRASH_DIR="${XDG_DATA_HOME:-$HOME/.local/share}/Trash"
# No downloads of Mono or Gecko prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

px_start_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local number=${PX_DISPLAY_NUMBER:-93}
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
    number=$((number + 1))
  done
  Xvfb ":$number" -screen 0 "${PX_SCREEN_SIZE:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 &
  PX_XVFB_PID=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$number" ] && break
    sleep 0.1
  done
  export DISPLAY=":$number"
  trap 'kill $PX_XVFB_PID 2>/dev/null || true' EXIT
}

px_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.pannex-ready" ]; then
    mkdir -p "$WINEPREFIX"
    timeout 300 wineboot -i >/dev/null 2>&1 || true
    # Wine's own desktop manages the windows: without a window manager on the
    # display, maximising and restoring would not take effect.
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f \
      >/dev/null 2>&1
    timeout 60 wineserver -w || true
    touch "$WINEPREFIX/.pannex-ready"
  fi
  # Wine's own fonts (Marlett draws the caption buttons, Tahoma is the
  # dialog font): this Wine does not find them in its data folder, so the
  # prefix gets a copy.
  # Tahoma links, as on Windows, to fonts for other scripts (MS UI Gothic,
  # SimSun, ... Segoe UI Symbol); those names are given to WenQuanYi (Chinese,
  # Japanese, Korean) and DejaVu Sans (Greek, Cyrillic and symbols), so that
  # names in every script show.
  if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ] &&
     [ ! -f "$WINEPREFIX/.pannex-fonts" ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    local key='HKCU\Software\Wine\Fonts\Replacements'
    for face in 'MS UI Gothic' 'PMingLiU' 'SimSun' 'Gulim' 'Yu Gothic UI' 'Microsoft JhengHei UI' \
                'Microsoft YaHei UI' 'Malgun Gothic'; do
      timeout 60 wine reg add "$key" /v "$face" /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    timeout 60 wine reg add "$key" /v 'Segoe UI Symbol' /d 'DejaVu Sans' /f >/dev/null 2>&1
    timeout 60 wineserver -w || true
    touch "$WINEPREFIX/.pannex-fonts"
  fi
}

# px_set_scale DPI: the scale the next programs start at (96 is 100 %), and
# the size of Wine's desktop (PX_SCREEN_SIZE, as the display's).
px_set_scale() {
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
    /d "${PX_SCREEN_SIZE:-1280x1024}" /f >/dev/null 2>&1
}
