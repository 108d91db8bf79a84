// Runs the copy, move and delete engine over small trees with every file-system
// call failing in turn, a cancel at every check and many prompt answers, and
// checks after each run that no data was lost, half-written or misreported.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/fileops/Engine.h"
#include "core/fileops/MemoryFileSystem.h"
#include "core/text/CaseFold.h"
#include "tests/core/FileOpsTestSupport.h"

namespace px {
namespace {

using Snap = std::map<std::string, SnapshotEntry>;

std::string Body(const std::string& tag, size_t size) {
  std::string body = "<" + tag + ">";
  while (body.size() < size) body += static_cast<char>('a' + body.size() % 23);
  body.resize(size);
  return body;
}

void Volumes(MemoryFileSystem& fs) {
  fs.AddVolume("C:\\", 0xC0C0);
  fs.AddVolume("D:\\", 0xD0D0);
  fs.AddVolume("E:\\", 0xE0E0, 4000);
  (void)fs.AddAlias("Z:\\", "C:\\");
}

void BuildFiles(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\a.txt", Body("a", 1500));
  fs.AddFile("C:\\src\\b.txt", Body("b", 10), kAttrReadOnly | kAttrArchive);
  fs.AddFile("C:\\src\\e.txt", "");
  fs.AddFile("C:\\src\\big.bin", Body("big", 2800));
  fs.AddFile("D:\\dst\\B.TXT", Body("oldB", 40), kAttrReadOnly);
  fs.AddFile("D:\\dst\\a.txt", Body("oldA", 700));
  fs.AddFile("C:\\dst\\A.TXT", Body("oldA2", 30), kAttrReadOnly);
  fs.AddFile("C:\\dst\\b.txt", Body("oldb2", 20));
  fs.AddFile("E:\\dst\\a.txt", Body("oldE", 1000));
}

void BuildTree(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\tree\\f1", Body("f1", 2000));
  fs.AddFile("C:\\src\\tree\\sub\\g", Body("g", 300), kAttrReadOnly);
  fs.AddFile("C:\\src\\tree\\sub\\deep\\h", Body("h", 5));
  fs.AddFolder("C:\\src\\tree\\zz\\");
  fs.AddFile("C:\\src\\top.txt", Body("top", 100));
  fs.AddFile("D:\\dst\\tree\\sub\\G", Body("oldg", 50), kAttrReadOnly);
  fs.AddFile("D:\\dst\\tree\\zz", Body("blocker", 9));
  fs.AddFile("C:\\dst\\tree\\f1", Body("oldf1", 64));
}

void BuildLinks(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\tree\\f", Body("f", 50));
  fs.AddFile("C:\\outside\\keep.txt", Body("keep", 20));
  (void)fs.AddFolderLink("C:\\src\\tree\\loop", "C:\\src\\tree\\");
  (void)fs.AddFolderLink("C:\\src\\tree\\out", "C:\\outside\\");
  (void)fs.AddFolderLink("C:\\src\\lnk", "C:\\outside\\");
}

void BuildSame(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\a.txt", Body("a", 80));
  fs.AddFile("C:\\src\\h1", Body("h1", 60));
  (void)fs.AddHardLink("C:\\src\\h1", "C:\\src\\h2");
}

void BuildThree(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\a", Body("a", 30), kAttrReadOnly);
  fs.AddFile("C:\\src\\b", Body("b", 1100));
  fs.AddFile("C:\\src\\c", Body("c", 50));
}

struct Scenario {
  const char* name;
  void (*build)(MemoryFileSystem&);
  OperationKind kind;
  std::vector<std::string> names;
  const char* targetFolder;
  const char* newName;
  bool recycle;
};

const char kBase[] = "C:\\src\\";
const OperationKind kCopy = OperationKind::kCopy;
const OperationKind kMove = OperationKind::kMove;
const OperationKind kDelete = OperationKind::kDelete;

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"copy files to another drive", BuildFiles, kCopy, {"a.txt", "B.txt", "e.txt"}, "D:\\dst\\", "", false},
      {"move files to another drive", BuildFiles, kMove, {"a.txt", "b.txt", "e.txt"}, "D:\\dst\\", "", false},
      {"copy files on one drive", BuildFiles, kCopy, {"a.txt", "b.txt"}, "C:\\dst\\", "", false},
      {"move files on one drive", BuildFiles, kMove, {"a.txt", "b.txt", "e.txt"}, "C:\\dst\\", "", false},
      {"copy onto a full disk", BuildFiles, kCopy, {"a.txt", "big.bin"}, "E:\\dst\\", "", false},
      {"move onto a full disk", BuildFiles, kMove, {"big.bin", "a.txt"}, "E:\\dst\\", "", false},
      {"delete files", BuildFiles, kDelete, {"a.txt", "b.txt", "e.txt"}, "", "", false},
      {"recycle files", BuildFiles, kDelete, {"b.txt", "a.txt"}, "", "", true},
      {"copy tree to another drive", BuildTree, kCopy, {"tree", "top.txt"}, "D:\\dst\\", "", false},
      {"move tree to another drive", BuildTree, kMove, {"tree", "top.txt"}, "D:\\dst\\", "", false},
      {"copy tree on one drive", BuildTree, kCopy, {"TREE", "top.txt"}, "C:\\dst\\", "", false},
      {"move tree on one drive", BuildTree, kMove, {"tree", "top.txt"}, "C:\\dst\\", "", false},
      {"move tree under a new name", BuildTree, kMove, {"tree"}, "D:\\", "renamed", false},
      {"delete tree", BuildTree, kDelete, {"top.txt", "tree"}, "", "", false},
      {"recycle tree", BuildTree, kDelete, {"tree"}, "", "", true},
      {"copy tree into itself", BuildTree, kCopy, {"tree", "top.txt"}, "C:\\src\\tree\\sub\\", "", false},
      {"move tree below itself by alias", BuildTree, kMove, {"tree", "top.txt"}, "Z:\\SRC\\tree\\new\\", "", false},
      {"copy links", BuildLinks, kCopy, {"lnk", "tree"}, "D:\\dst\\", "", false},
      {"move links", BuildLinks, kMove, {"tree", "lnk"}, "D:\\dst\\", "", false},
      {"delete links", BuildLinks, kDelete, {"tree", "lnk"}, "", "", false},
      {"copy onto itself by alias", BuildSame, kCopy, {"a.txt", "h1"}, "Z:\\SRC\\", "", false},
      {"move onto itself by case", BuildSame, kMove, {"A.TXT"}, "C:\\src\\", "", false},
      {"copy onto a hard link", BuildSame, kCopy, {"h1"}, "C:\\src\\", "H2", false},
      {"move onto a hard link", BuildSame, kMove, {"h2"}, "C:\\src\\", "h1", false},
      {"copy three to one name", BuildThree, kCopy, {"a", "b", "c"}, "D:\\", "x", false},
      {"move three to one name", BuildThree, kMove, {"a", "b", "c"}, "D:\\", "x", false},
      {"move three to one name on one drive", BuildThree, kMove, {"c", "b", "a"}, "C:\\", "x", false},
  };
  return scenarios;
}

