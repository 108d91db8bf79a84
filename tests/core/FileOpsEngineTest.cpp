// Targeted cases of the copy, move and delete engine and its text helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fileops/Engine.h"
#include "core/fileops/MemoryFileSystem.h"
#include "core/fileops/OperationText.h"
#include "core/fileops/RunReport.h"
#include "tests/core/FileOpsTestSupport.h"

namespace px {
namespace {

TEST(FileOpsText, ResolveTarget) {
  struct Case {
    const char* typed;
    const char* panel;
    const char* folder;
    const char* name;
    bool valid;
  } const cases[] = {
      {"D:\\dst\\", "C:\\src\\", "D:\\dst\\", "", true},
      {"D:\\dst", "C:\\src\\", "D:\\", "dst", true},
      {"name.txt", "C:\\src\\", "C:\\src\\", "name.txt", true},
      {"", "C:\\src\\", "C:\\src\\", "", true},
      {"sub\\", "C:\\src\\", "C:\\src\\sub\\", "", true},
      {"sub\\x", "C:\\src\\", "C:\\src\\sub\\", "x", true},
      {"D:x", "D:\\work\\", "D:\\work\\", "x", true},
      {"D:x", "C:\\src\\", "D:\\", "x", true},
      {"d:", "C:\\src\\", "d:\\", "", true},
      {"\\top\\", "C:\\src\\", "C:\\top\\", "", true},
      {"..\\up", "C:\\src\\deep\\", "C:\\src\\", "up", true},
      {".\\a\\..\\b\\", "C:\\src\\", "C:\\src\\b\\", "", true},
      {"C:/x/y", "D:\\", "C:\\x\\", "y", true},
      {"\\\\srv\\share\\d\\", "C:\\", "\\\\srv\\share\\d\\", "", true},
      {"\\x", "\\\\srv\\share\\d\\", "\\\\srv\\share\\", "x", true},
      {"D:\\*.txt", "C:\\", "D:\\", "*.txt", false},
      {"D:\\a?\\", "C:\\", "D:\\a?\\", "", false},
  };
  for (const Case& c : cases) {
    ResolvedTarget r = ResolveTarget(c.typed, c.panel);
    EXPECT_EQ(r.targetFolder, c.folder) << c.typed;
    EXPECT_EQ(r.newName, c.name) << c.typed;
    EXPECT_EQ(r.valid, c.valid) << c.typed;
  }
}

TEST(FileOpsText, QuestionTexts) {
  const std::string forty(40, 'a');
  EXPECT_EQ(ShortenedName(forty, kDeleteQuestionLimit), forty);
  EXPECT_EQ(ShortenedName(forty + "b", kDeleteQuestionLimit), std::string(38, 'a') + "...");
  EXPECT_EQ(ShortenedName(std::string(30, 'x'), kTransferQuestionLimit), std::string(30, 'x'));
  std::string wide;
  for (int i = 0; i < 31; ++i) wide += "\xC3\xA4";  // 31 code points, 62 bytes
  std::string cut;
  for (int i = 0; i < 28; ++i) cut += "\xC3\xA4";
  EXPECT_EQ(ShortenedName(wide, kTransferQuestionLimit), cut + "...");

  // 2024-02-29 13:05:09 local, 5 GiB: the size is never cut to 32 bits.
  const uint64_t kDay = 864000000000ull;
  const uint64_t leapDay = 154556 * kDay;  // days from 1601-01-01 to 2024-02-29
  EXPECT_EQ(SizeAndDateLine(5ull << 30, leapDay + (13 * 3600 + 5 * 60 + 9) * 10000000ull),
            "5 368 709 120 Byte, 29.02.24 13:05:09");
  EXPECT_EQ(SizeAndDateLine(0, 0), "0 Byte, 01.01.01 00:00:00");

  EXPECT_EQ(BarPosition(0, 0), 0);
  EXPECT_EQ(BarPosition(7, 7), kBarRange);
  const uint64_t total = 5ull << 30;
  int last = -1, moves = 0;
  for (uint64_t done = 0; done <= total; done += 1ull << 20) {
    int pos = BarPosition(done, total);
    EXPECT_GE(pos, last);
    moves += pos != last;
    last = pos;
  }
  EXPECT_EQ(last, kBarRange);
  EXPECT_GT(moves, 5000);  // 5120 blocks of 1 MiB move a 10000-step bar nearly every block
}

MemoryFileSystem& Drives(MemoryFileSystem& fs) {
  fs.AddVolume("C:\\", 1);
  fs.AddVolume("D:\\", 2);
  fs.AddVolume("E:\\", 3, 1000);
  (void)fs.AddAlias("Z:\\", "C:\\");
  return fs;
}

RunResult RunOn(MemoryFileSystem& fs, ScriptedPrompts& prompts, OperationKind kind,
                std::vector<std::string> names, const std::string& target = "",
                const std::string& newName = "", bool recycle = false) {
  FileOperationEngine engine(fs, prompts);
  fs.ResetCalls();  // faults count from here
  RunRequest request;
  request.kind = kind;
  request.baseFolder = "C:\\src\\";
  request.names = std::move(names);
  request.targetFolder = target;
  request.newName = newName;
  request.recycle = recycle;
  request.blockSize = 64;
  return engine.Run(request);
}

const EntryOutcome kDone = EntryOutcome::kDone;
const EntryOutcome kNotDone = EntryOutcome::kNotDone;
const EntryOutcome kNotReached = EntryOutcome::kNotReached;
const AnswerPolicy kAll{PromptAnswer::kProceedAll, PromptAnswer::kProceedAll, FailureAnswer::kSkip};

TEST(FileOpsEngine, CopyReplacesOnlyWithACompleteCopyAndKeepsTheStoredName) {
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\a.txt", std::string(300, 'n'), kAttrReadOnly | kAttrArchive);
  fs.AddFile("D:\\dst\\A.TXT", "old", kAttrReadOnly);
  ScriptedPrompts prompts(kAll);
  RunResult r = RunOn(fs, prompts, OperationKind::kCopy, {"a.txt"}, "D:\\dst\\");
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kDone});
  EXPECT_EQ(fs.Content("D:\\dst\\a.txt"), std::string(300, 'n'));
  FsResult<EntryInfo> copied = fs.Lookup("D:\\dst\\a.txt");
  EXPECT_EQ(copied.value.name, "A.TXT");
  EXPECT_EQ(copied.value.attributes, kAttrReadOnly | kAttrArchive);  // the source's bits
  ASSERT_EQ(prompts.overwrites.size(), 1u);  // overwrite first, then read-only
  EXPECT_EQ(prompts.overwrites[0].target, "D:\\dst\\A.TXT");
  EXPECT_EQ(prompts.overwrites[0].targetSize, 3u);
  EXPECT_EQ(prompts.overwrites[0].sourceSize, 300u);
  EXPECT_EQ(prompts.readOnlyPaths, std::vector<std::string>{"D:\\dst\\A.TXT"});

