// Decoding a viewer's spans into display lines, and finding line starts backward.
#include "core/viewer/TextDecode.h"

#include <algorithm>

#include "core/text/Utf.h"

namespace px {
namespace {

enum class Step { kChar, kTab, kLineEnd, kNeedMore };

struct Unit {
  Step step = Step::kChar;
  char32_t code = 0;
  size_t length = 0;
  bool invalid = false;  // shown as U+FFFD
};

bool IsUtf16(ViewerEncoding encoding) {
  return encoding == ViewerEncoding::kUtf16Le || encoding == ViewerEncoding::kUtf16Be;
}

// One UTF-8 sequence at bytes[pos]; an ill-formed one is its maximal subpart
// (the longest prefix of a well-formed sequence, at least one byte) as U+FFFD.
Unit Utf8At(const uint8_t* bytes, size_t size, size_t pos, bool atEnd) {
  const uint8_t lead = bytes[pos];
  if (lead < 0x80) return {Step::kChar, lead, 1};
  size_t need = 0;
  uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2, code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3, code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {Step::kChar, 0xFFFD, 1, true};
  }
  size_t length = 1;
  for (; length <= need; ++length) {
    if (pos + length >= size) return atEnd ? Unit{Step::kChar, 0xFFFD, length, true} : Unit{Step::kNeedMore, 0, 0};
    const uint8_t next = bytes[pos + length];
    if (next < (length == 1 ? low : 0x80) || next > (length == 1 ? high : 0xBF)) return {Step::kChar, 0xFFFD, length, true};
    code = code << 6 | (next & 0x3F);
  }
  return {Step::kChar, code, length};
}

char16_t Utf16UnitAt(const uint8_t* bytes, size_t pos, bool bigEndian) {
  return bigEndian ? static_cast<char16_t>(bytes[pos] << 8 | bytes[pos + 1])
                   : static_cast<char16_t>(bytes[pos] | bytes[pos + 1] << 8);
}

Unit Utf16At(const uint8_t* bytes, size_t size, size_t pos, bool atEnd, bool bigEndian) {
  if (pos + 2 > size) return atEnd ? Unit{Step::kChar, 0xFFFD, size - pos} : Unit{Step::kNeedMore, 0, 0};
  const char16_t unit = Utf16UnitAt(bytes, pos, bigEndian);
  if (unit < 0xD800 || unit > 0xDFFF) return {Step::kChar, unit, 2};
  if (unit >= 0xDC00) return {Step::kChar, 0xFFFD, 2};
  if (pos + 4 > size) return atEnd ? Unit{Step::kChar, 0xFFFD, 2} : Unit{Step::kNeedMore, 0, 0};
  const char16_t next = Utf16UnitAt(bytes, pos + 2, bigEndian);
  if (next < 0xDC00 || next > 0xDFFF) return {Step::kChar, 0xFFFD, 2};
  return {Step::kChar, static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)), 4};
}

// The character at pos with what it does to the line; a CR takes the LF after it.
Unit NextUnit(const uint8_t* bytes, size_t size, size_t pos, const DecodeOptions& options, bool atEnd) {
  Unit unit;
  switch (options.encoding) {
    case ViewerEncoding::kUtf8:
      unit = Utf8At(bytes, size, pos, atEnd);
      break;
    case ViewerEncoding::kUtf16Le:
    case ViewerEncoding::kUtf16Be:
      unit = Utf16At(bytes, size, pos, atEnd, options.encoding == ViewerEncoding::kUtf16Be);
      break;
    case ViewerEncoding::kAnsi:
    case ViewerEncoding::kOem:
      // Line ends and tabs are the bytes themselves, whatever glyph the table gives them.
      if (bytes[pos] == '\t' || bytes[pos] == '\r' || bytes[pos] == '\n') {
        unit = {Step::kChar, bytes[pos], 1};
      } else {
        const char32_t code = options.codePage ? (*options.codePage)[bytes[pos]] : bytes[pos];
        return {Step::kChar, code == '\t' || code == '\r' || code == '\n' ? 0xFFFD : code, 1};
      }
      break;
  }
  if (unit.step != Step::kChar) return unit;
  if (unit.code == '\t') return {Step::kTab, '\t', unit.length};
  if (unit.code == '\n') return {Step::kLineEnd, '\n', unit.length};
  if (unit.code != '\r') return unit;
  const size_t after = pos + unit.length;
  const size_t lfLength = IsUtf16(options.encoding) ? 2 : 1;
  if (after + lfLength > size) {
    if (!atEnd) return {Step::kNeedMore, 0, 0};
    return {Step::kLineEnd, '\r', unit.length};
  }
  const bool lineFeed = IsUtf16(options.encoding)
                            ? Utf16UnitAt(bytes, after, options.encoding == ViewerEncoding::kUtf16Be) == '\n'
                            : bytes[after] == '\n';
  return {Step::kLineEnd, '\r', unit.length + (lineFeed ? lfLength : 0)};
}

// What is drawn for a code point: controls made visible, nothing that is not a character.
char32_t Visible(char32_t code) {
  if (code < 0x20) return 0x2400 + code;
  if (code == 0x7F) return 0x2421;
  if ((code >= 0x80 && code < 0xA0) || code == 0x2028 || code == 0x2029) return 0x00B7;
  if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0xFFFD;
  return code;
}

constexpr int kMaxColumns = 1 << 20;

int TabWidth(const DecodeOptions& options) { return std::clamp(options.tabWidth, 1, 64); }

