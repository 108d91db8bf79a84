#include "core/viewer/PagedFile.h"

#include <algorithm>
#include <cstring>

namespace px {

ViewerSource::~ViewerSource() = default;

ReadResult MemorySource::Read(uint64_t offset, void* buffer, size_t size) {
  if (offset >= bytes_.size()) return {};
  const size_t n = static_cast<size_t>(std::min<uint64_t>(size, bytes_.size() - offset));
  if (n > 0) std::memcpy(buffer, bytes_.data() + offset, n);
  return {n, false};
}

PagedFile::PagedFile(ViewerSource& source, size_t pageSize, size_t maxPages)
    : source_(source),
      pageSize_(std::max<size_t>(pageSize, 1)),
      maxPages_(std::max<size_t>(maxPages, 1)),
      size_(source.Size()) {}

void PagedFile::Refresh() {
  size_ = source_.Size();
  pages_.clear();
  byIndex_.clear();
}

PagedFile::Fetched PagedFile::Fetch(uint64_t index, const Page*& page) {
  if (auto found = byIndex_.find(index); found != byIndex_.end()) {
    pages_.splice(pages_.begin(), pages_, found->second);
    page = &pages_.front();
    return Fetched::kPage;
  }
  const uint64_t start = index * pageSize_;
  if (start >= size_) return Fetched::kPastEnd;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(pageSize_, size_ - start));

  // Make room first, so no more than maxPages_ buffers live even while reading;
  // the buffer let go of is reused.
  Page fresh;
  if (pages_.size() >= maxPages_) {
    byIndex_.erase(pages_.back().index);
    fresh.bytes = std::move(pages_.back().bytes);
    pages_.pop_back();
  }
  fresh.index = index;
  fresh.bytes.resize(want);
  size_t got = 0;
  while (got < want) {
    ++sourceReads_;
    const ReadResult r = source_.Read(start + got, fresh.bytes.data() + got, want - got);
    if (r.failed) return Fetched::kFailed;
    if (r.bytes == 0) break;  // the file ends sooner than it did
    got += std::min(r.bytes, want - got);
  }
  fresh.bytes.resize(got);
  pages_.push_front(std::move(fresh));
  byIndex_[index] = pages_.begin();
  page = &pages_.front();
  return Fetched::kPage;
}

ReadResult PagedFile::CopyOut(uint64_t offset, void* buffer, size_t size) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  // A long run (a search's) is read straight into the caller's buffer: the
  // cache would only copy it once more.
  if (readThrough_ && size >= 2 * pageSize_) {
    const size_t want = offset >= size_ ? 0 : static_cast<size_t>(std::min<uint64_t>(size, size_ - offset));
    while (done < want) {
      ++sourceReads_;
      const ReadResult r = source_.Read(offset + done, out + done, want - done);
      if (r.failed) return {done, true};
      if (r.bytes == 0) break;  // the file ends sooner than it did
      done += std::min(r.bytes, want - done);
    }
    return {done, false};
  }
  while (done < size && offset < size_ && done < size_ - offset) {
    const uint64_t at = offset + done;
    const Page* page = nullptr;
    const Fetched fetched = Fetch(at / pageSize_, page);
    if (fetched == Fetched::kFailed) return {done, true};
    if (fetched == Fetched::kPastEnd) break;
    const size_t within = static_cast<size_t>(at % pageSize_);
    if (within >= page->bytes.size()) break;  // a short page: the file shrank
    const size_t n = std::min(size - done, page->bytes.size() - within);
    std::memcpy(out + done, page->bytes.data() + within, n);
    done += n;
    if (within + n < pageSize_ && done < size) break;  // short page, nothing after it
  }
  return {done, false};
}

ByteResult PagedFile::ByteAt(uint64_t offset) {
  ByteResult result;
  const ReadResult r = CopyOut(offset, &result.value, 1);
  if (r.failed) {
    result.status = ByteStatus::kFailed;
  } else {
    result.status = r.bytes == 1 ? ByteStatus::kOk : ByteStatus::kPastEnd;
  }
  return result;
}

}  // namespace px
