// The queue of background jobs: which may run now, and the order shown.
#include "core/jobs/JobQueue.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>
#include <utility>

namespace px {

// The index points into the list, so a copy builds its own.
JobQueue::JobQueue(const JobQueue& other) : policy_(other.policy_), entries_(other.entries_) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) byId_.emplace(it->job.id, it);
}

JobQueue& JobQueue::operator=(const JobQueue& other) {
  if (this != &other) *this = JobQueue(other);
  return *this;
}

bool JobQueue::Add(JobId id, std::vector<std::string> driveKeys) {
  if (id == 0 || byId_.count(id) != 0) return false;
  std::sort(driveKeys.begin(), driveKeys.end());
  driveKeys.erase(std::unique(driveKeys.begin(), driveKeys.end()), driveKeys.end());
  Entry entry;
  entry.job.id = id;
  entry.keys = std::move(driveKeys);
  byId_.emplace(id, entries_.insert(entries_.end(), std::move(entry)));
  return true;
}

std::vector<JobId> JobQueue::Startable() const {
  std::vector<JobId> startable;
  if (policy_ == QueuePolicy::kAllAtOnce) {
    for (const Entry& e : entries_) {
      if (e.job.state == QueueState::kQueued) startable.push_back(e.job.id);
    }
    return startable;
  }
  // One pass: a drive is taken by a running job anywhere in the list, or by
  // the first queued job that touches it, whether that one may start or not,
  // so no later job overtakes it on that drive.
  std::unordered_set<std::string> taken;
  for (const Entry& e : entries_) {
    if (e.job.state == QueueState::kRunning) taken.insert(e.keys.begin(), e.keys.end());
  }
  for (const Entry& e : entries_) {
    if (e.job.state != QueueState::kQueued) continue;
    bool free = true;
    for (const std::string& key : e.keys) {
      if (!taken.insert(key).second) free = false;
    }
    if (free) startable.push_back(e.job.id);
  }
  return startable;
}

std::vector<JobId> JobQueue::TakeStartable() {
  std::vector<JobId> startable = Startable();
  for (JobId id : startable) Find(id)->job.state = QueueState::kRunning;
  return startable;
}

bool JobQueue::StartNow(JobId id) {
  auto it = Find(id);
  if (it == entries_.end() || it->job.state != QueueState::kQueued) return false;
  it->job.state = QueueState::kRunning;
  it->job.startedNow = true;
  return true;
}

bool JobQueue::Ended(JobId id) {
  auto it = Find(id);
  if (it == entries_.end() || it->job.state != QueueState::kRunning) return false;
  it->job.state = QueueState::kEnded;
  return true;
}

bool JobQueue::MoveUp(JobId id) {
  auto it = Find(id);
  if (it == entries_.end() || it->job.state != QueueState::kQueued) return false;
  for (auto other = it; other != entries_.begin();) {
    --other;
    if (other->job.state == QueueState::kQueued) {
      Swap(it, other);
      return true;
    }
  }
  return false;
}

bool JobQueue::MoveDown(JobId id) {
  auto it = Find(id);
  if (it == entries_.end() || it->job.state != QueueState::kQueued) return false;
  for (auto other = std::next(it); other != entries_.end(); ++other) {
    if (other->job.state == QueueState::kQueued) {
      Swap(it, other);
      return true;
    }
  }
  return false;
}

bool JobQueue::Remove(JobId id) {
  auto it = Find(id);
  if (it == entries_.end() || it->job.state == QueueState::kRunning) return false;
  byId_.erase(id);
  entries_.erase(it);
  return true;
}

std::size_t JobQueue::ClearEnded() {
  std::size_t cleared = 0;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->job.state == QueueState::kEnded) {
      byId_.erase(it->job.id);
      it = entries_.erase(it);
      ++cleared;
    } else {
      ++it;
    }
  }
  return cleared;
}

std::vector<QueuedJob> JobQueue::Order() const {
  std::vector<QueuedJob> order;
  order.reserve(entries_.size());
  for (const Entry& e : entries_) order.push_back(e.job);
  return order;
}

std::optional<QueueState> JobQueue::StateOf(JobId id) const {
  auto it = Find(id);
  if (it == entries_.end()) return std::nullopt;
  return it->job.state;
}

std::size_t JobQueue::Pending() const {
  return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) {
    return e.job.state != QueueState::kEnded;
  }));
}

JobQueue::Entries::iterator JobQueue::Find(JobId id) {
  auto found = byId_.find(id);
  return found == byId_.end() ? entries_.end() : found->second;
}

JobQueue::Entries::const_iterator JobQueue::Find(JobId id) const {
  auto found = byId_.find(id);
  return found == byId_.end() ? entries_.cend() : Entries::const_iterator(found->second);
}

// Trades the two entries' contents, so every other job keeps its node.
void JobQueue::Swap(Entries::iterator a, Entries::iterator b) {
  std::swap(*a, *b);
  byId_[a->job.id] = a;
  byId_[b->job.id] = b;
}

}  // namespace px
