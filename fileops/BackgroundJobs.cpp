// Background copies, moves and deletes (see the header).
#include "fileops/BackgroundJobs.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace px {

namespace {

using Clock = std::chrono::steady_clock;

// The timers of the live lists, by their ids: a thread timer carries no
// pointer of its own.
std::map<UINT_PTR, BackgroundJobs*>& Timers() {
  static std::map<UINT_PTR, BackgroundJobs*> timers;
  return timers;
}

// Speed is measured over at least this long, and blended with the one before.
constexpr auto kSpeedWindow = std::chrono::seconds(1);

}  // namespace

struct BackgroundJobs::Entry {
  uint64_t key = 0;
  std::shared_ptr<OperationJob> job;
  JobId running = 0;  // on the runner; 0 while queued or once ended
  bool finished = false;
  BackgroundState finalState = BackgroundState::kDone;
  std::vector<RunProblem> problems;
  // For the speed: the units done when last measured.
  Clock::time_point measuredAt{};
  uint64_t measuredDone = 0;
  double speed = 0;
};

BackgroundJobs::BackgroundJobs(JobRunner& runner, DriveKeys driveKeys)
    : runner_(runner), driveKeys_(std::move(driveKeys)) {
  timer_ = SetTimer(nullptr, 0, kPollMilliseconds, &BackgroundJobs::OnTimer);
  if (timer_ != 0) Timers()[timer_] = this;
}

BackgroundJobs::~BackgroundJobs() {
  alive_.reset();
  onChanged_ = nullptr;
  onQuestion_ = nullptr;
  onEnded_ = nullptr;
  if (timer_ != 0) {
    KillTimer(nullptr, timer_);
    Timers().erase(timer_);
  }
  CancelAll();
}

void CALLBACK BackgroundJobs::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  auto found = Timers().find(id);
  if (found != Timers().end()) found->second->Poll();
}

void BackgroundJobs::SetPolicy(QueuePolicy policy) {
  queue_.SetPolicy(policy);
  Poll();
}

BackgroundJobs::Entry* BackgroundJobs::Find(uint64_t key) {
  for (auto& entry : entries_)
    if (entry->key == key) return entry.get();
  return nullptr;
}

const BackgroundJobs::Entry* BackgroundJobs::Find(uint64_t key) const {
  for (const auto& entry : entries_)
    if (entry->key == key) return entry.get();
  return nullptr;
}

void BackgroundJobs::Changed() const {
  if (onChanged_) onChanged_();
}

BackgroundJobs::Entry& BackgroundJobs::Enter(std::shared_ptr<OperationJob> job) {
  auto entry = std::make_unique<Entry>();
  entry->key = nextKey_++;
  entry->job = std::move(job);
  (void)queue_.Add(entry->key,
                   driveKeys_ ? driveKeys_(entry->job->Request()) : std::vector<std::string>{});
  entries_.push_back(std::move(entry));
  return *entries_.back();
}

uint64_t BackgroundJobs::Add(std::shared_ptr<OperationJob> job) {
  const uint64_t key = Enter(std::move(job)).key;
  Poll();
  Changed();
  return key;
}

uint64_t BackgroundJobs::Adopt(std::shared_ptr<OperationJob> job, JobId running) {
  Entry& adopted = Enter(std::move(job));
  adopted.running = running;
  // It runs already: it holds its drives as one started at once does.
  (void)queue_.StartNow(adopted.key);
  HoldQuestions(adopted);
  const uint64_t key = adopted.key;
  Poll();
  Changed();
  return key;
}

// Questions wait in the list until the user answers them there.
void BackgroundJobs::HoldQuestions(Entry& entry) {
  QuestionBroker* broker = entry.job->Broker();
  if (broker == nullptr) return;
  broker->HoldQuestions([this, alive = std::weak_ptr<bool>(alive_), key = entry.key] {
    if (!alive.lock()) return;
    Changed();
    if (onQuestion_) onQuestion_(key);
  });
}

