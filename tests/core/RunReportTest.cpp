// A run's report: the prompts that skip and collect, and the lines the
// report shows.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/fileops/RunReport.h"
#include "tests/core/FileOpsTestSupport.h"

namespace px {
namespace {

// On, every question is a Skip and no message but the cancel is shown; off,
// all goes to the prompts within. The switch may be flipped from another
// thread while the run asks.
TEST(CollectingPrompts, SkipsAndHoldsBackWhileOn) {
  ScriptedPrompts inner({PromptAnswer::kProceedAll, PromptAnswer::kSkipAll, FailureAnswer::kRetry});
  CollectingPrompts prompts(inner);
  const OverwriteQuestion question{"D:\\a", "C:\\a", 1, 2, 3, 4};
  auto askAll = [&]() {
    std::vector<int> answers;
    answers.push_back(static_cast<int>(prompts.AskOverwrite(question)));
    answers.push_back(static_cast<int>(prompts.AskReadOnly(ReadOnlyCase::kDeleteFile, "C:\\r")));
    answers.push_back(static_cast<int>(prompts.AskFailure(FailureCase::kMove, "C:\\f")));
    prompts.ShowMessage(RunMessage::kFolderNotCreated, "D:\\x");
    prompts.ShowMessage(RunMessage::kCancelled, "");
    return answers;
  };
  const int kSkip = static_cast<int>(PromptAnswer::kSkip);
  EXPECT_EQ(askAll(), (std::vector<int>{static_cast<int>(PromptAnswer::kProceedAll),
                                        static_cast<int>(PromptAnswer::kSkipAll),
                                        static_cast<int>(FailureAnswer::kRetry)}));
  EXPECT_EQ(inner.answers.size(), 5u);
  std::thread([&] { prompts.SetCollecting(true); }).join();
  EXPECT_TRUE(prompts.Collecting());
  EXPECT_EQ(askAll(), (std::vector<int>{kSkip, kSkip, static_cast<int>(FailureAnswer::kSkip)}));
  ASSERT_EQ(inner.answers.size(), 6u);  // only the cancel got through
  EXPECT_EQ(inner.messages.back().first, RunMessage::kCancelled);
  prompts.SetCollecting(false);
  askAll();
  EXPECT_EQ(inner.answers.size(), 11u);

  // Flipped back and forth while another thread asks: each answer is one or
  // the other, never anything else, and the inner prompts see only what
  // came while off.
  std::atomic<bool> done{false};
  std::thread flipper([&] {
    for (int i = 0; !done; ++i) prompts.SetCollecting(i % 2 == 0);
  });
  size_t skipped = 0;
  const size_t before = inner.overwrites.size();
  for (int i = 0; i < 2000; ++i) {
    PromptAnswer answer = prompts.AskOverwrite(question);
    ASSERT_TRUE(answer == PromptAnswer::kSkip || answer == PromptAnswer::kProceedAll);
    skipped += answer == PromptAnswer::kSkip;
  }
  done = true;
  flipper.join();
  EXPECT_EQ(inner.overwrites.size() - before, 2000 - skipped);
}

TEST(RunReport, OneLinePerProblemWhateverThePath) {
  const LanguageTable texts;
  const FsError allErrors[] = {FsError::kOk,           FsError::kNotFound,      FsError::kAlreadyExists,
                               FsError::kFileInTheWay, FsError::kAccessDenied,  FsError::kSharingViolation,
                               FsError::kNotEmpty,     FsError::kNotSameDevice, FsError::kDiskFull,
                               FsError::kInvalidName,  FsError::kReplaced,      FsError::kIo,
                               FsError::kVerifyMismatch};
  const struct {
    RunProblem problem;
    const char* line;
  } rows[] = {
      {{0, ProblemKind::kTargetExists, "D:\\dst\\a.txt"}, "Skipped, the target exists: D:\\dst\\a.txt"},
      {{0, ProblemKind::kReadOnly, "D:\\dst\\b"}, "Skipped, read-only: D:\\dst\\b"},
      {{1, ProblemKind::kNotCopied, "C:\\src\\c", FsError::kVerifyMismatch},
       "Not copied: C:\\src\\c (the copy read back differs from the source)"},
      {{1, ProblemKind::kNotMoved, "C:\\src\\d", FsError::kSharingViolation},
       "Not moved: C:\\src\\d (in use by another program)"},
      {{2, ProblemKind::kNotDeleted, "C:\\src\\e", FsError::kAccessDenied}, "Not deleted: C:\\src\\e (access denied)"},
      {{2, ProblemKind::kNotCopied, "C:\\src\\f", FsError::kDiskFull}, "Not copied: C:\\src\\f (disk full)"},
      {{2, ProblemKind::kNotCopied, "C:\\src\\g", FsError::kReplaced},
       "Not copied: C:\\src\\g (replaced during the run)"},
      // A name is shown as it is: "%s" and "%n" in it are no placeholders,
      // and a line break in it does not make two lines.
      {{3, ProblemKind::kNotCopied, "C:\\100%s %n %%\\x", FsError::kNotFound},
       "Not copied: C:\\100%s %n %%\\x (not found)"},
      {{3, ProblemKind::kTargetExists, "D:\\two\r\nlines\t\x7f"},
       "Skipped, the target exists: D:\\two\xEF\xBF\xBD\xEF\xBF\xBDlines\xEF\xBF\xBD\xEF\xBF\xBD"},
      {{4, ProblemKind::kMessage, "C:\\src\\t\\%s", FsError::kOk, RunMessage::kFolderChanged}, nullptr},
      {{kWholeRun, ProblemKind::kMessage, "D:\\*", FsError::kOk, RunMessage::kInvalidTargetName}, nullptr},
      {{5, ProblemKind::kMessage, "C:\\src\\tree", FsError::kOk, RunMessage::kCopyIntoItself}, nullptr},
  };
  std::vector<RunProblem> problems;
  for (const auto& row : rows) problems.push_back(row.problem);
  const std::vector<std::string> lines = ReportLines(texts, problems);
  ASSERT_EQ(lines.size(), problems.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (rows[i].line) {
      EXPECT_EQ(lines[i], rows[i].line);
    }
    EXPECT_EQ(lines[i].find_first_of("\r\n"), std::string::npos) << lines[i];
  }
  // A message shows its own text; one that does not name the entry has the
  // path put after it.
  for (size_t i = 9; i < lines.size(); ++i) {
    const std::string& own = texts.Text(TextOf(rows[i].problem.message));
    const std::string path = rows[i].problem.path;
    EXPECT_NE(lines[i].find(path), std::string::npos) << lines[i];
    if (own.find("%s") == std::string::npos) {
      EXPECT_EQ(lines[i], own + ": " + path);
    }
  }

  // Every error has a reason, and every reason has a text.
  for (FsError error : allErrors) {
    EXPECT_FALSE(texts.Text(ReasonOf(error)).empty()) << static_cast<int>(error);
  }
  EXPECT_EQ(texts.Text(ReasonOf(FsError::kVerifyMismatch)), texts.Text(text::kErrorVerify));
  EXPECT_EQ(texts.Text(ReasonOf(FsError::kNotFound)), texts.Text(text::kErrorNotFound));

  EXPECT_EQ(ReportLines(texts, {}), std::vector<std::string>{"No problems."});
  EXPECT_EQ(ReportText({"one", "two"}), "one\r\ntwo\r\n");
  EXPECT_EQ(ReportText({}), "");
}

}  // namespace
}  // namespace px
