// The new folder, attributes and drive properties commands on the real window
// and their dialogs, driven by control id.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/fileops/DriveFigures.h"
#include "core/fileops/AttributeEdit.h"
#include "core/language/LanguageTable.h"
#include "core/language/TextFormat.h"
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

// ---------------------------------------------------------------------------
// Drive properties

class DriveInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = MakeOwnerWindow(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override { CloseOwnerWindow(owner_); }

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

// The number of a byte line such as "1 234 bytes"; UINT64_MAX for anything else.
uint64_t BytesOfLine(const std::string& line) {
  const std::string unit = " bytes";
  if (line.size() <= unit.size() || line.compare(line.size() - unit.size(), unit.size(), unit) != 0)
    return UINT64_MAX;
  uint64_t value = 0;
  for (char c : line.substr(0, line.size() - unit.size())) {
    if (c == ' ') continue;
    if (c < '0' || c > '9') return UINT64_MAX;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

TEST_F(DriveInfoTest, LinesShowWhatTheDriveReports) {
  DriveSpace before, after;
  ASSERT_TRUE(QuerySpace(L"C:\\", before));
  DriveInfoDialog dialog(texts_, "C:\\");
  ASSERT_TRUE(dialog.Create(owner_));
  ASSERT_TRUE(QuerySpace(L"C:\\", after));

  // Other programs write to the drive meanwhile: the free bytes the dialog
  // read lie between the two readings, and every other line follows from them.
  const uint64_t total = BytesOfLine(Text(dialog, IDC_DRIVE_TOTAL));
  const uint64_t free = BytesOfLine(Text(dialog, IDC_DRIVE_FREE));
  const uint64_t used = BytesOfLine(Text(dialog, IDC_DRIVE_USED));
  EXPECT_EQ(total, before.totalBytes);
  EXPECT_GE(free, std::min(before.freeBytes, after.freeBytes));
  EXPECT_LE(free, std::max(before.freeBytes, after.freeBytes));
  EXPECT_EQ(used, total - free);
  EXPECT_EQ(Text(dialog, IDC_DRIVE_TOTAL), ByteCountText(total));
  EXPECT_EQ(Text(dialog, IDC_DRIVE_USED_GB), GigabyteText(used));
  EXPECT_EQ(Text(dialog, IDC_DRIVE_FREE_GB), GigabyteText(free));
  EXPECT_EQ(Text(dialog, IDC_DRIVE_TOTAL_GB), GigabyteText(total));
  const int share = UsedShareHundredths({free, total});
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

// ---------------------------------------------------------------------------
// Attributes and times

// Runs its steps, in turn, on the dialogs and message boxes that appear: each
// step waits for a dialog holding its marker control (checked from a timer,
// so it also works inside a modal loop). A step may close its dialog or leave
// it open for the next step.
class DialogScript {
 public:
  struct Step {
    int marker;
    std::function<void(HWND)> act;
  };
  explicit DialogScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &DialogScript::OnTimer);
  }
  ~DialogScript() {
    KillTimer(nullptr, timer_);
    active_ = nullptr;
  }
  bool Done() const { return next_ >= steps_.size(); }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    DialogScript* self = active_;
    if (self == nullptr || self->Done() || self->busy_) return;
    HWND found = FindShownDialog(nullptr, self->steps_[self->next_].marker);
    if (found == nullptr) return;
    self->busy_ = true;
    self->steps_[self->next_++].act(found);
    self->busy_ = false;
  }

  static DialogScript* active_;
  UINT_PTR timer_ = 0;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool busy_ = false;
};

DialogScript* DialogScript::active_ = nullptr;

constexpr int kMessageText = 0xFFFF;  // the static of a message box

void Click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

LRESULT CheckOf(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0); }

void SetField(HWND dialog, int id, const std::string& text) {
  px::Window(GetDlgItem(dialog, id)).SetText(text);
}

std::string FieldText(HWND dialog, int id) { return px::Window(GetDlgItem(dialog, id)).Text(); }

CivilTime FromSystem(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// Times as the local calendar shows them, converted by the rules of their date.
CivilTime LocalWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &data);
  SYSTEMTIME utc{}, local{};
  FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  return FromSystem(local);
}

bool SetLocalWriteTime(const std::string& path, const CivilTime& time) {
  SYSTEMTIME local{static_cast<WORD>(time.year), static_cast<WORD>(time.month), 0,
                   static_cast<WORD>(time.day), static_cast<WORD>(time.hour),
                   static_cast<WORD>(time.minute), static_cast<WORD>(time.second), 0};
  SYSTEMTIME utc{};
  FILETIME file{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &file))
    return false;
  HANDLE handle = CreateFileW(FileApiPath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bool done = SetFileTime(handle, nullptr, nullptr, &file) != FALSE;
  CloseHandle(handle);
  return done;
}