struct SweepRun {
  const Scenario* scenario = nullptr;
  AnswerPolicy policy;
  bool withFault = false;
  Fault fault;
  int cancelAt = 0;      // cancel at this check (0: never)
  int cancelAtCall = 0;  // or when this file-system call starts, as a click may come at any time
};

struct Outcome {
  int checks = 0;
  int fsCalls = 0;
  std::array<uint32_t, static_cast<size_t>(FsOp::kCount)> calls{};
};

// A scenario built once: its file system (cloned for every run), its state
// before any run, and which files the run acts on and where each one goes.
struct Prepared {
  std::unique_ptr<MemoryFileSystem> fs;
  Snap before;
  std::map<std::string, std::string> sourceBody;           // source key -> bytes
  std::map<std::string, std::string> targetOf;             // source key -> target key
  std::map<std::string, std::set<std::string>> bodiesFor;  // target key -> bytes allowed
  std::vector<std::vector<std::string>> entryFiles;        // per entry: its source keys
};

const Prepared& Prepare(const Scenario& s) {
  static std::map<const Scenario*, Prepared> cache;
  auto found = cache.find(&s);
  if (found != cache.end()) return found->second;
  Prepared& p = cache[&s];
  p.fs = std::make_unique<MemoryFileSystem>();
  Volumes(*p.fs);
  s.build(*p.fs);
  p.before = p.fs->Snapshot();
  p.entryFiles.resize(s.names.size());
  for (size_t i = 0; i < s.names.size(); ++i) {
    const std::string entry = FoldName(std::string(kBase) + s.names[i]);
    for (const auto& [key, value] : p.before) {
      if (value.folder) continue;
      if (key != entry && key.compare(0, entry.size() + 1, entry + "\\") != 0) continue;
      std::string rest = key.substr(entry.size());
      std::string name = *s.newName ? FoldName(s.newName) : FoldName(s.names[i]);
      std::string target = FoldName(s.targetFolder) + name + rest;
      p.sourceBody[key] = value.content;
      p.targetOf[key] = target;
      p.bodiesFor[target].insert(value.content);
      p.entryFiles[i].push_back(key);
    }
  }
  return p;
}

