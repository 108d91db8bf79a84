// Tabs on the real window: opening, switching, closing, the bar, and the
// tabs kept over a restart.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/layout/Layout.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"

namespace px::test {
namespace {

class TabsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    data_.Make("Alpha");
    data_.Make("Beta");
    data_.Write("Alpha\\inside.txt", "i");
    data_.Write("big.bin", std::string(5000, 'b'));
    data_.Write("small.txt", "s");
    settings_ = PanelSettings(root_, root_);
  }

  static int TabCount(HWND bar) { return static_cast<int>(SendMessageW(bar, TCM_GETITEMCOUNT, 0, 0)); }
  static std::wstring TabText(HWND bar, int index) {
    wchar_t text[260] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 260;
    SendMessageW(bar, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
  }

  TempFolder data_;
  std::string root_;
  std::string settings_;
};

// Ctrl+T opens a tab on the folder shown and the bar appears over the list;
// each tab keeps its folder, sort, cursor and marks; a tab shown again is not
// read again (a refused listing shows nothing of it); Ctrl+W closes, never
// the last, and the bar goes with the second tab.
TEST_F(TabsTest, OpenSwitchAndClose) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  PanelPair& panels = window.Panels();
  FilePanel& panel = panels.Panel(Side::kLeft);
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND bar = run.Item(IDC_LEFT_TABS);
  ASSERT_FALSE(IsWindowVisible(bar));
  const RECT before = run.ControlRect(IDC_LEFT_LIST);
  panel.ClearSelection();
  panel.SetSelected({"big.bin", "small.txt"}, true);
  ListView(list).SetItemState(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "small.txt"), LVIS_FOCUSED, LVIS_FOCUSED);
  ListView(list).Send(LVM_SETSELECTIONMARK, 0, IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "small.txt"));

  PressKey(window, list, 'T', kCtrl);
  ASSERT_EQ(panel.TabCount(), 2u);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_EQ(TabCount(bar), 2);
  EXPECT_EQ(run.ControlRect(IDC_LEFT_LIST).top, before.top + kTabBarHeight);
  EXPECT_EQ(run.ControlRect(IDC_RIGHT_LIST).top, before.top);  // the other side keeps its place
  EXPECT_EQ(panel.Path(), root_);
  // The new tab goes elsewhere and sorts by size.
  panels.GoToFolder(root_ + "Alpha\\", true);
  PressKey(window, list, VK_F6, kCtrl);
  EXPECT_EQ(TabText(bar, 1), L"Alpha");
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0).back(), "inside.txt");

  // Back to the first tab, its listings refused: it shows what it showed.
  FailListingsForTests(Widen(root_), kRefuseListing);
  struct Restore {
    ~Restore() { FailListingsForTests(L"", -1); }
  } restore;
  PressKey(window, list, VK_TAB, kCtrl | kShift);
  EXPECT_EQ(panel.States().CurrentIndex(), 0u);
  EXPECT_EQ(panel.Path(), root_);
  EXPECT_EQ(panel.Sort().key, kSortByName);
  EXPECT_EQ(panel.Status(), ListStatus::kOk);
  EXPECT_EQ(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "big.bin") >= 0, true);
  std::vector<std::string> marked = SelectedNames(list);
  std::sort(marked.begin(), marked.end());
  EXPECT_EQ(marked, (std::vector<std::string>{"big.bin", "small.txt"}));
  EXPECT_EQ(FocusedName(list), "small.txt");
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(), root_ + "*.*");
  FailListingsForTests(L"", -1);

  PressKey(window, list, VK_TAB, kCtrl);
  EXPECT_EQ(panel.Path(), root_ + "Alpha\\");
  EXPECT_EQ(panel.Sort().key, kSortBySize);
  PressKey(window, list, 'W', kCtrl);
  EXPECT_EQ(panel.TabCount(), 1u);
  EXPECT_EQ(panel.Path(), root_);
  EXPECT_FALSE(IsWindowVisible(bar));
  EXPECT_EQ(run.ControlRect(IDC_LEFT_LIST).top, before.top);
  PressKey(window, list, 'W', kCtrl);  // never the last
  EXPECT_EQ(panel.TabCount(), 1u);
}

// A middle click on a tab closes it; a double click on the bar beside the
// tabs opens one; the setting shows the bar of a side with one tab.
TEST_F(TabsTest, MouseOnTheBarAndTheSetting) {
  const std::string settings = settings_ + "[Options]\r\nAlwaysShowTabs=1\r\n";
  RunningWindow run(settings.c_str());
  MainWindow& window = run.Window();
  FilePanel& panel = window.Panels().Panel(Side::kLeft);
  HWND bar = run.Item(IDC_LEFT_TABS);
  ASSERT_TRUE(IsWindowVisible(bar));
  ASSERT_TRUE(IsWindowVisible(run.Item(IDC_RIGHT_TABS)));
  EXPECT_EQ(TabCount(bar), 1);
  RECT client;
  GetClientRect(bar, &client);
  const LPARAM empty = MAKELPARAM(client.right - 5, 8);
  PostMessageW(bar, WM_LBUTTONDBLCLK, MK_LBUTTON, empty);
  Pump(&window);
  ASSERT_EQ(panel.TabCount(), 2u);
  RECT first{};
  SendMessageW(bar, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const LPARAM onFirst = MAKELPARAM((first.left + first.right) / 2, (first.top + first.bottom) / 2);
  PostMessageW(bar, WM_MBUTTONDOWN, MK_MBUTTON, onFirst);
  PostMessageW(bar, WM_MBUTTONUP, 0, onFirst);
  Pump(&window);
  EXPECT_EQ(panel.TabCount(), 1u);
  EXPECT_TRUE(IsWindowVisible(bar));
}

// The tabs are written at exit and read at the next start, the current one
// current again; a tab whose folder is gone opens at its nearest parent; a
// file without tabs reads as one tab.
TEST_F(TabsTest, SurviveARestartAndAMissingFolder) {
  std::string saved;
  {
    RunningWindow run(settings_.c_str());
    MainWindow& window = run.Window();
    HWND list = run.Item(IDC_LEFT_LIST);
    PressKey(window, list, 'T', kCtrl);
    window.Panels().GoToFolder(root_ + "Alpha\\", true);
    PressKey(window, list, 'T', kCtrl);
    window.Panels().GoToFolder(root_ + "Beta\\", true);
    PressKey(window, list, VK_TAB, kCtrl | kShift);  // Alpha current
    run.Close();
    saved = run.SettingsFileText();
  }
  EXPECT_NE(saved.find("[Tabs]\r\nLeftCount=3\r\nLeftCurrent=2\r\n"), std::string::npos) << saved;
  {
    RunningWindow run(saved.c_str());
    FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
    ASSERT_EQ(panel.TabCount(), 3u);
    EXPECT_EQ(panel.States().CurrentIndex(), 1u);
    EXPECT_EQ(panel.Path(), root_ + "Alpha\\");
    EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0).back(), "inside.txt");
    EXPECT_TRUE(IsWindowVisible(run.Item(IDC_LEFT_TABS)));
    EXPECT_FALSE(IsWindowVisible(run.Item(IDC_RIGHT_TABS)));
    EXPECT_EQ(panel.States().At(2).folder, root_ + "Beta\\");
  }
  RemoveTree(root_ + "Alpha\\");
  {
    RunningWindow run(saved.c_str());
    FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
    ASSERT_EQ(panel.TabCount(), 3u);
    EXPECT_EQ(panel.Path(), root_);
    EXPECT_EQ(panel.Status(), ListStatus::kOk);
  }
}

}  // namespace
}  // namespace px::test
