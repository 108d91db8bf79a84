// The search dialog over real folders and over generated ones, driven by
// control id: matching, start folders, stopping, closing during a walk, many
// results, the name history and going to a result.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/fs/FileAttributes.h"
#include "core/language/TextFormat.h"
#include "framework/Controls.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"
#include "panels/PanelPair.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "ui/SearchDialog.h"

namespace px::test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> ListBoxLines(HWND listBox) {
  std::vector<std::string> lines;
  const int count = static_cast<int>(SendMessageW(listBox, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const int length = static_cast<int>(SendMessageW(listBox, LB_GETTEXTLEN, i, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    lines.push_back(Narrow(text));
  }
  return lines;
}

// A control anywhere below window, by id.
HWND FindChild(HWND window, int id) {
  struct Search {
    int id;
    HWND found = nullptr;
  } search{id};
  EnumChildWindows(
      window,
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto* search = reinterpret_cast<Search*>(lParam);
        if (GetDlgCtrlID(hwnd) != search->id) return TRUE;
        search->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Folders made up on the fly: the root holds `folders` subfolders d0, d1...,
// each of them `files` files; with `endless` every folder below the root also
// holds a subfolder, so the walk never ends by itself.
class GeneratedSource : public DirectorySource {
 public:
  GeneratedSource(std::string root, int folders, int files, bool endless = false,
                  int delayMs = 0)
      : root_(std::move(root)), folders_(folders), files_(files), endless_(endless),
        delayMs_(delayMs) {}

  ListStatus Enumerate(const std::string& folder,
                       const std::function<void(FoundEntry&&)>& sink) override {
    ++active;
    if (delayMs_ > 0) Sleep(static_cast<DWORD>(delayMs_));
    const bool root = folder == root_;
    if (root) {
      for (int i = 0; i < folders_; ++i) sink({"d" + std::to_string(i), 0, 0, kAttrDirectory});
    } else {
      if (endless_) sink({"deeper", 0, 0, kAttrDirectory});
      for (int i = 0; i < files_; ++i)
        sink({"file" + std::to_string(i) + ".txt", 2048, 0, kAttrArchive});
    }
    --active;
    return ListStatus::kOk;
  }

  std::atomic<int> active{0};

 private:
  std::string root_;
  int folders_, files_;
  bool endless_;
  int delayMs_;
};

class SearchDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = tree_.Path();
    tree_.Write("MyDocs.txt", "x");
    tree_.Write("DOC.TXT", std::string(3000, 'x'));
    tree_.Write("a.TXT", "x");
    tree_.Write("a.txt.bak", "x");
    tree_.Make("Sub");
    tree_.Write("Sub\\deep doc.md", "x");
    tree_.Write("Sub\\b.txt", "x");
    settings_ = PanelSettings(root_, root_);
  }

  // Opens the dialog without a loop of its own over the given panel folder.
  std::unique_ptr<SearchDialog> Open(RunningWindow& run, const std::string& panelFolder) {
    auto dialog = std::make_unique<SearchDialog>(run.Window().Context());
    dialog->panelFolder = panelFolder;
    EXPECT_TRUE(dialog->Create(run.Handle()));
    ShowWindow(dialog->Handle(), SW_SHOW);
    return dialog;
  }

  static void SetText(SearchDialog& dialog, int id, const std::string& text) {
    px::Window(dialog.Control(id)).SetText(text);
  }
  static std::string Text(SearchDialog& dialog, int id) {
    return px::Window(dialog.Control(id)).Text();
  }
  // Sets a check box or radio button and tells its page, as a click does.
  static void Click(SearchDialog& dialog, int id, bool on) {
    HWND button = dialog.Control(id);
    SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    // One radio button of the pair is checked at a time.
    if (on && (id == IDC_SEARCH_LAST || id == IDC_SEARCH_BETWEEN)) {
      const int other = id == IDC_SEARCH_LAST ? IDC_SEARCH_BETWEEN : IDC_SEARCH_LAST;
      SendMessageW(dialog.Control(other), BM_SETCHECK, BST_UNCHECKED, 0);
    }
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
  static void Press(SearchDialog& dialog, int id) {
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.Item(id)));
  }
  // Handles one message if there is one; false when there was none.
  static bool Step(SearchDialog& dialog) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (!dialog.PreTranslateMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return true;
  }
  // Handles messages for a while (a walk that never ends keeps the queue busy).
  static void PumpFor(SearchDialog& dialog, int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < end) {
      if (!Step(dialog)) Sleep(1);
    }
  }
  // Handles messages until the search has ended and its thread is gone.
  static bool WaitUntilIdle(SearchDialog& dialog, int timeoutMs = 20000) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
      if (!dialog.Searching() && !dialog.WalkAlive()) {
        while (Step(dialog)) {
        }
        return true;
      }
      if (!Step(dialog)) Sleep(1);
    }
    return false;
  }
  std::vector<std::string> Search(SearchDialog& dialog, const std::string& name) {
    SetText(dialog, IDC_SEARCH_NAME, name);
    Press(dialog, IDC_SEARCH_START);
    EXPECT_TRUE(WaitUntilIdle(dialog));
    return ListBoxLines(dialog.Control(IDC_SEARCH_RESULTS));
  }
  std::string Status(uint64_t files, uint64_t folders) {
    return FormatText(EnglishTexts().Text(text::kSearchStatus), {files, folders});
  }

  TempFolder tree_;
  std::string root_;
  std::string settings_;
};

