// The job runner (see the header).
#include "core/jobs/JobRunner.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace px {

struct JobRunner::Shared {
  struct Record {
    std::shared_ptr<Job> job;
    JobState state = JobState::kRunning;
    JobKind kind = JobKind::kWork;
    bool paused = false;
  };
  Poster post;
  mutable std::mutex mutex;
  mutable std::condition_variable ended;
  std::map<JobId, Record> records;
  JobId next = 1;

  // The records of ended jobs are kept for those that show them, but not
  // without end: a program that runs for weeks starts many jobs.
  static constexpr size_t kEndedKept = 256;
  void ForgetOldest() {
    size_t ended = 0;
    for (const auto& [id, record] : records) ended += HasEnded(record.state);
    for (auto it = records.begin(); ended > kEndedKept && it != records.end();) {
      if (HasEnded(it->second.state)) {
        it = records.erase(it);
        --ended;
      } else {
        ++it;
      }
    }
  }
};

JobRunner::JobRunner(Poster post) : shared_(std::make_shared<Shared>()) {
  shared_->post = std::move(post);
}

JobRunner::~JobRunner() {
  std::vector<std::shared_ptr<Job>> running;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (auto& [id, record] : shared_->records) {
      if (!HasEnded(record.state) && record.job) running.push_back(record.job);
    }
    // Nothing is handed to the window's thread from here on: it is going.
    shared_->post = nullptr;
  }
  for (const auto& job : running) job->Cancel();
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->ended.wait_for(lock, kExitWait, [&] {
    for (const auto& [id, record] : shared_->records) {
      if (!HasEnded(record.state)) return false;
    }
    return true;
  });
}

JobId JobRunner::Start(std::shared_ptr<Job> job, std::function<void(JobState)> onEnd,
                       JobKind kind) {
  JobId id;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    id = shared_->next++;
    shared_->records[id].job = job;
    shared_->records[id].kind = kind;
  }
  std::shared_ptr<Shared> shared = shared_;
  try {
    std::thread([shared, id, job, onEnd = std::move(onEnd)] {
      JobState state = JobState::kFailed;
      try {
        state = job->Run();
        if (!HasEnded(state)) state = JobState::kDone;
      } catch (...) {
        state = JobState::kFailed;
      }
      Poster post;
      {
        std::lock_guard<std::mutex> lock(shared->mutex);
        auto record = shared->records.find(id);
        if (record != shared->records.end()) {
          record->second.state = state;
          record->second.job.reset();  // what the job holds goes with its end
        }
        shared->ForgetOldest();
        post = shared->post;
      }
      shared->ended.notify_all();
      if (onEnd && post) (void)post([onEnd, state] { onEnd(state); });
    }).detach();
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->records.erase(id);
    return 0;
  }
  return id;
}

JobState JobRunner::StateOf(JobId id) const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  auto record = shared_->records.find(id);
  if (record == shared_->records.end()) return JobState::kDone;
  if (record->second.state == JobState::kRunning && record->second.paused) return JobState::kPaused;
  return record->second.state;
}

void JobRunner::Cancel(JobId id) {
  std::shared_ptr<Job> job;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    auto record = shared_->records.find(id);
    if (record == shared_->records.end() || HasEnded(record->second.state)) return;
    job = record->second.job;
  }
  if (job) job->Cancel();
}

void JobRunner::Pause(JobId id, bool paused) {
  std::shared_ptr<Job> job;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    auto record = shared_->records.find(id);
    if (record == shared_->records.end() || HasEnded(record->second.state)) return;
    record->second.paused = paused;
    job = record->second.job;
  }
  if (job) job->Pause(paused);
}

bool JobRunner::Wait(JobId id, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  return shared_->ended.wait_for(lock, timeout, [&] {
    auto record = shared_->records.find(id);
    return record == shared_->records.end() || HasEnded(record->second.state);
  });
}

std::vector<JobId> JobRunner::Running() const {
  std::vector<JobId> ids = Running(JobKind::kWork);
  for (JobId helper : Running(JobKind::kHelper)) ids.push_back(helper);
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::vector<JobId> JobRunner::Running(JobKind kind) const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  std::vector<JobId> ids;
  for (const auto& [id, record] : shared_->records) {
    if (!HasEnded(record.state) && record.kind == kind) ids.push_back(id);
  }
  return ids;
}

void JobRunner::Forget(JobId id) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  auto record = shared_->records.find(id);
  if (record != shared_->records.end() && HasEnded(record->second.state)) shared_->records.erase(record);
}

}  // namespace px