  // A full disk while the new data is written leaves the old target as it was.
  fs.AddFile("C:\\src\\big", std::string(900, 'b'));
  fs.AddFile("E:\\big", std::string(200, 'o'));
  ScriptedPrompts skip(kAll);
  r = RunOn(fs, skip, OperationKind::kCopy, {"big"}, "E:\\");
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
  EXPECT_EQ(fs.Content("E:\\big"), std::string(200, 'o'));
  for (const auto& entry : fs.Snapshot()) EXPECT_EQ(entry.first.find("~px"), std::string::npos);
  ASSERT_EQ(skip.failures.size(), 1u);
  EXPECT_EQ(skip.failures[0].first, FailureCase::kCopy);
}

// A run of many files lists each target folder once and writes new targets in
// place; names that exist (in any case) are still asked about, and a creation
// that fails or finds the name taken after all falls back to the careful way.
TEST(FileOpsEngine, ManyFilesIntoAListedFolderKeepEveryAnswerAndByte) {
  struct Case {
    OperationKind kind;
    const char* target;
    Fault fault;
  } const cases[] = {
      {OperationKind::kCopy, "D:\\dst\\", {FsOp::kCount, 0}},
      {OperationKind::kCopy, "D:\\dst\\", {FsOp::kCreateNewFile, 5, FaultMode::kFail, FsError::kIo}},
      {OperationKind::kCopy, "D:\\dst\\",
       {FsOp::kCreateNewFile, 1, FaultMode::kFail, FsError::kAlreadyExists}},
      {OperationKind::kCopy, "C:\\dst\\", {FsOp::kWrite, 9, FaultMode::kFail, FsError::kDiskFull}},
      {OperationKind::kMove, "C:\\dst\\", {FsOp::kCount, 0}},
      {OperationKind::kMove, "D:\\dst\\", {FsOp::kCreateNewFile, 7, FaultMode::kFail, FsError::kIo}},
      // The file system holding less than was written is a failed copy.
      {OperationKind::kMove, "D:\\dst\\", {FsOp::kSizeOf, 4, FaultMode::kShortLength, FsError::kOk}},
  };
  const int count = static_cast<int>(kListTargetsFrom) + 6;
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    Drives(fs);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
      names.push_back("f" + std::to_string(i));
      fs.AddFile("C:\\src\\" + names.back(), "body" + std::to_string(i));
    }
    const std::string target = c.target;
    for (const char* taken : {"F3", "f7", "f11"}) fs.AddFile(target + taken, "old");
    if (c.fault.op != FsOp::kCount) fs.AddFault(c.fault);
    ScriptedPrompts prompts({PromptAnswer::kProceed, PromptAnswer::kProceed, FailureAnswer::kRetry});
    RunResult r = RunOn(fs, prompts, c.kind, names, target);
    const std::string label = target + " fault " + std::to_string(static_cast<int>(c.fault.op));
    EXPECT_EQ(r.entries, std::vector<EntryOutcome>(names.size(), kDone)) << label;
    EXPECT_EQ(prompts.overwrites.size(), 3u) << label;
    EXPECT_EQ(prompts.failures.size(), c.fault.op == FsOp::kCount ||
                                               c.fault.error == FsError::kAlreadyExists
                                           ? 0u
                                           : 1u)
        << label;
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(fs.Content(target + names[i]), "body" + std::to_string(i)) << label << i;
      EXPECT_EQ(fs.Content("C:\\src\\" + names[i]).has_value(), c.kind == OperationKind::kCopy)
          << label << i;
    }
    for (const auto& entry : fs.Snapshot()) EXPECT_EQ(entry.first.find("~px"), std::string::npos);
    EXPECT_EQ(fs.OpenFileCount(), 0u) << label;
  }

  // All of them sent to one new name: the first is written, none overwrites it.
  MemoryFileSystem fs;
  Drives(fs);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back("f" + std::to_string(i));
    fs.AddFile("C:\\src\\" + names.back(), "body" + std::to_string(i));
  }
  ASSERT_TRUE(fs.AddFolder("D:\\dst"));
  ScriptedPrompts prompts(kAll);
  RunResult r = RunOn(fs, prompts, OperationKind::kCopy, names, "D:\\dst\\", "one");
  std::vector<EntryOutcome> expected(names.size(), kNotDone);
  expected[0] = kDone;
  EXPECT_EQ(r.entries, expected);
  EXPECT_EQ(fs.Content("D:\\dst\\one"), "body0");
  EXPECT_EQ(prompts.failures.size(), names.size() - 1);
}

TEST(FileOpsEngine, MoveOnOneVolumeRenamesOverTheTargetAcrossVolumesCopies) {
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\a", "new-a");
  fs.AddFile("C:\\src\\b", "new-b");
  fs.AddFile("C:\\dst\\a", "old-a");
  fs.AddFile("D:\\dst\\b", "old-b");
  ScriptedPrompts prompts(kAll);
  RunResult r = RunOn(fs, prompts, OperationKind::kMove, {"a"}, "Z:\\dst\\");  // alias: one volume
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kDone});
  EXPECT_EQ(fs.Calls(FsOp::kCreateTempFile), 0u);
  EXPECT_EQ(fs.Calls(FsOp::kRemoveFile), 0u);
  EXPECT_EQ(fs.Content("C:\\dst\\a"), "new-a");
  r = RunOn(fs, prompts, OperationKind::kMove, {"b"}, "D:\\dst\\");
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kDone});
  EXPECT_EQ(fs.Content("D:\\dst\\b"), "new-b");
  EXPECT_FALSE(fs.Content("C:\\src\\b"));

  // The source cannot be removed: the copy stays, the move is not done.
  fs.AddFile("C:\\src\\ro", "keep", kAttrReadOnly);
  ScriptedPrompts noDelete({PromptAnswer::kProceed, PromptAnswer::kSkip, FailureAnswer::kSkip});
  r = RunOn(fs, noDelete, OperationKind::kMove, {"ro"}, "D:\\dst\\");
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
  EXPECT_EQ(fs.Content("C:\\src\\ro"), "keep");
  EXPECT_EQ(fs.Content("D:\\dst\\ro"), "keep");
}

