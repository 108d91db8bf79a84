// The small modal dialogs and the launch-error box, run modally and answered
// by a DialogResponder, with the real English texts.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "core/language/TextFormat.h"
#include "framework/Controls.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "panels/CommandHistoryDialog.h"
#include "panels/FilePanel.h"
#include "panels/FolderHistoryDialog.h"
#include "panels/LaunchErrors.h"
#include "panels/VolumeLabelDialog.h"
#include "panels/Win32DirectorySource.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "panels/MaskSelectDialog.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;


class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(texts_.TextAt(13, 0).empty()) << "English.lng was not loaded";
    owner_ = MakeOwnerWindow(ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override { CloseOwnerWindow(owner_); }

  const LanguageTable& texts_ = EnglishTexts();
  HWND owner_ = nullptr;
};

std::vector<std::string> ListBoxLines(HWND listBox) {
  std::vector<std::string> lines;
  int count = static_cast<int>(SendMessageW(listBox, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int length = static_cast<int>(SendMessageW(listBox, LB_GETTEXTLEN, i, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    lines.push_back(Narrow(text));
  }
  return lines;
}

int WidestInListFont(HWND listBox, const std::vector<std::string>& lines) {
  HDC dc = GetDC(listBox);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(listBox, WM_GETFONT, 0, 0)));
  int widest = 0;
  for (const std::string& line : lines) {
    std::wstring wide = Widen(line);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    widest = std::max(widest, static_cast<int>(size.cx));
  }
  SelectObject(dc, old);
  ReleaseDC(listBox, dc);
  return widest;
}

// Holds Ctrl down in the thread's key state while alive.
class ControlKeyHeld {
 public:
  ControlKeyHeld() {
    GetKeyboardState(saved_);
    BYTE state[256];
    std::copy(std::begin(saved_), std::end(saved_), state);
    state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    SetKeyboardState(state);
  }
  ~ControlKeyHeld() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256] = {};
};

// ---------------------------------------------------------------------------
// Command history

const std::vector<std::string> kCommands = {"notepad first.txt", "cmd /c dir",
                                            "\"C:\\Program Files\\tool.exe\" -x with a much longer "
                                            "tail than the others",
                                            "calc"};

TEST_F(DialogsTest, CommandHistoryListsNewestFirstWithFirstSelectedAndWideEnoughExtent) {
  CommandHistoryDialog dialog(texts_);
  dialog.lines = kCommands;
  ASSERT_TRUE(dialog.Create(owner_));
  HWND list = dialog.Item(IDC_HISTORY_LIST);

  std::vector<std::string> newestFirst(kCommands.rbegin(), kCommands.rend());
  EXPECT_EQ(ListBoxLines(list), newestFirst);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0),
            WidestInListFont(list, kCommands) + 10);
  EXPECT_EQ(Window(dialog.Handle()).Text(), texts_.TextAt(13, 0));
  EXPECT_EQ(Window(dialog.Item(IDOK)).Text(), texts_.TextAt(13, 1));
  EXPECT_EQ(Window(dialog.Item(IDC_HISTORY_COPY)).Text(), texts_.TextAt(13, 2));
  EXPECT_EQ(Window(dialog.Item(IDCANCEL)).Text(), texts_.TextAt(13, 3));
}

TEST_F(DialogsTest, CommandHistoryAnswers) {
  struct Case {
    const char* what;
    int button;
    bool control;
    std::string line;
    CommandHistoryMode mode;
  };
  const Case cases[] = {
      {"OK runs the newest line", IDOK, false, "calc", CommandHistoryMode::kRun},
      {"OK with Ctrl copies it", IDOK, true, "calc", CommandHistoryMode::kCopy},
      {"the copy button copies it", IDC_HISTORY_COPY, false, "calc", CommandHistoryMode::kCopy},
      {"Cancel gives nothing", IDCANCEL, false, "", CommandHistoryMode::kRun},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CommandHistoryDialog dialog(texts_);
    dialog.lines = kCommands;
    DialogResponder responder(c.button);
    std::unique_ptr<ControlKeyHeld> control;
    if (c.control) control = std::make_unique<ControlKeyHeld>();
    dialog.DoModal(owner_);
    control.reset();
    EXPECT_TRUE(responder.Answered());
    EXPECT_EQ(dialog.line, c.line);
    EXPECT_EQ(dialog.mode, c.mode);
  }
}

