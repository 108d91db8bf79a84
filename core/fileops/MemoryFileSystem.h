// A file system held in memory, for the engine's tests and benchmarks: names
// keep their case and are matched ignoring it (the exact spelling first, as a
// folder may hold names that differ only in case), hard links share one file,
// folder links (which may form loops), drive aliases, names that list alike,
// read-only bits, sharing rules, volume capacities, and faults injected into
// chosen calls.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/fileops/FileSystem.h"

namespace px {

enum class FsOp {
  kOpenRead,
  kCreateTempFile,
  kCreateNewFile,
  kRead,
  kWrite,
  kClose,
  kSizeOf,
  kLookup,
  kList,
  kCreateFolder,
  kRemoveFolder,
  kSetAttributes,
  kRemoveFile,
  kRename,
  kIdentity,
  kRecycle,
  kRemoveLink,
  kRealPath,
  kOpenReadFromDisk,
  kCanRecycle,
  kCount
};

enum class FaultMode {
  kFail,          // the call fails with Fault::error and changes nothing (a write stores half)
  kEarlyEnd,      // Read: reports the end of the file although data is left
  kShortRead,     // Read: returns one byte (a legal short read)
  kShortLength,   // SizeOf: reports one byte less than the file holds
  kRecycleAbort,  // Recycle: reports kAborted and keeps the files
  kRecycleKeep,   // Recycle: reports kDone but keeps the files
  kNoBin,         // CanRecycle: reports false; Recycle: reports kNoBin and keeps the files
  kPartialList,   // List: half the entries, then Fault::error
  kGrow,          // Read: the file grows by a block (another program writes) before this read
  kFollowLink,    // RemoveLink: removes the (empty) folder the link leads to instead, and succeeds
  kShrink,        // Read: the file loses its second half before this read
  kCorrupt,       // Write: stores the data with one byte changed and reports success;
                  // OpenReadFromDisk: every read through that file gives one byte changed
};

// A Close fault on a file open for writing also loses what was written last
// (the system could not store it), as a late write error does.
struct Fault {
  FsOp op = FsOp::kRead;
  uint32_t nth = 1;  // the nth call of op (from 1, counted since the last ResetCalls)
  FaultMode mode = FaultMode::kFail;
  FsError error = FsError::kIo;
  uint32_t times = 1;  // this many calls in a row from nth (a fault that lasts across Retry)
};

// One entry of Snapshot(): what a test compares before and after a run
// (attributes are kept, and compared where a test asks for them).
struct SnapshotEntry {
  bool folder = false;
  bool link = false;
  std::string content;
  uint32_t attributes = 0;
  bool operator==(const SnapshotEntry& o) const {
    return folder == o.folder && link == o.link && content == o.content;
  }
};

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // A volume whose root is "X:\" or "\\server\share\".
  void AddVolume(const std::string& root, uint64_t serial,
                 uint64_t capacity = UINT64_MAX);
  // The recycle bin of the volume at root: none, or one that takes files of
  // up to largestFile bytes. Every volume has a bin that takes anything until
  // this is called.
  void SetRecycleBin(const std::string& root, bool present, uint64_t largestFile = UINT64_MAX);
  // A drive root that shows an existing folder of another drive (same files).
  bool AddAlias(const std::string& root, const std::string& folder);
  // These create missing parent folders too.
  bool AddFolder(const std::string& folder);
  bool AddFile(const std::string& path, const std::string& content,
               uint32_t attributes = kAttrArchive);
  // A second name for an existing file (same identity, same data).
  bool AddHardLink(const std::string& existing, const std::string& path);
  // A folder link at path that leads to folder (which need not exist).
  bool AddFolderLink(const std::string& path, const std::string& folder);
  // A file stored under path whose name lists (and is looked up) as listedName,
  // as names whose bytes are not text list with U+FFFD: two such files in one
  // folder list alike, and a call by that name reaches the first of them.
  bool AddFileListedAs(const std::string& path, const std::string& listedName,
                       const std::string& content);
  // What another program does while a run goes on (no faults, no counts, the
  // name as stored exactly): removes an entry with everything in it, or
  // renames one (a folder too).
  bool Erase(const std::string& path);
  bool MoveAside(const std::string& from, const std::string& to);
  // Makes RemoveLink fail as on a platform that can only reach a link's target.
  void SetLinksOnlyFollowed(bool followed) { linksOnlyFollowed_ = followed; }

  // A separate copy of every volume, drive and entry (hard links stay shared
  // within the copy); no open files, faults or call counts are carried over.
  std::unique_ptr<MemoryFileSystem> Clone() const;

  std::optional<std::string> Content(const std::string& path) const;
  // Whether path names an entry stored exactly so (no faults, no counts).
  bool Has(const std::string& path) const;
  // Every entry of every volume (links not followed, aliases not repeated),
  // keyed by the full path as stored, drive letters folded; folders end with
  // a backslash.
  std::map<std::string, SnapshotEntry> Snapshot() const;

