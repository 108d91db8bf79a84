// The viewer's screens of lines and the moves between them (see the header).
#include "core/viewer/ViewerDocument.h"

#include <algorithm>

#include "core/viewer/HexLines.h"

namespace px {

namespace {

constexpr size_t kSpanBytes = 64 * 1024;
constexpr size_t kSeekChunk = 1024 * 1024;
constexpr size_t kFirstLookBack = 4096;

bool IsUtf16(ViewerEncoding encoding) {
  return encoding == ViewerEncoding::kUtf16Le || encoding == ViewerEncoding::kUtf16Be;
}

}  // namespace

void ViewerDocument::SetText(const DecodeOptions& options, uint64_t textStart) {
  options_ = options;
  textStart_ = textStart;
}

uint64_t ViewerDocument::Unit() const { return IsUtf16(options_.encoding) ? 2 : 1; }

bool ViewerDocument::TakeFailed() {
  const bool failed = failed_;
  failed_ = false;
  return failed;
}

ShownLines ViewerDocument::Decode(uint64_t from, uint64_t until, size_t count, bool forScreen) {
  ShownLines shown;
  DecodeOptions options = options_;
  // Where each column's character begins is wanted only for lines on screen.
  options.columnOffsets = forScreen && options_.columnOffsets;
  const uint64_t size = file_.Size();
  const size_t least = SpanBytesForProgress(options);
  uint64_t pos = from;
  while (pos < size && shown.lines.size() < count) {
    // Just enough to pass `until` first, then whole spans.
    size_t want = kSpanBytes;
    if (until >= pos && until - pos < kSpanBytes) want = static_cast<size_t>(until - pos) + least;
    want = std::max(want, least);
    buffer_.resize(want);
    const ReadResult read = file_.CopyOut(pos, buffer_.data(), want);
    if (read.failed) {
      shown.failed = failed_ = true;
      if (read.bytes == 0) break;
    }
    const bool atEnd = read.failed || read.bytes < want || pos + read.bytes >= size;
    DecodedSpan span = DecodeLines(buffer_.data(), read.bytes, pos, options, atEnd);
    for (DisplayLine& line : span.lines) shown.lines.push_back(std::move(line));
    if (atEnd || span.nextOffset <= pos) break;
    pos = span.nextOffset;
    // Asked for the lines up to `until`: every line starting there or before is had.
    if (count == SIZE_MAX && pos > until) break;
  }
  return shown;
}

ShownLines ViewerDocument::LinesFrom(uint64_t top, size_t count) {
  if (mode_ == ViewerMode::kText) {
    ShownLines shown = Decode(top, top, count, true);
    if (shown.lines.size() > count) shown.lines.resize(count);
    return shown;
  }
  ShownLines shown;
  const uint64_t size = file_.Size();
  const int digits = HexOffsetDigits(size);
  buffer_.resize(kHexLineBytes * std::min<size_t>(count, 4096));
  for (uint64_t pos = top; pos < size && shown.lines.size() < count;) {
    const size_t lines = std::min<size_t>(count - shown.lines.size(), 4096);
    const ReadResult read = file_.CopyOut(pos, buffer_.data(), lines * kHexLineBytes);
    for (size_t at = 0; at < read.bytes; at += kHexLineBytes) {
      const size_t bytes = std::min(kHexLineBytes, read.bytes - at);
      shown.lines.push_back({pos + at, HexLine(pos + at, buffer_.data() + at, bytes, digits), true});
    }
    if (read.failed) shown.failed = failed_ = true;
    if (read.failed || read.bytes < lines * kHexLineBytes) break;
    pos += read.bytes;
  }
  return shown;
}

uint64_t ViewerDocument::LineAt(uint64_t offset) {
  const uint64_t size = file_.Size();
  if (mode_ == ViewerMode::kHex) {
    offset = std::min(offset, size > 0 ? size - 1 : 0);
    return offset - offset % kHexLineBytes;
  }
  const uint64_t start = std::min(textStart_, size);
  if (offset <= start) return start;
  if (offset >= size) return Scroll(size, -1);
  // The line's logical start, then the display line from there that holds offset.
  const uint64_t lineStart = LogicalStart(offset, MaxLineBytes(options_));
  const ShownLines shown = Decode(lineStart, offset, SIZE_MAX, false);
  uint64_t best = lineStart;
  for (const DisplayLine& line : shown.lines) {
    if (line.offset > offset) break;
    best = line.offset;
  }
  return best;
}

uint64_t ViewerDocument::Scroll(uint64_t top, long lines) {
  const uint64_t size = file_.Size();
  if (lines == 0) return top;
  if (mode_ == ViewerMode::kHex) {
    const uint64_t last = LineAt(size);
    const uint64_t step = static_cast<uint64_t>(lines < 0 ? -lines : lines) * kHexLineBytes;
    if (lines < 0) return top > step ? top - step : 0;
    return std::min(top + step, last);
  }
  const uint64_t start = std::min(textStart_, size);
  if (lines > 0) {
    const ShownLines shown = Decode(top, top, static_cast<size_t>(lines) + 1, false);
    if (shown.lines.empty()) return top;
    const size_t index = std::min(static_cast<size_t>(lines), shown.lines.size() - 1);
    // The last line of a file that ends with a line end is its last line:
    // no empty line follows it to scroll to.
    return shown.lines[index].offset;
  }
  uint64_t remaining = static_cast<uint64_t>(-lines);
  // Inside a line longer than the look-back, the cut falls a whole number
  // of look-backs above the current line, so the lines above a line cut at
  // a fixed width keep their grid.
  const size_t lookBack = 2 * MaxLineBytes(options_) - static_cast<size_t>(Unit());
  uint64_t current = top;
  while (remaining > 0 && current > start) {
    const uint64_t before = current - std::min<uint64_t>(Unit(), current - start);
    const uint64_t lineStart = LogicalStart(before, lookBack);
    // current starts a line, so the lines before it end there: exactly
    // those bytes are decoded, as a span that ends the text.
    std::vector<uint64_t> starts;
    buffer_.resize(static_cast<size_t>(current - lineStart));
    const ReadResult read = file_.CopyOut(lineStart, buffer_.data(), buffer_.size());
    if (read.failed) failed_ = true;
    DecodeOptions options = options_;
    options.columnOffsets = false;
    for (const DisplayLine& line : DecodeLines(buffer_.data(), read.bytes, lineStart, options, true).lines)
      starts.push_back(line.offset);
    if (starts.empty()) {
      if (lineStart >= current) break;
      starts.push_back(lineStart);
    }
    const size_t take = static_cast<size_t>(std::min<uint64_t>(remaining, starts.size()));
    current = starts[starts.size() - take];
    remaining -= take;
  }
  return current;
}

uint64_t ViewerDocument::LogicalStart(uint64_t offset, size_t lookBack) {
  const uint64_t textStart = std::min(textStart_, file_.Size());
  // Most lines are short: a small window first, the whole look-back only
  // when no line end was found in it.
  for (size_t window : {std::min<size_t>(kFirstLookBack, lookBack), lookBack}) {
    const uint64_t windowStart = offset > window + 2 ? offset - window - 2 : 0;
    buffer_.resize(static_cast<size_t>(offset - windowStart) + 2);
    const ReadResult read = file_.CopyOut(windowStart, buffer_.data(), buffer_.size());
    if (read.failed) failed_ = true;
    const uint64_t start =
        FindLineStart(buffer_.data(), read.bytes, windowStart, offset, options_.encoding, textStart, window);
    // Found inside the window (or at the text's start): the same as the whole look-back finds.
    if (window == lookBack || start <= textStart || start > offset - std::min<uint64_t>(offset, window) + 4)
      return start;
  }
  return offset;
}

uint64_t ViewerDocument::LineBefore(uint64_t top) { return Scroll(top, -1); }
uint64_t ViewerDocument::LineAfter(uint64_t top) { return Scroll(top, 1); }

uint64_t ViewerDocument::LastPageTop(size_t rows) {
  const uint64_t last = LineAt(file_.Size());
  return rows > 1 ? Scroll(last, -static_cast<long>(rows - 1)) : last;
}

bool LooksBinary(const uint8_t* bytes, size_t size) {
  if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) return false;
  size_t controls = 0;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = bytes[i];
    if (b == 0) return true;
    if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1B) ++controls;
  }
  return controls * 10 > size;
}