TEST_F(DialogsTest, CommandHistoryDoubleClickRunsTheLineClickedAndNoSelectionGivesNothing) {
  {
    CommandHistoryDialog dialog(texts_);
    dialog.lines = kCommands;
    ASSERT_TRUE(dialog.Create(owner_));
    HWND list = dialog.Item(IDC_HISTORY_LIST);
    SendMessageW(list, LB_SETCURSEL, 3, 0);  // the oldest line
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_HISTORY_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(dialog.line, "notepad first.txt");
    EXPECT_EQ(dialog.mode, CommandHistoryMode::kRun);
  }
  {
    CommandHistoryDialog dialog(texts_);
    DialogResponder responder(IDOK);
    EXPECT_EQ(dialog.DoModal(owner_), IDOK);
    EXPECT_EQ(dialog.line, "");
  }
}

// ---------------------------------------------------------------------------
// Folder history

const std::vector<std::string> kFolders = {"C:\\", "C:\\Ärger\\", "C:\\Data\\Work\\",
                                           "D:\\Music\\"};

TEST_F(DialogsTest, FolderHistoryListsNewestFirstAndPreselectsTheCurrentFolderIgnoringCase) {
  FolderHistoryDialog dialog(texts_);
  dialog.entries = kFolders;
  dialog.currentFolder = "c:\\äRGER\\";
  ASSERT_TRUE(dialog.Create(owner_));
  HWND list = dialog.Item(IDC_FOLDER_HISTORY_LIST);

  std::vector<std::string> newestFirst(kFolders.rbegin(), kFolders.rend());
  EXPECT_EQ(ListBoxLines(list), newestFirst);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0),
            WidestInListFont(list, kFolders) + 10);
  EXPECT_EQ(Window(dialog.Handle()).Text(), texts_.TextAt(14, 0));
  EXPECT_EQ(Window(dialog.Item(IDOK)).Text(), texts_.TextAt(14, 1));
  EXPECT_EQ(Window(dialog.Item(IDCANCEL)).Text(), texts_.TextAt(14, 2));
}

TEST_F(DialogsTest, FolderHistoryAnswers) {
  struct Case {
    const char* what;
    std::string current;
    int button;
    INT_PTR result;
    std::string folder;
    int index;
  };
  const Case cases[] = {
      {"OK on the current folder", "c:\\data\\WORK\\", IDOK, IDOK, "C:\\Data\\Work\\", 2},
      {"OK on the oldest folder", "C:\\", IDOK, IDOK, "C:\\", 0},
      {"OK with nothing selected", "E:\\Elsewhere\\", IDOK, IDOK, "", -1},
      {"a prefix is no match", "C:\\Data\\", IDOK, IDOK, "", -1},
      {"Cancel", "D:\\Music\\", IDCANCEL, IDCANCEL, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FolderHistoryDialog dialog(texts_);
    dialog.entries = kFolders;
    dialog.currentFolder = c.current;
    DialogResponder responder(c.button);
    EXPECT_EQ(dialog.DoModal(owner_), c.result);
    EXPECT_TRUE(responder.Answered());
    EXPECT_EQ(dialog.folder, c.folder);
    EXPECT_EQ(dialog.index, c.index);
  }
}

TEST_F(DialogsTest, FolderHistoryDoubleClickChoosesTheLineClicked) {
  FolderHistoryDialog dialog(texts_);
  dialog.entries = kFolders;
  dialog.currentFolder = "C:\\";
  ASSERT_TRUE(dialog.Create(owner_));
  HWND list = dialog.Item(IDC_FOLDER_HISTORY_LIST);
  SendMessageW(list, LB_SETCURSEL, 0, 0);  // the newest folder
  SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_FOLDER_HISTORY_LIST, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  EXPECT_TRUE(dialog.IsEnded());
  EXPECT_EQ(dialog.folder, "D:\\Music\\");
  EXPECT_EQ(dialog.index, 3);
}

// ---------------------------------------------------------------------------
// Mask selection on a panel listing a real folder

class DialogsMaskTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    std::string folder = data_.Make("mask");
    for (const char* name : {"Report.doc", "letter.DOC", "notes.txt", "readme", "doc"})
      WriteBytes(folder + name, "x");
    CreateDirectoryW(Widen(folder + "Archive.doc").c_str(), nullptr);
    CreateDirectoryW(Widen(folder + "sub").c_str(), nullptr);

    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                            0, 0, 600, 360, owner_, reinterpret_cast<HMENU>(IDC_LEFT_LIST),
                            nullptr, nullptr);
    panel_.Attach(list_, nullptr, nullptr, nullptr, nullptr);
    panel_.List().InsertColumn(0, "Name", LVCFMT_LEFT, 200);
    panel_.SetPath(folder);
    panel_.ListPanel(false, true);
    ASSERT_EQ(panel_.Table().RowCount(), 8u);  // the parent, 2 folders, 5 files
  }

  std::string NameAt(int row) const {
    const PanelEntry& entry = panel_.Table().AtRow(static_cast<size_t>(row));
    return entry.IsParent() ? ".." : entry.name;
  }

  int RowOf(const std::string& name) const {
    for (int row = 0; row < panel_.List().ItemCount(); ++row)
      if (NameAt(row) == name) return row;
    return -1;
  }

  std::set<std::string> WithState(UINT state) const {
    std::set<std::string> names;
    for (int row = 0; row < panel_.List().ItemCount(); ++row)
      if (panel_.List().ItemState(row, state) & state) names.insert(NameAt(row));
    return names;
  }

  void MarkAll() const { panel_.List().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED); }

  INT_PTR Run(MaskMode mode, const std::string& mask, int selectFolders, int button = IDOK) {
    MaskSelectDialog dialog(mode, panel_.List(), panel_.Table(), selectFolders, texts_);
    DialogResponder responder({Answer{button, IDC_MASK_EDIT, mask}});
    INT_PTR result = dialog.DoModal(owner_);
    EXPECT_TRUE(responder.Answered());
    return result;
  }

  TempFolder data_;
  Win32DirectorySource source_;
  FilePanel panel_{Side::kLeft, source_};
  HWND list_ = nullptr;
};

