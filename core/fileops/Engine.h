// The copy, move and delete engine: counts the selection, walks it, asks the
// user through OperationPrompts and keeps progress the window reads on a timer.
// It runs on a worker thread; only RequestCancel, RequestPause and Progress are
// called from the window's thread. Use one engine object per run: the cancel flag is never
// cleared, so a click that comes before Run starts is not lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/fileops/Checksum.h"
#include "core/fileops/FileSystem.h"
#include "core/jobs/JobGate.h"
#include "core/language/TextIds.h"

namespace px {

enum class OperationKind : uint16_t { kDelete = 1, kCopy = 2, kMove = 3 };

// Answer of the overwrite and read-only questions (values as the dialogs return them).
enum class PromptAnswer : uint16_t { kProceed = 0, kProceedAll = 1, kSkip = 2, kSkipAll = 3, kCancel = 4 };
// Answer of the failure question.
enum class FailureAnswer : uint16_t { kRetry = 0, kSkip = 1, kStop = 2 };
// Answer of the question before deleting for good what the recycle bin does
// not take: delete those for good, keep them (the rest still goes to the
// bin), or stop the run.
enum class PermanentAnswer : uint16_t { kYes = 0, kNo = 1, kCancel = 2 };

// Which read-only question: language text 8.2 or 8.3 on line 1040.
enum class ReadOnlyCase { kDeleteFile, kOverwriteTarget };
// Which failure question: language text 9.1, 9.2 or 9.3 on line 1040.
enum class FailureCase { kDelete, kCopy, kMove };
// Messages shown in a box with the exclamation icon.
enum class RunMessage {
  kCopyOntoItself,     // 10.0
  kMoveOntoItself,     // 10.1
  kFolderNotRemoved,   // 10.2
  kFolderNotCreated,   // 10.3 (also: a file of that name is in the way)
  kCancelled,          // 11.1
  kCopyIntoItself,     // a folder copied into itself or below itself
  kMoveIntoItself,     // likewise for a move
  kInvalidTargetName,  // the target holds "*" or "?"
  kNameNotAddressable, // a name that cannot be handed to the file system as that entry
  kFolderChanged,      // a folder was replaced or became a link during the run
};

// The language text each message and question shows.
TextId TextOf(RunMessage message);
TextId TextOf(ReadOnlyCase question);
TextId TextOf(FailureCase question);

// What the overwrite question shows: both paths and both size-and-date lines.
struct OverwriteQuestion {
  std::string target;  // existing target, stored name
  std::string source;
  uint64_t targetSize = 0;
  uint64_t targetWriteTime = 0;  // 100 ns units since 1601, UTC
  uint64_t sourceSize = 0;
  uint64_t sourceWriteTime = 0;
};

// The questions of a run. The engine calls these on its own thread and waits
// for the answer; the window side asks on its thread and hands the answer back.
class OperationPrompts {
 public:
  virtual ~OperationPrompts() = default;
  virtual PromptAnswer AskOverwrite(const OverwriteQuestion& question) = 0;
  virtual PromptAnswer AskReadOnly(ReadOnlyCase question, const std::string& path) = 0;
  // path is the file (or folder, ending with a backslash) that failed.
  virtual FailureAnswer AskFailure(FailureCase question, const std::string& path) = 0;
  // path names the file or folder concerned (empty for kCancelled).
  virtual void ShowMessage(RunMessage message, const std::string& path) = 0;
  // A delete to the recycle bin: the entries (full paths, in list order) the
  // bin does not take. Nothing is deleted for good without kYes.
  virtual PermanentAnswer AskPermanentDelete(const std::vector<std::string>& paths) = 0;
  // True while every question is answered Skip and no message is shown (see
  // CollectingPrompts): an entry left undone then never ends the run, not
  // even one a message was about.
  virtual bool Collecting() const { return false; }
};

constexpr size_t kDefaultBlockSize = 1 << 20;
// Folders nested deeper than this (a selected folder is level 1) are reported
// as failures instead of entered: the walks recurse, and this bounds the stack
// they need (well under 1 MiB at the default).
constexpr int kMaxFolderDepth = 1000;
// From this many files in a run, each target folder is listed once instead of
// every target being looked up (see KnownAbsent).
constexpr uint64_t kListTargetsFrom = 64;
// Up to this many entries listed by the count pass are kept for the walk that
// follows, so that a folder is listed once per run rather than twice.
constexpr size_t kKeptListingEntries = 200000;

struct RunRequest {
  OperationKind kind = OperationKind::kCopy;
  std::string baseFolder;          // the active panel's folder, ends with a backslash
  std::vector<std::string> names;  // the selected entries in list order, parent entry excluded
  std::string targetFolder;        // ends with a backslash; empty for delete
  std::string newName;             // empty: every entry keeps its own name
  bool recycle = false;            // deletions go to the recycle bin
  size_t blockSize = kDefaultBlockSize;
  int maxFolderDepth = kMaxFolderDepth;
  size_t keptListingEntries = kKeptListingEntries;
  // Each copy is read back from the disk after it is written and compared
  // with what was read from its source, before it replaces anything (a move
  // across volumes, before its source is deleted).
  bool verify = false;
};

enum class EntryOutcome {
  kNotReached,  // the run stopped before this entry
  kDone,        // deselect it
  kNotDone,     // failed, skipped or abandoned: keep it selected
  kGone,        // no longer exists: deselect it
};

// Why something of a run was left undone.
enum class ProblemKind {
  kTargetExists,  // an existing target was not overwritten (path: the target)
  kReadOnly,      // a read-only file was left alone (path: that file, a target or one to delete)
  kNotDeleted,    // a failure given up on, by its question (path: what failed; error: why)
  kNotCopied,
  kNotMoved,
  kMessage,       // a message the run showed (path: what it names); never kCancelled
};

// A problem that concerns the whole run rather than one entry.
constexpr size_t kWholeRun = static_cast<size_t>(-1);

struct RunProblem {
  size_t entry = kWholeRun;  // index into RunRequest::names of the entry being worked on
  ProblemKind kind = ProblemKind::kMessage;
  std::string path;
  FsError error = FsError::kOk;                 // kNotDeleted, kNotCopied, kNotMoved
  RunMessage message = RunMessage::kCancelled;  // kMessage
};

struct RunResult {
  std::vector<EntryOutcome> entries;  // one per RunRequest::names
  bool cancelled = false;
  // In the order met: an entry not done has at least one, and one done,
  // gone or not reached has none (a cancelled run may stop without one).
  // The same whoever answered the questions.
  std::vector<RunProblem> problems;
};

enum class RunPhase { kCounting, kWorking, kFinished };
// Which bars the dialog shows: delete counts files on the overall bar; a copy
// or move of exactly one file shows only the file bar; otherwise both.
enum class ProgressLayout { kDelete, kSingleFile, kBothBars };

constexpr int kBarRange = 10000;
// Bar position 0..kBarRange for done out of total (64-bit safe; total 0 gives 0).
int BarPosition(uint64_t done, uint64_t total);

struct ProgressSnapshot {
  RunPhase phase = RunPhase::kCounting;
  ProgressLayout layout = ProgressLayout::kBothBars;
  std::string source;  // line 1027
  std::string target;  // line 1044 (copy, move)
  uint64_t fileBytesDone = 0;
  uint64_t fileBytesTotal = 0;
  uint64_t fileCount = 0;   // files the run will touch (count pass)
  uint64_t totalBytes = 0;  // their sizes
  uint64_t filesDone = 0;   // files finished, done or not
  uint64_t overallDone = 0; // files (delete) or bytes (copy, move), out of overallTotal
  uint64_t overallTotal = 0;
  int fileBar = 0;     // 0..kBarRange
  int overallBar = 0;  // 0..kBarRange
};

class FileOperationEngine {
 public:
  FileOperationEngine(FileSystem& fs, OperationPrompts& prompts);

