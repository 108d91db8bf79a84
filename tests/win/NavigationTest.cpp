// Moving the panels with keys and commands on the real window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/FileSystemApi.h"
#include "core/language/TextFormat.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"

namespace px::test {
namespace {

int FocusedRow(HWND list) { return ListView(list).NextItem(-1, LVNI_FOCUSED); }

void PutCursorOn(RunningWindow& run, int listId, const std::string& name) {
  std::vector<std::string> names = run.RowTexts(listId, 0);
  int row = IndexOf(names, name);
  ASSERT_GE(row, 0) << name;
  FilePanel& panel = run.Window().Panels().Panel(listId == IDC_LEFT_LIST ? Side::kLeft : Side::kRight);
  panel.ClearSelection();
  panel.SetCursor(row);
}

class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    data_.Make("Alpha");
    data_.Make("Alpha\\Inner");
    data_.Make("Beta");
    data_.Make("Gamma");
    data_.Write("Alpha\\note.txt", "n");
    data_.Write("report.doc", "d");
    data_.Write("letter.doc", "d");
    data_.Write("notes.txt", "t");
    data_.Write("my file.txt", "f");
    settings_ = PanelSettings(root_, root_);
  }

  TempFolder data_;
  std::string root_;
  std::string settings_;
};

TEST_F(NavigationTest, EnterOpensFoldersAndBackspaceComesBackToThem) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  PutCursorOn(run, IDC_LEFT_LIST, "Alpha");
  PressKey(window, list, VK_RETURN);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "Alpha\\");
  EXPECT_EQ(FocusedRow(list), 0);
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(), root_ + "Alpha\\*.*");
  EXPECT_EQ(px::Window(run.Item(IDC_COMMAND_PROMPT)).Text(), root_ + "Alpha>");

  PressKey(window, list, VK_BACK);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_);
  EXPECT_EQ(FocusedName(list), "Alpha");
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"Alpha"});

  // Enter on the parent row goes up too.
  PutCursorOn(run, IDC_LEFT_LIST, "Beta");
  PressKey(window, list, VK_RETURN);
  PutCursorOn(run, IDC_LEFT_LIST, "..    ");
  PressKey(window, list, VK_RETURN);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_);
  EXPECT_EQ(FocusedName(list), "Beta");
}

TEST_F(NavigationTest, BackspaceAtADriveRootDoesNothing) {
  RunningWindow run;
  HWND list = run.Item(IDC_LEFT_LIST);
  int rows = ListView(list).ItemCount();
  PressKey(run.Window(), list, VK_BACK);
  EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Path(), "C:\\");
  EXPECT_EQ(ListView(list).ItemCount(), rows);
}

TEST_F(NavigationTest, TypingGoesToTheCommandLineAndArrowsComeBack) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_RIGHT_LIST);
  HWND commandLine = run.Item(IDC_COMMAND_LINE);
  SetFocus(list);
  Pump(&window);
  EXPECT_EQ(window.Panels().ActiveSide(), Side::kRight);
  TypeText(window, list, L"dir");
  EXPECT_EQ(GetFocus(), commandLine);
  EXPECT_EQ(px::Window(commandLine).Text(), "dir");
  PressKey(window, commandLine, VK_DOWN);
  EXPECT_EQ(GetFocus(), list);
  PressKey(window, commandLine, VK_UP);
  EXPECT_EQ(GetFocus(), list);
  EXPECT_EQ(px::Window(commandLine).Text(), "dir");
}

// A key aimed at a list reaches its panel first: what the panel takes never
// reaches the command line; what it leaves goes on as before.
TEST_F(NavigationTest, TheListsPanelSeesTypedKeysBeforeTheCommandLine) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_RIGHT_LIST);
  HWND commandLine = run.Item(IDC_COMMAND_LINE);
  std::wstring taken;
  window.Panels().Panel(Side::kRight).SetKeyHandler([&](MSG& msg) {
    if (msg.message != WM_CHAR || msg.wParam != L'q') return false;
    taken.push_back(static_cast<wchar_t>(msg.wParam));
    return true;
  });
  SetFocus(list);
  Pump(&window);
  TypeText(window, list, L"qaq");
  EXPECT_EQ(taken, L"qq");
  EXPECT_EQ(px::Window(commandLine).Text(), "a");
}