  void AddFault(const Fault& fault) { faults_.push_back(fault); }
  void ClearFaults() { faults_.clear(); }
  // How many calls a fault hit since the last ResetCalls: a fault run whose
  // fault never fired tested nothing.
  uint32_t FaultsFired() const { return faultsFired_; }
  // How many bytes kCorrupt faults changed (none for an empty file read back).
  uint32_t BytesCorrupted() const { return bytesCorrupted_; }
  // The file a kGrow or kShrink fault changed, as its path was given when it
  // was opened (empty when none was), and what it holds since.
  const std::string& ChangedByFault() const { return changedByFault_; }
  const std::string& ChangedBody() const { return changedBody_; }
  uint32_t Calls(FsOp op) const { return calls_[static_cast<size_t>(op)]; }
  void ResetCalls() {
    calls_.fill(0);
    faultsFired_ = 0;
    bytesCorrupted_ = 0;
  }
  // Called at the start of every call with its operation and (first) path;
  // Read, Write and Close pass an empty path.
  void SetCallHook(std::function<void(FsOp, const std::string&)> hook) { callHook_ = std::move(hook); }
  // Every Read returns at most this many bytes (0: no limit).
  void SetReadChunk(size_t bytes) { readChunk_ = bytes; }
  // Calls that were handed a path holding "*" or "?" (refused with kInvalidName).
  uint32_t WildcardCalls() const { return wildcardCalls_; }
  size_t OpenFileCount() const { return open_.size(); }
  // How often List succeeded for each folder (case-folded, ending with a backslash).
  const std::map<std::string, uint32_t>& ListCounts() const { return listCounts_; }

  FsResult<FileId> OpenRead(const std::string& path) override;
  // Nothing caches the writes here: it reads what is stored, as OpenRead does.
  FsResult<FileId> OpenReadFromDisk(const std::string& path) override;
  FsResult<CreatedTemp> CreateTempFile(const std::string& folder) override;
  FsResult<FileId> CreateNewFile(const std::string& path) override;
  FsResult<size_t> Read(FileId file, void* buffer, size_t size) override;
  FsStatus Write(FileId file, const void* data, size_t size) override;
  FsResult<uint64_t> SizeOf(FileId file) override;
  FsStatus Close(FileId file) override;
  FsResult<EntryInfo> Lookup(const std::string& path) override;
  FsResult<std::vector<EntryInfo>> List(const std::string& folder) override;
  FsStatus CreateFolder(const std::string& folder) override;
  FsStatus RemoveFolder(const std::string& folder, const FileIdentity& expected) override;
  FsStatus RemoveLink(const std::string& path) override;
  FsStatus SetAttributes(const std::string& path, uint32_t attributes) override;
  FsStatus RemoveFile(const std::string& path) override;
  FsStatus Rename(const std::string& from, const std::string& to, uint32_t flags) override;
  FsResult<FileIdentity> Identity(const std::string& path) override;
  FsResult<std::string> RealPath(const std::string& path) override;
  FsResult<bool> CanRecycle(const std::string& path) override;
  RecycleResult Recycle(const std::vector<std::string>& paths) override;

  struct Node;
  struct Volume;

 private:
  struct Located;
  struct OpenFile;

  const Fault* Hit(FsOp op, const std::string& path = std::string());
  FsResult<FileId> Open(FsOp op, const std::string& path);
  bool HasWildcard(const std::string& path);
  FsError ResolveFolder(const std::string& path, std::shared_ptr<Node>& out, int depth) const;
  FsError ResolveReal(const std::string& path, std::string& out, int depth) const;
  FsError Resolve(const std::string& path, std::shared_ptr<Node>& out, std::string* real,
                  int depth) const;
  FsError Locate(const std::string& path, Located& out) const;
  // The entry stored under exactly that last name (not as it lists).
  bool LocateStored(const std::string& path, Located& out) const;
  bool IsOpen(const Node* node) const;
  // Whether the bin of the node's volume takes it (a folder: whether there is a bin).
  bool BinTakes(const Node& node) const;
  void Release(const std::shared_ptr<Node>& node);
  std::shared_ptr<Node> NewNode(bool folder, uint32_t volume);

  std::map<std::string, std::shared_ptr<Node>> drives_;  // folded root -> root folder
  std::vector<std::string> aliases_;                     // folded roots that repeat a folder
  std::map<std::string, std::string> aliasFolders_;      // folded alias root -> the folder it shows
  std::map<uint32_t, std::unique_ptr<Volume>> volumes_;
  std::map<FileId, std::unique_ptr<OpenFile>> open_;
  std::vector<Fault> faults_;
  std::function<void(FsOp, const std::string&)> callHook_;
  std::array<uint32_t, static_cast<size_t>(FsOp::kCount)> calls_{};
  std::map<std::string, uint32_t> listCounts_;
  size_t readChunk_ = 0;
  uint32_t faultsFired_ = 0;
  uint32_t bytesCorrupted_ = 0;
  std::string changedByFault_;
  std::string changedBody_;
  bool linksOnlyFollowed_ = false;
  uint32_t wildcardCalls_ = 0;
  FileId nextFile_ = 1;
  uint64_t nextIndex_ = 1;
  uint64_t clock_ = 130000000000000000ull;
  uint32_t nextTemp_ = 1;
};

}  // namespace px