  // Runs the whole request (count pass, then the walk) on the calling thread.
  RunResult Run(const RunRequest& request);
  // Any thread: the run stops at its next check (one kCancelled message).
  void RequestCancel();
  // Any thread: the run holds at its next check until resumed (or cancelled);
  // nothing is left half done meanwhile, as at any check.
  void RequestPause(bool paused);
  // Any thread: a copy of the progress state.
  ProgressSnapshot Progress() const;
  // Called at every cancel check before the flag is read (tests cancel at a chosen check).
  void SetCheckHook(std::function<void()> hook) { checkHook_ = std::move(hook); }
  // Called on the running thread as each entry finishes (index into names), so
  // the window can deselect finished entries while the run goes on.
  void SetEntryObserver(std::function<void(size_t, EntryOutcome)> observer) {
    entryObserver_ = std::move(observer);
  }

 private:
  enum class Outcome { kDone, kNotDone };
  struct Answers {
    PromptAnswer overwrite = PromptAnswer::kProceed;
    PromptAnswer readOnly = PromptAnswer::kProceed;
    PromptAnswer moveReadOnly = PromptAnswer::kProceed;
    FailureAnswer failure = FailureAnswer::kRetry;
    FailureAnswer moveFailure = FailureAnswer::kRetry;
  };

  // A folder being walked: what was listed of it and when it was last
  // checked against the questions asked since (see Refresh).
  struct Visit {
    std::string folder;  // no final backslash
    uint64_t checkedAt = 0;
    bool relisted = false;
    std::unordered_set<std::string> names;  // listed when last checked again
  };
  enum class Presence { kThere, kGone, kStop };