TEST_F(NavigationTest, TypingStaysInTheListWhenTheCommandLineIsHidden) {
  std::string settings = settings_ + "[Options]\r\nShowComLine=0\r\n";
  RunningWindow run(settings.c_str());
  HWND list = run.Item(IDC_LEFT_LIST);
  SetFocus(list);
  TypeText(run.Window(), list, L"x");
  EXPECT_EQ(GetFocus(), list);
  EXPECT_EQ(px::Window(run.Item(IDC_COMMAND_LINE)).Text(), "");
}

TEST_F(NavigationTest, CtrlEnterAppendsTheNameQuotedWhenItHasABlank) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND commandLine = run.Item(IDC_COMMAND_LINE);
  PutCursorOn(run, IDC_LEFT_LIST, "my file.txt");
  PressKey(window, list, VK_RETURN, kCtrl);
  PutCursorOn(run, IDC_LEFT_LIST, "notes.txt");
  PressKey(window, list, VK_RETURN, kCtrl);
  EXPECT_EQ(px::Window(commandLine).Text(), "\"my file.txt\" notes.txt ");
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_);
}

TEST_F(NavigationTest, AFailedLaunchIsReportedAndTheLineIsRemembered) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND commandLine = run.Item(IDC_COMMAND_LINE);
  px::Window(commandLine).SetText("no-such-program-here.exe /x");
  DialogResponder responder(IDOK);
  PressKey(window, commandLine, VK_RETURN);
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(responder.SeenText(), window.Texts().TextAt(20, 3));
  EXPECT_EQ(px::Window(commandLine).Text(), "");
  px::Window(commandLine).SetText("NO-SUCH-program-here.exe /x   ");
  DialogResponder again(IDOK);
  PressKey(window, commandLine, VK_RETURN);
  std::vector<std::string> expected = {"NO-SUCH-program-here.exe /x"};
  EXPECT_EQ(window.CommandLine().History().Lines(), expected);
  // Blanks alone run nothing and are not remembered.
  px::Window(commandLine).SetText("   ");
  PressKey(window, commandLine, VK_RETURN);
  EXPECT_EQ(window.CommandLine().History().Lines(), expected);
}

TEST_F(NavigationTest, MaskSelectionSelectsMatchingFilesOnly) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  {
    DialogResponder responder({{IDOK, IDC_MASK_EDIT, "*.*"}});
    PressKey(window, list, VK_ADD);
    EXPECT_TRUE(responder.Answered());
  }
  std::vector<std::string> all = {"letter.doc", "my file.txt", "notes.txt", "report.doc"};
  EXPECT_EQ(SelectedNames(list), all);
  {
    DialogResponder responder({{IDOK, IDC_MASK_EDIT, "*.doc"}});
    PressKey(window, list, VK_ADD);
  }
  std::vector<std::string> docs = {"letter.doc", "report.doc"};
  EXPECT_EQ(SelectedNames(list), docs);
  {
    DialogResponder responder({{IDOK, IDC_MASK_EDIT, "l*"}});
    PressKey(window, list, VK_SUBTRACT);
  }
  EXPECT_EQ(SelectedNames(list), std::vector<std::string>{"report.doc"});
}

