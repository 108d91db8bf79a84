// Copies in the background on the real window: the user goes on working
// while a job waits for an answer, a second job on the same drive waits its
// turn, the question is answered from the job list, the panels follow what
// the jobs wrote, a queued job is cancelled, a run sent to the background
// from its progress window, problems skipped and listed, and closing with
// jobs still running.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "core/language/LanguageTable.h"
#include "fileops/JobListWindow.h"
#include "framework/Controls.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;


class BackgroundJobsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    left_ = data_.Make("left");
    right_ = data_.Make("right");
  }
  std::string Settings() {
    return PanelSettings(left_, right_) + "[Options]\r\nRecycle=0\r\n";
  }
  // Selects exactly the named rows of one list and makes it active.
  static void Select(RunningWindow& run, Side side, std::initializer_list<const char*> names) {
    FilePanel& panel = run.Window().Panels().Panel(side);
    panel.List().Focus();
    panel.ClearSelection();
    for (const char* name : names) {
      long row = panel.Table().FindRowByName(name);
      ASSERT_GE(row, 0) << name;
      panel.List().SetItemState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    }
  }
  // Copies the named entries of the left panel in the background to target.
  static void CopyInBackground(RunningWindow& run, std::initializer_list<const char*> names,
                               const std::string& target) {
    Select(run, Side::kLeft, names);
    DialogResponder responder({Answer{IDC_BACKGROUND, IDC_TARGET_EDIT, target}});
    EXPECT_TRUE(run.Window().ExecuteCommand(ID_KEY_COPY));
    EXPECT_TRUE(PumpUntil(run.Window(), [&] { return responder.Answered(); }));
    Pump(&run.Window());
  }
  static std::string State(RunningWindow& run, int row) {
    JobListWindow* list = run.Window().JobList();
    if (list == nullptr) return "(no list)";
    list->Refresh();
    std::vector<std::string> cells = list->RowTexts(row);
    return cells.size() > 2 ? cells[2] : "(no row)";
  }
  static void Click(Dialog& dialog, int id) {
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.Item(id)));
  }
  // Names on disk that are none of the expected: temporary files left over.
  static std::vector<std::string> Leftovers(const std::string& folder,
                                            std::initializer_list<const char*> expected) {
    std::vector<std::string> left;
    for (const std::string& name : NamesOnDisk(folder)) {
      bool known = false;
      for (const char* each : expected) known = known || name == each;
      if (!known) left.push_back(name);
    }
    return left;
  }

  TempFolder data_;
  std::string left_, right_;
};

