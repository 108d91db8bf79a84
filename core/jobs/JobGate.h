// Where long work checks in with the thread that asks it to pause or stop.
// Cancel and Pause come from any thread; the work calls Pass between two
// steps and holds there while paused.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace px {

class JobGate {
 public:
  void Cancel();
  void Pause(bool paused);
  // Holds while paused and not cancelled; false once cancelled.
  bool Pass();
  // Without holding.
  bool Cancelled() const { return cancelled_.load(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool paused_ = false;
  std::atomic<bool> cancelled_{false};
};

}  // namespace px