// Insert turns the cursor row's mark over and moves down, the other marks
// kept; Space does the same while the command line is empty, and is typed
// into it otherwise. The parent row is never marked; the last row keeps the
// cursor.
TEST_F(NavigationTest, InsertAndSpaceMarkAndMoveDown) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND commandLine = run.Item(IDC_COMMAND_LINE);
  SetFocus(list);
  window.Panels().Panel(Side::kLeft).ClearSelection();
  window.Panels().Panel(Side::kLeft).SetCursor(0);
  ListView(list).SetItemState(0, 0, LVIS_SELECTED);
  PressKey(window, list, VK_INSERT);  // the parent row: not marked, the cursor goes on
  EXPECT_TRUE(SelectedNames(list).empty());
  PressKey(window, list, VK_INSERT);
  PressKey(window, list, VK_SPACE);
  EXPECT_EQ(SelectedNames(list), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(FocusedName(list), "Gamma");
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).EntryAtCursor()->name, "Gamma");
  // With text in the command line a blank is typed there.
  px::Window(commandLine).SetText("dir");
  PressKey(window, list, VK_SPACE);
  EXPECT_EQ(SelectedNames(list), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(GetFocus(), commandLine);
  px::Window(commandLine).SetText("");
  SetFocus(list);
  PressKey(window, list, VK_INSERT);
  EXPECT_EQ(SelectedNames(list), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
  // Insert on a marked row takes the mark away.
  const int beta = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "Beta");
  ListView(list).SetItemState(beta, LVIS_FOCUSED, LVIS_FOCUSED);
  PressKey(window, list, VK_INSERT);
  EXPECT_EQ(SelectedNames(list), (std::vector<std::string>{"Alpha", "Gamma"}));
  // The last row: marked, and the cursor stays on it.
  const int last = ListView(list).ItemCount() - 1;
  ListView(list).SetItemState(last, LVIS_FOCUSED, LVIS_FOCUSED);
  PressKey(window, list, VK_INSERT);
  PressKey(window, list, VK_INSERT);
  EXPECT_EQ(FocusedRow(list), last);
  EXPECT_EQ(SelectedNames(list).size(), 2u);
}

// The line under each panel adds up the marks as they are given and taken:
// select all, one mark more or less, none; hidden by its setting, the list
// takes its room.
TEST_F(NavigationTest, TheSelectionLineAddsUpTheMarks) {
  data_.Write("big.bin", std::string(1234567, 'b'));
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND line = run.Item(IDC_LEFT_SELECTION);
  ASSERT_TRUE(IsWindowVisible(line));
  const auto text = [&] { return px::Window(line).Text(); };
  // Files: report.doc, letter.doc, notes.txt, my file.txt (1 byte each) and big.bin.
  EXPECT_EQ(text(), "0 of 5 files, 0 of 3 folders marked: 0 of 1 234 571 bytes");
  PressKey(window, list, VK_ADD, kCtrl);
  EXPECT_EQ(text(), "5 of 5 files, 3 of 3 folders marked: 1 234 571 of 1 234 571 bytes");
  const int big = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), "big.bin");
  ASSERT_GE(big, 0);
  ListView(list).SetItemState(big, LVIS_FOCUSED, LVIS_FOCUSED);
  PressKey(window, list, VK_INSERT);
  EXPECT_EQ(text(), "4 of 5 files, 3 of 3 folders marked: 4 of 1 234 571 bytes");
  PressKey(window, list, VK_SUBTRACT, kCtrl);
  EXPECT_EQ(text(), "0 of 5 files, 0 of 3 folders marked: 0 of 1 234 571 bytes");
  // The other panel keeps its own figures; a new folder starts again.
  EXPECT_EQ(px::Window(run.Item(IDC_RIGHT_SELECTION)).Text(), "0 of 5 files, 0 of 3 folders marked: 0 of 1 234 571 bytes");
  const RECT shown = run.ControlRect(IDC_LEFT_LIST);

  Options hidden = window.GetOptions();
  hidden.showSelectionLine = 0;
  window.MutableOptions() = hidden;
  window.ApplyViewOptions();
  EXPECT_FALSE(IsWindowVisible(line));
  EXPECT_EQ(run.ControlRect(IDC_LEFT_LIST).bottom, shown.bottom + kSelectionLineHeight);
}

TEST_F(NavigationTest, SelectAllLeavesTheParentOut) {
  std::string settings = "[Left]\r\nPath=" + root_ + "Alpha\\\r\n";
  RunningWindow run(settings.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  PressKey(window, list, VK_ADD, kCtrl);
  std::vector<std::string> expected = {"Inner", "note.txt"};
  EXPECT_EQ(SelectedNames(list), expected);
  PressKey(window, list, VK_SUBTRACT, kCtrl);
  EXPECT_TRUE(SelectedNames(list).empty());
}

TEST_F(NavigationTest, ViewKeysSwitchListAndDetails) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  PressKey(window, list, VK_F1, kCtrl);
  EXPECT_EQ(ListView(list).ViewStyle(), static_cast<DWORD>(LVS_LIST));
  FilePanel& panel = window.Panels().Panel(Side::kLeft);
  EXPECT_EQ(panel.CaptureState().viewMode, kViewList);
  PressKey(window, list, VK_F2, kCtrl);
  EXPECT_EQ(ListView(list).ViewStyle(), static_cast<DWORD>(LVS_REPORT));
  // What only the controls know goes into the panel's state when asked.
  const std::vector<std::string> rows = run.RowTexts(IDC_LEFT_LIST, 0);
  ASSERT_GE(rows.size(), 2u);
  panel.ClearSelection();
  panel.SetCursor(1);
  const PanelState& state = panel.CaptureState();
  EXPECT_EQ(state.viewMode, kViewDetails);
  EXPECT_EQ(state.cursorName, rows[1]);
  EXPECT_EQ(state.selectedNames, std::vector<std::string>{rows[1]});
  EXPECT_EQ(state.folder, panel.Path());
}

