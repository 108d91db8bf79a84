// The job runner: a job's end is recorded whatever becomes of the message
// that reports it; cancel and pause reach the job; the runner's end does not
// wait for ever on a job that does not end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/jobs/JobGate.h"
#include "core/jobs/JobRunner.h"

namespace px {
namespace {

using namespace std::chrono_literals;

// A job that works in steps until told to stop, holding while paused.
class StepJob : public Job {
 public:
  explicit StepJob(int steps, JobState end = JobState::kDone) : steps_(steps), end_(end) {}
  JobState Run() override {
    for (int i = 0; i < steps_ || steps_ < 0; ++i) {
      if (!gate_.Pass()) return JobState::kCancelled;
      ++done;
      if (fail_) throw std::runtime_error("disk gone");
      std::this_thread::sleep_for(1ms);
    }
    return end_;
  }
  void Cancel() override { gate_.Cancel(); }
  void Pause(bool paused) override { gate_.Pause(paused); }
  void FailNow() { fail_ = true; }
  std::atomic<int> done{0};

 private:
  int steps_;
  JobState end_;
  JobGate gate_;
  std::atomic<bool> fail_{false};
};

// Posts into a list the test runs itself, as the window's thread would; or
// refuses every post.
struct FakeWindowThread {
  bool refuse = false;
  std::mutex mutex;
  std::vector<std::function<void()>> tasks;
  JobRunner::Poster Poster() {
    return [this](std::function<void()> task) {
      std::lock_guard<std::mutex> lock(mutex);
      ++offered;
      if (refuse) return false;
      tasks.push_back(std::move(task));
      return true;
    };
  }
  // The job's thread posts after it recorded the end: waits for the offer.
  bool WaitForOffers(int count) {
    for (int i = 0; i < 5000; ++i) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (offered >= count) return true;
      }
      std::this_thread::sleep_for(1ms);
    }
    return false;
  }
  int offered = 0;
  void RunAll() {
    std::vector<std::function<void()>> now;
    {
      std::lock_guard<std::mutex> lock(mutex);
      now.swap(tasks);
    }
    for (auto& task : now) task();
  }
};

TEST(JobRunner, TheEndIsRecordedWhetherOrNotItsMessageArrives) {
  for (bool refuse : {false, true}) {
    FakeWindowThread window;
    window.refuse = refuse;
    JobRunner runner(window.Poster());
    std::vector<JobState> told;
    auto job = std::make_shared<StepJob>(3, JobState::kDone);
    const JobId id = runner.Start(job, [&](JobState state) { told.push_back(state); });
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(runner.Wait(id, 5s));
    EXPECT_EQ(runner.StateOf(id), JobState::kDone) << refuse;
    EXPECT_TRUE(runner.Running().empty());
    ASSERT_TRUE(window.WaitForOffers(1));
    window.RunAll();
    EXPECT_EQ(told, refuse ? std::vector<JobState>{} : std::vector<JobState>{JobState::kDone});
  }
}

TEST(JobRunner, CancelPauseAndFailureReachTheJob) {
  FakeWindowThread window;
  JobRunner runner(window.Poster());
  // Paused, it makes no step; resumed, it goes on; cancelled, it ends so.
  auto endless = std::make_shared<StepJob>(-1);
  const JobId id = runner.Start(endless);
  while (endless->done < 2) std::this_thread::sleep_for(1ms);
  runner.Pause(id, true);
  EXPECT_EQ(runner.StateOf(id), JobState::kPaused);
  // A step past the gate already may finish; none starts after it.
  const int held = endless->done + 1;
  std::this_thread::sleep_for(30ms);
  EXPECT_LE(endless->done, held);
  runner.Pause(id, false);
  EXPECT_EQ(runner.StateOf(id), JobState::kRunning);
  while (endless->done < held + 2) std::this_thread::sleep_for(1ms);
  runner.Pause(id, true);
  runner.Cancel(id);  // a cancel ends a paused job too
  ASSERT_TRUE(runner.Wait(id, 5s));
  EXPECT_EQ(runner.StateOf(id), JobState::kCancelled);
  EXPECT_EQ(runner.Running(), std::vector<JobId>{});

  // Only work is work: a helper's job is counted apart.
  auto helper = std::make_shared<StepJob>(-1);
  const JobId helperId = runner.Start(helper, {}, JobKind::kHelper);
  EXPECT_EQ(runner.Running(JobKind::kHelper), std::vector<JobId>{helperId});
  EXPECT_TRUE(runner.Running(JobKind::kWork).empty());
  runner.Cancel(helperId);
  ASSERT_TRUE(runner.Wait(helperId, 5s));

  // An exception is a failure, never a crash.
  auto failing = std::make_shared<StepJob>(10);
  failing->FailNow();
  const JobId failed = runner.Start(failing);
  ASSERT_TRUE(runner.Wait(failed, 5s));
  EXPECT_EQ(runner.StateOf(failed), JobState::kFailed);
  runner.Forget(failed);
  EXPECT_EQ(runner.StateOf(failed), JobState::kDone);  // no longer known
}

TEST(JobRunner, ItsEndCancelsWhatRunsAndWaitsOnlySoLong) {
  auto stoppable = std::make_shared<StepJob>(-1);
  {
    JobRunner runner;
    runner.Start(stoppable);
    while (stoppable->done < 1) std::this_thread::sleep_for(1ms);
  }
  const int after = stoppable->done;
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(stoppable->done, after);  // cancelled, not left running

  // A job that does not answer its cancel keeps the end waiting only so long.
  struct Deaf : Job {
    std::atomic<bool> release{false};
    JobState Run() override {
      while (!release) std::this_thread::sleep_for(1ms);
      return JobState::kDone;
    }
    void Cancel() override {}
  };
  auto deaf = std::make_shared<Deaf>();
  const auto start = std::chrono::steady_clock::now();
  {
    JobRunner runner;
    runner.Start(deaf);
  }
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, JobRunner::kExitWait);
  EXPECT_LT(waited, JobRunner::kExitWait + 2s);
  deaf->release = true;  // its thread ends on its own; nothing of the runner is left for it to touch
  std::this_thread::sleep_for(20ms);
}

}  // namespace
}  // namespace px
