// Case folding by the generated range table; ASCII never reaches the table.
#include "core/text/CaseFold.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "core/text/Utf.h"

namespace px {
namespace {

struct FoldRange {
  char32_t first;
  char32_t last;
  int32_t offset;
  int32_t step;  // 1, or 2 for alternating upper/lower pairs
};

constexpr FoldRange kFoldRanges[] = {
#include "core/text/CaseFoldTable.inc"
};

char AsciiLower(unsigned char b) {
  return static_cast<char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
}

// Yields the bytes of the folded name one at a time, so names compare
// exactly as their FoldName texts would, without building them.
class FoldedBytes {
 public:
  explicit FoldedBytes(std::string_view text) : text_(text) {}

  // Next byte (0..255), or -1 at the end.
  int Next() {
    if (pending_ < encoded_.size()) return static_cast<unsigned char>(encoded_[pending_++]);
    if (pos_ >= text_.size()) return -1;
    const auto b = static_cast<unsigned char>(text_[pos_]);
    if (b < 0x80) {
      ++pos_;
      return static_cast<unsigned char>(AsciiLower(b));
    }
    const size_t start = pos_;
    const char32_t c = DecodeUtf8(text_, pos_);
    if (pos_ - start == 1) return b;  // malformed byte, kept as it is
    encoded_.clear();
    pending_ = 0;
    AppendUtf8(encoded_, FoldCase(c));
    return static_cast<unsigned char>(encoded_[pending_++]);
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  std::string encoded_;  // at most four bytes: stays in the small-string buffer
  size_t pending_ = 0;
};

}  // namespace

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return static_cast<unsigned char>(AsciiLower(static_cast<unsigned char>(c)));
  const auto next = std::upper_bound(std::begin(kFoldRanges), std::end(kFoldRanges), c,
                                     [](char32_t v, const FoldRange& r) { return v < r.first; });
  if (next == std::begin(kFoldRanges)) return c;
  const FoldRange& range = *std::prev(next);
  if (c > range.last || (c - range.first) % range.step != 0) return c;
  return static_cast<char32_t>(static_cast<int32_t>(c) + range.offset);
}

std::string FoldName(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[pos]);
    if (b < 0x80) {
      out += AsciiLower(b);
      ++pos;
      continue;
    }
    const size_t start = pos;
    const char32_t c = DecodeUtf8(utf8, pos);
    if (pos - start == 1) {
      out += static_cast<char>(b);
    } else {
      AppendUtf8(out, FoldCase(c));
    }
  }
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  FoldedBytes left(a), right(b);
  for (;;) {
    const int x = left.Next();
    const int y = right.Next();
    if (x != y) return x < y ? -1 : 1;
    if (x < 0) return 0;
  }
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a == b || CompareNoCase(a, b) == 0;
}

}  // namespace px
