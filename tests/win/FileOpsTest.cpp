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

// ---------------------------------------------------------------------------
// New folder

class MakeDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    data_.Make("Alpha");
    data_.Write("taken.txt", "t");
    data_.Write("zeta.txt", "z");
    settings_ = PanelSettings(root_, root_);
  }

  // F7 with name typed and OK, then OK on a message box when one is expected.
  static DialogResponder MakeAnswers(const std::string& name, bool refused) {
    std::vector<Answer> answers{Answer(IDOK, IDC_NEW_FOLDER_EDIT, name)};
    if (refused) answers.emplace_back(IDOK);
    return DialogResponder(answers);
  }

  TempFolder data_;
  std::string root_;
  std::string settings_;
};

TEST_F(MakeDirectoryTest, TheNewFolderGetsTheCursorAndBothPanelsShowIt) {
  RunningWindow run(settings_.c_str());
  HWND left = run.Item(IDC_LEFT_LIST);
  SetFocus(left);
  Pump(&run.Window());
  {
    DialogResponder responder({Answer(IDOK, IDC_NEW_FOLDER_EDIT, "Fresh")});
    ASSERT_TRUE(run.Window().ExecuteCommand(ID_KEY_MAKE_DIRECTORY));
    EXPECT_TRUE(responder.Answered());
  }
  EXPECT_EQ(AttributesAt(root_ + "Fresh") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(FocusedName(left), "Fresh");
  EXPECT_EQ(SelectedNames(left), std::vector<std::string>{"Fresh"});
  EXPECT_GE(IndexOf(run.RowTexts(IDC_RIGHT_LIST, 0), "Fresh"), 0);
  EXPECT_EQ(GetFocus(), left);

  // A name below an existing folder creates it there; no row of this panel is it.
  {
    DialogResponder responder({Answer(IDOK, IDC_NEW_FOLDER_EDIT, "Alpha\\Inner")});
    ASSERT_TRUE(run.Window().ExecuteCommand(IDC_MAKE_DIRECTORY));
    EXPECT_TRUE(responder.Answered());
  }
  EXPECT_EQ(AttributesAt(root_ + "Alpha\\Inner") & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(SelectedNames(left).empty());
}

TEST_F(MakeDirectoryTest, NamesThatCannotBeCreatedAsTypedAreRefused) {
  RunningWindow run(settings_.c_str());
  const std::string refusal = EnglishTexts().Text(text::kFolderNotCreated);
  const struct {
    const char* name;
    const char* left;  // what must not exist afterwards (or stay a file)
  } cases[] = {
      {"new.", "new"},
      {"CON", "CON"},
      {"taken.txt", nullptr},
      {"Alpha", nullptr},
      {"", nullptr},
      {"missing\\deeper", "missing"},
  };
  for (const auto& c : cases) {
    int rows = ListView(run.Item(IDC_LEFT_LIST)).ItemCount();
    DialogResponder responder = MakeAnswers(c.name, true);
    ASSERT_TRUE(run.Window().ExecuteCommand(ID_MENU_MAKE_DIRECTORY));
    EXPECT_TRUE(responder.Answered()) << c.name;
    EXPECT_EQ(responder.SeenText(), refusal) << c.name;
    EXPECT_EQ(responder.SeenCaption(), "Pannex");
    if (c.left) {
      EXPECT_FALSE(Listed(root_, c.left)) << c.name;
    }
    EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ItemCount(), rows) << c.name;
  }
  EXPECT_EQ(AttributesAt(root_ + "taken.txt") & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(MakeDirectoryTest, CancelCreatesNothing) {
  RunningWindow run(settings_.c_str());
  int rows = ListView(run.Item(IDC_LEFT_LIST)).ItemCount();
  DialogResponder responder({Answer(IDCANCEL, IDC_NEW_FOLDER_EDIT, "Unwanted")});
  ASSERT_TRUE(run.Window().ExecuteCommand(ID_TOOL_MAKE_DIRECTORY));
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(AttributesAt(root_ + "Unwanted"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ItemCount(), rows);
}

TEST_F(MakeDirectoryTest, InTheReportViewAThirdOfAPageBelowTheNewFolderIsShown) {
  for (int i = 0; i < 120; ++i) data_.Write("file" + std::to_string(1000 + i) + ".txt", "x");
  RunningWindow run(settings_.c_str());
  HWND left = run.Item(IDC_LEFT_LIST);
  ListView list(left);
  // Scrolled to the end first, so the new folder near the top has to come into view.
  list.EnsureVisible(list.ItemCount() - 1);
  {
    DialogResponder responder({Answer(IDOK, IDC_NEW_FOLDER_EDIT, "Beta")});
    ASSERT_TRUE(run.Window().ExecuteCommand(ID_KEY_MAKE_DIRECTORY));
  }
  int row = list.NextItem(-1, LVNI_FOCUSED);
  ASSERT_GE(row, 0);
  EXPECT_EQ(list.ItemText(row, 0), "Beta");
  int perPage = list.CountPerPage();
  ASSERT_GT(perPage, 3);
  int top = list.TopIndex();
  EXPECT_LE(top, row);
  EXPECT_GE(top + perPage - 1, row + perPage / 3);
}

}  // namespace
}  // namespace px::test
