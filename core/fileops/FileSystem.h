// The file-system operations the copy, move and delete engine works through.
// Paths are UTF-8 with backslashes; a folder path ends with a backslash, an
// entry path (file, folder or link looked up by name) does not. Nothing here
// throws: every call that can fail returns a value marked [[nodiscard]].
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/fs/FileAttributes.h"

namespace px {


enum class FsError {
  kOk,
  kNotFound,          // the entry or a folder on its path does not exist
  kAlreadyExists,     // CreateFolder: a folder of that name exists; Rename: target exists
  kFileInTheWay,      // CreateFolder: a file (not a folder) of that name exists
  kAccessDenied,      // read-only, permissions, a folder where a file is expected
  kSharingViolation,  // the file is open elsewhere
  kNotEmpty,          // RemoveFolder on a folder that still holds entries
  kNotSameDevice,     // Rename across volumes: copy and delete instead
  kDiskFull,
  kInvalidName,       // wildcards or characters the file system refuses
  kReplaced,          // RemoveFolder: the folder is no longer the one expected, or a link
  kIo,                // anything else (device lost, network gone, a listing cut short...)
  kVerifyMismatch,    // a copy read back from the disk is not what was read from its source
  kNoRecycleBin,      // the recycle bin does not take the entry; it was kept, as the user chose
};

// Result of a call that only succeeds or fails.
struct [[nodiscard]] FsStatus {
  FsError error = FsError::kOk;
  bool Ok() const { return error == FsError::kOk; }
};

// Result of a call that yields a value when it succeeds.
template <typename T>
struct [[nodiscard]] FsResult {
  T value{};
  FsError error = FsError::kOk;
  bool Ok() const { return error == FsError::kOk; }
};

// One directory entry as the file system stores it.
struct EntryInfo {
  std::string name;         // stored spelling (its case may differ from the one asked for)
  uint32_t attributes = 0;  // kAttr* bits, kAttrReparsePoint included
  uint64_t size = 0;        // full 64-bit size; 0 for folders
  uint64_t writeTime = 0;   // last write, 100 ns units since 1601, UTC
  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
  bool IsLink() const { return (attributes & kAttrReparsePoint) != 0; }
};

// Two spellings name the same file exactly when these match (another case,
// a drive alias, a short name and a hard link all give the same identity).
struct FileIdentity {
  uint64_t volumeSerial = 0;
  uint64_t fileIndex = 0;
  bool operator==(const FileIdentity& o) const {
    return volumeSerial == o.volumeSerial && fileIndex == o.fileIndex;
  }
  bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

enum class RecycleResult {
  kDone,     // the call reports success and nothing was aborted
  kAborted,  // the call (or the user in a platform dialog) aborted some of it
  kFailed,
  // The bin does not take an entry: it, and those after it, are where they
  // were. The platform's own way (deleting for good, or asking in a window
  // of its own) is never taken.
  kNoBin,
};

using FileId = uint32_t;  // an open file; valid until Close

struct CreatedTemp {
  FileId file = 0;   // open for writing, empty
  std::string path;  // full path of the new file
};

enum RenameFlags : uint32_t {
  kRenamePlain = 0,
  kRenameReplaceExisting = 1,  // replace an existing file in one step
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens an existing file for reading, denying writers.
  virtual FsResult<FileId> OpenRead(const std::string& path) = 0;
  // Opens a file the engine has just written and closed, for reading back
  // what the disk holds rather than what a cache kept of the writes (a copy
  // is verified through it). Where the platform offers no way past its cache
  // this reads as OpenRead does, which still catches what the file system
  // itself stored wrongly.
  virtual FsResult<FileId> OpenReadFromDisk(const std::string& path) { return OpenRead(path); }
  // Creates a new, empty file with a name of its own in folder (a name no
  // entry has, never holding wildcards), opened for writing without sharing.
  // The engine writes every copy into such a file and renames it into place
  // only when it is complete.
  virtual FsResult<CreatedTemp> CreateTempFile(const std::string& folder) = 0;
  // Creates the file path, new and empty, opened for writing without sharing;
  // kAlreadyExists when any entry of that name exists. The engine writes a
  // copy straight into place only where it saw no entry of that name.
  virtual FsResult<FileId> CreateNewFile(const std::string& path) = 0;
  // Reads up to size bytes. 0 bytes means the end of the file; fewer than size
  // bytes is not the end (the caller reads again).
  virtual FsResult<size_t> Read(FileId file, void* buffer, size_t size) = 0;
  // Writes all size bytes or fails (a short write is an error, e.g. kDiskFull).
  virtual FsStatus Write(FileId file, const void* data, size_t size) = 0;
  // The length of an open file as the file system holds it.
  virtual FsResult<uint64_t> SizeOf(FileId file) = 0;
  // Closes the file; the id is invalid afterwards even when this fails.
  virtual FsStatus Close(FileId file) = 0;

