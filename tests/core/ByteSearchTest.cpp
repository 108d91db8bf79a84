// ByteSearch: every search agrees with a plain search over the whole buffer,
// across page edges, both ways, folded or not, bytes or UTF-16 units.
#include "core/viewer/ByteSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace px {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

uint8_t Lower(uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + 32) : c; }

// The answer by the plain means: std::search / std::find_end over the whole
// buffer (as code units for UTF-16).
std::optional<uint64_t> Expected(const Bytes& data, const Bytes& pattern, uint64_t from,
                                 const SearchOptions& o) {
  if (pattern.empty() || pattern.size() > data.size()) return std::nullopt;
  if (o.unitWidth == 1) {
    auto eq = [&](uint8_t a, uint8_t b) { return o.foldAscii ? Lower(a) == Lower(b) : a == b; };
    if (!o.backward) {
      if (from >= data.size()) return std::nullopt;
      auto it = std::search(data.begin() + from, data.end(), pattern.begin(), pattern.end(), eq);
      if (it == data.end()) return std::nullopt;
      return it - data.begin();
    }
    const size_t end = static_cast<size_t>(std::min<uint64_t>(data.size(), from + pattern.size()));
    auto it = std::find_end(data.begin(), data.begin() + end, pattern.begin(), pattern.end(), eq);
    if (it == data.begin() + end) return std::nullopt;
    return it - data.begin();
  }
  if (pattern.size() % 2 != 0) return std::nullopt;
  auto units = [&](const Bytes& b) {
    std::vector<uint16_t> u(b.size() / 2);
    for (size_t i = 0; i < u.size(); ++i) {
      u[i] = o.bigEndian ? static_cast<uint16_t>(b[2 * i] << 8 | b[2 * i + 1])
                         : static_cast<uint16_t>(b[2 * i + 1] << 8 | b[2 * i]);
    }
    return u;
  };
  const std::vector<uint16_t> text = units(data), key = units(pattern);
  auto eq = [&](uint16_t a, uint16_t b) {
    if (o.foldAscii) {
      if (a < 128) a = Lower(static_cast<uint8_t>(a));
      if (b < 128) b = Lower(static_cast<uint8_t>(b));
    }
    return a == b;
  };
  if (!o.backward) {
    const uint64_t first = (from + 1) / 2;
    if (first >= text.size()) return std::nullopt;
    auto it = std::search(text.begin() + first, text.end(), key.begin(), key.end(), eq);
    if (it == text.end()) return std::nullopt;
    return 2 * static_cast<uint64_t>(it - text.begin());
  }
  const size_t end = static_cast<size_t>(std::min<uint64_t>(text.size(), from / 2 + key.size()));
  auto it = std::find_end(text.begin(), text.begin() + end, key.begin(), key.end(), eq);
  if (it == text.begin() + end) return std::nullopt;
  return 2 * static_cast<uint64_t>(it - text.begin());
}

struct Case {
  Bytes data;
  Bytes pattern;
  uint64_t from = 0;
  SearchOptions options;
  size_t pageSize = 0;
  size_t maxPages = 0;
  size_t step = 0;
};

// Data from a small alphabet (so patterns recur and cases differ only in case),
// patterns cut from the data (often across a page edge), with their case
// changed, or made up.
Case Generate(std::mt19937& rng) {
  static const uint8_t kAlphabet[] = {'a', 'A', 'b', 'B', 0, 0x41, 0xC4, 'z'};
  Case c;
  c.pageSize = 7 + rng() % 58;
  c.maxPages = 1 + rng() % 4;
  c.step = 1 + rng() % 100;
  c.options.backward = rng() % 2;
  c.options.foldAscii = rng() % 2;
  c.options.unitWidth = rng() % 3 == 0 ? 2 : 1;
  c.options.bigEndian = rng() % 2;
  c.data.resize(rng() % 500);
  for (uint8_t& b : c.data) b = kAlphabet[rng() % (rng() % 4 == 0 ? 8 : 4)];
  const size_t length = 1 + rng() % 12;
  const int kind = rng() % 4;
  if (kind < 3 && c.data.size() >= length) {
    size_t at = rng() % (c.data.size() - length + 1);
    if (kind == 0) {  // across a page edge
      const size_t edge = c.pageSize * (1 + rng() % (c.data.size() / c.pageSize + 1));
      const size_t back = 1 + rng() % length;
      if (edge >= back && edge - back + length <= c.data.size()) at = edge - back;
    }
    c.pattern.assign(c.data.begin() + at, c.data.begin() + at + length);
    if (kind == 2) {
      for (uint8_t& b : c.pattern) {
        if (rng() % 2 && ((b | 0x20) >= 'a' && (b | 0x20) <= 'z')) b ^= 0x20;
      }
    }
  } else {
    c.pattern.resize(length);
    for (uint8_t& b : c.pattern) b = kAlphabet[rng() % 8];
  }
  c.from = rng() % (c.data.size() + 10);
  return c;
}