TEST_F(SearchDialogTest, NamesMasksAndOptionsFindTheRightEntries) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, root_);
  EXPECT_EQ(Text(*dialog, IDC_SEARCH_FOLDER), root_.substr(0, root_.size() - 1));
  const std::string r = root_;
  struct Row {
    std::string name;
    bool subfolders, folders;
    std::set<std::string> lines;
  } rows[] = {
      {"doc", true, true, {r + "MyDocs.txt", r + "DOC.TXT", r + "Sub\\deep doc.md"}},
      {"doc", false, true, {r + "MyDocs.txt", r + "DOC.TXT"}},
      {"*.txt", true, true, {r + "MyDocs.txt", r + "DOC.TXT", r + "a.TXT", r + "Sub\\b.txt"}},
      {"", false, true, {r + "MyDocs.txt", r + "DOC.TXT", r + "a.TXT", r + "a.txt.bak",
                         "<" + r + "Sub>"}},
      {"s*", true, false, {}},
      {"s*", true, true, {"<" + r + "Sub>"}},
  };
  for (const Row& row : rows) {
    Click(*dialog, IDC_SEARCH_SUBFOLDERS, row.subfolders);
    Click(*dialog, IDC_SEARCH_FOLDERS_TOO, row.folders);
    const std::vector<std::string> lines = Search(*dialog, row.name);
    EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()), row.lines) << row.name;
    const size_t folders = std::count_if(lines.begin(), lines.end(),
                                         [](const std::string& l) { return l[0] == '<'; });
    EXPECT_EQ(Text(*dialog, IDC_SEARCH_STATUS), Status(lines.size() - folders, folders));
    EXPECT_EQ(px::Window(dialog->Item(IDC_SEARCH_START)).Text(),
              EnglishTexts().Text(text::kSearchStart));
    EXPECT_EQ(dialog->CurrentPage(), SearchDialog::kResultsPage);
  }
}