// With verify on, each copy is read back from the disk before it replaces
// anything or its source is deleted: one that reads back otherwise is removed
// and asked about as a failed copy (Retry copies again), the old target and
// the source stay byte for byte, and the bars never go back.
TEST(FileOpsEngine, VerifiedCopiesReplaceOrDeleteOnlyWhatReadsBack) {
  const int many = static_cast<int>(kListTargetsFrom);  // written straight into place
  struct Case {
    const char* label;
    OperationKind kind;
    const char* target;
    int files;
    Fault fault;
    FailureAnswer failure;
    bool done;  // the bent file ends up copied
  } const cases[] = {
      {"onto an old target", OperationKind::kCopy, "D:\\dst\\", 1,
       {FsOp::kWrite, 2, FaultMode::kCorrupt, FsError::kOk}, FailureAnswer::kSkip, false},
      {"read back bent", OperationKind::kCopy, "D:\\dst\\", 1,
       {FsOp::kOpenReadFromDisk, 1, FaultMode::kCorrupt, FsError::kOk}, FailureAnswer::kSkip, false},
      {"not read back", OperationKind::kCopy, "D:\\dst\\", 1,
       {FsOp::kOpenReadFromDisk, 1, FaultMode::kFail, FsError::kSharingViolation}, FailureAnswer::kStop, false},
      {"read back cut short", OperationKind::kCopy, "D:\\dst\\", 1,
       {FsOp::kRead, 7, FaultMode::kEarlyEnd, FsError::kOk}, FailureAnswer::kSkip, false},  // after the source's 5
      {"retried", OperationKind::kCopy, "D:\\dst\\", 1,
       {FsOp::kWrite, 1, FaultMode::kCorrupt, FsError::kOk}, FailureAnswer::kRetry, true},
      {"in place", OperationKind::kCopy, "D:\\new\\", many,
       {FsOp::kWrite, 7, FaultMode::kCorrupt, FsError::kOk}, FailureAnswer::kSkip, false},
      {"moved across volumes", OperationKind::kMove, "D:\\dst\\", 1,
       {FsOp::kWrite, 3, FaultMode::kCorrupt, FsError::kOk}, FailureAnswer::kSkip, false},
      {"moved across volumes in place", OperationKind::kMove, "D:\\new\\", many,
       {FsOp::kWrite, 1, FaultMode::kCorrupt, FsError::kOk}, FailureAnswer::kSkip, false},
      {"clean", OperationKind::kCopy, "D:\\dst\\", 2, {FsOp::kCount, 0}, FailureAnswer::kSkip, true},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    Drives(fs);
    std::vector<std::string> names;
    for (int i = 0; i < c.files; ++i) {
      names.push_back("f" + std::to_string(i));
      fs.AddFile("C:\\src\\" + names.back(), std::string(200 + i, static_cast<char>('a' + i % 26)));
    }
    fs.AddFile("D:\\dst\\f0", "old");
    fs.AddFolder("D:\\new\\");
    if (c.fault.op != FsOp::kCount) fs.AddFault(c.fault);
    const auto before = fs.Snapshot();
    ScriptedPrompts prompts({PromptAnswer::kProceedAll, PromptAnswer::kProceedAll, c.failure});
    FileOperationEngine engine(fs, prompts);
    uint64_t lastOverall = 0;
    bool backwards = false;
    engine.SetCheckHook([&] {
      const uint64_t now = engine.Progress().overallDone;
      backwards = backwards || now < lastOverall;
      lastOverall = now;
    });
    RunRequest request{c.kind, "C:\\src\\", names, c.target, "", false, 64};
    request.verify = true;
    fs.ResetCalls();
    RunResult r = engine.Run(request);
    EXPECT_FALSE(backwards) << c.label;
    EXPECT_EQ(fs.Calls(FsOp::kOpenReadFromDisk), static_cast<uint32_t>(c.files) + (c.failure == FailureAnswer::kRetry))
        << c.label;
    if (c.fault.op != FsOp::kCount) {
      EXPECT_EQ(fs.FaultsFired(), 1u) << c.label;
    }
    const auto after = fs.Snapshot();
    size_t bent = 0;  // the files not copied
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string source = "c:\\src\\" + names[i];
      const std::string target = std::string("d") + (c.target + 1) + names[i];
      const bool copied = after.count(target) && after.at(target).content == before.at(source).content;
      EXPECT_EQ(r.entries[i], copied ? kDone : kNotDone) << c.label << i;
      if (copied) {
        EXPECT_EQ(after.count(source), c.kind == OperationKind::kCopy ? 1u : 0u) << c.label << i;
        continue;
      }
      ++bent;
      // Nothing half-written: the old target as it was, or no target at all.
      EXPECT_EQ(after.count(target), before.count(target)) << c.label << i;
      if (before.count(target)) {
        EXPECT_EQ(after.at(target).content, before.at(target).content) << c.label;
      }
      EXPECT_EQ(after.at(source).content, before.at(source).content) << c.label << i;
      ASSERT_EQ(r.problems.size(), 1u) << c.label;
      EXPECT_EQ(r.problems[0].entry, i) << c.label;
      EXPECT_EQ(r.problems[0].kind,
                c.kind == OperationKind::kCopy ? ProblemKind::kNotCopied : ProblemKind::kNotMoved)
          << c.label;
      EXPECT_EQ(r.problems[0].path, "C:\\src\\" + names[i]) << c.label;
      EXPECT_EQ(r.problems[0].error, FsError::kVerifyMismatch) << c.label;
    }
    EXPECT_EQ(bent, c.done ? 0u : 1u) << c.label;
    EXPECT_EQ(prompts.failures.size(), c.fault.op == FsOp::kCount ? 0u : 1u) << c.label;
    if (c.done) {
      EXPECT_TRUE(r.problems.empty()) << c.label;
    }
    for (const auto& entry : after) EXPECT_EQ(entry.first.find("~px"), std::string::npos) << c.label;
    EXPECT_EQ(fs.OpenFileCount(), 0u) << c.label;
  }

  // A rename on one volume moves no data: nothing to read back.
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\a", "a");
  ScriptedPrompts prompts(kAll);
  FileOperationEngine engine(fs, prompts);
  RunRequest request{OperationKind::kMove, "C:\\src\\", {"a"}, "C:\\dst\\", "", false, 64};
  request.verify = true;
  fs.AddFolder("C:\\dst\\");
  EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kDone});
  EXPECT_EQ(fs.Calls(FsOp::kOpenReadFromDisk), 0u);
  // And with verify off nothing is read back.
  fs.AddFile("C:\\src\\b", "b");
  request = {OperationKind::kCopy, "C:\\src\\", {"b"}, "D:\\", "", false, 64};
  EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kDone});
  EXPECT_EQ(fs.Calls(FsOp::kOpenReadFromDisk), 0u);
}

