// Turns a span of a file's bytes into display lines of UTF-8 for the viewer,
// and finds where a line starts before any offset, reading only around the view.
// Nothing here reads a file: the caller hands in spans and their offsets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace px {

enum class ViewerEncoding { kUtf8, kUtf16Le, kUtf16Be, kAnsi, kOem };

struct DetectedEncoding {
  ViewerEncoding encoding = ViewerEncoding::kUtf8;
  size_t bomLength = 0;  // bytes to skip before the text
};

// From the first bytes of a file: a byte order mark, else UTF-8 when the
// bytes are valid UTF-8 (a sequence cut by the end of the sample counts as
// valid, unless the sample is the whole file), else ANSI.
DetectedEncoding DetectEncoding(const uint8_t* bytes, size_t size, bool wholeFile = false);

// The code point of each byte of a single-byte code page, filled by the
// window side from the system's ANSI or OEM code page.
using CodePageTable = std::array<char32_t, 256>;

struct DecodeOptions {
  ViewerEncoding encoding = ViewerEncoding::kUtf8;
  const CodePageTable* codePage = nullptr;  // kAnsi and kOem; null reads bytes as Latin-1
  int tabWidth = 8;                         // 1..64 columns
  int wrapWidth = 0;                        // columns; 0 leaves lines unwrapped
  int maxLineColumns = 4096;                // a longer line goes on in the next display line
  bool columnOffsets = false;               // fill DisplayLine::columns (for the lines on screen)
};

struct DisplayLine {
  uint64_t offset = 0;       // absolute offset of the line's first byte
  std::string text;          // UTF-8, one code point per column
  bool endsLine = false;     // a line end follows (else a wrap, a cut or the end of the data)
  // With DecodeOptions::columnOffsets: for each column, where the character
  // drawn there begins (bytes from offset; a tab's columns share its byte),
  // then where the line's characters end (before any line end).
  std::vector<uint32_t> columns = {};
  bool operator==(const DisplayLine& other) const {
    return offset == other.offset && text == other.text && endsLine == other.endsLine;
  }
};

struct DecodedSpan {
  std::vector<DisplayLine> lines;
  uint64_t nextOffset = 0;  // where the next span must start: the first byte not yet shown
};

// Decodes bytes [offset, offset + size) into whole display lines. Unless
// atEnd says the span ends the file, a line that may go on past the span (an
// unfinished line, a CR whose LF may follow, a cut sequence) is left for the
// next span, which must start at nextOffset; a span of at least
// SpanBytesForProgress(options) bytes always moves nextOffset on.
// What is drawn: tabs as spaces to the next tab stop; U+FFFD for each maximal
// invalid subpart (UTF-8) or lone surrogate (UTF-16) or odd last byte;
// C0 controls and NUL as their control pictures (NUL is U+2400), DEL as
// U+2421, C1 controls and the line and paragraph separators as a middle dot.
// Line ends are CR LF, LF or CR; none follows the last line of a file.
DecodedSpan DecodeLines(const uint8_t* bytes, size_t size, uint64_t offset, const DecodeOptions& options,
                        bool atEnd);

size_t SpanBytesForProgress(const DecodeOptions& options);

// The most bytes a line of maxLineColumns can take: how far FindLineStart
// should look back, and so how many bytes before a view the caller reads.
size_t MaxLineBytes(const DecodeOptions& options);

// The start of the line holding offset: just past the nearest line end
// before it (a CR LF is one end, so an offset at its LF is still in the line
// the CR ends), at most maxBytes back, never before textStart (the text's
// first byte, past a byte order mark). bytes holds the file's bytes from
// bytesOffset on and should cover [offset - maxBytes - 2, offset + 2); what it lacks
// ends the scan. UTF-16 steps in units aligned on textStart; UTF-8 moves a
// cut past continuation bytes.
uint64_t FindLineStart(const uint8_t* bytes, size_t size, uint64_t bytesOffset, uint64_t offset,
                       ViewerEncoding encoding, uint64_t textStart, size_t maxBytes);

}  // namespace px
