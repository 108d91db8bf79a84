// The copy, move and delete engine's file system on the platform: wide file
// functions, long paths, exact names only (a wildcard never reaches a call).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/fileops/FileSystem.h"

namespace px {

class Win32FileSystem : public FileSystem {
 public:
  Win32FileSystem() = default;
  ~Win32FileSystem() override;
  Win32FileSystem(const Win32FileSystem&) = delete;
  Win32FileSystem& operator=(const Win32FileSystem&) = delete;

  FsResult<FileId> OpenRead(const std::string& path) override;
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

  // The error of the platform's last call as the engine sees it.
  static FsError ErrorOf(DWORD error);

  // Tests: CanRecycle takes the entries below folder (ending with a
  // backslash) as on a drive without a bin; empty for none.
  static void SetBinlessFolderForTests(const std::string& folder);

 private:
  FileId Keep(HANDLE handle);

  // What the bin of one drive takes, as read once per file system object.
  struct Bin {
    bool present = false;
    uint64_t largestFile = UINT64_MAX;
  };
  const Bin& BinOf(const std::string& root);
  std::unordered_map<std::string, Bin> bins_;  // by folded root

  // A file opened past the system cache is read in aligned blocks of its own
  // and handed out from there (see OpenReadFromDisk).
  struct AlignedFree {
    void operator()(void* block) const;
  };
  struct Unbuffered {
    std::unique_ptr<void, AlignedFree> block;
    size_t filled = 0;
    size_t taken = 0;
    bool ended = false;
  };

  std::unordered_map<FileId, HANDLE> open_;
  std::unordered_map<FileId, Unbuffered> unbuffered_;
  FileId nextId_ = 1;
  unsigned tempCounter_ = 0;
};

}  // namespace px
