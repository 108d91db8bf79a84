// The scale a window is drawn at. 96 dots per inch is 100 %; pixel sizes
// written for 96 are scaled with Scaled. The platform's per-monitor calls are
// looked up at run time: where they are missing, every window has the
// system's scale.
#pragma once

#include <windows.h>

namespace px {

constexpr UINT kBaseDpi = 96;

// A size in pixels at 96 dots per inch, at dpi (rounded to nearest).
inline int Scaled(int pixelsAt96, UINT dpi) {
  return MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

// The scale of the system (the primary monitor at start-up).
UINT SystemDpi();
// The scale of the monitor the window is on; the system's for null.
UINT WindowDpi(HWND window);
// A system metric (SM_CXSMICON…) at dpi.
int SystemMetricAt(int index, UINT dpi);
// The non-client metrics (menu, caption and message fonts) at dpi.
bool NonClientMetricsAt(NONCLIENTMETRICSW& metrics, UINT dpi);
// The window's font made again at a new scale (the height scaled from the
// old scale's), handed to every control that drew with from; null when it
// could not be made (the controls keep theirs). The caller keeps the font
// and frees from once nothing draws with it.
HFONT HandOnScaledFont(HWND window, HFONT from, UINT fromDpi, UINT toDpi);
// A dialog that lays out its own controls: the platform does not move or
// resize them when the window's scale changes.
void KeepOwnLayoutOnDpiChange(HWND dialog);

}  // namespace px
