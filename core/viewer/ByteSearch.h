// Finding a run of bytes in a PagedFile, forward or backward, a chunk at a
// time so the caller can show progress and stop it.
//
// The caller encodes the text to look for as the file is encoded. With
// unitWidth 2 (UTF-16) the pattern is code units: a match starts only at an
// even offset of the file, and folding touches only code units that are ASCII
// capitals (high byte zero), in the byte order given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/viewer/PagedFile.h"

namespace px {

// The longest text the viewer's find dialog takes.
constexpr size_t kMaxFindLength = 256;

struct SearchOptions {
  bool backward = false;
  bool foldAscii = false;  // A-Z match a-z; no other letter is folded
  unsigned unitWidth = 1;  // 1: bytes; 2: UTF-16 code units
  bool bigEndian = false;  // for unitWidth 2
};

enum class SearchStatus {
  kMore,      // not found yet; Step again
  kFound,     // Match() holds the offset
  kNotFound,  // every offset asked for was tried
  kFailed,    // the file could not be read at Reached()
  kStopped,   // the caller said stop (FindBytes only)
};

// Forward from `from`: the first match starting at or after it. Backward from
// `from`: the last match starting at or before it. Each Step reads at most
// maxStart + pattern length - 1 bytes, so memory stays bounded; the work is
// at most the pattern's length times the bytes read (the viewer's find
// dialog takes at most kMaxFindLength characters), and for most patterns a
// scan for their first byte.
// An empty pattern, or one longer than the file, is never found.
class ByteSearch {
 public:
  static constexpr size_t kDefaultStep = 256 * 1024;
  static constexpr size_t kMaxStep = 16 * 1024 * 1024;

  ByteSearch(PagedFile& file, std::vector<uint8_t> pattern, uint64_t from,
             SearchOptions options = {});
  ByteSearch(const ByteSearch&) = delete;
  ByteSearch& operator=(const ByteSearch&) = delete;

  // Tries the next maxStarts start offsets (at least 1, at most kMaxStep).
  // Once the status is no longer kMore, Step returns it again.
  SearchStatus Step(size_t maxStarts = kDefaultStep);

  SearchStatus Status() const { return status_; }
  uint64_t Match() const { return match_; }
  // How far it has looked. Forward: every start from `from` below it was tried.
  // Backward: every start from it up to `from`.
  uint64_t Reached() const { return next_; }

 private:
  // A scan for the first byte, then a compare: what a byte loop does at
  // its fastest for the short patterns a viewer looks for.
  using Searcher = std::default_searcher<const uint8_t*>;

  bool Aligned(uint64_t offset) const { return options_.unitWidth == 1 || offset % 2 == 0; }
  void Fold(uint8_t* data, size_t size, uint64_t base) const;
  SearchStatus StepForward(size_t count);
  SearchStatus StepBackward(size_t count);

  PagedFile& file_;
  SearchOptions options_;
  std::vector<uint8_t> pattern_;   // folded when folding
  std::vector<uint8_t> reversed_;  // the same, back to front, for going backward
  std::optional<Searcher> searcher_;
  std::vector<uint8_t> buffer_;
  uint64_t next_ = 0;  // forward: the next start; backward: one past it
  uint64_t match_ = 0;
  SearchStatus status_ = SearchStatus::kMore;
};

struct SearchResult {
  SearchStatus status = SearchStatus::kNotFound;
  uint64_t offset = 0;  // the match when found, else how far it got (Reached)
};

// Runs a ByteSearch to its end. keepGoing(reached) is asked after every chunk
// of stepSize starts; false stops it with kStopped (a JobGate's Pass fits).
SearchResult FindBytes(PagedFile& file, std::vector<uint8_t> pattern, uint64_t from,
                       const SearchOptions& options,
                       const std::function<bool(uint64_t reached)>& keepGoing,
                       size_t stepSize = ByteSearch::kDefaultStep);

// Bytes typed in hex: pairs of digits, blanks between pairs allowed
// ("4D 5A 90", "4d5a90"); nothing for an odd digit, any other character or
// no bytes at all.
std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text);

}  // namespace px