void BackgroundJobs::Start(Entry& entry) {
  HoldQuestions(entry);
  entry.running = runner_.Start(entry.job, [this, alive = std::weak_ptr<bool>(alive_)](JobState) {
    if (alive.lock()) Poll();
  });
  // No thread to be had: the run never started, and nothing was touched.
  if (entry.running == 0) Record(entry, JobState::kFailed);
}

void BackgroundJobs::Record(Entry& entry, JobState ended) {
  if (entry.finished) return;
  entry.finished = true;
  if (entry.running != 0) runner_.Forget(entry.running);
  entry.running = 0;
  RunResult result = entry.job->Result();
  entry.problems = std::move(result.problems);
  if (ended == JobState::kCancelled || result.cancelled) {
    entry.finalState = BackgroundState::kCancelled;
  } else if (ended == JobState::kFailed || !entry.problems.empty()) {
    entry.finalState = BackgroundState::kFailed;
  } else {
    entry.finalState = BackgroundState::kDone;
  }
  (void)queue_.Ended(entry.key);
  if (QuestionBroker* broker = entry.job->Broker()) broker->Abandon();
  if (onEnded_) onEnded_(entry.job->Request());
}

void BackgroundJobs::Poll() {
  bool changed = false;
  // onEnded may list panels again, and the list may change under it: by key.
  std::vector<uint64_t> keys;
  for (const auto& entry : entries_) keys.push_back(entry->key);
  for (uint64_t key : keys) {
    Entry* entry = Find(key);
    if (entry == nullptr || entry->finished || entry->running == 0) continue;
    if (!runner_.Ended(entry->running)) continue;
    Record(*entry, runner_.StateOf(entry->running));
    changed = true;
  }
  if (stopping_) {
    if (changed) Changed();
    return;
  }
  for (JobId key : queue_.TakeStartable()) {
    if (Entry* entry = Find(key)) {
      Start(*entry);
      changed = true;
    }
  }
  if (changed) Changed();
}

