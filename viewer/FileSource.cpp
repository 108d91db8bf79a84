// The viewer's bytes from a file on disk (see the header).
#include "viewer/FileSource.h"

#include "framework/FileSystemApi.h"

namespace px {

std::unique_ptr<FileSource> FileSource::Open(const std::string& path, DWORD& error) {
  FileToRead opened = OpenFileToRead(path);
  error = opened.error;
  if (!opened.handle) return nullptr;
  const std::optional<uint64_t> size = SizeOfOpened(opened.handle.Get());
  if (!size) {
    error = GetLastError();
    return nullptr;
  }
  return std::unique_ptr<FileSource>(new FileSource(std::move(opened.handle), *size));
}

ReadResult FileSource::Read(uint64_t offset, void* buffer, size_t size) {
  const ReadAtResult read = ReadAt(file_.Get(), offset, buffer, size);
  if (read.error != 0) lastError_ = read.error;
  return {read.bytes, read.error != 0};
}

std::unique_ptr<FileSource> FileSource::Duplicate(DWORD& error) const {
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), file_.Get(), GetCurrentProcess(), &copy, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    error = GetLastError();
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<FileSource>(new FileSource(FileHandle(copy), size_));
}

bool FileSource::UpdateSize() {
  const std::optional<uint64_t> size = SizeOfOpened(file_.Get());
  if (!size) {
    lastError_ = GetLastError();
    return false;
  }
  size_ = *size;
  return true;
}

}  // namespace px
