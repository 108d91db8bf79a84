#include "core/jobs/JobGate.h"

namespace px {

void JobGate::Cancel() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_.store(true);
  }
  changed_.notify_all();
}

void JobGate::Pause(bool paused) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = paused;
  }
  changed_.notify_all();
}

bool JobGate::Pass() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !paused_ || cancelled_.load(); });
  return !cancelled_.load();
}

}  // namespace px
