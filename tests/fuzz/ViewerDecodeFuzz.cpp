// Fuzzes the viewer's decoding: encoding detection, display lines over spans
// cut anywhere, line starts found backward, and hex lines.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/text/Utf.h"
#include "core/viewer/HexLines.h"
#include "core/viewer/TextDecode.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

// Settings and cut points taken from the input's first bytes, so the fuzzer steers them too.
struct Knobs {
  const uint8_t* data;
  size_t size;
  size_t next = 0;
  uint8_t Take() { return next < size ? data[next++] : 0; }
};

size_t CodePoints(const std::string& text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); ++count) DecodeUtf8(text, pos);
  return count;
}

void CheckLines(const std::vector<DisplayLine>& lines, size_t size, size_t width) {
  for (size_t i = 0; i < lines.size(); ++i) {
    PX_FUZZ_CHECK(lines[i].offset < size);
    PX_FUZZ_CHECK(i == 0 ? lines[i].offset == 0 : lines[i].offset > lines[i - 1].offset);
    PX_FUZZ_CHECK(IsValidUtf8(lines[i].text));
    PX_FUZZ_CHECK(CodePoints(lines[i].text) <= width);
  }
}

}  // namespace
}  // namespace px

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace px;
  Knobs knobs{data, std::min<size_t>(size, 8)};
  const uint8_t mode = knobs.Take();
  DecodeOptions options;
  const ViewerEncoding encodings[] = {ViewerEncoding::kUtf8, ViewerEncoding::kUtf16Le, ViewerEncoding::kUtf16Be,
                                    ViewerEncoding::kAnsi, ViewerEncoding::kOem};
  options.tabWidth = knobs.Take() % 20;
  options.wrapWidth = knobs.Take() % 40;
  options.maxLineColumns = 1 + knobs.Take() % 64;
  const uint8_t cutSeed = knobs.Take();
  const uint8_t* bytes = data + knobs.next;
  const size_t length = size - knobs.next;

  const DetectedEncoding detected = DetectEncoding(bytes, length);
  PX_FUZZ_CHECK(detected.bomLength <= length && detected.bomLength <= 3);
  options.encoding = mode % 6 == 5 ? detected.encoding : encodings[mode % 6 % 5];
  CodePageTable table;
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<char32_t>(i * (mode | 1) * 0x1021u % 0x110010u);
  if (mode & 0x80) options.codePage = &table;  // any code points, surrogates and beyond Unicode too
  const size_t textStart = mode & 0x40 ? detected.bomLength : 0;
  const uint8_t* text = bytes + textStart;
  const size_t textSize = length - textStart;
  const size_t width = static_cast<size_t>(options.wrapWidth > 0 ? std::min(options.wrapWidth, options.maxLineColumns)
                                                                  : options.maxLineColumns);

  const DecodedSpan whole = DecodeLines(text, textSize, 0, options, true);
  PX_FUZZ_CHECK(whole.nextOffset == textSize);
  CheckLines(whole.lines, textSize, width);

  // The same lines from spans cut anywhere, each starting where the one before said.
  std::vector<DisplayLine> pieces;
  size_t start = 0;
  uint32_t cut = cutSeed;
  size_t spanLength = cut % 17;
  for (;;) {
    const size_t end = std::min(textSize, start + spanLength);
    const DecodedSpan span = DecodeLines(text + start, end - start, start, options, end == textSize);
    pieces.insert(pieces.end(), span.lines.begin(), span.lines.end());
    if (end == textSize) {
      PX_FUZZ_CHECK(span.nextOffset == textSize);
      break;
    }
    PX_FUZZ_CHECK(span.nextOffset >= start && span.nextOffset <= end);
    cut = cut * 1103515245u + 12345u;
    if (span.nextOffset == start) {
      PX_FUZZ_CHECK(end - start < SpanBytesForProgress(options));
      spanLength = spanLength * 2 + 1;
    } else {
      start = static_cast<size_t>(span.nextOffset);
      spanLength = (cut >> 16) % 33;
    }
  }
  PX_FUZZ_CHECK(pieces == whole.lines);

  // Line starts found backward agree with the decoder where the line is short enough.
  const size_t maxBytes = 1 + cutSeed % 48;
  uint64_t logicalStart = 0;  // where the line holding display line i starts, past wraps and cuts
  for (size_t i = 0; i < whole.lines.size() && i < 64; ++i) {
    if (i > 0 && whole.lines[i - 1].endsLine) logicalStart = whole.lines[i].offset;
    const size_t lineEnd = i + 1 < whole.lines.size() ? static_cast<size_t>(whole.lines[i + 1].offset) : textSize;
    const size_t offset = static_cast<size_t>(whole.lines[i].offset) + (cut >> 8) % (lineEnd - whole.lines[i].offset);
    const uint64_t found = FindLineStart(text, textSize, 0, offset, options.encoding, 0, maxBytes);
    PX_FUZZ_CHECK(found <= offset && found + maxBytes + 3 >= offset);
    PX_FUZZ_CHECK(found >= logicalStart);
    if (logicalStart + maxBytes >= offset + 1) PX_FUZZ_CHECK(found == logicalStart);
    cut = cut * 1103515245u + 12345u;
  }
  for (uint64_t offset : {uint64_t{0}, uint64_t{length}, uint64_t{length} + 5, uint64_t{cut} % (length + 1)}) {
    const uint64_t found = FindLineStart(bytes, length, 0, offset, options.encoding, textStart, maxBytes);
    PX_FUZZ_CHECK(found >= textStart && found <= std::max<uint64_t>(textStart, std::min<uint64_t>(offset, length)));
  }

  // Hex lines: one layout whatever the bytes, the characters column where the full line has it.
  const int digits = HexOffsetDigits(uint64_t{cut} << (cutSeed % 40));
  const size_t column = static_cast<size_t>(digits) + 2 + kHexLineBytes * 3 + 2;
  for (size_t pos = 0; pos < length && pos < 4096; pos += kHexLineBytes) {
    const size_t count = std::min(kHexLineBytes, length - pos);
    const std::string line = HexLine(pos, bytes + pos, count, digits);
    PX_FUZZ_CHECK(line.size() == column + count);
    for (char c : line) PX_FUZZ_CHECK(c >= 0x20 && c < 0x7F);
  }
  return 0;
}
