// Row order of a panel under every sort key and direction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "core/fs/FileAttributes.h"
#include "core/panel/Sorting.h"
#include "core/text/CaseFold.h"

namespace px {
namespace {

struct Item {
  const char* name;  // "" is the parent, a trailing "\\" marks a folder
  uint64_t size;
  uint64_t writeTime;
  uint32_t attributes;
};

// Entries in listing order (index = row), as ListFolder leaves them.
EntryTable MakeTable(const std::vector<Item>& items) {
  EntryTable table;
  for (const Item& item : items) {
    PanelEntry e;
    std::string name = item.name;
    if (name.empty()) {
      e.kind = EntryKind::kParent;
    } else if (name.back() == '\\') {
      e.kind = EntryKind::kFolder;
      name.pop_back();
    }
    e.foldedName = FoldName(name);
    e.name = std::move(name);
    e.size = item.size;
    e.writeTime = item.writeTime;
    e.attributes = item.attributes;
    table.rows.push_back(static_cast<uint32_t>(table.entries.size()));
    table.entries.push_back(std::move(e));
  }
  return table;
}

std::vector<std::string> Sorted(std::vector<Item> items, SortState state) {
  EntryTable table = MakeTable(items);
  SortRows(table, state);
  std::vector<std::string> names;
  for (size_t row = 0; row < table.RowCount(); ++row) names.push_back(table.AtRow(row).name);
  return names;
}

constexpr uint64_t kMinute = 600'000'000;  // in 100 ns units

const std::vector<Item> kFolder = {
    {"b.txt", 300, 5 * kMinute, kAttrArchive},
    {"Zeta\\", 0, 9 * kMinute, kAttrDirectory},
    {"a.TXT", 100, 7 * kMinute, kAttrArchive | kAttrReadOnly},
    {"", 0, 1ull << 32, 1},
    {"README", 300, 6 * kMinute, 0},
    {"_notes.doc", 5368709120ull, 1 * kMinute, kAttrArchive},
    {"alpha\\", 0, 1 * kMinute, kAttrDirectory},
    {"c.tar.gz", 4294967295ull, 8 * kMinute, kAttrArchive},
};

TEST(Sorting, OrdersByEveryKeyAndDirection) {
  static const struct {
    SortState state;
    std::vector<std::string> expected;
  } kCases[] = {
      {{kSortByName, 0}, {"", "alpha", "Zeta", "_notes.doc", "a.TXT", "b.txt", "c.tar.gz", "README"}},
      {{kSortByName, 1}, {"", "alpha", "Zeta", "README", "c.tar.gz", "b.txt", "a.TXT", "_notes.doc"}},
      // Equal sizes by name, in the direction of the sizes; sizes beyond 32 bits.
      {{kSortBySize, 0}, {"", "alpha", "Zeta", "a.TXT", "b.txt", "README", "c.tar.gz", "_notes.doc"}},
      {{kSortBySize, 1}, {"", "alpha", "Zeta", "_notes.doc", "c.tar.gz", "README", "b.txt", "a.TXT"}},
      // Minutes apart, well inside one old 429.5-second date step.
      {{kSortByDate, 0}, {"", "alpha", "Zeta", "_notes.doc", "b.txt", "README", "a.TXT", "c.tar.gz"}},
      {{kSortByAttributes, 0}, {"", "alpha", "Zeta", "README", "_notes.doc", "b.txt", "c.tar.gz", "a.TXT"}},
      // No dot first; a.TXT and b.txt share an extension and go by name.
      {{kSortByExtension, 0}, {"", "alpha", "Zeta", "README", "_notes.doc", "c.tar.gz", "a.TXT", "b.txt"}},
      {{kSortByExtension, 1}, {"", "alpha", "Zeta", "b.txt", "a.TXT", "c.tar.gz", "_notes.doc", "README"}},
      // Listing order is already the reverse of the search order.
      {{kSortByListing, 0}, {"", "alpha", "Zeta", "b.txt", "a.TXT", "README", "_notes.doc", "c.tar.gz"}},
      {{kSortByListing, 1}, {"", "alpha", "Zeta", "c.tar.gz", "_notes.doc", "README", "a.TXT", "b.txt"}},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Sorted(kFolder, c.state), c.expected) << "key " << c.state.key << " order " << c.state.order;
  }
}

// Counted folders go by their sizes under the size key (uncounted ones are
// 0), in the direction asked for, equal sizes by name ascending; under every
// other key the sizes are not looked at.
TEST(Sorting, CountedFoldersBySize) {
  const std::vector<Item> items = {
      {"", 0, 0, 0},         {"big\\", 9000, 0, 0}, {"Alpha\\", 0, 0, 0},
      {"mid\\", 500, 0, 0},  {"beta\\", 0, 0, 0},   {"f.txt", 700, 0, 0},
      {"same\\", 500, 0, 0},
  };
  EXPECT_EQ(Sorted(items, {kSortBySize, 0}),
            (std::vector<std::string>{"", "Alpha", "beta", "mid", "same", "big", "f.txt"}));
  EXPECT_EQ(Sorted(items, {kSortBySize, 1}),
            (std::vector<std::string>{"", "big", "mid", "same", "Alpha", "beta", "f.txt"}));
  EXPECT_EQ(Sorted(items, {kSortByDate, 1}),
            (std::vector<std::string>{"", "Alpha", "beta", "big", "mid", "same", "f.txt"}));
}

TEST(Sorting, DateComparesTheFullTime) {
  // Both inside one 2^32 step: only the low bits tell them apart.
  const uint64_t step = 1ull << 32;
  const std::vector<Item> items = {
      {"a.txt", 1, 7 * step + 3 * kMinute, 0},
      {"b.txt", 1, 7 * step + 1 * kMinute, 0},
  };
  EXPECT_EQ(Sorted(items, {kSortByDate, 0}), (std::vector<std::string>{"b.txt", "a.txt"}));
  EXPECT_EQ(Sorted(items, {kSortByDate, 1}), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(Sorting, CompareIsAntisymmetric) {
  const EntryTable table = MakeTable(kFolder);
  for (int key = 0; key <= kSortByListing; ++key) {
    for (int order = 0; order <= 1; ++order) {
      for (uint32_t a = 0; a < table.entries.size(); ++a) {
        for (uint32_t b = 0; b < table.entries.size(); ++b) {
          const int ab = CompareEntries(table, a, b, {key, order});
          const int ba = CompareEntries(table, b, a, {key, order});
          EXPECT_EQ((ab > 0) - (ab < 0), -((ba > 0) - (ba < 0))) << key << order << a << b;
          if (a == b) {
            EXPECT_EQ(ab, 0);
          }
        }
      }
    }
  }
}

TEST(Sorting, SortRowsAgreesWithCompareEntries) {
  // Names sharing long prefixes, case variants, equal sizes and extensions:
  // the ties that the fast path of SortRows must settle as CompareEntries does.
  // Bytes from 0x80 up after ASCII ones inside the eight-byte prefix: a\xC3\xA9
  // (a-acute) goes after ab and aZ, and before b\xC3\xA9.
  static const char* const kStems[] = {"report-2023-final", "REPORT-2023-FINAL", "report-2023-draft",
                                       "a", "A", "\xC3\x84pfel", "\xC3\xA4pfel", "noext",
                                       "a\xC3\xA9", "ab", "aZ", "A\xC3\x89x", "a\xC3\xA9x",
                                       "b\xC3\xA9", "abcdefg\xC3\xA9", "ABCDEFGH\xC3\xA9"};
  static const char* const kExtensions[] = {"", ".txt", ".TXT", ".tar.gz", ".verylongextension1",
                                            ".verylongextension2", "."};
  std::vector<Item> items = {{"", 0, 1ull << 32, 1}};
  std::vector<std::string> names;
  for (const char* stem : kStems) {
    for (const char* extension : kExtensions) names.push_back(std::string(stem) + extension);
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (i % 9 == 4) names[i] += "\\";  // some folders among them
  }
  for (size_t i = 0; i < names.size(); ++i) {
    items.push_back({names[i].c_str(), i % 3, (i % 4) * kMinute, static_cast<uint32_t>(i % 2)});
  }
  for (int key = 0; key <= kSortByListing; ++key) {
    for (int order = 0; order <= 1; ++order) {
      EntryTable table = MakeTable(items);
      SortRows(table, {key, order});
      std::vector<bool> seen(table.entries.size());
      for (uint32_t index : table.rows) seen[index] = true;
      EXPECT_EQ(std::count(seen.begin(), seen.end(), true), static_cast<long>(seen.size()));
      for (size_t row = 1; row < table.RowCount(); ++row) {
        EXPECT_LE(CompareEntries(table, table.rows[row - 1], table.rows[row], {key, order}), 0)
            << "key " << key << " order " << order << ": " << table.AtRow(row - 1).name << " / "
            << table.AtRow(row).name;
      }
    }
  }
}

// Many names of ASCII and multi-byte characters, the sort prefix cut at every
// offset inside them: SortRows orders exactly as comparing the whole names
// ignoring case does, equal names staying in listing order.
TEST(Sorting, SortRowsOrdersAsTheFullComparison) {
  static const char* const kPieces[] = {"a",        "B",        "z",           "~",  ".",
                                        " ",        "0",        "\xC3\xA9",    "\xC3\x89", "\xC3\x9F",
                                        "\xC3\xBF", "\xC4\xB0", "\xE4\xB8\x80", "\xEF\xBC\xA1",
                                        "\xF0\x9F\x98\x80", "\x7F"};
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % bound;
  };
  std::vector<std::string> names;
  for (int i = 0; i < 600; ++i) {
    std::string name;
    const uint32_t length = 1 + next(12);
    for (uint32_t j = 0; j < length; ++j) name += kPieces[next(std::size(kPieces))];
    names.push_back(name);
  }
  std::vector<Item> items = {{"", 0, 0, 0}};
  for (size_t i = 0; i < names.size(); ++i) {
    if (i % 7 == 3) names[i] += "\\";
    items.push_back({names[i].c_str(), i % 2, 0, 0});
  }

  auto extension = [](const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
  };
  for (int key : {kSortByName, kSortByExtension, kSortBySize}) {
    for (int order = 0; order <= 1; ++order) {
      EntryTable table = MakeTable(items);
      std::vector<uint32_t> expected = table.rows;
      // Files by the key then by name, each compared whole: the reference order.
      auto fileLess = [&](const PanelEntry& a, const PanelEntry& b) {
        if (key == kSortByExtension) {
          const bool dotA = a.name.find('.') != std::string::npos;
          const bool dotB = b.name.find('.') != std::string::npos;
          if (dotA != dotB) return dotB;
          const int byExtension = CompareNoCase(extension(a.name), extension(b.name));
          if (byExtension != 0) return byExtension < 0;
        } else if (key == kSortBySize && a.size != b.size) {
          return a.size < b.size;
        }
        return CompareNoCase(a.name, b.name) < 0;
      };
      std::stable_sort(expected.begin(), expected.end(), [&](uint32_t x, uint32_t y) {
        const PanelEntry& a = table.entries[x];
        const PanelEntry& b = table.entries[y];
        if (a.kind != b.kind) return a.kind < b.kind;
        if (!a.IsFile()) {
          // Counted folders by size in the order asked for, else by name.
          if (key == kSortBySize && a.size != b.size) return order == 1 ? b.size < a.size : a.size < b.size;
          return CompareNoCase(a.name, b.name) < 0;
        }
        return order == 1 ? fileLess(b, a) : fileLess(a, b);
      });
      SortRows(table, {key, order});
      EXPECT_EQ(table.rows, expected) << "key " << key << " order " << order;
    }
  }
}

TEST(Sorting, ClicksAndArrows) {
  static const struct {
    SortState from;
    int key;
    SortState to;
  } kCases[] = {
      {{0, 0}, 0, {0, 1}},   // second click on the same column reverses
      {{0, 1}, 0, {0, 0}},
      {{0, 7}, 0, {0, 1}},   // anything but 1 becomes 1
      {{0, 1}, 1, {1, 1}},   // a new key keeps the direction
      {{4, 0}, 2, {2, 0}},
      {{2, 1}, -1, {2, 1}},  // re-apply
      {{2, 1}, 9, {2, 1}},   // no such key
  };
  for (const auto& c : kCases) {
    const SortState next = NextSortState(c.from, c.key);
    EXPECT_EQ(next.key, c.to.key) << c.from.key << "->" << c.key;
    EXPECT_EQ(next.order, c.to.order) << c.from.key << "->" << c.key;
  }
  static const int kArrows[] = {0, 1, 2, 3, -1, -1};
  for (int key = 0; key <= kSortByListing; ++key) EXPECT_EQ(ArrowColumn(key), kArrows[key]);
  EXPECT_EQ(ArrowColumn(-1), -1);
}

}  // namespace
}  // namespace px
