// Listing real folders into the panels: names in any script, sizes, dates, attributes.
#include <windows.h>
#include <commctrl.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "framework/FileSystemApi.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

void MakeSparseFile(const std::string& path, uint64_t size) {
  HANDLE file = CreateFileW(FileApiPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD returned = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
}

void SetWriteTime(const std::string& path, int year, int month, int day, int hour, int minute) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(year);
  local.wMonth = static_cast<WORD>(month);
  local.wDay = static_cast<WORD>(day);
  local.wHour = static_cast<WORD>(hour);
  local.wMinute = static_cast<WORD>(minute);
  SYSTEMTIME utc;
  TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
  FILETIME time;
  SystemTimeToFileTime(&utc, &time);
  HANDLE file = CreateFileW(FileApiPath(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

std::string ListingSettings(const std::string& folder, int showHidden) {
  return "[Left]\r\nPath=" + folder + "\r\n[Options]\r\nShowHiddenSystem=" +
         std::to_string(showHidden) + "\r\n";
}

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = data_.Make("listing");
    std::string base = folder_;
    WriteBytes(base + "small.txt", std::string(999, 'a'));
    WriteBytes(base + "README", "no dot");
    WriteBytes(base + "thousand.bin", std::string(1000, 'b'));
    WriteBytes(base + "Ελληνικά.txt", "x");
    WriteBytes(base + "日本語のファイル.doc", "xy");
    WriteBytes(base + "emoji 😀.txt", "xyz");
    WriteBytes(base + "hidden.txt", "h");
    SetFileAttributesW(Widen(base + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteBytes(base + "readonly.txt", "r");
    SetFileAttributesW(Widen(base + "readonly.txt").c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    CreateDirectoryW(Widen(base + "Sub folder").c_str(), nullptr);
    MakeSparseFile(base + "five-gib.img", 5ull << 30);
    MakeSparseFile(base + "max32.img", 0xFFFFFFFFull);
    SetWriteTime(base + "small.txt", 2004, 3, 3, 14, 5);
  }

  TempFolder data_;
  std::string folder_;
};

TEST_F(ListingTest, RowsShowNamesSizesDatesAndAttributes) {
  RunningWindow run(ListingSettings(folder_, 0).c_str());
  std::vector<std::string> names = run.RowTexts(IDC_LEFT_LIST, 0);
  std::vector<std::string> sizes = run.RowTexts(IDC_LEFT_LIST, 1);
  std::vector<std::string> dates = run.RowTexts(IDC_LEFT_LIST, 2);
  std::vector<std::string> attributes = run.RowTexts(IDC_LEFT_LIST, 3);
  ASSERT_GE(names.size(), 3u);
  // Parent first, then folders, then files by name.
  EXPECT_EQ(names[0], "..    ");
  EXPECT_EQ(sizes[0], "<DIR>");
  EXPECT_EQ(dates[0], "");
  EXPECT_EQ(names[1], "Sub folder");
  EXPECT_EQ(sizes[1], "<DIR>");
  EXPECT_EQ(IndexOf(names, "hidden.txt"), -1);

  struct Expected {
    const char* name;
    const char* size;
  } const files[] = {
      {"small.txt", "999"},
      {"thousand.bin", "1 000"},
      {"Ελληνικά.txt", "1"},
      {"日本語のファイル.doc", "2"},
      {"emoji 😀.txt", "3"},
      {"five-gib.img", "5 368 709 120"},
      {"max32.img", "4 294 967 295"},
  };
  for (const Expected& file : files) {
    int row = IndexOf(names, file.name);
    ASSERT_GE(row, 0) << file.name;
    EXPECT_EQ(sizes[row], file.size) << file.name;
  }
  EXPECT_EQ(dates[IndexOf(names, "small.txt")], "03.03.04 14:05");
  EXPECT_EQ(attributes[IndexOf(names, "readonly.txt")], "ra--");
  // Files sort by name after the folders.
  EXPECT_LT(IndexOf(names, "emoji 😀.txt"), IndexOf(names, "five-gib.img"));
  EXPECT_LT(IndexOf(names, "five-gib.img"), IndexOf(names, "small.txt"));
  EXPECT_LT(IndexOf(names, "thousand.bin"), IndexOf(names, "Ελληνικά.txt"));
}

TEST_F(ListingTest, HiddenEntriesAppearDimmedWhenAsked) {
  RunningWindow run(ListingSettings(folder_, 1).c_str());
  std::vector<std::string> names = run.RowTexts(IDC_LEFT_LIST, 0);
  int row = IndexOf(names, "hidden.txt");
  ASSERT_GE(row, 0);
  ListView list(run.Item(IDC_LEFT_LIST));
  EXPECT_EQ(list.ItemState(row, LVIS_CUT), static_cast<UINT>(LVIS_CUT));
  EXPECT_EQ(list.ItemState(IndexOf(names, "small.txt"), LVIS_CUT), 0u);
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 3)[row], "-ah-");
}

TEST_F(ListingTest, MissingFolderShowsNoRowsAndKeepsItsPath) {
  std::string missing = folder_ + "gone\\";
  RunningWindow run(ListingSettings(missing, 0).c_str());
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ItemCount(), 0);
  EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Path(), missing);
  EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Status(), ListStatus::kNotFound);
  // The panel says why it is empty.
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(),
            missing + "*.*" + EnglishTexts().Text(text::kListingMissing));
}

