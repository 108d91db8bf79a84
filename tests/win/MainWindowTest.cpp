// The real main window under the platform: start-up, listing, layout, splitter, shutdown.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/layout/Layout.h"
#include "core/settings/ProfileDocument.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

TEST(MainWindowStart, WithoutSettingsOpensMaximisedOnDriveC) {
  RunningWindow run;
  EXPECT_TRUE(IsZoomed(run.Handle()));
  EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Path(), "C:\\");
  EXPECT_EQ(run.Window().Panels().Panel(Side::kRight).Path(), "C:\\");
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(), "C:\\*.*");
  EXPECT_EQ(px::Window(run.Item(IDC_COMMAND_PROMPT)).Text(), "C:\\>");
  // A drive root has no parent row.
  std::vector<std::string> names = run.RowTexts(IDC_LEFT_LIST, 0);
  EXPECT_EQ(IndexOf(names, "..    "), -1);
  EXPECT_NE(IndexOf(names, "windows"), -1);
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ItemState(0, LVIS_SELECTED | LVIS_FOCUSED),
            static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_VOLUME)).Text().empty(), false);
}

TEST(MainWindowStart, ClosingWritesPanelsAndOptionsButNoPosition) {
  RunningWindow run;
  run.Close();
  ProfileDocument written = ProfileDocument::Parse(run.SettingsFileText());
  EXPECT_EQ(written.GetString("Left", "Path", "?"), "C:\\");
  EXPECT_EQ(written.GetInt("Right", "Show", -1), 1);
  EXPECT_EQ(written.GetInt("Options", "Divider", -1), 500);
  EXPECT_EQ(written.GetString("Options", "Language", "?"), "English");
  EXPECT_EQ(written.GetString("History", "19", "?"), "");
  EXPECT_FALSE(written.Get("Position", "Maximized").has_value());
}

TEST(MainWindowStart, EnterAndEscapeNeverClose) {
  RunningWindow run;
  HWND list = run.Item(IDC_LEFT_LIST);
  SetFocus(list);
  for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    PostMessageW(list, WM_KEYDOWN, key, 0);
    PostMessageW(list, WM_KEYUP, key, 0);
    Pump(&run.Window());
  }
  EXPECT_FALSE(run.Window().IsEnded());
  EXPECT_TRUE(IsWindowVisible(run.Handle()));
}

TEST(MainWindowStart, PositionIsWrittenWhenAsked) {
  RunningWindow run("[Options]\r\nSavePosition=1\r\n[Position]\r\nMaximized=0\r\nLeft=10\r\n"
                    "Top=20\r\nWidth=700\r\nHeight=500\r\n");
  EXPECT_FALSE(IsZoomed(run.Handle()));
  run.Close();
  ProfileDocument written = ProfileDocument::Parse(run.SettingsFileText());
  EXPECT_EQ(written.GetInt("Position", "Maximized", -1), 0);
  EXPECT_EQ(written.GetInt("Position", "Left", -1), 10);
  EXPECT_EQ(written.GetInt("Position", "Width", -1), 700);
}

TEST(MainWindowStart, MaximisedWritesOnlyMaximized) {
  RunningWindow run("[Options]\r\nSavePosition=1\r\n[Position]\r\nLeft=33\r\n");
  run.Close();
  ProfileDocument written = ProfileDocument::Parse(run.SettingsFileText());
  EXPECT_EQ(written.GetInt("Position", "Maximized", -1), 1);
  EXPECT_EQ(written.GetInt("Position", "Left", -1), 33);
  EXPECT_FALSE(written.Get("Position", "Width").has_value());
}

