// Saves the running Pannex window as a 24-bit BMP, read from the program's own
// window surfaces: an open drop-down or dialog is drawn in its place, which a
// capture of the X screen shows as a black box.
//   window_capture KEY OUTPUT.bmp     KEY: a menu title's letter, or - for none;
//                                     =ID: the program's window holding control
//                                     ID (a viewer) alone
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tools/MainWindowSearch.h"

using namespace px::tools;

namespace {

struct Target {
  HWND owner;
  HDC dc;
  RECT origin;
  std::vector<HWND> owned;
};

void Blit(const Target& target, HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  HDC source = GetWindowDC(window);
  BitBlt(target.dc, rect.left - target.origin.left, rect.top - target.origin.top,
         rect.right - rect.left, rect.bottom - rect.top, source, 0, 0, SRCCOPY);
  ReleaseDC(window, source);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Pixels as the program draws them, at any scale (no scaled coordinates).
  SetProcessDPIAware();
  if (argc < 3) return 2;
  wchar_t key = argv[1][0];
  HWND window = WaitForMainWindow(100);
  if (window == nullptr) return 1;
  // "=ID": the program's window that holds control ID (a viewer) instead.
  if (key == L'=') {
    for (int i = 0; i < 100; ++i) {
      if (HWND other = WindowOfProgramWith(window, _wtoi(argv[1] + 1))) {
        window = other;
        break;
      }
      Sleep(50);
    }
    key = L'-';
  }
  // Only for a drop-down: brought forward while a dialog is up, the window
  // would hide that dialog's contents.
  if (key != L'-') {
    SetForegroundWindow(window);
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, key);
  }
  Sleep(2000);

  RECT frame;
  GetWindowRect(window, &frame);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  Target target{window, dc, frame, {}};
  Blit(target, window);
  // Owned windows (dialogs) and an open drop-down, over the window; the list
  // comes topmost first, so it is drawn from its end.
  EnumWindows(
      [](HWND other, LPARAM data) -> BOOL {
        Target& t = *reinterpret_cast<Target*>(data);
        if (IsWindowVisible(other) && OwnedBy(other, t.owner)) t.owned.push_back(other);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&target));
  for (auto it = target.owned.rbegin(); it != target.owned.rend(); ++it) Blit(target, *it);
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (popup != nullptr && IsWindowVisible(popup)) Blit(target, popup);
  GdiFlush();

  int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
  header.bfSize = header.bfOffBits + static_cast<DWORD>(stride * height);
  FILE* file = _wfopen(argv[2], L"wb");
  if (file == nullptr) return 1;
  fwrite(&header, sizeof(header), 1, file);
  fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file);
  fwrite(bits, static_cast<size_t>(stride) * height, 1, file);
  fclose(file);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return 0;
}
