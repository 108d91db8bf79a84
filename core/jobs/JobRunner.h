// Long work off the window's thread. Each job runs on a thread the runner
// starts; the runner records how the job ended on that thread itself, so that
// whatever shows the job can always see its end: the message that says so is
// a courtesy, and may be lost.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace px {

enum class JobState : uint8_t {
  kRunning,
  kPaused,     // running, held at its next check
  kDone,
  kFailed,     // ended by an error it could not report otherwise
  kCancelled,
};

inline bool HasEnded(JobState state) {
  return state == JobState::kDone || state == JobState::kFailed || state == JobState::kCancelled;
}

// A piece of long work. Cancel and Pause come from any thread and take effect
// at the work's next check.
class Job {
 public:
  virtual ~Job() = default;
  // The work, on a thread of the runner; how it ended (kDone, kFailed or
  // kCancelled). An exception counts as kFailed.
  virtual JobState Run() = 0;
  virtual void Cancel() = 0;
  virtual void Pause(bool paused) { (void)paused; }
};

using JobId = uint64_t;

// Work the user asked for (a copy, attributes for a tree), or a helper of a
// window that goes with it (a tree's lookups): only work keeps the program
// from closing without a question.
enum class JobKind : uint8_t { kWork, kHelper };

class JobRunner {
 public:
  // Hands a function to the window's thread; false when it could not.
  using Poster = std::function<bool(std::function<void()>)>;

  explicit JobRunner(Poster post = {});
  // Cancels every job and waits for them a little; a job that does not end
  // by then (a drive that does not answer) is left to the process's end.
  ~JobRunner();
  JobRunner(const JobRunner&) = delete;
  JobRunner& operator=(const JobRunner&) = delete;

  // Starts job on a thread of its own; 0 when no thread could be had (the
  // job then never ran). onEnd runs on the window's thread after the end was
  // recorded, unless that post is lost.
  JobId Start(std::shared_ptr<Job> job, std::function<void(JobState)> onEnd = {},
              JobKind kind = JobKind::kWork);
  // kDone for a job the runner does not know (or no longer does).
  JobState StateOf(JobId id) const;
  bool Ended(JobId id) const { return HasEnded(StateOf(id)); }
  void Cancel(JobId id);
  void Pause(JobId id, bool paused);
  // Waits until the job ended; false when it had not by then.
  bool Wait(JobId id, std::chrono::milliseconds timeout) const;
  // Jobs started and not yet ended; of one kind only when given.
  std::vector<JobId> Running() const;
  std::vector<JobId> Running(JobKind kind) const;
  // Drops an ended job's record.
  void Forget(JobId id);

  // How long the runner's end waits for its jobs in all.
  static constexpr std::chrono::milliseconds kExitWait{3000};

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace px
