// Finding rows by typing, showing only some, and counting folder sizes, on
// the real window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "core/language/TextFormat.h"
#include "core/panel/EntryText.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"
#include "ui/KeyboardFilter.h"

namespace px::test {
namespace {

class QuickSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    data_.Make("reports");
    data_.Make("Zebra");
    data_.Write("alpha.txt", "a");
    data_.Write("beta.txt", "bb");
    data_.Write("report-2025.pdf", "r");
    data_.Write("report-2026.pdf", "r");
    data_.Write("\xC3\x84rger.txt", "u");  // Ärger
    data_.Write("zulu.doc", "z");
    settings_ = PanelSettings(root_, root_);
  }

  std::string BoxText(RunningWindow& run) { return px::Window(run.Item(IDC_LEFT_QUICK_SEARCH)).Text(); }
  bool BoxShown(RunningWindow& run) { return IsWindowVisible(run.Item(IDC_LEFT_QUICK_SEARCH)) != FALSE; }

  TempFolder data_;
  std::string root_;
  std::string settings_;
};

// Ctrl+Alt and a letter opens the box; each character moves the cursor to the
// first name that starts with the text, one that matches nothing is refused;
// Down and Up go round the matches; Esc closes the box with the cursor where
// it is; a click closes it too; Enter opens the entry found.
TEST_F(QuickSearchTest, FindsMovesAndCloses) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  ASSERT_FALSE(BoxShown(run));
  PressKey(window, list, 'R', kCtrl | kAlt);
  ASSERT_TRUE(BoxShown(run));
  EXPECT_EQ(FocusedName(list), "reports");  // folders come first
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"reports"});
  TypeText(window, list, L"eport-");
  EXPECT_EQ(FocusedName(list), "report-2025.pdf");
  TypeText(window, list, L"2026");
  EXPECT_EQ(FocusedName(list), "report-2026.pdf");
  TypeText(window, list, L"x");  // no name goes on so: refused
  EXPECT_EQ(FocusedName(list), "report-2026.pdf");
  EXPECT_NE(BoxText(run).find("report-2026"), std::string::npos) << BoxText(run);
  EXPECT_EQ(BoxText(run).find("2026x"), std::string::npos) << BoxText(run);
  PressKey(window, list, VK_BACK);
  PressKey(window, list, VK_BACK);
  EXPECT_NE(BoxText(run).find("report-20"), std::string::npos) << BoxText(run);
  EXPECT_EQ(BoxText(run).find("report-202"), std::string::npos) << BoxText(run);
  PressKey(window, list, VK_DOWN);
  EXPECT_EQ(FocusedName(list), "report-2025.pdf");  // round from the last match
  PressKey(window, list, VK_UP);
  EXPECT_EQ(FocusedName(list), "report-2026.pdf");
  EXPECT_TRUE(run.Window().Panels().Panel(Side::kLeft).Path() == root_);
  PressKey(window, list, VK_ESCAPE);
  EXPECT_FALSE(BoxShown(run));
  EXPECT_EQ(FocusedName(list), "report-2026.pdf");

  // "*" finds the text anywhere, "?" takes one character.
  PressKey(window, list, VK_MULTIPLY, kCtrl | kAlt);
  ASSERT_TRUE(BoxShown(run));
  TypeText(window, list, L"ta.t");
  EXPECT_EQ(FocusedName(list), "beta.txt");
  PressKey(window, list, VK_ESCAPE);
  PressKey(window, list, 'A', kCtrl | kAlt);
  TypeText(window, list, L"?ph");
  EXPECT_EQ(FocusedName(list), "alpha.txt");

  // A click anywhere closes the box.
  PostMessageW(list, WM_LBUTTONDOWN, 0, MAKELPARAM(2, 2));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Pump(&window);
  EXPECT_FALSE(BoxShown(run));

  // Enter opens what was found.
  PressKey(window, list, 'R', kCtrl | kAlt);
  TypeText(window, list, L"eports");
  EXPECT_EQ(FocusedName(list), "reports");
  PressKey(window, list, VK_RETURN);
  EXPECT_FALSE(BoxShown(run));
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "reports\\");
}