std::vector<BackgroundRow> BackgroundJobs::Rows() {
  std::vector<BackgroundRow> rows;
  const Clock::time_point now = Clock::now();
  std::unordered_map<uint64_t, Entry*> byKey;
  for (auto& each : entries_) byKey.emplace(each->key, each.get());
  for (const QueuedJob& queued : queue_.Order()) {
    auto found = byKey.find(queued.id);
    if (found == byKey.end()) continue;
    Entry* entry = found->second;
    const RunRequest& request = entry->job->Request();
    BackgroundRow row;
    row.key = entry->key;
    row.kind = request.kind;
    row.source = request.baseFolder;
    if (request.names.size() == 1) row.source += request.names[0];
    row.target = request.targetFolder + request.newName;
    row.progress = entry->job->Progress();
    row.collect = entry->job->Collecting();
    row.problems = entry->problems.size();
    if (entry->finished) {
      row.state = entry->finalState;
    } else if (queued.state == QueueState::kQueued) {
      row.state = BackgroundState::kQueued;
    } else {
      QuestionBroker* broker = entry->job->Broker();
      row.state = broker != nullptr && broker->Waiting() ? BackgroundState::kWaiting
                  : runner_.StateOf(entry->running) == JobState::kPaused ? BackgroundState::kPaused
                                                                         : BackgroundState::kRunning;
      // Speed over the last second or so, in the units of the overall bar
      // (bytes for a copy or move, files for a delete).
      const uint64_t done = row.progress.overallDone;
      if (entry->measuredAt == Clock::time_point{} || done < entry->measuredDone) {
        entry->measuredAt = now;
        entry->measuredDone = done;
      } else if (now - entry->measuredAt >= kSpeedWindow) {
        const double seconds = std::chrono::duration<double>(now - entry->measuredAt).count();
        const double measured = static_cast<double>(done - entry->measuredDone) / seconds;
        entry->speed = entry->speed == 0 ? measured : (entry->speed + measured) / 2;
        entry->measuredAt = now;
        entry->measuredDone = done;
      }
      if (row.state == BackgroundState::kRunning) {
        row.bytesPerSecond = entry->speed;
        if (entry->speed > 0 && row.progress.phase == RunPhase::kWorking &&
            row.progress.overallTotal >= done) {
          row.secondsLeft =
              static_cast<int64_t>(static_cast<double>(row.progress.overallTotal - done) / entry->speed + 0.5);
        }
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<RunProblem> BackgroundJobs::Problems(uint64_t key) const {
  const Entry* entry = Find(key);
  return entry != nullptr ? entry->problems : std::vector<RunProblem>{};
}

std::string BackgroundJobs::Name(uint64_t key) const {
  const Entry* entry = Find(key);
  if (entry == nullptr) return std::string();
  const RunRequest& request = entry->job->Request();
  std::string name = request.baseFolder;
  if (request.names.size() == 1) name += request.names[0];
  if (!request.targetFolder.empty()) name += " \xE2\x86\x92 " + request.targetFolder + request.newName;
  return name;
}

void BackgroundJobs::Pause(uint64_t key, bool paused) {
  Entry* entry = Find(key);
  if (entry == nullptr || entry->finished || entry->running == 0) return;
  runner_.Pause(entry->running, paused);
  Changed();
}

void BackgroundJobs::Cancel(uint64_t key) {
  Entry* entry = Find(key);
  if (entry == nullptr || entry->finished) return;
  if (entry->running == 0) {
    // Queued: it never ran, and nothing was touched.
    if (queue_.StateOf(key) == QueueState::kQueued) {
      (void)queue_.StartNow(key);  // out of the queue's way
      entry->finished = true;
      entry->finalState = BackgroundState::kCancelled;
      (void)queue_.Ended(key);
      Poll();
      Changed();
    }
    return;
  }
  // A question it waits on gets its default (stop), and the run stops at its
  // next check; its end is recorded by the runner and seen by Poll.
  if (QuestionBroker* broker = entry->job->Broker()) broker->Abandon();
  runner_.Cancel(entry->running);
  Changed();
}

bool BackgroundJobs::StartNow(uint64_t key) {
  Entry* entry = Find(key);
  if (entry == nullptr || !queue_.StartNow(key)) return false;
  Start(*entry);
  Changed();
  return true;
}

bool BackgroundJobs::MoveUp(uint64_t key) {
  if (!queue_.MoveUp(key)) return false;
  Changed();
  return true;
}

bool BackgroundJobs::MoveDown(uint64_t key) {
  if (!queue_.MoveDown(key)) return false;
  Changed();
  return true;
}

bool BackgroundJobs::Remove(uint64_t key) {
  Entry* entry = Find(key);
  if (entry == nullptr || entry->running != 0 || !queue_.Remove(key)) return false;
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [key](const auto& each) { return each->key == key; }),
                 entries_.end());
  Poll();
  Changed();
  return true;
}

void BackgroundJobs::ClearFinished() {
  (void)queue_.ClearEnded();
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [](const auto& each) { return each->finished; }),
                 entries_.end());
  Changed();
}

void BackgroundJobs::SetCollect(uint64_t key, bool collect) {
  Entry* entry = Find(key);
  if (entry == nullptr || entry->finished) return;
  entry->job->SetCollect(collect);
  Changed();
}

bool BackgroundJobs::Answer(uint64_t key, HWND owner) {
  Entry* entry = Find(key);
  if (entry == nullptr || entry->finished) return false;
  QuestionBroker* broker = entry->job->Broker();
  if (broker == nullptr) return false;
  const bool asked = broker->AskHeld(owner);
  Changed();
  return asked;
}

size_t BackgroundJobs::Unfinished() const {
  size_t count = 0;
  for (const auto& entry : entries_)
    if (!entry->finished) ++count;
  return count;
}

void BackgroundJobs::CancelAll() {
  // Nothing queued starts any more, whatever ends meanwhile.
  stopping_ = true;
  std::vector<uint64_t> keys;
  for (const auto& entry : entries_)
    if (!entry->finished) keys.push_back(entry->key);
  for (uint64_t key : keys) Cancel(key);
  stopping_ = false;
}

}  // namespace px
