// The quick search: which names a typed text finds, moving between the rows
// it finds, and the rows a quick filter shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/panel/QuickSearch.h"
#include "core/text/CaseFold.h"
#include "core/text/Utf.h"

namespace px {
namespace {

PanelEntry Entry(const std::string& name, EntryKind kind = EntryKind::kFile) {
  PanelEntry entry;
  entry.name = name;
  entry.foldedName = FoldName(name);
  entry.kind = kind;
  return entry;
}

PanelEntry Parent() { return Entry("", EntryKind::kParent); }

// A table whose rows show the entries in the given order of entry indices.
EntryTable Table(std::vector<PanelEntry> entries, std::vector<uint32_t> rows = {}) {
  EntryTable table;
  table.entries = std::move(entries);
  if (rows.empty()) {
    for (uint32_t i = 0; i < table.entries.size(); ++i) rows.push_back(i);
  }
  table.rows = std::move(rows);
  return table;
}

TEST(QuickSearch, WhichNamesATextFinds) {
  static const struct {
    const char* name;
    const char* typed;
    bool contains;
    bool match;
  } kCases[] = {
      {"readme.txt", "re", false, true},
      {"readme.txt", "RE", false, true},
      {"readme.txt", "me", false, false},
      {"readme.txt", "me", true, true},
      {"readme.txt", "*me", false, true},  // a leading "*" searches anywhere
      {"readme.txt", "readme.txt", false, true},
      {"readme.txt", "readme.txt2", false, false},
      {"readme.txt", "", false, true},
      {"readme.txt", "*", false, true},
      {"readme.txt", "**", true, true},
      {"readme.txt", "r?a", false, true},
      {"readme.txt", "r?e", false, false},
      {"readme.txt", "r*.t", false, true},
      {"readme.txt", "r*.doc", false, false},
      {"readme.txt", "?*?*?*t", false, true},
      {"ab", "???", true, false},
      // Each part after a "*" is found wherever it stands, unlike in masks.
      {"aab", "*ab", false, true},
      {"xaab", "ab", true, true},
      {"abcabd", "a*bd", false, true},
      {"abcab", "a*bd", false, false},
      // Every script folds as the panel folds names.
      {"\xC3\x84rger", "\xC3\xA4R", false, true},                     // Ärger / äR
      {"\xD0\x96\xD1\x83\xD0\xBA", "\xD0\xB6?\xD0\x9A", false, true},  // Жук / ж?К
      {"\xD0\xB6\xD1\x83\xD0\xBA", "\xD0\xA3", true, true},            // жук / У
      {"Stra\xC3\x9F" "e", "STRA\xE1\xBA\x9E", false, true},           // Straße / STRAẞ
      {"Stra\xC3\x9F" "e", "strasse", false, false},                   // ß is one letter, not "ss"
      {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83", false, true},  // ΟΔΟΣ / οδοσ
      {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82", false, false},  // final ς is a letter of its own
      {"I\xC5\x9F\xC4\xB1k", "i\xC5\x9F", false, true},   // Işık / iş: I folds to i
      {"I\xC5\x9F\xC4\xB1k", "\xC4\xB1\xC5\x9F", false, false},  // ış: dotless ı is not I
      {"\xC4\xB1l\xC4\xB1k", "\xC4\xB1L", false, true},  // ılık / ıL
      {"\xC4\xB0zmir", "iz", false, false},               // İzmir: İ folds to itself
      {"\xC4\xB0zmir", "\xC4\xB0Z", false, true},
      // "?" takes a whole character, a malformed byte being one.
      {"\xE5\x90\x8D\xE5\x89\x8D.txt", "??.txt", false, true},  // 名前.txt
      {"\xE5\x90\x8D\xE5\x89\x8D.txt", "?.txt", false, false},
      {"\xE5\x90\x8D\xE5\x89\x8D.txt", "\xE5\x89\x8D", true, true},
      {"\xC4x", "?x", false, true},
      {"\xC4x", "\xC3\xA4", false, false},  // the byte is not the letter of that number
      {"a\xC3\xA4", "\xC3", true, false},   // a malformed typed byte is not part of ä
  };
  for (const auto& c : kCases) {
    QuickSearchOptions options;
    options.contains = c.contains;
    EXPECT_EQ(QuickSearch(c.typed, options).Matches(Entry(c.name)), c.match)
        << c.name << " / " << c.typed << (c.contains ? " (anywhere)" : "");
  }
}

TEST(QuickSearch, TheParentNeverMatchesFoldersDo) {
  for (const char* typed : {"", "*", "?", ".", "..", "s"}) {
    const QuickSearch search(typed);
    EXPECT_FALSE(search.Matches(Parent())) << typed;
  }
  EXPECT_TRUE(QuickSearch("su").Matches(Entry("Sub", EntryKind::kFolder)));
  EXPECT_TRUE(QuickSearch("").MatchesAll());
  EXPECT_TRUE(QuickSearch("**").MatchesAll());
  EXPECT_FALSE(QuickSearch("?").MatchesAll());
  // A hand-made entry without a folded name is folded on the way.
  PanelEntry bare;
  bare.name = "\xD0\x96\xD1\x83\xD0\xBA";
  EXPECT_TRUE(QuickSearch("\xD0\xB6").Matches(bare));
}

TEST(QuickSearch, FilterKeepsTheParentAndMatchingRowsInRowOrder) {
  // Rows in another order than the entries, as after sorting.
  const EntryTable table = Table({Entry("beta.txt"), Parent(), Entry("Bin", EntryKind::kFolder),
                                  Entry("alpha.txt"), Entry("build", EntryKind::kFolder),
                                  Entry("b.log")},
                                 {1, 2, 4, 5, 0, 3});
  EXPECT_EQ(QuickSearch("b").FilterRows(table), (std::vector<size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(QuickSearch("bu").FilterRows(table), (std::vector<size_t>{0, 2}));
  EXPECT_EQ(QuickSearch("txt", {true}).FilterRows(table), (std::vector<size_t>{0, 4, 5}));
  EXPECT_EQ(QuickSearch("zzz").FilterRows(table), (std::vector<size_t>{0}));
  EXPECT_EQ(QuickSearch("").FilterRows(table).size(), table.RowCount());
  EXPECT_TRUE(QuickSearch("").FilterRows(EntryTable()).empty());
}

TEST(QuickSearch, MovesBetweenMatchingRows) {
  // Rows: 0 parent, 1 apple, 2 banana, 3 avocado, 4 cherry, 5 apricot
  const EntryTable table = Table({Parent(), Entry("apple"), Entry("banana"), Entry("avocado"),
                                  Entry("cherry"), Entry("apricot")});
  const QuickSearch a("a");
  const QuickSearch stopping("a", {false, false});
  static const struct {
    size_t cursor;
    long firstFrom, next, previous;        // wrapping
    long firstNoWrap, nextNoWrap, previousNoWrap;
  } kCases[] = {
      {0, 1, 1, 5, 1, 1, -1},
      {1, 1, 3, 5, 1, 3, -1},
      {2, 3, 3, 1, 3, 3, 1},
      {3, 3, 5, 1, 3, 5, 1},
      {4, 5, 5, 3, 5, 5, 3},
      {5, 5, 1, 3, 5, -1, 3},
      {6, 1, 1, 5, 1, 1, 5},   // beyond the table: before the first row going on,
      {99, 1, 1, 5, 1, 1, 5},  // after the last going back
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(a.FirstFrom(table, c.cursor), c.firstFrom) << c.cursor;
    EXPECT_EQ(a.Next(table, c.cursor), c.next) << c.cursor;
    EXPECT_EQ(a.Previous(table, c.cursor), c.previous) << c.cursor;
    EXPECT_EQ(stopping.FirstFrom(table, c.cursor), c.firstNoWrap) << c.cursor;
    EXPECT_EQ(stopping.Next(table, c.cursor), c.nextNoWrap) << c.cursor;
    EXPECT_EQ(stopping.Previous(table, c.cursor), c.previousNoWrap) << c.cursor;
  }
  // The only match is found again from itself when going round.
  const QuickSearch ch("ch");
  EXPECT_EQ(ch.Next(table, 4), 4);
  EXPECT_EQ(ch.Previous(table, 4), 4);
  EXPECT_EQ(QuickSearch("ch", {false, false}).Next(table, 4), -1);
  // Nothing matches; an empty table has nothing.
  for (size_t cursor : {0u, 3u, 9u}) {
    EXPECT_EQ(QuickSearch("x").FirstFrom(table, cursor), -1);
    EXPECT_EQ(QuickSearch("x").Next(table, cursor), -1);
    EXPECT_EQ(QuickSearch("x").Previous(table, cursor), -1);
    EXPECT_EQ(QuickSearch("").FirstFrom(EntryTable(), cursor), -1);
    EXPECT_EQ(QuickSearch("").Next(EntryTable(), cursor), -1);
    EXPECT_EQ(QuickSearch("").Previous(EntryTable(), cursor), -1);
  }
}

// A plain glob match over folded code points, trying every split (no
// shortcut), as the reference for the generated cases.
bool GlobMatches(const std::u32string& text, const std::u32string& pattern) {
  std::vector<std::vector<char>> can(text.size() + 1, std::vector<char>(pattern.size() + 1, 0));
  can[text.size()][pattern.size()] = 1;
  for (size_t j = pattern.size(); j-- > 0;) {
    for (size_t i = text.size() + 1; i-- > 0;) {
      if (pattern[j] == U'*') {
        can[i][j] = can[i][j + 1] || (i < text.size() && can[i + 1][j]);
      } else {
        can[i][j] = i < text.size() && (pattern[j] == U'?' || pattern[j] == text[i]) && can[i + 1][j + 1];
      }
    }
  }
  return can[0][0];
}

std::u32string FoldedCodePoints(const std::string& text) {
  std::u32string out;
  for (size_t pos = 0; pos < text.size();) out += FoldCase(DecodeUtf8(text, pos));
  return out;
}

bool ReferenceMatch(const PanelEntry& entry, const std::string& typed, bool contains) {
  if (entry.IsParent()) return false;
  return GlobMatches(FoldedCodePoints(entry.name),
                     (contains ? U"*" : U"") + FoldedCodePoints(typed) + U"*");
}

TEST(QuickSearch, GeneratedCasesAgreeWithAPlainSearch) {
  static const char* const kLetters[] = {
      "a", "A", "b", "B", ".", "\xC3\x9F", "\xE1\xBA\x9E", "\xCF\x83", "\xCE\xA3", "\xCF\x82",
      "\xC4\xB1", "I", "i", "\xC4\xB0", "\xD0\xB6", "\xD0\x96", "\xC3\xA9", "\xC3\x89", "\xE5\x90\x8D"};
  std::mt19937 random(20240611);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  auto word = [&](size_t maxLength, bool wildcards) {
    std::string text;
    const size_t length = pick(maxLength + 1);
    for (size_t k = 0; k < length; ++k) {
      const size_t r = pick(std::size(kLetters) + (wildcards ? 3 : 0));
      text += r < std::size(kLetters) ? kLetters[r] : (r == std::size(kLetters) ? "*" : "?");
    }
    return text;
  };

  for (int round = 0; round < 300; ++round) {
    std::vector<PanelEntry> entries;
    const size_t count = pick(12);
    for (size_t k = 0; k < count; ++k) {
      std::string name = word(6, false);
      if (name.empty()) name = "a";
      entries.push_back(Entry(name, pick(3) == 0 ? EntryKind::kFolder : EntryKind::kFile));
    }
    if (pick(2) == 0) entries.push_back(Parent());
    std::vector<uint32_t> rows(entries.size());
    for (uint32_t k = 0; k < rows.size(); ++k) rows[k] = k;
    std::shuffle(rows.begin(), rows.end(), random);
    const EntryTable table = Table(entries, rows);
    const size_t n = table.RowCount();

    for (int t = 0; t < 8; ++t) {
      const std::string typed = word(4, true);
      const bool contains = pick(2) == 0;
      for (const bool wrap : {true, false}) {
        const QuickSearch search(typed, {contains, wrap});
        std::vector<bool> match(n);
        std::vector<size_t> filtered;
        for (size_t row = 0; row < n; ++row) {
          match[row] = ReferenceMatch(table.AtRow(row), typed, contains);
          ASSERT_EQ(search.Matches(table.AtRow(row)), match[row])
              << table.AtRow(row).name << " / " << typed << (contains ? " (anywhere)" : "");
          if (match[row] || table.AtRow(row).IsParent()) filtered.push_back(row);
        }
        ASSERT_EQ(search.FilterRows(table), filtered) << typed;
        // Each cursor, and one beyond the table, against a walk over the rows.
        for (size_t cursor = 0; cursor <= n; ++cursor) {
          long first = -1, next = -1, previous = -1;
          const size_t from = cursor < n ? cursor : 0;
          for (size_t step = 0; step < n && first < 0; ++step) {
            const size_t row = from + step;
            if (row >= n && !wrap) break;
            if (match[row % n]) first = static_cast<long>(row % n);
          }
          for (size_t step = 1; step <= n && next < 0; ++step) {
            const size_t row = cursor < n ? cursor + step : step - 1;
            if (row >= n && (!wrap || cursor >= n)) break;
            if (match[row % n]) next = static_cast<long>(row % n);
          }
          for (size_t step = 1; step <= n && previous < 0; ++step) {
            const long row = static_cast<long>(cursor < n ? cursor : n) - static_cast<long>(step);
            if (row < 0 && (!wrap || cursor >= n)) break;
            if (match[static_cast<size_t>((row + static_cast<long>(n)) % static_cast<long>(n))])
              previous = (row + static_cast<long>(n)) % static_cast<long>(n);
          }
          ASSERT_EQ(search.FirstFrom(table, cursor), first) << typed << " from " << cursor;
          ASSERT_EQ(search.Next(table, cursor), next) << typed << " after " << cursor;
          ASSERT_EQ(search.Previous(table, cursor), previous) << typed << " before " << cursor;
        }
      }
      // Typing on only narrows what the filter shows, and searching anywhere
      // is the same as a leading "*".
      const std::string longer = typed + word(1, true);
      const std::vector<size_t> wide = QuickSearch(typed, {contains}).FilterRows(table);
      for (size_t row : QuickSearch(longer, {contains}).FilterRows(table))
        ASSERT_TRUE(std::binary_search(wide.begin(), wide.end(), row)) << typed << " -> " << longer;
      ASSERT_EQ(QuickSearch(typed, {true}).FilterRows(table), QuickSearch("*" + typed).FilterRows(table));
    }
  }
}

}  // namespace
}  // namespace px