using Names = std::set<std::string>;

TEST_F(DialogsMaskTest, OpensWithTheTextsOfItsModeAndAllFilesMaskCentredOverTheList) {
  for (MaskMode mode : {MaskMode::kSelect, MaskMode::kDeselect}) {
    bool select = mode == MaskMode::kSelect;
    MaskSelectDialog dialog(mode, panel_.List(), panel_.Table(), 0, texts_);
    ASSERT_TRUE(dialog.Create(owner_));
    EXPECT_EQ(Window(dialog.Handle()).Text(), texts_.TextAt(23, select ? 0 : 1));
    EXPECT_EQ(Window(dialog.Item(IDC_MASK_PROMPT)).Text(), texts_.TextAt(23, select ? 2 : 3));
    EXPECT_EQ(Window(dialog.Item(IDOK)).Text(), texts_.TextAt(23, 4));
    EXPECT_EQ(Window(dialog.Item(IDCANCEL)).Text(), texts_.TextAt(23, 5));
    EXPECT_EQ(Window(dialog.Item(IDC_MASK_EDIT)).Text(), "*.*");

    RECT box, over;
    GetWindowRect(dialog.Handle(), &box);
    GetWindowRect(list_, &over);
    EXPECT_NEAR((box.left + box.right) / 2, (over.left + over.right) / 2, 1);
    EXPECT_NEAR((box.top + box.bottom) / 2, (over.top + over.bottom) / 2, 1);
  }
}

TEST_F(DialogsMaskTest, SelectReplacesTheSelectionWithMatchingFiles) {
  EXPECT_EQ(Run(MaskMode::kSelect, "*.doc", 0), IDOK);
  EXPECT_EQ(WithState(LVIS_SELECTED), (Names{"Report.doc", "letter.DOC"}));
  // The focus ends on the last match in list order.
  int last = std::max(RowOf("Report.doc"), RowOf("letter.DOC"));
  EXPECT_EQ(WithState(LVIS_FOCUSED), Names{NameAt(last)});

  Run(MaskMode::kSelect, "*.txt", 0);
  EXPECT_EQ(WithState(LVIS_SELECTED), (Names{"notes.txt"}));
  EXPECT_EQ(WithState(LVIS_FOCUSED), (Names{"notes.txt"}));

  // All files, never the parent; folders only on request.
  Run(MaskMode::kSelect, "*.*", 0);
  EXPECT_EQ(WithState(LVIS_SELECTED),
            (Names{"Report.doc", "letter.DOC", "notes.txt", "readme", "doc"}));
  Run(MaskMode::kSelect, "*.doc", 1);
  EXPECT_EQ(WithState(LVIS_SELECTED), (Names{"Report.doc", "letter.DOC", "Archive.doc"}));

  // Without a dot the mask is compared with the base only.
  Run(MaskMode::kSelect, "doc", 0);
  EXPECT_EQ(WithState(LVIS_SELECTED), (Names{"doc"}));
}