class Checker {
 public:
  explicit Checker(std::vector<std::string>& violations) : violations_(violations) {}

  Outcome Execute(const SweepRun& run) {
    const Scenario& s = *run.scenario;
    const Prepared& prepared = Prepare(s);
    std::unique_ptr<MemoryFileSystem> cloned = prepared.fs->Clone();
    MemoryFileSystem& fs = *cloned;
    const Snap& before = prepared.before;
    if (run.withFault) fs.AddFault(run.fault);
    ScriptedPrompts prompts(run.policy);
    FileOperationEngine engine(fs, prompts);
    Outcome outcome;
    Snap atCancel;
    bool cancelled = false;
    engine.SetCheckHook([&]() {
      if (++outcome.checks == run.cancelAt) {
        engine.RequestCancel();
        atCancel = fs.Snapshot();
        cancelled = true;
      }
    });
    // After the flag is set (by a click between checks) the call already under
    // way may finish; nothing later may open, replace, create or delete.
    bool flagSet = false;
    std::vector<std::string> lateCalls;
    fs.SetCallHook([&](FsOp op, const std::string& path) {
      const bool late = flagSet;
      if (++outcome.fsCalls == run.cancelAtCall) {
        engine.RequestCancel();
        flagSet = true;
      }
      if (!late) return;
      const bool temp = path.find("~px") != std::string::npos;
      if (op == FsOp::kOpenRead || op == FsOp::kRename || op == FsOp::kRemoveFolder ||
          op == FsOp::kRecycle || op == FsOp::kCreateFolder || (op == FsOp::kRemoveFile && !temp)) {
        lateCalls.push_back(std::to_string(static_cast<int>(op)) + " " + path);
      }
    });
    RunRequest request;
    request.kind = s.kind;
    request.baseFolder = kBase;
    request.names = s.names;
    request.targetFolder = s.targetFolder;
    request.newName = s.newName;
    request.recycle = s.recycle;
    request.blockSize = 512;
    RunResult result = engine.Run(request);
    for (size_t op = 0; op < outcome.calls.size(); ++op) outcome.calls[op] = fs.Calls(static_cast<FsOp>(op));

    run_ = &run;
    const Snap after = fs.Snapshot();
    const bool cleanupMayFail = run.withFault && run.fault.op == FsOp::kRemoveFile;
    const bool attributesMayFail = run.withFault && run.fault.op == FsOp::kSetAttributes;

    if (fs.WildcardCalls() != 0) Fail("a wildcard reached the file system");
    if (fs.OpenFileCount() != 0) Fail("a file was left open");
    for (const auto& [folder, count] : fs.ListCounts()) {
      if (count > 2) Fail("listed more than once per pass: " + folder);
    }
    if (result.entries.size() != s.names.size()) Fail("one result per entry");

    const auto& sourceBody = prepared.sourceBody;
    const auto& targetOf = prepared.targetOf;
    const auto& bodiesFor = prepared.bodiesFor;
    const auto& entryFiles = prepared.entryFiles;

    auto has = [](const Snap& snap, const std::string& key, const std::string& body) {
      auto it = snap.find(key);
      return it != snap.end() && !it->second.folder && it->second.content == body;
    };

    for (const auto& [key, body] : sourceBody) {
      const bool atSource = has(after, key, body);
      const bool atTarget = has(after, targetOf.at(key), body);
      if (s.kind == kCopy && !atSource) Fail("copy source changed: " + key);
      if (s.kind == kMove && !atSource && !atTarget) Fail("moved file lost: " + key);
      if (s.kind == kDelete && !atSource && after.count(key)) Fail("deleted file changed: " + key);
    }
    for (const auto& [key, value] : before) {
      if (value.folder || sourceBody.count(key)) continue;
      auto allowed = bodiesFor.find(key);
      auto now = after.find(key);
      if (now == after.end() || now->second.folder) {
        Fail("file outside the run vanished: " + key);
      } else if (now->second.content != value.content &&
                 (s.kind == kDelete || allowed == bodiesFor.end() ||
                  !allowed->second.count(now->second.content))) {
        Fail("existing file neither kept nor fully replaced: " + key);
      }
    }
    for (const auto& [key, value] : after) {
      if (value.folder) {
        continue;
      }
      if (before.count(key)) {
        const SnapshotEntry& old = before.at(key);
        if (old.content == value.content && old.attributes != value.attributes && !attributesMayFail) {
          Fail("attributes of an untouched file changed: " + key);
        }
        continue;
      }
      if (key.find("~px") != std::string::npos) {
        if (!cleanupMayFail) Fail("temporary file left: " + key);
        continue;
      }
      auto allowed = bodiesFor.find(key);
      if (s.kind == kDelete || allowed == bodiesFor.end() || !allowed->second.count(value.content)) {
        Fail("new file that is no complete copy: " + key);
      }
    }

    // Cancel: one message, nothing written or deleted after the flag was seen.
    if (cancelled) {
      if (prompts.Count(RunMessage::kCancelled) != 1) Fail("cancel message not shown exactly once");
      if (!result.cancelled) Fail("cancelled run not reported");
      auto withoutTemps = [](const Snap& snap) {
        Snap out;
        for (const auto& [key, value] : snap) {
          if (key.find("~px") == std::string::npos) out[key] = value;
        }
        return out;
      };
      if (withoutTemps(after) != withoutTemps(atCancel)) Fail("changes after cancel");
    } else if (flagSet) {
      for (const std::string& call : lateCalls) Fail("file-system change after the cancel flag: " + call);
      if (prompts.Count(RunMessage::kCancelled) != (result.cancelled ? 1 : 0)) {
        Fail("cancel message and result disagree");
      }
    } else if (prompts.Count(RunMessage::kCancelled) != 0 || result.cancelled) {
      Fail("cancel reported without cancel");
    }

    // Each entry's result against the disk.
    for (size_t i = 0; i < s.names.size() && i < result.entries.size(); ++i) {
      const std::string entry = FoldName(std::string(kBase) + s.names[i]);
      const bool isFolder = before.count(entry + "\\") != 0;
      const bool stillThere = after.count(isFolder ? entry + "\\" : entry) != 0;
      EntryOutcome got = result.entries[i];
      if (got == EntryOutcome::kGone) Fail("existing entry reported gone: " + entry);
      if (got == EntryOutcome::kNotReached) {
        for (const std::string& key : entryFiles[i]) {
          if (!has(after, key, sourceBody.at(key))) Fail("entry not reached but changed: " + key);
        }
        continue;
      }
      const bool done = got == EntryOutcome::kDone;
      if (s.kind == kDelete) {
        if (done == stillThere) Fail(std::string(done ? "done" : "not done") + " delete disagrees with disk: " + entry);
        continue;
      }
      bool allCopied = true;
      for (const std::string& key : entryFiles[i]) {
        if (!has(after, targetOf.at(key), sourceBody.at(key))) allCopied = false;
      }
      if (done && !allCopied) Fail("done but target incomplete: " + entry);
      if (s.kind == kMove && done && stillThere) Fail("move done but source left: " + entry);
      if (s.kind == kMove && !done && !stillThere) Fail("move not done but source gone: " + entry);
      if (s.kind == kCopy && !done && !isFolder && entryFiles[i].size() == 1) {
        const std::string& key = entryFiles[i][0];
        if (!has(before, targetOf.at(key), sourceBody.at(key)) && has(after, targetOf.at(key), sourceBody.at(key)) &&
            !has(atCancel, targetOf.at(key), sourceBody.at(key))) {
          Fail("copy not done but target written: " + entry);
        }
      }
    }
    return outcome;
  }

