#include "framework/Dpi.h"

#include <initializer_list>

namespace px {
namespace {

template <typename Function>
Function User32(const char* name) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  return user != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user, name)))
                         : nullptr;
}

using ForWindow = UINT(WINAPI*)(HWND);
using ForSystem = UINT(WINAPI*)();
using MetricForDpi = int(WINAPI*)(int, UINT);
using ParametersForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using DialogBehaviour = BOOL(WINAPI*)(HWND, int, int);

UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

}  // namespace

UINT SystemDpi() {
  static const ForSystem forSystem = User32<ForSystem>("GetDpiForSystem");
  const UINT dpi = forSystem != nullptr ? forSystem() : 0;
  return dpi != 0 ? dpi : ScreenDpi();
}

UINT WindowDpi(HWND window) {
  static const ForWindow forWindow = User32<ForWindow>("GetDpiForWindow");
  const UINT dpi = window != nullptr && forWindow != nullptr ? forWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricAt(int index, UINT dpi) {
  static const MetricForDpi metricForDpi = User32<MetricForDpi>("GetSystemMetricsForDpi");
  if (metricForDpi != nullptr) return metricForDpi(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

bool NonClientMetricsAt(NONCLIENTMETRICSW& metrics, UINT dpi) {
  static const ParametersForDpi parametersForDpi =
      User32<ParametersForDpi>("SystemParametersInfoForDpi");
  metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (parametersForDpi != nullptr &&
      parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi))
    return true;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return false;
  // The system's metrics are at its own scale.
  const UINT system = SystemDpi();
  for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                         &metrics.lfStatusFont, &metrics.lfMessageFont})
    font->lfHeight = MulDiv(font->lfHeight, static_cast<int>(dpi), static_cast<int>(system));
  return true;
}

HFONT HandOnScaledFont(HWND window, HFONT from, UINT fromDpi, UINT toDpi) {
  LOGFONTW logFont{};
  if (from == nullptr || GetObjectW(from, sizeof(logFont), &logFont) == 0) return nullptr;
  logFont.lfHeight = MulDiv(logFont.lfHeight, static_cast<int>(toDpi), static_cast<int>(fromDpi));
  HFONT to = CreateFontIndirectW(&logFont);
  if (to == nullptr) return nullptr;
  struct Swap {
    HFONT from, to;
  } swap{from, to};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        const Swap& s = *reinterpret_cast<const Swap*>(data);
        if (reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)) == s.from)
          SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(s.to), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&swap));
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(to), FALSE);
  return to;
}

void KeepOwnLayoutOnDpiChange(HWND dialog) {
  // DDC_DISABLE_ALL: neither the font nor the controls' places follow.
  static const DialogBehaviour behaviour = User32<DialogBehaviour>("SetDialogDpiChangeBehavior");
  if (behaviour != nullptr) behaviour(dialog, 1, 1);
}

}  // namespace px
