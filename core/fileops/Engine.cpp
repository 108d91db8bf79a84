// The copy, move and delete engine (see the header).
#include "core/fileops/Engine.h"

#include <algorithm>

#include "core/panel/NameRules.h"
#include "core/panel/PathText.h"
#include "core/text/CaseFold.h"

namespace px {

namespace {

bool IsSkip(PromptAnswer answer) {
  return answer == PromptAnswer::kSkip || answer == PromptAnswer::kSkipAll;
}

// A remembered answer asks again after Proceed and Skip; ProceedAll, SkipAll
// and Cancel stay in force for the rest of the run.
bool AsksAgain(PromptAnswer answer) {
  return answer == PromptAnswer::kProceed || answer == PromptAnswer::kSkip;
}

// Runs a callback when it goes out of scope.
template <typename F>
class AtExit {
 public:
  explicit AtExit(F f) : f_(std::move(f)) {}
  ~AtExit() { f_(); }
  AtExit(const AtExit&) = delete;
  AtExit& operator=(const AtExit&) = delete;

 private:
  F f_;
};

// Counts one level of folder nesting while a walk is inside it.
class DepthGuard {
 public:
  DepthGuard(int& depth, int limit) : depth_(depth), limit_(limit) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
  bool TooDeep() const { return depth_ > limit_; }

