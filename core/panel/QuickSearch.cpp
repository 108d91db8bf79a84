// Matching typed text against a panel's rows (see the header).
#include "core/panel/QuickSearch.h"

#include "core/text/CaseFold.h"
#include "core/text/Utf.h"

namespace px {
namespace {

// Byte after the character at pos: a code point, or one malformed byte, as
// the folded names were built.
size_t CharEnd(std::string_view text, size_t pos) {
  DecodeUtf8(text, pos);
  return pos;
}

}  // namespace

QuickSearch::QuickSearch(std::string_view typed, QuickSearchOptions options)
    : folded_(FoldName(typed)), wrap_(options.wrap) {
  // "*" and "?" are ASCII and never stand inside another character's bytes,
  // so the folded text is cut at them directly.
  anchored_ = !options.contains && (folded_.empty() || folded_[0] != '*');
  Segment segment;
  auto close = [&] {
    if (segment.count != 0) segments_.push_back(segment);
    segment = Segment{static_cast<uint32_t>(tokens_.size()), 0};
  };
  for (size_t pos = 0; pos < folded_.size();) {
    const char c = folded_[pos];
    if (c == '*') {
      close();
      ++pos;
      continue;
    }
    Token token{static_cast<uint32_t>(pos), 0};
    const size_t end = c == '?' ? pos + 1 : CharEnd(folded_, pos);
    if (c != '?') token.length = static_cast<uint32_t>(end - pos);
    tokens_.push_back(token);
    ++segment.count;
    pos = end;
  }
  close();
  // What an anchored text's first characters are, up to the first "?":
  // a name must begin with these bytes, which one comparison tells.
  if (anchored_ && !segments_.empty()) {
    const Segment& first = segments_[0];
    for (uint32_t i = 0; i < first.count && tokens_[first.first + i].length != 0; ++i) {
      const Token& token = tokens_[first.first + i];
      lead_.append(folded_, token.offset, token.length);
    }
  }
}

bool QuickSearch::MatchesAt(std::string_view name, size_t pos, const Segment& segment,
                            size_t& end) const {
  for (uint32_t i = 0; i < segment.count; ++i) {
    if (pos >= name.size()) return false;
    const Token& token = tokens_[segment.first + i];
    const size_t next = CharEnd(name, pos);
    if (token.length != 0 &&
        name.substr(pos, next - pos) != std::string_view(folded_).substr(token.offset, token.length))
      return false;
    pos = next;
  }
  end = pos;
  return true;
}

bool QuickSearch::MatchesName(std::string_view name) const {
  // Most names fail on their first bytes: no character is decoded for them.
  if (name.compare(0, lead_.size(), lead_) != 0) return false;
  size_t pos = 0;
  for (size_t i = 0; i < segments_.size(); ++i) {
    const Segment& segment = segments_[i];
    size_t end = 0;
    if (i == 0 && anchored_) {
      if (!MatchesAt(name, 0, segment, end)) return false;
      pos = end;
      continue;
    }
    // The text ends with an implied "*", so taking each part at its first
    // place loses no match: what follows it has the most room left.
    for (;;) {
      if (MatchesAt(name, pos, segment, end)) break;
      if (pos >= name.size()) return false;
      pos = CharEnd(name, pos);
    }
    pos = end;
  }
  return true;
}

bool QuickSearch::Matches(const PanelEntry& entry) const {
  if (entry.IsParent()) return false;
  // Tables are built with folded names; one made by hand may lack them.
  if (entry.foldedName.empty() && !entry.name.empty()) return MatchesName(FoldName(entry.name));
  return MatchesName(entry.foldedName);
}

bool QuickSearch::MatchesRow(const EntryTable& table, size_t row) const {
  return table.rows[row] < table.entries.size() && Matches(table.AtRow(row));
}

long QuickSearch::FirstFrom(const EntryTable& table, size_t from) const {
  const size_t count = table.RowCount();
  if (from >= count) from = 0;
  for (size_t row = from; row < count; ++row) {
    if (MatchesRow(table, row)) return static_cast<long>(row);
  }
  if (!wrap_) return -1;
  for (size_t row = 0; row < from; ++row) {
    if (MatchesRow(table, row)) return static_cast<long>(row);
  }
  return -1;
}

long QuickSearch::Next(const EntryTable& table, size_t cursor) const {
  const size_t count = table.RowCount();
  if (count == 0) return -1;
  if (cursor >= count) return FirstFrom(table, 0);
  for (size_t row = cursor + 1; row < count; ++row) {
    if (MatchesRow(table, row)) return static_cast<long>(row);
  }
  if (!wrap_) return -1;
  for (size_t row = 0; row <= cursor; ++row) {
    if (MatchesRow(table, row)) return static_cast<long>(row);
  }
  return -1;
}

long QuickSearch::Previous(const EntryTable& table, size_t cursor) const {
  const size_t count = table.RowCount();
  if (count == 0) return -1;
  // A cursor beyond the table stands after the last row: every row comes before it.
  const size_t start = cursor >= count ? count : cursor;
  for (size_t row = start; row-- > 0;) {
    if (MatchesRow(table, row)) return static_cast<long>(row);
  }
  if (!wrap_ || start == count) return -1;
  for (size_t row = count; row-- > start;) {
    if (MatchesRow(table, row)) return static_cast<long>(row);
  }
  return -1;
}

std::vector<size_t> QuickSearch::FilterRows(const EntryTable& table) const {
  std::vector<size_t> shown;
  for (size_t row = 0; row < table.RowCount(); ++row) {
    if (table.rows[row] >= table.entries.size()) continue;
    const PanelEntry& entry = table.AtRow(row);
    if (entry.IsParent() || Matches(entry)) shown.push_back(row);
  }
  return shown;
}

}  // namespace px
