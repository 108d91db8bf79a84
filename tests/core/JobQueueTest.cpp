// The queue of background jobs: which may start, in what order, and what the
// job list shows, over written cases and over long random runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/jobs/JobQueue.h"

namespace px {
namespace {

// "1R 2Q 3E 4R*": each job in display order, its state, * when started now.
std::string Render(const JobQueue& queue) {
  std::string out;
  for (const QueuedJob& job : queue.Order()) {
    if (!out.empty()) out += ' ';
    out += std::to_string(job.id);
    out += job.state == QueueState::kQueued ? 'Q' : job.state == QueueState::kRunning ? 'R' : 'E';
    if (job.startedNow) out += '*';
  }
  return out;
}

std::string Ids(const std::vector<JobId>& ids) {
  std::string out;
  for (JobId id : ids) out += (out.empty() ? "" : " ") + std::to_string(id);
  return out;
}

// One step of a case: "add 4 a b", "take 1 3" (the ids TakeStartable hands
// out), "now 2", "end 1", "up 3", "down 3", "remove 2", "clear 2" (how many),
// "policy all" / "policy turn", "order 1R 2Q"; a leading ! means the call
// answers false.
void RunStep(JobQueue& queue, const std::string& step) {
  SCOPED_TRACE(step);
  std::istringstream in(step);
  std::string op;
  in >> op;
  const bool expected = op.front() != '!';
  if (!expected) op.erase(0, 1);
  std::string rest;
  std::getline(in, rest);
  if (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
  std::istringstream args(rest);
  JobId id = 0;
  if (op == "add") {
    args >> id;
    std::vector<std::string> keys;
    for (std::string key; args >> key;) keys.push_back(key);
    EXPECT_EQ(queue.Add(id, keys), expected);
  } else if (op == "take") {
    EXPECT_EQ(Ids(queue.Startable()), rest);
    EXPECT_EQ(Ids(queue.TakeStartable()), rest);
  } else if (op == "order") {
    EXPECT_EQ(Render(queue), rest);
  } else if (op == "policy") {
    queue.SetPolicy(rest == "all" ? QueuePolicy::kAllAtOnce : QueuePolicy::kOneAfterAnotherPerDrive);
  } else if (op == "clear") {
    EXPECT_EQ(queue.ClearEnded(), std::stoul(rest));
  } else {
    args >> id;
    bool answer = false;
    if (op == "now") answer = queue.StartNow(id);
    else if (op == "end") answer = queue.Ended(id);
    else if (op == "up") answer = queue.MoveUp(id);
    else if (op == "down") answer = queue.MoveDown(id);
    else if (op == "remove") answer = queue.Remove(id);
    else ADD_FAILURE() << "unknown step";
    EXPECT_EQ(answer, expected);
  }
}

TEST(JobQueue, Cases) {
  static const struct {
    const char* what;
    std::vector<std::string> steps;
  } kCases[] = {
      {"one drive in turn, another beside it",
       {"add 1 a", "add 2 a", "add 3 b", "take 1 3", "order 1R 2Q 3R", "take ", "end 1", "take 2",
        "order 1E 2R 3R"}},
      {"a queued job ahead holds its drives for it",
       {"add 1 a", "add 2 a b", "add 3 b", "add 4 c", "take 1 4", "end 1", "take 2", "end 2",
        "take 3"}},
      {"a job without drives, and a drive named twice",
       {"add 1 a", "add 2", "add 3 a a", "take 1 2", "end 1", "take 3"}},
      {"keys compare exactly",
       {"add 1 disk:0", "add 2 Disk:0", "add 3 \\\\server\\share", "add 4 \\\\server\\share\\",
        "take 1 2 3 4"}},
      {"start now passes the policy and then holds its drive",
       {"add 1 a", "add 2 a", "add 3 a", "now 3", "order 1Q 2Q 3R*", "take ", "!now 3", "end 3",
        "take 1", "now 2", "order 1R 2R* 3E*"}},
      {"moves at the edges",
       {"add 1 a", "add 2 a", "add 3 a", "!up 1", "!down 3", "down 1", "order 2Q 1Q 3Q", "up 3",
        "order 2Q 3Q 1Q", "!down 1", "!up 2", "take 2"}},
      {"moves pass over running and ended jobs, which keep their places",
       {"add 1 a", "add 2 a", "add 3 b", "add 4 a", "take 1 3", "up 4", "order 1R 4Q 3R 2Q",
        "!up 4", "!up 1", "!down 3", "end 3", "!down 3", "down 4", "order 1R 2Q 3E 4Q", "end 1",
        "take 2"}},
      {"a running job is not removed",
       {"add 1 a", "add 2 a", "take 1", "!remove 1", "remove 2", "order 1R", "end 1", "remove 1",
        "order ", "!end 1"}},
      {"clearing forgets only the ended",
       {"add 1 a", "add 2 b", "add 3 a", "take 1 2", "end 2", "clear 1", "order 1R 3Q", "clear 0",
        "end 1", "clear 1", "order 3Q", "take 3"}},
      {"the policy applies from the next look",
       {"add 1 a", "add 2 a", "add 3 a", "take 1", "policy all", "take 2 3", "policy turn",
        "add 4 a", "take ", "end 1", "end 2", "take ", "end 3", "take 4"}},
      {"ids it does not hold, and ids it cannot take",
       {"add 1 a", "!add 1 b", "!add 0 a", "!now 9", "!end 9", "!up 9", "!down 9", "!remove 9",
        "!end 1", "order 1Q", "take 1", "!now 1", "!up 1", "!down 1"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    JobQueue queue;
    for (const std::string& step : c.steps) RunStep(queue, step);
  }
}

TEST(JobQueue, CopiesStandApart) {
  JobQueue queue;
  ASSERT_TRUE(queue.Add(1, {"a"}));
  ASSERT_TRUE(queue.Add(2, {"a"}));
  JobQueue copy = queue;
  EXPECT_TRUE(copy.MoveDown(1));
  EXPECT_TRUE(copy.Remove(1));
  EXPECT_EQ(Render(copy), "2Q");
  EXPECT_EQ(Render(queue), "1Q 2Q");
  queue = copy;
  EXPECT_EQ(Ids(queue.TakeStartable()), "2");
  EXPECT_EQ(Render(copy), "2Q");
  JobQueue moved = std::move(queue);
  EXPECT_TRUE(moved.Ended(2));
  EXPECT_EQ(moved.StateOf(2), QueueState::kEnded);
}

// What the test knows of each job it holds, apart from the queue.
struct Known {
  std::set<std::string> keys;
  QueueState state = QueueState::kQueued;
  bool startedNow = false;
  bool pastPolicy = false;  // started now, or while all ran at once
};

bool Share(const Known& a, const Known& b) {
  return std::any_of(a.keys.begin(), a.keys.end(), [&](const std::string& k) { return b.keys.count(k) != 0; });
}

class RandomRun {
 public:
  explicit RandomRun(unsigned seed) : random_(seed) {}

  void Step() {
    const int pick = Uniform(0, 99);
    if (pick < 22) Add();
    else if (pick < 40) Take();
    else if (pick < 55) Call("end", [&](JobId id) { return queue_.Ended(id); });
    else if (pick < 62) Call("now", [&](JobId id) { return queue_.StartNow(id); });
    else if (pick < 72) Call("up", [&](JobId id) { return queue_.MoveUp(id); });
    else if (pick < 82) Call("down", [&](JobId id) { return queue_.MoveDown(id); });
    else if (pick < 90) Call("remove", [&](JobId id) { return queue_.Remove(id); });
    else if (pick < 94) Clear();
    else if (pick < 97) queue_.SetPolicy(Uniform(0, 1) ? QueuePolicy::kAllAtOnce : QueuePolicy::kOneAfterAnotherPerDrive);
    else Drain(queue_, known_);
    CheckOrder();
    CheckRunning();
  }

  // Every queued job starts once the running ones end, a round at a time;
  // on a copy, so the run goes on from where it was.
  void DrainCopy() {
    JobQueue queue = queue_;
    std::map<JobId, Known> known = known_;
    Drain(queue, known);
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  void Add() {
    static const char* const kKeys[] = {"disk:0", "disk:1", "disk:2", "\\\\host\\share", "disk:3"};
    Known job;
    const int count = Uniform(0, 9) == 0 ? 0 : Uniform(1, 3);
    for (int i = 0; i < count; ++i) job.keys.insert(kKeys[Uniform(0, 4)]);
    std::vector<std::string> keys(job.keys.begin(), job.keys.end());
    if (!keys.empty() && Uniform(0, 3) == 0) keys.push_back(keys.front());
    const JobId id = ++lastId_;
    ASSERT_TRUE(queue_.Add(id, keys));
    ASSERT_FALSE(queue_.Add(id, keys));
    known_.emplace(id, job);
  }

  // Any id the queue may hold, one it has forgotten, or one it never had.
  JobId AnyId() {
    if (known_.empty() || Uniform(0, 9) == 0) return Uniform(0, 1) ? 0 : lastId_ + 1 + Uniform(0, 5);
    if (Uniform(0, 9) == 0) return Uniform(1, static_cast<int>(lastId_) + 1);
    auto it = known_.begin();
    std::advance(it, Uniform(0, static_cast<int>(known_.size()) - 1));
    return it->first;
  }

  template <typename Fn>
  void Call(const char* what, Fn call) {
    const JobId id = AnyId();
    SCOPED_TRACE(std::string(what) + " " + std::to_string(id));
    const auto it = known_.find(id);
    const std::vector<QueuedJob> before = queue_.Order();
    const bool answer = call(id);
    const std::string op = what;
    if (it == known_.end()) {
      EXPECT_FALSE(answer);
      EXPECT_EQ(queue_.Order(), before);
      return;
    }
    Known& job = it->second;
    if (op == "end") {
      EXPECT_EQ(answer, job.state == QueueState::kRunning);
      if (answer) job.state = QueueState::kEnded;
    } else if (op == "now") {
      EXPECT_EQ(answer, job.state == QueueState::kQueued);
      if (answer) Started(known_, id, true);
      job.startedNow = answer || job.startedNow;
    } else if (op == "remove") {
      EXPECT_EQ(answer, job.state != QueueState::kRunning);
      if (answer) known_.erase(it);
    } else {
      CheckMove(id, op == "up", before, answer);
    }
  }

  // A move trades the job with the nearest queued job that way, and nothing else.
  void CheckMove(JobId id, bool up, std::vector<QueuedJob> expected, bool answer) {
    std::vector<std::size_t> queued;
    std::size_t self = expected.size();
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (expected[i].state != QueueState::kQueued) continue;
      if (expected[i].id == id) self = queued.size();
      queued.push_back(i);
    }
    const bool can = self < queued.size() && (up ? self > 0 : self + 1 < queued.size());
    EXPECT_EQ(answer, can);
    if (can) std::swap(expected[queued[self]], expected[queued[up ? self - 1 : self + 1]]);
    EXPECT_EQ(queue_.Order(), expected);
  }

  void Clear() {
    std::size_t ended = 0;
    for (auto it = known_.begin(); it != known_.end();) {
      if (it->second.state == QueueState::kEnded) {
        it = known_.erase(it);
        ++ended;
      } else {
        ++it;
      }
    }
    EXPECT_EQ(queue_.ClearEnded(), ended);
  }

  void Take() { Take(queue_, known_); }

  // What TakeStartable hands out: under the drive policy, each job shares no
  // drive with a running job or with a queued job ahead of it, and each job
  // left queued does; at once, every queued job.
  void Take(JobQueue& queue, std::map<JobId, Known>& known) {
    const std::vector<QueuedJob> before = queue.Order();
    const std::vector<JobId> peeked = queue.Startable();
    const std::vector<JobId> taken = queue.TakeStartable();
    EXPECT_EQ(peeked, taken);
    const bool atOnce = queue.Policy() == QueuePolicy::kAllAtOnce;
    std::vector<JobId> expected;
    std::vector<const Known*> holding;  // running, or queued ahead
    for (const QueuedJob& j : before) {
      const Known& job = known.at(j.id);
      if (j.state == QueueState::kRunning) holding.push_back(&job);
    }
    for (const QueuedJob& j : before) {
      if (j.state != QueueState::kQueued) continue;
      const Known& job = known.at(j.id);
      const bool blocked =
          std::any_of(holding.begin(), holding.end(), [&](const Known* other) { return Share(job, *other); });
      if (atOnce || !blocked) expected.push_back(j.id);
      holding.push_back(&job);
    }
    EXPECT_EQ(taken, expected);
    for (JobId id : taken) Started(known, id, atOnce);
  }

  static void Started(std::map<JobId, Known>& known, JobId id, bool pastPolicy) {
    Known& job = known.at(id);
    job.state = QueueState::kRunning;
    job.pastPolicy = pastPolicy;
  }

  void Drain(JobQueue& queue, std::map<JobId, Known>& known) {
    const std::size_t rounds = known.size() + 1;
    for (std::size_t round = 0; round < rounds; ++round) {
      Take(queue, known);
      bool queued = false;
      for (auto& [id, job] : known) {
        if (job.state == QueueState::kRunning) {
          EXPECT_TRUE(queue.Ended(id));
          job.state = QueueState::kEnded;
        }
        queued = queued || job.state == QueueState::kQueued;
      }
      if (!queued) break;
    }
    for (const QueuedJob& j : queue.Order()) EXPECT_EQ(j.state, QueueState::kEnded) << j.id;
    EXPECT_EQ(queue.Pending(), 0u);
  }

  // The list holds each job the test holds once, in the state it knows.
  void CheckOrder() {
    const std::vector<QueuedJob> order = queue_.Order();
    ASSERT_EQ(order.size(), known_.size());
    std::set<JobId> seen;
    std::size_t pending = 0;
    for (const QueuedJob& j : order) {
      EXPECT_TRUE(seen.insert(j.id).second) << j.id;
      const auto it = known_.find(j.id);
      ASSERT_NE(it, known_.end()) << j.id;
      EXPECT_EQ(j.state, it->second.state) << j.id;
      EXPECT_EQ(j.startedNow, it->second.startedNow) << j.id;
      EXPECT_EQ(queue_.StateOf(j.id), it->second.state);
      if (j.state != QueueState::kEnded) ++pending;
    }
    EXPECT_EQ(queue_.Pending(), pending);
  }

  // Two running jobs share a drive only when one of them passed the policy.
  // (The order on each drive is checked as jobs start: a move may later put a
  // queued job ahead of a running one.)
  void CheckRunning() {
    const std::vector<QueuedJob> order = queue_.Order();
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (order[i].state != QueueState::kRunning) continue;
      const Known& a = known_.at(order[i].id);
      for (std::size_t k = i + 1; k < order.size(); ++k) {
        const Known& b = known_.at(order[k].id);
        if (order[k].state == QueueState::kRunning && Share(a, b)) {
          EXPECT_TRUE(a.pastPolicy || b.pastPolicy) << order[i].id << " " << order[k].id;
        }
      }
    }
  }

  std::mt19937 random_;
  JobQueue queue_;
  std::map<JobId, Known> known_;
  JobId lastId_ = 0;
};

TEST(JobQueue, RandomRunsKeepTheRules) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomRun run(seed);
    for (int step = 0; step < 3000; ++step) {
      run.Step();
      if (step % 50 == 0) run.DrainCopy();
      if (::testing::Test::HasFailure()) return;
    }
    run.DrainCopy();
  }
}

}  // namespace
}  // namespace px