 private:
  int& depth_;
  int limit_;
};

}  // namespace

TextId TextOf(RunMessage message) {
  switch (message) {
    case RunMessage::kCopyOntoItself: return text::kCopyOntoItself;
    case RunMessage::kCopyIntoItself: return text::kCopyIntoItself;
    case RunMessage::kMoveOntoItself: return text::kMoveOntoItself;
    case RunMessage::kMoveIntoItself: return text::kMoveIntoItself;
    case RunMessage::kFolderNotRemoved: return text::kFolderNotRemoved;
    case RunMessage::kFolderNotCreated: return text::kFolderNotCreated;
    case RunMessage::kInvalidTargetName: return text::kWildcardTarget;
    case RunMessage::kNameNotAddressable: return text::kNameNotAddressable;
    case RunMessage::kFolderChanged: return text::kFolderChanged;
    case RunMessage::kCancelled: return text::kOperationCancelled;
  }
  return text::kOperationCancelled;
}

TextId TextOf(ReadOnlyCase question) {
  return question == ReadOnlyCase::kDeleteFile ? text::kReadOnlyDelete : text::kReadOnlyOverwrite;
}

TextId TextOf(FailureCase question) {
  switch (question) {
    case FailureCase::kDelete: return text::kFailureDelete;
    case FailureCase::kCopy: return text::kFailureCopy;
    case FailureCase::kMove: return text::kFailureMove;
  }
  return text::kFailureCopy;
}

int BarPosition(uint64_t done, uint64_t total) {
  if (total == 0) return 0;
  if (done >= total) return kBarRange;
  return static_cast<int>(static_cast<double>(done) * kBarRange / static_cast<double>(total));
}

FileOperationEngine::FileOperationEngine(FileSystem& fs, OperationPrompts& prompts)
    : fs_(fs), prompts_(prompts) {}

ProgressSnapshot FileOperationEngine::Progress() const {
  std::lock_guard<std::mutex> lock(progressLock_);
  ProgressSnapshot snapshot = progress_;
  snapshot.fileBar = BarPosition(snapshot.fileBytesDone, snapshot.fileBytesTotal);
  snapshot.overallBar = BarPosition(snapshot.overallDone, snapshot.overallTotal);
  return snapshot;
}

void FileOperationEngine::ShowSource(const std::string& path) {
  std::lock_guard<std::mutex> lock(progressLock_);
  progress_.source = path;
}

void FileOperationEngine::ShowTarget(const std::string& path) {
  std::lock_guard<std::mutex> lock(progressLock_);
  progress_.target = path;
}

void FileOperationEngine::StartFile(uint64_t size) {
  std::lock_guard<std::mutex> lock(progressLock_);
  fileBase_ = progress_.overallDone;
  progress_.fileBytesDone = 0;
  progress_.fileBytesTotal = size;
}

void FileOperationEngine::StepFile(uint64_t bytes) {
  std::lock_guard<std::mutex> lock(progressLock_);
  progress_.fileBytesDone += bytes;
  if (request_.kind != OperationKind::kDelete) {
    progress_.overallDone =
        fileBase_ + std::min(progress_.fileBytesDone, progress_.fileBytesTotal);
  }
}

void FileOperationEngine::FinishFile() {
  std::lock_guard<std::mutex> lock(progressLock_);
  ++progress_.filesDone;
  progress_.overallDone = request_.kind == OperationKind::kDelete
                              ? progress_.filesDone
                              : fileBase_ + progress_.fileBytesTotal;
  progress_.fileBytesDone = 0;
}

void FileOperationEngine::RequestCancel() { gate_.Cancel(); }

void FileOperationEngine::RequestPause(bool paused) { gate_.Pause(paused); }

bool FileOperationEngine::Cancelled() {
  if (cancelled_) return true;
  if (checkHook_) checkHook_();
  if (gate_.Pass()) return false;
  cancelled_ = true;
  Tell(RunMessage::kCancelled, std::string());
  return true;
}

void FileOperationEngine::Tell(RunMessage message, const std::string& path) {
  ++asked_;
  if (message != RunMessage::kCancelled) {
    problems_.push_back({entry_, ProblemKind::kMessage, path, FsError::kOk, message});
  }
  prompts_.ShowMessage(message, path);
}

void FileOperationEngine::Note(ProblemKind kind, const std::string& path, FsError error) {
  problems_.push_back({entry_, kind, path, error, RunMessage::kCancelled});
}

bool FileOperationEngine::SkipInForce() const {
  switch (request_.kind) {
    case OperationKind::kDelete:
      return IsSkip(answers_.readOnly) || answers_.failure == FailureAnswer::kSkip;
    case OperationKind::kCopy:
      return IsSkip(answers_.readOnly) || IsSkip(answers_.overwrite) ||
             answers_.failure == FailureAnswer::kSkip;
    case OperationKind::kMove:
      // A Skip about deleting a moved file's source goes on as well.
      return IsSkip(answers_.moveReadOnly) || IsSkip(answers_.overwrite) ||
             answers_.moveFailure == FailureAnswer::kSkip || IsSkip(answers_.readOnly) ||
             answers_.failure == FailureAnswer::kSkip;
  }
  return false;
}

// A path with "*" or "?" would be expanded by the shell and by listings, so it
// never reaches the file system: it fails like a file that cannot be read.
bool FileOperationEngine::Unsafe(const std::string& path) const {
  return path.find_first_of("*?") != std::string::npos;
}

// error is what failed last; a failure given up on (Skip or Stop) is noted with it.
FailureAnswer FileOperationEngine::AskFailure(FailureCase question, const std::string& path,
                                              FsError error) {
  ++asked_;
  FailureAnswer answer = prompts_.AskFailure(question, path);
  (question == FailureCase::kMove ? answers_.moveFailure : answers_.failure) = answer;
  if (answer != FailureAnswer::kRetry) {
    const ProblemKind kind = question == FailureCase::kDelete ? ProblemKind::kNotDeleted
                             : question == FailureCase::kCopy ? ProblemKind::kNotCopied
                                                              : ProblemKind::kNotMoved;
    Note(kind, path, error == FsError::kOk ? FsError::kIo : error);
  }
  return answer;
}

PromptAnswer FileOperationEngine::AskReadOnly(ReadOnlyCase question, const std::string& path) {
  PromptAnswer& slot = question == ReadOnlyCase::kOverwriteTarget &&
                               request_.kind == OperationKind::kMove
                           ? answers_.moveReadOnly
                           : answers_.readOnly;
  if (AsksAgain(slot)) {
    ++asked_;
    slot = prompts_.AskReadOnly(question, path);
  }
  return slot;
}

bool FileOperationEngine::ListWithRetry(const std::string& folder, FailureCase question,
                                        std::vector<EntryInfo>& out) {
  const bool listable = !Unsafe(folder) && depth_ <= request_.maxFolderDepth;
  // Names the count pass listed, where a question came since: the folder is
  // listed again, and what another program added meanwhile is left alone.
  std::unordered_set<std::string> countedNames;
  bool narrowed = false;
  if (listable) {
    auto counted = countedListings_.find(folder);
    if (counted != countedListings_.end()) {
      const bool fresh = counted->second.askedAt == asked_;
      if (fresh) {
        out = std::move(counted->second.entries);
      } else {
        narrowed = true;
        for (const EntryInfo& entry : counted->second.entries) countedNames.insert(entry.name);
      }
      countedListings_.erase(counted);
      if (fresh) return true;
    }
  }
  for (;;) {
    // A path with a wildcard, or one nested too deep, is a name no call takes.
    FsError error = FsError::kInvalidName;
    if (listable) {
      FsResult<std::vector<EntryInfo>> listed = fs_.List(folder);
      if (listed.Ok()) {
        out = std::move(listed.value);
        if (narrowed) {
          out.erase(std::remove_if(out.begin(), out.end(),
                                   [&](const EntryInfo& entry) { return !countedNames.count(entry.name); }),
                    out.end());
        }
        return true;
      }
      error = listed.error;
    }
    if (AskFailure(question, folder, error) != FailureAnswer::kRetry || Cancelled()) return false;
  }
}

// Whether folder (no final backslash) is still the folder the run counted:
// listed under that exact name, a folder and no link, of the identity it had.
// A folder not seen before has its identity taken now. Anything else is
// reported once and nothing beneath it is touched.
bool FileOperationEngine::EnterFolder(const std::string& folder, FailureCase question) {
  const std::string key = folder + "\\";
  for (;;) {
    if (Cancelled()) return false;
    bool changed = false;
    // A folder whose identity the run knows needs only that: a link put in
    // its place, or another spelling reached, has another identity.
    auto known = folderIds_.find(key);
    if (known != folderIds_.end()) {
      FsResult<FileIdentity> id = fs_.Identity(folder);
      if (id.Ok() && id.value == known->second) return true;
      changed = id.Ok() || id.error == FsError::kNotFound;
      if (changed) {
        Tell(RunMessage::kFolderChanged, folder);
        return false;
      }
      if (AskFailure(question, folder, id.error) != FailureAnswer::kRetry) return false;
      continue;
    }
    FsResult<EntryInfo> now = fs_.Lookup(folder);
    FsError error = now.error;
    if (now.Ok()) {
      changed = now.value.name != LastComponent(folder) || !now.value.IsFolder() || now.value.IsLink();
      if (!changed) {
        FsResult<FileIdentity> id = fs_.Identity(folder);
        if (id.Ok()) {
          auto [known, added] = folderIds_.try_emplace(key, id.value);
          if (added || known->second == id.value) return true;
          changed = true;
        } else {
          changed = id.error == FsError::kNotFound;
          error = id.error;
        }
      }
    } else {
      changed = now.error == FsError::kNotFound;
    }
    if (changed) {
      Tell(RunMessage::kFolderChanged, folder);
      return false;
    }
    if (AskFailure(question, folder, error) != FailureAnswer::kRetry) return false;
  }
}

// A listing that holds a name no call can address as that entry (a "\" in
// it, or the same name twice) is not acted on at all: every call by that
// name could reach another entry.
bool FileOperationEngine::NamesAddressable(const std::string& folder,
                                           const std::vector<EntryInfo>& entries) {
  std::unordered_set<std::string> seen;
  seen.reserve(entries.size());
  for (const EntryInfo& entry : entries) {
    if (!IsAddressableName(entry.name) || !seen.insert(entry.name).second) {
      Tell(RunMessage::kNameNotAddressable, folder + "\\" + entry.name);
      return false;
    }
  }
  NoteCaseTwins(folder + "\\", entries);
  return true;
}

void FileOperationEngine::NoteCaseTwins(const std::string& folder,
                                        const std::vector<EntryInfo>& entries) {
  std::unordered_map<std::string, const std::string*> folded;
  folded.reserve(entries.size());
  for (const EntryInfo& entry : entries) {
    auto [first, added] = folded.try_emplace(FoldName(entry.name), &entry.name);
    if (added) continue;
    caseTwins_.insert(folder + *first->second);
    caseTwins_.insert(folder + entry.name);
  }
}

// Called before each change inside a walked folder. When a question was
// asked since the folder was last checked, it is checked and listed again:
// an entry no longer listed under its exact name is passed over (a call by
// that name could reach an entry spelled otherwise), and a folder that
// changed stops the walk there.
FileOperationEngine::Presence FileOperationEngine::Refresh(Visit& visit, const std::string& name,
                                                           FailureCase question) {
  if (visit.checkedAt != asked_) {
    if (!EnterFolder(visit.folder, question)) return Presence::kStop;
    std::vector<EntryInfo> now;
    if (!ListWithRetry(visit.folder + "\\", question, now)) return Presence::kStop;
    if (!NamesAddressable(visit.folder, now)) return Presence::kStop;
    visit.names.clear();
    for (const EntryInfo& entry : now) visit.names.insert(entry.name);
    visit.relisted = true;
    visit.checkedAt = asked_;
  }
  if (visit.relisted && !visit.names.count(name)) return Presence::kGone;
  return Presence::kThere;
}

// Whether path still names the entry called name, spelled exactly so.
bool FileOperationEngine::ExactlyThere(const std::string& path, const std::string& name,
                                       FsError& error) {
  FsResult<EntryInfo> now = fs_.Lookup(path);
  error = now.error;
  if (now.Ok() && now.value.name != name) error = FsError::kNotFound;
  return error == FsError::kOk;
}

// Removes a walked folder, emptied, only if it is still the folder counted.
FsStatus FileOperationEngine::RemoveWalkedFolder(const std::string& folder) {
  auto known = folderIds_.find(folder + "\\");
  if (known == folderIds_.end()) return {FsError::kReplaced};
  FsStatus removed = fs_.RemoveFolder(folder + "\\", known->second);
  if (removed.Ok()) return removed;
  Tell(removed.error == FsError::kReplaced ? RunMessage::kFolderChanged
                                           : RunMessage::kFolderNotRemoved,
       folder);
  return removed;
}

RunResult FileOperationEngine::Run(const RunRequest& request) {
  request_ = request;
  if (request_.blockSize == 0) request_.blockSize = kDefaultBlockSize;
  answers_ = Answers();
  cancelled_ = false;
  depth_ = 0;
  asked_ = 0;
  written_.clear();
  targetListings_.clear();
  lastListing_ = nullptr;
  listTargets_ = false;
  countedListings_.clear();
  countedEntries_ = 0;
  folderIds_.clear();
  caseTwins_.clear();
  problems_.clear();
  entry_ = kWholeRun;
  skipBin_ = false;
  binAnswer_.reset();
  {
    std::lock_guard<std::mutex> lock(progressLock_);
    progress_ = ProgressSnapshot();
  }
  RunResult result;
  const size_t count = request_.names.size();
  result.entries.assign(count, EntryOutcome::kNotReached);
  const bool isDelete = request_.kind == OperationKind::kDelete;
  const FailureCase failureCase = isDelete ? FailureCase::kDelete
                                  : request_.kind == OperationKind::kCopy ? FailureCase::kCopy
                                                                          : FailureCase::kMove;

  auto finish = [&]() {
    std::lock_guard<std::mutex> lock(progressLock_);
    progress_.phase = RunPhase::kFinished;
    result.cancelled = cancelled_;
    result.problems = std::move(problems_);
    problems_.clear();
    return result;
  };

  if (!isDelete && (Unsafe(request_.targetFolder) || Unsafe(request_.newName) ||
                    request_.newName.find('\\') != std::string::npos)) {
    Tell(RunMessage::kInvalidTargetName, request_.targetFolder + request_.newName);
    std::fill(result.entries.begin(), result.entries.end(), EntryOutcome::kNotDone);
    return finish();
  }

  // Names that cannot be handed to the file system as the entry selected:
  // one holding a path separator, and one that stands for two entries (the
  // same name selected twice, or listed twice in the folder).
  std::vector<char> refused(count, 0);
  bool mayListAlike = false;
  {
    std::unordered_map<std::string, int> selected;
    for (const std::string& name : request_.names) ++selected[name];
    for (size_t i = 0; i < count; ++i) {
      const std::string& name = request_.names[i];
      refused[i] = !IsAddressableName(name) || selected[name] > 1;
      mayListAlike = mayListAlike || MayListAlike(name);
    }
  }

  // Count pass: what the bars measure. Lookup failures here are met again below.
  // Many entries selected in one folder: the folder is listed once instead of
  // each entry looked up (by its exact stored name; any other is looked up).
  // A name that may list alike with another is always checked in the listing.
  std::unordered_map<std::string, EntryInfo> listedBase;
  std::unordered_set<std::string> listedTwice;
  bool baseListed = false;
  if ((count >= kListTargetsFrom || mayListAlike) && !Unsafe(request_.baseFolder)) {
    FsResult<std::vector<EntryInfo>> listed = fs_.List(request_.baseFolder);
    baseListed = listed.Ok();
    if (baseListed) {
      NoteCaseTwins(request_.baseFolder, listed.value);
      for (EntryInfo& entry : listed.value) {
        std::string name = entry.name;
        if (!listedBase.emplace(name, std::move(entry)).second) listedTwice.insert(name);
      }
    }
  }
  std::vector<FsResult<EntryInfo>> found(count);
  auto lookUp = [&](size_t i) {
    const std::string path = request_.baseFolder + request_.names[i];
    found[i] = fs_.Lookup(path);
    // Another spelling found (another case; the entry selected is gone) is
    // not the entry selected.
    if (found[i].Ok() && found[i].value.name != request_.names[i]) found[i] = {{}, FsError::kNotFound};
  };
  std::vector<uint64_t> foundAt(count, 0);  // questions asked when each was looked up
  for (size_t i = 0; i < count; ++i) {
    const std::string& name = request_.names[i];
    if (!refused[i] && MayListAlike(name) && (!baseListed || listedTwice.count(name))) refused[i] = 1;
    if (refused[i]) {
      found[i].error = FsError::kInvalidName;
      continue;
    }
    const std::string path = request_.baseFolder + name;
    if (Unsafe(path)) {
      found[i].error = FsError::kInvalidName;
      continue;
    }
    auto listed = baseListed ? listedBase.find(name) : listedBase.end();
    if (listed != listedBase.end()) {
      found[i] = {listed->second, FsError::kOk};
    } else {
      lookUp(i);
      if (!baseListed) caseTwins_.insert(path);  // unknown: looked up again before it is acted on
    }
    foundAt[i] = asked_;
    if (!found[i].Ok()) continue;
    const EntryInfo& info = found[i].value;
    if (info.IsFolder()) {
      if (!info.IsLink()) CountTree(path + "\\");
    } else {
      std::lock_guard<std::mutex> lock(progressLock_);
      ++progress_.fileCount;
      progress_.totalBytes += info.size;
    }
    if (Cancelled()) return finish();
  }
  {
    std::lock_guard<std::mutex> lock(progressLock_);
    progress_.phase = RunPhase::kWorking;
    progress_.layout = isDelete ? ProgressLayout::kDelete
                       : progress_.fileCount == 1 ? ProgressLayout::kSingleFile
                                                  : ProgressLayout::kBothBars;
    progress_.overallTotal = isDelete ? progress_.fileCount : progress_.totalBytes;
    listTargets_ = progress_.fileCount >= kListTargetsFrom;
  }

  std::vector<char> forGood(count, 0);
  std::vector<char> kept(count, 0);
  if (isDelete && request_.recycle && !AskBeforeDeletingForGood(found, refused, forGood, kept)) {
    return finish();
  }

  // Several entries sent to a name that is an existing folder go into that
  // folder, as does a single file (it cannot become a folder).
  if (!isDelete && !request_.newName.empty()) {
    const std::string named = request_.targetFolder + request_.newName;
    FsResult<EntryInfo> existing = fs_.Lookup(named);
    bool singleFile = count == 1 && found[0].Ok() && !found[0].value.IsFolder();
    if (existing.Ok() && existing.value.IsFolder() && (count > 1 || singleFile)) {
      request_.targetFolder = named + "\\";
      request_.newName.clear();
    }
  }

  for (size_t i = 0; i < count; ++i) {
    entry_ = i;
    const std::string path = request_.baseFolder + request_.names[i];
    skipBin_ = forGood[i] != 0;
    binAnswer_.reset();
    if (skipBin_) binAnswer_ = PermanentAnswer::kYes;
    if (kept[i]) {
      // Kept as answered: it is not touched, and the run goes on.
      Note(ProblemKind::kNotDeleted, request_.baseFolder + found[i].value.name,
           FsError::kNoRecycleBin);
      result.entries[i] = EntryOutcome::kNotDone;
      if (entryObserver_) entryObserver_(i, EntryOutcome::kNotDone);
      entry_ = kWholeRun;
      continue;
    }
    Outcome outcome = Outcome::kNotDone;
    bool gone = false;
    if (refused[i]) {
      Tell(RunMessage::kNameNotAddressable, path);
    } else {
      // A question was open since this entry was looked at: look again.
      if (found[i].Ok() && foundAt[i] != asked_ && !Unsafe(path)) lookUp(i);
      for (;;) {
        if (found[i].Ok()) break;
        if (found[i].error == FsError::kNotFound) {
          gone = true;
          break;
        }
        if (AskFailure(failureCase, path, found[i].error) != FailureAnswer::kRetry || Cancelled()) {
          break;
        }
        if (!Unsafe(path)) lookUp(i);
      }
    }
    if (gone) {
      result.entries[i] = EntryOutcome::kGone;
      if (entryObserver_) entryObserver_(i, EntryOutcome::kGone);
      continue;
    }
    if (!refused[i] && found[i].Ok()) {
      const EntryInfo& info = found[i].value;
      const std::string source = request_.baseFolder + info.name;
      if (isDelete) {
        outcome = DeleteEntry(source, info);
      } else {
        const std::string targetName =
            request_.newName.empty() ? info.name : request_.newName;
        if (info.IsFolder()) {
          bool refusedTarget = false;
          if (!IntoItself(source, request_.targetFolder + targetName, refusedTarget) &&
              !refusedTarget) {
            outcome = TransferTree(source, info, request_.targetFolder + targetName);
          }
        } else {
          outcome = TransferFile(source, info, request_.targetFolder, targetName);
        }
      }
    }
    result.entries[i] = outcome == Outcome::kDone ? EntryOutcome::kDone : EntryOutcome::kNotDone;
    if (entryObserver_) entryObserver_(i, result.entries[i]);
    entry_ = kWholeRun;
    if (cancelled_) break;
    // A file kept because the bin does not take it is kept as answered, as a
    // Skip is, and the run goes on.
    const bool keptAsAnswered = binAnswer_ == PermanentAnswer::kNo;
    if (outcome != Outcome::kDone && !SkipInForce() && !prompts_.Collecting() && !keptAsAnswered) {
      break;
    }
  }
  return finish();
}

void FileOperationEngine::CountTree(const std::string& folder) {
  DepthGuard depth(depth_, request_.maxFolderDepth);
  if (depth.TooDeep() || Unsafe(folder) || Cancelled()) return;
  // The folder as it is now: the walk must find this very folder there.
  FsResult<FileIdentity> id = fs_.Identity(folder.substr(0, folder.size() - 1));
  if (id.Ok()) folderIds_[folder] = id.value;
  FsResult<std::vector<EntryInfo>> listed = fs_.List(folder);
  if (!listed.Ok()) return;
  for (const EntryInfo& entry : listed.value) {
    if (entry.IsFolder()) {
      if (!entry.IsLink() && IsAddressableName(entry.name)) CountTree(folder + entry.name + "\\");
      if (cancelled_) return;
    } else {
      std::lock_guard<std::mutex> lock(progressLock_);
      ++progress_.fileCount;
      progress_.totalBytes += entry.size;
    }
  }
  // Kept for the walk, which comes moments later. What changes in between is
  // met safely: a file added since is not copied or deleted (its folder then
  // is not removed), and one removed since fails as any vanished file does.
  if (countedEntries_ + listed.value.size() > request_.keptListingEntries) return;
  countedEntries_ += listed.value.size();
  countedListings_[folder] = {std::move(listed.value), asked_};
}

// ---- delete ----

FileOperationEngine::Outcome FileOperationEngine::DeleteEntry(const std::string& path,
                                                              const EntryInfo& info) {
  if (info.IsFolder()) return DeleteTree(path, info);
  StartFile(0);
  AtExit counted([this] { FinishFile(); });
  return DeleteOne(path, info);
}

// The entries the recycle bin does not take, found before anything is
// deleted, are asked about in one question: Yes deletes them for good, No
// keeps them, Cancel ends the run before it began (false). Where it cannot
// be told the bin is tried, which never deletes for good unasked either.
bool FileOperationEngine::AskBeforeDeletingForGood(const std::vector<FsResult<EntryInfo>>& found,
                                                   const std::vector<char>& refused,
                                                   std::vector<char>& forGood,
                                                   std::vector<char>& kept) {
  std::vector<size_t> binless;
  std::vector<std::string> paths;
  for (size_t i = 0; i < found.size(); ++i) {
    // A folder link is removed itself, never sent to the bin.
    if (refused[i] || !found[i].Ok() || found[i].value.IsLink()) continue;
    const std::string path = request_.baseFolder + found[i].value.name;
    if (Unsafe(path)) continue;
    if (Cancelled()) return false;
    FsResult<bool> takes = fs_.CanRecycle(path);
    if (!takes.Ok() || takes.value) continue;
    binless.push_back(i);
    paths.push_back(path);
  }
  if (binless.empty()) return true;
  const PermanentAnswer answer = AskPermanentDelete(paths);
  if (answer == PermanentAnswer::kCancel) return false;
  for (size_t i : binless) (answer == PermanentAnswer::kYes ? forGood : kept)[i] = 1;
  return true;
}

PermanentAnswer FileOperationEngine::AskPermanentDelete(const std::vector<std::string>& paths) {
  ++asked_;
  const PermanentAnswer answer = prompts_.AskPermanentDelete(paths);
  if (answer == PermanentAnswer::kCancel) {
    // As the Cancel button does: the run stops at once and says so.
    gate_.Cancel();
    (void)Cancelled();
  }
  return answer;
}

FsStatus FileOperationEngine::Remove(const std::string& path) {
  if (!request_.recycle || skipBin_) return fs_.RemoveFile(path);
  const RecycleResult recycled = fs_.Recycle({path});
  if (recycled == RecycleResult::kNoBin) {
    // The bin refused a file although nothing said so before: asked now, once
    // for the entry; its other files still go to the bin where it takes them.
    if (!binAnswer_) binAnswer_ = AskPermanentDelete({path});
    // A cancel that came while the question was open leaves the file too.
    if (*binAnswer_ != PermanentAnswer::kYes || Cancelled()) return {FsError::kNoRecycleBin};
    return fs_.RemoveFile(path);
  }
  // Only a call that reports success, aborted nothing and left no file behind
  // counts: the bin must never turn into a silent permanent deletion elsewhere.
  if (recycled != RecycleResult::kDone) return {FsError::kIo};
  for (int attempt = 0; attempt < 2; ++attempt) {
    FsResult<EntryInfo> after = fs_.Lookup(path);
    if (after.error == FsError::kNotFound) return {};
    if (after.Ok()) break;
  }
  return {FsError::kIo};
}

// Deletes one file, asking about a read-only file first; a read-only bit
// cleared for a deletion that did not happen is set back. A file gone while
// the question was open is not looked for under another spelling.
FileOperationEngine::Outcome FileOperationEngine::DeleteOne(const std::string& path,
                                                            const EntryInfo& info) {
  ShowSource(path);
  const uint64_t seenAt = asked_;
  const bool readOnly = (info.attributes & kAttrReadOnly) != 0;
  if (readOnly) {
    PromptAnswer answer = AskReadOnly(ReadOnlyCase::kDeleteFile, path);
    if (answer == PromptAnswer::kSkip || answer == PromptAnswer::kSkipAll ||
        answer == PromptAnswer::kCancel) {
      Note(ProblemKind::kReadOnly, path);
      return Outcome::kNotDone;
    }
  }
  bool cleared = false;
  auto restore = [&]() {
    if (cleared) (void)fs_.SetAttributes(path, info.attributes);
    cleared = false;
  };
  const bool twin = caseTwins_.count(path) != 0;
  for (uint64_t checkedAt = twin ? asked_ + 1 : seenAt;;) {
    FsError error = FsError::kInvalidName;
    if (!Unsafe(path)) {
      if (checkedAt != asked_) {
        checkedAt = asked_;
        FsError error = FsError::kOk;
        if (!ExactlyThere(path, info.name, error) && error == FsError::kNotFound) {
          restore();
          return Outcome::kDone;
        }
      }
      if (readOnly && !cleared) {
        FsStatus set = fs_.SetAttributes(path, info.attributes & ~kAttrReadOnly);
        cleared = set.Ok();
        error = set.error;
      }
      if (Cancelled()) {
        restore();
        return Outcome::kNotDone;
      }
      if (!readOnly || cleared) {
        FsStatus removed = Remove(path);
        if (removed.Ok()) return Outcome::kDone;
        error = removed.error;
        if (error == FsError::kNoRecycleBin) {
          // Kept as answered (or the run was cancelled there).
          restore();
          if (!cancelled_) Note(ProblemKind::kNotDeleted, path, error);
          return Outcome::kNotDone;
        }
      }
    } else if (Cancelled()) {
      return Outcome::kNotDone;
    }
    restore();
    if (AskFailure(FailureCase::kDelete, path, error) != FailureAnswer::kRetry) {
      return Outcome::kNotDone;
    }
  }
}

// Deletes a folder after its subfolders and files. A folder link is removed
// itself: nothing it leads to is ever listed or deleted.
FileOperationEngine::Outcome FileOperationEngine::DeleteTree(const std::string& folder,
                                                             const EntryInfo& info) {
  ShowSource(folder);
  DepthGuard depth(depth_, request_.maxFolderDepth);
  if (info.IsLink()) return DeleteLink(folder);
  if (!EnterFolder(folder, FailureCase::kDelete)) return Outcome::kNotDone;
  std::vector<EntryInfo> entries;
  if (!ListWithRetry(folder + "\\", FailureCase::kDelete, entries)) return Outcome::kNotDone;
  if (!NamesAddressable(folder, entries)) return Outcome::kNotDone;
  Visit visit{folder, asked_, false, {}};
  for (const EntryInfo& entry : entries) {
    if (!entry.IsFolder()) continue;
    Presence presence = Refresh(visit, entry.name, FailureCase::kDelete);
    if (presence == Presence::kStop) return Outcome::kNotDone;
    if (presence == Presence::kGone) continue;
    if (DeleteTree(folder + "\\" + entry.name, entry) != Outcome::kDone) return Outcome::kNotDone;
  }
  for (const EntryInfo& entry : entries) {
    if (entry.IsFolder()) continue;
    Presence presence = Refresh(visit, entry.name, FailureCase::kDelete);
    if (presence == Presence::kStop) return Outcome::kNotDone;
    if (presence == Presence::kGone) continue;
    StartFile(0);
    AtExit counted([this] { FinishFile(); });
    if (DeleteOne(folder + "\\" + entry.name, entry) != Outcome::kDone) return Outcome::kNotDone;
  }
  if (Cancelled()) return Outcome::kNotDone;
  return RemoveWalkedFolder(folder).Ok() ? Outcome::kDone : Outcome::kNotDone;
}

// Removes a folder link itself. Where it leads is looked at before and must
// be there as it was afterwards, and the link gone: a platform that reached
// the target instead has not done what was asked.
FileOperationEngine::Outcome FileOperationEngine::DeleteLink(const std::string& link) {
  const FsResult<FileIdentity> target = fs_.Identity(link);  // none for a dangling link
  const FsResult<std::string> leadsTo = fs_.RealPath(link);
  for (;;) {
    if (Cancelled()) return Outcome::kNotDone;
    FsError error = FsError::kInvalidName;
    if (!Unsafe(link)) {
      FsStatus removed = fs_.RemoveLink(link);
      error = removed.Ok() ? FsError::kIo : removed.error;
      if (removed.Ok() || removed.error == FsError::kNotFound) {
        // A check that cannot be made (an error) does not contradict the
        // removal reported; a link still listed, or a target gone or
        // another, does.
        const bool linkLeft = fs_.Lookup(link).Ok();
        bool lost = false;
        if (target.Ok() && leadsTo.Ok()) {
          FsResult<FileIdentity> now = fs_.Identity(leadsTo.value);
          lost = now.error == FsError::kNotFound || (now.Ok() && now.value != target.value);
        }
        if (!linkLeft && !lost) return Outcome::kDone;
      }
    }
    if (AskFailure(FailureCase::kDelete, link, error) != FailureAnswer::kRetry) {
      return Outcome::kNotDone;
    }
  }
}

// ---- copy and move ----

namespace {

// Whether path is folder or lies below it, by their folded texts.
bool TextWithin(const std::string& path, const std::string& folder) {
  const std::string p = FoldName(path);
  const std::string f = FoldName(folder);
  if (p == f) return true;
  const std::string prefix = f.empty() || f.back() == '\\' ? f : f + "\\";
  return p.compare(0, prefix.size(), prefix) == 0;
}

// The folder above path, or nothing at a root ("C:\" for "C:\x").
bool ClimbOne(std::string& path, std::string& tail) {
  size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos || slash + 1 == path.size()) return false;
  tail = tail.empty() ? path.substr(slash + 1) : path.substr(slash + 1) + "\\" + tail;
  path = path.substr(0, slash);
  if (path.size() == 2 && path[1] == ':') path += '\\';
  return path.size() > 0;
}

}  // namespace