std::string Describe(const Case& c) {
  return "size " + std::to_string(c.data.size()) + " pattern " + std::to_string(c.pattern.size()) +
         " from " + std::to_string(c.from) + " page " + std::to_string(c.pageSize) + " step " +
         std::to_string(c.step) + (c.options.backward ? " backward" : " forward") +
         (c.options.foldAscii ? " fold" : "") + " width " + std::to_string(c.options.unitWidth) +
         (c.options.bigEndian ? " BE" : " LE");
}

TEST(ByteSearch, AgreesWithAPlainSearchOverTheWholeBuffer) {
  std::mt19937 rng(424242);
  int found = 0;
  for (int round = 0; round < 6000; ++round) {
    const Case c = Generate(rng);
    SCOPED_TRACE(Describe(c));
    const std::optional<uint64_t> expected = Expected(c.data, c.pattern, c.from, c.options);
    if (expected) ++found;

    MemorySource source(c.data);
    PagedFile file(source, c.pageSize, c.maxPages);
    ByteSearch search(file, c.pattern, c.from, c.options);
    uint64_t reached = search.Reached();
    SearchStatus status;
    int steps = 0;
    while ((status = search.Step(c.step)) == SearchStatus::kMore) {
      // Every step makes progress, one way only.
      if (c.options.backward) {
        ASSERT_LT(search.Reached(), reached);
      } else {
        ASSERT_GT(search.Reached(), reached);
      }
      reached = search.Reached();
      ASSERT_LE(file.CachedPages(), c.maxPages);
      ASSERT_LT(++steps, 1000);
    }
    if (expected) {
      ASSERT_EQ(status, SearchStatus::kFound);
      ASSERT_EQ(search.Match(), *expected);
    } else {
      ASSERT_EQ(status, SearchStatus::kNotFound);
    }
    ASSERT_EQ(search.Step(c.step), status);  // stays where it ended

    // The same through the callback, run to its end.
    PagedFile again(source, c.pageSize, c.maxPages);
    const SearchResult r = FindBytes(again, c.pattern, c.from, c.options,
                                     [](uint64_t) { return true; }, c.step);
    ASSERT_EQ(r.status, status);
    if (expected) {
        ASSERT_EQ(r.offset, *expected);
      }
  }
  EXPECT_GT(found, 1500);  // the generator makes both kinds of case
  EXPECT_LT(found, 5500);
}

