// Comparing two folders' files by name: what to mark on each side, the pairs
// left for a content check, and the counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/panel/FolderCompare.h"
#include "core/text/CaseFold.h"

namespace px {
namespace {

constexpr uint64_t kSecond = 10000000;  // 100 ns units
constexpr uint64_t kNoon = 133000000000000000ull;

struct Item {
  std::string name;
  uint64_t size;
  uint64_t time;  // seconds after kNoon
  EntryKind kind;
};

Item F(std::string name, uint64_t size = 1, uint64_t time = 0) {
  return {std::move(name), size, time, EntryKind::kFile};
}
Item D(std::string name) { return {std::move(name), 0, 0, EntryKind::kFolder}; }
Item P() { return {"", 0, 0, EntryKind::kParent}; }

EntryTable Table(const std::vector<Item>& items) {
  EntryTable table;
  for (const Item& item : items) {
    PanelEntry entry;
    entry.name = item.name;
    entry.foldedName = FoldName(item.name);
    entry.size = item.size;
    entry.writeTime = kNoon + item.time * kSecond;
    entry.kind = item.kind;
    table.rows.push_back(static_cast<uint32_t>(table.entries.size()));
    table.entries.push_back(std::move(entry));
  }
  return table;
}

std::vector<std::string> Names(const EntryTable& table, const std::vector<size_t>& indices) {
  std::vector<std::string> names;
  for (size_t i : indices) names.push_back(table.entries[i].name);
  return names;
}

using NameList = std::vector<std::string>;

TEST(FolderCompare, MarksMissingAndNewerFiles) {
  FolderCompareOptions exact;
  FolderCompareOptions fat;
  fat.timeTolerance = kFatTimeTolerance;
  FolderCompareOptions sizes;
  sizes.bySize = true;
  static const struct {
    const char* what;
    std::vector<Item> left, right;
    const FolderCompareOptions* options;
    NameList markLeft, markRight;
  } kCases[] = {
      {"one side only", {P(), F("a"), F("b")}, {F("b"), F("c")}, &exact, {"a"}, {"c"}},
      {"newer left", {F("a", 1, 10)}, {F("a", 1, 5)}, &exact, {"a"}, {}},
      {"newer right", {F("a", 1, 5)}, {F("a", 1, 10)}, &exact, {}, {"a"}},
      {"same time", {F("a", 1, 5)}, {F("a", 9, 5)}, &exact, {}, {}},
      {"a second apart", {F("a", 1, 6)}, {F("a", 1, 5)}, &exact, {"a"}, {}},
      {"FAT: a second apart", {F("a", 1, 6)}, {F("a", 1, 5)}, &fat, {}, {}},
      {"FAT: two seconds apart", {F("a", 1, 5)}, {F("a", 1, 7)}, &fat, {}, {}},
      {"FAT: two seconds apart, left newer", {F("a", 1, 7)}, {F("a", 1, 5)}, &fat, {}, {}},
      {"FAT: three seconds apart", {F("a", 1, 5)}, {F("a", 1, 8)}, &fat, {}, {"a"}},
      {"sizes differ", {F("a", 1, 5), F("b", 2, 5)}, {F("a", 2, 5), F("b", 2, 5)}, &sizes, {"a"}, {"a"}},
      {"newer wins over size", {F("a", 1, 6)}, {F("a", 2, 5)}, &sizes, {"a"}, {}},
      {"folders are not compared", {D("Sub"), D("Left")}, {D("Sub"), D("Right")}, &exact, {}, {}},
      {"a folder is no file", {F("x"), D("y")}, {D("x"), F("y")}, &exact, {"x"}, {"y"}},
      {"case", {F("README.TXT", 1, 5)}, {F("readme.txt", 1, 6)}, &exact, {}, {"readme.txt"}},
      {"Greek", {F("\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3")}, {F("\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83")}, &exact, {}, {}},  // ΟΔΟΣ / οδοσ
      {"Greek final sigma", {F("\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3")}, {F("\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82")}, &exact,
       {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3"}, {"\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82"}},  // ς is a letter of its own
      {"Cyrillic", {F("\xD0\x96\xD1\x83\xD0\xBA", 1, 9)}, {F("\xD0\xB6\xD0\xA3\xD0\x9A", 1, 5)}, &exact,
       {"\xD0\x96\xD1\x83\xD0\xBA"}, {}},  // Жук / жУК
      {"German", {F("STRA\xE1\xBA\x9E" "E")}, {F("stra\xC3\x9F" "e"), F("strasse")}, &exact, {}, {"strasse"}},
      {"Turkish", {F("I"), F("\xC4\xB0")}, {F("\xC4\xB1"), F("i")}, &exact, {"\xC4\xB0"}, {"\xC4\xB1"}},  // I~i only
      // A side holding names that fold alike pairs them by exact spelling.
      {"names alike on one side", {F("A.txt", 1, 1), F("a.txt", 1, 1)}, {F("a.txt", 1, 1)}, &exact, {"A.txt"}, {}},
      {"names alike on both sides", {F("A", 1, 1), F("a", 1, 9)}, {F("a", 1, 5), F("A", 1, 5), F("B")}, &exact,
       {"a"}, {"A", "B"}},
      {"empty sides", {}, {P()}, &exact, {}, {}},
  };
  for (const auto& c : kCases) {
    const EntryTable left = Table(c.left);
    const EntryTable right = Table(c.right);
    const FolderComparison result = CompareFolders(left, right, *c.options);
    EXPECT_EQ(Names(left, result.markLeft), c.markLeft) << c.what;
    EXPECT_EQ(Names(right, result.markRight), c.markRight) << c.what;
    EXPECT_TRUE(result.candidates.empty()) << c.what;
  }
}

TEST(FolderCompare, ContentCandidatesAndCounts) {
  const EntryTable left = Table({P(), F("same", 4, 5), F("big", 9, 5), F("old", 4, 1), F("new", 4, 9),
                                 F("only"), F("Twin", 7, 3), D("dir")});
  const EntryTable right = Table({F("twin", 7, 3), F("new", 4, 5), F("old", 4, 5), F("BIG", 8, 5),
                                  F("SAME", 4, 5), F("mine"), F("dir")});
  FolderCompareOptions options;
  options.contentCandidates = true;
  const FolderComparison result = CompareFolders(left, right, options);
  EXPECT_EQ(Names(left, result.markLeft), (NameList{"big", "new", "only"}));
  EXPECT_EQ(Names(right, result.markRight), (NameList{"old", "BIG", "mine", "dir"}));
  ASSERT_EQ(result.candidates.size(), 2u);
  EXPECT_EQ(left.entries[result.candidates[0].left].name, "same");
  EXPECT_EQ(right.entries[result.candidates[0].right].name, "SAME");
  EXPECT_EQ(left.entries[result.candidates[1].left].name, "Twin");
  EXPECT_EQ(right.entries[result.candidates[1].right].name, "twin");
  const FolderCompareCounts& n = result.counts;
  EXPECT_EQ(n.onlyLeft, 1u);
  EXPECT_EQ(n.onlyRight, 2u);  // "dir" is a folder on the left
  EXPECT_EQ(n.newerLeft, 1u);
  EXPECT_EQ(n.newerRight, 1u);
  EXPECT_EQ(n.sizeDiffers, 1u);  // sizes count when contents are compared
  EXPECT_EQ(n.candidates, 2u);
  EXPECT_EQ(n.same, 0u);

  options.contentCandidates = false;
  const FolderComparison plain = CompareFolders(left, right, options);
  EXPECT_EQ(Names(left, plain.markLeft), (NameList{"new", "only"}));
  EXPECT_TRUE(plain.candidates.empty());
  EXPECT_EQ(plain.counts.same, 3u);
}

TEST(FolderCompare, TreesByRelativePath) {
  const std::vector<ComparedFile> left = {
      {"a.txt", 1, kNoon}, {"Sub\\B.txt", 2, kNoon}, {"Sub\\Deep\\c.txt", 3, kNoon + kSecond},
      {"Gone\\d.txt", 4, kNoon}, {"\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\\x", 5, kNoon}};  // Папка\x
  const std::vector<ComparedFile> right = {
      {"sub/b.TXT", 2, kNoon}, {"SUB\\deep\\C.TXT", 3, kNoon}, {"A.txt", 1, kNoon},
      {"b.txt", 2, kNoon}, {"\xD0\xBF\xD0\x90\xD0\x9F\xD0\x9A\xD0\x90\\X", 5, kNoon}};  // пАПКА\X
  const FolderComparison result = CompareFileLists(left, right);
  EXPECT_EQ(result.markLeft, (std::vector<size_t>{2, 3}));  // newer, and in a folder missing on the right
  EXPECT_EQ(result.markRight, (std::vector<size_t>{3}));    // b.txt is not Sub\b.txt
  EXPECT_EQ(result.counts.same, 3u);
}

// The reference: pairs found by looking at every file of the other side.
struct Reference {
  std::vector<size_t> markLeft, markRight;
  std::vector<ComparedPair> candidates;
};

Reference Pairs(const EntryTable& left, const EntryTable& right, const FolderCompareOptions& o) {
  auto countKey = [](const EntryTable& t, const std::string& key) {
    size_t n = 0;
    for (const PanelEntry& e : t.entries) n += e.IsFile() && e.foldedName == key;
    return n;
  };
  Reference ref;
  std::vector<bool> rightPaired(right.entries.size());
  std::vector<bool> rightMarked(right.entries.size());
  for (size_t i = 0; i < left.entries.size(); ++i) {
    const PanelEntry& l = left.entries[i];
    if (!l.IsFile()) continue;
    const bool unique = countKey(left, l.foldedName) == 1 && countKey(right, l.foldedName) == 1;
    size_t j = right.entries.size();
    for (size_t k = 0; k < right.entries.size(); ++k) {
      const PanelEntry& r = right.entries[k];
      if (r.IsFile() && r.foldedName == l.foldedName && (unique || r.name == l.name)) {
        j = k;
        break;
      }
    }
    if (j == right.entries.size()) {
      ref.markLeft.push_back(i);
      continue;
    }
    rightPaired[j] = true;
    const PanelEntry& r = right.entries[j];
    const bool sizes = o.bySize || o.contentCandidates;
    if (l.writeTime > r.writeTime + o.timeTolerance) {
      ref.markLeft.push_back(i);
    } else if (r.writeTime > l.writeTime + o.timeTolerance) {
      rightMarked[j] = true;
    } else if (sizes && l.size != r.size) {
      ref.markLeft.push_back(i);
      rightMarked[j] = true;
    } else if (o.contentCandidates) {
      ref.candidates.push_back({i, j});
    }
  }
  for (size_t j = 0; j < right.entries.size(); ++j) {
    if (right.entries[j].IsFile() && (!rightPaired[j] || rightMarked[j])) ref.markRight.push_back(j);
  }
  return ref;
}

TEST(FolderCompare, GeneratedFoldersAgreeBothWaysAndWithAPlainPairing) {
  // Letters whose cases fold alike, and some that look alike but do not.
  static const char* const kLetters[] = {"a", "A", "\xC3\x9F", "\xE1\xBA\x9E", "\xCF\x83", "\xCE\xA3",
                                         "\xCF\x82", "\xC4\xB1", "I", "i", "\xD0\xB6", "\xD0\x96"};
  std::mt19937_64 random(3);
  auto pick = [&](uint64_t n) { return random() % n; };
  auto side = [&]() {
    std::set<std::string> names;  // exact names are unique within a folder
    std::vector<Item> items;
    if (pick(2)) items.push_back(P());
    for (size_t k = pick(14); k > 0; --k) {
      std::string name;
      for (size_t n = 1 + pick(2); n > 0; --n) name += kLetters[pick(std::size(kLetters))];
      if (!names.insert(name).second) continue;
      items.push_back({name, pick(3), pick(6), pick(5) == 0 ? EntryKind::kFolder : EntryKind::kFile});
    }
    std::shuffle(items.begin(), items.end(), random);
    return Table(items);
  };
  for (int round = 0; round < 500; ++round) {
    const EntryTable left = side();
    const EntryTable right = side();
    FolderCompareOptions options;
    options.timeTolerance = pick(3) * kSecond;
    options.bySize = pick(2);
    options.contentCandidates = pick(2);
    const FolderComparison result = CompareFolders(left, right, options);
    const FolderComparison mirrored = CompareFolders(right, left, options);

    // Both ways round give the same marks, sides swapped.
    EXPECT_EQ(result.markLeft, mirrored.markRight);
    EXPECT_EQ(result.markRight, mirrored.markLeft);
    std::vector<std::pair<size_t, size_t>> pairs, swapped;
    for (const ComparedPair& p : result.candidates) pairs.emplace_back(p.left, p.right);
    for (const ComparedPair& p : mirrored.candidates) swapped.emplace_back(p.right, p.left);
    std::sort(swapped.begin(), swapped.end());
    EXPECT_EQ(pairs, swapped);
    EXPECT_EQ(result.counts.onlyLeft, mirrored.counts.onlyRight);
    EXPECT_EQ(result.counts.newerLeft, mirrored.counts.newerRight);
    EXPECT_EQ(result.counts.same, mirrored.counts.same);

    // As the plain pairing finds.
    const Reference ref = Pairs(left, right, options);
    EXPECT_EQ(result.markLeft, ref.markLeft);
    EXPECT_EQ(result.markRight, ref.markRight);
    ASSERT_EQ(result.candidates.size(), ref.candidates.size());
    for (size_t k = 0; k < ref.candidates.size(); ++k) {
      EXPECT_EQ(result.candidates[k].left, ref.candidates[k].left);
      EXPECT_EQ(result.candidates[k].right, ref.candidates[k].right);
    }

    // Every file of a side is counted once.
    size_t leftFiles = 0, rightFiles = 0;
    for (const PanelEntry& e : left.entries) leftFiles += e.IsFile();
    for (const PanelEntry& e : right.entries) rightFiles += e.IsFile();
    const FolderCompareCounts& n = result.counts;
    const uint64_t paired = n.newerLeft + n.newerRight + n.sizeDiffers + n.candidates + n.same;
    EXPECT_EQ(n.onlyLeft + paired, leftFiles);
    EXPECT_EQ(n.onlyRight + paired, rightFiles);
    EXPECT_EQ(result.markLeft.size(), n.onlyLeft + n.newerLeft + n.sizeDiffers);
    EXPECT_EQ(result.markRight.size(), n.onlyRight + n.newerRight + n.sizeDiffers);

    // The same files as lists of paths compare alike.
    auto files = [](const EntryTable& t, std::vector<size_t>& index) {
      std::vector<ComparedFile> list;
      for (size_t i = 0; i < t.entries.size(); ++i) {
        if (!t.entries[i].IsFile()) continue;
        index.push_back(i);
        list.push_back({t.entries[i].name, t.entries[i].size, t.entries[i].writeTime});
      }
      return list;
    };
    std::vector<size_t> leftIndex, rightIndex;
    const std::vector<ComparedFile> leftList = files(left, leftIndex);
    const std::vector<ComparedFile> rightList = files(right, rightIndex);
    const FolderComparison listed = CompareFileLists(leftList, rightList, options);
    std::vector<size_t> markLeft, markRight;
    for (size_t k : listed.markLeft) markLeft.push_back(leftIndex[k]);
    for (size_t k : listed.markRight) markRight.push_back(rightIndex[k]);
    EXPECT_EQ(markLeft, result.markLeft);
    EXPECT_EQ(markRight, result.markRight);
    EXPECT_EQ(listed.candidates.size(), result.candidates.size());
  }
}

}  // namespace
}  // namespace px
