#include "framework/BufferedPaint.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace px {

namespace {

// The windows painted through a buffer, with the procedures they had. A plain
// table and not the system's subclass helpers: under Wine those look a window
// property up for every message, which made the ten thousand insertions of a
// large folder into a tree take a second.
std::vector<std::pair<HWND, WNDPROC>>& Buffered() {
  static std::vector<std::pair<HWND, WNDPROC>> windows;
  return windows;
}

// Hands a message to the window's own procedure. A direct call where that is
// a plain function: the system's CallWindowProcW costs about 3 us a message
// under Wine, which a folder of ten thousand insertions feels. A handle that
// only stands for a procedure (0xFFFFxxxx) goes the documented way.
LRESULT Forward(WNDPROC original, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((reinterpret_cast<ULONG_PTR>(original) >> 16) == 0xFFFF)
    return CallWindowProcW(original, window, message, wParam, lParam);
  return original(window, message, wParam, lParam);
}

WNDPROC OriginalProc(HWND window) {
  for (const auto& [buffered, proc] : Buffered())
    if (buffered == window) return proc;
  return nullptr;
}

// Set while the control paints the screen itself because no canvas could be
// made; it must then erase its background as usual.
thread_local bool paintingPlainly = false;


// Paints the invalid part of the window through a canvas; false when no
// canvas could be made (the control then paints as it always does).
bool PaintBuffered(HWND window, WNDPROC original) {
  RECT update;
  if (!GetUpdateRect(window, &update, FALSE)) {
    // Nothing invalid (a paint asked for as such): only acknowledged.
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return true;
  }
  const int width = update.right - update.left, height = update.bottom - update.top;
  HDC screen = GetDC(window);
  MemoryCanvas canvas(screen, width, height);
  ReleaseDC(window, screen);
  if (!canvas.Ready()) return false;

  // The control paints the region still invalid (it asks for it itself), so
  // a change of one row costs one row, and the canvas holds just that part:
  // its origin is moved so that the control draws in its own coordinates.
  SetViewportOrgEx(canvas.Dc(), -update.left, -update.top, nullptr);
  IntersectClipRect(canvas.Dc(), update.left, update.top, update.right, update.bottom);
  Forward(original, window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
  Forward(original, window, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0);

  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  BitBlt(dc, update.left, update.top, width, height, canvas.Dc(), update.left, update.top, SRCCOPY);
  EndPaint(window, &paint);
  // Whatever the control invalidated while it painted is drawn next time,
  // not left as it was on the screen.
  RECT leftOver;
  if (SubtractRect(&leftOver, &paint.rcPaint, &update) && !IsRectEmpty(&leftOver))
    InvalidateRect(window, &leftOver, FALSE);
  return true;
}

LRESULT CALLBACK BufferedPaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC original = OriginalProc(window);
  if (original == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      // The canvas is erased instead; erasing the screen first would flicker.
      if (!paintingPlainly) return 1;
      break;
    case WM_PAINT:
      if (wParam != 0) break;
      if (!PaintBuffered(window, original)) {
        paintingPlainly = true;
        LRESULT result = Forward(original, window, message, wParam, lParam);
        paintingPlainly = false;
        return result;
      }
      return 0;
    case WM_NCDESTROY: {
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      auto& windows = Buffered();
      windows.erase(std::remove_if(windows.begin(), windows.end(),
                                   [&](const auto& entry) { return entry.first == window; }),
                    windows.end());
      break;
    }
  }
  return Forward(original, window, message, wParam, lParam);
}

}  // namespace

bool PaintThroughBuffer(HWND control) {
  if (control == nullptr || !IsWindowUnicode(control)) return false;
  if (OriginalProc(control) != nullptr) return true;
  auto original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BufferedPaintProc)));
  if (original == nullptr) return false;
  Buffered().emplace_back(control, original);
  return true;
}

}  // namespace px
