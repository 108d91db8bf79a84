// A copy, move or delete run as a job, and its question broker (see the header).
#include "fileops/OperationJob.h"

#include "core/language/TextFormat.h"
#include "fileops/Prompts.h"
#include "framework/AppContext.h"
#include "framework/MessageBoxes.h"

namespace px {

void QuestionBroker::SetOwner(HWND owner, std::function<void()> beforeAsking) {
  std::lock_guard<std::mutex> lock(mutex_);
  owner_ = owner;
  beforeAsking_ = std::move(beforeAsking);
}

void QuestionBroker::Abandon() {
  std::lock_guard<std::mutex> lock(mutex_);
  abandoned_ = true;
  held_ = nullptr;
  answered_.notify_all();
}

void QuestionBroker::HoldQuestions(std::function<void()> onHeld) {
  std::lock_guard<std::mutex> lock(mutex_);
  holding_ = true;
  onHeld_ = std::move(onHeld);
}

bool QuestionBroker::HasHeldQuestion() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<bool>(held_);
}

bool QuestionBroker::AskHeld(HWND owner) {
  std::function<void(HWND)> put;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    put = std::move(held_);
    held_ = nullptr;
  }
  if (!put) return false;
  put(owner);
  return true;
}

// Runs ask on the window's thread and waits for its answer; fallback when the
// question cannot be asked any more.
template <typename Answer, typename Asking>
Answer QuestionBroker::Ask(Answer fallback, Asking ask) {
  auto self = shared_from_this();
  auto answer = std::make_shared<Answer>(fallback);
  auto done = std::make_shared<bool>(false);
  waiting_.store(true);
  // Puts the question, owned by owner, and hands the answer to the run.
  std::function<void(HWND)> put = [self, answer, done, ask](HWND owner) {
    Answer given = ask(owner, self->texts_);
    std::lock_guard<std::mutex> lock(self->mutex_);
    *answer = given;
    *done = true;
    self->answered_.notify_all();
  };
  bool posted = tasks_.Post([self, put] {
    HWND owner;
    std::function<void()> beforeAsking;
    std::function<void()> onHeld;
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      if (self->abandoned_) return;
      if (self->holding_) {
        self->held_ = put;
        onHeld = self->onHeld_;
      }
      owner = self->owner_;
      beforeAsking = self->beforeAsking_;
    }
    if (onHeld) {
      onHeld();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      if (self->held_) return;  // held without anyone to tell
    }
    if (beforeAsking) beforeAsking();
    put(owner);
  });
  Answer result = fallback;
  if (posted) {
    std::unique_lock<std::mutex> lock(mutex_);
    answered_.wait(lock, [&] { return *done || abandoned_; });
    if (*done) result = *answer;
    held_ = nullptr;
  }
  waiting_.store(false);
  return result;
}

PromptAnswer QuestionBroker::AskOverwrite(const OverwriteQuestion& question) {
  return Ask<PromptAnswer>(PromptAnswer::kCancel, [question](HWND owner, const LanguageTable& texts) {
    OverwritePrompt prompt(texts, question);
    return prompt.DoModal(owner) < 0 ? PromptAnswer::kCancel : prompt.answer;
  });
}

PromptAnswer QuestionBroker::AskReadOnly(ReadOnlyCase question, const std::string& path) {
  return Ask<PromptAnswer>(PromptAnswer::kCancel, [question, path](HWND owner, const LanguageTable& texts) {
    ReadOnlyPrompt prompt(texts, question, path);
    return prompt.DoModal(owner) < 0 ? PromptAnswer::kCancel : prompt.answer;
  });
}

FailureAnswer QuestionBroker::AskFailure(FailureCase question, const std::string& path) {
  return Ask<FailureAnswer>(FailureAnswer::kStop, [question, path](HWND owner, const LanguageTable& texts) {
    FailurePrompt prompt(texts, question, path);
    return prompt.DoModal(owner) < 0 ? FailureAnswer::kStop : prompt.answer;
  });
}

void QuestionBroker::ShowMessage(RunMessage message, const std::string& path) {
  Ask<int>(0, [message, path](HWND owner, const LanguageTable& texts) {
    // Texts that name the entry concerned hold a %s for it.
    px::ShowMessage(owner, FormatText(texts.Text(TextOf(message)), {path}), kProductName,
                    MB_OK | MB_ICONEXCLAMATION);
    return 0;
  });
}

PermanentAnswer QuestionBroker::AskPermanentDelete(const std::vector<std::string>& paths) {
  return Ask<PermanentAnswer>(PermanentAnswer::kCancel, [paths](HWND owner, const LanguageTable& texts) {
    if (paths.empty()) return PermanentAnswer::kNo;
    const std::string question =
        paths.size() == 1
            ? FormatText(texts.Text(text::kPermanentDeleteOne), {paths[0]})
            : FormatText(texts.Text(text::kPermanentDeleteMany), {paths.size(), paths[0]});
    // No is the default: nothing is deleted for good by a stray Enter.
    const int answer = px::ShowMessage(owner, question, texts.Text(text::kPermanentDeleteTitle),
                                       MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON2);
    return answer == IDYES ? PermanentAnswer::kYes
           : answer == IDNO ? PermanentAnswer::kNo
                            : PermanentAnswer::kCancel;
  });
}

OperationJob::OperationJob(std::unique_ptr<FileSystem> fs, RunRequest request,
                           std::shared_ptr<QuestionBroker> broker)
    : fs_(std::move(fs)), request_(std::move(request)), broker_(std::move(broker)),
      collecting_(*broker_), engine_(*fs_, collecting_) {
  result_.entries.assign(request_.names.size(), EntryOutcome::kNotReached);
}

ProgressLabels OperationJob::Labels() const {
  switch (request_.kind) {
    case OperationKind::kDelete: return {text::kProgressDeleting, text::kProgressCopyTo, true};
    case OperationKind::kCopy: return {text::kProgressCopying, text::kProgressCopyTo, false};
    case OperationKind::kMove: return {text::kProgressMoving, text::kProgressMoveTo, false};
  }
  return {text::kProgressCopying, text::kProgressCopyTo, false};
}

JobState OperationJob::Run() {
  RunResult result = engine_.Run(request_);
  const bool cancelled = result.cancelled;
  {
    std::lock_guard<std::mutex> lock(resultLock_);
    result_ = std::move(result);
  }
  return cancelled ? JobState::kCancelled : JobState::kDone;
}

RunResult OperationJob::Result() const {
  std::lock_guard<std::mutex> lock(resultLock_);
  return result_;
}

}  // namespace px
