// Launches from folders the shell cannot take, and renames in a folder that
// tells letter case apart, on the real window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"

namespace px::test {
namespace {

// Waits up to timeoutMs for path to appear (a launched program writes it).
bool Appears(const std::string& path, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (Exists(path)) return true;
    Pump();
    Sleep(50);
  }
  return Exists(path);
}

// A folder below base of exactly length characters, final backslash included.
std::string DeepFolder(const std::string& base, size_t length, char fill) {
  std::string path = base;
  while (path.size() < length) {
    size_t room = length - path.size() - 1;
    path += std::string(std::min<size_t>(room, 200), fill);
    CreateDirectoryW(FileApiPath(path).c_str(), nullptr);
    path += '\\';
  }
  return path;
}

// Runs a Unix shell line in folder (the platform's own calls cannot make two
// names that differ only in letter case) and waits until the folder holds
// exactly the names expected; false where that cannot run.
bool RunUnixShell(const std::string& folder, const std::string& line,
                  const std::vector<std::string>& expected) {
  std::wstring command = Widen("sh -c \"" + line + "\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      Widen(folder).c_str(), &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // The handle may end before the Unix process has done its work.
  for (int i = 0; i < 250 && NamesOnDisk(folder) != expected; ++i) Sleep(20);
  return NamesOnDisk(folder) == expected;
}

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = data_.Path(); }

  // The line typed into the command line and run with Enter, with the left
  // panel in folder; the text of the message box that answered, if any.
  std::string RunTyped(RunningWindow& run, const std::string& folder, const std::string& line) {
    MainWindow& window = run.Window();
    window.Panels().GoToFolder(folder, false);
    HWND commandLine = run.Item(IDC_COMMAND_LINE);
    px::Window(commandLine).SetText(line);
    DialogResponder responder(IDOK);
    PressKey(window, commandLine, VK_RETURN);
    return responder.Answered() ? responder.SeenText() : std::string();
  }

  TempFolder data_;
  std::string root_;
};

TEST_F(LaunchTest, ALineRunsInThePanelsFolderOrNotAtAll) {
  RunningWindow run(PanelSettings(root_, root_).c_str());
  const std::string pathNotFound = run.Window().Texts().TextAt(20, 4);
  // Past the longest working folder the shell ignored it and ran the line in
  // the system folder; far past it the shell's own code crashed.
  const size_t refused[] = {260, 535, 700};
  for (size_t length : refused) {
    std::string folder = DeepFolder(root_, length, 'r');
    std::string marker = root_ + "ran-" + std::to_string(length) + ".tmp";
    EXPECT_EQ(RunTyped(run, folder, "cmd /c echo x> " + marker), pathNotFound) << length;
    EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Path(), folder);
  }
  // A folder removed behind the panel's back cannot be the working directory either.
  std::string gone = data_.Make("gone");
  run.Window().Panels().GoToFolder(gone, false);
  // Removed by another program. (Under Wine a folder removed through the
  // platform stays until every handle on it is closed, and the panel's watch
  // holds one: the shell removes it at once, as Windows does.)
  ASSERT_TRUE(RunShell(root_, "rmdir gone"));
  EXPECT_EQ(RunTyped(run, gone, "cmd /c echo x> " + root_ + "ran-gone.tmp"), pathNotFound);
  // At the longest folder the line runs, there.
  std::string longest = DeepFolder(root_, 259, 'k');
  EXPECT_EQ(RunTyped(run, longest, "cmd /c echo x> here.tmp"), "");
  EXPECT_TRUE(Appears(longest + "here.tmp", 15000));
  // By now the refused lines would have run too.
  Sleep(300);
  for (size_t length : refused)
    EXPECT_FALSE(Exists(root_ + "ran-" + std::to_string(length) + ".tmp")) << length;
  EXPECT_FALSE(Exists(root_ + "ran-gone.tmp"));
}

TEST_F(LaunchTest, AProgramNameTooLongForTheShellIsNotFound) {
  RunningWindow run(PanelSettings(root_, root_).c_str());
  const std::string fileNotFound = run.Window().Texts().TextAt(20, 3);
  for (size_t length : {260, 1000, 4000})
    EXPECT_EQ(RunTyped(run, root_, std::string(length, 'q')), fileNotFound) << length;
  EXPECT_FALSE(run.Window().IsEnded());
}