TEST(MainWindowStart, ListStyleWritesShowZeroAndKeepsWidths) {
  RunningWindow run("[Left]\r\nShow=0\r\nTabName=77\r\n");
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ViewStyle(), static_cast<DWORD>(LVS_LIST));
  ListView(run.Item(IDC_RIGHT_LIST)).Send(LVM_SETCOLUMNWIDTH, 0, 150);
  run.Close();
  ProfileDocument written = ProfileDocument::Parse(run.SettingsFileText());
  EXPECT_EQ(written.GetInt("Left", "Show", -1), 0);
  EXPECT_EQ(written.GetInt("Left", "TabName", -1), 77);
  EXPECT_EQ(written.GetInt("Right", "TabName", -1), 150);
}

TEST(MainWindowStart, HostileSettingsStillGiveAUsableWindow) {
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 7919) % 256);
  const std::string cases[] = {
      junk,
      "",
      "[Options]\r\nDivider=-999999\r\n[Position]\r\nMaximized=0\r\nLeft=-90000\r\nTop=90000\r\n"
      "Width=-5\r\nHeight=999999999\r\n[Left]\r\nPath=C:\\windows\r\nSort=77\r\nTabName=-40\r\n"
      "[Right]\r\nPath=" + std::string(40000, 'x') + "\r\n",
      "[Left]\r\nPath=Q:\\no such drive\\\r\n[Right]\r\nPath=C:\\windows\\win.ini\\\r\n",
  };
  for (const std::string& text : cases) {
    RunningWindow run(text.c_str());
    MainWindow& window = run.Window();
    EXPECT_GE(window.GetOptions().divider, 0);
    EXPECT_LE(window.GetOptions().divider, 1000);
    for (Side side : {Side::kLeft, Side::kRight}) {
      const std::string& path = window.Panels().Panel(side).Path();
      ASSERT_FALSE(path.empty());
      EXPECT_EQ(path.back(), '\\');
      EXPECT_LT(path.size(), 32001u);
    }
    RECT frame;
    GetWindowRect(run.Handle(), &frame);
    EXPECT_GE(frame.right - frame.left, kMinWindowWidth);
    EXPECT_LE(frame.right - frame.left, GetSystemMetrics(SM_CXVIRTUALSCREEN) + 64);
    run.Close();
  }
}

TEST(MainWindowStart, MissingTrailingBackslashIsAdded) {
  RunningWindow run("[Left]\r\nPath=C:\\windows\r\n");
  EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Path(), "C:\\windows\\");
  std::vector<std::string> names = run.RowTexts(IDC_LEFT_LIST, 0);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names[0], "..    ");
}

TEST(MainWindowLayout, ControlsStandWhereTheLayoutPutsThem) {
  RunningWindow run;
  run.SetClientSize(1000, 600);
  VisibleRows byDefault;
  byDefault.selectionLine = true;  // the setting's default
  MainLayout expected = ComputeLayout(1000, 600, 500, byDefault);
  auto check = [&](int id, const Rect& r) {
    RECT actual = run.ControlRect(id);
    EXPECT_EQ(actual.left, r.x) << id;
    EXPECT_EQ(actual.top, r.y) << id;
    EXPECT_EQ(actual.right - actual.left, r.width) << id;
  };
  check(IDC_LEFT_LIST, expected.panels.leftPanel);
  check(IDC_RIGHT_LIST, expected.panels.rightPanel);
  check(IDC_LEFT_PATH, expected.panels.leftPath);
  check(IDC_RIGHT_PATH, expected.panels.rightPath);
  check(IDC_LEFT_SELECTION, expected.panels.leftSelection);
  check(IDC_RIGHT_SELECTION, expected.panels.rightSelection);
  check(IDC_COMMAND_LINE, expected.commandLine);
  check(IDC_EXIT, expected.functionKeys[4]);
  RECT left = run.ControlRect(IDC_LEFT_LIST);
  EXPECT_EQ(left.left, 1);
  EXPECT_EQ(left.right - left.left, 498);
  EXPECT_EQ(run.ControlRect(IDC_RIGHT_LIST).left, 502);
  EXPECT_EQ(left.bottom - left.top, expected.panels.leftPanel.height);
}

