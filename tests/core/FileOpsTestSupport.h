// Prompts with fixed answers for the engine's tests; they record what was asked.
#pragma once

#include <string>
#include <vector>

#include "core/fileops/Engine.h"

namespace px {

struct AnswerPolicy {
  PromptAnswer overwrite = PromptAnswer::kProceed;
  PromptAnswer readOnly = PromptAnswer::kProceed;
  FailureAnswer failure = FailureAnswer::kSkip;
};

class ScriptedPrompts : public OperationPrompts {
 public:
  explicit ScriptedPrompts(AnswerPolicy policy = {}) : policy_(policy) {}

  PromptAnswer AskOverwrite(const OverwriteQuestion& question) override {
    overwrites.push_back(question);
    return policy_.overwrite;
  }
  PromptAnswer AskReadOnly(ReadOnlyCase, const std::string& path) override {
    readOnlyPaths.push_back(path);
    return policy_.readOnly;
  }
  // Retry is given twice in a row at most, then Skip, so a lasting failure ends.
  FailureAnswer AskFailure(FailureCase question, const std::string& path) override {
    failures.push_back({question, path});
    if (policy_.failure != FailureAnswer::kRetry) return policy_.failure;
    return ++retries_ % 3 == 0 ? FailureAnswer::kSkip : FailureAnswer::kRetry;
  }
  void ShowMessage(RunMessage message, const std::string& path) override {
    messages.push_back({message, path});
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

 private:
  AnswerPolicy policy_;
  int retries_ = 0;
};

}  // namespace px