// True when target is folder itself or lies inside it. The target is taken
// where it really lies: its deepest existing folder with every link on the
// way followed, so a link that leads back into the source is caught; then
// that real path is climbed by identity, so drive aliases and other
// spellings are caught too. refused is set when the question cannot be
// answered and the user gave up.
bool FileOperationEngine::IntoItself(const std::string& folder, const std::string& target,
                                     bool& refused) {
  const RunMessage message = request_.kind == OperationKind::kCopy ? RunMessage::kCopyIntoItself
                                                                   : RunMessage::kMoveIntoItself;
  const FailureCase failureCase =
      request_.kind == OperationKind::kCopy ? FailureCase::kCopy : FailureCase::kMove;
  if (TextWithin(target, folder)) {
    Tell(message, folder);
    return true;
  }
  for (;;) {
    bool known = false;
    FsResult<FileIdentity> source = fs_.Identity(folder);
    FsResult<std::string> sourceReal = fs_.RealPath(folder);
    FsError error = source.Ok() ? sourceReal.error : source.error;
    if (source.Ok() && sourceReal.Ok()) {
      std::string existing = target;
      std::string tail;
      // A folder is climbed over only when it is surely not there: its real
      // path not found and no entry listed under its name.
      auto realPath = [&](const std::string& path) {
        FsResult<std::string> real = fs_.RealPath(path);
        if (real.error == FsError::kNotFound && fs_.Lookup(path).error != FsError::kNotFound) {
          real.error = FsError::kIo;
        }
        return real;
      };
      FsResult<std::string> real = realPath(existing);
      while (real.error == FsError::kNotFound && ClimbOne(existing, tail)) real = realPath(existing);
      error = real.error;
      // Nothing of the target exists (another drive that is not there): it
      // cannot lie inside the source, which does.
      known = real.error == FsError::kNotFound;
      if (real.Ok()) {
        std::string where = real.value;
        if (!tail.empty()) where += (where.back() == '\\' ? "" : "\\") + tail;
        if (TextWithin(where, sourceReal.value)) {
          Tell(message, folder);
          return true;
        }
        known = true;
        std::string candidate = where;
        std::string unused;
        do {
          FsResult<FileIdentity> id = fs_.Identity(candidate);
          if (id.Ok() && id.value == source.value) {
            Tell(message, folder);
            return true;
          }
          if (!id.Ok() && id.error != FsError::kNotFound) {
            known = false;
            error = id.error;
            break;
          }
        } while (ClimbOne(candidate, unused));
      }
    }
    if (known) return false;
    if (AskFailure(failureCase, folder, error) != FailureAnswer::kRetry || Cancelled()) {
      refused = true;
      return false;
    }
  }
}