TEST(MainWindowLayout, HiddenRowsGiveThePanelsTheirHeight) {
  RunningWindow run("[Options]\r\nShowToolBar=0\r\nShowFuncKey=0\r\n");
  run.SetClientSize(900, 500);
  EXPECT_FALSE(IsWindowVisible(run.Item(IDC_TOOLBAR)));
  EXPECT_FALSE(IsWindowVisible(run.Item(IDC_EXIT)));
  RECT list = run.ControlRect(IDC_LEFT_LIST);
  EXPECT_EQ(list.top, 46);
  EXPECT_EQ(run.ControlRect(IDC_LEFT_PATH).top, 28);
  EXPECT_EQ(run.ControlRect(IDC_LEFT_VOLUME).top, 5);
  VisibleRows rows;
  rows.toolBar = false;
  rows.funcKey = false;
  rows.selectionLine = true;
  EXPECT_EQ(list.bottom - list.top, ComputeLayout(900, 500, 500, rows).panels.leftPanel.height);
}

TEST(MainWindowLayout, SplitterDragFollowsTheMouseAndClamps) {
  RunningWindow run;
  run.SetClientSize(1000, 600);
  RECT bar = run.ControlRect(IDC_SPLITTER);
  int y = (bar.top + bar.bottom) / 2;
  HWND hwnd = run.Handle();
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.left + 1, y));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, y));
  EXPECT_EQ(run.Window().GetOptions().divider, 300);
  EXPECT_EQ(run.ControlRect(IDC_LEFT_LIST).right - run.ControlRect(IDC_LEFT_LIST).left, 298);
  EXPECT_EQ(run.ControlRect(IDC_RIGHT_LIST).left, 302);
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, y));
  EXPECT_EQ(run.Window().GetOptions().divider, 2);
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5000, y));
  EXPECT_EQ(run.Window().GetOptions().divider, 998);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5000, y));
  // Once released, moving no longer drags.
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(400, y));
  EXPECT_EQ(run.Window().GetOptions().divider, 998);
  // A press away from the gap starts no drag.
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 590));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(400, 590));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(400, 590));
  EXPECT_EQ(run.Window().GetOptions().divider, 998);
}

TEST(MainWindowLayout, DividerCommandsSetFixedShares) {
  RunningWindow run;
  run.SetClientSize(1000, 600);
  SendMessageW(run.Handle(), WM_COMMAND, ID_DIVIDER_FIRST + 3, 0);
  EXPECT_EQ(run.Window().GetOptions().divider, 500);
  SendMessageW(run.Handle(), WM_COMMAND, ID_DIVIDER_LAST, 0);
  EXPECT_EQ(run.Window().GetOptions().divider, 800);
  EXPECT_EQ(run.ControlRect(IDC_RIGHT_LIST).left, 802);
  SendMessageW(run.Handle(), WM_COMMAND, ID_DIVIDER_FIRST, 0);
  EXPECT_EQ(run.Window().GetOptions().divider, 200);
}

TEST(MainWindowLayout, ViewOptionsShowAndHideRows) {
  RunningWindow run;
  run.SetClientSize(800, 600);
  Options& options = run.Window().MutableOptions();
  options.showComLine = 0;
  options.showCurDir = 0;
  run.Window().ApplyViewOptions();
  EXPECT_FALSE(IsWindowVisible(run.Item(IDC_COMMAND_LINE)));
  EXPECT_FALSE(IsWindowVisible(run.Item(IDC_LEFT_PATH)));
  options.showComLine = 1;
  options.showCurDir = 1;
  options.fullRowSelect = 0;
  run.Window().ApplyViewOptions();
  EXPECT_TRUE(IsWindowVisible(run.Item(IDC_COMMAND_LINE)));
  EXPECT_TRUE(IsWindowVisible(run.Item(IDC_RIGHT_PATH)));
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).Send(LVM_GETEXTENDEDLISTVIEWSTYLE), 0);
}

}  // namespace
}  // namespace px::test