TEST(ByteSearch, StoppingReportsHowFarItGot) {
  std::mt19937 rng(99);
  for (int round = 0; round < 2000; ++round) {
    Case c = Generate(rng);
    SCOPED_TRACE(Describe(c));
    const int allowed = rng() % 4;  // chunks the caller lets through
    int calls = 0;
    uint64_t lastReached = 0;
    MemorySource source(c.data);
    PagedFile file(source, c.pageSize, c.maxPages);
    const SearchResult r = FindBytes(file, c.pattern, c.from, c.options,
                                     [&](uint64_t reached) {
                                       lastReached = reached;
                                       return calls++ < allowed;
                                     },
                                     c.step);
    const std::optional<uint64_t> expected = Expected(c.data, c.pattern, c.from, c.options);
    if (r.status != SearchStatus::kStopped) {
      ASSERT_LE(calls, allowed);
      ASSERT_EQ(r.status, expected ? SearchStatus::kFound : SearchStatus::kNotFound);
      if (expected) {
        ASSERT_EQ(r.offset, *expected);
      }
      continue;
    }
    ASSERT_EQ(calls, allowed + 1);
    ASSERT_EQ(r.offset, lastReached);
    // It stopped before the answer, and the answer lies beyond where it got.
    ASSERT_TRUE(c.pattern.size() <= c.data.size());
    if (!c.options.backward) {
      ASSERT_GE(r.offset, c.from);
      if (expected) {
        ASSERT_GE(*expected, r.offset);
      }
      // Going on from where it stopped gives the same answer.
      const std::optional<uint64_t> rest = Expected(c.data, c.pattern, r.offset, c.options);
      ASSERT_EQ(rest, expected);
    } else {
      ASSERT_GT(r.offset, 0u);
      if (expected) {
        ASSERT_LT(*expected, r.offset);
      }
      const std::optional<uint64_t> rest = Expected(c.data, c.pattern, r.offset - 1, c.options);
      ASSERT_EQ(rest, expected);
    }
  }
}

TEST(ByteSearch, EdgeCases) {
  MemorySource source("Hello, hello WORLD");
  PagedFile file(source, 4, 2);
  auto find = [&](const std::string& pattern, uint64_t from, SearchOptions o = {}) {
    return FindBytes(file, B(pattern), from, o, nullptr, 3);
  };
  SearchOptions fold;
  fold.foldAscii = true;
  SearchOptions back;
  back.backward = true;
  SearchOptions backFold = back;
  backFold.foldAscii = true;

  EXPECT_EQ(find("", 0).status, SearchStatus::kNotFound);
  EXPECT_EQ(find("", 0, back).status, SearchStatus::kNotFound);
  EXPECT_EQ(find(std::string(19, 'x'), 0).status, SearchStatus::kNotFound);
  EXPECT_EQ(find(std::string(19, 'x'), 100, back).status, SearchStatus::kNotFound);
  EXPECT_EQ(find("Hello, hello WORLD", 0).offset, 0u);
  EXPECT_EQ(find("Hello, hello WORLD", 100, back).offset, 0u);
  EXPECT_EQ(find("Hello, hello WORLD", 1).status, SearchStatus::kNotFound);
  EXPECT_EQ(find("hello", 0).offset, 7u);
  EXPECT_EQ(find("hello", 0, fold).offset, 0u);
  EXPECT_EQ(find("hello", 1, fold).offset, 7u);
  EXPECT_EQ(find("world", 0).status, SearchStatus::kNotFound);
  EXPECT_EQ(find("world", 0, fold).offset, 13u);
  EXPECT_EQ(find("D", 17).offset, 17u);
  EXPECT_EQ(find("D", 18).status, SearchStatus::kNotFound);
  EXPECT_EQ(find("D", UINT64_MAX).status, SearchStatus::kNotFound);
  EXPECT_EQ(find("hello", UINT64_MAX, backFold).offset, 7u);
  EXPECT_EQ(find("hello", 6, backFold).offset, 0u);
  EXPECT_EQ(find("Hello", 6, back).offset, 0u);
  EXPECT_EQ(find("H", 0, back).offset, 0u);
  EXPECT_EQ(find("e", 0, back).status, SearchStatus::kNotFound);
}