// The first job waits for an answer in the job list while the user goes on:
// browses, marks entries in the other panel and starts a second copy to the
// same drive, which waits its turn; the answer given from the list lets
// both finish, and the panel that shows their target follows with its
// cursor and marks kept.
TEST_F(BackgroundJobsTest, AQuestionWaitsInTheListWhileTheUserGoesOn) {
  data_.Write("left\\a.txt", "new data");
  data_.Write("left\\b.txt", "beta");
  data_.Make("left\\deeper");
  data_.Write("right\\a.txt", "old");
  data_.Write("right\\r1.txt", "r1");
  data_.Write("right\\r2.txt", "r2");
  data_.Make("right\\sub");
  RunningWindow run(Settings().c_str());
  MainWindow& main = run.Window();

  CopyInBackground(run, {"a.txt"}, right_);
  ASSERT_TRUE(PumpUntil(main, [&] { return State(run, 0) == "waiting for an answer"; }))
      << State(run, 0);
  EXPECT_TRUE(IsWindowVisible(main.JobList()->Handle()));
  EXPECT_EQ(ReadBytes(right_ + "a.txt"), "old");

  // The window is the user's meanwhile.
  EXPECT_FALSE(main.Background().Unfinished() == 0);
  main.Panels().GoToFolder(left_ + "deeper\\", true);
  EXPECT_EQ(main.Panels().Panel(Side::kLeft).Path(), left_ + "deeper\\");
  main.Panels().GoToFolder(left_, true);
  Select(run, Side::kRight, {"r2.txt"});
  main.Panels().Panel(Side::kRight).List().SetItemState(
      static_cast<int>(main.Panels().Panel(Side::kRight).Table().FindRowByName("r1.txt")), LVIS_FOCUSED,
      LVIS_FOCUSED);
  main.Panels().Panel(Side::kRight).List().Send(
      LVM_SETSELECTIONMARK, 0, main.Panels().Panel(Side::kRight).Table().FindRowByName("r1.txt"));
  CopyInBackground(run, {"b.txt"}, right_ + "sub\\");
  EXPECT_EQ(State(run, 1), "queued");
  EXPECT_FALSE(Exists(right_ + "sub\\b.txt"));

  // Answered from the list: overwrite.
  JobListWindow& list = *main.JobList();
  list.Select(main.Background().Rows()[0].key);
  {
    DialogResponder overwrite({Answer{IDOK}});
    Click(list, IDC_JOB_ANSWER);
    EXPECT_TRUE(overwrite.Answered());
  }
  ASSERT_TRUE(PumpUntil(main, [&] { return State(run, 0) == "done" && State(run, 1) == "done"; }))
      << State(run, 0) << " / " << State(run, 1);
  EXPECT_EQ(ReadBytes(right_ + "a.txt"), "new data");
  EXPECT_EQ(ReadBytes(right_ + "sub\\b.txt"), "beta");
  EXPECT_TRUE(Leftovers(right_, {"a.txt", "r1.txt", "r2.txt", "sub"}).empty());

  // The right panel was listed again with its cursor and marks.
  ASSERT_TRUE(PumpUntil(main, [&] { return !main.Panels().Panel(Side::kRight).Reading(); }));
  HWND rightList = run.Item(IDC_RIGHT_LIST);
  EXPECT_EQ(SelectedNames(rightList), std::vector<std::string>{"r2.txt"});
  EXPECT_EQ(FocusedName(rightList), "r1.txt");

  // Finished jobs stay listed until cleared.
  EXPECT_EQ(list.RowCount(), 2);
  Click(list, IDC_JOB_CLEAR);
  EXPECT_EQ(list.RowCount(), 0);
}

// A queued job cancelled never runs; closing with a job still waiting for
// an answer asks: Cancel keeps working, No cancels and the window closes
// once the job has stopped, the old target as it was and nothing half
// written left behind.
TEST_F(BackgroundJobsTest, AQueuedJobCancelledNeverRunsAndClosingCancelsTheRest) {
  data_.Write("left\\a.txt", "new data");
  data_.Write("left\\b.txt", "beta");
  data_.Write("right\\a.txt", "old");
  data_.Make("right\\sub");
  RunningWindow run(Settings().c_str());
  MainWindow& main = run.Window();
  CopyInBackground(run, {"a.txt"}, right_);
  ASSERT_TRUE(PumpUntil(main, [&] { return State(run, 0) == "waiting for an answer"; }));
  CopyInBackground(run, {"b.txt"}, right_ + "sub\\");
  ASSERT_EQ(State(run, 1), "queued");

  JobListWindow& list = *main.JobList();
  list.Select(main.Background().Rows()[1].key);
  EXPECT_TRUE(IsWindowEnabled(list.Item(IDC_JOB_START_NOW)));
  EXPECT_FALSE(IsWindowEnabled(list.Item(IDC_JOB_ANSWER)));
  Click(list, IDC_JOB_CANCEL);
  EXPECT_EQ(State(run, 1), "cancelled");

  {
    DialogResponder stay(IDCANCEL);
    SendMessageW(run.Handle(), WM_CLOSE, 0, 0);
    Pump(&main);
    EXPECT_TRUE(stay.Answered());
    EXPECT_NE(stay.SeenText().find("1 jobs are queued or running"), std::string::npos) << stay.SeenText();
  }
  EXPECT_FALSE(main.IsEnded());
  EXPECT_EQ(State(run, 0), "waiting for an answer");
  {
    DialogResponder cancel(IDNO);
    SendMessageW(run.Handle(), WM_CLOSE, 0, 0);
    Pump(&main);
    EXPECT_TRUE(cancel.Answered());
  }
  EXPECT_TRUE(PumpUntil(main, [&] { return main.IsEnded(); }));
  EXPECT_EQ(ReadBytes(right_ + "a.txt"), "old");
  EXPECT_FALSE(Exists(right_ + "sub\\b.txt"));
  EXPECT_TRUE(Leftovers(right_, {"a.txt", "sub"}).empty());
  EXPECT_EQ(NamesOnDisk(right_ + "sub\\"), std::vector<std::string>{});
}

