// Panels that follow the disk by themselves: changes made by another
// process, a folder that goes, a drive that goes, hidden tabs.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/language/TextFormat.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"

namespace px::test {
namespace {

class LiveFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    data_.Make("Sub");
    data_.Write("a.txt", "a");
    data_.Write("b.txt", "b");
    data_.Write("c.txt", "c");
    settings_ = PanelSettings(root_, root_);
  }

  bool Shows(RunningWindow& run, const std::string& name) {
    return IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), name) >= 0;
  }

  TempFolder data_;
  std::string root_;
  std::string settings_;
};

// A file made by another process comes in by itself, merged into the rows
// (no listing), the marks and the cursor on their entries; one deleted goes;
// a burst is folded into a few updates.
TEST_F(LiveFolderTest, ChangesByAnotherProcessComeIn) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  FilePanel& panel = window.Panels().Panel(Side::kLeft);
  HWND list = run.Item(IDC_LEFT_LIST);
  ASSERT_TRUE(PumpUntil(window, [&] { return panel.Watched(); }, 5000));
  panel.ClearSelection();
  panel.SetSelected({"a.txt", "c.txt"}, true);
  const int b = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "b.txt");
  ListView(list).SetItemState(b, LVIS_FOCUSED, LVIS_FOCUSED);
  ListView(list).Send(LVM_SETSELECTIONMARK, 0, b);
  const uint64_t listings = panel.Watching().listings;

  ASSERT_TRUE(RunShell(root_, "printf new > 0-new.txt"));
  ASSERT_TRUE(PumpUntil(window, [&] { return Shows(run, "0-new.txt"); }, 5000));
  EXPECT_EQ(panel.Watching().listings, listings);  // merged, not listed
  EXPECT_GE(panel.Watching().merges, 1u);
  std::vector<std::string> marked = SelectedNames(list);
  std::sort(marked.begin(), marked.end());
  EXPECT_EQ(marked, (std::vector<std::string>{"a.txt", "c.txt"}));
  EXPECT_EQ(FocusedName(list), "b.txt");
  EXPECT_EQ(panel.EntryAtCursor()->name, "b.txt");

  ASSERT_TRUE(RunShell(root_, "rm a.txt"));
  ASSERT_TRUE(PumpUntil(window, [&] { return !Shows(run, "a.txt"); }, 5000));
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"c.txt"});

  // A burst of 2 000 files: every one shows, in a few listings or merges.
  ASSERT_TRUE(RunShell(root_, "for i in $(seq 1 2000); do : > burst-$i.dat; done"));
  ASSERT_TRUE(PumpUntil(window, [&] { return ListView(list).ItemCount() == 2000 + 5; }, 15000))
      << ListView(list).ItemCount();
  const uint64_t updates = panel.Watching().listings - listings + panel.Watching().merges;
  EXPECT_LE(updates, 40u);
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"c.txt"});
}

// The folder shown is deleted: the side goes to its parent and says what went.
TEST_F(LiveFolderTest, AFolderDeletedWhileShownSendsTheSideToItsParent) {
  data_.Write("Sub\\inside.txt", "i");
  const std::string settings = PanelSettings(root_ + "Sub\\", root_);
  RunningWindow run(settings.c_str());
  MainWindow& window = run.Window();
  FilePanel& panel = window.Panels().Panel(Side::kLeft);
  ASSERT_TRUE(PumpUntil(window, [&] { return panel.Watched(); }, 5000));
  ASSERT_TRUE(Shows(run, "inside.txt"));
  ASSERT_TRUE(RunShell(root_, "rm -r Sub"));
  ASSERT_TRUE(PumpUntil(window, [&] { return panel.Path() == root_; }, 8000)) << panel.Path();
  EXPECT_TRUE(Shows(run, "a.txt"));
  EXPECT_NE(px::Window(run.Item(IDC_LEFT_PATH)).Text().find(root_ + "Sub\\"), std::string::npos)
      << px::Window(run.Item(IDC_LEFT_PATH)).Text();
}

// A drive that goes: the drive boxes follow, and a side on it goes to a
// folder that exists, saying so; one that comes shows in the boxes.
TEST_F(LiveFolderTest, DrivesThatComeAndGo) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  PanelPair& panels = window.Panels();
  FilePanel& panel = panels.Panel(Side::kLeft);
  const auto boxHas = [&](const std::string& root) {
    const ComboBoxEx& box = panels.Panel(Side::kRight).DriveBox();
    for (int i = 0; i < box.Count(); ++i)
      if (box.ItemText(i) == root) return true;
    return false;
  };
  // A free letter, mapped to the test's folder.
  std::wstring letter;
  for (wchar_t c = L'Q'; c <= L'Y' && letter.empty(); ++c) {
    const wchar_t root[] = {c, L':', L'\\', 0};
    if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) letter = std::wstring(1, c) + L":";
  }
  ASSERT_FALSE(letter.empty());
  const std::wstring target = Widen(root_.substr(0, root_.size() - 1));
  if (!DefineDosDeviceW(0, letter.c_str(), target.c_str())) GTEST_SKIP() << "no drive letters to define here";
  struct Remove {
    std::wstring letter;
    ~Remove() { DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter.c_str(), nullptr); }
  } remove{letter};
  const std::string drive = Narrow(letter) + "\\";
  ASSERT_FALSE(boxHas(drive));
  SendMessageW(run.Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  Pump(&window);
  ASSERT_TRUE(boxHas(drive));
  panels.GoToFolder(drive + "Sub\\", true);
  ASSERT_EQ(panel.Path(), drive + "Sub\\");

  ASSERT_TRUE(DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter.c_str(), nullptr));
  SendMessageW(run.Handle(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
  ASSERT_TRUE(PumpUntil(window, [&] { return panel.Path().rfind(drive, 0) != 0; }, 8000)) << panel.Path();
  EXPECT_FALSE(boxHas(drive));
  const DWORD attributes = GetFileAttributesW(Widen(panel.Path()).c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(px::Window(run.Item(IDC_LEFT_PATH)).Text().find(drive + "Sub\\"), std::string::npos);
  // Once more does nothing more: no loop.
  const std::string settled = panel.Path();
  SendMessageW(run.Handle(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
  Pump(&window);
  EXPECT_EQ(panel.Path(), settled);
}

// A change in a hidden tab's folder marks it stale; it is read when shown,
// and only then.
TEST_F(LiveFolderTest, AHiddenTabIsReadWhenShown) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  PanelPair& panels = window.Panels();
  FilePanel& panel = panels.Panel(Side::kLeft);
  HWND list = run.Item(IDC_LEFT_LIST);
  ASSERT_TRUE(PumpUntil(window, [&] { return panel.Watched(); }, 5000));
  PressKey(window, list, 'T', kCtrl);
  panels.GoToFolder(root_ + "Sub\\", true);
  ASSERT_TRUE(PumpUntil(window, [&] { return panel.Watched(); }, 5000));
  const uint64_t listings = panel.Watching().listings;
  ASSERT_TRUE(RunShell(root_, "printf x > hidden-new.txt"));
  ASSERT_TRUE(PumpUntil(window, [&] { return panel.TabStale(0); }, 5000));
  EXPECT_EQ(panel.Watching().listings, listings);  // nothing read for it yet
  PressKey(window, list, VK_TAB, kCtrl);
  EXPECT_EQ(panel.Path(), root_);
  EXPECT_TRUE(Shows(run, "hidden-new.txt"));
  EXPECT_EQ(panel.Watching().listings, listings + 1);
}

}  // namespace
}  // namespace px::test
