// Folder trees in place of a panel's list, on the real window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "core/settings/ProfileDocument.h"
#include "framework/Controls.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"

namespace px::test {
namespace {

HTREEITEM Selected(HWND tree) { return TreeView_GetSelection(tree); }

HTREEITEM ChildNamed(HWND tree, HTREEITEM parent, const std::wstring& name) {
  return TreeView(tree).ChildWithText(parent, name);
}

void ClickItem(MainWindow& window, HWND tree, HTREEITEM item) {
  RECT rect{};
  TreeView_GetItemRect(tree, item, &rect, TRUE);
  LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(tree, WM_LBUTTONUP, 0, point);
  Pump(&window);
}

class PanelTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    for (const char* folder : {"One", "One\\Deep", "Two", "Three"}) data_.Make(folder);
    data_.Write("One\\inside.txt", "x");
    settings_ = PanelSettings(root_, root_);
  }
  TempFolder data_;
  std::string root_;
  std::string settings_;
};

TEST_F(PanelTreeTest, CtrlF8ShowsTheTreeOnTheOtherPanelsFolder) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND tree = run.Item(IDC_LEFT_TREE);
  PressKey(window, list, VK_F8, kCtrl);
  EXPECT_TRUE(IsWindowVisible(tree));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(GetFocus(), tree);
  HTREEITEM selected = Selected(tree);
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Folders().PathOf(selected), root_);
  // Ctrl+F2 puts the list back.
  PressKey(window, tree, VK_F2, kCtrl);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_FALSE(IsWindowVisible(tree));
  EXPECT_EQ(TreeView_GetCount(tree), 0u);
}

TEST_F(PanelTreeTest, MouseListsTheOtherPanelKeyboardOnlyMovesThePath) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND tree = run.Item(IDC_LEFT_TREE);
  window.Panels().ShowFolderTree(Side::kLeft, true);
  HTREEITEM current = Selected(tree);
  ASSERT_NE(current, nullptr);
  TreeView_Expand(tree, current, TVE_EXPAND);
  HTREEITEM one = ChildNamed(tree, current, L"One");
  ASSERT_NE(one, nullptr);
  ClickItem(window, tree, one);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "One\\");
  EXPECT_EQ(window.Panels().Panel(Side::kRight).Path(), root_ + "One\\");
  std::vector<std::string> names = run.RowTexts(IDC_RIGHT_LIST, 0);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[1], "Deep");
  EXPECT_EQ(window.Panels().History(Side::kRight).Current(), root_ + "One\\");

  // The arrow keys move the tree's folder and its path line, not the listing.
  PressKey(window, tree, VK_DOWN);
  std::string moved = window.Panels().Panel(Side::kLeft).Path();
  EXPECT_NE(moved, root_ + "One\\");
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(), moved + "*.*");
  EXPECT_EQ(px::Window(run.Item(IDC_COMMAND_PROMPT)).Text(), moved + ">");
  EXPECT_EQ(run.RowTexts(IDC_RIGHT_LIST, 0), names);
}

TEST_F(PanelTreeTest, NavigatingTheListMovesTheTreeAlong) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND tree = run.Item(IDC_RIGHT_TREE);
  window.Panels().ShowFolderTree(Side::kRight, true);
  HWND list = run.Item(IDC_LEFT_LIST);
  SetFocus(list);
  Pump(&window);
  std::vector<std::string> names = run.RowTexts(IDC_LEFT_LIST, 0);
  int row = -1;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == "Two") row = static_cast<int>(i);
  ASSERT_GE(row, 0);
  window.Panels().Panel(Side::kLeft).ClearSelection();
  window.Panels().Panel(Side::kLeft).SetCursor(row);
  PressKey(window, list, VK_RETURN);
  EXPECT_EQ(window.Panels().Panel(Side::kRight).Folders().PathOf(Selected(tree)), root_ + "Two\\");
  PressKey(window, list, VK_BACK);
  EXPECT_EQ(window.Panels().Panel(Side::kRight).Folders().PathOf(Selected(tree)), root_);
  window.Panels().GoToFolder(root_ + "One\\Deep\\", true);
  EXPECT_EQ(window.Panels().Panel(Side::kRight).Folders().PathOf(Selected(tree)), root_ + "One\\Deep\\");
}

TEST_F(PanelTreeTest, TheTreeIsRestoredAtTheNextStart) {
  std::string settings;
  {
    RunningWindow run(settings_.c_str());
    run.Window().Panels().ShowFolderTree(Side::kRight, true);
    run.Close();
    settings = run.SettingsFileText();
    EXPECT_EQ(ProfileDocument::Parse(settings).GetInt("Right", "Show", -1), 2);
  }
  RunningWindow run(settings.c_str());
  EXPECT_TRUE(IsWindowVisible(run.Item(IDC_RIGHT_TREE)));
  EXPECT_FALSE(IsWindowVisible(run.Item(IDC_RIGHT_LIST)));
  HTREEITEM selected = Selected(run.Item(IDC_RIGHT_TREE));
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(run.Window().Panels().Panel(Side::kRight).Folders().PathOf(selected), root_);
}

TEST_F(PanelTreeTest, FolderChooserMovesTheActivePanel) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  SetFocus(list);
  Pump(&window);
  struct Chooser {
    static void CALLBACK Choose(HWND, UINT, UINT_PTR id, DWORD) {
      HWND dialog = GetActiveWindow();
      HWND tree = GetDlgItem(dialog, IDC_GO_TO_TREE);
      if (tree == nullptr) return;
      KillTimer(nullptr, id);
      HTREEITEM selected = TreeView_GetSelection(tree);
      TreeView_Expand(tree, selected, TVE_EXPAND);
      HTREEITEM three = ChildNamed(tree, selected, L"Three");
      if (three != nullptr) TreeView_SelectItem(tree, three);
    }
  };
  UINT_PTR timer = SetTimer(nullptr, 0, 10, &Chooser::Choose);
  DialogResponder responder(IDOK);
  PressKey(window, list, VK_F10, kAlt);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "Three\\");
  EXPECT_EQ(window.Panels().History(Side::kLeft).Current(), root_ + "Three\\");
}

}  // namespace
}  // namespace px::test
