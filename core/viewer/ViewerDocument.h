// What the viewer shows of a file, one screen at a time: display lines of
// text (or hex lines) from any offset, and the moves between them (a line
// up or down, the line holding an offset, the last page), each reading only
// a bounded span around the view. Offsets are the only position: the count
// of lines of a large file is never known, so the scroll bar maps to bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/viewer/PagedFile.h"
#include "core/viewer/TextDecode.h"

namespace px {

enum class ViewerMode { kText, kHex };

struct ShownLines {
  std::vector<DisplayLine> lines;
  bool failed = false;  // a read failed: the lines are those before it
};

class ViewerDocument {
 public:
  explicit ViewerDocument(PagedFile& file) : file_(file) {}

  // Text: how to decode, and where the text begins (past a byte order mark).
  void SetText(const DecodeOptions& options, uint64_t textStart);
  void SetMode(ViewerMode mode) { mode_ = mode; }
  ViewerMode Mode() const { return mode_; }
  const DecodeOptions& Options() const { return options_; }
  uint64_t TextStart() const { return mode_ == ViewerMode::kHex ? 0 : textStart_; }
  uint64_t Size() const { return file_.Size(); }

  // Up to count lines from top, which should be a line's start (LineAt).
  ShownLines LinesFrom(uint64_t top, size_t count);
  // The start of the display line that holds offset (an offset at or past the
  // end gives the start of the last line).
  uint64_t LineAt(uint64_t offset);
  // The start of the line before the one that starts at top; the first
  // line's start stays where it is.
  uint64_t LineBefore(uint64_t top);
  // The start of the line after the one that starts at top; the last line's
  // start stays where it is.
  uint64_t LineAfter(uint64_t top);
  // Moves top by lines (negative: up), stopping at the first and last line.
  uint64_t Scroll(uint64_t top, long lines);
  // The top that shows the file's last line on the last of rows rows.
  uint64_t LastPageTop(size_t rows);
  // Whether any read since the last call of this failed (then cleared).
  bool TakeFailed();

 private:
  // The display lines of the text from `from`, read until past `until` (or
  // until `count` lines are had, whichever comes first).
  ShownLines Decode(uint64_t from, uint64_t until, size_t count, bool forScreen);
  uint64_t Unit() const;
  // The start of the logical line holding offset, looking back at most lookBack bytes.
  uint64_t LogicalStart(uint64_t offset, size_t lookBack);

  PagedFile& file_;
  DecodeOptions options_;
  uint64_t textStart_ = 0;
  ViewerMode mode_ = ViewerMode::kText;
  bool failed_ = false;
  std::vector<uint8_t> buffer_;
};

// Whether the first bytes of a file look like data rather than text, so the
// viewer starts in hex: a NUL byte (text in UTF-16 starts with its byte
// order mark) or many control characters other than tab, line ends, form
// feed and escape.
bool LooksBinary(const uint8_t* bytes, size_t size);

enum class LineSeek { kFound, kPastEnd, kFailed, kStopped };
struct LineSeekResult {
  LineSeek status = LineSeek::kFound;
  uint64_t offset = 0;  // the line's start; past the end, the last line's
  uint64_t lines = 0;   // line ends passed
};

// The start of line `line` (1 for the first) of the text, counting CR LF, LF
// and CR as one line end each; keepGoing(reached) is asked after each chunk.
// Reads the file from textStart on, a chunk at a time.
LineSeekResult FindLineNumber(PagedFile& file, ViewerEncoding encoding, uint64_t textStart, uint64_t line,
                              const std::function<bool(uint64_t reached)>& keepGoing);

}  // namespace px