TEST_F(SearchDialogTest, StartFoldersDriveRootsRelativeAndMissing) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, root_);
  Click(*dialog, IDC_SEARCH_SUBFOLDERS, false);
  SetText(*dialog, IDC_SEARCH_FOLDER, "C:\\");
  std::vector<std::string> lines = Search(*dialog, "windows");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "<C:\\windows>"), lines.end());
  for (const std::string& line : lines) {
    EXPECT_TRUE(line.rfind("C:\\", 0) == 0 || line.rfind("<C:\\", 0) == 0) << line;
    EXPECT_EQ(line.find("\\\\"), std::string::npos) << line;
  }
  // A relative start folder is taken from the panel's folder.
  SetText(*dialog, IDC_SEARCH_FOLDER, "Sub");
  lines = Search(*dialog, "");
  EXPECT_EQ(lines, (std::vector<std::string>{root_ + "Sub\\b.txt", root_ + "Sub\\deep doc.md"}));

  SetText(*dialog, IDC_SEARCH_FOLDER, root_ + "missing");
  DialogResponder responder(IDOK);
  lines = Search(*dialog, "");
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(responder.SeenText(), EnglishTexts().Text(text::kSearchFolderMissing));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(Text(*dialog, IDC_SEARCH_STATUS), Status(0, 0));
}

// A folder whose listing breaks off is searched as far as it was read, and
// the status says that the answer may not be whole.
TEST_F(SearchDialogTest, AFolderReadOnlyInPartIsReported) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, root_);
  FailListingsForTests(Widen(root_ + "Sub\\"), 3);  // ".", ".." and one entry
  struct Restore {
    ~Restore() { FailListingsForTests(L"", -1); }
  } restore;
  const std::vector<std::string> lines = Search(*dialog, "");
  const size_t inSub = std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.rfind(root_ + "Sub\\", 0) == 0;
  });
  EXPECT_EQ(inSub, 1u);
  const size_t folders = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == '<'; });
  EXPECT_EQ(Text(*dialog, IDC_SEARCH_STATUS),
            Status(lines.size() - folders, folders) +
                FormatText(EnglishTexts().Text(text::kSearchNotFullyRead), {1}));
  FailListingsForTests(L"", -1);
  Search(*dialog, "");
  EXPECT_EQ(Text(*dialog, IDC_SEARCH_STATUS).find(';'), std::string::npos);
}

TEST_F(SearchDialogTest, ASymbolicLinkLoopIsListedButNotEntered) {
  tree_.Make("A");
  if (!MakeSymbolicLink(root_ + "A\\", "..", "loop")) GTEST_SKIP() << "no link could be made";
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, root_);
  const std::vector<std::string> lines = Search(*dialog, "");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "<" + root_ + "A\\loop>"), lines.end());
  for (const std::string& line : lines) EXPECT_EQ(line.find("loop\\"), std::string::npos) << line;
}

TEST_F(SearchDialogTest, ASecondPressStopsAtOnceAndShowsTheCountsReached) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, "X:\\");
  auto source = std::make_shared<GeneratedSource>("X:\\", 3, 200, true, 5);
  dialog->source = source;
  SetText(*dialog, IDC_SEARCH_NAME, "");
  const auto pressed = Clock::now();
  Press(*dialog, IDC_SEARCH_START);
  // The press returns at once (a walk held on the press takes seconds).
  EXPECT_LT(Clock::now() - pressed, std::chrono::milliseconds(1000));
  EXPECT_EQ(px::Window(dialog->Item(IDC_SEARCH_START)).Text(),
            EnglishTexts().Text(text::kSearchStop));
  PumpFor(*dialog, 300);
  ASSERT_TRUE(dialog->Searching());

  // Enter presses the default button: the second press.
  SendMessageW(dialog->Handle(), WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(dialog->Searching());
  EXPECT_EQ(px::Window(dialog->Item(IDC_SEARCH_START)).Text(),
            EnglishTexts().Text(text::kSearchStart));
  const size_t shownAtStop = ListBoxLines(dialog->Control(IDC_SEARCH_RESULTS)).size();
  ASSERT_TRUE(WaitUntilIdle(*dialog, 1000));
  const std::vector<std::string> lines = ListBoxLines(dialog->Control(IDC_SEARCH_RESULTS));
  EXPECT_GT(lines.size(), 0u);
  EXPECT_EQ(lines.size(), shownAtStop);
  const size_t folders = std::count_if(lines.begin(), lines.end(),
                                       [](const std::string& l) { return l[0] == '<'; });
  EXPECT_EQ(Text(*dialog, IDC_SEARCH_STATUS), Status(lines.size() - folders, folders));
  EXPECT_EQ(source->active.load(), 0);
}

