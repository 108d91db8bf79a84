// A file seen through a small cache of fixed-size pages, so the viewer can
// look anywhere in a file of any size while holding a bounded part of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace px {

// What one read gave: the bytes it delivered (fewer than asked at the end of
// the file) and whether it broke off on an error. A failed read may still
// have delivered some bytes before the error.
struct ReadResult {
  size_t bytes = 0;
  bool failed = false;
};

// Where the viewer's bytes come from: the file on disk in the program, bytes
// in memory in the tests. Called from one thread at a time.
class ViewerSource {
 public:
  virtual ~ViewerSource();
  // The size now; it may change while the file is open.
  virtual uint64_t Size() const = 0;
  // Reads up to size bytes at offset. Fewer bytes (none past the end) is not
  // an error; failed is.
  virtual ReadResult Read(uint64_t offset, void* buffer, size_t size) = 0;
};

// Bytes held in memory: small files, and the tests.
class MemorySource : public ViewerSource {
 public:
  MemorySource() = default;
  explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  explicit MemorySource(std::string_view text) : bytes_(text.begin(), text.end()) {}

  uint64_t Size() const override { return bytes_.size(); }
  ReadResult Read(uint64_t offset, void* buffer, size_t size) override;

  // The bytes themselves, to change the "file" under an open PagedFile.
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

enum class ByteStatus {
  kOk,
  kPastEnd,  // at or past the end of the file (or of what is left of it)
  kFailed,   // the page holding it could not be read; a later call tries again
};

struct ByteResult {
  uint8_t value = 0;
  ByteStatus status = ByteStatus::kPastEnd;
};

// Reads the source in pages of pageSize bytes and keeps at most maxPages of
// them, the least recently used going first: memory stays at
// pageSize * maxPages whatever the file's size. A page that cannot be read is
// not kept, so the next access asks the source again. A page read short
// (the file shrank since it was opened) is kept as far as it goes and
// accesses past it give fewer bytes. Not safe for use by two threads at once.
class PagedFile {
 public:
  static constexpr size_t kDefaultPageSize = 64 * 1024;
  static constexpr size_t kDefaultMaxPages = 16;

  explicit PagedFile(ViewerSource& source, size_t pageSize = kDefaultPageSize,
                     size_t maxPages = kDefaultMaxPages);
  PagedFile(const PagedFile&) = delete;
  PagedFile& operator=(const PagedFile&) = delete;

  // The size when opened or at the last Refresh.
  uint64_t Size() const { return size_; }
  // Takes the source's size again and lets go of every page: after the file
  // on disk changed.
  void Refresh();

  ByteResult ByteAt(uint64_t offset);
  // Copies up to size bytes from offset across as many pages as needed.
  // bytes is less than size at the end of the file; failed says a read
  // failed, bytes then counting what was copied before it.
  ReadResult CopyOut(uint64_t offset, void* buffer, size_t size);

  // From now on a copy of two pages or more is read from the source
  // straight into the caller's buffer, past the cache: for a search, which
  // reads each byte once and would only pay for a second copy.
  void ReadLongRunsDirectly(bool on) { readThrough_ = on; }
  size_t PageSize() const { return pageSize_; }
  size_t MaxPages() const { return maxPages_; }
  size_t CachedPages() const { return pages_.size(); }
  // How many times the source was asked to read: for tests of the cache.
  uint64_t SourceReads() const { return sourceReads_; }

 private:
  struct Page {
    uint64_t index = 0;
    std::vector<uint8_t> bytes;  // pageSize_ bytes, fewer for the last page
  };
  enum class Fetched { kPage, kPastEnd, kFailed };

  // Puts the page in front of the cache, reading it if needed.
  Fetched Fetch(uint64_t index, const Page*& page);

  ViewerSource& source_;
  size_t pageSize_;
  size_t maxPages_;
  uint64_t size_;
  uint64_t sourceReads_ = 0;
  bool readThrough_ = false;
  std::list<Page> pages_;  // most recently used first
  std::unordered_map<uint64_t, std::list<Page>::iterator> byIndex_;
};

}  // namespace px
