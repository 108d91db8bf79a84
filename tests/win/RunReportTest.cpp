// The report of a run: the lines it shows, the bytes a save writes, a save
// that cannot be written, and Save... through the file dialog.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "core/language/TextFormat.h"
#include "fileops/RunReportDialog.h"
#include "framework/Controls.h"
#include "framework/TextFiles.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;

const std::vector<std::string> kLines = {
    "Not copied: C:\\Daten\\Brief.doc (in use by another program)",
    // Cyrillic and CJK names: "Отчёт", "日記"
    "Skipped, the target exists: C:\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt",
    "",
    "Not deleted: C:\\\xE6\x97\xA5\xE8\xA8\x98 (access denied)",
};

const std::string kShown =
    "Not copied: C:\\Daten\\Brief.doc (in use by another program)\r\n"
    "Skipped, the target exists: C:\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt\r\n"
    "\r\n"
    "Not deleted: C:\\\xE6\x97\xA5\xE8\xA8\x98 (access denied)\r\n";

const std::string kBom = "\xEF\xBB\xBF";
// "Bericht Отчёт 日記.txt"
const std::string kReportName =
    "Bericht \xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82 \xE6\x97\xA5\xE8\xA8\x98.txt";

class RunReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = MakeOwnerWindow(ICC_STANDARD_CLASSES);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override { CloseOwnerWindow(owner_); }

  const LanguageTable& texts_ = EnglishTexts();
  HWND owner_ = nullptr;
};

RECT RectIn(HWND dialog, int id) { return px::Window(GetDlgItem(dialog, id)).RectInParent(); }

TEST_F(RunReportTest, ShowsEveryLineAndGrowsWithTheWindow) {
  RunReportDialog dialog(texts_, "Copy", kLines);
  ASSERT_TRUE(dialog.Create(owner_));
  HWND window = dialog.Handle();
  EXPECT_EQ(px::Window(window).Text(), FormatText(texts_.Text(text::kReportCaption), {"Copy"}));
  EXPECT_EQ(px::Window(dialog.Item(IDC_REPORT_SAVE)).Text(), texts_.Text(text::kReportSave));
  EXPECT_EQ(px::Window(dialog.Item(IDOK)).Text(), texts_.Text(text::kSearchClose));

  HWND report = dialog.Item(IDC_REPORT_TEXT);
  EXPECT_EQ(px::Window(report).Text(), kShown);
  // Four lines and the empty one after the last line end.
  EXPECT_EQ(SendMessageW(report, EM_GETLINECOUNT, 0, 0), 5);
  EXPECT_NE(px::Window(report).Style() & ES_READONLY, 0);
  EXPECT_NE(px::Window(report).Style() & WS_VSCROLL, 0);

  // Made larger, the text box takes the room and the buttons keep to the
  // lower corners; it cannot be made smaller than it opened.
  RECT frame;
  GetWindowRect(window, &frame);
  const RECT text = RectIn(window, IDC_REPORT_TEXT);
  const RECT save = RectIn(window, IDC_REPORT_SAVE);
  const RECT close = RectIn(window, IDOK);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 100,
               frame.bottom - frame.top + 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT grown = RectIn(window, IDC_REPORT_TEXT);
  EXPECT_EQ(grown.left, text.left);
  EXPECT_EQ(grown.right - grown.left, text.right - text.left + 100);
  EXPECT_EQ(grown.bottom - grown.top, text.bottom - text.top + 60);
  RECT movedSave = RectIn(window, IDC_REPORT_SAVE);
  RECT movedClose = RectIn(window, IDOK);
  EXPECT_EQ(movedSave.left, save.left);
  EXPECT_EQ(movedSave.top, save.top + 60);
  EXPECT_EQ(movedClose.left, close.left + 100);
  EXPECT_EQ(movedClose.top, close.top + 60);
  EXPECT_EQ(movedClose.right - movedClose.left, close.right - close.left);

  MINMAXINFO limits{};
  SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
  EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
}

TEST_F(RunReportTest, SaveWritesUtf8WithBomAndCrLfAndReplacesWhole) {
  struct Row {
    const char* what;
    std::vector<std::string> lines;
    std::string bytes;
  };
  const Row kRows[] = {
      {"the lines", kLines, kBom + kShown},
      {"one line", {"No problems."}, kBom + "No problems.\r\n"},
      {"no line", {}, kBom},
  };
  TempFolder folder;
  const std::string path = folder.Path() + kReportName;
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    // An older, longer file of that name is replaced, not written into.
    ASSERT_TRUE(WriteBytes(path, std::string(4000, 'x')));
    EXPECT_TRUE(SaveReport(path, row.lines));
    EXPECT_EQ(ReadBytes(path), row.bytes);
    // Nothing but the report is left in the folder.
    EXPECT_EQ(NamesOnDisk(folder.Path()), std::vector<std::string>{kReportName});
  }
}

