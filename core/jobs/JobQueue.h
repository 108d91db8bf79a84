// Which background jobs may run now. Pure bookkeeping on the window's thread:
// the queue starts nothing itself; its holder starts on the runner what
// TakeStartable hands out and reports each end back through Ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/jobs/JobRunner.h"

namespace px {

enum class QueuePolicy : uint8_t {
  // A job waits while a running job or a job queued ahead of it touches one
  // of its drives: each drive does one job at a time, in the queue's order.
  kOneAfterAnotherPerDrive,
  kAllAtOnce,
};

enum class QueueState : uint8_t { kQueued, kRunning, kEnded };

struct QueuedJob {
  JobId id = 0;
  QueueState state = QueueState::kQueued;
  bool startedNow = false;  // started by StartNow, past the policy

  friend bool operator==(const QueuedJob& a, const QueuedJob& b) {
    return a.id == b.id && a.state == b.state && a.startedNow == b.startedNow;
  }
};

class JobQueue {
 public:
  explicit JobQueue(QueuePolicy policy = QueuePolicy::kOneAfterAnotherPerDrive)
      : policy_(policy) {}
  JobQueue(const JobQueue& other);
  JobQueue& operator=(const JobQueue& other);
  JobQueue(JobQueue&&) = default;
  JobQueue& operator=(JobQueue&&) = default;

  // Queues a job at the end. driveKeys names each physical drive the job
  // reads or writes ("disk:0", "\\server\share"), compared exactly; a job
  // with none waits for nothing. false for id 0 or an id already held.
  bool Add(JobId id, std::vector<std::string> driveKeys);

  // Applies from the next TakeStartable; running jobs are left as they are.
  void SetPolicy(QueuePolicy policy) { policy_ = policy; }
  QueuePolicy Policy() const { return policy_; }

  // The queued jobs the policy lets start now, in queue order.
  std::vector<JobId> Startable() const;
  // The same, marked running: the holder starts each of them.
  std::vector<JobId> TakeStartable();
  // A queued job runs at once, whatever the policy; false when it is not
  // queued.
  bool StartNow(JobId id);
  // A running job ended (or could not be started); false when it was not
  // running. Call TakeStartable after it: the drives it held are free.
  bool Ended(JobId id);

  // A queued job trades places with the queued job before or after it; the
  // running and ended jobs keep theirs. false when it is not queued or no
  // queued job lies that way.
  bool MoveUp(JobId id);
  bool MoveDown(JobId id);

  // Forgets a queued or ended job; false for a running one.
  bool Remove(JobId id);
  // Forgets every ended job; how many.
  std::size_t ClearEnded();

  // Every job held, in display order.
  std::vector<QueuedJob> Order() const;
  std::optional<QueueState> StateOf(JobId id) const;
  // Jobs queued or running: what keeps the program from closing unasked.
  std::size_t Pending() const;

 private:
  struct Entry {
    QueuedJob job;
    std::vector<std::string> keys;  // sorted, without repeats
  };
  using Entries = std::list<Entry>;

  Entries::iterator Find(JobId id);
  Entries::const_iterator Find(JobId id) const;
  void Swap(Entries::iterator a, Entries::iterator b);

  QueuePolicy policy_;
  Entries entries_;
  std::unordered_map<JobId, Entries::iterator> byId_;
};

}  // namespace px