 private:
  void Fail(const std::string& what) {
    std::string where = std::string(run_->scenario->name) + " / answers " +
                        std::to_string(static_cast<int>(run_->policy.overwrite)) +
                        std::to_string(static_cast<int>(run_->policy.readOnly)) +
                        std::to_string(static_cast<int>(run_->policy.failure));
    if (run_->withFault) {
      where += " / fault op " + std::to_string(static_cast<int>(run_->fault.op)) + " call " +
               std::to_string(run_->fault.nth) + " mode " + std::to_string(static_cast<int>(run_->fault.mode));
    }
    if (run_->cancelAt) where += " / cancel at check " + std::to_string(run_->cancelAt);
    if (run_->cancelAtCall) where += " / cancel at call " + std::to_string(run_->cancelAtCall);
    violations_.push_back(where + ": " + what);
  }

  std::vector<std::string>& violations_;
  const SweepRun* run_ = nullptr;
};

std::vector<AnswerPolicy> AllPolicies() {
  std::vector<AnswerPolicy> out;
  for (int o = 0; o <= 4; ++o) {
    for (int r = 0; r <= 4; ++r) {
      for (int f = 0; f <= 2; ++f) {
        out.push_back({static_cast<PromptAnswer>(o), static_cast<PromptAnswer>(r), static_cast<FailureAnswer>(f)});
      }
    }
  }
  return out;
}