// Each entry left undone says why, with the error that failed it; the same
// whether the user answered Skip or the collecting prompts did (which ask
// nothing and show nothing). A cancel is no problem.
TEST(FileOpsEngine, ProblemsNameWhatWasLeftAndWhy) {
  struct Expected {
    size_t entry;
    ProblemKind kind;
    const char* path;
    FsError error;
    RunMessage message;
  };
  const RunMessage kNone = RunMessage::kCancelled;
  struct Case {
    const char* label;
    OperationKind kind;
    std::vector<std::string> names;
    const char* target;
    Fault fault;
    std::vector<Expected> problems;
  } const cases[] = {
      {"copy", OperationKind::kCopy, {"a", "ro", "b", "tree"}, "D:\\dst\\",
       {FsOp::kOpenRead, 1, FaultMode::kFail, FsError::kSharingViolation},
       {{0, ProblemKind::kTargetExists, "D:\\dst\\A", FsError::kOk, kNone},
        {1, ProblemKind::kNotCopied, "C:\\src\\ro", FsError::kSharingViolation, kNone},
        {2, ProblemKind::kTargetExists, "D:\\dst\\b", FsError::kOk, kNone},
        {3, ProblemKind::kMessage, "D:\\dst\\tree", FsError::kOk, RunMessage::kFolderNotCreated}}},
      {"move", OperationKind::kMove, {"b", "ro"}, "D:\\dst\\", {FsOp::kCount, 0},
       {{0, ProblemKind::kTargetExists, "D:\\dst\\b", FsError::kOk, kNone},
        {1, ProblemKind::kReadOnly, "C:\\src\\ro", FsError::kOk, kNone}}},
      {"delete", OperationKind::kDelete, {"a", "ro", "tree"}, "",
       {FsOp::kRemoveFile, 1, FaultMode::kFail, FsError::kAccessDenied},
       {{0, ProblemKind::kNotDeleted, "C:\\src\\a", FsError::kAccessDenied, kNone},
        {1, ProblemKind::kReadOnly, "C:\\src\\ro", FsError::kOk, kNone}}},
      {"listing", OperationKind::kDelete, {"tree", "a"}, "", {FsOp::kList, 1, FaultMode::kFail, FsError::kIo, 2},
       {{0, ProblemKind::kNotDeleted, "C:\\src\\tree\\", FsError::kIo, kNone}}},
  };
  for (const Case& c : cases) {
    for (bool collecting : {false, true}) {
      MemoryFileSystem fs;
      Drives(fs);
      fs.AddFile("C:\\src\\a", "new-a");
      fs.AddFile("C:\\src\\b", "new-b");
      fs.AddFile("C:\\src\\ro", "ro", kAttrReadOnly);
      fs.AddFile("C:\\src\\tree\\x", "x");
      fs.AddFile("D:\\dst\\A", "old-a");
      fs.AddFile("D:\\dst\\b", "old-b", kAttrReadOnly);
      fs.AddFile("D:\\dst\\tree", "a file in the way");
      if (c.fault.op != FsOp::kCount) fs.AddFault(c.fault);
      ScriptedPrompts user({PromptAnswer::kSkip, PromptAnswer::kSkip, FailureAnswer::kSkip});
      CollectingPrompts prompts(user, collecting);
      FileOperationEngine engine(fs, prompts);
      RunRequest request{c.kind, "C:\\src\\", c.names, c.target, "", false, 64};
      fs.ResetCalls();
      RunResult r = engine.Run(request);
      const std::string label = std::string(c.label) + (collecting ? " collected" : " asked");
      EXPECT_EQ(user.answers.empty(), collecting) << label;
      ASSERT_EQ(r.problems.size(), c.problems.size()) << label;
      for (size_t i = 0; i < c.problems.size(); ++i) {
        const Expected& e = c.problems[i];
        const RunProblem& got = r.problems[i];
        EXPECT_EQ(got.entry, e.entry) << label << i;
        EXPECT_EQ(got.kind, e.kind) << label << i;
        EXPECT_EQ(got.path, e.path) << label << i;
        EXPECT_EQ(got.error, e.error) << label << i;
        EXPECT_EQ(got.message, e.message) << label << i;
      }
      // Not done exactly where a problem is; every entry reached.
      for (size_t i = 0; i < r.entries.size(); ++i) {
        bool noted = false;
        for (const RunProblem& problem : r.problems) noted = noted || problem.entry == i;
        EXPECT_EQ(r.entries[i], noted ? kNotDone : kDone) << label << i;
      }
    }
  }

  // Cancelled: the cancel shows, and is no problem.
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\a", "a");
  ScriptedPrompts user(kAll);
  CollectingPrompts prompts(user, true);
  FileOperationEngine engine(fs, prompts);
  engine.RequestCancel();
  RunResult r = engine.Run({OperationKind::kCopy, "C:\\src\\", {"a"}, "D:\\", "", false, 64});
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(user.Count(RunMessage::kCancelled), 1);
}

TEST(FileOpsEngine, SameFileByIdentityTouchesNothing) {
  struct Case {
    OperationKind kind;
    const char* name;
    const char* target;
    const char* newName;
    RunMessage message;
  } const cases[] = {
      {OperationKind::kCopy, "a", "C:\\SRC\\", "A", RunMessage::kCopyOntoItself},
      {OperationKind::kMove, "a", "Z:\\src\\", "", RunMessage::kMoveOntoItself},
      {OperationKind::kCopy, "h1", "C:\\src\\", "h2", RunMessage::kCopyOntoItself},
      {OperationKind::kMove, "h2", "Z:\\src\\", "H1", RunMessage::kMoveOntoItself},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\a", "a");
    fs.AddFile("C:\\src\\h1", "h");
    ASSERT_TRUE(fs.AddHardLink("C:\\src\\h1", "C:\\src\\h2"));
    const auto before = fs.Snapshot();
    ScriptedPrompts prompts(kAll);
    RunResult r = RunOn(fs, prompts, c.kind, {c.name}, c.target, c.newName);
    EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone}) << c.target << c.newName;
    EXPECT_EQ(prompts.Count(c.message), 1) << c.target << c.newName;
    EXPECT_TRUE(prompts.overwrites.empty());
    EXPECT_EQ(fs.Snapshot(), before);
  }
}

TEST(FileOpsEngine, FolderIntoItselfIsRefusedOnce) {
  for (const char* target : {"C:\\src\\tree\\sub\\", "Z:\\SRC\\TREE\\new\\deeper\\", "C:\\src\\"}) {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\tree\\sub\\f1", "1");
    fs.AddFile("C:\\src\\tree\\f2", "2");
    const auto before = fs.Snapshot();
    ScriptedPrompts prompts(kAll);
    RunResult r = RunOn(fs, prompts, OperationKind::kCopy, {"tree"}, target);
    EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone}) << target;
    EXPECT_EQ(prompts.messages.size(), 1u) << target;
    EXPECT_EQ(fs.Calls(FsOp::kCreateFolder), 0u) << target;
    EXPECT_EQ(fs.Snapshot(), before);
  }
}

TEST(FileOpsEngine, SeveralEntriesToOneName) {
  MemoryFileSystem fs;
  Drives(fs);
  for (const char* name : {"a", "b", "c"}) fs.AddFile(std::string("C:\\src\\") + name, name);
  ScriptedPrompts prompts(kAll);
  RunResult r = RunOn(fs, prompts, OperationKind::kMove, {"a", "b", "c"}, "D:\\", "x");
  EXPECT_EQ(r.entries, (std::vector<EntryOutcome>{kDone, kNotDone, kNotDone}));
  EXPECT_EQ(fs.Content("D:\\x"), "a");
  EXPECT_EQ(fs.Content("C:\\src\\b"), "b");
  EXPECT_EQ(fs.Content("C:\\src\\c"), "c");

  // An existing folder typed without the final backslash takes them all.
  fs.AddFolder("D:\\dst\\");
  r = RunOn(fs, prompts, OperationKind::kCopy, {"b", "c"}, "D:\\", "DST");
  EXPECT_EQ(r.entries, (std::vector<EntryOutcome>{kDone, kDone}));
  EXPECT_EQ(fs.Content("D:\\dst\\b"), "b");
  EXPECT_EQ(fs.Content("D:\\dst\\c"), "c");
}

TEST(FileOpsEngine, NoWildcardReachesTheFileSystem) {
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\a", "a");
  ScriptedPrompts prompts(kAll);
  RunResult r = RunOn(fs, prompts, OperationKind::kCopy, {"a"}, "D:\\", "*.txt");
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
  EXPECT_EQ(prompts.Count(RunMessage::kInvalidTargetName), 1);
  r = RunOn(fs, prompts, OperationKind::kDelete, {"a?"}, "", "", true);
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
  EXPECT_EQ(prompts.failures.back().second, "C:\\src\\a?");
  EXPECT_EQ(fs.WildcardCalls(), 0u);
  EXPECT_EQ(fs.Content("C:\\src\\a"), "a");
}

