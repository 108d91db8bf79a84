// ViewerDocument: every move over a file read through a small cache agrees
// with the display lines of the whole file decoded at once; reads stay
// bounded on a file that is one endless line; line numbers are found as a
// plain count of line ends finds them.
#include "core/viewer/ViewerDocument.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/text/Utf.h"
#include "core/viewer/HexLines.h"

namespace px {
namespace {

// Random text whose logical lines stay within maxColumns characters, so a
// line's start is always found looking back.
std::string RandomText(std::mt19937& rng, ViewerEncoding encoding, int maxColumns) {
  static const char32_t kChars[] = {'a', 'b', ' ', '\t', 0xE4, 0x3B1, 0x416, 0x4E2D, 0x1F600, 0, 0x7F};
  static const char* const kEnds[] = {"\n", "\r\n", "\r"};
  std::u32string text;
  const int lines = static_cast<int>(rng() % 40);
  for (int line = 0; line < lines; ++line) {
    const int length = static_cast<int>(rng() % (maxColumns + 1));
    for (int i = 0; i < length; ++i) text += kChars[rng() % std::size(kChars)];
    if (line + 1 < lines || rng() % 2) for (const char* end = kEnds[rng() % 3]; *end; ++end) text += *end;
  }
  std::string bytes;
  for (char32_t c : text) {
    if (encoding == ViewerEncoding::kUtf8) {
      AppendUtf8(bytes, c);
    } else {
      const bool big = encoding == ViewerEncoding::kUtf16Be;
      std::u16string units;
      if (c >= 0x10000) {
        units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        units += static_cast<char16_t>(c);
      }
      for (char16_t u : units) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        bytes += big ? hi : lo;
        bytes += big ? lo : hi;
      }
    }
  }
  return bytes;
}

std::vector<DisplayLine> WholeFile(const std::string& bytes, uint64_t textStart, const DecodeOptions& options) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  return DecodeLines(data + textStart, bytes.size() - textStart, textStart, options, true).lines;
}

TEST(ViewerDocument, MovesAgreeWithTheWholeFileDecodedAtOnce) {
  std::mt19937 rng(7031);
  for (int round = 0; round < 400; ++round) {
    const ViewerEncoding encoding =
        std::array{ViewerEncoding::kUtf8, ViewerEncoding::kUtf16Le, ViewerEncoding::kUtf16Be}[rng() % 3];
    DecodeOptions options;
    options.encoding = encoding;
    options.maxLineColumns = 3 + static_cast<int>(rng() % 30);
    options.wrapWidth = rng() % 3 == 0 ? 2 + static_cast<int>(rng() % 10) : 0;
    options.tabWidth = 1 + static_cast<int>(rng() % 8);
    const uint64_t textStart = encoding == ViewerEncoding::kUtf8 ? (rng() % 2) * 3 : (rng() % 2) * 2;
    const std::string bytes = std::string(textStart, '\xFE') + RandomText(rng, encoding, options.maxLineColumns);
    MemorySource source(bytes);
    PagedFile file(source, 1 + rng() % 50, 1 + rng() % 4);
    ViewerDocument document(file);
    document.SetText(options, textStart);
    const std::vector<DisplayLine> all = WholeFile(bytes, textStart, options);
    SCOPED_TRACE(::testing::Message() << "round " << round << " size " << bytes.size());
    if (all.empty()) {
      EXPECT_EQ(document.LineAt(bytes.size()), textStart);
      EXPECT_EQ(document.LastPageTop(5), textStart);
      EXPECT_TRUE(document.LinesFrom(textStart, 5).lines.empty());
      continue;
    }
    const size_t last = all.size() - 1;
    for (size_t i = 0; i < all.size(); ++i) {
      const size_t count = 1 + rng() % 6;
      const ShownLines shown = document.LinesFrom(all[i].offset, count);
      ASSERT_FALSE(shown.failed);
      ASSERT_EQ(shown.lines, std::vector<DisplayLine>(all.begin() + i, all.begin() + std::min(all.size(), i + count)));
      const long step = 1 + static_cast<long>(rng() % 5);
      ASSERT_EQ(document.Scroll(all[i].offset, step), all[std::min(last, i + step)].offset) << i;
      ASSERT_EQ(document.Scroll(all[i].offset, -step), all[i >= size_t(step) ? i - step : 0].offset) << i;
      const uint64_t end = i < last ? all[i + 1].offset : bytes.size();
      for (uint64_t o = all[i].offset; o < end; ++o) ASSERT_EQ(document.LineAt(o), all[i].offset) << o;
    }
    EXPECT_EQ(document.LineAt(bytes.size()), all[last].offset);
    const size_t rows = 1 + rng() % 8;
    EXPECT_EQ(document.LastPageTop(rows), all[last >= rows - 1 ? last - (rows - 1) : 0].offset);
    EXPECT_FALSE(document.TakeFailed());
  }
}

