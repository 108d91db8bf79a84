// A copy, move or delete run as a job: the engine works on a thread of the
// job runner, and its questions go through a broker to the window that owns
// the job, which answers them on the window's thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "core/fileops/Engine.h"
#include "core/fileops/RunReport.h"
#include "core/jobs/JobRunner.h"
#include "core/language/LanguageTable.h"
#include "framework/UiTasks.h"

namespace px {

// The engine's questions, asked on the window's thread. The run's thread
// posts each question and waits; the answer comes back through this shared
// object, which outlives any window, so that a question still queued when
// its window is gone is answered with the default and never touches it.
class QuestionBroker : public OperationPrompts, public std::enable_shared_from_this<QuestionBroker> {
 public:
  QuestionBroker(UiTaskQueue& tasks, const LanguageTable& texts) : tasks_(tasks), texts_(texts) {}

  // The window that owns the questions; beforeAsking runs on the window's
  // thread just before each one, so that the window shows where the run is.
  void SetOwner(HWND owner, std::function<void()> beforeAsking);
  // No more questions: the waiting one and every later one gets its default
  // (stop, cancel).
  void Abandon();
  // From now on (the job went to the background) a question is not put at
  // once but held until AskHeld, and onHeld runs on the window's thread when
  // one comes (the job list shows it and flashes).
  void HoldQuestions(std::function<void()> onHeld);
  // A question is waiting: held, or being put.
  bool Waiting() const { return waiting_.load(); }
  bool HasHeldQuestion() const;
  // Window's thread: puts the held question now, owned by owner; false
  // when none was held.
  bool AskHeld(HWND owner);

  PromptAnswer AskOverwrite(const OverwriteQuestion& question) override;
  PromptAnswer AskReadOnly(ReadOnlyCase question, const std::string& path) override;
  FailureAnswer AskFailure(FailureCase question, const std::string& path) override;
  void ShowMessage(RunMessage message, const std::string& path) override;
  PermanentAnswer AskPermanentDelete(const std::vector<std::string>& paths) override;

 private:
  template <typename Answer, typename Asking>
  Answer Ask(Answer fallback, Asking ask);

  UiTaskQueue& tasks_;
  const LanguageTable& texts_;
  mutable std::mutex mutex_;
  std::condition_variable answered_;
  HWND owner_ = nullptr;
  std::function<void()> beforeAsking_;
  bool abandoned_ = false;
  bool holding_ = false;
  std::function<void()> onHeld_;
  std::function<void(HWND)> held_;  // the question held, put by AskHeld
  std::atomic<bool> waiting_{false};
};

// What a progress window shows of a job: its labels, whether it has one bar
// from the start, its progress, and where its questions go (none for a job
// that asks nothing).
struct ProgressLabels {
  TextId source;
  TextId target;
  bool oneBar = false;
};

class ShownJob : public Job {
 public:
  virtual ProgressLabels Labels() const = 0;
  virtual ProgressSnapshot Progress() const = 0;
  virtual QuestionBroker* Broker() { return nullptr; }
  // Whether its problems can be skipped and listed at the end instead of
  // asked (the box of the progress window), and the switch.
  virtual bool CanCollect() const { return false; }
  virtual void SetCollect(bool collect) { (void)collect; }
  virtual bool Collecting() const { return false; }
};

class OperationJob : public ShownJob {
 public:
  // The job owns its file system, which only its thread uses.
  OperationJob(std::unique_ptr<FileSystem> fs, RunRequest request,
               std::shared_ptr<QuestionBroker> broker);

  JobState Run() override;
  void Cancel() override { engine_.RequestCancel(); }
  void Pause(bool paused) override { engine_.RequestPause(paused); }

  const RunRequest& Request() const { return request_; }
  ProgressLabels Labels() const override;
  ProgressSnapshot Progress() const override { return engine_.Progress(); }
  QuestionBroker* Broker() override { return broker_.get(); }
  // What the run did to each entry (kNotReached for all until it ended),
  // and its problems.
  RunResult Result() const;
  // Any thread: problems are skipped and listed at the end instead of asked.
  bool CanCollect() const override { return true; }
  void SetCollect(bool collect) override { collecting_.SetCollecting(collect); }
  bool Collecting() const override { return collecting_.Collecting(); }

 private:
  std::unique_ptr<FileSystem> fs_;
  RunRequest request_;
  std::shared_ptr<QuestionBroker> broker_;
  CollectingPrompts collecting_;
  FileOperationEngine engine_;
  mutable std::mutex resultLock_;
  RunResult result_;
};

}  // namespace px