TEST_F(NavigationTest, HistoryMovesBackAndForwardAndTruncates) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  SetFocus(list);
  Pump(&window);
  window.Panels().GoToFolder(root_ + "Alpha\\", true);
  window.Panels().GoToFolder(root_ + "Beta\\", true);
  window.Panels().GoToFolder(root_ + "Gamma\\", true);
  PressKey(window, list, VK_LEFT, kAlt);
  PressKey(window, list, VK_LEFT, kAlt);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "Alpha\\");
  PressKey(window, list, VK_RIGHT, kAlt);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "Beta\\");
  window.Panels().GoToFolder(root_ + "Gamma\\", true);
  std::vector<std::string> expected = {root_, root_ + "Alpha\\", root_ + "Beta\\",
                                       root_ + "Gamma\\"};
  EXPECT_EQ(window.Panels().History(Side::kLeft).Entries(), expected);
  // Back twice, then a new folder drops what came after.
  PressKey(window, list, VK_LEFT, kAlt);
  PressKey(window, list, VK_LEFT, kAlt);
  window.Panels().GoToFolder(root_ + "Alpha\\Inner\\", true);
  expected = {root_, root_ + "Alpha\\", root_ + "Alpha\\Inner\\"};
  EXPECT_EQ(window.Panels().History(Side::kLeft).Entries(), expected);
  PressKey(window, list, VK_RIGHT, kAlt);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "Alpha\\Inner\\");
}

TEST_F(NavigationTest, HistoryDialogChoosesAFolder) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  window.Panels().GoToFolder(root_ + "Alpha\\", true);
  window.Panels().GoToFolder(root_ + "Beta\\", true);
  // Newest first, the current folder selected: one line down is Alpha.
  DialogResponder responder({{IDOK, 0, ""}});
  struct Mover {
    static void CALLBACK Move(HWND, UINT, UINT_PTR id, DWORD) {
      HWND dialog = GetActiveWindow();
      HWND box = GetDlgItem(dialog, IDC_FOLDER_HISTORY_LIST);
      if (box == nullptr) return;
      KillTimer(nullptr, id);
      SendMessageW(box, LB_SETCURSEL, 1, 0);
    }
  };
  UINT_PTR timer = SetTimer(nullptr, 0, 10, &Mover::Move);
  window.ExecuteCommand(10018);
  KillTimer(nullptr, timer);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "Alpha\\");
  EXPECT_EQ(window.Panels().History(Side::kLeft).Cursor(), 1u);
}

TEST_F(NavigationTest, DriveBoxChangesTheDrive) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  ComboBoxEx box(run.Item(IDC_LEFT_DRIVE));
  int z = -1;
  for (int i = 0; i < box.Count(); ++i)
    if (box.ItemText(i) == "Z:\\") z = i;
  ASSERT_GE(z, 0);
  box.Select(z);
  SendMessageW(run.Handle(), WM_COMMAND, MAKEWPARAM(IDC_LEFT_DRIVE, CBN_SELENDOK),
               reinterpret_cast<LPARAM>(box.Handle()));
  Pump(&window);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), "Z:\\");
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(), "Z:\\*.*");
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).DriveIndex(), z);
  EXPECT_EQ(GetFocus(), run.Item(IDC_LEFT_LIST));
  EXPECT_EQ(window.Panels().History(Side::kLeft).Current(), "Z:\\");
  // A cancelled drop-down gives the focus back to the list.
  SetFocus(run.Item(IDC_RIGHT_DRIVE));
  SendMessageW(run.Handle(), WM_COMMAND, MAKEWPARAM(IDC_RIGHT_DRIVE, CBN_SELENDCANCEL),
               reinterpret_cast<LPARAM>(run.Item(IDC_RIGHT_DRIVE)));
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_RIGHT_LIST);
}

