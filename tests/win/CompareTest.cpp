// Comparing the folders of both panels on the real window: the options
// asked first, files compared by time, size and content, whole trees, and a
// comparison stopped part way.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/language/TextFormat.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"

namespace px::test {
namespace {

using Names = std::vector<std::string>;
using Answer = DialogResponder::Answer;

constexpr uint64_t kDay = 864000000000ull;
constexpr uint64_t kBase = 133000000000000000ull;

void PutCursorOn(RunningWindow& run, int listId, const std::string& name) {
  const int row = IndexOf(run.RowTexts(listId, 0), name);
  ASSERT_GE(row, 0) << name;
  FilePanel& panel = run.Window().Panels().Panel(listId == IDC_LEFT_LIST ? Side::kLeft : Side::kRight);
  panel.ClearSelection();
  panel.SetCursor(row);
}

void WriteFile(const std::string& path, const std::string& bytes, uint64_t time) {
  ASSERT_TRUE(WriteBytes(path, bytes)) << path;
  ASSERT_TRUE(SetWriteTime(path, time)) << path;
}

bool IsOptionsDialog(HWND dialog) { return GetDlgItem(dialog, IDC_COMPARE_BY_SIZE) != nullptr; }
bool IsProgressDialog(HWND dialog) { return GetDlgItem(dialog, IDC_COMPARE_PROGRESS_BAR) != nullptr; }

// The options dialog answered with OK, its checks set so first.
Answer Choose(bool bySize, bool byContent, bool subfolders) {
  return Answer(
      IDOK,
      [=](HWND dialog) {
        CheckDlgButton(dialog, IDC_COMPARE_BY_SIZE, bySize ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_COMPARE_BY_CONTENT, byContent ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_COMPARE_SUBFOLDERS, subfolders ? BST_CHECKED : BST_UNCHECKED);
      },
      IsOptionsDialog);
}

class CompareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    left_ = data_.Make("Left");
    right_ = data_.Make("Right");
  }

  // Shift+F2 on the left list, the dialogs answered in turn; the text of the
  // message box that ends it.
  std::string Compare(RunningWindow& run, std::vector<Answer> answers) {
    DialogResponder responder(std::move(answers));
    PressKey(run.Window(), run.Item(IDC_LEFT_LIST), VK_F2, kShift);
    EXPECT_TRUE(PumpUntil(run.Window(), [&] { return responder.Answered(); }));
    return responder.SeenText();
  }

  TempFolder data_;
  std::string left_, right_;
};

// Files missing on the other side or newer there are marked (times within
// 2 s are equal), nothing else; the cursors stay; the message says how many,
// or that the folders are equal.
TEST_F(CompareTest, MarksWhatDiffersByTime) {
  WriteFile(left_ + "same.txt", "x", kBase);
  WriteFile(right_ + "same.txt", "x", kBase + 10000000);  // 1 s later: equal
  WriteFile(left_ + "newer.txt", "x", kBase + kDay);
  WriteFile(right_ + "newer.txt", "x", kBase);
  WriteFile(left_ + "older.txt", "x", kBase);
  WriteFile(right_ + "older.txt", "x", kBase + kDay);
  WriteFile(left_ + "only left.txt", "x", kBase);
  WriteFile(right_ + "only right.txt", "x", kBase);
  WriteFile(left_ + "sizes differ.txt", "x", kBase);
  WriteFile(right_ + "sizes differ.txt", "xx", kBase);
  data_.Make("Left\\folder");
  RunningWindow run(PanelSettings(left_, right_).c_str());
  MainWindow& window = run.Window();
  HWND leftList = run.Item(IDC_LEFT_LIST), rightList = run.Item(IDC_RIGHT_LIST);
  PutCursorOn(run, IDC_LEFT_LIST, "same.txt");
  PutCursorOn(run, IDC_RIGHT_LIST, "older.txt");
  EXPECT_EQ(Compare(run, {Choose(false, false, false), Answer(IDOK)}),
            FormatText(EnglishTexts().Text(text::kCompareDiffer), {4}));
  EXPECT_EQ(SelectedNames(leftList), (Names{"newer.txt", "only left.txt"}));
  EXPECT_EQ(SelectedNames(rightList), (Names{"older.txt", "only right.txt"}));
  EXPECT_EQ(FocusedName(leftList), "same.txt");
  EXPECT_EQ(FocusedName(rightList), "older.txt");

  // By size too: the pair of the same time and other sizes on both sides.
  EXPECT_EQ(Compare(run, {Choose(true, false, false), Answer(IDOK)}),
            FormatText(EnglishTexts().Text(text::kCompareDiffer), {6}));
  EXPECT_EQ(SelectedNames(leftList), (Names{"newer.txt", "only left.txt", "sizes differ.txt"}));
  EXPECT_EQ(SelectedNames(rightList), (Names{"older.txt", "only right.txt", "sizes differ.txt"}));

  // Equal folders: nothing marked.
  window.Panels().Panel(Side::kRight).SetPath(left_);
  window.Panels().Panel(Side::kRight).ListPanel(false, false);
  window.Panels().Panel(Side::kLeft).List().Focus();
  EXPECT_EQ(Compare(run, {Choose(false, false, false), Answer(IDOK)}),
            EnglishTexts().Text(text::kCompareEqual));
  EXPECT_TRUE(SelectedNames(leftList).empty());
}

