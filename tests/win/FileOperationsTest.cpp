// Copy, move and delete on the real window: the questions and their answers,
// the progress window's layouts, cancelling, the cursor after a run, and what
// is left on disk.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/Controls.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "fileops/Win32FileSystem.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

class FileOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    left_ = data_.Make("left");
    right_ = data_.Make("right");
  }
  std::string Settings(int recycle = 0) {
    return PanelSettings(left_, right_) + "[Options]\r\nRecycle=" + std::to_string(recycle) +
           "\r\n";
  }
  // Selects exactly the named rows of the left list and makes it active.
  static void Select(RunningWindow& run, std::initializer_list<const char*> names) {
    FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
    panel.List().Focus();
    panel.ClearSelection();
    for (const char* name : names) {
      // The parent entry has no name of its own; it is always the first row.
      long row = std::string(name) == ".." ? 0 : panel.Table().FindRowByName(name);
      ASSERT_GE(row, 0) << name;
      panel.List().SetItemState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    }
  }

  TempFolder data_;
  std::string left_, right_;
};

TEST_F(FileOperationsTest, CopyToTheOtherPanelRefreshesBothAndKeepsTheSources) {
  data_.Write("left\\a.txt", "alpha");
  data_.Write("left\\b.txt", "beta");
  data_.Make("left\\sub");
  data_.Write("left\\sub\\c.txt", "gamma");
  RunningWindow run(Settings().c_str());
  Select(run, {"..", "a.txt", "sub"});
  std::string question;
  DialogResponder responder({Answer{IDOK, [&](HWND dialog) {
    question = px::Window(GetDlgItem(dialog, IDC_TARGET_QUESTION)).Text();
    EXPECT_EQ(px::Window(GetDlgItem(dialog, IDC_TARGET_EDIT)).Text(), right_);
  }}});
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_KEY_COPY));
  Pump(&run.Window());
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(question, "Copy 2 selected entries to:");  // the parent entry is let go
  EXPECT_EQ(ReadBytes(right_ + "a.txt"), "alpha");
  EXPECT_EQ(ReadBytes(right_ + "sub\\c.txt"), "gamma");
  EXPECT_FALSE(Exists(right_ + "b.txt"));
  EXPECT_EQ(ReadBytes(left_ + "a.txt"), "alpha");
  EXPECT_GE(IndexOf(run.RowTexts(IDC_RIGHT_LIST, 0), "a.txt"), 0);
}

// The run's end is the job runner's record, not a message: with every post
// to the window's thread lost, the progress window still closes and both
// panels are listed again.
TEST_F(FileOperationsTest, TheEndOfARunDoesNotRestOnAPost) {
  data_.Write("left\\a.txt", "alpha");
  RunningWindow run(Settings().c_str());
  Select(run, {"a.txt"});
  run.Window().UiTasks().RefuseForTests(true);
  struct Restore {
    RunningWindow& run;
    ~Restore() { run.Window().UiTasks().RefuseForTests(false); }
  } restore{run};
  DialogResponder responder({Answer{IDOK}});
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_KEY_COPY));
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(ReadBytes(right_ + "a.txt"), "alpha");
  EXPECT_GE(IndexOf(run.RowTexts(IDC_RIGHT_LIST, 0), "a.txt"), 0);
}

TEST_F(FileOperationsTest, OverwriteAnswersSkipOrReplaceTheTargetWhole) {
  data_.Write("left\\same.txt", "new data");
  data_.Write("right\\SAME.TXT", "old");
  RunningWindow run(Settings().c_str());
  std::string targetLine;
  {
    Select(run, {"same.txt"});
    DialogResponder responder({Answer{IDOK}, Answer{IDC_ANSWER_SKIP, [&](HWND dialog) {
      targetLine = px::Window(GetDlgItem(dialog, IDC_OVERWRITE_TARGET)).Text();
    }}});
    run.Window().ExecuteCommand(ID_KEY_COPY);
    Pump(&run.Window());
    EXPECT_TRUE(responder.Answered());
  }
  EXPECT_EQ(targetLine, "Overwrite the file " + right_ + "SAME.TXT");  // the stored name
  EXPECT_EQ(ReadBytes(right_ + "SAME.TXT"), "old");
  {
    Select(run, {"same.txt"});
    DialogResponder responder({Answer{IDOK}, Answer{IDOK}});
    run.Window().ExecuteCommand(ID_KEY_COPY);
    Pump(&run.Window());
    EXPECT_TRUE(responder.Answered());
  }
  // The existing name is kept and no temporary file is left behind.
  EXPECT_EQ(NamesOnDisk(right_), std::vector<std::string>{"SAME.TXT"});
  EXPECT_EQ(ReadBytes(right_ + "SAME.TXT"), "new data");
}