// A few answer sets that reach far into the runs (and stop early) for the
// fault and cancel sweeps.
const AnswerPolicy kSweepPolicies[] = {
    {PromptAnswer::kProceedAll, PromptAnswer::kProceedAll, FailureAnswer::kRetry},
    {PromptAnswer::kProceed, PromptAnswer::kProceed, FailureAnswer::kSkip},
    {PromptAnswer::kSkip, PromptAnswer::kSkipAll, FailureAnswer::kSkip},
    {PromptAnswer::kProceedAll, PromptAnswer::kCancel, FailureAnswer::kStop},
    {PromptAnswer::kCancel, PromptAnswer::kProceedAll, FailureAnswer::kRetry},
    {PromptAnswer::kSkipAll, PromptAnswer::kProceed, FailureAnswer::kRetry},
    {PromptAnswer::kProceed, PromptAnswer::kSkip, FailureAnswer::kStop},
    {PromptAnswer::kProceedAll, PromptAnswer::kProceedAll, FailureAnswer::kSkip},
};

std::vector<Fault> FaultsFor(FsOp op, uint32_t nth) {
  std::vector<Fault> out;
  out.push_back({op, nth, FaultMode::kFail, op == FsOp::kWrite ? FsError::kDiskFull : FsError::kIo});
  if (op == FsOp::kRead) {
    out.push_back({op, nth, FaultMode::kEarlyEnd, FsError::kOk});
    out.push_back({op, nth, FaultMode::kShortRead, FsError::kOk});
  }
  if (op == FsOp::kSizeOf) out.push_back({op, nth, FaultMode::kShortLength, FsError::kOk});
  if (op == FsOp::kRename) out.push_back({op, nth, FaultMode::kFail, FsError::kNotSameDevice});
  if (op == FsOp::kRecycle) {
    out.push_back({op, nth, FaultMode::kRecycleAbort, FsError::kOk});
    out.push_back({op, nth, FaultMode::kRecycleKeep, FsError::kOk});
  }
  return out;
}

TEST(FileOpsFault, EveryFailureAndCancelPointKeepsData) {
  std::vector<std::string> violations;
  Checker checker(violations);
  size_t scenarios = 0;
  const std::vector<AnswerPolicy> policies = AllPolicies();
  for (const Scenario& s : Scenarios()) {
    for (const AnswerPolicy& policy : policies) {
      SweepRun run;
      run.scenario = &s;
      run.policy = policy;
      checker.Execute(run);
      ++scenarios;
    }
    for (const AnswerPolicy& policy : kSweepPolicies) {
      SweepRun base;
      base.scenario = &s;
      base.policy = policy;
      const Outcome baseline = checker.Execute(base);
      ++scenarios;
      for (int check = 1; check <= baseline.checks; ++check) {
        SweepRun run = base;
        run.cancelAt = check;
        checker.Execute(run);
        ++scenarios;
      }
      for (int call = 1; &policy < kSweepPolicies + 2 && call <= baseline.fsCalls; ++call) {
        SweepRun run = base;
        run.cancelAtCall = call;
        checker.Execute(run);
        ++scenarios;
      }
      for (size_t op = 0; op < baseline.calls.size(); ++op) {
        for (uint32_t nth = 1; nth <= baseline.calls[op]; ++nth) {
          for (const Fault& fault : FaultsFor(static_cast<FsOp>(op), nth)) {
            SweepRun run = base;
            run.withFault = true;
            run.fault = fault;
            checker.Execute(run);
            ++scenarios;
          }
        }
      }
    }
  }
  std::cout << "scenarios: " << scenarios << ", violations: " << violations.size() << "\n";
  for (size_t i = 0; i < violations.size() && i < 25; ++i) std::cout << "  " << violations[i] << "\n";
  EXPECT_GE(scenarios, 10000u);
  EXPECT_TRUE(violations.empty());
}

}  // namespace
}  // namespace px