// A run goes to the background from its progress window: the window closes,
// the run goes on and ends in the list; the panels follow.
TEST_F(BackgroundJobsTest, TheProgressWindowSendsItsRunToTheBackground) {
  data_.Make("left\\held");
  data_.Write("left\\held\\x.txt", "x data");
  RunningWindow run(Settings().c_str());
  MainWindow& main = run.Window();
  Select(run, Side::kLeft, {"held"});
  // The run's count pass holds in the folder until the window has gone.
  FailListingsForTests(Widen(left_ + "held\\"), kHoldListing);
  struct Restore {
    ~Restore() { FailListingsForTests(L"", -1); }
  } restore;
  bool progressHadBoth = false;
  DialogResponder responder(
      {Answer{IDOK}, Answer{IDC_BACKGROUND, [&](HWND progress) {
         progressHadBoth = IsWindowVisible(GetDlgItem(progress, IDC_BACKGROUND)) &&
                           IsWindowVisible(GetDlgItem(progress, IDC_SKIP_AND_COLLECT));
       }}});
  EXPECT_TRUE(main.ExecuteCommand(ID_KEY_COPY));
  EXPECT_TRUE(responder.Answered());
  EXPECT_TRUE(progressHadBoth);
  ASSERT_EQ(main.Background().Rows().size(), 1u);
  EXPECT_EQ(main.Background().Unfinished(), 1u);
  EXPECT_FALSE(Exists(right_ + "held\\x.txt"));
  FailListingsForTests(L"", -1);
  main.ShowJobList(true);
  ASSERT_TRUE(PumpUntil(main, [&] { return State(run, 0) == "done"; })) << State(run, 0);
  EXPECT_EQ(ReadBytes(right_ + "held\\x.txt"), "x data");
  ASSERT_TRUE(PumpUntil(main, [&] {
    return IndexOf(run.RowTexts(IDC_RIGHT_LIST, 0), "held") >= 0;
  }));
}

// Skip and collect, ticked in the target dialog of a run in front of the
// user: nothing is asked, and the report lists what was skipped and why.
TEST_F(BackgroundJobsTest, ProblemsSkippedAndCollectedAreListedAtTheEnd) {
  data_.Write("left\\a.txt", "new data");
  data_.Write("left\\b.txt", "beta");
  data_.Write("right\\a.txt", "old");
  RunningWindow run(Settings().c_str());
  Select(run, Side::kLeft, {"a.txt", "b.txt"});
  std::string report;
  DialogResponder responder(
      {Answer{IDOK, [](HWND target) { CheckDlgButton(target, IDC_SKIP_AND_COLLECT, BST_CHECKED); }},
       Answer{IDOK, [&](HWND shown) { report = px::Window(GetDlgItem(shown, IDC_REPORT_TEXT)).Text(); }}});
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_KEY_COPY));
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(report, "Skipped, the target exists: " + right_ + "a.txt\r\n");
  EXPECT_EQ(ReadBytes(right_ + "a.txt"), "old");
  EXPECT_EQ(ReadBytes(right_ + "b.txt"), "beta");
}

}  // namespace
}  // namespace px::test