// Copies or moves a folder: the target folder is made (an existing folder is
// used as it is, a file of that name is left alone), then subfolders, then
// files; a move removes each emptied source folder. Links are not followed.
FileOperationEngine::Outcome FileOperationEngine::TransferTree(const std::string& folder,
                                                               const EntryInfo& info,
                                                               const std::string& target) {
  const bool move = request_.kind == OperationKind::kMove;
  const FailureCase failureCase = move ? FailureCase::kMove : FailureCase::kCopy;
  ShowSource(folder);
  ShowTarget(target);
  DepthGuard depth(depth_, request_.maxFolderDepth);
  if (info.IsLink()) {
    // A folder link is never followed: it is not copied or moved.
    while (AskFailure(failureCase, folder, FsError::kAccessDenied) == FailureAnswer::kRetry) {
      if (Cancelled()) break;
    }
    return Outcome::kNotDone;
  }
  if (Cancelled()) return Outcome::kNotDone;
  if (!EnterFolder(folder, failureCase)) return Outcome::kNotDone;
  std::vector<EntryInfo> entries;
  if (!ListWithRetry(folder + "\\", failureCase, entries)) return Outcome::kNotDone;
  if (!NamesAddressable(folder, entries)) return Outcome::kNotDone;
  if (Cancelled()) return Outcome::kNotDone;
  FsStatus made = fs_.CreateFolder(target + "\\");
  if (!made.Ok() && made.error != FsError::kAlreadyExists) {
    Tell(RunMessage::kFolderNotCreated, target);
    return Outcome::kNotDone;
  }
  Visit visit{folder, asked_, false, {}};
  for (const EntryInfo& entry : entries) {
    if (!entry.IsFolder()) continue;
    Presence presence = Refresh(visit, entry.name, failureCase);
    if (presence == Presence::kStop) return Outcome::kNotDone;
    if (presence == Presence::kGone) continue;
    if (TransferTree(folder + "\\" + entry.name, entry, target + "\\" + entry.name) !=
        Outcome::kDone) {
      return Outcome::kNotDone;
    }
  }
  for (const EntryInfo& entry : entries) {
    if (entry.IsFolder()) continue;
    Presence presence = Refresh(visit, entry.name, failureCase);
    if (presence == Presence::kStop) return Outcome::kNotDone;
    if (presence == Presence::kGone) continue;
    if (TransferFile(folder + "\\" + entry.name, entry, target + "\\", entry.name) !=
        Outcome::kDone) {
      return Outcome::kNotDone;
    }
  }
  if (!move) return Outcome::kDone;
  if (Cancelled()) return Outcome::kNotDone;
  return RemoveWalkedFolder(folder).Ok() ? Outcome::kDone : Outcome::kNotDone;
}