// The dialog shows the language's texts and starts from the options; Cancel
// changes nothing at all, OK keeps the choice.
TEST_F(CompareTest, OptionsDialogStartsFromTheOptionsAndCancelDoesNothing) {
  WriteFile(left_ + "only left.txt", "x", kBase);
  RunningWindow run(PanelSettings(left_, right_).c_str());
  MainWindow& window = run.Window();
  window.MutableOptions().compareBySize = 1;
  window.MutableOptions().compareSubfolders = 1;
  const Names before = SelectedNames(run.Item(IDC_LEFT_LIST));
  const LanguageTable& texts = EnglishTexts();
  std::vector<std::string> shown;
  std::vector<UINT> checks;
  Compare(run, {Answer(IDCANCEL,
                       [&](HWND dialog) {
                         for (int id : {0, IDC_COMPARE_BY_SIZE, IDC_COMPARE_BY_CONTENT,
                                        IDC_COMPARE_SUBFOLDERS, IDOK, IDCANCEL})
                           shown.push_back(px::Window(id == 0 ? dialog : GetDlgItem(dialog, id)).Text());
                         for (int id : {IDC_COMPARE_BY_SIZE, IDC_COMPARE_BY_CONTENT, IDC_COMPARE_SUBFOLDERS}) {
                           checks.push_back(IsDlgButtonChecked(dialog, id));
                           CheckDlgButton(dialog, id, BST_UNCHECKED);
                         }
                       },
                       IsOptionsDialog)});
  EXPECT_EQ(shown, (Names{texts.Text(text::kCompareTitle), texts.Text(text::kCompareBySize),
                          texts.Text(text::kCompareByContent), texts.Text(text::kCompareSubfolders),
                          texts.Text(text::kMaskOk), texts.Text(text::kMaskCancel)}));
  EXPECT_EQ(checks, (std::vector<UINT>{BST_CHECKED, BST_UNCHECKED, BST_CHECKED}));
  // No comparison ran: no message box came, no mark was made.
  Pump(&window);
  EXPECT_EQ(FindShownDialog(run.Handle()), nullptr);
  EXPECT_EQ(SelectedNames(run.Item(IDC_LEFT_LIST)), before);
  EXPECT_EQ(window.GetOptions().compareBySize, 1);
  EXPECT_EQ(window.GetOptions().compareSubfolders, 1);

  Compare(run, {Choose(false, true, false), Answer(IDOK)});
  EXPECT_EQ(window.GetOptions().compareBySize, 0);
  EXPECT_EQ(window.GetOptions().compareByContent, 1);
  EXPECT_EQ(window.GetOptions().compareSubfolders, 0);
  EXPECT_EQ(SelectedNames(run.Item(IDC_LEFT_LIST)), Names{"only left.txt"});
}