// Matching folds case as the panel does, beyond ASCII; with the setting,
// letters alone open the search while the command line is empty, and go to
// the command line when it holds text.
TEST_F(QuickSearchTest, LettersAloneAndCaseFolding) {
  const std::string settings = settings_ + "[Options]\r\nQuickSearchLetters=1\r\n";
  RunningWindow run(settings.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND commandLine = run.Item(IDC_COMMAND_LINE);
  SetFocus(list);
  TypeText(window, list, L"\u00E4R");  // ä, R: the name is spelled "Är"
  ASSERT_TRUE(BoxShown(run));
  EXPECT_EQ(FocusedName(list), "\xC3\x84rger.txt");
  PressKey(window, list, VK_ESCAPE);
  px::Window(commandLine).SetText("dir ");
  SendMessageW(commandLine, EM_SETSEL, 4, 4);
  SetFocus(list);
  TypeText(window, list, L"z");
  EXPECT_FALSE(BoxShown(run));
  EXPECT_EQ(px::Window(commandLine).Text(), "dir z");
}

// What a German keyboard types with AltGr (Ctrl+Alt+Q is "@") goes to the
// command line and opens no search; Ctrl+Alt+R, which types nothing else,
// still does.
wchar_t GermanLayout(UINT key, UINT, bool ctrlAlt) {
  if (ctrlAlt && key == 'Q') return L'@';
  if (ctrlAlt && key == '7') return L'{';
  if (key >= 'A' && key <= 'Z') return static_cast<wchar_t>(key - 'A' + 'a');
  if (key >= '0' && key <= '9' && !ctrlAlt) return static_cast<wchar_t>(key);
  return 0;
}

TEST_F(QuickSearchTest, AltGrCharactersReachTheCommandLine) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND commandLine = run.Item(IDC_COMMAND_LINE);
  KeyboardFilter::SetKeyCharacterForTests(&GermanLayout);
  PressKey(window, list, 'Q', kCtrl | kAlt);
  PressKey(window, list, '7', kCtrl | kAlt);
  EXPECT_FALSE(BoxShown(run));
  EXPECT_EQ(px::Window(commandLine).Text(), "@{");
  px::Window(commandLine).SetText("");
  PressKey(window, list, 'R', kCtrl | kAlt);
  EXPECT_TRUE(BoxShown(run));
  EXPECT_EQ(FocusedName(list), "reports");
  EXPECT_EQ(px::Window(commandLine).Text(), "");
  KeyboardFilter::SetKeyCharacterForTests(nullptr);
}

// Ctrl+S shows only the rows that match; the path line says a filter is on;
// marks of rows it hides are dropped; Enter closes the box and keeps the
// filter, Esc ends it; going to another folder ends it too.
TEST_F(QuickSearchTest, FilterHidesAndRestores) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  FilePanel& panel = window.Panels().Panel(Side::kLeft);
  const std::vector<std::string> all = run.RowTexts(IDC_LEFT_LIST, 0);
  panel.ClearSelection();
  panel.SetSelected({"alpha.txt", "report-2025.pdf"}, true);
  PressKey(window, list, 'S', kCtrl);
  ASSERT_TRUE(BoxShown(run));
  TypeText(window, list, L".txt");
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0), (std::vector<std::string>{kParentRowText, "alpha.txt", "beta.txt", "\xC3\x84rger.txt"}));
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"alpha.txt"});
  EXPECT_EQ(panel.CurrentSelection().Names(), std::vector<std::string>{"alpha.txt"});
  EXPECT_NE(px::Window(run.Item(IDC_LEFT_PATH)).Text().find("[filter: .txt]"), std::string::npos);
  // The selection line counts what is marked now.
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_SELECTION)).Text().rfind("1 of ", 0), 0u);
  PressKey(window, list, VK_RETURN);
  EXPECT_FALSE(BoxShown(run));
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0).size(), 4u);
  // A mask works as in a selection.
  PressKey(window, list, 'S', kCtrl);
  for (int i = 0; i < 4; ++i) PressKey(window, list, VK_BACK);
  TypeText(window, list, L"r*6");
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0), (std::vector<std::string>{kParentRowText, "report-2026.pdf"}));
  PressKey(window, list, VK_RETURN);
  PressKey(window, list, VK_ESCAPE);
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0), all);
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text().find("filter"), std::string::npos);
  // A new folder: the filter ends.
  PressKey(window, list, 'S', kCtrl);
  TypeText(window, list, L"rep");
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0).size(), 4u);  // .., reports, and two reports
  PressKey(window, list, VK_RETURN);
  window.Panels().GoToFolder(root_ + "reports\\", true);
  EXPECT_TRUE(panel.Filter().empty());
  window.Panels().GoToFolder(root_, true);
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 0), all);
}

// A row selected only because the cursor moved there is not marked yet:
// Space marks it (and counts it), the next row is not selected; with other
// marks about, Insert turns a marked row's mark over. The parent row the
// cursor leaves is never left selected.
TEST_F(QuickSearchTest, TheCursorsOwnRowIsMarkedNotUnmarked) {
  data_.Write("Zebra\\c.bin", std::string(20, 'c'));
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  FilePanel& panel = window.Panels().Panel(Side::kLeft);
  panel.ClearSelection();
  panel.SetCursor(0);
  PressKey(window, list, VK_INSERT);
  EXPECT_TRUE(SelectedNames(list).empty());
  EXPECT_EQ(FocusedName(list), "reports");
  panel.ClearSelection();
  panel.SetCursor(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "Zebra"));
  PressKey(window, list, VK_SPACE);
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"Zebra"});
  EXPECT_EQ(FocusedName(list), "alpha.txt");
  ASSERT_TRUE(PumpUntil(window, [&] { return !panel.Counting(); }));
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 1)[static_cast<size_t>(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "Zebra"))],
            SizeText(20));
  PressKey(window, list, VK_INSERT);
  EXPECT_EQ(SelectedNames(list), (std::vector<std::string>{"Zebra", "alpha.txt"}));
  ListView(list).SetItemState(IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "Zebra"), LVIS_FOCUSED, LVIS_FOCUSED);
  PressKey(window, list, VK_INSERT);
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"alpha.txt"});
}