// A folder that cannot be read shows the way up and says why it shows no more.
TEST_F(ListingTest, AnUnreadableFolderSaysSo) {
  FailListingsForTests(Widen(folder_), kRefuseListing);
  struct Restore {
    ~Restore() { FailListingsForTests(L"", -1); }
  } restore;
  RunningWindow run(ListingSettings(folder_, 0).c_str());
  EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Status(), ListStatus::kUnreadable);
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0), std::vector<std::string>{"..    "});
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(),
            folder_ + "*.*" + EnglishTexts().Text(text::kListingUnreadable));
}

// A folder slow to read (a drive that answers late) does not hold the window
// up: the panel shows it as being read, with no rows, and the rows come in
// when it is read, the cursor where the command put it. A listing overtaken
// by another is dropped when read. The end's message may be lost: the
// panel looks for the end itself as well.
TEST_F(ListingTest, AFolderSlowToReadComesInLaterWhileTheWindowGoesOn) {
  WriteBytes(folder_ + "Sub folder\\inside.txt", "i");
  const std::string other = data_.Make("other");
  WriteBytes(other + "there.txt", "t");
  RunningWindow run(ListingSettings(folder_ + "Sub folder\\", 0).c_str());
  PanelPair& panels = run.Window().Panels();
  FilePanel& panel = panels.Panel(Side::kLeft);
  ASSERT_FALSE(panel.Reading());
  FilePanel::SetListingWait(std::chrono::milliseconds(20));
  struct Restore {
    RunningWindow& run;
    ~Restore() {
      FailListingsForTests(L"", -1);
      run.Window().UiTasks().RefuseForTests(false);
      FilePanel::SetListingWait(std::chrono::seconds(60));
    }
  } restore{run};
  // Until the panel has its rows and no more than `helpers` helper jobs
  // (the trees' lookups) are running.
  auto waitUntilRead = [&](size_t helpers) {
    for (int i = 0; i < 1000 && (panel.Reading() || run.Window().Jobs().Running(JobKind::kHelper).size() > helpers);
         ++i) {
      Pump();
      Sleep(5);
    }
    return !panel.Reading();
  };
  const size_t helpers = run.Window().Jobs().Running(JobKind::kHelper).size();
  const std::string upper = folder_ + "*.*";

  for (bool lost : {false, true}) {
    SCOPED_TRACE(lost ? "the end's message lost" : "the end's message arrives");
    run.Window().UiTasks().RefuseForTests(lost);
    // Up into a folder held unread: the command returns, the panel says
    // it is being read and shows nothing of the folder before.
    FailListingsForTests(Widen(folder_), kHoldListing);
    panels.OpenItem(panel, true);
    EXPECT_TRUE(panel.Reading());
    EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ItemCount(), 0);
    EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(),
              upper + EnglishTexts().Text(text::kListingReading));
    // Read: the rows come in, the cursor on the folder just left.
    FailListingsForTests(L"", -1);
    ASSERT_TRUE(waitUntilRead(helpers));
    EXPECT_GE(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "thousand.bin"), 0);
    EXPECT_EQ(FocusedName(run.Item(IDC_LEFT_LIST)), "Sub folder");
    EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(), upper);
    EXPECT_EQ(panel.Status(), ListStatus::kOk);
    // Back into the folder below.
    panels.OpenItem(panel, false);
    ASSERT_EQ(run.RowTexts(IDC_LEFT_LIST, 0), (std::vector<std::string>{"..    ", "inside.txt"}));
  }
  run.Window().UiTasks().RefuseForTests(false);

  // Overtaken: while the folder above is held, the panel goes elsewhere; the
  // listing read later is dropped.
  FailListingsForTests(Widen(folder_), kHoldListing);
  panels.OpenItem(panel, true);
  ASSERT_TRUE(panel.Reading());
  panels.GoToFolder(other, false);
  EXPECT_FALSE(panel.Reading());
  EXPECT_EQ(run.Window().Jobs().Running(JobKind::kHelper).size(), helpers + 1);  // still held
  FailListingsForTests(L"", -1);
  EXPECT_TRUE(waitUntilRead(helpers));
  EXPECT_EQ(run.Window().Jobs().Running(JobKind::kHelper).size(), helpers);
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0), (std::vector<std::string>{"..    ", "there.txt"}));
  EXPECT_EQ(panel.Path(), other);
}

