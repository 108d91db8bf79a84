// The new folder, attributes and drive properties commands on the real window
// and their dialogs, driven by control id.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/fileops/DriveFigures.h"
#include "core/language/LanguageTable.h"
#include "fileops/DriveInfoDialog.h"
#include "framework/Controls.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;

uint32_t AttributesAt(const std::string& path) {
  return GetFileAttributesW(FileApiPath(path).c_str());
}

// Whether folder holds an entry of exactly this name (a device name such as
// CON answers a lookup by path, never a search).
bool Listed(const std::string& folder, const std::string& name) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(FileApiPath(folder + "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    found = found || _wcsicmp(data.cFileName, Widen(name).c_str()) == 0;
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return found;
}

std::vector<std::string> SelectedNames(HWND list) {
  std::vector<std::string> names;
  ListView view(list);
  for (int row = view.NextItem(-1, LVNI_SELECTED); row >= 0; row = view.NextItem(row, LVNI_SELECTED))
    names.push_back(view.ItemText(row, 0));
  return names;
}

std::string FocusedName(HWND list) {
  int row = ListView(list).NextItem(-1, LVNI_FOCUSED);
  return row < 0 ? std::string() : ListView(list).ItemText(row, 0);
}

// ---------------------------------------------------------------------------
// Drive properties

class DriveInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                             640, 420, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    if (owner_ != nullptr) DestroyWindow(owner_);
    Pump();
  }

  static std::string Text(const DriveInfoDialog& dialog, int id) {
    return px::Window(dialog.Item(id)).Text();
  }

  const LanguageTable& texts_ = EnglishTexts();
  HWND owner_ = nullptr;
};

bool QuerySpace(const wchar_t* root, DriveSpace& space) {
  ULARGE_INTEGER freeToCaller{}, total{};
  if (!GetDiskFreeSpaceExW(root, &freeToCaller, &total, nullptr)) return false;
  space = {freeToCaller.QuadPart, total.QuadPart};
  return true;
}

TEST_F(DriveInfoTest, LinesShowWhatTheDriveReports) {
  // Other programs write to the drive too: take a reading that the free-space
  // query gives alike before and after the dialog read it.
  for (int attempt = 0; attempt < 5; ++attempt) {
    DriveSpace before, after;
    ASSERT_TRUE(QuerySpace(L"C:\\", before));
    DriveInfoDialog dialog(texts_, "C:\\");
    ASSERT_TRUE(dialog.Create(owner_));
    ASSERT_TRUE(QuerySpace(L"C:\\", after));
    if (before.freeBytes != after.freeBytes && attempt < 4) continue;

    const uint64_t used = before.totalBytes - before.freeBytes;
    EXPECT_EQ(Text(dialog, IDC_DRIVE_USED), ByteCountText(used));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_FREE), ByteCountText(before.freeBytes));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_TOTAL), ByteCountText(before.totalBytes));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_USED_GB), GigabyteText(used));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_FREE_GB), GigabyteText(before.freeBytes));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_TOTAL_GB), GigabyteText(before.totalBytes));
    const int share = UsedShareHundredths(before);
    EXPECT_EQ(Text(dialog, IDC_DRIVE_SHARE), texts_.Text(text::kDriveInfoShare) + ShareText(share));
    HWND bar = dialog.Item(IDC_DRIVE_BAR);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), share);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), kShareBarRange);

    wchar_t label[MAX_PATH + 1] = {}, fileSystem[MAX_PATH + 1] = {};
    ASSERT_TRUE(GetVolumeInformationW(L"C:\\", label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                      fileSystem, MAX_PATH + 1));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_LABEL), Narrow(label));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_FILE_SYSTEM), Narrow(fileSystem));
    EXPECT_EQ(px::Window(dialog.Handle()).Text(), texts_.Text(text::kDriveInfoCaption) + " (C:)");
    EXPECT_EQ(Text(dialog, IDC_DRIVE_USED_TITLE), texts_.Text(text::kDriveInfoUsed));
    EXPECT_EQ(Text(dialog, IDOK), texts_.Text(text::kDriveInfoOk));
    // A fixed disk has a picture.
    EXPECT_NE(SendMessageW(dialog.Item(IDC_DRIVE_ICON), STM_GETICON, 0, 0), 0);
    break;
  }
}

TEST_F(DriveInfoTest, ADriveThatDoesNotAnswerLeavesEveryLineEmpty) {
  DWORD drives = GetLogicalDrives();
  char letter = 0;
  for (char c = 'Q'; c <= 'Y' && letter == 0; ++c)
    if (!(drives & (1u << (c - 'A')))) letter = c;
  ASSERT_NE(letter, 0);
  const std::string root = std::string(1, letter) + ":\\";
  DriveInfoDialog dialog(texts_, root);
  ASSERT_TRUE(dialog.Create(owner_));
  for (int id : {IDC_DRIVE_LABEL, IDC_DRIVE_FILE_SYSTEM, IDC_DRIVE_USED, IDC_DRIVE_FREE,
                 IDC_DRIVE_TOTAL, IDC_DRIVE_USED_GB, IDC_DRIVE_FREE_GB, IDC_DRIVE_TOTAL_GB,
                 IDC_DRIVE_SHARE})
    EXPECT_EQ(Text(dialog, id), "") << id;
  EXPECT_EQ(SendMessageW(dialog.Item(IDC_DRIVE_BAR), PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessageW(dialog.Item(IDC_DRIVE_ICON), STM_GETICON, 0, 0), 0);
  EXPECT_EQ(px::Window(dialog.Handle()).Text(),
            texts_.Text(text::kDriveInfoCaption) + " (" + root.substr(0, 2) + ")");
}

TEST_F(DriveInfoTest, TheCommandOpensTheActivePanelsDrive) {
  TempFolder data;
  RunningWindow run(PanelSettings(data.Path(), "C:\\").c_str());
  DialogResponder responder(IDOK);
  ASSERT_TRUE(run.Window().ExecuteCommand(ID_MENU_DRIVE_PROPERTIES));
  EXPECT_TRUE(responder.Answered());
}

}  // namespace
}  // namespace px::test