// Space on a folder marks it and counts its size as a job: the Size column
// shows it, the selection line adds it; Alt+Shift+Enter counts every folder,
// and a list sorted by size then orders its folders by it.
TEST_F(QuickSearchTest, SpaceAndAltShiftEnterCountFolders) {
  data_.Write("reports\\a.bin", std::string(1000, 'a'));
  data_.Make("reports\\deeper");
  data_.Write("reports\\deeper\\b.bin", std::string(350, 'b'));
  data_.Write("Zebra\\c.bin", std::string(20, 'c'));
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  FilePanel& panel = window.Panels().Panel(Side::kLeft);
  const auto sizeOf = [&](const std::string& name) {
    const int row = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), name);
    return row < 0 ? std::string("?") : run.RowTexts(IDC_LEFT_LIST, 1)[static_cast<size_t>(row)];
  };
  EXPECT_EQ(sizeOf("reports"), kFolderSizeText);
  const int reports = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "reports");
  panel.ClearSelection();
  ListView(list).SetItemState(reports, LVIS_FOCUSED, LVIS_FOCUSED);
  PressKey(window, list, VK_SPACE);
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"reports"});
  ASSERT_TRUE(PumpUntil(window, [&] { return !panel.Counting(); }));
  EXPECT_EQ(sizeOf("reports"), SizeText(1350));
  EXPECT_EQ(sizeOf("Zebra"), kFolderSizeText);
  EXPECT_NE(px::Window(run.Item(IDC_LEFT_SELECTION)).Text().find(": 1 350 of "), std::string::npos)
      << px::Window(run.Item(IDC_LEFT_SELECTION)).Text();

  PressKey(window, list, VK_F6, kCtrl);  // by size
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"reports"});
  PressKey(window, list, VK_RETURN, kAlt | kShift);
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"reports"});
  ASSERT_TRUE(PumpUntil(window, [&] { return !panel.Counting(); }));
  EXPECT_EQ(sizeOf("Zebra"), SizeText(20));
  const std::vector<std::string> rows = run.RowTexts(IDC_LEFT_LIST, 0);
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[1], "Zebra");
  EXPECT_EQ(rows[2], "reports");
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"reports"});  // marks kept by name
  // Listed again, the counts are gone.
  window.Panels().RefreshActive();
  EXPECT_EQ(sizeOf("reports"), kFolderSizeText);
}

// A count that waits on a slow folder shows on the path line and Esc stops
// it; a subfolder that cannot be read is said there after the count, whose
// figure is of what could be read.
TEST_F(QuickSearchTest, EscStopsACountAndUnreadableFoldersAreSaid) {
  data_.Write("reports\\a.bin", std::string(1000, 'a'));
  data_.Make("reports\\deeper");
  data_.Write("reports\\deeper\\b.bin", std::string(350, 'b'));
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  FilePanel& panel = window.Panels().Panel(Side::kLeft);
  struct Restore {
    ~Restore() { FailListingsForTests(L"", -1); }
  } restore;
  const auto pathLine = [&] { return px::Window(run.Item(IDC_LEFT_PATH)).Text(); };
  const int reports = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "reports");
  FailListingsForTests(L"deeper", kHoldListing);
  panel.ClearSelection();
  ListView(list).SetItemState(reports, LVIS_FOCUSED, LVIS_FOCUSED);
  PressKey(window, list, VK_SPACE);
  ASSERT_TRUE(panel.Counting());
  EXPECT_NE(pathLine().find(EnglishTexts().Text(text::kCountingNote)), std::string::npos) << pathLine();
  PressKey(window, list, VK_ESCAPE);
  EXPECT_FALSE(panel.Counting());
  EXPECT_EQ(pathLine(), root_ + "*.*");
  FailListingsForTests(L"deeper", kRefuseListing);  // lets the held one go, refused
  panel.ClearSelection();
  ListView(list).SetItemState(reports, LVIS_FOCUSED, LVIS_FOCUSED);
  PressKey(window, list, VK_SPACE);
  ASSERT_TRUE(PumpUntil(window, [&] { return !panel.Counting(); }));
  EXPECT_EQ(run.RowTexts(IDC_LEFT_LIST, 1)[static_cast<size_t>(reports)], SizeText(1000));
  EXPECT_EQ(pathLine(), root_ + "*.*" + FormatText(EnglishTexts().Text(text::kCountUnreadable), {1}));
}

}  // namespace
}  // namespace px::test