TEST(ByteSearch, Utf16UnitsFoldOnlyAsciiAndStartOnEvenOffsets) {
  struct Row {
    Bytes data;
    Bytes pattern;
    bool bigEndian;
    bool fold;
    std::optional<uint64_t> found;
  } const rows[] = {
      {{'A', 0, 'b', 0}, {'a', 0, 'B', 0}, false, true, 0},
      {{'A', 0, 'b', 0}, {'a', 0, 'B', 0}, false, false, std::nullopt},
      {{0, 'A', 0, 'b'}, {0, 'a', 0, 'B'}, true, true, 0},
      {{0x41, 0x01}, {'a', 0}, false, true, std::nullopt},       // U+0141 is not an ASCII A
      {{0, 'a', 0, 'x', 0}, {'a', 0}, false, false, std::nullopt},  // only at odd offsets
      {{0, 'a', 0, 0, 'a', 0}, {'a', 0}, false, false, 4},
      {{'a', 0, 'b'}, {'a', 0, 'b'}, false, false, std::nullopt},  // not whole units
  };
  for (const Row& row : rows) {
    MemorySource source(row.data);
    PagedFile file(source, 3, 1);
    SearchOptions o;
    o.unitWidth = 2;
    o.bigEndian = row.bigEndian;
    o.foldAscii = row.fold;
    for (bool backward : {false, true}) {
      o.backward = backward;
      const SearchResult r = FindBytes(file, row.pattern, backward ? UINT64_MAX : 0, o, nullptr, 1);
      if (row.found) {
        EXPECT_EQ(r.status, SearchStatus::kFound);
        EXPECT_EQ(r.offset, *row.found);
      } else {
        EXPECT_EQ(r.status, SearchStatus::kNotFound);
      }
    }
  }
}

// Bytes made up from their offset, in a file of 10 GiB, with one word put
// near the end and a source that can fail.
class HugeSource : public ViewerSource {
 public:
  static constexpr uint64_t kSize = 10ull << 30;
  static constexpr uint64_t kWordAt = kSize - 300000;
  uint64_t Size() const override { return kSize; }
  ReadResult Read(uint64_t offset, void* buffer, size_t size) override {
    if (failAt && offset <= *failAt && *failAt < offset + size) return {0, true};
    auto* out = static_cast<uint8_t*>(buffer);
    size_t n = static_cast<size_t>(std::min<uint64_t>(size, kSize - offset));
    for (size_t i = 0; i < n; ++i) {
      const uint64_t at = offset + i;
      out[i] = at >= kWordAt && at < kWordAt + 6 ? "Needle"[at - kWordAt]
                                                 : static_cast<uint8_t>('0' + at % 10);
    }
    return {n, false};
  }
  std::optional<uint64_t> failAt;
};

TEST(ByteSearch, AHugeFileIsSearchedInBoundedMemoryAndAFailureIsAValue) {
  HugeSource source;
  PagedFile file(source);
  SearchOptions o;
  o.foldAscii = true;
  SearchResult r = FindBytes(file, B("needle"), HugeSource::kSize - 2000000, o, nullptr);
  EXPECT_EQ(r.status, SearchStatus::kFound);
  EXPECT_EQ(r.offset, HugeSource::kWordAt);
  EXPECT_LE(file.CachedPages(), PagedFile::kDefaultMaxPages);

  o.backward = true;
  r = FindBytes(file, B("NEEDLE"), UINT64_MAX, o, nullptr);
  EXPECT_EQ(r.status, SearchStatus::kFound);
  EXPECT_EQ(r.offset, HugeSource::kWordAt);

  // A read that fails part way says where; a search after it works.
  source.failAt = HugeSource::kSize - 1000000;
  o.backward = false;
  r = FindBytes(file, B("needle"), HugeSource::kSize - 3000000, o, nullptr);
  EXPECT_EQ(r.status, SearchStatus::kFailed);
  EXPECT_LE(r.offset, *source.failAt);
  EXPECT_GT(r.offset + ByteSearch::kDefaultStep + 6, *source.failAt - PagedFile::kDefaultPageSize);
  source.failAt.reset();
  r = FindBytes(file, B("needle"), r.offset, o, nullptr);
  EXPECT_EQ(r.status, SearchStatus::kFound);
  EXPECT_EQ(r.offset, HugeSource::kWordAt);
}

TEST(ByteSearch, ParseHexBytes) {
  struct Row {
    const char* text;
    std::optional<std::vector<uint8_t>> bytes;
  };
  const Row rows[] = {
      {"4D 5A 90", std::vector<uint8_t>{0x4D, 0x5A, 0x90}},
      {"4d5a\t90 ", std::vector<uint8_t>{0x4D, 0x5A, 0x90}},
      {"00", std::vector<uint8_t>{0}},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"4D 5", std::nullopt},
      {"4 D", std::nullopt},
      {"0x4D", std::nullopt},
      {"GG", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ParseHexBytes(row.text), row.bytes) << row.text;
}

}  // namespace
}  // namespace px