// Copies source into a new file of its own in targetFolder (or, given
// inPlace, into that new file). On success tempPath holds the complete copy,
// its length checked against size; on any failure or cancel nothing is left
// behind.
FsError FileOperationEngine::CopyData(const std::string& source, uint64_t size,
                                      const std::string& targetFolder, std::string& tempPath,
                                      const std::string* inPlace) {
  tempPath.clear();
  if (Cancelled()) return FsError::kIo;
  FsResult<FileId> opened = fs_.OpenRead(source);
  if (!opened.Ok()) return opened.error;
  OpenedFile in(fs_, opened.value);
  FsResult<CreatedTemp> created;
  if (inPlace != nullptr) {
    FsResult<FileId> made = fs_.CreateNewFile(*inPlace);
    created = {{made.value, *inPlace}, made.error};
  } else {
    created = fs_.CreateTempFile(targetFolder);
  }
  if (!created.Ok()) return created.error;
  OpenedFile out(fs_, created.value.file);
  const std::string temp = created.value.path;
  auto fail = [&](FsError error) {
    (void)in.Close();
    (void)out.Close();
    (void)fs_.RemoveFile(temp);
    return error;
  };
  StartFile(size);
  buffer_.resize(request_.blockSize);
  uint64_t copied = 0;
  Checksum64 read;  // of the bytes as read from the source
  for (;;) {
    FsResult<size_t> got = fs_.Read(in.Id(), buffer_.data(), buffer_.size());
    if (!got.Ok()) return fail(got.error);
    if (got.value == 0) break;
    if (request_.verify) read.Add(buffer_.data(), got.value);
    FsStatus wrote = fs_.Write(out.Id(), buffer_.data(), got.value);
    if (!wrote.Ok()) return fail(wrote.error);
    copied += got.value;
    StepFile(got.value);
    if (copied > size) return fail(FsError::kIo);  // the source grew meanwhile
    if (Cancelled()) return fail(FsError::kIo);
  }
  (void)in.Close();
  // The length the file system holds, asked through the open file: a lookup
  // by name after closing cost a quarter of a small file's copy under Wine.
  FsResult<uint64_t> stored = fs_.SizeOf(out.Id());
  FsStatus closed = out.Close();
  if (!closed.Ok()) return fail(closed.error);
  if (copied != size) return fail(FsError::kIo);
  if (!stored.Ok()) return fail(stored.error);
  if (stored.value != size) return fail(FsError::kIo);
  // Before the copy replaces anything: a copy that does not read back as its
  // source read is removed like any other that failed.
  if (request_.verify) {
    const FsError verified = VerifyCopy(temp, read);
    if (verified != FsError::kOk) return fail(verified);
  }
  tempPath = temp;
  return FsError::kOk;
}

