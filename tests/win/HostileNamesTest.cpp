// Names and links another system makes, acted on through the window: a
// trailing dot or blank, another letter case, a backslash, bytes that are no
// text, a folder replaced by a link mid-run, links deleted, copied into and
// given attributes, and listings that break off. Each is acted on exactly as
// listed, or not at all with a message naming it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/language/TextFormat.h"
#include "framework/Controls.h"
#include "framework/FileSystemApi.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "panels/PanelPair.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

// Answers every dialog and message box that comes while it lives: the hook
// of a marker control the dialog holds acts first, then the first of ids the
// dialog has is clicked. Keeps what each showed.
class Answerer {
 public:
  struct Hook {
    int marker;
    std::function<void(HWND)> act;
  };
  explicit Answerer(std::vector<int> ids, std::vector<Hook> hooks = {})
      : ids_(std::move(ids)), hooks_(std::move(hooks)) {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &Answerer::OnTimer);
  }
  ~Answerer() {
    KillTimer(nullptr, timer_);
    active_ = nullptr;
  }
  std::vector<std::string> shown;  // message texts and question lines, in order

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    Answerer* self = active_;
    if (self == nullptr) return;
    HWND dialog = FindShownDialog(self->last_);
    if (dialog == nullptr) return;
    self->last_ = dialog;
    for (int id : {0xFFFF, IDC_QUESTION_TEXT, IDC_QUESTION_LINE}) {
      if (HWND text = GetDlgItem(dialog, id)) self->shown.push_back(px::Window(text).Text());
    }
    for (const Hook& hook : self->hooks_) {
      if (GetDlgItem(dialog, hook.marker) != nullptr) hook.act(dialog);
    }
    for (int id : self->ids_) {
      if (HWND control = GetDlgItem(dialog, id)) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
        return;
      }
    }
  }
  static Answerer* active_;
  UINT_PTR timer_ = 0;
  std::vector<int> ids_;
  std::vector<Hook> hooks_;
  HWND last_ = nullptr;
};
Answerer* Answerer::active_ = nullptr;

// Yes to the question, Yes to read-only, Skip on a failure, OK to a message.
const std::vector<int> kGoOn = {IDYES, IDOK};

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& text : texts) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

class HostileNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    left_ = data_.Make("left");
    right_ = data_.Make("right");
    outside_ = data_.Make("outside");
  }
  std::string Settings() const { return PanelSettings(left_, right_) + "[Options]\r\nRecycle=0\r\n"; }
  // Makes names in the left folder with the system's shell.
  void Shell(const std::string& script) { ASSERT_TRUE(RunShell(left_, script)) << script; }

  // Selects the rows named exactly so (the first of two that list alike).
  static void Select(RunningWindow& run, const std::vector<std::string>& names) {
    FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
    panel.List().Focus();
    panel.ClearSelection();
    for (const std::string& name : names) {
      int found = -1;
      for (size_t row = 0; row < panel.Table().RowCount() && found < 0; ++row) {
        if (panel.Table().AtRow(row).name == name) found = static_cast<int>(row);
      }
      ASSERT_GE(found, 0) << name;
      panel.List().SetItemState(found, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      panel.List().Send(LVM_SETSELECTIONMARK, 0, found);
    }
  }
  static void Run(RunningWindow& run, UINT command) {
    ASSERT_TRUE(run.Window().ExecuteCommand(command));
    Pump(&run.Window());
  }
  static std::string NotAddressable(const std::string& path) {
    return FormatText(EnglishTexts().Text(text::kNameNotAddressable), {path});
  }

  TempFolder data_;
  std::string left_, right_, outside_;
};