TEST(ViewerDocument, HexLinesAndMovesInSixteens) {
  std::string bytes;
  for (int i = 0; i < 100; ++i) bytes += static_cast<char>(i);
  MemorySource source(bytes);
  PagedFile file(source, 7, 2);
  ViewerDocument document(file);
  document.SetMode(ViewerMode::kHex);
  const ShownLines shown = document.LinesFrom(80, 10);
  ASSERT_EQ(shown.lines.size(), 2u);
  EXPECT_EQ(shown.lines[0].text, HexLine(80, reinterpret_cast<const uint8_t*>(bytes.data()) + 80, 16));
  EXPECT_EQ(shown.lines[1].offset, 96u);
  EXPECT_EQ(shown.lines[1].text, HexLine(96, reinterpret_cast<const uint8_t*>(bytes.data()) + 96, 4));
  EXPECT_EQ(document.LineAt(95), 80u);
  EXPECT_EQ(document.LineAt(5000), 96u);
  EXPECT_EQ(document.Scroll(0, 100), 96u);
  EXPECT_EQ(document.Scroll(32, -5), 0u);
  EXPECT_EQ(document.LastPageTop(3), 64u);
  EXPECT_EQ(document.LastPageTop(30), 0u);
}

// One line of 4 MiB with no line end: every move reads a bounded span and
// still goes where it should, up and down.
TEST(ViewerDocument, EndlessLineReadsBoundedSpans) {
  MemorySource source(std::string(4 << 20, 'x'));
  PagedFile file(source, 4096, 8);
  ViewerDocument document(file);
  DecodeOptions options;
  options.maxLineColumns = 1000;
  document.SetText(options, 0);
  uint64_t before = 0;
  const auto reads = [&file, &before] {
    const uint64_t made = file.SourceReads() - before;
    before = file.SourceReads();
    return made;
  };
  const uint64_t last = document.LastPageTop(40);
  EXPECT_GT(last, (4u << 20) - 41 * 1000 - 8192);
  EXPECT_LT(reads(), 200u);
  const ShownLines shown = document.LinesFrom(last, 40);
  EXPECT_EQ(shown.lines.size(), 40u);
  EXPECT_LT(reads(), 100u);
  uint64_t top = last;
  for (int i = 0; i < 20; ++i) {
    const uint64_t up = document.Scroll(top, -3);
    ASSERT_LT(up, top);
    ASSERT_GE(up, top - 3 * 4000 - 8);
    top = up;
  }
  EXPECT_LT(reads(), 200u);
  EXPECT_EQ(document.Scroll(2000, -5), 0u);
  EXPECT_EQ(document.LineAt(123), 0u);
}

// Lines about as long as the first, short look-back: the starts found
// backward are those the whole file decoded at once has.
TEST(ViewerDocument, LinesAroundTheFirstLookBack) {
  std::mt19937 rng(4096);
  std::string bytes;
  for (int line = 0; line < 40; ++line) {
    bytes.append(4086 + rng() % 20, static_cast<char>('a' + line % 26));
    bytes += line % 3 == 0 ? "\r\n" : "\n";
  }
  MemorySource source(bytes);
  PagedFile file(source, 4096, 4);
  ViewerDocument document(file);
  DecodeOptions options;
  options.maxLineColumns = 5000;
  document.SetText(options, 0);
  const std::vector<DisplayLine> all = WholeFile(bytes, 0, options);
  ASSERT_EQ(all.size(), 40u);
  for (size_t i = 0; i < all.size(); ++i) {
    ASSERT_EQ(document.Scroll(all[i].offset, -1), all[i > 0 ? i - 1 : 0].offset) << i;
    ASSERT_EQ(document.LineAt(all[i].offset + 4085), all[i].offset) << i;
  }
  EXPECT_EQ(document.LastPageTop(3), all[37].offset);
}