TEST_F(FileOperationsTest, DeleteAsksOnceForAReadOnlyFileAndTheCursorGoesToTheNextRow) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) data_.Write(std::string("left\\") + name, name);
  SetFileAttributesW(FileApiPath(left_ + "b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  RunningWindow run(Settings().c_str());
  Select(run, {"a.txt", "b.txt"});
  std::string question, readOnlyText;
  DialogResponder responder(
      {Answer{IDYES, [&](HWND dialog) { question = px::Window(GetDlgItem(dialog, 0xFFFF)).Text(); }},
       Answer{IDOK, [&](HWND dialog) {
                readOnlyText = px::Window(GetDlgItem(dialog, IDC_QUESTION_TEXT)).Text();
              }}});
  run.Window().ExecuteCommand(ID_KEY_DELETE);
  Pump(&run.Window());
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(question, "Do you really want to delete\nthe 2 selected entries?");
  EXPECT_EQ(readOnlyText, "This file is read-only. Delete it anyway?");
  EXPECT_EQ(NamesOnDisk(left_), (std::vector<std::string>{"c.txt", "d.txt"}));
  FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
  int cursor = panel.List().NextItem(-1, LVNI_FOCUSED);
  ASSERT_GE(cursor, 0);
  EXPECT_EQ(panel.Table().AtRow(static_cast<size_t>(cursor)).name, "c.txt");
}

TEST_F(FileOperationsTest, DeleteNoLeavesEverythingAndACopyOntoItselfIsRefused) {
  data_.Write("left\\keep.txt", "keep");
  RunningWindow run(PanelSettings(left_, left_).c_str());
  Select(run, {"keep.txt"});
  {
    DialogResponder responder(IDNO);
    run.Window().ExecuteCommand(ID_KEY_DELETE);
    EXPECT_TRUE(responder.Answered());
  }
  EXPECT_EQ(ReadBytes(left_ + "keep.txt"), "keep");
  Select(run, {"keep.txt"});
  DialogResponder responder({Answer{IDOK}, Answer{IDOK}});
  run.Window().ExecuteCommand(ID_KEY_COPY);
  Pump(&run.Window());
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(responder.SeenText(), "A file cannot be copied onto itself.");
  EXPECT_EQ(ReadBytes(left_ + "keep.txt"), "keep");
}

TEST_F(FileOperationsTest, MovingThreeFilesToOneNewNameNeverOverwritesItsOwnTarget) {
  for (const char* name : {"1.txt", "2.txt", "3.txt"}) data_.Write(std::string("left\\") + name, name);
  RunningWindow run(Settings().c_str());
  Select(run, {"1.txt", "2.txt", "3.txt"});
  // The second and third meet the target the first became: each is skipped.
  std::string failure;
  DialogResponder responder({Answer{IDOK, IDC_TARGET_EDIT, right_ + "x"},
                             Answer{IDOK, [&](HWND dialog) {
                                      failure = px::Window(GetDlgItem(dialog, IDC_QUESTION_TEXT)).Text();
                                    }},
                             Answer{IDOK}});
  run.Window().ExecuteCommand(ID_KEY_MOVE);
  Pump(&run.Window());
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(failure, "This file could not be moved:");
  EXPECT_EQ(ReadBytes(right_ + "x"), "1.txt");
  EXPECT_EQ(NamesOnDisk(left_), (std::vector<std::string>{"2.txt", "3.txt"}));
  // Whatever was asked, every source byte is still somewhere.
  std::string all;
  for (const std::string& name : NamesOnDisk(left_)) all += ReadBytes(left_ + name);
  for (const std::string& name : NamesOnDisk(right_)) all += ReadBytes(right_ + name);
  std::sort(all.begin(), all.end());
  std::string expected = "1.txt2.txt3.txt";
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(all, expected);
  EXPECT_TRUE(Exists(right_ + "x"));
}

// Holds a file open without delete sharing, so that deleting it fails and
// the run stops at a known point with its window up.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path)
      : handle_(CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr)) {}
  ~HeldFile() { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

// Which parts of the progress window show, seen from a question it owns.
struct Layout {
  bool fileBar = false, overallBar = false, target = false;
  void Take(HWND question) {
    HWND progress = GetWindow(question, GW_OWNER);
    fileBar = Visible(progress, IDC_PROGRESS_FILE_BAR);
    overallBar = Visible(progress, IDC_PROGRESS_OVERALL_BAR);
    target = Visible(progress, IDC_PROGRESS_TARGET);
  }
};

TEST_F(FileOperationsTest, EscMidCopyStopsTheRunAndLeavesNoPartialFile) {
  // Enough small files that the run is still going when its window is seen.
  data_.Make("left\\many");
  for (int i = 0; i < 1500; ++i)
    data_.Write("left\\many\\f" + std::to_string(i), std::string(4096, 'x'));
  RunningWindow run(Settings().c_str());
  Select(run, {"many"});
  DialogResponder responder(
      {Answer{IDOK},
       Answer{0,
              [](HWND progress) {
                MSG esc{};
                esc.hwnd = GetDlgItem(progress, IDCANCEL);
                esc.message = WM_KEYDOWN;
                esc.wParam = VK_ESCAPE;
                IsDialogMessageW(progress, &esc);
              },
              [](HWND progress) {
                return SendDlgItemMessageW(progress, IDC_PROGRESS_OVERALL_BAR, PBM_GETPOS, 0,
                                           0) > 0;
              }},
       Answer{IDOK}});
  run.Window().ExecuteCommand(ID_KEY_COPY);
  Pump(&run.Window());
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(responder.SeenText(), "The operation has been cancelled.");
  std::vector<std::string> copied = NamesOnDisk(right_ + "many\\");
  EXPECT_LT(copied.size(), 1500u);
  for (const std::string& name : copied) {
    ASSERT_EQ(name[0], 'f') << name;  // no temporary file is left
    ASSERT_EQ(ReadBytes(right_ + "many\\" + name).size(), 4096u) << name;
  }
  EXPECT_EQ(NamesOnDisk(left_ + "many\\").size(), 1500u);
}

TEST_F(FileOperationsTest, ProgressLayoutsOfOneFileSeveralFilesAndDelete) {
  data_.Write("left\\one.bin", std::string(1 << 20, '1'));
  data_.Write("left\\two.bin", std::string(1 << 20, '2'));
  data_.Write("right\\one.bin", "old");
  RunningWindow run(Settings().c_str());
  Layout single, copy, remove;
  // The overwrite question stands in front of the progress window: see its layout.
  for (Layout* layout : {&single, &copy}) {
    if (layout == &single)
      Select(run, {"one.bin"});
    else
      Select(run, {"one.bin", "two.bin"});
    DialogResponder responder(
        {Answer{IDOK}, Answer{IDCANCEL, [&](HWND question) { layout->Take(question); }}});
    run.Window().ExecuteCommand(ID_KEY_COPY);
    Pump(&run.Window());
    EXPECT_TRUE(responder.Answered());
  }
  EXPECT_TRUE(single.fileBar && !single.overallBar && single.target);
  EXPECT_TRUE(copy.fileBar && copy.overallBar && copy.target);
  EXPECT_EQ(ReadBytes(right_ + "one.bin"), "old");
  {
    run.Window().ExecuteCommand(ID_TOOL_REFRESH);
    Select(run, {"one.bin", "two.bin"});
    HeldFile held(left_ + "two.bin");  // open without delete sharing: it cannot go
    DialogResponder responder(
        {Answer{IDYES}, Answer{IDCANCEL, [&](HWND question) { remove.Take(question); }}});
    run.Window().ExecuteCommand(ID_KEY_DELETE);
    Pump(&run.Window());
    EXPECT_TRUE(responder.Answered());
  }
  EXPECT_TRUE(!remove.fileBar && remove.overallBar && !remove.target);
  EXPECT_EQ(NamesOnDisk(left_), std::vector<std::string>{"two.bin"});
}

// The folder of the desktop's trash that holds the files (made when it is
// not there), as the program reaches it; empty when the test scripts did not
// say where the trash is (PX_TRASH_DIR, a Unix path).
std::string TrashFiles() {
  wchar_t place[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"PX_TRASH_DIR", place, MAX_PATH) == 0 || place[0] != L'/') return {};
  std::string trash = "Z:" + Narrow(place) + "/files/";
  for (char& c : trash)
    if (c == '/') c = '\\';
  SHCreateDirectoryExW(nullptr, FileApiPath(trash.substr(0, trash.size() - 1)).c_str(), nullptr);
  return trash;
}