// A delete to the recycle bin: what the bin does not take (a drive without a
// bin, a file over its size limit, a bin that refuses only when called) is
// asked about, before the run for what can be told then and when the bin
// refuses otherwise, and deleted for good only on Yes; No keeps it while the
// rest still goes to the bin; Cancel ends the run with nothing touched after.
TEST(FileOpsEngine, WhatTheBinDoesNotTakeIsDeletedForGoodOnlyOnYes) {
  enum class Bin { kNone, kSmallFiles, kRefusesAtCall };
  using P = PermanentAnswer;
  const std::string a = "C:\\src\\a", big = "C:\\src\\big", f = "C:\\src\\tree\\f",
                    g = "C:\\src\\tree\\g", tree = "C:\\src\\tree", lnk = "C:\\src\\lnk";
  struct Case {
    Bin bin;
    P answer;
    std::vector<std::vector<std::string>> asked;  // the paths of each question
    std::vector<std::string> forGood;             // removed past the bin
    std::vector<std::string> left;                // of a, big, f, g, lnk
    std::vector<EntryOutcome> entries;            // a, big, tree, lnk
  } const cases[] = {
      {Bin::kNone, P::kYes, {{a, big, tree}}, {a, big, f, g}, {}, {kDone, kDone, kDone, kDone}},
      {Bin::kNone, P::kNo, {{a, big, tree}}, {}, {a, big, f, g}, {kNotDone, kNotDone, kNotDone, kDone}},
      {Bin::kNone, P::kCancel, {{a, big, tree}}, {}, {a, big, f, g, lnk},
       {kNotReached, kNotReached, kNotReached, kNotReached}},
      {Bin::kSmallFiles, P::kYes, {{big}, {g}}, {big, g}, {}, {kDone, kDone, kDone, kDone}},
      {Bin::kSmallFiles, P::kNo, {{big}, {g}}, {}, {big, g}, {kDone, kNotDone, kNotDone, kDone}},
      {Bin::kSmallFiles, P::kCancel, {{big}}, {}, {a, big, f, g, lnk},
       {kNotReached, kNotReached, kNotReached, kNotReached}},
      {Bin::kRefusesAtCall, P::kYes, {{a}}, {a}, {}, {kDone, kDone, kDone, kDone}},
      {Bin::kRefusesAtCall, P::kNo, {{a}}, {}, {a}, {kNotDone, kDone, kDone, kDone}},
      {Bin::kRefusesAtCall, P::kCancel, {{a}}, {}, {a, big, f, g, lnk},
       {kNotDone, kNotReached, kNotReached, kNotReached}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.bin) * 10 + static_cast<int>(c.answer));
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile(a, "aaaaa");
    fs.AddFile(big, std::string(50, 'b'));
    fs.AddFile(f, "fff");
    fs.AddFile(g, std::string(40, 'g'));
    fs.AddFile("C:\\outside\\keep", "k");
    ASSERT_TRUE(fs.AddFolderLink(lnk, "C:\\outside\\"));
    if (c.bin == Bin::kNone) fs.SetRecycleBin("C:\\", false);
    if (c.bin == Bin::kSmallFiles) fs.SetRecycleBin("C:\\", true, 10);
    if (c.bin == Bin::kRefusesAtCall) fs.AddFault({FsOp::kRecycle, 1, FaultMode::kNoBin});
    std::vector<std::string> forGood;
    fs.SetCallHook([&](FsOp op, const std::string& path) {
      if (op == FsOp::kRemoveFile) forGood.push_back(path);
    });
    AnswerPolicy policy = kAll;
    policy.permanent = c.answer;
    ScriptedPrompts prompts(policy);
    RunResult r = RunOn(fs, prompts, OperationKind::kDelete, {"a", "big", "tree", "lnk"}, "", "", true);
    EXPECT_EQ(prompts.permanentAsked, c.asked);
    EXPECT_EQ(forGood, c.forGood);
    std::vector<std::string> left;
    for (const std::string& path : {a, big, f, g, lnk}) {
      if (fs.Has(path)) left.push_back(path);
    }
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(r.entries, c.entries);
    EXPECT_EQ(fs.Content("C:\\outside\\keep"), "k");
    EXPECT_EQ(r.cancelled, c.answer == P::kCancel);
    EXPECT_EQ(prompts.Count(RunMessage::kCancelled), c.answer == P::kCancel ? 1 : 0);
    EXPECT_TRUE(prompts.failures.empty());
    // Each entry kept as answered says why.
    for (size_t i = 0; i < r.entries.size() && c.answer == P::kNo; ++i) {
      bool noted = false;
      for (const RunProblem& problem : r.problems) {
        noted = noted || (problem.entry == i && problem.kind == ProblemKind::kNotDeleted &&
                          problem.error == FsError::kNoRecycleBin);
      }
      EXPECT_EQ(noted, r.entries[i] == kNotDone) << i;
    }
  }

  // Collecting, nothing is asked and nothing deleted for good: what the bin
  // does not take is kept and listed.
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile(a, "aaaaa");
  fs.SetRecycleBin("C:\\", false);
  ScriptedPrompts inner(kAll);
  CollectingPrompts collecting(inner, true);
  FileOperationEngine engine(fs, collecting);
  RunRequest request;
  request.kind = OperationKind::kDelete;
  request.baseFolder = "C:\\src\\";
  request.names = {"a"};
  request.recycle = true;
  RunResult r = engine.Run(request);
  EXPECT_TRUE(inner.permanentAsked.empty());
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
  EXPECT_EQ(fs.Calls(FsOp::kRemoveFile), 0u);
  const LanguageTable texts;
  EXPECT_EQ(ReportLines(texts, r.problems),
            std::vector<std::string>{"Not deleted: C:\\src\\a (the Recycle Bin does not take it; kept)"});
}

TEST(FileOpsEngine, RecycleCountsOnlyWhatIsReallyGone) {
  for (FaultMode mode : {FaultMode::kRecycleKeep, FaultMode::kRecycleAbort, FaultMode::kFail}) {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\a", "a");
    fs.AddFault({FsOp::kRecycle, 1, mode, FsError::kIo});
    ScriptedPrompts prompts(kAll);
    RunResult r = RunOn(fs, prompts, OperationKind::kDelete, {"a"}, "", "", true);
    EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
    ASSERT_EQ(prompts.failures.size(), 1u);
    EXPECT_EQ(prompts.failures[0].first, FailureCase::kDelete);
    EXPECT_EQ(fs.Content("C:\\src\\a"), "a");
  }
}

TEST(FileOpsEngine, LinksAreNeverFollowed) {
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\outside\\keep", "k");
  fs.AddFile("C:\\src\\tree\\f", "f");
  ASSERT_TRUE(fs.AddFolderLink("C:\\src\\tree\\out", "C:\\outside\\"));
  ASSERT_TRUE(fs.AddFolderLink("C:\\src\\tree\\loop", "C:\\src\\tree\\"));
  ASSERT_TRUE(fs.AddFolderLink("C:\\src\\lnk", "C:\\outside\\"));
  ScriptedPrompts copy(kAll);
  RunResult r = RunOn(fs, copy, OperationKind::kCopy, {"tree"}, "D:\\");
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
  ASSERT_FALSE(copy.failures.empty());
  EXPECT_EQ(copy.failures[0].second, "C:\\src\\tree\\loop");

  ScriptedPrompts del(kAll);
  r = RunOn(fs, del, OperationKind::kDelete, {"lnk", "tree"});
  EXPECT_EQ(r.entries, (std::vector<EntryOutcome>{kDone, kDone}));
  EXPECT_EQ(fs.Content("C:\\outside\\keep"), "k");
  EXPECT_FALSE(fs.Lookup("C:\\src\\tree").Ok());
}