TEST_F(SearchDialogTest, ClosingDuringAWalkLeavesNoWalkBehind) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, "X:\\");
  auto source = std::make_shared<GeneratedSource>("X:\\", 3, 500, true, 2);
  dialog->source = source;
  Press(*dialog, IDC_SEARCH_START);
  PumpFor(*dialog, 150);
  ASSERT_TRUE(dialog->Searching());
  SendMessageW(dialog->Handle(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(dialog->IsEnded());
  EXPECT_FALSE(dialog->WalkAlive());
  EXPECT_EQ(source->active.load(), 0);
  // Wake-ups the walk queued before it ended find no dialog.
  dialog.reset();
  Sleep(20);
  Pump();
}

TEST_F(SearchDialogTest, AHundredThousandResultsComeInWithoutBlockingTheDialog) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, "X:\\");
  dialog->source = std::make_shared<GeneratedSource>("X:\\", 100, 1000);
  Click(*dialog, IDC_SEARCH_FOLDERS_TOO, false);
  Press(*dialog, IDC_SEARCH_START);
  const auto started = Clock::now();
  // How long the dialog keeps one message waiting at most.
  Clock::duration longestPump{};
  while (dialog->Searching() || dialog->WalkAlive()) {
    const auto before = Clock::now();
    if (!Step(*dialog)) Sleep(1);
    longestPump = std::max(longestPump, Clock::now() - before);
    ASSERT_LT(Clock::now() - started, std::chrono::seconds(120));
  }
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
  HWND list = dialog->Control(IDC_SEARCH_RESULTS);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 100000);
  EXPECT_EQ(Text(*dialog, IDC_SEARCH_STATUS), Status(100000, 0));
  // A dialog held by the walk waits seconds; a loaded machine alone can hold
  // one message for a few hundred milliseconds (the 100 ms the window must
  // keep to is measured side by side in the benchmarks, not here).
  EXPECT_LT(longestPump, std::chrono::milliseconds(1000));
  RecordProperty("milliseconds", static_cast<int>(took.count()));
  EXPECT_GT(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

TEST_F(SearchDialogTest, FilterPageEnablingAndSpins) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, root_);
  const std::vector<int> dateEdits = {IDC_SEARCH_FIRST_DAY,  IDC_SEARCH_FIRST_MONTH,
                                      IDC_SEARCH_FIRST_YEAR, IDC_SEARCH_SECOND_DAY,
                                      IDC_SEARCH_SECOND_MONTH, IDC_SEARCH_SECOND_YEAR};
  const std::vector<int> period = {IDC_SEARCH_PERIOD_COUNT, IDC_SEARCH_PERIOD_SPIN,
                                   IDC_SEARCH_PERIOD_UNIT};
  const std::vector<int> size = {IDC_SEARCH_SIZE_MODE, IDC_SEARCH_SIZE, IDC_SEARCH_SIZE_SPIN};
  auto enabled = [&](const std::vector<int>& ids) {
    std::string states;
    for (int id : ids) states += IsWindowEnabled(dialog->Control(id)) ? '1' : '0';
    return states;
  };
  const std::vector<int> radios = {IDC_SEARCH_BETWEEN, IDC_SEARCH_LAST};
  EXPECT_EQ(enabled(radios) + enabled(dateEdits) + enabled(period) + enabled(size),
            std::string(14, '0'));
  Click(*dialog, IDC_SEARCH_BY_DATE, true);
  EXPECT_EQ(enabled(radios) + enabled(dateEdits) + enabled(period), "11111111000");
  Click(*dialog, IDC_SEARCH_LAST, true);
  EXPECT_EQ(enabled(radios) + enabled(dateEdits) + enabled(period), "11000000111");
  Click(*dialog, IDC_SEARCH_BETWEEN, true);
  EXPECT_EQ(enabled(dateEdits) + enabled(period), "111111000");
  Click(*dialog, IDC_SEARCH_BY_DATE, false);
  EXPECT_EQ(enabled(radios) + enabled(dateEdits) + enabled(period), std::string(11, '0'));
  Click(*dialog, IDC_SEARCH_BY_SIZE, true);
  EXPECT_EQ(enabled(size), "111");
  Click(*dialog, IDC_SEARCH_BY_SIZE, false);
  EXPECT_EQ(enabled(size), "000");

  // The spins count the field itself, within its bounds (up reports -1).
  struct Row {
    int spin, field;
    std::string before;
    int delta;
    std::string after;
  } rows[] = {
      {IDC_SEARCH_PERIOD_SPIN, IDC_SEARCH_PERIOD_COUNT, "1", -1, "2"},
      {IDC_SEARCH_PERIOD_SPIN, IDC_SEARCH_PERIOD_COUNT, "0", 1, "0"},
      {IDC_SEARCH_PERIOD_SPIN, IDC_SEARCH_PERIOD_COUNT, "99999", -1, "99999"},
      {IDC_SEARCH_PERIOD_SPIN, IDC_SEARCH_PERIOD_COUNT, "x", -1, "1"},
      {IDC_SEARCH_SIZE_SPIN, IDC_SEARCH_SIZE, "999999999", -5, "999999999"},
      {IDC_SEARCH_SIZE_SPIN, IDC_SEARCH_SIZE, "10", 3, "7"},
  };
  for (const Row& row : rows) {
    SetText(*dialog, row.field, row.before);
    HWND spin = dialog->Control(row.spin);
    NMUPDOWN change{};
    change.hdr.hwndFrom = spin;
    change.hdr.idFrom = static_cast<UINT_PTR>(row.spin);
    change.hdr.code = UDN_DELTAPOS;
    change.iDelta = row.delta;
    SendMessageW(GetParent(spin), WM_NOTIFY, row.spin, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(Text(*dialog, row.field), row.after) << row.before << " " << row.delta;
  }
}