LineSeekResult FindLineNumber(PagedFile& file, ViewerEncoding encoding, uint64_t textStart, uint64_t line,
                              const std::function<bool(uint64_t reached)>& keepGoing) {
  LineSeekResult result;
  const uint64_t size = file.Size();
  textStart = std::min(textStart, size);
  result.offset = textStart;
  if (line <= 1) return result;
  const bool utf16 = IsUtf16(encoding);
  const bool bigEndian = encoding == ViewerEncoding::kUtf16Be;
  const uint64_t unit = utf16 ? 2 : 1;
  std::vector<uint8_t> buffer(kSeekChunk);
  uint64_t lastStart = textStart;  // the start of the line after the last line end
  uint64_t previousStart = textStart;
  bool pendingCr = false;  // a CR ended the last chunk: an LF right after it is part of its line end
  uint64_t pos = textStart;
  // A line start at the very end follows the last line end: no line is there.
  const auto found = [&](uint64_t offset) {
    result.offset = offset;
    if (offset >= size) {
      result.status = LineSeek::kPastEnd;
      result.offset = previousStart;
    }
    return result;
  };
  const auto lineEnd = [&](uint64_t next) {
    previousStart = lastStart;
    lastStart = next;
    ++result.lines;
    return result.lines + 1 == line;
  };
  while (pos + unit <= size) {
    const ReadResult read = file.CopyOut(pos, buffer.data(), buffer.size());
    const size_t usable = static_cast<size_t>(read.bytes - read.bytes % unit);
    for (size_t at = 0; at < usable; at += unit) {
      const char16_t code = utf16 ? (bigEndian ? buffer[at] << 8 | buffer[at + 1] : buffer[at] | buffer[at + 1] << 8)
                                  : buffer[at];
      const uint64_t here = pos + at;
      if (pendingCr) {
        pendingCr = false;
        if (code == '\n') {
          // The LF completes the CR's line end: the line starts after it.
          lastStart = here + unit;
          if (result.lines + 1 == line) return found(lastStart);
          continue;
        }
        if (result.lines + 1 == line) return found(lastStart);
      }
      if (code == '\n') {
        if (lineEnd(here + unit)) return found(lastStart);
      } else if (code == '\r') {
        // Counted now; whether an LF follows decides only where the line starts.
        previousStart = lastStart;
        lastStart = here + unit;
        ++result.lines;
        pendingCr = true;
      }
    }
    if (read.failed) {
      result.status = LineSeek::kFailed;
      result.offset = pos + usable;
      return result;
    }
    if (usable == 0) break;
    pos += usable;
    if (keepGoing && !keepGoing(pos)) {
      result.status = LineSeek::kStopped;
      result.offset = pos;
      return result;
    }
  }
  if (pendingCr && result.lines + 1 == line) return found(lastStart);
  // Fewer lines than asked: the last line, which is the one before the
  // final line end when nothing follows it.
  result.status = LineSeek::kPastEnd;
  result.offset = lastStart >= size && result.lines > 0 ? previousStart : lastStart;
  return result;
}

}  // namespace px