TEST(FileOpsEngine, FolderCreationAndListingFailures) {
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\tree\\f", "f");
  fs.AddFile("C:\\src\\other\\g", "g");
  fs.AddFile("D:\\tree", "a file in the way");
  ScriptedPrompts prompts(kAll);
  RunResult r = RunOn(fs, prompts, OperationKind::kCopy, {"tree", "other"}, "D:\\");
  EXPECT_EQ(r.entries, (std::vector<EntryOutcome>{kNotDone, kNotReached}));  // no skip in force
  EXPECT_EQ(prompts.Count(RunMessage::kFolderNotCreated), 1);
  EXPECT_EQ(fs.Content("D:\\tree"), "a file in the way");

  // The folder fails in the count pass, and again when the walk lists it itself.
  fs.AddFault({FsOp::kList, 1, FaultMode::kFail, FsError::kAccessDenied});
  fs.AddFault({FsOp::kList, 3, FaultMode::kFail, FsError::kAccessDenied});
  ScriptedPrompts listing(kAll);
  r = RunOn(fs, listing, OperationKind::kDelete, {"tree", "other"});
  EXPECT_EQ(r.entries, (std::vector<EntryOutcome>{kNotDone, kDone}));  // Skip goes on
  ASSERT_EQ(listing.failures.size(), 1u);
  EXPECT_EQ(listing.failures[0].second, "C:\\src\\tree\\");
  EXPECT_EQ(fs.Content("C:\\src\\tree\\f"), "f");
}

// The walk takes each folder as the count pass listed it, unless the listings
// kept would pass the run's limit; either way every file is handled.
TEST(FileOpsEngine, EachFolderIsListedOnceWhileTheKeptListingsFit) {
  for (OperationKind kind : {OperationKind::kDelete, OperationKind::kCopy, OperationKind::kMove}) {
    for (size_t kept : {kKeptListingEntries, size_t{0}}) {
      MemoryFileSystem fs;
      Drives(fs);
      for (const char* file : {"t\\a\\f1", "t\\b\\f2", "t\\f3"})
        fs.AddFile(std::string("C:\\src\\") + file, file);
      ScriptedPrompts prompts(kAll);
      FileOperationEngine engine(fs, prompts);
      RunRequest request;
      request.kind = kind;
      request.baseFolder = "C:\\src\\";
      request.names = {"t"};
      if (kind != OperationKind::kDelete) request.targetFolder = "D:\\";
      request.keptListingEntries = kept;
      const std::string label = std::to_string(static_cast<int>(kind)) + " kept " +
                                std::to_string(kept);
      EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kDone}) << label;
      for (const char* folder : {"c:\\src\\t\\", "c:\\src\\t\\a\\", "c:\\src\\t\\b\\"})
        EXPECT_EQ(fs.ListCounts().at(folder), kept == 0 ? 2u : 1u) << label << folder;
      EXPECT_EQ(fs.Content("D:\\t\\a\\f1").has_value(), kind != OperationKind::kDelete) << label;
      EXPECT_EQ(fs.Content("C:\\src\\t\\b\\f2").has_value(), kind == OperationKind::kCopy)
          << label;
    }
  }
  // A file that appears between the count pass and the walk is left alone,
  // and so is its folder.
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\t\\f", "f");
  ScriptedPrompts prompts(kAll);
  FileOperationEngine engine(fs, prompts);
  bool added = false;
  engine.SetCheckHook([&] {
    if (!added && engine.Progress().phase == RunPhase::kWorking)
      added = fs.AddFile("C:\\src\\t\\late", "late");
  });
  RunRequest request;
  request.kind = OperationKind::kDelete;
  request.baseFolder = "C:\\src\\";
  request.names = {"t"};
  EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kNotDone});
  EXPECT_TRUE(added);
  EXPECT_EQ(fs.Content("C:\\src\\t\\late"), "late");
  EXPECT_FALSE(fs.Content("C:\\src\\t\\f").has_value());
  EXPECT_EQ(prompts.Count(RunMessage::kFolderNotRemoved), 1);
}

TEST(FileOpsEngine, TooDeepAFolderIsAFailureNotACrash) {
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\d\\e\\e\\e\\f", "f");
  fs.AddFile("C:\\src\\d\\g", "g");
  ScriptedPrompts prompts(kAll);
  FileOperationEngine engine(fs, prompts);
  RunRequest request{OperationKind::kDelete, "C:\\src\\", {"d"}, "", "", false, 64, 2};
  EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kNotDone});
  ASSERT_EQ(prompts.failures.size(), 1u);
  EXPECT_EQ(prompts.failures[0].second, "C:\\src\\d\\e\\e\\");  // the selected folder is level 1
  EXPECT_EQ(fs.Content("C:\\src\\d\\e\\e\\e\\f"), "f");
  EXPECT_EQ(fs.Content("C:\\src\\d\\g"), "g");
}

TEST(FileOpsEngine, ReadOnlyAnswersAndTheBitSetBack) {
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\dir\\ro", "r", kAttrReadOnly);
  fs.AddFile("C:\\src\\dir\\z", "z");
  fs.AddFile("C:\\src\\next", "n");
  // Skip at the read-only question ends the folder silently; the run goes on.
  ScriptedPrompts skip({PromptAnswer::kProceed, PromptAnswer::kSkip, FailureAnswer::kStop});
  RunResult r = RunOn(fs, skip, OperationKind::kDelete, {"dir", "next", "gone"});
  EXPECT_EQ(r.entries, (std::vector<EntryOutcome>{kNotDone, kDone, EntryOutcome::kGone}));
  EXPECT_TRUE(skip.messages.empty());
  EXPECT_EQ(fs.Content("C:\\src\\dir\\z"), "z");

  // A deletion that fails after the bit was cleared sets it back.
  fs.AddFault({FsOp::kRemoveFile, 1, FaultMode::kFail, FsError::kSharingViolation});
  ScriptedPrompts fail({PromptAnswer::kProceed, PromptAnswer::kProceed, FailureAnswer::kStop});
  r = RunOn(fs, fail, OperationKind::kDelete, {"dir"});
  EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
  EXPECT_EQ(fs.Lookup("C:\\src\\dir\\ro").value.attributes & kAttrReadOnly, kAttrReadOnly);
}