TEST(ViewerDocument, FailedReadsAreToldAndShowWhatCameBefore) {
  class Failing : public ViewerSource {
   public:
    uint64_t Size() const override { return 1000; }
    ReadResult Read(uint64_t offset, void* buffer, size_t size) override {
      if (offset >= 500) return {0, true};
      const size_t n = std::min<size_t>(size, 500 - offset);
      std::fill_n(static_cast<char*>(buffer), n, 'a');
      for (size_t i = 9; i < n; i += 10) static_cast<char*>(buffer)[i] = '\n';
      return {n, offset + n < 1000 && n < size};
    }
  } source;
  PagedFile file(source, 100, 2);
  ViewerDocument document(file);
  document.SetText({}, 0);
  const ShownLines shown = document.LinesFrom(400, 30);
  EXPECT_TRUE(shown.failed);
  ASSERT_EQ(shown.lines.size(), 10u);
  EXPECT_EQ(shown.lines.back().offset, 490u);
  EXPECT_TRUE(document.TakeFailed());
  EXPECT_FALSE(document.TakeFailed());
  document.LastPageTop(5);  // must end, whatever it finds
  EXPECT_TRUE(document.TakeFailed());
}

TEST(ViewerDocument, LooksBinary) {
  struct Row {
    std::string bytes;
    bool binary;
  };
  const Row rows[] = {
      {"", false},
      {"plain text\r\n\tindented\f\x1b[0m", false},
      {"caf\xC3\xA9 \xE4\xB8\xAD", false},
      {std::string("MZ\x90\0\x03", 5), true},
      {std::string("\xFF\xFEh\0i\0", 6), false},
      {std::string("\xFE\xFF\0h\0i", 6), false},
      {std::string("h\0i\0", 4), true},
      {"\x01\x02\x03 abcdefgh", true},
      {"\x01 abcdefghijklmnopqrstuvwxyz", false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(LooksBinary(reinterpret_cast<const uint8_t*>(row.bytes.data()), row.bytes.size()), row.binary)
        << row.bytes;
}

// The start of every logical line, counted the plain way.
std::vector<uint64_t> LineStarts(const std::string& text, uint64_t start, uint64_t unit, bool big) {
  std::vector<uint64_t> starts{start};
  const auto at = [&](uint64_t i) -> unsigned {
    const auto b = [&](uint64_t k) { return static_cast<unsigned char>(text[k]); };
    return unit == 1 ? b(i) : big ? b(i) << 8 | b(i + 1) : b(i) | b(i + 1) << 8;
  };
  for (uint64_t i = start; i + unit <= text.size(); i += unit) {
    if (at(i) == '\n' || (at(i) == '\r' && !(i + 2 * unit <= text.size() && at(i + unit) == '\n')))
      starts.push_back(i + unit);
  }
  if (starts.size() > 1 && starts.back() == text.size()) starts.pop_back();
  return starts;
}

TEST(ViewerDocument, LineNumbersAgreeWithAPlainCount) {
  std::mt19937 rng(99);
  for (int round = 0; round < 300; ++round) {
    const ViewerEncoding encoding =
        std::array{ViewerEncoding::kUtf8, ViewerEncoding::kUtf16Le, ViewerEncoding::kUtf16Be}[rng() % 3];
    const uint64_t textStart = rng() % 2 == 0 ? 0 : (encoding == ViewerEncoding::kUtf8 ? 3 : 2);
    const std::string text = std::string(textStart, '\xEF') + RandomText(rng, encoding, 6);
    MemorySource source(text);
    PagedFile file(source, 1 + rng() % 9, 2);
    const uint64_t unit = encoding == ViewerEncoding::kUtf8 ? 1 : 2;
    const std::vector<uint64_t> starts = LineStarts(text, textStart, unit, encoding == ViewerEncoding::kUtf16Be);
    for (uint64_t line = 1; line <= starts.size() + 2; ++line) {
      const LineSeekResult found = FindLineNumber(file, encoding, textStart, line, {});
      SCOPED_TRACE(::testing::Message() << "round " << round << " line " << line);
      if (line <= starts.size()) {
        ASSERT_EQ(found.status, LineSeek::kFound);
        ASSERT_EQ(found.offset, starts[line - 1]);
      } else {
        ASSERT_EQ(found.status, LineSeek::kPastEnd);
        ASSERT_EQ(found.offset, starts.back());
      }
    }
  }
  // Stopped between chunks when told.
  MemorySource big(std::string(3 << 20, 'q'));
  PagedFile file(big);
  EXPECT_EQ(FindLineNumber(file, ViewerEncoding::kUtf8, 0, 2, [](uint64_t) { return false; }).status,
            LineSeek::kStopped);
}

}  // namespace
}  // namespace px