TEST_F(ListingTest, RefreshKeepsTheCursorOnTheNameOrFallsBack) {
  RunningWindow run(ListingSettings(folder_, 0).c_str());
  FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
  DeleteFileW(Widen(folder_ + "thousand.bin").c_str());
  panel.RefreshPanel(false, run.Handle(), "thousand.bin", "small.txt");
  ListView list(run.Item(IDC_LEFT_LIST));
  int focused = list.NextItem(-1, LVNI_FOCUSED);
  ASSERT_GE(focused, 0);
  EXPECT_EQ(list.ItemText(focused, 0), "small.txt");
  EXPECT_EQ(list.NextItem(focused, LVNI_SELECTED), -1);
  // No fallback: the last row.
  panel.RefreshPanel(false, run.Handle(), "no such name", "");
  EXPECT_EQ(list.NextItem(-1, LVNI_FOCUSED), list.ItemCount() - 1);
  // Letter case does not matter.
  panel.RefreshPanel(false, run.Handle(), "SMALL.TXT", "");
  EXPECT_EQ(list.ItemText(list.NextItem(-1, LVNI_FOCUSED), 0), "small.txt");
}

TEST_F(ListingTest, ColumnClickSortsAndReverses) {
  RunningWindow run(ListingSettings(folder_, 0).c_str());
  HWND list = run.Item(IDC_LEFT_LIST);
  NMLISTVIEW click{};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = IDC_LEFT_LIST;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = 1;
  SendMessageW(run.Handle(), WM_NOTIFY, IDC_LEFT_LIST, reinterpret_cast<LPARAM>(&click));
  std::vector<std::string> names = run.RowTexts(IDC_LEFT_LIST, 0);
  EXPECT_EQ(names[0], "..    ");
  EXPECT_EQ(names.back(), "five-gib.img");
  SendMessageW(run.Handle(), WM_NOTIFY, IDC_LEFT_LIST, reinterpret_cast<LPARAM>(&click));
  names = run.RowTexts(IDC_LEFT_LIST, 0);
  EXPECT_EQ(names[0], "..    ");
  EXPECT_EQ(names[1], "Sub folder");
  EXPECT_EQ(names[2], "five-gib.img");
  EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Sort().order, 1);
  HDITEMW item{};
  item.mask = HDI_FORMAT | HDI_IMAGE;
  SendMessageW(ListView(list).Header(), HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_TRUE(item.fmt & HDF_IMAGE);
  EXPECT_EQ(item.iImage, 1);

  // Marks and the cursor stay on their entries when the rows move: a command
  // after a sort acts on what was marked, not on what now stands there.
  FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
  panel.ClearSelection();
  panel.SetSelected({"small.txt", "README"}, true);
  const int readme = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "README");
  ListView(list).SetItemState(readme, LVIS_FOCUSED, LVIS_FOCUSED);
  click.iSubItem = 0;
  SendMessageW(run.Handle(), WM_NOTIFY, IDC_LEFT_LIST, reinterpret_cast<LPARAM>(&click));
  ASSERT_NE(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "README"), readme);
  std::vector<std::string> marked = SelectedNames(list);
  std::sort(marked.begin(), marked.end());
  EXPECT_EQ(marked, (std::vector<std::string>{"README", "small.txt"}));
  EXPECT_EQ(FocusedName(list), "README");
  std::vector<std::string> acted = panel.CurrentSelection().Names();
  std::sort(acted.begin(), acted.end());
  EXPECT_EQ(acted, marked);
}