TEST(FileOpsEngine, RememberedAnswers) {
  struct Case {
    PromptAnswer answer;
    size_t asked;
    std::vector<EntryOutcome> entries;
  } const cases[] = {
      {PromptAnswer::kProceed, 3, {kDone, kDone, kDone}},
      {PromptAnswer::kProceedAll, 1, {kDone, kDone, kDone}},
      {PromptAnswer::kSkip, 3, {kNotDone, kNotDone, kNotDone}},
      {PromptAnswer::kSkipAll, 1, {kNotDone, kNotDone, kNotDone}},
      {PromptAnswer::kCancel, 1, {kNotDone, kNotReached, kNotReached}},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    Drives(fs);
    for (const char* name : {"a", "b", "c"}) {
      fs.AddFile(std::string("C:\\src\\") + name, name);
      fs.AddFile(std::string("D:\\") + name, "old");
    }
    ScriptedPrompts prompts({c.answer, PromptAnswer::kProceed, FailureAnswer::kStop});
    RunResult r = RunOn(fs, prompts, OperationKind::kCopy, {"a", "b", "c"}, "D:\\");
    EXPECT_EQ(prompts.overwrites.size(), c.asked) << static_cast<int>(c.answer);
    EXPECT_EQ(r.entries, c.entries) << static_cast<int>(c.answer);
  }
}

TEST(FileOpsEngine, ReadsAreCheckedAndProgressIs64Bit) {
  MemoryFileSystem fs;
  Drives(fs);
  fs.AddFile("C:\\src\\a", std::string(1000, 'a'));
  fs.SetReadChunk(7);  // short reads are not the end
  ScriptedPrompts prompts(kAll);
  FileOperationEngine engine(fs, prompts);
  RunRequest request{OperationKind::kCopy, "C:\\src\\", {"a"}, "D:\\", "", false, 64};
  EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kDone});
  EXPECT_EQ(fs.Content("D:\\a"), std::string(1000, 'a'));
  ProgressSnapshot p = engine.Progress();
  EXPECT_EQ(p.layout, ProgressLayout::kSingleFile);
  EXPECT_EQ(p.phase, RunPhase::kFinished);
  EXPECT_EQ(p.overallDone, 1000u);
  EXPECT_EQ(p.overallBar, kBarRange);

  // A read that reports the end too early fails the copy instead of cutting it.
  fs.AddFault({FsOp::kRead, fs.Calls(FsOp::kRead) + 3, FaultMode::kEarlyEnd, FsError::kOk});
  request.targetFolder = "D:\\again\\";
  fs.AddFolder("D:\\again\\");
  EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kNotDone});
  EXPECT_FALSE(fs.Content("D:\\again\\a"));

  request = {OperationKind::kDelete, "C:\\src\\", {"a"}, "", "", false, 64};
  EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kDone});
  p = engine.Progress();
  EXPECT_EQ(p.layout, ProgressLayout::kDelete);
  EXPECT_EQ(p.overallTotal, 1u);
  EXPECT_EQ(p.overallDone, 1u);
}

// While a question is open another program may change anything: a folder
// the run counted is entered only while it is still that folder, whether it
// was replaced by a link or by another folder.
TEST(FileOpsEngine, AFolderChangedWhileAQuestionIsOpenIsLeftAlone) {
  for (bool byLink : {true, false}) {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\d\\p\\ro.txt", "ro", kAttrReadOnly);
    fs.AddFile("C:\\src\\d\\v\\victim.txt", "mine");
    fs.AddFile("C:\\outside\\victim.txt", "not yours");
    ScriptedPrompts prompts({PromptAnswer::kProceed, PromptAnswer::kProceed, FailureAnswer::kSkip});
    FileOperationEngine engine(fs, prompts);
    bool swapped = false;
    // The question comes before v is entered in either listing order.
    fs.SetCallHook([&](FsOp op, const std::string& path) {
      if (swapped || op != FsOp::kSetAttributes || path.find("ro.txt") == std::string::npos) return;
      swapped = fs.MoveAside("C:\\src\\d\\v", "C:\\src\\d\\v.old");
      swapped = swapped && (byLink ? fs.AddFolderLink("C:\\src\\d\\v", "C:\\outside\\")
                                   : fs.AddFile("C:\\src\\d\\v\\other.txt", "someone else's"));
    });
    RunRequest request;
    request.kind = OperationKind::kDelete;
    request.baseFolder = "C:\\src\\";
    request.names = {"d"};
    EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kNotDone});
    ASSERT_TRUE(swapped);
    EXPECT_EQ(fs.Content("C:\\outside\\victim.txt"), "not yours");
    EXPECT_EQ(fs.Content("C:\\src\\d\\v.old\\victim.txt"), "mine");
    EXPECT_TRUE(fs.Has("C:\\src\\d\\v"));
    if (!byLink) {
      EXPECT_EQ(fs.Content("C:\\src\\d\\v\\other.txt"), "someone else's");
    }
    ASSERT_EQ(prompts.Count(RunMessage::kFolderChanged), 1);
    EXPECT_EQ(prompts.messages[0].second, "C:\\src\\d\\v");
  }
}

// What a deliberate fault in each rule below went unnoticed by before.
TEST(FileOpsEngine, RulesThatOnlyTargetedCasesShow) {
  // A cancel is seen between the blocks of one large file, not at its end.
  {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\big", std::string(64 * 100, 'b'));
    ScriptedPrompts prompts(kAll);
    FileOperationEngine engine(fs, prompts);
    fs.SetCallHook([&](FsOp op, const std::string&) {
      if (op == FsOp::kRead && fs.Calls(FsOp::kRead) == 2) engine.RequestCancel();
    });
    RunRequest request{OperationKind::kCopy, "C:\\src\\", {"big"}, "D:\\", "", false, 64};
    EXPECT_TRUE(engine.Run(request).cancelled);
    EXPECT_LE(fs.Calls(FsOp::kRead), 4u);
    EXPECT_FALSE(fs.Content("D:\\big"));
  }
  // A target that appears between the look and the rename is never replaced.
  for (OperationKind kind : {OperationKind::kCopy, OperationKind::kMove}) {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\a", "new");
    ScriptedPrompts prompts(kAll);
    bool appeared = false;
    fs.SetCallHook([&](FsOp op, const std::string&) {
      if (!appeared && (op == FsOp::kRename || op == FsOp::kCreateNewFile || op == FsOp::kCreateTempFile))
        appeared = fs.AddFile("C:\\dst\\a", "someone else's");
    });
    RunResult r = RunOn(fs, prompts, kind, {"a"}, "C:\\dst\\");
    EXPECT_TRUE(appeared);
    EXPECT_EQ(r.entries, std::vector<EntryOutcome>{kNotDone});
    EXPECT_EQ(fs.Content("C:\\dst\\a"), "someone else's");
    EXPECT_EQ(fs.Content("C:\\src\\a"), "new");
  }
  // A folder copied into its sibling that shares the start of its name is no
  // copy into itself; one whose place cannot be told is not copied at all.
  struct Case {
    const char* target;
    Fault fault;
    EntryOutcome outcome;
  } const cases[] = {
      {"C:\\src\\tree2\\", {FsOp::kCount, 0}, kDone},
      {"C:\\src\\tree2\\", {FsOp::kIdentity, 2, FaultMode::kFail, FsError::kAccessDenied}, kNotDone},
      {"C:\\src\\tree2\\", {FsOp::kRealPath, 2, FaultMode::kFail, FsError::kIo}, kNotDone},
      {"C:\\src\\tree2\\", {FsOp::kIdentity, 3, FaultMode::kFail, FsError::kAccessDenied}, kNotDone},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\tree\\f", "f");
    fs.AddFolder("C:\\src\\tree2\\");
    if (c.fault.op != FsOp::kCount) fs.AddFault(c.fault);
    ScriptedPrompts prompts(kAll);
    RunResult r = RunOn(fs, prompts, OperationKind::kCopy, {"tree"}, c.target);
    EXPECT_EQ(r.entries, std::vector<EntryOutcome>{c.outcome}) << static_cast<int>(c.fault.op);
    EXPECT_EQ(fs.Content("C:\\src\\tree2\\tree\\f").has_value(), c.outcome == kDone);
  }
  // A source that grows while it is copied is no complete copy, and one that
  // grows all the time (a log being written) is given up at once.
  {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\a", std::string(200, 'a'));
    fs.AddFault({FsOp::kRead, 2, FaultMode::kGrow, FsError::kOk, 100000});
    ScriptedPrompts prompts(kAll);
    EXPECT_EQ(RunOn(fs, prompts, OperationKind::kCopy, {"a"}, "D:\\").entries, std::vector<EntryOutcome>{kNotDone});
    EXPECT_FALSE(fs.Content("D:\\a"));
    EXPECT_LE(fs.Calls(FsOp::kRead), 6u);
  }
  // A write that fails ends the copy: nothing more is written after it.
  {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\a", std::string(640, 'a'));
    fs.AddFault({FsOp::kWrite, 2, FaultMode::kFail, FsError::kDiskFull});
    ScriptedPrompts prompts({PromptAnswer::kProceed, PromptAnswer::kProceed, FailureAnswer::kStop});
    EXPECT_EQ(RunOn(fs, prompts, OperationKind::kCopy, {"a"}, "D:\\").entries, std::vector<EntryOutcome>{kNotDone});
    EXPECT_EQ(fs.Calls(FsOp::kWrite), 2u);
  }
  // The same name selected twice stands for two entries: neither is acted on.
  {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\a", "a");
    ScriptedPrompts prompts(kAll);
    EXPECT_EQ(RunOn(fs, prompts, OperationKind::kDelete, {"a", "a"}).entries,
              (std::vector<EntryOutcome>{kNotDone, kNotReached}));
    EXPECT_EQ(prompts.Count(RunMessage::kNameNotAddressable), 1);
    EXPECT_EQ(fs.Content("C:\\src\\a"), "a");
  }
}