int LineWidth(const DecodeOptions& options) {
  const int cut = std::clamp(options.maxLineColumns, 1, kMaxColumns);
  return options.wrapWidth > 0 ? std::min(options.wrapWidth, cut) : cut;
}

}  // namespace

DetectedEncoding DetectEncoding(const uint8_t* bytes, size_t size, bool wholeFile) {
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return {ViewerEncoding::kUtf8, 3};
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return {ViewerEncoding::kUtf16Le, 2};
  if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return {ViewerEncoding::kUtf16Be, 2};
  for (size_t pos = 0; pos < size;) {
    const Unit unit = Utf8At(bytes, size, pos, false);
    if (unit.step == Step::kNeedMore) {
      if (wholeFile) return {ViewerEncoding::kAnsi, 0};  // cut by the end of the file
      break;  // cut by the end of the sample
    }
    if (unit.invalid) return {ViewerEncoding::kAnsi, 0};
    pos += unit.length;
  }
  return {ViewerEncoding::kUtf8, 0};
}

// A column is at most four bytes: a UTF-8 sequence, a maximal subpart or a surrogate pair.
size_t MaxLineBytes(const DecodeOptions& options) {
  return 4 * static_cast<size_t>(std::clamp(options.maxLineColumns, 1, kMaxColumns));
}

// A full display line, then the next character or a line end of up to two UTF-16 units.
size_t SpanBytesForProgress(const DecodeOptions& options) { return 4 * static_cast<size_t>(LineWidth(options)) + 4; }

DecodedSpan DecodeLines(const uint8_t* bytes, size_t size, uint64_t offset, const DecodeOptions& options,
                        bool atEnd) {
  DecodedSpan result;
  const int width = LineWidth(options);
  const int tabWidth = TabWidth(options);
  size_t pos = 0;
  size_t lineStart = 0;
  int column = 0;
  std::string text;
  std::vector<uint32_t> columns;
  const auto emit = [&](bool endsLine) {
    if (options.columnOffsets) columns.push_back(static_cast<uint32_t>(pos - lineStart));
    result.lines.push_back({offset + lineStart, std::move(text), endsLine, std::move(columns)});
    text.clear();
    columns.clear();
    column = 0;
  };
  while (pos < size) {
    const Unit unit = NextUnit(bytes, size, pos, options, atEnd);
    if (unit.step == Step::kNeedMore) break;
    if (unit.step == Step::kLineEnd) {
      emit(true);
      pos += unit.length;
      lineStart = pos;
      continue;
    }
    if (column >= width) {
      emit(false);
      lineStart = pos;
    }
    // A tab stops at the edge of the line rather than start the next.
    const int span = unit.step == Step::kTab ? std::min(tabWidth - column % tabWidth, width - column) : 1;
    if (options.columnOffsets) columns.insert(columns.end(), static_cast<size_t>(span), static_cast<uint32_t>(pos - lineStart));
    if (unit.step == Step::kTab) {
      text.append(static_cast<size_t>(span), ' ');
    } else {
      AppendUtf8(text, Visible(unit.code));
    }
    column += span;
    pos += unit.length;
  }
  if (atEnd && pos == size && pos > lineStart) {
    emit(false);
    lineStart = pos;
  }
  result.nextOffset = offset + lineStart;
  return result;
}

uint64_t FindLineStart(const uint8_t* bytes, size_t size, uint64_t bytesOffset, uint64_t offset,
                       ViewerEncoding encoding, uint64_t textStart, size_t maxBytes) {
  const uint64_t dataEnd = bytesOffset + size;
  offset = std::max(offset, textStart);
  if (offset > dataEnd) offset = dataEnd;
  const bool utf16 = IsUtf16(encoding);
  const uint64_t unit = utf16 ? 2 : 1;
  if (utf16) offset -= (offset - textStart) % 2;
  // The scan stops at the text's start, the data's start or maxBytes back, whichever is nearest.
  uint64_t floor = std::max(textStart, bytesOffset);
  if (offset - textStart > maxBytes) floor = std::max(floor, offset - maxBytes);
  if (utf16) floor += (floor - textStart) % 2;
  if (floor > offset) return offset;
  const bool bigEndian = encoding == ViewerEncoding::kUtf16Be;
  const auto at = [&](uint64_t pos) -> char16_t {
    const size_t index = static_cast<size_t>(pos - bytesOffset);
    if (utf16) return Utf16UnitAt(bytes, index, bigEndian);
    return bytes[index];
  };
  const auto inData = [&](uint64_t pos) { return pos >= bytesOffset && pos + unit <= dataEnd; };
  // The unit before floor tells whether floor itself starts a line.
  const uint64_t lowest = floor >= std::max(textStart, bytesOffset) + unit ? floor - unit : floor;
  for (uint64_t pos = offset; pos >= lowest + unit;) {
    pos -= unit;
    const char16_t code = at(pos);
    if (code == '\n') return pos + unit;
    if (code == '\r') {
      // A CR right before an LF at offset is the first half of the line end that offset is in.
      if (pos + unit == offset && inData(offset) && at(offset) == '\n') continue;
      return pos + unit;
    }
  }
  uint64_t start = floor;
  if (floor > textStart && floor == offset - maxBytes && encoding == ViewerEncoding::kUtf8) {
    // Cut inside a long line: begin at a character rather than inside one.
    for (int i = 0; i < 3 && start < offset && inData(start) && (at(start) & 0xC0) == 0x80; ++i) ++start;
  }
  return start;
}

}  // namespace px