TEST_F(LaunchTest, EnterAndTheEditorRefuseFoldersTheShellCannotTake) {
  std::string settings = PanelSettings(root_, root_) + "[Options]\r\nEditor=no-such-editor.exe\r\n";
  RunningWindow run(settings.c_str());
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  const std::string pathNotFound = window.Texts().TextAt(20, 4);
  struct Case {
    size_t folderLength;
    const char* name;  // folder and name together are past the shell's paths
  } const cases[] = {{250, "a-long-enough-name.cmd"}, {300, "run.cmd"}, {640, "run.cmd"}};
  for (const Case& c : cases) {
    std::string folder = DeepFolder(root_, c.folderLength, 'e');
    std::string marker = root_ + "opened-" + std::to_string(c.folderLength) + ".tmp";
    WriteBytes(folder + c.name, "echo x> " + marker + "\r\n");
    window.Panels().GoToFolder(folder, false);
    int row = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), c.name);
    ASSERT_GE(row, 0) << c.folderLength;
    window.Panels().Panel(Side::kLeft).ClearSelection();
    window.Panels().Panel(Side::kLeft).SetCursor(row);
    {
      DialogResponder responder(IDOK);
      PressKey(window, list, VK_RETURN);
      EXPECT_TRUE(responder.Answered()) << c.folderLength;
      EXPECT_EQ(responder.SeenText(), pathNotFound) << c.folderLength;
    }
    if (c.folderLength > 259) {
      DialogResponder responder(IDOK);
      window.ExecuteCommand(ID_KEY_EDIT);
      EXPECT_TRUE(responder.Answered()) << c.folderLength;
      EXPECT_EQ(responder.SeenText(), pathNotFound) << c.folderLength;
    }
    EXPECT_EQ(window.Panels().Panel(Side::kLeft).Path(), folder);
  }
  Sleep(1500);
  for (const Case& c : cases)
    EXPECT_FALSE(Exists(root_ + "opened-" + std::to_string(c.folderLength) + ".tmp"));
}

class CaseSensitiveRenameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = data_.Path();
    ready_ = RunUnixShell(root_, "echo lower> case.txt; echo upper> CASE.TXT",
                          {"CASE.TXT", "case.txt"});
  }

  static void Rename(RunningWindow& run, const std::string& from, const std::wstring& to) {
    RenameRow(run, from, to);
  }

  std::vector<std::string> SortedRows(RunningWindow& run) {
    std::vector<std::string> rows = run.RowTexts(IDC_LEFT_LIST, 0);
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const std::string& row) { return row.rfind("..", 0) == 0; }),
               rows.end());
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  TempFolder data_;
  std::string root_;
  bool ready_ = false;
};

TEST_F(CaseSensitiveRenameTest, ACaseOnlyRenameOntoAnotherFileIsRefused) {
  if (!ready_) GTEST_SKIP() << "no folder that tells letter case apart";
  RunningWindow run((PanelSettings(root_, root_) + "[Options]\r\nFastRename=1\r\n").c_str());
  Rename(run, "case.txt", L"CASE.TXT");
  const std::vector<std::string> both = {"CASE.TXT", "case.txt"};
  EXPECT_EQ(NamesOnDisk(root_), both);
  EXPECT_EQ(SortedRows(run), both);
  EXPECT_EQ(ReadBytes(root_ + "case.txt"), "lower\n");
  EXPECT_EQ(ReadBytes(root_ + "CASE.TXT"), "upper\n");

  // The row still names its own file.
  Rename(run, "case.txt", L"other.txt");
  const std::vector<std::string> renamed = {"CASE.TXT", "other.txt"};
  EXPECT_EQ(NamesOnDisk(root_), renamed);
  EXPECT_EQ(SortedRows(run), renamed);
  EXPECT_EQ(ReadBytes(root_ + "other.txt"), "lower\n");
  EXPECT_EQ(ReadBytes(root_ + "CASE.TXT"), "upper\n");
}

TEST_F(CaseSensitiveRenameTest, ARowWhoseFileIsGoneRenamesNothingAndIsListedAgain) {
  if (!ready_) GTEST_SKIP() << "no folder that tells letter case apart";
  RunningWindow run((PanelSettings(root_, root_) + "[Options]\r\nFastRename=1\r\n").c_str());
  // Removed behind the panel's back: the name now only matches the other
  // file ignoring case, which must not be the one renamed.
  ASSERT_TRUE(RunUnixShell(root_, "rm case.txt", {"CASE.TXT"}));
  Rename(run, "case.txt", L"gone.txt");
  EXPECT_EQ(NamesOnDisk(root_), std::vector<std::string>{"CASE.TXT"});
  EXPECT_EQ(SortedRows(run), std::vector<std::string>{"CASE.TXT"});
  EXPECT_EQ(ReadBytes(root_ + "CASE.TXT"), "upper\n");
}

}  // namespace
}  // namespace px::test