int notReadyCalls = 0;
unsigned long NotReadyTwice(const std::string&) {
  return ++notReadyCalls <= 2 ? ERROR_NOT_READY : ERROR_SUCCESS;
}
unsigned long NeverReady(const std::string&) { return ERROR_NOT_READY; }

TEST_F(NavigationTest, DriveThatIsNotReadyAsksRetryOrCancel) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  ComboBoxEx box(run.Item(IDC_LEFT_DRIVE));
  int c = window.Panels().Panel(Side::kLeft).DriveIndex();
  int z = c == 0 ? 1 : 0;
  ASSERT_GT(box.Count(), 1);
  auto pick = [&] {
    box.Select(z);
    SendMessageW(run.Handle(), WM_COMMAND, MAKEWPARAM(IDC_LEFT_DRIVE, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(box.Handle()));
    Pump(&window);
  };
  window.Panels().SetDriveProbe(&NeverReady);
  {
    DialogResponder responder(IDCANCEL);
    pick();
    EXPECT_TRUE(responder.Answered());
    EXPECT_NE(responder.SeenText().find(box.ItemText(z)), std::string::npos);
  }
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_);
  EXPECT_EQ(box.Selection(), c);
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_LEFT_LIST);

  window.Panels().SetDriveProbe(&NotReadyTwice);
  {
    DialogResponder responder({IDRETRY, IDRETRY});
    pick();
    EXPECT_TRUE(responder.Answered());
  }
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), box.ItemText(z));
  window.Panels().SetDriveProbe(&ProbeDrive);
}

TEST_F(NavigationTest, HostileLanguageTextsAreShownAsTyped) {
  // Table 12 entry 0 is the not-ready message, formatted with one string.
  std::string hostile;
  for (int i = 0; i < 10 + 44 + 7 + 3 + 2 + 14 + 7 + 8 + 9 + 7 + 5 + 2; ++i) hostile += "'x'\r\n";
  hostile += "'%n%s%s%i%'\r\n";
  std::string settings = settings_ + "[Options]\r\nLanguage=Hostile\r\n";
  RunningWindow run(settings.c_str(), [&](TempFolder& start) {
    start.Write("Language\\Hostile.lng", hostile);
  });
  MainWindow& window = run.Window();
  window.Panels().SetDriveProbe(&NeverReady);
  ComboBoxEx box(run.Item(IDC_LEFT_DRIVE));
  box.Select(0);
  DialogResponder responder(IDCANCEL);
  SendMessageW(run.Handle(), WM_COMMAND, MAKEWPARAM(IDC_LEFT_DRIVE, CBN_SELENDOK),
               reinterpret_cast<LPARAM>(box.Handle()));
  Pump(&window);
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(responder.SeenText(), "%n" + box.ItemText(0) + "%s%i%");
  window.Panels().SetDriveProbe(&ProbeDrive);
}

TEST_F(NavigationTest, AVanishedHistoryFolderShowsNoRows) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  window.Panels().GoToFolder(root_ + "Gamma\\", true);
  window.Panels().GoToFolder(root_ + "Beta\\", true);
  RemoveDirectoryW(Widen(root_ + "Gamma").c_str());
  PressKey(window, list, VK_LEFT, kAlt);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_ + "Gamma\\");
  EXPECT_EQ(ListView(list).ItemCount(), 0);
  PressKey(window, list, VK_BACK);
  EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), root_);
}

TEST_F(NavigationTest, ActivePathLineIsDrawnInCaptionColours) {
  RunningWindow run(settings_.c_str());
  HDC dc = GetDC(run.Item(IDC_LEFT_PATH));
  LRESULT leftBrush = SendMessageW(run.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(run.Item(IDC_LEFT_PATH)));
  LRESULT rightBrush = SendMessageW(run.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(run.Item(IDC_RIGHT_PATH)));
  ReleaseDC(run.Item(IDC_LEFT_PATH), dc);
  EXPECT_EQ(leftBrush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_ACTIVECAPTION)));
  EXPECT_EQ(rightBrush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INACTIVECAPTION)));
}

}  // namespace
}  // namespace px::test