TEST_F(DialogsMaskTest, DeselectClearsMatchingFilesAndTheParentButKeepsFolders) {
  MarkAll();
  panel_.List().SetItemState(RowOf(".."), LVIS_FOCUSED, LVIS_FOCUSED);
  EXPECT_EQ(Run(MaskMode::kDeselect, "*.*", 0), IDOK);
  EXPECT_EQ(WithState(LVIS_SELECTED), (Names{"Archive.doc", "sub"}));
  EXPECT_EQ(WithState(LVIS_FOCUSED), Names{});  // the parent row had the focus

  MarkAll();
  Run(MaskMode::kDeselect, "*.doc", 1);
  EXPECT_EQ(WithState(LVIS_SELECTED), (Names{"notes.txt", "readme", "doc", "sub"}));
}

TEST_F(DialogsMaskTest, CancelChangesNothing) {
  panel_.SetCursor(RowOf("notes.txt"));
  Names before = WithState(LVIS_SELECTED);
  EXPECT_EQ(Run(MaskMode::kSelect, "*.*", 1, IDCANCEL), IDCANCEL);
  EXPECT_EQ(WithState(LVIS_SELECTED), before);
  MarkAll();
  Run(MaskMode::kDeselect, "*.*", 1, IDCANCEL);
  EXPECT_EQ(WithState(LVIS_SELECTED).size(), 8u);
}

// A folder of 100 000 files: every row is considered once, the focus ends on the last match.
TEST_F(DialogsTest, MaskOnHundredThousandRows) {
  constexpr int kRows = 100000;
  EntryTable table;
  table.entries.resize(kRows);
  for (int i = 0; i < kRows; ++i) {
    PanelEntry& entry = table.entries[static_cast<size_t>(i)];
    entry.kind = i == 0 ? EntryKind::kParent : EntryKind::kFile;
    entry.name = i == 0 ? "" : "file" + std::to_string(i) + (i % 2 ? ".txt" : ".doc");
    entry.foldedName = entry.name;
    table.rows.push_back(static_cast<uint32_t>(i));
  }
  ListView list(CreateWindowExW(0, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 600, 360,
                                owner_, nullptr, nullptr, nullptr));
  list.SetItemCount(kRows);
  auto selected = [&] { return static_cast<int>(list.Send(LVM_GETSELECTEDCOUNT)); };

  ApplyMask(list, table, "*.*", MaskMode::kSelect, false);
  EXPECT_EQ(selected(), kRows - 1);
  EXPECT_EQ(list.NextItem(-1, LVNI_FOCUSED), kRows - 1);
  ApplyMask(list, table, "*.doc", MaskMode::kSelect, false);
  EXPECT_EQ(selected(), kRows / 2 - 1);
  EXPECT_EQ(list.NextItem(-1, LVNI_FOCUSED), kRows - 2);
  ApplyMask(list, table, "*.*", MaskMode::kDeselect, false);
  EXPECT_EQ(selected(), 0);
  EXPECT_EQ(list.NextItem(-1, LVNI_FOCUSED), -1);
}

// ---------------------------------------------------------------------------
// Volume label

// A drive letter with no drive behind it.
std::string UnusedDriveRoot() {
  DWORD drives = GetLogicalDrives();
  for (char letter = 'Y'; letter >= 'M'; --letter)
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":\\";
  return {};
}

// The label of drive C as stored. Wine keeps it in a file in the drive's root
// and does not report it back through GetVolumeInformationW.
std::string StoredLabelOfC() {
  std::string label = ReadVolumeLabel("C:\\").value_or("");
  if (label.empty()) {
    label = ReadBytes("C:\\.windows-label");
    while (!label.empty() && (label.back() == '\n' || label.back() == '\r')) label.pop_back();
  }
  return label;
}