// With the recycle option on, a deleted file goes to the desktop's trash,
// which the test scripts name in PX_TRASH_DIR (a Unix path).
TEST_F(FileOperationsTest, RecycleSendsTheFileToTheTrash) {
  const std::string trash = TrashFiles();
  if (trash.empty()) GTEST_SKIP() << "PX_TRASH_DIR does not say where the trash is";
  const std::string name = "pannex-recycled-" + std::to_string(GetTickCount()) + ".txt";
  data_.Write("left\\" + name, "to the bin");
  RunningWindow run(Settings(1).c_str());
  Select(run, {name.c_str()});
  DialogResponder responder(IDYES);
  run.Window().ExecuteCommand(ID_KEY_DELETE);
  Pump(&run.Window());
  EXPECT_TRUE(responder.Answered());
  EXPECT_FALSE(Exists(left_ + name));
  EXPECT_EQ(ReadBytes(trash + name), "to the bin");
  DeleteFileW(FileApiPath(trash + name).c_str());
  std::string info = trash.substr(0, trash.size() - 6) + "info\\" + name + ".trashinfo";
  DeleteFileW(FileApiPath(info).c_str());
}

// A delete to the bin of a file the bin does not take asks our own question,
// owned by the progress window and on the window's thread, never the shell's:
// found before the run (a drive without a bin, here the test's stand-in for
// one) or when the shell would have warned (Wine cannot move a file held open
// into its trash). No keeps the file, Yes deletes it for good; a file the bin
// takes is asked nothing about and goes to the trash.
TEST_F(FileOperationsTest, WhatTheBinDoesNotTakeIsAskedAboutOverTheProgressWindow) {
  const std::string trash = TrashFiles();
  if (trash.empty()) GTEST_SKIP() << "PX_TRASH_DIR does not say where the trash is";
  struct Row {
    const char* what;
    bool binless;
    bool held;
    int answer;  // 0: no question may come
    bool kept;
    bool inTrash;
  } const rows[] = {
      {"no bin, No", true, false, IDNO, true, false},
      {"no bin, Yes", true, false, IDYES, false, false},
      {"the bin refuses at the call, No", false, true, IDNO, true, false},
      {"the bin takes it", false, false, 0, false, true},
  };
  struct Unset {
    ~Unset() { Win32FileSystem::SetBinlessFolderForTests(""); }
  } unset;
  RunningWindow run(Settings(1).c_str());
  const std::string stamp = std::to_string(GetTickCount());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string name = "pannex-bin-" + stamp + "-" + std::to_string(&row - rows) + ".txt";
    data_.Write("left\\" + name, "data");
    run.Window().ExecuteCommand(ID_TOOL_REFRESH);
    Win32FileSystem::SetBinlessFolderForTests(row.binless ? left_ : "");
    auto held = row.held ? std::make_unique<HeldFile>(left_ + name) : nullptr;
    Select(run, {name.c_str()});
    bool byProgressWindow = false;
    DWORD thread = 0;
    std::string question;
    auto ours = [](HWND box) { return px::Window(box).Text() == "Delete permanently"; };
    DialogResponder responder({Answer{IDYES}, Answer{row.answer ? row.answer : IDNO, [&](HWND box) {
                                 HWND owner = GetWindow(box, GW_OWNER);
                                 byProgressWindow = GetDlgItem(owner, IDC_PROGRESS_OVERALL_BAR) != nullptr;
                                 thread = GetWindowThreadProcessId(box, nullptr);
                                 question = px::Window(GetDlgItem(box, 0xFFFF)).Text();
                               }, ours}});
    run.Window().ExecuteCommand(ID_KEY_DELETE);
    Pump(&run.Window());
    held.reset();
    if (row.answer != 0) {
      EXPECT_TRUE(responder.Answered());
      EXPECT_TRUE(byProgressWindow);
      EXPECT_EQ(thread, GetCurrentThreadId());
      EXPECT_EQ(question, left_ + name + " cannot go to the Recycle Bin. Delete it permanently?");
    } else {
      EXPECT_EQ(responder.AnswerCount(), 1u);
    }
    EXPECT_EQ(Exists(left_ + name), row.kept);
    EXPECT_EQ(Exists(trash + name), row.inTrash);
    DeleteFileW(FileApiPath(trash + name).c_str());
    DeleteFileW(FileApiPath(trash.substr(0, trash.size() - 6) + "info\\" + name + ".trashinfo").c_str());
  }
}

}  // namespace
}  // namespace px::test