std::string Describe(const CivilTime& t) {
  char text[40];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
           t.minute, t.second);
  return text;
}

// A folder link made by the system's own ln (Wine runs it), relative to folder.
bool MakeFolderLink(const std::string& folder, const std::string& target, const std::string& link) {
  std::wstring command = Widen("ln -s " + target + " " + link);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      Widen(folder).c_str(), &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 50 && AttributesAt(folder + link) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
  return AttributesAt(folder + link) != INVALID_FILE_ATTRIBUTES;
}

class AttributesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    settings_ = PanelSettings(root_, root_);
  }

  std::string File(const std::string& name, const CivilTime& time, uint32_t attributes = 0) {
    std::string path = data_.Write(name, name);
    EXPECT_TRUE(SetLocalWriteTime(path, time)) << name;
    if (attributes != 0) {
      EXPECT_TRUE(SetFileAttributesW(FileApiPath(path).c_str(), attributes));
    }
    return path;
  }

  // Selects exactly these rows of the left list and makes it the active one.
  static void Select(RunningWindow& run, const std::vector<std::string>& names) {
    HWND list = run.Item(IDC_LEFT_LIST);
    SetFocus(list);
    Pump(&run.Window());
    run.Window().Panels().Panel(Side::kLeft).ClearSelection();
    std::vector<std::string> rows = run.RowTexts(IDC_LEFT_LIST, 0);
    for (const std::string& name : names) {
      int row = IndexOf(rows, name);
      ASSERT_GE(row, 0) << name;
      ListView(list).SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
  }

  // Runs the attributes command with these steps answering its dialogs.
  static void RunCommand(RunningWindow& run, std::vector<DialogScript::Step> steps) {
    DialogScript script(std::move(steps));
    ASSERT_TRUE(run.Window().ExecuteCommand(ID_MENU_ATTRIBUTES));
    Pump(&run.Window());
    EXPECT_TRUE(script.Done());
  }

  TempFolder data_;
  std::string root_;
  std::string settings_;
};

const CivilTime kSpring{2001, 3, 4, 5, 6, 7};
const CivilTime kAutumn{2010, 11, 12, 13, 14, 15};

TEST_F(AttributesTest, AMixedBoxLeftUndecidedKeepsEachFilesOwnBit) {
  const std::string a = File("a.txt", kSpring, FILE_ATTRIBUTE_READONLY);
  const std::string b = File("b.txt", kSpring, FILE_ATTRIBUTE_ARCHIVE);
  // A bit the dialog does not show, when the file system keeps it.
  const bool keepsIndexBit =
      SetFileAttributesW(FileApiPath(b).c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED) &&
      (AttributesAt(b) & FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  RunningWindow run(settings_.c_str());
  Select(run, {"a.txt", "b.txt"});
  LRESULT readOnly = -1;
  LONG_PTR readOnlyStyle = 0;
  bool recursiveEnabled = true;
  std::string day = "?";
  RunCommand(run, {{IDC_ATTR_RECURSIVE, [&](HWND dialog) {
                      readOnly = CheckOf(dialog, IDC_ATTR_READ_ONLY);
                      readOnlyStyle = GetWindowLongPtrW(GetDlgItem(dialog, IDC_ATTR_READ_ONLY), GWL_STYLE);
                      recursiveEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_ATTR_RECURSIVE));
                      day = FieldText(dialog, IDC_ATTR_DAY);
                      SendMessageW(GetDlgItem(dialog, IDC_ATTR_HIDDEN), BM_SETCHECK, BST_CHECKED, 0);
                      Click(dialog, IDOK);
                    }}});
  EXPECT_EQ(readOnly, BST_INDETERMINATE);
  EXPECT_EQ(readOnlyStyle & BS_TYPEMASK, BS_AUTO3STATE);
  EXPECT_FALSE(recursiveEnabled);  // files only
  EXPECT_EQ(day, "");              // several entries: no time shown
  EXPECT_EQ(AttributesAt(a) & 0x7u, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(AttributesAt(b) & 0x7u, FILE_ATTRIBUTE_HIDDEN);
  if (keepsIndexBit) {
    EXPECT_NE(AttributesAt(b) & FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, 0u);
  }
  EXPECT_EQ(Describe(LocalWriteTime(a)), Describe(kSpring));
}

