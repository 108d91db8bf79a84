#include "framework/MessageBoxes.h"

#include <algorithm>

#include "framework/Wide.h"

namespace px {

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags);
}

void CenterOver(HWND window, HWND target) {
  if (window == nullptr || target == nullptr) return;
  RECT own{}, over{};
  if (!GetWindowRect(window, &own) || !GetWindowRect(target, &over)) return;
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  int x = over.left + ((over.right - over.left) - width) / 2;
  int y = over.top + ((over.bottom - over.top) - height) / 2;

  // A list near a screen edge must not push the dialog off the screen.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
  }
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace px