TEST_F(HostileNamesTest, ANameEndingInADotOrBlankIsActedOnItselfNotItsNeighbour) {
  Shell("printf A > a; printf A-dot > a.; printf B > b; printf B-blank > 'b '");
  RunningWindow run(Settings().c_str());
  // Read-only on "a." sets it on "a." alone.
  Select(run, {"a."});
  {
    Answerer answers({IDOK}, {{IDC_ATTR_READ_ONLY, [](HWND dialog) {
                                 SendMessageW(GetDlgItem(dialog, IDC_ATTR_READ_ONLY), BM_SETCHECK, BST_CHECKED, 0);
                               }}});
    Run(run, ID_MENU_ATTRIBUTES);
  }
  EXPECT_EQ(*AttributesOf(left_ + "a.") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(*AttributesOf(left_ + "a") & FILE_ATTRIBUTE_READONLY, 0u);
  // Deleting "a." (read-only now: Yes twice) deletes "a." alone.
  Select(run, {"a."});
  {
    Answerer answers(kGoOn);
    Run(run, ID_KEY_DELETE);
  }
  // Moving "b " moves "b " alone.
  Select(run, {"b "});
  {
    Answerer answers(kGoOn);
    Run(run, ID_KEY_MOVE);
  }
  EXPECT_EQ(NamesOnDisk(left_), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(NamesOnDisk(right_), (std::vector<std::string>{"b "}));
  EXPECT_EQ(ReadBytes(left_ + "a"), "A");
  EXPECT_EQ(ReadBytes(left_ + "b"), "B");
  EXPECT_EQ(ReadBytes(right_ + "b "), "B-blank");
}

TEST_F(HostileNamesTest, AStaleRowNeverDeletesTheNameInAnotherCase) {
  Shell("printf upper > Report.txt; printf lower > report.txt");
  RunningWindow run(Settings().c_str());
  Select(run, {"Report.txt"});
  // Another program deletes it; the panel has not listed the folder again.
  Shell("rm Report.txt");
  {
    Answerer answers(kGoOn);
    Run(run, ID_KEY_DELETE);
  }
  EXPECT_EQ(NamesOnDisk(left_), std::vector<std::string>{"report.txt"});
  EXPECT_EQ(ReadBytes(left_ + "report.txt"), "lower");
}

TEST_F(HostileNamesTest, ANameHoldingABackslashIsRefusedAndNothingIsTouched) {
  data_.Make("left\\sub");
  Shell("printf inner > sub/evil; printf top > evil; printf hostile > 'sub\\evil'");
  RunningWindow run(Settings().c_str());
  Select(run, {"sub\\evil"});
  Answerer answers(kGoOn);
  Run(run, ID_KEY_DELETE);
  EXPECT_TRUE(Contains(answers.shown, NotAddressable(left_ + "sub\\evil"))) << answers.shown.size();
  EXPECT_EQ(NamesOnDisk(left_), (std::vector<std::string>{"evil", "sub", "sub\\evil"}));
  EXPECT_EQ(ReadBytes(left_ + "sub\\evil"), "inner");
  // Opening it, or editing its attributes, is refused the same way.
  answers.shown.clear();
  Select(run, {"sub\\evil"});
  Run(run, ID_MENU_ATTRIBUTES);
  EXPECT_TRUE(Contains(answers.shown, NotAddressable(left_ + "sub\\evil")));
}

TEST_F(HostileNamesTest, AFolderReplacedByALinkDuringTheRunIsLeftAlone) {
  data_.Make("left\\a_first");
  data_.Write("left\\a_first\\ro.txt", "ro");
  ASSERT_TRUE(SetFileAttributesW(FileApiPath(left_ + "a_first\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  data_.Make("left\\d_main");
  data_.Make("left\\d_main\\V");
  data_.Write("left\\d_main\\V\\victim.txt", "mine");
  data_.Write("outside\\victim.txt", "not yours");
  RunningWindow run(Settings().c_str());
  Select(run, {"a_first", "d_main"});
  // While the read-only question is open, another program puts a link to
  // the outside folder where V was.
  bool swapped = false;
  Answerer answers(kGoOn, {{IDC_ANSWER_ALL, [&](HWND) {
                              if (!swapped) swapped = RunShell(left_ + "d_main\\", "mv V V.old && ln -s ../../outside V");
                            }}});
  Run(run, ID_KEY_DELETE);
  ASSERT_TRUE(swapped);
  EXPECT_EQ(ReadBytes(outside_ + "victim.txt"), "not yours");
  EXPECT_TRUE(Exists(outside_));
  EXPECT_EQ(ReadBytes(left_ + "d_main\\V.old\\victim.txt"), "mine");
  EXPECT_FALSE(Exists(left_ + "a_first"));
}

TEST_F(HostileNamesTest, DeletingAFolderLinkNeverRemovesTheFolderItLeadsTo) {
  data_.Make("outside\\empty");
  ASSERT_TRUE(MakeSymbolicLink(left_, "../outside/empty", "toplink"));
  RunningWindow run(Settings().c_str());
  Select(run, {"toplink"});
  Answerer answers(kGoOn);
  Run(run, ID_KEY_DELETE);
  EXPECT_TRUE(Exists(outside_ + "empty"));
  // Here the platform reaches only the link's target: the link stays, said so.
  if (Exists(left_ + "toplink")) {
    EXPECT_TRUE(Contains(answers.shown, left_ + "toplink"));
    EXPECT_EQ(SelectedNames(run.Item(IDC_LEFT_LIST)), std::vector<std::string>{"toplink"});
  }
}

TEST_F(HostileNamesTest, AFolderIsNotCopiedIntoALinkThatLeadsInsideIt) {
  data_.Make("left\\tree");
  data_.Make("left\\tree\\sub");
  data_.Write("left\\tree\\f.txt", "f");
  data_.Make("left\\c");
  ASSERT_TRUE(MakeSymbolicLink(left_ + "c\\", "../tree/sub", "b"));
  RunningWindow run(Settings().c_str());
  for (UINT command : {ID_KEY_COPY, ID_KEY_MOVE}) {
    Select(run, {"tree"});
    Answerer answers(kGoOn, {{IDC_TARGET_EDIT, [&](HWND dialog) {
                                px::Window(GetDlgItem(dialog, IDC_TARGET_EDIT)).SetText(left_ + "c\\b\\");
                              }}});
    Run(run, command);
    EXPECT_TRUE(Contains(answers.shown, command == ID_KEY_COPY ? EnglishTexts().Text(text::kCopyIntoItself)
                                                               : EnglishTexts().Text(text::kMoveIntoItself)));
    EXPECT_TRUE(NamesOnDisk(left_ + "tree\\sub\\").empty());
    EXPECT_EQ(ReadBytes(left_ + "tree\\f.txt"), "f");
  }
}

TEST_F(HostileNamesTest, RecursiveAttributesOnAFolderLinkStayOffWhatItLeadsTo) {
  data_.Write("outside\\x.txt", "x");
  ASSERT_TRUE(MakeSymbolicLink(left_, "../outside", "toplink"));
  RunningWindow run(Settings().c_str());
  Select(run, {"toplink"});
  Answerer answers({IDOK}, {{IDC_ATTR_READ_ONLY, [](HWND dialog) {
                               SendMessageW(GetDlgItem(dialog, IDC_ATTR_RECURSIVE), BM_SETCHECK, BST_CHECKED, 0);
                               SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ATTR_RECURSIVE, BN_CLICKED),
                                            reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ATTR_RECURSIVE)));
                               SendMessageW(GetDlgItem(dialog, IDC_ATTR_READ_ONLY), BM_SETCHECK, BST_CHECKED, 0);
                             }}});
  Run(run, ID_MENU_ATTRIBUTES);
  EXPECT_EQ(*AttributesOf(outside_ + "x.txt") & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(HostileNamesTest, TwoNamesThatListAlikeAreNeitherActedOn) {
  Shell("printf one > $(printf 'bad\\377.txt'); printf two > $(printf 'bad\\376.txt')");
  RunningWindow run(Settings().c_str());
  const std::string twin = "bad\xEF\xBF\xBD.txt";
  EXPECT_EQ(NamesOnDisk(left_), (std::vector<std::string>{twin, twin}));
  Select(run, {twin});
  Answerer answers(kGoOn);
  Run(run, ID_KEY_DELETE);
  EXPECT_TRUE(Contains(answers.shown, NotAddressable(left_ + twin)));
  EXPECT_EQ(NamesOnDisk(left_), (std::vector<std::string>{twin, twin}));
  answers.shown.clear();
  Select(run, {twin});
  Run(run, ID_MENU_ATTRIBUTES);
  EXPECT_TRUE(Contains(answers.shown, NotAddressable(left_ + twin)));
}

// A listing that breaks off part way is no listing of the whole folder: the
// panel says so, and a copy or move of the folder is not done.
TEST_F(HostileNamesTest, AListingThatBreaksOffIsNeverTakenForTheWhole) {
  data_.Make("left\\big");
  for (int i = 0; i < 6; ++i) data_.Write("left\\big\\f" + std::to_string(i), "data");
  RunningWindow run(Settings().c_str());
  FailListingsForTests(Widen(left_ + "big\\"), 5);  // ".", ".." and three entries
  struct Restore {
    ~Restore() { FailListingsForTests(L"", -1); }
  } restore;
  Select(run, {"big"});
  {
    Answerer answers(kGoOn);
    Run(run, ID_KEY_MOVE);
    EXPECT_TRUE(Contains(answers.shown, left_ + "big\\"));  // asked about, skipped
  }
  EXPECT_EQ(NamesOnDisk(left_ + "big\\").size(), 6u);  // the source stays whole
  EXPECT_EQ(SelectedNames(run.Item(IDC_LEFT_LIST)), std::vector<std::string>{"big"});
  // The panel inside it shows what was read and says it is not all.
  Select(run, {"big"});
  run.Window().Panels().OpenItem(run.Window().Panels().Panel(Side::kLeft), false);
  FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
  EXPECT_EQ(panel.Status(), ListStatus::kIncomplete);
  EXPECT_EQ(panel.Table().RowCount(), 4u);  // the parent row and three entries
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(),
            left_ + "big\\*.*" + EnglishTexts().Text(text::kListingIncomplete));
  FailListingsForTests(L"", -1);
  run.Window().Panels().RefreshActive();
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_PATH)).Text(), left_ + "big\\*.*");
}

}  // namespace
}  // namespace px::test
