// Renaming entries in place on the real window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"

namespace px::test {
namespace {

class RenameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    data_.Make("folder");
    data_.Make("a");
    for (const char* name : {"apple.txt", "banana.txt", "cherry.txt", "date.txt"})
      data_.Write(name, name);
  }

  std::string Settings(int fastRename, const std::string& right = "") {
    return PanelSettings(root_, right.empty() ? root_ : right) +
           "[Options]\r\nFastRename=" + std::to_string(fastRename) + "\r\n";
  }

  // F2 on the named row, then the new text and Enter (or Escape).
  static void Rename(RunningWindow& run, const std::string& from, const std::wstring& to,
                     UINT finishKey = VK_RETURN) {
    RenameRow(run, from, to, finishKey);
    EXPECT_EQ(SendMessageW(run.Item(IDC_LEFT_LIST), LVM_GETEDITCONTROL, 0, 0), 0);
  }

  TempFolder data_;
  std::string root_;
};

TEST_F(RenameTest, RenamedEntryLeavesTheCursorWhereItStood) {
  RunningWindow run(Settings(1).c_str());
  int row = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "banana.txt");
  Rename(run, "banana.txt", L"zebra.txt");
  EXPECT_FALSE(Exists(root_ + "banana.txt"));
  EXPECT_TRUE(Exists(root_ + "zebra.txt"));
  std::vector<std::string> names = run.RowTexts(IDC_LEFT_LIST, 0);
  EXPECT_EQ(names.back(), "zebra.txt");
  HWND list = run.Item(IDC_LEFT_LIST);
  EXPECT_EQ(ListView(list).NextItem(-1, LVNI_FOCUSED), row);
  EXPECT_EQ(ListView(list).ItemText(row, 0), "cherry.txt");
}

TEST_F(RenameTest, TheParentRowCannotBeRenamed) {
  std::string settings = "[Left]\r\nPath=" + root_ + "folder\\\r\n";
  RunningWindow run(settings.c_str());
  HWND list = run.Item(IDC_LEFT_LIST);
  run.Window().Panels().Panel(Side::kLeft).SetCursor(0);
  PressKey(run.Window(), list, VK_F2);
  EXPECT_EQ(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0), 0);
}

TEST_F(RenameTest, EscapeRenamesNothingAndPutsLabelEditingAway) {
  RunningWindow run(Settings(0).c_str());
  HWND list = run.Item(IDC_LEFT_LIST);
  EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_EDITLABELS, 0);
  Rename(run, "apple.txt", L"pear.txt", VK_ESCAPE);
  EXPECT_TRUE(Exists(root_ + "apple.txt"));
  EXPECT_FALSE(Exists(root_ + "pear.txt"));
  EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_EDITLABELS, 0);
  EXPECT_FALSE(run.Window().IsEnded());
}

TEST_F(RenameTest, KeysDuringTheEditTypeInsteadOfRunningCommands) {
  RunningWindow run(Settings(1).c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  int row = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "date.txt");
  window.Panels().Panel(Side::kLeft).SetCursor(row);
  PressKey(window, list, VK_F2);
  HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  // Ctrl+F1 would switch the view; Backspace would go to the parent folder.
  PressKey(window, edit, VK_F1, kCtrl);
  PressKey(window, edit, VK_BACK);
  EXPECT_EQ(ListView(list).ViewStyle(), static_cast<DWORD>(LVS_REPORT));
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_);
  EXPECT_EQ(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0), reinterpret_cast<LRESULT>(edit));
  PressKey(window, edit, VK_ESCAPE);
  EXPECT_TRUE(Exists(root_ + "date.txt"));
}

TEST_F(RenameTest, LetterCaseAloneIsRenamed) {
  RunningWindow run(Settings(1).c_str());
  Rename(run, "cherry.txt", L"Cherry.TXT");
  EXPECT_NE(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "Cherry.TXT"), -1);
  EXPECT_EQ(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "cherry.txt"), -1);
}

TEST_F(RenameTest, RefusedNamesKeepTheOldNameAndChangeNothing) {
  RunningWindow run(Settings(1).c_str());
  std::vector<std::string> before = run.RowTexts(IDC_LEFT_LIST, 0);
  const std::wstring refused[] = {L"banana.txt", L"a/b", L"a\\b", L"con", L"trailing...",
                                  std::wstring(300, L'x'), L"x:y", L""};
  for (const std::wstring& name : refused) {
    Rename(run, "apple.txt", name);
    EXPECT_TRUE(Exists(root_ + "apple.txt")) << Narrow(name);
    EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0), before) << Narrow(name);
  }
  EXPECT_FALSE(Exists(root_ + "a\\b"));
  EXPECT_EQ(ReadBytes(root_ + "banana.txt"), "banana.txt");
}

TEST_F(RenameTest, OtherPanelFollowsOnlyWhenItShowsTheSameFolder) {
  {
    RunningWindow run(Settings(1).c_str());
    Rename(run, "date.txt", L"datum.txt");
    EXPECT_NE(IndexOf(run.RowTexts(IDC_RIGHT_LIST, 0), "datum.txt"), -1);
  }
  {
    RunningWindow run(Settings(1, root_ + "folder\\").c_str());
    int rows = ListView(run.Item(IDC_RIGHT_LIST)).ItemCount();
    data_.Write("folder\\new.txt", "n");
    Rename(run, "datum.txt", L"date.txt");
    EXPECT_EQ(ListView(run.Item(IDC_RIGHT_LIST)).ItemCount(), rows);
  }
}

}  // namespace
}  // namespace px::test
