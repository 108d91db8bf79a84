#include "core/viewer/ByteSearch.h"

#include <algorithm>
#include <iterator>

namespace px {

ByteSearch::ByteSearch(PagedFile& file, std::vector<uint8_t> pattern, uint64_t from,
                       SearchOptions options)
    : file_(file), options_(options), pattern_(std::move(pattern)) {
  if (options_.unitWidth != 2) options_.unitWidth = 1;
  const uint64_t size = file_.Size();
  const uint64_t length = pattern_.size();
  if (length == 0 || length > size || length % options_.unitWidth != 0) {
    status_ = SearchStatus::kNotFound;
    next_ = from;
    return;
  }
  Fold(pattern_.data(), pattern_.size(), 0);
  const uint64_t lastStart = size - length;
  if (options_.backward) {
    reversed_.assign(pattern_.rbegin(), pattern_.rend());
    searcher_.emplace(reversed_.data(), reversed_.data() + reversed_.size());
    next_ = std::min(from, lastStart) + 1;
  } else {
    searcher_.emplace(pattern_.data(), pattern_.data() + pattern_.size());
    next_ = from;
    if (from > lastStart) status_ = SearchStatus::kNotFound;
  }
}

void ByteSearch::Fold(uint8_t* data, size_t size, uint64_t base) const {
  if (!options_.foldAscii) return;
  auto lower = [](uint8_t& c) {
    if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c + ('a' - 'A'));
  };
  if (options_.unitWidth == 1) {
    for (size_t i = 0; i < size; ++i) lower(data[i]);
    return;
  }
  // Only whole code units, which start at even offsets of the file.
  for (size_t i = (base % 2 == 0) ? 0 : 1; i + 1 < size; i += 2) {
    uint8_t& low = options_.bigEndian ? data[i + 1] : data[i];
    const uint8_t high = options_.bigEndian ? data[i] : data[i + 1];
    if (high == 0) lower(low);
  }
}

SearchStatus ByteSearch::Step(size_t maxStarts) {
  if (status_ != SearchStatus::kMore) return status_;
  const size_t count = std::clamp<size_t>(maxStarts, 1, kMaxStep);
  status_ = options_.backward ? StepBackward(count) : StepForward(count);
  return status_;
}

SearchStatus ByteSearch::StepForward(size_t count) {
  const size_t length = pattern_.size();
  if (file_.Size() < length || next_ > file_.Size() - length) return SearchStatus::kNotFound;
  const uint64_t lastStart = file_.Size() - length;
  const size_t starts = static_cast<size_t>(std::min<uint64_t>(count, lastStart - next_ + 1));
  buffer_.resize(starts + length - 1);
  const ReadResult r = file_.CopyOut(next_, buffer_.data(), buffer_.size());
  if (r.failed) return SearchStatus::kFailed;
  // A short read means the file shrank: what is gone cannot match.
  const bool shrank = r.bytes < buffer_.size();
  Fold(buffer_.data(), r.bytes, next_);
  const uint8_t* begin = buffer_.data();
  const uint8_t* end = begin + r.bytes;
  for (const uint8_t* at = begin; at < end;) {
    const uint8_t* hit = (*searcher_)(at, end).first;
    if (hit == end || static_cast<size_t>(hit - begin) >= starts) break;
    if (Aligned(next_ + (hit - begin))) {
      match_ = next_ + (hit - begin);
      next_ = match_;
      return SearchStatus::kFound;
    }
    at = hit + 1;
  }
  next_ += starts;
  if (shrank || next_ > lastStart) return SearchStatus::kNotFound;
  return SearchStatus::kMore;
}

SearchStatus ByteSearch::StepBackward(size_t count) {
  const size_t length = pattern_.size();
  const size_t starts = static_cast<size_t>(std::min<uint64_t>(count, next_));
  const uint64_t low = next_ - starts;
  buffer_.resize(starts + length - 1);
  const ReadResult r = file_.CopyOut(low, buffer_.data(), buffer_.size());
  if (r.failed) return SearchStatus::kFailed;
  Fold(buffer_.data(), r.bytes, low);
  // Searching the bytes back to front for the reversed pattern finds the
  // last match first.
  using Back = std::reverse_iterator<const uint8_t*>;
  const Back begin(buffer_.data() + r.bytes);
  const Back end(buffer_.data());
  for (Back at = begin; at < end;) {
    const Back hit = (*searcher_)(at, end).first;
    if (hit == end) break;
    // hit points at the match's last byte.
    const uint64_t start = low + static_cast<uint64_t>(end - hit) - length;
    if (Aligned(start)) {
      match_ = start;
      next_ = start + 1;
      return SearchStatus::kFound;
    }
    at = hit + 1;
  }
  next_ = low;
  return next_ == 0 ? SearchStatus::kNotFound : SearchStatus::kMore;
}

SearchResult FindBytes(PagedFile& file, std::vector<uint8_t> pattern, uint64_t from,
                       const SearchOptions& options,
                       const std::function<bool(uint64_t reached)>& keepGoing,
                       size_t stepSize) {
  ByteSearch search(file, std::move(pattern), from, options);
  for (;;) {
    const SearchStatus status = search.Step(stepSize);
    if (status == SearchStatus::kFound) return {status, search.Match()};
    if (status != SearchStatus::kMore) return {status, search.Reached()};
    if (keepGoing && !keepGoing(search.Reached())) return {SearchStatus::kStopped, search.Reached()};
  }
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text) {
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    const int high = digit(text[i]), low = digit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    i += 2;
  }
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

}  // namespace px