TEST_F(SearchDialogTest, SizeAndDateFiltersReachTheWalk) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, root_);
  Click(*dialog, IDC_SEARCH_BY_SIZE, true);  // at least 1 KB: only DOC.TXT, no folders
  std::vector<std::string> lines = Search(*dialog, "");
  EXPECT_EQ(lines, std::vector<std::string>{root_ + "DOC.TXT"});
  Click(*dialog, IDC_SEARCH_BY_SIZE, false);
  Click(*dialog, IDC_SEARCH_BY_DATE, true);
  SetText(*dialog, IDC_SEARCH_FIRST_DAY, "1");
  SetText(*dialog, IDC_SEARCH_FIRST_MONTH, "1");
  SetText(*dialog, IDC_SEARCH_FIRST_YEAR, "2005");
  SetText(*dialog, IDC_SEARCH_SECOND_YEAR, "2006");
  EXPECT_TRUE(Search(*dialog, "").empty());  // everything was written today
  Click(*dialog, IDC_SEARCH_LAST, true);     // within the last day
  EXPECT_EQ(Search(*dialog, "doc").size(), 3u);
}

TEST_F(SearchDialogTest, TheNameHistoryKeepsTwentyNamesInTheSettings) {
  RunningWindow run(settings_.c_str());
  {
    auto dialog = Open(run, root_);
    for (int i = 0; i < 22; ++i) Search(*dialog, "n" + std::to_string(i));
    Search(*dialog, "n21");  // once only
    HWND names = dialog->Control(IDC_SEARCH_NAME);
    EXPECT_EQ(SendMessageW(names, CB_GETCOUNT, 0, 0), 20);
    SendMessageW(dialog->Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(dialog->IsEnded());
  }
  const std::string file = run.SettingsFileText();
  for (int i = 0; i < 20; ++i) {
    const std::string line = std::to_string(i) + "=n" + std::to_string(21 - i) + "\r\n";
    EXPECT_NE(file.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(file.find("=n1\r\n"), std::string::npos);
  // Read back at the next start, sorted.
  auto again = Open(run, root_);
  HWND names = again->Control(IDC_SEARCH_NAME);
  ASSERT_EQ(SendMessageW(names, CB_GETCOUNT, 0, 0), 20);
  wchar_t first[16] = {};
  SendMessageW(names, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_EQ(Narrow(first), "n10");
}

TEST_F(SearchDialogTest, TheGoToButtonShowsOnTheResultPageOnly) {
  RunningWindow run(settings_.c_str());
  auto dialog = Open(run, root_);
  HWND tabs = dialog->Item(IDC_SEARCH_TABS);
  for (int page : {1, 2, 0, 2}) {
    SendMessageW(tabs, TCM_SETCURSEL, page, 0);
    NMHDR change{tabs, IDC_SEARCH_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(dialog->Handle(), WM_NOTIFY, IDC_SEARCH_TABS, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(dialog->CurrentPage(), page);
    EXPECT_EQ(px::Window(dialog->Item(IDC_SEARCH_GO_TO)).IsVisible(), page == 2);
  }
}

// Runs the command as the user does and goes to a folder result; the dialog
// is driven from a timer inside its own modal loop.
TEST_F(SearchDialogTest, GoingToAFolderResultSelectsItInTheActivePanel) {
  tree_.Make("Sub\\Inner");
  RunningWindow run(settings_.c_str());
  static int step = 0;
  static std::string wanted;
  step = 0;
  wanted = "<" + root_ + "Sub>";
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM found) -> BOOL {
          if (GetDlgItem(hwnd, IDC_SEARCH_START) == nullptr || !IsWindowVisible(hwnd)) return TRUE;
          *reinterpret_cast<HWND*>(found) = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;
    HWND list = FindChild(dialog, IDC_SEARCH_RESULTS);
    if (step == 0) {
      step = 1;
      px::Window(FindChild(dialog, IDC_SEARCH_FOLDER)).SetText(wanted.substr(1, wanted.size() - 6));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SEARCH_START, BN_CLICKED), 0);
    } else if (step == 1 && list != nullptr) {
      const std::vector<std::string> lines = ListBoxLines(list);
      const int index = IndexOf(lines, wanted);
      if (index < 0) return;
      step = 2;
      SendMessageW(list, LB_SETCURSEL, index, 0);
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SEARCH_GO_TO, BN_CLICKED), 0);
    }
  });
  // Somewhere else first, so that the jump has to change the folder.
  PanelPair& panels = run.Window().Panels();
  panels.GoToFolder(root_ + "Sub\\Inner\\", true);
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_KEY_SEARCH));
  KillTimer(nullptr, timer);
  ASSERT_EQ(step, 2);

  FilePanel& panel = panels.Active();
  EXPECT_EQ(panel.Path(), root_);
  const ListView& list = panel.List();
  const int selected = list.NextItem(-1, LVNI_SELECTED);
  ASSERT_GE(selected, 0);
  EXPECT_EQ(list.ItemText(selected, 0), "Sub");
  EXPECT_EQ(list.NextItem(selected, LVNI_SELECTED), -1);
  EXPECT_EQ(list.NextItem(-1, LVNI_FOCUSED), selected);
  EXPECT_EQ(panels.History(panels.ActiveSide()).Current(), root_);
}

}  // namespace
}  // namespace px::test