TEST_F(RunReportTest, SaveThatCannotBeWrittenLeavesNothingAndKeepsTheOldFile) {
  TempFolder folder;
  EXPECT_FALSE(SaveReport(folder.Path() + "missing\\report.txt", kLines));
  EXPECT_FALSE(Exists(folder.Path() + "missing"));
  EXPECT_TRUE(NamesOnDisk(folder.Path()).empty());
  EXPECT_FALSE(SaveReport("", kLines));
  // A folder of that name is not replaced.
  const std::string sub = folder.Make("report.txt");
  EXPECT_FALSE(SaveReport(folder.Path() + "report.txt", kLines));
  EXPECT_TRUE(NamesOnDisk(sub).empty());
  EXPECT_EQ(NamesOnDisk(folder.Path()), std::vector<std::string>{"report.txt"});
  RemoveDirectoryW(FileApiPath(folder.Path() + "report.txt").c_str());

  // A read-only report is not written over; the old one stays whole.
  const std::string kept = folder.Write(kReportName, "old report\r\n");
  ASSERT_TRUE(SetFileAttributesW(FileApiPath(kept).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(SaveReport(kept, kLines));
  EXPECT_EQ(ReadBytes(kept), "old report\r\n");
  EXPECT_EQ(NamesOnDisk(folder.Path()), std::vector<std::string>{kReportName});
  SetFileAttributesW(FileApiPath(kept).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The file dialog's name field: an edit inside the name combo box (cmb13) or,
// in the older layout, the edit edt1.
HWND FileNameField(HWND fileDialog) {
  HWND name = GetDlgItem(fileDialog, cmb13);
  return name != nullptr ? name : GetDlgItem(fileDialog, edt1);
}

void PressSave(HWND dialog) { PostMessageW(GetDlgItem(dialog, IDC_REPORT_SAVE), BM_CLICK, 0, 0); }

TEST_F(RunReportTest, SaveAsksForTheFileAndSaysWhenItCannotWriteIt) {
  TempFolder folder;
  const std::string path = folder.Path() + kReportName;
  std::string offeredName;
  {
    // Save..., a name typed into the file dialog, then the report closes.
    RunReportDialog dialog(texts_, "Copy", kLines);
    DialogResponder responder(
        {Answer(0, PressSave),
         Answer(IDOK,
                [&](HWND fileDialog) {
                  HWND name = FileNameField(fileDialog);
                  ASSERT_NE(name, nullptr);
                  offeredName = px::Window(name).Text();
                  px::Window(name).SetText(path);
                }),
         Answer(IDOK, [&](HWND report) {
           // Still the report, its file written.
           EXPECT_NE(GetDlgItem(report, IDC_REPORT_SAVE), nullptr);
           EXPECT_EQ(ReadBytes(path), kBom + kShown);
         })});
    EXPECT_EQ(dialog.DoModal(owner_), IDOK);
    EXPECT_TRUE(responder.Answered());
  }
  EXPECT_EQ(offeredName, "report.txt");
  EXPECT_EQ(ReadBytes(path), kBom + kShown);

  // Saved over a read-only file: the file dialog asks whether to replace it,
  // the save fails, a message says so and the report stays open.
  ASSERT_TRUE(SetFileAttributesW(FileApiPath(path).c_str(), FILE_ATTRIBUTE_READONLY));
  bool stillOpen = false;
  {
    RunReportDialog dialog(texts_, "Copy", {"Another run"});
    DialogResponder responder(
        {Answer(0, PressSave),
         Answer(IDOK, [&](HWND fileDialog) { px::Window(FileNameField(fileDialog)).SetText(path); }),
         Answer(IDYES),
         Answer(IDOK),
         Answer(IDOK, [&](HWND report) {
           stillOpen = GetDlgItem(report, IDC_REPORT_TEXT) != nullptr;
         })});
    EXPECT_EQ(dialog.DoModal(owner_), IDOK);
    EXPECT_TRUE(responder.Answered());
    EXPECT_EQ(responder.SeenText(), FormatText(texts_.Text(text::kReportNotSaved), {path}));
  }
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(ReadBytes(path), kBom + kShown);
  EXPECT_EQ(NamesOnDisk(folder.Path()), std::vector<std::string>{kReportName});
  SetFileAttributesW(FileApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace px::test