// By content, files of the same time and size are read: those whose bytes
// differ are marked, and so are those that cannot be read, which the message
// counts.
TEST_F(CompareTest, ContentsAreReadForFilesOfTheSameTimeAndSize) {
  for (const std::string& folder : {left_, right_}) {
    WriteFile(folder + "same.txt", "xyz", kBase);
    WriteFile(folder + "locked.txt", "lll", kBase);
  }
  WriteFile(left_ + "content.txt", "abc", kBase);
  WriteFile(right_ + "content.txt", "abd", kBase);
  WriteFile(left_ + "size.txt", "ab", kBase);
  WriteFile(right_ + "size.txt", "abc", kBase);
  RunningWindow run(PanelSettings(left_, right_).c_str());
  HWND leftList = run.Item(IDC_LEFT_LIST), rightList = run.Item(IDC_RIGHT_LIST);
  PutCursorOn(run, IDC_LEFT_LIST, "same.txt");

  // Held open by another without sharing: it cannot be read.
  FileHandle held(CreateFileW(Widen(right_ + "locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const LanguageTable& texts = EnglishTexts();
  EXPECT_EQ(Compare(run, {Choose(false, true, false), Answer(IDOK)}),
            FormatText(texts.Text(text::kCompareDiffer), {6}) + "\n" +
                FormatText(texts.Text(text::kCompareUnreadable), {1}));
  const Names differ{"content.txt", "locked.txt", "size.txt"};
  EXPECT_EQ(SelectedNames(leftList), differ);
  EXPECT_EQ(SelectedNames(rightList), differ);
  EXPECT_EQ(FocusedName(leftList), "same.txt");

  // Readable again, the same bytes are the same.
  held.Reset();
  EXPECT_EQ(Compare(run, {Choose(false, true, false), Answer(IDOK)}),
            FormatText(texts.Text(text::kCompareDiffer), {4}));
  EXPECT_EQ(SelectedNames(leftList), (Names{"content.txt", "size.txt"}));
}

// With subfolders, whole trees compare by relative path: a top entry is
// marked when it holds a file that differs; links are not followed.
TEST_F(CompareTest, SubfoldersCompareWholeTrees) {
  for (const std::string& folder : {left_, right_}) {
    data_.Make(folder.substr(data_.Path().size()) + "Sub");
    data_.Make(folder.substr(data_.Path().size()) + "Equal");
    data_.Make(folder.substr(data_.Path().size()) + "Equal\\Deep");
    WriteFile(folder + "Equal\\Deep\\x.txt", "x", kBase);
    WriteFile(folder + "top.txt", "t", kBase);
  }
  WriteFile(left_ + "Sub\\deep.txt", "d", kBase + kDay);
  WriteFile(right_ + "Sub\\deep.txt", "d", kBase);
  WriteFile(right_ + "Sub\\only right.txt", "r", kBase);
  data_.Make("Left\\Empty");
  const bool linked = MakeSymbolicLink(left_, "../Right/Sub", "Link");
  RunningWindow run(PanelSettings(left_, right_).c_str());
  HWND leftList = run.Item(IDC_LEFT_LIST), rightList = run.Item(IDC_RIGHT_LIST);
  PutCursorOn(run, IDC_LEFT_LIST, "top.txt");
  EXPECT_EQ(Compare(run, {Choose(false, false, true), Answer(IDOK)}),
            FormatText(EnglishTexts().Text(text::kCompareTreesDiffer), {2}));
  EXPECT_EQ(SelectedNames(leftList), Names{"Sub"});
  EXPECT_EQ(SelectedNames(rightList), Names{"Sub"});
  EXPECT_EQ(FocusedName(leftList), "top.txt");
  if (linked) {
    EXPECT_GE(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "Link"), 0);
  }
}

// Stopped while a folder is being read: the progress shows, the window keeps
// answering, Cancel closes it at once, no mark changes and the message says so.
TEST_F(CompareTest, StoppingChangesNoMark) {
  data_.Make("Left\\Sub");
  data_.Make("Right\\Sub");
  WriteFile(left_ + "Sub\\a.txt", "a", kBase + kDay);
  WriteFile(right_ + "Sub\\a.txt", "a", kBase);
  WriteFile(left_ + "marked.txt", "m", kBase);
  RunningWindow run(PanelSettings(left_, right_).c_str());
  MainWindow& window = run.Window();
  window.Panels().Panel(Side::kLeft).SetSelected({"marked.txt"}, true);
  const Names leftBefore = SelectedNames(run.Item(IDC_LEFT_LIST));
  const Names rightBefore = SelectedNames(run.Item(IDC_RIGHT_LIST));
  ASSERT_GE(IndexOf(leftBefore, "marked.txt"), 0);
  FailListingsForTests(Widen(left_ + "Sub\\"), kHoldListing);
  std::string progressText;
  const std::string said = Compare(
      run, {Choose(false, true, true),
            Answer(IDCANCEL, [&](HWND dialog) {
              progressText = px::Window(GetDlgItem(dialog, IDC_COMPARE_PROGRESS_TEXT)).Text();
            }, [&](HWND dialog) {
              // Once it shows the folder the walk waits in.
              return IsProgressDialog(dialog) &&
                     px::Window(GetDlgItem(dialog, IDC_COMPARE_PROGRESS_TEXT)).Text().find("Sub") !=
                         std::string::npos;
            }),
            Answer(IDOK)});
  FailListingsForTests(L"", -1);
  EXPECT_EQ(said, EnglishTexts().Text(text::kCompareStopped));
  EXPECT_EQ(progressText, left_ + "Sub\\");
  EXPECT_EQ(SelectedNames(run.Item(IDC_LEFT_LIST)), leftBefore);
  EXPECT_EQ(SelectedNames(run.Item(IDC_RIGHT_LIST)), rightBefore);
  // The job ends at its next check once the folder answers.
  EXPECT_TRUE(PumpUntil(window, [&] { return window.Jobs().Running(JobKind::kWork).empty(); }));
}

}  // namespace
}  // namespace px::test