// A folder the count pass listed before a question was open is listed again
// when the walk gets there, and a file another program put in it meanwhile is
// not part of the run: the delete leaves it (and so the folder), the copy
// does not take it.
TEST(FileOpsEngine, AFileAddedWhileAQuestionIsOpenIsLeftAlone) {
  for (OperationKind kind : {OperationKind::kDelete, OperationKind::kCopy}) {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\ro.txt", "ro", kAttrReadOnly);
    fs.AddFile("C:\\src\\d\\old", "old");
    fs.AddFile("D:\\ro.txt", "target", kAttrReadOnly);
    ScriptedPrompts prompts(kAll);
    prompts.whileAsked = [&](const std::string&) { (void)fs.AddFile("C:\\src\\d\\late", "late"); };
    RunResult r = RunOn(fs, prompts, kind, {"ro.txt", "d"}, "D:\\");
    ASSERT_EQ(prompts.readOnlyPaths.size(), 1u);
    EXPECT_EQ(fs.Content("C:\\src\\d\\late"), "late");
    if (kind == OperationKind::kDelete) {
      EXPECT_EQ(r.entries, (std::vector<EntryOutcome>{kDone, kNotDone}));
      EXPECT_FALSE(fs.Has("C:\\src\\d\\old"));
      EXPECT_EQ(prompts.Count(RunMessage::kFolderNotRemoved), 1);
    } else {
      EXPECT_EQ(r.entries, (std::vector<EntryOutcome>{kDone, kDone}));
      EXPECT_EQ(fs.Content("D:\\d\\old"), "old");
      EXPECT_FALSE(fs.Has("D:\\d\\late"));
    }
  }
}

// What another program does while the run goes on, met without a question
// as well as during one: an entry gone is passed over and never looked for
// under another spelling.
TEST(FileOpsEngine, EntriesGoneMidRunAreNotLookedForUnderAnotherSpelling) {
  // A moved file gone while the question about removing it is open: its
  // twin in another case is not removed in its place.
  {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\d\\x.TXT", "upper", kAttrReadOnly);
    fs.AddFile("C:\\src\\d\\x.txt", "lower");
    ScriptedPrompts prompts({PromptAnswer::kProceed, PromptAnswer::kProceed, FailureAnswer::kSkip});
    prompts.whileAsked = [&](const std::string& path) {
      if (path == "C:\\src\\d\\x.TXT") (void)fs.Erase(path);
    };
    // The target folder takes one of the two names only: the second is not moved.
    EXPECT_EQ(RunOn(fs, prompts, OperationKind::kMove, {"d"}, "D:\\").entries, std::vector<EntryOutcome>{kNotDone});
    EXPECT_EQ(fs.Content("D:\\d\\x.TXT"), "upper");
    EXPECT_EQ(fs.Content("C:\\src\\d\\x.txt"), "lower");
  }
  // Files gone while a question about another one was open, in the folder
  // being walked and in one not entered yet.
  for (const char* gone : {"C:\\src\\d\\b.txt", "C:\\src\\d\\z\\f.txt"}) {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\d\\a\\ro.txt", "ro", kAttrReadOnly);
    fs.AddFile("C:\\src\\d\\b.txt", "b");
    fs.AddFile("C:\\src\\d\\z\\f.txt", "f");
    ScriptedPrompts prompts({PromptAnswer::kProceed, PromptAnswer::kProceed, FailureAnswer::kSkip});
    prompts.whileAsked = [&](const std::string&) { (void)fs.Erase(gone); };
    EXPECT_EQ(RunOn(fs, prompts, OperationKind::kDelete, {"d"}).entries, std::vector<EntryOutcome>{kDone}) << gone;
    EXPECT_TRUE(prompts.failures.empty()) << gone;
  }
  // A name with a twin in another case, gone without any question: the walk
  // looks for it under its exact name right before it acts on it.
  {
    MemoryFileSystem fs;
    Drives(fs);
    fs.AddFile("C:\\src\\d\\x.TXT", "upper");
    fs.AddFile("C:\\src\\d\\x.txt", "lower");
    ScriptedPrompts prompts(kAll);
    FileOperationEngine engine(fs, prompts);
    engine.SetCheckHook([&] {
      if (engine.Progress().phase == RunPhase::kWorking) (void)fs.Erase("C:\\src\\d\\x.TXT");
    });
    RunRequest request{OperationKind::kMove, "C:\\src\\", {"d"}, "D:\\", "", false, 64};
    EXPECT_EQ(engine.Run(request).entries, std::vector<EntryOutcome>{kNotDone});
    ASSERT_EQ(prompts.failures.size(), 1u);  // a file to move that is gone
    EXPECT_EQ(prompts.failures[0].second, "C:\\src\\d\\x.TXT");
    EXPECT_EQ(fs.Content("C:\\src\\d\\x.txt"), "lower");
    EXPECT_FALSE(fs.Has("D:\\d\\x.TXT"));
  }
}

}  // namespace
}  // namespace px
