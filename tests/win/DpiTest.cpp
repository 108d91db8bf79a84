// The window at other scales: a running window that moves to a monitor of
// another scale follows it, and back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/layout/Layout.h"
#include "framework/Dpi.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED

int FontHeight(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  if (font == nullptr || GetObjectW(font, sizeof(logFont), &logFont) == 0) return 0;
  return std::abs(static_cast<int>(logFont.lfHeight));
}

int ImageSize(HIMAGELIST images) {
  int width = 0, height = 0;
  return images != nullptr && ImageList_GetIconSize(images, &width, &height) ? width : 0;
}

// What the scale shows in: sizes of fonts, pictures, columns and rows.
struct Look {
  int listFont, treeFont, commandFont;
  int listIcons, treeIcons, driveIcons;
  int nameColumn, sizeColumn;
  int pathHeight, keyHeight, toolBarTop;
};

Look LookOf(RunningWindow& run) {
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND tree = run.Item(IDC_LEFT_TREE);
  const RECT path = run.ControlRect(IDC_LEFT_PATH);
  const RECT key = run.ControlRect(IDC_COPY);
  const RECT below = run.ControlRect(IDC_LINE_TOOLBAR);
  return {FontHeight(list),
          FontHeight(tree),
          FontHeight(run.Item(IDC_COMMAND_LINE)),
          ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0))),
          ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0))),
          ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(run.Item(IDC_LEFT_DRIVE), CBEM_GETIMAGELIST, 0, 0))),
          static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0)),
          static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0)),
          static_cast<int>(path.bottom - path.top),
          static_cast<int>(key.bottom - key.top),
          static_cast<int>(below.top)};
}

void SendDpiChange(HWND window, UINT dpi, const RECT& suggested) {
  SendMessageW(window, kDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// The platform says the window is now on a monitor at 200 %, with a
// rectangle twice the size: fonts, pictures, columns and the layout's fixed
// sizes double, the window takes the rectangle; back at 100 % everything is
// as it was.
TEST(DpiTest, RunningWindowFollowsAChangeOfScaleAndBack) {
  TempFolder data;
  data.Make("Folder");
  data.Write("file.txt", "x");
  RunningWindow run(PanelSettings(data.Path(), data.Path()).c_str());
  MainWindow& window = run.Window();
  const UINT start = window.Dpi();
  ASSERT_EQ(start, WindowDpi(run.Handle()));
  const UINT doubled = start * 2;

  run.SetClientSize(560, 420);
  const Look before = LookOf(run);
  ASSERT_GT(before.listFont, 0);
  RECT frame;
  GetWindowRect(run.Handle(), &frame);
  const RECT larger{frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                    frame.top + 2 * (frame.bottom - frame.top)};
  SendDpiChange(run.Handle(), doubled, larger);
  Pump(&window);

  EXPECT_EQ(window.Dpi(), doubled);
  RECT now;
  GetWindowRect(run.Handle(), &now);
  EXPECT_EQ(now.right - now.left, larger.right - larger.left);
  EXPECT_EQ(now.bottom - now.top, larger.bottom - larger.top);
  const Look after = LookOf(run);
  const struct {
    const char* what;
    int before, after;
  } kDoubled[] = {
      {"list font", before.listFont, after.listFont},
      {"tree font", before.treeFont, after.treeFont},
      {"command line font", before.commandFont, after.commandFont},
      {"name column", before.nameColumn, after.nameColumn},
      {"size column", before.sizeColumn, after.sizeColumn},
      {"path line", before.pathHeight, after.pathHeight},
      {"function key", before.keyHeight, after.keyHeight},
      {"line below the toolbar", before.toolBarTop, after.toolBarTop},
  };
  for (const auto& row : kDoubled) {
    EXPECT_GT(row.before, 0) << row.what;
    EXPECT_NEAR(row.after, 2 * row.before, 2) << row.what;
  }
  // Pictures come at the system's size for that scale, never scaled down.
  const int icon = SystemMetricAt(SM_CXSMICON, doubled);
  EXPECT_EQ(after.listIcons, icon);
  EXPECT_EQ(after.treeIcons, icon);
  EXPECT_EQ(after.driveIcons, icon);

  // Back: everything as it was.
  SendDpiChange(run.Handle(), start, frame);
  Pump(&window);
  const Look back = LookOf(run);
  EXPECT_EQ(back.listFont, before.listFont);
  EXPECT_EQ(back.treeFont, before.treeFont);
  EXPECT_EQ(back.listIcons, before.listIcons);
  EXPECT_EQ(back.driveIcons, before.driveIcons);
  EXPECT_NEAR(back.nameColumn, before.nameColumn, 1);
  EXPECT_EQ(back.pathHeight, before.pathHeight);
  EXPECT_EQ(back.toolBarTop, before.toolBarTop);
  // The widths are stored at 100 % whatever the scale was.
  run.Close();
  EXPECT_NE(run.SettingsFileText().find("TabName=" + std::to_string(MulDiv(before.nameColumn, 96, start))),
            std::string::npos);
}

}  // namespace
}  // namespace px::test