  // The entry named by path (no wildcard matching, no path rules: a trailing
  // dot or blank is part of the name). Where names differ only in letter case
  // the one spelled exactly is found, else one that matches ignoring case:
  // EntryInfo::name tells which, and a caller that needs this very entry
  // compares it. A link is reported itself (with kAttrReparsePoint), not what
  // it points to.
  virtual FsResult<EntryInfo> Lookup(const std::string& path) = 0;
  // Every entry of folder (ending with a backslash) without "." and "..",
  // in the file system's order. A listing that fails part way is an error
  // (the entries read so far may be in value, and mean nothing).
  virtual FsResult<std::vector<EntryInfo>> List(const std::string& folder) = 0;

  // folder ends with a backslash. kAlreadyExists when a folder of that name
  // exists, kFileInTheWay when a file of that name exists.
  virtual FsStatus CreateFolder(const std::string& folder) = 0;
  // Removes the empty folder at folder (ending with a backslash) if it is
  // still the folder expected and no link; kReplaced, removing nothing, when
  // it is not. The check and the removal act on one opened folder.
  virtual FsStatus RemoveFolder(const std::string& folder, const FileIdentity& expected) = 0;
  // Removes the folder link at path itself, never what it leads to. Where the
  // platform can only reach a link's target, this fails and removes nothing.
  virtual FsStatus RemoveLink(const std::string& path) = 0;
  virtual FsStatus SetAttributes(const std::string& path, uint32_t attributes) = 0;
  // Deletes a file for good.
  virtual FsStatus RemoveFile(const std::string& path) = 0;
  // Renames (moves) a file. Without kRenameReplaceExisting an existing target
  // gives kAlreadyExists; with it the target is replaced in one step.
  // kNotSameDevice when from and to are on different volumes.
  virtual FsStatus Rename(const std::string& from, const std::string& to, uint32_t flags) = 0;
  // Identity of the file or folder at path (links on the way, and a link at
  // the end, are followed).
  virtual FsResult<FileIdentity> Identity(const std::string& path) = 0;
  // Where path really is: every link on the way (and at the end) followed,
  // each name as stored. No trailing backslash but for a drive root.
  virtual FsResult<std::string> RealPath(const std::string& path) = 0;
  // Whether the entry at path can go to the recycle bin, as far as can be
  // told without trying: false on a drive without a bin or with its bin
  // switched off, and for a file larger than the bin takes. An error when it
  // cannot be told (Recycle then finds out, and still deletes nothing for good).
  virtual FsResult<bool> CanRecycle(const std::string& path) = 0;
  // Sends the entries (full paths, no wildcards) to the recycle bin; an entry
  // the bin does not take gives kNoBin and is never deleted for good instead.
  [[nodiscard]] virtual RecycleResult Recycle(const std::vector<std::string>& paths) = 0;
};

// Closes an open file when it goes out of scope; Close() reports the result
// when the caller wants it (after writing).
class OpenedFile {
 public:
  OpenedFile() = default;
  OpenedFile(FileSystem& fs, FileId id) : fs_(&fs), id_(id) {}
  OpenedFile(OpenedFile&& o) noexcept : fs_(o.fs_), id_(o.id_) { o.fs_ = nullptr; }
  OpenedFile& operator=(OpenedFile&& o) noexcept {
    if (this != &o) {
      Release();
      fs_ = o.fs_;
      id_ = o.id_;
      o.fs_ = nullptr;
    }
    return *this;
  }
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;
  ~OpenedFile() { Release(); }

  bool IsOpen() const { return fs_ != nullptr; }
  FileId Id() const { return id_; }
  FsStatus Close() {
    if (!fs_) return {};
    FileSystem* fs = fs_;
    fs_ = nullptr;
    return fs->Close(id_);
  }

 private:
  void Release() {
    if (fs_) (void)Close();
  }
  FileSystem* fs_ = nullptr;
  FileId id_ = 0;
};

}  // namespace px