TEST_F(AttributesTest, OnlyTheYearFilledChangesOnlyTheYearOfEachFile) {
  const std::string a = File("a.txt", kSpring);
  const std::string b = File("b.txt", kAutumn);
  const std::string folder = data_.Make("Folder");
  ASSERT_TRUE(SetLocalWriteTime(folder, kAutumn));
  RunningWindow run(settings_.c_str());
  Select(run, {"Folder", "a.txt", "b.txt"});
  RunCommand(run, {{IDC_ATTR_RECURSIVE, [&](HWND dialog) {
                      SetField(dialog, IDC_ATTR_YEAR, "2020");
                      Click(dialog, IDOK);
                    }}});
  CivilTime springIn2020 = kSpring, autumnIn2020 = kAutumn;
  springIn2020.year = autumnIn2020.year = 2020;
  EXPECT_EQ(Describe(LocalWriteTime(a)), Describe(springIn2020));
  EXPECT_EQ(Describe(LocalWriteTime(b)), Describe(autumnIn2020));
  // A selected folder's own time changes too, the recursive box being clear.
  EXPECT_EQ(Describe(LocalWriteTime(folder)), Describe(autumnIn2020));
  EXPECT_TRUE(SelectedNames(run.Item(IDC_LEFT_LIST)).size() <= 1);  // only the cursor row
}

TEST_F(AttributesTest, YearsOutsideTheSettableRangeAreIgnored) {
  const std::string a = File("a.txt", kSpring);
  RunningWindow run(settings_.c_str());
  for (const char* year : {"1969", "2038"}) {
    Select(run, {"a.txt"});
    DateFieldTexts shown;
    RunCommand(run, {{IDC_ATTR_RECURSIVE, [&](HWND dialog) {
                        shown = {FieldText(dialog, IDC_ATTR_DAY), FieldText(dialog, IDC_ATTR_MONTH),
                                 FieldText(dialog, IDC_ATTR_YEAR), FieldText(dialog, IDC_ATTR_HOUR),
                                 FieldText(dialog, IDC_ATTR_MINUTE),
                                 FieldText(dialog, IDC_ATTR_SECOND)};
                        SetField(dialog, IDC_ATTR_YEAR, year);
                        Click(dialog, IDOK);
                      }}});
    EXPECT_EQ(shown, DateFieldTextsOf(kSpring)) << year;
    EXPECT_EQ(Describe(LocalWriteTime(a)), Describe(kSpring)) << year;
  }
}

TEST_F(AttributesTest, ADateThatDoesNotExistKeepsTheDialogOpenOnTheBadField) {
  const std::string a = File("a.txt", kSpring);
  RunningWindow run(settings_.c_str());
  Select(run, {"a.txt"});
  HWND focused = nullptr, day = nullptr;
  RunCommand(run, {{IDC_ATTR_RECURSIVE,
                    [&](HWND dialog) {
                      SetField(dialog, IDC_ATTR_DAY, "31");
                      SetField(dialog, IDC_ATTR_MONTH, "04");
                      Click(dialog, IDOK);
                    }},
                   {IDC_ATTR_RECURSIVE, [&](HWND dialog) {
                      focused = GetFocus();
                      day = GetDlgItem(dialog, IDC_ATTR_DAY);
                      Click(dialog, IDCANCEL);
                    }}});
  EXPECT_EQ(focused, day);
  EXPECT_EQ(Describe(LocalWriteTime(a)), Describe(kSpring));
}

TEST_F(AttributesTest, TheRecursiveBoxNeedsASelectedFolderAndMakesEveryBoxUndecided) {
  File("a.txt", kSpring, FILE_ATTRIBUTE_READONLY);
  data_.Make("Folder");
  RunningWindow run(settings_.c_str());
  struct Seen {
    bool enabled = false;
    std::vector<LRESULT> checks;
    std::string day = "?";
  };
  auto look = [](HWND dialog, Seen& seen) {
    seen.enabled = IsWindowEnabled(GetDlgItem(dialog, IDC_ATTR_RECURSIVE));
    seen.checks.clear();
    for (int id : {IDC_ATTR_READ_ONLY, IDC_ATTR_ARCHIVE, IDC_ATTR_HIDDEN, IDC_ATTR_SYSTEM})
      seen.checks.push_back(CheckOf(dialog, id));
    seen.day = FieldText(dialog, IDC_ATTR_DAY);
  };
  Seen filesOnly, before, set, cleared;
  Select(run, {"a.txt"});
  RunCommand(run, {{IDC_ATTR_RECURSIVE, [&](HWND dialog) {
                      look(dialog, filesOnly);
                      Click(dialog, IDCANCEL);
                    }}});
  EXPECT_FALSE(filesOnly.enabled);
  EXPECT_EQ(filesOnly.day, DateFieldTextsOf(kSpring)[kFieldDay]);

  Select(run, {"Folder", "a.txt"});
  RunCommand(run, {{IDC_ATTR_RECURSIVE, [&](HWND dialog) {
                      look(dialog, before);
                      SendMessageW(GetDlgItem(dialog, IDC_ATTR_RECURSIVE), BM_CLICK, 0, 0);
                      look(dialog, set);
                      SendMessageW(GetDlgItem(dialog, IDC_ATTR_RECURSIVE), BM_CLICK, 0, 0);
                      look(dialog, cleared);
                      Click(dialog, IDCANCEL);
                    }}});
  EXPECT_TRUE(set.enabled);
  EXPECT_EQ(set.checks, std::vector<LRESULT>(4, BST_INDETERMINATE));
  EXPECT_EQ(set.day, "");
  // Back to what the selection has: read-only on one of two, never hidden.
  EXPECT_EQ(before.checks[0], BST_INDETERMINATE);
  EXPECT_EQ(before.checks[2], BST_UNCHECKED);
  EXPECT_EQ(cleared.checks, before.checks);
  EXPECT_EQ(cleared.day, "");
}

