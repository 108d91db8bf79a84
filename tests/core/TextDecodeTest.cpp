// The viewer's text decoding: encodings, display lines, spans and line starts found backward.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/text/Utf.h"
#include "core/viewer/TextDecode.h"

using namespace std::string_literals;

namespace px {

void PrintTo(const DisplayLine& line, std::ostream* out) {
  *out << "{" << line.offset << ", \"" << line.text << "\", " << (line.endsLine ? "end" : "go on") << "}";
}

namespace {

const uint8_t* Bytes(const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); }

std::vector<DisplayLine> Decode(const std::string& bytes, const DecodeOptions& options) {
  const DecodedSpan span = DecodeLines(Bytes(bytes), bytes.size(), 0, options, true);
  EXPECT_EQ(span.nextOffset, bytes.size());
  return span.lines;
}

// Decodes in spans cut at random, each starting where the one before says,
// a span made longer when it gave nothing.
std::vector<DisplayLine> DecodeInSpans(const std::string& bytes, const DecodeOptions& options, std::mt19937& random) {
  std::vector<DisplayLine> lines;
  size_t start = 0;
  size_t length = random() % (bytes.size() + 1);
  for (int guard = 0; guard < 100000; ++guard) {
    const size_t end = std::min(bytes.size(), start + length);
    const bool atEnd = end == bytes.size();
    DecodedSpan span = DecodeLines(Bytes(bytes) + start, end - start, start, options, atEnd);
    lines.insert(lines.end(), span.lines.begin(), span.lines.end());
    if (atEnd) {
      EXPECT_EQ(span.nextOffset, bytes.size());
      return lines;
    }
    EXPECT_GE(span.nextOffset, start);
    EXPECT_LE(span.nextOffset, end);
    if (span.nextOffset == start) {
      EXPECT_LT(end - start, SpanBytesForProgress(options)) << "a long enough span gave nothing";
      length = length * 2 + 1;
    } else {
      start = static_cast<size_t>(span.nextOffset);
      length = random() % 24;
    }
  }
  ADD_FAILURE() << "no progress";
  return lines;
}

std::string Utf16Le(std::u16string_view units) {
  std::string bytes;
  for (char16_t unit : units) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  return bytes;
}

std::string Utf16Be(std::u16string_view units) {
  std::string bytes;
  for (char16_t unit : units) bytes += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  return bytes;
}

TEST(TextDecode, DetectEncoding) {
  const struct {
    std::string bytes;
    ViewerEncoding encoding;
    size_t bomLength;
    bool wholeFile = false;
  } rows[] = {
      {"", ViewerEncoding::kUtf8, 0},
      {"plain ASCII\r\n", ViewerEncoding::kUtf8, 0},
      {"\xEF\xBB\xBFtext", ViewerEncoding::kUtf8, 3},
      {"\xEF\xBB\xBF\xFF", ViewerEncoding::kUtf8, 3},  // the mark wins over what follows
      {"\xFF\xFEh\0i\0"s, ViewerEncoding::kUtf16Le, 2},
      {"\xFE\xFF\0h\0i"s, ViewerEncoding::kUtf16Be, 2},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", ViewerEncoding::kUtf8, 0},
      {"caf\xE9s", ViewerEncoding::kAnsi, 0},                // Latin-1 é
      {"caf\xE9", ViewerEncoding::kUtf8, 0},                 // as far as the sample goes, a cut sequence
      {"caf\xE9", ViewerEncoding::kAnsi, 0, true},           // the file's end: no sequence goes on
      {"caf\xC3\xA9", ViewerEncoding::kUtf8, 0, true},
      {"ends cut \xE2\x82", ViewerEncoding::kUtf8, 0},       // cut by the sample's end
      {"ends cut \xF0\x9F\x98", ViewerEncoding::kUtf8, 0},
      {"cut inside \xE2\x82 x", ViewerEncoding::kAnsi, 0},   // cut, then more: invalid
      {"overlong \xC0\x80", ViewerEncoding::kAnsi, 0},
      {"surrogate \xED\xA0\x80", ViewerEncoding::kAnsi, 0},
      {"beyond \xF4\x90\x80\x80", ViewerEncoding::kAnsi, 0},
      {"\xEF\xBB", ViewerEncoding::kUtf8, 0},                // half a mark is a cut sequence
      {"\xFF\xFF", ViewerEncoding::kAnsi, 0},
      {"nul\0inside"s, ViewerEncoding::kUtf8, 0},
  };
  for (const auto& row : rows) {
    const DetectedEncoding found = DetectEncoding(Bytes(row.bytes), row.bytes.size(), row.wholeFile);
    EXPECT_EQ(found.encoding, row.encoding) << row.bytes;
    EXPECT_EQ(found.bomLength, row.bomLength) << row.bytes;
  }
}

struct LineRow {
  const char* name;
  std::string bytes;
  std::vector<DisplayLine> lines;
};

void CheckRows(const std::vector<LineRow>& rows, const DecodeOptions& options) {
  for (const LineRow& row : rows) EXPECT_EQ(Decode(row.bytes, options), row.lines) << row.name;
}

TEST(TextDecode, LineEnds) {
  CheckRows(
      {
          {"empty", "", {}},
          {"no end", "abc", {{0, "abc", false}}},
          {"LF", "a\nb", {{0, "a", true}, {2, "b", false}}},
          {"CR", "a\rb", {{0, "a", true}, {2, "b", false}}},
          {"CR LF", "a\r\nb", {{0, "a", true}, {3, "b", false}}},
          {"LF CR is two", "a\n\rb", {{0, "a", true}, {2, "", true}, {3, "b", false}}},
          {"CR CR LF", "a\r\r\nb", {{0, "a", true}, {2, "", true}, {4, "b", false}}},
          {"final end adds no line", "a\r\n", {{0, "a", true}}},
          {"final CR", "a\r", {{0, "a", true}}},
          {"empty lines", "\n\n", {{0, "", true}, {1, "", true}}},
          {"mixed", "x\r\ny\nz\rw", {{0, "x", true}, {3, "y", true}, {5, "z", true}, {7, "w", false}}},
      },
      DecodeOptions{});
}

TEST(TextDecode, Tabs) {
  DecodeOptions options;
  CheckRows(
      {
          {"at start", "\tx", {{0, "        x", false}}},
          {"to the stop", "abc\tx", {{0, "abc     x", false}}},
          {"on the stop", "abcdefgh\tx", {{0, "abcdefgh        x", false}}},
          {"two", "a\t\tb", {{0, "a               b", false}}},
      },
      options);
  options.tabWidth = 4;
  CheckRows({{"width 4", "ab\tc\td", {{0, "ab  c   d", false}}}}, options);
  options.tabWidth = 0;  // taken as 1
  CheckRows({{"width 0", "a\tb", {{0, "a b", false}}}}, options);
}

TEST(TextDecode, InvalidUtf8IsOneReplacementPerMaximalSubpart) {
  CheckRows(
      {
          {"overlong 2", "a\xC0\x80z", {{0, "a\uFFFD\uFFFDz", false}}},
          {"overlong 3", "\xE0\x80\x80", {{0, "\uFFFD\uFFFD\uFFFD", false}}},
          {"overlong 4", "\xF0\x80\x80\x80", {{0, "\uFFFD\uFFFD\uFFFD\uFFFD", false}}},
          {"surrogate", "\xED\xA0\x80", {{0, "\uFFFD\uFFFD\uFFFD", false}}},
          {"beyond U+10FFFF", "\xF4\x90\x80\x80", {{0, "\uFFFD\uFFFD\uFFFD\uFFFD", false}}},
          {"lone continuation", "\x80\xBF", {{0, "\uFFFD\uFFFD", false}}},
          {"truncated 3 then ASCII", "\xE2\x82z", {{0, "\uFFFDz", false}}},
          {"truncated 4", "\xF0\x9F\x98z", {{0, "\uFFFDz", false}}},
          {"truncated at the end", "z\xF0\x9F\x98", {{0, "z\uFFFD", false}}},
          {"F5 and FF", "\xF5\xFF", {{0, "\uFFFD\uFFFD", false}}},
          {"the Unicode example", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
           {{0, "a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd", false}}},
          {"valid kept", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", {{0, "\u00E9\u20AC\U0001F600", false}}},
          {"a real U+FFFD", "\xEF\xBF\xBD", {{0, "\uFFFD", false}}},
          {"CR ends a cut sequence", "\xE2\x82\r\n", {{0, "\uFFFD", true}}},
      },
      DecodeOptions{});
}

TEST(TextDecode, ControlsAreVisible) {
  CheckRows(
      {
          {"NUL", "a\0b"s, {{0, "a\u2400b", false}}},
          {"C0", "\x01\x1B\x0C\x1F", {{0, "\u2401\u241B\u240C\u241F", false}}},
          {"DEL", "\x7F", {{0, "\u2421", false}}},
          {"C1", "\xC2\x85\xC2\x9F", {{0, "\u00B7\u00B7", false}}},
          {"separators", "\xE2\x80\xA8\xE2\x80\xA9", {{0, "\u00B7\u00B7", false}}},
      },
      DecodeOptions{});
}

TEST(TextDecode, Utf16) {
  DecodeOptions options;
  options.encoding = ViewerEncoding::kUtf16Le;
  CheckRows(
      {
          {"lines", Utf16Le(u"ab\r\ncd\ne"), {{0, "ab", true}, {8, "cd", true}, {14, "e", false}}},
          {"pair", Utf16Le(u"\U0001F600x"), {{0, "\U0001F600x", false}}},
          {"lone high", Utf16Le(u"a\xD800z"), {{0, "a\uFFFDz", false}}},
          {"lone low", Utf16Le(u"a\xDC00z"), {{0, "a\uFFFDz", false}}},
          {"high at the end", Utf16Le(u"a\xD83D"), {{0, "a\uFFFD", false}}},
          {"two highs", Utf16Le(u"\xD800\xD800\xDC00"), {{0, "\uFFFD\U00010000", false}}},
          {"odd last byte", Utf16Le(u"ab") + "c", {{0, "ab\uFFFD", false}}},
          {"NUL", Utf16Le(u"a"s + u'\0'), {{0, "a\u2400", false}}},
          {"byte CR is not a line end", "\r\x01\n\x02", {{0, "\u010D\u020A", false}}},
      },
      options);
  options.encoding = ViewerEncoding::kUtf16Be;
  CheckRows({{"big end", Utf16Be(u"h\u00E9\r\n\tx"), {{0, "h\u00E9", true}, {8, "        x", false}}}}, options);
}

TEST(TextDecode, CodePages) {
  // Windows-1252: Latin-1 but for 0x80..0x9F; the five holes stay C1 controls.
  CodePageTable cp1252;
  for (int i = 0; i < 256; ++i) cp1252[i] = static_cast<char32_t>(i);
  const std::u32string high1252 =
      U"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F"
      U"\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178";
  std::copy(high1252.begin(), high1252.end(), cp1252.begin() + 0x80);
  // 437: its upper half; the lower half as ASCII, as the system's table for text gives it.
  CodePageTable cp437;
  for (int i = 0; i < 128; ++i) cp437[i] = static_cast<char32_t>(i);
  const std::u32string high437 =
      U"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
      U"αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
  ASSERT_EQ(high437.size(), 128u);
  std::copy(high437.begin(), high437.end(), cp437.begin() + 0x80);
  // A table that maps a line-end byte elsewhere, or gives a surrogate, still draws safely.
  CodePageTable odd = cp437;
  odd['\r'] = 0x266A;
  odd['A'] = 0xD800;
  odd['B'] = '\n';

  const struct {
    const char* name;
    ViewerEncoding encoding;
    const CodePageTable* table;
    std::string bytes;
    std::vector<DisplayLine> lines;
  } rows[] = {
      {"1252", ViewerEncoding::kAnsi, &cp1252, "\x80\x93q\x94 caf\xE9", {{0, "\u20AC\u201Cq\u201D caf\u00E9", false}}},
      {"1252 hole", ViewerEncoding::kAnsi, &cp1252, "\x81\x9D", {{0, "\u00B7\u00B7", false}}},
      {"437", ViewerEncoding::kOem, &cp437, "\xC9\xCD\xBB\r\n\xB0\xE1", {{0, "╔═╗", true}, {5, "░ß", false}}},
      {"Latin-1", ViewerEncoding::kAnsi, nullptr, "\xE9\x85\t.", {{0, "\u00E9\u00B7      .", false}}},
      {"odd table", ViewerEncoding::kOem, &odd, "A\rB", {{0, "\uFFFD", true}, {2, "\uFFFD", false}}},
  };
  for (const auto& row : rows) {
    DecodeOptions options;
    options.encoding = row.encoding;
    options.codePage = row.table;
    EXPECT_EQ(Decode(row.bytes, options), row.lines) << row.name;
  }
}

TEST(TextDecode, WrapAndCut) {
  const struct {
    const char* name;
    int wrapWidth;
    int maxLineColumns;
    std::string bytes;
    std::vector<DisplayLine> lines;
  } rows[] = {
      {"wrap", 3, 4096, "abcdefg\nhi", {{0, "abc", false}, {3, "def", false}, {6, "g", true}, {8, "hi", false}}},
      {"exactly the width", 3, 4096, "abc\ndef", {{0, "abc", true}, {4, "def", false}}},
      {"multibyte counts as one", 2, 4096, "\xC3\xA9\xC3\xA9\xC3\xA9", {{0, "\u00E9\u00E9", false}, {4, "\u00E9", false}}},
      {"tab moves on", 10, 4096, "abcdefgh\tx", {{0, "abcdefgh  ", false}, {9, "x", false}}},
      {"tab wider than a line", 3, 4096, "a\tb", {{0, "a  ", false}, {2, "b", false}}},
      {"tab after a full line", 4, 4096, "abcd\tb", {{0, "abcd", false}, {4, "    ", false}, {5, "b", false}}},
      {"cut without wrap", 0, 4, "abcdefghij\nk", {{0, "abcd", false}, {4, "efgh", false}, {8, "ij", true}, {11, "k", false}}},
      {"cut before wrap", 10, 2, "abcde", {{0, "ab", false}, {2, "cd", false}, {4, "e", false}}},
      {"wrap before cut", 2, 3, "abcde", {{0, "ab", false}, {2, "cd", false}, {4, "e", false}}},
      {"width 0 taken as 1", 0, 0, "ab", {{0, "a", false}, {1, "b", false}}},
  };
  for (const auto& row : rows) {
    DecodeOptions options;
    options.wrapWidth = row.wrapWidth;
    options.maxLineColumns = row.maxLineColumns;
    EXPECT_EQ(Decode(row.bytes, options), row.lines) << row.name;
  }
}

TEST(TextDecode, SpanEndsLeaveWhatMayGoOn) {
  const struct {
    const char* name;
    ViewerEncoding encoding;
    std::string bytes;  // the first span; not the file's end
    size_t nextOffset;
    size_t lines;
  } rows[] = {
      {"CR at the end", ViewerEncoding::kUtf8, "ab\ncd\r", 3, 1},
      {"LF at the end", ViewerEncoding::kUtf8, "ab\ncd\n", 6, 2},
      {"unfinished line", ViewerEncoding::kUtf8, "ab\ncd", 3, 1},
      {"cut sequence", ViewerEncoding::kUtf8, "ab\n\xE2\x82", 3, 1},
      {"UTF-16 CR at the end", ViewerEncoding::kUtf16Le, Utf16Le(u"a\n\r"), 4, 1},
      {"UTF-16 CR and half a unit", ViewerEncoding::kUtf16Le, Utf16Le(u"a\n\r") + "\n", 4, 1},
      {"UTF-16 high surrogate", ViewerEncoding::kUtf16Le, Utf16Le(u"a\n\xD83D"), 4, 1},
  };
  for (const auto& row : rows) {
    DecodeOptions options;
    options.encoding = row.encoding;
    const DecodedSpan span = DecodeLines(Bytes(row.bytes), row.bytes.size(), 100, options, false);
    EXPECT_EQ(span.nextOffset, 100 + row.nextOffset) << row.name;
    EXPECT_EQ(span.lines.size(), row.lines) << row.name;
  }
}

TEST(TextDecode, CrLfAcrossSpansIsOneLineEnd) {
  const std::string bytes = "one\r\ntwo";
  DecodeOptions options;
  const DecodedSpan first = DecodeLines(Bytes(bytes), 4, 0, options, false);  // ends with the CR
  ASSERT_EQ(first.nextOffset, 0u);
  ASSERT_TRUE(first.lines.empty());
  const DecodedSpan again = DecodeLines(Bytes(bytes), bytes.size(), 0, options, true);
  EXPECT_EQ(again.lines, (std::vector<DisplayLine>{{0, "one", true}, {5, "two", false}}));
}

// Random files from bytes that reach every branch: line ends, tabs, controls, broken sequences.
std::string RandomBytes(std::mt19937& random, ViewerEncoding encoding) {
  static const uint8_t kBytes[] = {'\r', '\n', '\t', 0, 'a', 'b', ' ', 0x7F, 0x80, 0x9F, 0xBF, 0xC2, 0xC3,
                                   0xE0, 0xE2, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
  static const char16_t kUnits[] = {'\r', '\n', '\t', 0, 'a', 0xE9, 0x2028, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0x0D0A};
  std::string bytes;
  const size_t length = random() % 64;
  if (encoding == ViewerEncoding::kUtf16Le || encoding == ViewerEncoding::kUtf16Be) {
    std::u16string units;
    for (size_t i = 0; i < length / 2; ++i) units += kUnits[random() % std::size(kUnits)];
    bytes = encoding == ViewerEncoding::kUtf16Le ? Utf16Le(units) : Utf16Be(units);
    if (random() % 4 == 0) bytes += static_cast<char>(random());
  } else {
    for (size_t i = 0; i < length; ++i) bytes += static_cast<char>(kBytes[random() % std::size(kBytes)]);
  }
  return bytes;
}

size_t CodePoints(const std::string& text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); ++count) DecodeUtf8(text, pos);
  return count;
}

TEST(TextDecode, SpansCutAnywhereGiveTheSameLines) {
  std::mt19937 random(20261208);
  const ViewerEncoding encodings[] = {ViewerEncoding::kUtf8, ViewerEncoding::kUtf16Le, ViewerEncoding::kUtf16Be,
                                    ViewerEncoding::kAnsi};
  for (int round = 0; round < 4000; ++round) {
    DecodeOptions options;
    options.encoding = encodings[round % std::size(encodings)];
    options.tabWidth = 1 + static_cast<int>(random() % 9);
    options.wrapWidth = static_cast<int>(random() % 12);
    options.maxLineColumns = 1 + static_cast<int>(random() % 20);
    const std::string bytes = RandomBytes(random, options.encoding);
    const std::vector<DisplayLine> whole = Decode(bytes, options);
    ASSERT_EQ(DecodeInSpans(bytes, options, random), whole) << round;

    const size_t width = static_cast<size_t>(
        options.wrapWidth > 0 ? std::min(options.wrapWidth, options.maxLineColumns) : options.maxLineColumns);
    for (size_t i = 0; i < whole.size(); ++i) {
      EXPECT_LT(whole[i].offset, bytes.size());
      if (i == 0) {
        EXPECT_EQ(whole[i].offset, 0u);
      } else {
        EXPECT_GT(whole[i].offset, whole[i - 1].offset);
      }
      EXPECT_TRUE(IsValidUtf8(whole[i].text));
      EXPECT_LE(CodePoints(whole[i].text), width);
      EXPECT_EQ(whole[i].text.find_first_of("\r\n\t"s + '\0'), std::string::npos);
    }

    // Column offsets change nothing else; each column's character begins
    // within the line, in order, and the last offset ends the line's characters.
    DecodeOptions withColumns = options;
    withColumns.columnOffsets = true;
    const std::vector<DisplayLine> mapped = Decode(bytes, withColumns);
    ASSERT_EQ(mapped, whole);
    for (size_t i = 0; i < mapped.size(); ++i) {
      const std::vector<uint32_t>& columns = mapped[i].columns;
      ASSERT_EQ(columns.size(), CodePoints(mapped[i].text) + 1) << round;
      EXPECT_TRUE(std::is_sorted(columns.begin(), columns.end()));
      const uint64_t next = i + 1 < mapped.size() ? mapped[i + 1].offset : bytes.size();
      EXPECT_LE(mapped[i].offset + columns.back(), next);
      if (!mapped[i].endsLine) {
        EXPECT_EQ(mapped[i].offset + columns.back(), next);
      }
      if (columns.size() > 1) {
        EXPECT_LT(columns[columns.size() - 2], columns.back());
      }
    }
  }
}

// With lines shorter than the limit, the line start found backward from any
// offset is the start of the line the decoder put that offset in, whether
// the whole file or only a window before the offset is at hand.
TEST(TextDecode, FindLineStartAgreesWithTheDecoder) {
  std::mt19937 random(7);
  const ViewerEncoding encodings[] = {ViewerEncoding::kUtf8, ViewerEncoding::kUtf16Le, ViewerEncoding::kUtf16Be,
                                    ViewerEncoding::kOem};
  for (int round = 0; round < 3000; ++round) {
    DecodeOptions options;
    options.encoding = encodings[round % std::size(encodings)];
    const bool utf16 = options.encoding == ViewerEncoding::kUtf16Le || options.encoding == ViewerEncoding::kUtf16Be;
    const std::string bom = utf16 && random() % 2 ? "\xFF\xFE" : "";
    const std::string bytes = bom + RandomBytes(random, options.encoding);
    const std::string text = bytes.substr(bom.size());
    std::vector<DisplayLine> lines = Decode(text, options);
    for (DisplayLine& line : lines) line.offset += bom.size();
    for (size_t i = 0; i < lines.size(); ++i) {
      const size_t end = i + 1 < lines.size() ? lines[i + 1].offset : bytes.size();
      for (size_t offset = lines[i].offset; offset < end; ++offset) {
        const uint64_t found =
            FindLineStart(Bytes(bytes), bytes.size(), 0, offset, options.encoding, bom.size(), 1000);
        ASSERT_EQ(found, lines[i].offset) << round << " at " << offset;
        const size_t windowStart = offset > 14 ? offset - 14 : 0;
        const size_t windowEnd = std::min(bytes.size(), offset + 2);
        const uint64_t inWindow = FindLineStart(Bytes(bytes) + windowStart, windowEnd - windowStart, windowStart,
                                                offset, options.encoding, bom.size(), 12);
        if (lines[i].offset + 12 >= offset + (utf16 ? 1 : 0)) {
          ASSERT_EQ(inWindow, lines[i].offset) << round << " at " << offset;
        }
        ASSERT_LE(inWindow, offset);
        ASSERT_GE(inWindow, found);
      }
    }
  }
}

TEST(TextDecode, FindLineStartStopsAtItsLimits) {
  const std::string longLine = std::string(100, 'a');
  std::string accents;
  for (int i = 0; i < 50; ++i) accents += "\xC3\xA9";
  const std::string utf16 = "\xFF\xFE" + Utf16Le(u"ab\ncd\r\nef");
  const struct {
    const char* name;
    const std::string& bytes;
    ViewerEncoding encoding;
    uint64_t textStart;
    uint64_t offset;
    size_t maxBytes;
    uint64_t expected;
  } rows[] = {
      {"cut in a long line", longLine, ViewerEncoding::kUtf8, 0, 50, 10, 40},
      {"near the start", longLine, ViewerEncoding::kUtf8, 0, 5, 10, 0},
      {"cut past continuation bytes", accents, ViewerEncoding::kUtf8, 0, 51, 10, 42},
      {"ANSI cut stays", accents, ViewerEncoding::kAnsi, 0, 51, 10, 41},
      {"offset beyond the data", longLine, ViewerEncoding::kUtf8, 0, 500, 10, 90},
      {"UTF-16 after the mark", utf16, ViewerEncoding::kUtf16Le, 2, 10, 100, 8},
      {"UTF-16 odd offset", utf16, ViewerEncoding::kUtf16Le, 2, 11, 100, 8},
      {"UTF-16 at the LF of CR LF", utf16, ViewerEncoding::kUtf16Le, 2, 14, 100, 8},
      {"UTF-16 past CR LF", utf16, ViewerEncoding::kUtf16Le, 2, 16, 100, 16},
      {"UTF-16 first line", utf16, ViewerEncoding::kUtf16Le, 2, 4, 100, 2},
      {"UTF-16 in the mark", utf16, ViewerEncoding::kUtf16Le, 2, 1, 100, 2},
      {"UTF-16 cut aligned", utf16, ViewerEncoding::kUtf16Le, 2, 20, 3, 18},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FindLineStart(Bytes(row.bytes), row.bytes.size(), 0, row.offset, row.encoding, row.textStart,
                            row.maxBytes),
              row.expected)
        << row.name;
  }
}

TEST(TextDecode, BoundsFollowTheOptions) {
  const struct {
    int wrapWidth;
    int maxLineColumns;
    size_t maxLineBytes;
    size_t spanBytes;
  } rows[] = {{0, 4096, 16384, 16388}, {80, 4096, 16384, 324}, {0, 0, 4, 8}, {0, 1 << 30, 4u << 20, (4u << 20) + 4}};
  for (const auto& row : rows) {
    DecodeOptions options;
    options.wrapWidth = row.wrapWidth;
    options.maxLineColumns = row.maxLineColumns;
    EXPECT_EQ(MaxLineBytes(options), row.maxLineBytes);
    EXPECT_EQ(SpanBytesForProgress(options), row.spanBytes);
  }
}

}  // namespace
}  // namespace px