// Reads the closed copy at path back from the disk and compares it with what
// was written. A read-back that cannot be done (not opened, a read error)
// fails as a mismatch: the copy is not confirmed. The bars do not move.
FsError FileOperationEngine::VerifyCopy(const std::string& path, const Checksum64& written) {
  if (Cancelled()) return FsError::kIo;
  FsResult<FileId> opened = fs_.OpenReadFromDisk(path);
  if (!opened.Ok()) return FsError::kVerifyMismatch;
  OpenedFile back(fs_, opened.value);
  Checksum64 readBack;
  for (;;) {
    FsResult<size_t> got = fs_.Read(back.Id(), buffer_.data(), buffer_.size());
    if (!got.Ok()) return FsError::kVerifyMismatch;
    if (got.value == 0) break;
    readBack.Add(buffer_.data(), got.value);
    if (readBack.Length() > written.Length()) return FsError::kVerifyMismatch;
    if (Cancelled()) return FsError::kIo;
  }
  (void)back.Close();
  if (readBack.Length() != written.Length() || readBack.Value() != written.Value()) {
    return FsError::kVerifyMismatch;
  }
  return FsError::kOk;
}

// True when name was not in targetFolder when the run listed it. Looking up
// a name that does not exist costs a read of the whole folder on some file
// systems (under Wine, every folder), so a run of many files lists each
// target folder once instead. A name that appeared since is still never
// overwritten unasked: the data goes in by a creation or a rename that
// refuses an existing target, and that failure is asked about like any other.
bool FileOperationEngine::KnownAbsent(const std::string& targetFolder, const std::string& name) {
  if (!listTargets_) return false;
  TargetListing* listing = lastListing_;
  if (listing == nullptr || targetFolder != lastTargetFolder_) {
    auto [known, added] = targetListings_.try_emplace(FoldName(targetFolder));
    listing = lastListing_ = &known->second;
    lastTargetFolder_ = targetFolder;
    if (added) {
      // A folder that cannot be listed has its names looked up one by one,
      // each with its own error.
      FsResult<std::vector<EntryInfo>> listed = fs_.List(targetFolder);
      listing->listed = listed.Ok();
      listing->names.reserve(listed.value.size());
      for (const EntryInfo& entry : listed.value) listing->names.insert(FoldName(entry.name));
    }
  }
  return listing->listed && listing->names.count(FoldName(name)) == 0;
}