TEST_F(AttributesTest, TheRecursiveChangeReachesFilesOnlyAndNeverFollowsAFolderLink) {
  data_.Make("Folder");
  data_.Make("Folder\\Sub");
  data_.Make("Outside");
  const std::string top = File("Folder\\top.txt", kSpring);
  const std::string deep = File("Folder\\Sub\\deep.txt", kSpring);
  const std::string outside = File("Outside\\outside.txt", kSpring);
  const bool linked = MakeFolderLink(root_ + "Folder\\", "../Outside", "Link") &&
                      (AttributesAt(root_ + "Folder\\Link") & FILE_ATTRIBUTE_REPARSE_POINT);
  RunningWindow run(settings_.c_str());
  Select(run, {"Folder"});
  RunCommand(run, {{IDC_ATTR_RECURSIVE, [&](HWND dialog) {
                      SendMessageW(GetDlgItem(dialog, IDC_ATTR_RECURSIVE), BM_CLICK, 0, 0);
                      SendMessageW(GetDlgItem(dialog, IDC_ATTR_HIDDEN), BM_SETCHECK, BST_CHECKED, 0);
                      SetField(dialog, IDC_ATTR_YEAR, "2021");
                      Click(dialog, IDOK);
                    }}});
  EXPECT_NE(AttributesAt(top) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_NE(AttributesAt(deep) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(LocalWriteTime(deep).year, 2021);
  EXPECT_EQ(AttributesAt(root_ + "Folder") & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(AttributesAt(root_ + "Folder\\Sub") & FILE_ATTRIBUTE_HIDDEN, 0u);
  if (!linked) {
    GTEST_SKIP() << "no folder links on this system";
  }
  EXPECT_EQ(AttributesAt(outside) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Describe(LocalWriteTime(outside)), Describe(kSpring));
}

TEST_F(AttributesTest, AReadOnlyFileGetsItsNewTimeAndStaysReadOnly) {
  const std::string a = File("a.txt", kSpring, FILE_ATTRIBUTE_READONLY);
  RunningWindow run(settings_.c_str());
  Select(run, {"a.txt"});
  RunCommand(run, {{IDC_ATTR_RECURSIVE, [&](HWND dialog) {
                      SetField(dialog, IDC_ATTR_YEAR, "2015");
                      Click(dialog, IDOK);
                    }}});
  CivilTime expected = kSpring;
  expected.year = 2015;
  EXPECT_EQ(Describe(LocalWriteTime(a)), Describe(expected));
  EXPECT_NE(AttributesAt(a) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(AttributesTest, EntriesThatCouldNotBeChangedStaySelectedAndAreCounted) {
  const std::string february = File("a_feb.txt", {2011, 2, 10, 12, 0, 0});
  const std::string march = File("b_mar.txt", {2011, 3, 10, 12, 0, 0});
  File("c_mar.txt", {2011, 3, 11, 12, 0, 0});
  RunningWindow run(settings_.c_str());
  Select(run, {"a_feb.txt", "b_mar.txt", "c_mar.txt"});
  std::string message;
  RunCommand(run, {{IDC_ATTR_RECURSIVE,
                    [&](HWND dialog) {
                      // The 31st: February has none.
                      SetField(dialog, IDC_ATTR_DAY, "31");
                      Click(dialog, IDOK);
                    }},
                   {kMessageText, [&](HWND box) {
                      message = px::Window(GetDlgItem(box, kMessageText)).Text();
                      Click(box, IDOK);
                    }}});
  EXPECT_EQ(message, FormatText(EnglishTexts().Text(text::kAttributesNotChanged), {1}));
  EXPECT_EQ(LocalWriteTime(february).day, 10);
  EXPECT_EQ(LocalWriteTime(march).day, 31);
  // The failed entry, and the cursor's row (the last one selected).
  EXPECT_EQ(SelectedNames(run.Item(IDC_LEFT_LIST)),
            (std::vector<std::string>{"a_feb.txt", "c_mar.txt"}));
}

}  // namespace
}  // namespace px::test
