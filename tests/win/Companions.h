// The companion files of the menus and the toolbar (the icon libraries beside
// the test program, the shipped layout and languages) put into a start folder,
// and a look at the pictures of an image list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wide.h"
#include "tests/win/Harness.h"

namespace px::test {

inline std::string BesideTestProgram(const std::string& name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string folder = Narrow(path);
  return folder.substr(0, folder.rfind('\\') + 1) + name;
}

// Menu.dll, ToolBar.dll, the shipped Standart.ini and German.lng.
inline void StageCompanions(TempFolder& start) {
  start.Make("Menu");
  start.Make("ToolBar");
  start.Write("Menu\\Menu.dll", ReadBytes(BesideTestProgram("Menu.dll")));
  start.Write("ToolBar\\ToolBar.dll", ReadBytes(BesideTestProgram("ToolBar.dll")));
  start.Write("ToolBar\\Standart.ini", ReadBytes(SourcePath("ToolBar/Standart.ini")));
  start.Write("Language\\German.lng", ReadBytes(SourcePath("Language/German.lng")));
}

// True when image `index` draws nothing on a white background.
inline bool IsBlankImage(HIMAGELIST images, int index) {
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(images, index, dc, 0, 0, ILD_NORMAL);
  bool blank = true;
  for (int y = 0; y < height && blank; ++y)
    for (int x = 0; x < width && blank; ++x) blank = (GetPixel(dc, x, y) & 0xFFFFFF) == 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return blank;
}

}  // namespace px::test