TEST_F(DialogsTest, VolumeLabelShowsTheDriveAndCurrentLabelAndTakesElevenCharacters) {
  VolumeLabelDialog dialog(texts_);
  dialog.driveRoot = "C:\\";
  dialog.ownerCaption = "Pannex";
  dialog.list = owner_;
  ASSERT_TRUE(dialog.Create(owner_));
  EXPECT_EQ(Window(dialog.Handle()).Text(), "Pannex");
  EXPECT_EQ(Window(dialog.Item(IDC_VOLUME_LABEL_PROMPT)).Text(),
            FormatText(texts_.TextAt(12, 1), {"C:\\"}));
  EXPECT_EQ(Window(dialog.Item(IDOK)).Text(), texts_.TextAt(12, 2));
  EXPECT_EQ(Window(dialog.Item(IDCANCEL)).Text(), texts_.TextAt(12, 3));

  Window edit(dialog.Item(IDC_VOLUME_LABEL_EDIT));
  EXPECT_EQ(edit.Text(), ReadVolumeLabel("C:\\").value_or(""));
  edit.SetText("");
  for (char c : std::string("ABCDEFGHIJKL")) edit.Send(WM_CHAR, static_cast<WPARAM>(c), 1);
  EXPECT_EQ(edit.Text(), "ABCDEFGHIJK");
}

TEST_F(DialogsTest, VolumeLabelRefusedStaysOpenWithTheMessageAndChangesNothing) {
  struct Case {
    const char* what;
    std::string root;
    std::string label;
  };
  const Case cases[] = {
      {"a leading blank never reaches the system", "C:\\", " BLANK"},
      {"the system refuses a drive that is not there", UnusedDriveRoot(), "LABEL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_FALSE(c.root.empty());
    std::string before = StoredLabelOfC();
    VolumeLabelDialog dialog(texts_);
    dialog.driveRoot = c.root;
    dialog.ownerCaption = "Pannex";
    dialog.list = owner_;
    // OK with the label, OK on the message box, then Cancel on the dialog that is still open.
    DialogResponder responder({Answer{IDOK, IDC_VOLUME_LABEL_EDIT, c.label}, Answer{IDOK},
                               Answer{IDCANCEL}});
    EXPECT_EQ(dialog.DoModal(owner_), IDCANCEL);
    EXPECT_TRUE(responder.Answered());
    EXPECT_EQ(responder.SeenText(), texts_.TextAt(10, 4));
    EXPECT_EQ(responder.SeenCaption(), "Pannex");
    EXPECT_EQ(StoredLabelOfC(), before);
  }
}

TEST_F(DialogsTest, VolumeLabelOfElevenCharactersIsSetAndClosesTheDialog) {
  std::string before = StoredLabelOfC();
  VolumeLabelDialog dialog(texts_);
  dialog.driveRoot = "C:\\";
  dialog.ownerCaption = "Pannex";
  // Should the system refuse, the message box and the dialog are answered too.
  DialogResponder responder({Answer{IDOK, IDC_VOLUME_LABEL_EDIT, "Eleven Char"}, Answer{IDOK},
                             Answer{IDCANCEL}});
  INT_PTR result = dialog.DoModal(owner_);
  std::string after = StoredLabelOfC();
  SetVolumeLabelW(L"C:\\", Widen(before).c_str());
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(responder.AnswerCount(), 1u);  // no message box
  EXPECT_EQ(after, "Eleven Char");
  EXPECT_EQ(StoredLabelOfC(), before);
}

// ---------------------------------------------------------------------------
// Launch errors

TEST_F(DialogsTest, LaunchErrorShowsTheTextOfKnownCodesOnly) {
  {
    DialogResponder responder(IDOK);
    ReportLaunchError(owner_, texts_, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(responder.Answered());
    EXPECT_EQ(responder.SeenText(), texts_.TextAt(20, 3));
    EXPECT_EQ(responder.SeenCaption(), texts_.TextAt(20, 0));
  }
  {
    DialogResponder responder(IDOK);
    ReportLaunchError(owner_, texts_, ERROR_NO_ASSOCIATION);
    EXPECT_EQ(responder.SeenText(), texts_.TextAt(20, 1));
  }
  for (DWORD quiet : {DWORD{0}, DWORD{ERROR_INVALID_PARAMETER}}) {
    DialogResponder responder(IDOK);
    ReportLaunchError(owner_, texts_, quiet);
    EXPECT_FALSE(responder.Answered()) << quiet;
  }
}

}  // namespace
}  // namespace px::test
