// The viewer's bytes from a file on disk: one handle kept open (others may go
// on writing, renaming or deleting the file), read at offsets.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/viewer/PagedFile.h"
#include "framework/Handles.h"

namespace px {

class FileSource : public ViewerSource {
 public:
  // The file at path, or null with the system's error.
  static std::unique_ptr<FileSource> Open(const std::string& path, DWORD& error);

  uint64_t Size() const override { return size_; }
  ReadResult Read(uint64_t offset, void* buffer, size_t size) override;
  // Takes the file's size again; false when it cannot be had (the drive went away).
  [[nodiscard]] bool UpdateSize();
  // The error of the last read that failed; 0 when none has.
  DWORD LastError() const { return lastError_; }
  HANDLE Handle() const { return file_.Get(); }
  // Another source on the same open file (not its path: a file renamed or
  // replaced meanwhile is still the one shown), for a job's own reads.
  std::unique_ptr<FileSource> Duplicate(DWORD& error) const;

 private:
  FileSource(FileHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}

  FileHandle file_;
  uint64_t size_ = 0;
  DWORD lastError_ = 0;
};

}  // namespace px
