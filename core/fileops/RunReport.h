// What a run left undone, for the user: the prompts that answer for the user
// while a run is left to go on alone, and the report's lines.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "core/fileops/Engine.h"
#include "core/language/LanguageTable.h"

namespace px {

// Stands between the engine and the prompts of a run. While collecting, no
// question is asked and no message shown: every question is answered Skip
// (never SkipAll, so the user is asked again once collecting stops) and the
// messages, which hold a run up as much as a question, are left out; the
// engine notes each in RunResult::problems either way, and goes on past
// every entry left undone. kCancelled is always shown. A question already open when collecting starts is the inner
// prompts' to close.
class CollectingPrompts : public OperationPrompts {
 public:
  explicit CollectingPrompts(OperationPrompts& inner, bool collecting = false)
      : inner_(inner), collecting_(collecting) {}

  // Any thread, at any time: takes effect from the next question.
  void SetCollecting(bool collecting) { collecting_.store(collecting); }
  bool Collecting() const override { return collecting_.load(); }

  PromptAnswer AskOverwrite(const OverwriteQuestion& question) override;
  PromptAnswer AskReadOnly(ReadOnlyCase question, const std::string& path) override;
  FailureAnswer AskFailure(FailureCase question, const std::string& path) override;
  void ShowMessage(RunMessage message, const std::string& path) override;
  // Collecting, what the bin does not take is kept (and listed at the end).
  PermanentAnswer AskPermanentDelete(const std::vector<std::string>& paths) override;

 private:
  OperationPrompts& inner_;
  std::atomic<bool> collecting_;
};

// The reason shown for an error ("access denied").
TextId ReasonOf(FsError error);

// One line per problem, in the order met, or the one line of kReportNone.
// Paths are shown as they are (a "%" in one is no placeholder); a control
// character in one (a line break in a name the platform allows) shows as
// U+FFFD, so that each problem stays one line.
std::vector<std::string> ReportLines(const LanguageTable& texts,
                                     const std::vector<RunProblem>& problems);
// The lines joined by CR LF, the last one ended too ("" for none).
std::string ReportText(const std::vector<std::string>& lines);

}  // namespace px
