// The quick search of a panel: the rows whose names match the text typed so
// far, for moving the cursor to them or for showing only them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/panel/EntryTable.h"

namespace px {

struct QuickSearchOptions {
  // The typed text may stand anywhere in a name, not only at its start. A
  // text that begins with "*" is searched anywhere whatever this says.
  bool contains = false;
  // Next and Previous go round from the last row to the first and back.
  bool wrap = true;
};

// The typed text compiled once: case folded as the panel folds names, cut at
// its "*"s. "?" takes one character, "*" any run of characters, and an
// implied "*" ends the text, so "re" finds "readme.txt" and "r*me" finds it
// too. Unlike a selection mask, a part after a "*" is found wherever it
// stands ("*ab" finds "aab"). Names are compared through
// PanelEntry::foldedName; the parent row never matches. An empty text (or one
// of "*"s only) matches every other row.
//
// Each call below looks at every row at most once; a name costs at most its
// length times the text's length, so one key press is one pass over the rows.
class QuickSearch {
 public:
  explicit QuickSearch(std::string_view typed, QuickSearchOptions options = {});

  bool Matches(const PanelEntry& entry) const;
  // Matches every row but the parent.
  bool MatchesAll() const { return segments_.empty(); }

  // Rows are those of table.rows, -1 when no row matches. A row beyond the
  // table counts as one before the first row for the forward calls and as
  // one after the last row for Previous.
  //
  // The row to show as the text grows: `from` itself when it matches, else
  // the next matching row after it (round to the first row when wrap is on).
  long FirstFrom(const EntryTable& table, size_t from) const;
  // The next matching row after cursor (round to the first row when wrap is
  // on, which may give cursor itself when it is the only match).
  long Next(const EntryTable& table, size_t cursor) const;
  // The same backwards.
  long Previous(const EntryTable& table, size_t cursor) const;

  // The rows a quick filter shows, in row order: the parent row always, and
  // every file and folder that matches.
  std::vector<size_t> FilterRows(const EntryTable& table) const;

 private:
  // One character of the folded text: its bytes, or none for "?".
  struct Token {
    uint32_t offset = 0;  // into folded_
    uint32_t length = 0;  // 0 for "?"
  };
  // The tokens between two "*"s.
  struct Segment {
    uint32_t first = 0;  // into tokens_
    uint32_t count = 0;
  };

  // Whether segment matches the name from byte pos on; end gets the byte after it.
  bool MatchesAt(std::string_view name, size_t pos, const Segment& segment, size_t& end) const;
  bool MatchesName(std::string_view foldedName) const;
  bool MatchesRow(const EntryTable& table, size_t row) const;

  std::string folded_;
  std::vector<Token> tokens_;
  std::vector<Segment> segments_;  // empty ones left out
  bool anchored_ = true;           // the first segment must stand at the start of a name
  std::string lead_;               // bytes every match begins with (anchored only)
  bool wrap_ = true;
};

}  // namespace px