// Copies or moves one file. An existing target is replaced only by a complete
// copy (or, on one volume, by a rename that replaces it in one step), so a
// failure or cancel leaves the old target byte for byte.
FileOperationEngine::Outcome FileOperationEngine::TransferFile(const std::string& source,
                                                               EntryInfo info,
                                                               const std::string& targetFolder,
                                                               const std::string& targetName) {
  const bool move = request_.kind == OperationKind::kMove;
  const FailureCase failureCase = move ? FailureCase::kMove : FailureCase::kCopy;
  std::string target = targetFolder + targetName;
  ShowSource(source);
  ShowTarget(target);
  StartFile(info.size);
  AtExit counted([this] { FinishFile(); });
  auto failed = [&](const std::string& path, FsError error) {
    return AskFailure(failureCase, path, error) != FailureAnswer::kRetry || Cancelled();
  };
  // After a question the source is looked for again under its exact name
  // before it is read or renamed: a call by a name that is gone may reach
  // another spelling of it.
  uint64_t checkedAt = caseTwins_.count(source) ? asked_ + 1 : asked_;
  auto sourceGone = [&]() {
    if (checkedAt == asked_) return false;
    checkedAt = asked_;
    FsError error = FsError::kOk;
    return !ExactlyThere(source, info.name, error) && error == FsError::kNotFound;
  };

  // Where the data goes, and what it replaces.
  bool exists = false;
  bool listedAbsent = false;  // the target folder's listing has no such name
  EntryInfo old;
  for (;;) {
    if (Cancelled()) return Outcome::kNotDone;
    if (Unsafe(source) || Unsafe(target)) {
      if (failed(source, FsError::kInvalidName)) return Outcome::kNotDone;
      continue;
    }
    // What this run wrote came after the listing: such a name is looked up.
    listedAbsent = KnownAbsent(targetFolder, targetName) && !written_.count(FoldName(target));
    FsResult<EntryInfo> looked =
        listedAbsent ? FsResult<EntryInfo>{{}, FsError::kNotFound} : fs_.Lookup(target);
    if (looked.error == FsError::kNotFound) break;
    if (!looked.Ok() || looked.value.IsFolder()) {
      // A folder of the target's name stands in the way.
      if (failed(source, looked.Ok() ? FsError::kAlreadyExists : looked.error)) return Outcome::kNotDone;
      continue;
    }
    exists = true;
    old = looked.value;
    target = targetFolder + old.name;  // keep the stored spelling
    ShowTarget(target);
    FsResult<FileIdentity> a = fs_.Identity(source);
    FsResult<FileIdentity> b = fs_.Identity(target);
    if (!a.Ok() || !b.Ok()) {
      if (failed(source, a.Ok() ? b.error : a.error)) return Outcome::kNotDone;
      continue;
    }
    if (a.value == b.value || FoldName(source) == FoldName(target)) {
      Tell(move ? RunMessage::kMoveOntoItself : RunMessage::kCopyOntoItself, source);
      return Outcome::kNotDone;
    }
    // Several entries sent to one name: never overwrite what this run wrote.
    if (written_.count(FoldName(target))) {
      if (failed(source, FsError::kAlreadyExists)) return Outcome::kNotDone;
      continue;
    }
    break;
  }
  if (exists) {
    if (AsksAgain(answers_.overwrite)) {
      ++asked_;
      answers_.overwrite = prompts_.AskOverwrite(
          {target, source, old.size, old.writeTime, info.size, info.writeTime});
    }
    if (answers_.overwrite != PromptAnswer::kProceed &&
        answers_.overwrite != PromptAnswer::kProceedAll) {
      Note(ProblemKind::kTargetExists, target);
      return Outcome::kNotDone;
    }
    if (old.attributes & kAttrReadOnly) {
      PromptAnswer answer = AskReadOnly(ReadOnlyCase::kOverwriteTarget, target);
      if (answer != PromptAnswer::kProceed && answer != PromptAnswer::kProceedAll) {
        Note(ProblemKind::kReadOnly, target);
        return Outcome::kNotDone;
      }
    }
  }

  // Replaces (or creates) the target with from; a read-only bit cleared for
  // that is set back when it fails. The cancel check comes right before the rename.
  auto replace = [&](const std::string& from) {
    bool cleared = false;
    if (exists && (old.attributes & kAttrReadOnly)) {
      cleared = fs_.SetAttributes(target, old.attributes & ~kAttrReadOnly).Ok();
      if (!cleared) return FsStatus{FsError::kAccessDenied};
    }
    if (Cancelled()) {
      if (cleared) (void)fs_.SetAttributes(target, old.attributes);
      return FsStatus{FsError::kIo};
    }
    FsStatus status = fs_.Rename(from, target, exists ? kRenameReplaceExisting : kRenamePlain);
    if (!status.Ok() && cleared) (void)fs_.SetAttributes(target, old.attributes);
    return status;
  };

  bool copyNeeded = !move;
  if (move) {
    for (;;) {
      if (sourceGone()) {
        if (failed(source, FsError::kNotFound)) return Outcome::kNotDone;
        continue;
      }
      FsStatus renamed = replace(source);
      if (cancelled_) return Outcome::kNotDone;
      if (renamed.Ok()) break;
      if (renamed.error == FsError::kNotSameDevice) {
        copyNeeded = true;
        break;
      }
      if (failed(source, renamed.error)) return Outcome::kNotDone;
    }
  }
  bool placed = false;  // the copy is in place already
  if (copyNeeded && listedAbsent) {
    // Written straight into place: the name is new, and creating it fails if
    // it exists after all (the careful way below then takes over). This spares
    // the temporary file's creation, which costs as much as the target's.
    std::string made;
    FsError copied = sourceGone() ? FsError::kNotFound
                                  : CopyData(source, info.size, targetFolder, made, &target);
    if (cancelled_) return Outcome::kNotDone;
    if (copied == FsError::kOk) {
      placed = true;
      // A new file has the archive bit alone already.
      if (info.attributes != kAttrArchive) (void)fs_.SetAttributes(target, info.attributes);
    } else if (copied != FsError::kAlreadyExists && failed(source, copied)) {
      return Outcome::kNotDone;
    }
  }
  if (copyNeeded && !placed) {
    for (bool retry = false;; retry = true) {
      if (retry) {
        // The source may have changed since it was listed.
        FsResult<EntryInfo> again = fs_.Lookup(source);
        if (again.Ok() && again.value.name == info.name) info = again.value;
      }
      std::string temp;
      FsError copied = sourceGone() ? FsError::kNotFound
                                    : CopyData(source, info.size, targetFolder, temp);
      if (cancelled_) return Outcome::kNotDone;
      if (copied == FsError::kOk) {
        FsStatus replaced = replace(temp);
        if (replaced.Ok()) break;
        copied = replaced.error;
        (void)fs_.RemoveFile(temp);
        if (cancelled_) return Outcome::kNotDone;
      }
      if (failed(source, copied)) return Outcome::kNotDone;
    }
    (void)fs_.SetAttributes(target, info.attributes);  // the copy carries the source's bits
  }
  written_.insert(FoldName(target));
  if (move && copyNeeded) {
    // The copy is complete at the target; the move is done only when the
    // source is gone too.
    if (DeleteOne(source, info) != Outcome::kDone) return Outcome::kNotDone;
  }
  return Outcome::kDone;
}

}  // namespace px
