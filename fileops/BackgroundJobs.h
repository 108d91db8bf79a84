// Copies, moves and deletes that run in the background: no window waits for
// them. Each is queued by the drives it touches (jobs on one disk run one
// after the other unless the user wants them at once), runs on the job
// runner, holds its questions until the user answers them from the job
// list, and stays listed with its outcome until cleared.
// Everything here runs on the window's thread; the runs report through the
// runner's record of their end and their progress snapshots, looked at on a
// timer, and the end's message only makes that sooner.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/fileops/Engine.h"
#include "core/jobs/JobQueue.h"
#include "core/jobs/JobRunner.h"
#include "fileops/OperationJob.h"

namespace px {

enum class BackgroundState : uint8_t {
  kQueued,
  kRunning,
  kPaused,
  kWaiting,  // for the answer to a question
  kDone,
  kFailed,   // ended with problems, or by an error of its own
  kCancelled,
};

inline bool IsFinished(BackgroundState state) {
  return state == BackgroundState::kDone || state == BackgroundState::kFailed ||
         state == BackgroundState::kCancelled;
}

// What the job list shows of one job.
struct BackgroundRow {
  uint64_t key = 0;
  OperationKind kind = OperationKind::kCopy;
  std::string source;  // the folder, and the name when there is one
  std::string target;  // the folder (empty for a delete)
  BackgroundState state = BackgroundState::kQueued;
  ProgressSnapshot progress;
  double bytesPerSecond = 0;  // over the last seconds; 0 while unknown
  int64_t secondsLeft = -1;   // -1 while unknown
  size_t problems = 0;
  bool collect = false;
};

class BackgroundJobs {
 public:
  // The drives a run touches, for the queue.
  using DriveKeys = std::function<std::vector<std::string>(const RunRequest&)>;

  BackgroundJobs(JobRunner& runner, DriveKeys driveKeys);
  // Cancels every job that has not ended (the runner waits for them).
  ~BackgroundJobs();
  BackgroundJobs(const BackgroundJobs&) = delete;
  BackgroundJobs& operator=(const BackgroundJobs&) = delete;

  // Something changed that the job list shows (a job added, started, ended,
  // waiting); progress itself is read on the list's own timer.
  void SetOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }
  // A job holds a question.
  void SetOnQuestion(std::function<void(uint64_t key)> onQuestion) {
    onQuestion_ = std::move(onQuestion);
  }
  // A job ended: the panels that show its folders are listed again.
  void SetOnEnded(std::function<void(const RunRequest& request)> onEnded) {
    onEnded_ = std::move(onEnded);
  }
  void SetPolicy(QueuePolicy policy);

  // Queues a job that has not run; it starts when the queue lets it. Skip
  // and collect is the job's own switch.
  uint64_t Add(std::shared_ptr<OperationJob> job);
  // Takes a job that runs already (a progress window sent it here).
  uint64_t Adopt(std::shared_ptr<OperationJob> job, JobId running);

  std::vector<BackgroundRow> Rows();
  // The problems of an ended job so far (empty for others).
  std::vector<RunProblem> Problems(uint64_t key) const;
  std::string Name(uint64_t key) const;

  void Pause(uint64_t key, bool paused);
  void Cancel(uint64_t key);
  bool StartNow(uint64_t key);
  bool MoveUp(uint64_t key);
  bool MoveDown(uint64_t key);
  // A queued job is dropped (it never ran) or an ended one forgotten.
  bool Remove(uint64_t key);
  void ClearFinished();
  void SetCollect(uint64_t key, bool collect);
  // Puts the question the job holds, owned by owner; false when none.
  bool Answer(uint64_t key, HWND owner);

  // Jobs queued or running.
  size_t Unfinished() const;
  void CancelAll();
  // Looks for ended jobs and starts what the queue lets start; the timer
  // and the end's message call it.
  void Poll();

  // How often the timer looks.
  static constexpr UINT kPollMilliseconds = 100;

 private:
  struct Entry;
  Entry* Find(uint64_t key);
  const Entry* Find(uint64_t key) const;
  // A new entry for job, queued by its drives.
  Entry& Enter(std::shared_ptr<OperationJob> job);
  void HoldQuestions(Entry& entry);
  void Start(Entry& entry);
  void Record(Entry& entry, JobState ended);
  void Changed() const;
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);

  JobRunner& runner_;
  DriveKeys driveKeys_;
  JobQueue queue_;
  std::vector<std::unique_ptr<Entry>> entries_;
  uint64_t nextKey_ = 1;
  UINT_PTR timer_ = 0;
  bool stopping_ = false;  // CancelAll: nothing queued starts
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::function<void()> onChanged_;
  std::function<void(uint64_t)> onQuestion_;
  std::function<void(const RunRequest&)> onEnded_;
};

}  // namespace px