  bool Cancelled();
  bool SkipInForce() const;
  bool Unsafe(const std::string& path) const;
  FailureAnswer AskFailure(FailureCase question, const std::string& path, FsError error);
  void Note(ProblemKind kind, const std::string& path, FsError error = FsError::kOk);
  PromptAnswer AskReadOnly(ReadOnlyCase question, const std::string& path);
  PermanentAnswer AskPermanentDelete(const std::vector<std::string>& paths);
  bool AskBeforeDeletingForGood(const std::vector<FsResult<EntryInfo>>& found,
                                const std::vector<char>& refused, std::vector<char>& forGood,
                                std::vector<char>& kept);
  void Tell(RunMessage message, const std::string& path);
  bool ListWithRetry(const std::string& folder, FailureCase question, std::vector<EntryInfo>& out);
  bool EnterFolder(const std::string& folder, FailureCase question);
  bool NamesAddressable(const std::string& folder, const std::vector<EntryInfo>& entries);
  void NoteCaseTwins(const std::string& folder, const std::vector<EntryInfo>& entries);
  Presence Refresh(Visit& visit, const std::string& name, FailureCase question);
  bool ExactlyThere(const std::string& path, const std::string& name, FsError& error);
  FsStatus RemoveWalkedFolder(const std::string& folder);

  void CountTree(const std::string& folder);
  Outcome DeleteEntry(const std::string& path, const EntryInfo& info);
  Outcome DeleteTree(const std::string& folder, const EntryInfo& info);
  Outcome DeleteLink(const std::string& link);
  Outcome DeleteOne(const std::string& path, const EntryInfo& info);
  FsStatus Remove(const std::string& path);
  Outcome TransferTree(const std::string& folder, const EntryInfo& info, const std::string& target);
  Outcome TransferFile(const std::string& source, EntryInfo info, const std::string& targetFolder,
                       const std::string& targetName);
  FsError CopyData(const std::string& source, uint64_t size, const std::string& targetFolder,
                   std::string& tempPath, const std::string* inPlace = nullptr);
  FsError VerifyCopy(const std::string& path, const Checksum64& written);
  bool IntoItself(const std::string& folder, const std::string& target, bool& refused);
  bool KnownAbsent(const std::string& targetFolder, const std::string& name);

  void ShowSource(const std::string& path);
  void ShowTarget(const std::string& path);
  void StartFile(uint64_t size);
  void StepFile(uint64_t bytes);
  void FinishFile();

  FileSystem& fs_;
  OperationPrompts& prompts_;
  std::function<void()> checkHook_;
  std::function<void(size_t, EntryOutcome)> entryObserver_;
  JobGate gate_;
  bool cancelled_ = false;  // the run has seen the flag
  RunRequest request_;
  Answers answers_;
  std::unordered_set<std::string> written_;  // folded targets written in this run
  // The target folders listed in this run, by folded path (see KnownAbsent).
  struct TargetListing {
    bool listed = false;                   // false: the listing failed, look names up
    std::unordered_set<std::string> names;  // folded
  };
  std::unordered_map<std::string, TargetListing> targetListings_;
  // The listing asked for last and its folder as spelled: a run of many files
  // asks for one folder over and over, which is then not folded again.
  std::string lastTargetFolder_;
  TargetListing* lastListing_ = nullptr;
  bool listTargets_ = false;  // the run has many files
  // Folders as the count pass listed them, by the path listed, each taken by
  // the walk when it gets there, unless a question was asked in between
  // (see CountTree).
  struct CountedListing {
    std::vector<EntryInfo> entries;
    uint64_t askedAt = 0;
  };
  std::unordered_map<std::string, CountedListing> countedListings_;
  // The identity of each folder the run counted or entered, by its path
  // (ending with a backslash): before a folder is entered or removed it must
  // still be this folder.
  std::unordered_map<std::string, FileIdentity> folderIds_;
  // Entries (full paths) whose name another entry of their folder shares but
  // for letter case, and selected entries whose folder was not listed: a
  // call by such a name reaches the other spelling once this one is gone, so
  // each is looked up under its exact name right before it is acted on.
  std::unordered_set<std::string> caseTwins_;
  // Questions and messages shown so far. While one is open another program
  // may change anything, so what was looked at before is looked at again.
  uint64_t asked_ = 0;
  size_t countedEntries_ = 0;
  std::vector<RunProblem> problems_;
  size_t entry_ = kWholeRun;  // the entry being worked on
  // The entry being worked on goes past the bin: the bin does not take it
  // and the user said so before the run began.
  bool skipBin_ = false;
  // Whether the entry being worked on is deleted for good where the bin
  // refuses one of its files, as answered (nullopt: not asked yet).
  std::optional<PermanentAnswer> binAnswer_;
  std::vector<char> buffer_;
  uint64_t fileBase_ = 0;  // overallDone when the current file started
  int depth_ = 0;          // folders entered below the selected one

  mutable std::mutex progressLock_;
  ProgressSnapshot progress_;
};

}  // namespace px
