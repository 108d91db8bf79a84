// Mask matching and the rows select and deselect by mask touch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/panel/MaskSelection.h"
#include "core/text/Wildcard.h"

namespace px {
namespace {

TEST(Wildcard, MatchPattern) {
  static const struct {
    const char* text;
    const char* pattern;
    bool match;
  } kCases[] = {
      {"aab", "*ab", false},  // no backtracking: the first "a" is taken
      {"xab", "*ab", true},
      {"ab", "ab*x", false},
      {"abcx", "ab*x", true},
      {"anything", "*", true},
      {"", "*", true},
      {"", "", true},
      {"a", "", false},
      {"", "?", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"abc", "ab", false},
      {"ab", "abc", false},
      {"ABC", "abc", true},
      {"abc", "a*", true},
      {"abc", "**", true},
      {"abc", "a**c", true},
      {"abx", "*?x", true},   // same as "?*x"
      {"x", "*?x", false},
      {"\xC3\x84rger", "\xC3\xA4RGER", true},          // Ärger / äRGER
      {"\xD0\x96\xD1\x83\xD0\xBA", "\xD0\xB6?\xD0\x9A", true},  // Жук / ж?К
      {"a\xE5\x90\x8D" "b", "a?b", true},              // "?" takes all three bytes
      {"a\xE5\x90\x8D" "b", "a???b", false},
      {"x\xF0\x9F\x98\x80", "x?", true},
      {"\xE5\x90\x8D\xE5\x89\x8D.txt", "*\xE5\x89\x8D.txt", true},
      {"\xC4", "\xC3\xA4", false},  // a malformed byte is not the letter of that number
      {"\xC4", "?", true},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(MatchPattern(c.text, c.pattern), c.match) << c.text << " / " << c.pattern;
}

TEST(Wildcard, MatchesMask) {
  static const struct {
    const char* name;
    const char* mask;
    bool match;
  } kCases[] = {
      {"readme.txt", "*.*", true},
      {"readme", "*.*", true},
      {".profile", "*.*", true},
      {"notes.txt", "*.txt", true},
      {"notes.txt.bak", "*.txt", false},
      {"a.b.txt", "*.txt", true},
      {"a.b.txt", "a.b.*", true},
      {"a.b.txt", "a.*", false},  // the base is "a.b"
      {"txt", "*.txt", false},
      {"x.DOC", "*.doc", true},
      {"apple.txt", "a*", true},
      {"banana.a", "a*", false},
      {"readme.txt", "readme", true},
      {"readme", "readme", true},
      {"readme2", "readme", false},
      {"readme", "*.", false},
      {"readme.", "*.", true},
      {"readme", "*", true},
      {"readme", "*.?", true},  // the missing extension reads as "*"
      {"ab", "ab*x", false},
      {"\xC3\x84RGER.TXT", "\xC3\xA4rger.txt", true},
      {"readme.txt", "", false},
      {".profile", "", false},
      {"", "*", true},
      {"", "x", false},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " / " << c.mask;
}

EntryTable SampleTable() {
  EntryTable table;
  const struct {
    EntryKind kind;
    const char* name;
  } kEntries[] = {
      {EntryKind::kParent, ""},       {EntryKind::kFolder, "docs"},
      {EntryKind::kFolder, "a.doc"},  {EntryKind::kFile, "b.doc"},
      {EntryKind::kFile, "c.txt"},    {EntryKind::kFile, "A.DOC"},
  };
  for (const auto& e : kEntries) {
    PanelEntry entry;
    entry.kind = e.kind;
    entry.name = e.name;
    table.entries.push_back(entry);
  }
  table.rows = {0, 5, 1, 4, 3, 2};  // sorted rows stand apart from the entry order
  return table;
}

TEST(MaskSelection, RowsForMask) {
  static const struct {
    const char* mask;
    MaskMode mode;
    bool selectFolders;
    std::vector<size_t> rows;
  } kCases[] = {
      {"*.*", MaskMode::kSelect, false, {1, 3, 4}},
      {"*.*", MaskMode::kSelect, true, {1, 2, 3, 4, 5}},
      {"*.doc", MaskMode::kSelect, false, {1, 4}},
      {"*.doc", MaskMode::kSelect, true, {1, 4, 5}},
      {"zzz", MaskMode::kSelect, true, {}},
      {"*.*", MaskMode::kDeselect, false, {0, 1, 3, 4}},
      {"*.doc", MaskMode::kDeselect, true, {0, 1, 4, 5}},
      {"zzz", MaskMode::kDeselect, false, {0}},
  };
  const EntryTable table = SampleTable();
  for (const auto& c : kCases)
    EXPECT_EQ(RowsForMask(table, c.mask, c.mode, c.selectFolders), c.rows)
        << c.mask << " mode " << static_cast<int>(c.mode) << " folders " << c.selectFolders;
}

}  // namespace
}  // namespace px