// Without widths in the file the Size and Date columns hold their widest
// values (a 10-digit size with its groups, a date); a stored width wins.
TEST_F(ListingTest, ColumnsFitTheirWidestValuesUnlessStored) {
  const auto stringWidth = [](HWND list, const std::string& text) {
    return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(Widen(text).c_str())));
  };
  {
    RunningWindow run(ListingSettings(folder_, 0).c_str());
    HWND list = run.Item(IDC_LEFT_LIST);
    EXPECT_GE(ListView(list).ColumnWidth(1), stringWidth(list, "5 368 709 120") + 12);
    EXPECT_GE(ListView(list).ColumnWidth(2), stringWidth(list, "03.03.04 14:05") + 12);
    // The sizes shown are not cut: the widest row's text fits.
    const std::vector<std::string> sizes = run.RowTexts(IDC_LEFT_LIST, 1);
    for (const std::string& size : sizes) EXPECT_LT(stringWidth(list, size), ListView(list).ColumnWidth(1)) << size;
  }
  const std::string stored = "[Left]\r\nPath=" + folder_ + "\r\nTabSize=61\r\nTabDate=97\r\n";
  RunningWindow run(stored.c_str());
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ColumnWidth(1), 61);
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ColumnWidth(2), 97);
}

bool HasArrow(HWND list, int column) {
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  SendMessageW(ListView(list).Header(), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
  return (item.fmt & HDF_IMAGE) != 0;
}

TEST_F(ListingTest, ExtensionAndListingOrderShowNoArrow) {
  RunningWindow run(ListingSettings(folder_, 0).c_str());
  HWND list = run.Item(IDC_LEFT_LIST);
  EXPECT_TRUE(HasArrow(list, 0));
  SendMessageW(run.Handle(), WM_COMMAND, ID_KEY_SORT_EXTENSION, 0);
  for (int column = 0; column < 4; ++column) EXPECT_FALSE(HasArrow(list, column)) << column;
  std::vector<std::string> names = run.RowTexts(IDC_LEFT_LIST, 0);
  // After the parent and the folder: the name without a dot, then by extension.
  EXPECT_EQ(names[2], "README");
  EXPECT_LT(IndexOf(names, "thousand.bin"), IndexOf(names, "日本語のファイル.doc"));
  EXPECT_LT(IndexOf(names, "日本語のファイル.doc"), IndexOf(names, "five-gib.img"));
  SendMessageW(run.Handle(), WM_COMMAND, ID_KEY_SORT_LISTING, 0);
  for (int column = 0; column < 4; ++column) EXPECT_FALSE(HasArrow(list, column)) << column;
  SendMessageW(run.Handle(), WM_COMMAND, ID_KEY_SORT_SIZE, 0);
  EXPECT_TRUE(HasArrow(list, 1));
  EXPECT_FALSE(HasArrow(list, 0));
}

}  // namespace
}  // namespace px::test
