// Prompts with fixed answers for the engine's tests; they record what was asked.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/fileops/Engine.h"

namespace px {

struct AnswerPolicy {
  PromptAnswer overwrite = PromptAnswer::kProceed;
  PromptAnswer readOnly = PromptAnswer::kProceed;
  FailureAnswer failure = FailureAnswer::kSkip;
  PermanentAnswer permanent = PermanentAnswer::kNo;
};

class ScriptedPrompts : public OperationPrompts {
 public:
  explicit ScriptedPrompts(AnswerPolicy policy = {}) : policy_(policy) {}

  PromptAnswer AskOverwrite(const OverwriteQuestion& question) override {
    overwrites.push_back(question);
    return Answered('o', policy_.overwrite);
  }
  PromptAnswer AskReadOnly(ReadOnlyCase, const std::string& path) override {
    readOnlyPaths.push_back(path);
    if (whileAsked) whileAsked(path);
    return Answered('r', policy_.readOnly);
  }
  // Retry is given twice in a row at most, then Skip, so a lasting failure ends.
  FailureAnswer AskFailure(FailureCase question, const std::string& path) override {
    failures.push_back({question, path});
    if (policy_.failure != FailureAnswer::kRetry) return Answered('f', policy_.failure);
    return Answered('f', ++retries_ % 3 == 0 ? FailureAnswer::kSkip : FailureAnswer::kRetry);
  }
  void ShowMessage(RunMessage message, const std::string& path) override {
    messages.push_back({message, path});
    answers.push_back({'m', static_cast<int>(message)});
  }
  PermanentAnswer AskPermanentDelete(const std::vector<std::string>& paths) override {
    permanentAsked.push_back(paths);
    return Answered('p', policy_.permanent);
  }
  int Count(RunMessage message) const {
    int n = 0;
    for (const auto& m : messages) n += m.first == message;
    return n;
  }

  std::vector<OverwriteQuestion> overwrites;
  std::vector<std::string> readOnlyPaths;
  std::vector<std::pair<FailureCase, std::string>> failures;
  std::vector<std::pair<RunMessage, std::string>> messages;
  std::vector<std::vector<std::string>> permanentAsked;  // the paths of each such question
  // Runs while the read-only question about a path is open: what another
  // program does meanwhile.
  std::function<void(const std::string&)> whileAsked;
  // Every question and message in order: 'o', 'r', 'f', 'p' with the
  // answer given, 'm' with the message.
  std::vector<std::pair<char, int>> answers;

 private:
  template <typename Answer>
  Answer Answered(char kind, Answer answer) {
    answers.push_back({kind, static_cast<int>(answer)});
    return answer;
  }
  AnswerPolicy policy_;
  int retries_ = 0;
};

}  // namespace px
