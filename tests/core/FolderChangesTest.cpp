// A watch's records folded into changes, and changes merged into a panel's entry table.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/fs/FileAttributes.h"
#include "core/panel/EntryTable.h"
#include "core/panel/FolderChanges.h"
#include "core/panel/Sorting.h"

namespace px {
namespace {

using Action = ChangeAction;
using Effect = ChangeEffect;

FoundEntry File(const std::string& name, uint64_t size = 1, uint32_t attributes = kAttrArchive) {
  FoundEntry e;
  e.name = name;
  e.size = size;
  e.writeTime = 0x01D0'0000'0000'0000ull + size;
  e.attributes = attributes;
  return e;
}

FoundEntry Folder(const std::string& name, uint32_t attributes = kAttrDirectory) {
  return File(name, 0, attributes | kAttrDirectory);
}

// The folder's contents by exact name, as a file system that keeps case apart holds them.
using Disk = std::map<std::string, FoundEntry>;

EntryTable Listing(const Disk& disk, bool showHiddenSystem) {
  EntryTable table;
  EntryTableBuilder builder(table, "C:\\Data\\", showHiddenSystem);
  for (const auto& [name, found] : disk) builder.Add(FoundEntry(found));
  builder.Finish(ListStatus::kOk);
  return table;
}

EntryLookup LookupOn(const Disk& disk, int* calls = nullptr) {
  return [&disk, calls](const std::string& name) -> std::optional<FoundEntry> {
    if (calls) ++*calls;
    const auto found = disk.find(name);
    if (found == disk.end()) return std::nullopt;
    return found->second;
  };
}

// A table as a set: what a listing of the same folder must equal, whatever the order.
using Shown = std::tuple<int, std::string, std::string, uint64_t, uint64_t, uint32_t>;
std::vector<Shown> Canonical(const EntryTable& table) {
  std::vector<Shown> shown;
  for (const PanelEntry& e : table.entries)
    shown.emplace_back(static_cast<int>(e.kind), e.name, e.foldedName, e.size, e.writeTime, e.attributes);
  std::sort(shown.begin(), shown.end());
  return shown;
}

// Every entry has exactly one row.
bool RowsArePermutation(const EntryTable& table) {
  std::vector<uint32_t> rows = table.rows;
  std::sort(rows.begin(), rows.end());
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i] != i) return false;
  return rows.size() == table.entries.size();
}

std::vector<std::string> NamesByRow(const EntryTable& table) {
  std::vector<std::string> names;
  for (size_t row = 0; row < table.RowCount(); ++row) names.push_back(table.AtRow(row).name);
  return names;
}

ChangeBatch BatchOf(const std::vector<ChangeRecord>& records) {
  ChangeBatch batch;
  for (const ChangeRecord& record : records) batch.Add(record);
  return batch;
}

TEST(FolderChangesBatch, FoldsEachNameToItsLastRecord) {
  using Changes = std::vector<std::pair<std::string, Effect>>;
  static const struct {
    const char* what;
    std::vector<ChangeRecord> records;
    Changes expected;
    bool listAgain;
  } kCases[] = {
      {"added then removed", {{Action::kAdded, "a"}, {Action::kRemoved, "a"}}, {{"a", Effect::kGone}}, false},
      {"removed then added", {{Action::kRemoved, "a"}, {Action::kAdded, "a"}}, {{"a", Effect::kReread}}, false},
      {"modified many times", {{Action::kModified, "a"}, {Action::kModified, "a"}, {Action::kModified, "a"}},
       {{"a", Effect::kReread}}, false},
      {"rename", {{Action::kRenamedOld, "a"}, {Action::kRenamedNew, "b"}},
       {{"a", Effect::kGone}, {"b", Effect::kReread}}, false},
      {"renamed away and back",
       {{Action::kRenamedOld, "a"}, {Action::kRenamedNew, "b"}, {Action::kRenamedOld, "b"}, {Action::kRenamedNew, "a"}},
       {{"a", Effect::kReread}, {"b", Effect::kGone}}, false},
      {"case apart", {{Action::kRenamedOld, "README"}, {Action::kRenamedNew, "readme"}},
       {{"README", Effect::kGone}, {"readme", Effect::kReread}}, false},
      {"deeper path reads the top entry again",
       {{Action::kRemoved, "sub\\x"}, {Action::kAdded, "sub\\y\\z"}, {Action::kRenamedOld, "other/q"}},
       {{"sub", Effect::kReread}, {"other", Effect::kReread}}, false},
      {"top entry removed after a deeper record", {{Action::kModified, "sub\\x"}, {Action::kRemoved, "sub"}},
       {{"sub", Effect::kGone}}, false},
      {"dot names ignored", {{Action::kModified, "."}, {Action::kModified, ".."}, {Action::kAdded, ".\\x"}}, {}, false},
      {"names kept as bytes", {{Action::kAdded, "\xC3\xA4"}, {Action::kAdded, "a\xCC\x88"}},
       {{"\xC3\xA4", Effect::kReread}, {"a\xCC\x88", Effect::kReread}}, false},
      {"empty name", {{Action::kAdded, "a"}, {Action::kModified, ""}}, {}, true},
      {"leading separator", {{Action::kAdded, "\\x"}, {Action::kAdded, "b"}}, {}, true},
  };
  for (const auto& c : kCases) {
    const ChangeBatch batch = BatchOf(c.records);
    Changes changes;
    for (const FoldedChange& change : batch.Changes()) changes.emplace_back(change.name, change.effect);
    EXPECT_EQ(changes, c.expected) << c.what;
    EXPECT_EQ(batch.ListAgain(), c.listAgain) << c.what;
    EXPECT_EQ(batch.Empty(), !c.listAgain && c.expected.empty()) << c.what;
  }
}

TEST(FolderChangesBatch, BeyondTheLimitOrAfterOverflowOnlyAListingHelps) {
  ChangeBatch batch;
  for (int round = 0; round < 20; ++round) {
    for (size_t i = 0; i < ChangeBatch::kMaxNames; ++i) batch.Add(Action::kModified, "n" + std::to_string(i));
  }
  EXPECT_FALSE(batch.ListAgain());  // repeats of known names never count against the limit
  EXPECT_EQ(batch.Changes().size(), ChangeBatch::kMaxNames);
  batch.Add(Action::kAdded, "one more");
  EXPECT_TRUE(batch.ListAgain());
  EXPECT_TRUE(batch.Changes().empty());
  batch.Add(Action::kAdded, "later");
  EXPECT_TRUE(batch.Changes().empty());
  EXPECT_FALSE(batch.Empty());

  batch.Clear();
  EXPECT_TRUE(batch.Empty());
  batch.Add(Action::kAdded, "a");
  batch.MarkOverflow();
  EXPECT_TRUE(batch.ListAgain());
  EXPECT_TRUE(batch.Changes().empty());

  EntryTable table = Listing({{"a", File("a")}}, false);
  const std::vector<Shown> before = Canonical(table);
  const Disk disk;
  const AppliedChanges applied = ApplyChanges(table, batch, false, LookupOn(disk));
  EXPECT_TRUE(applied.listAgain);
  EXPECT_FALSE(applied.Changed());
  EXPECT_EQ(Canonical(table), before);
}

TEST(FolderChangesApply, NamesDifferingInCaseStayTwoEntries) {
  Disk disk{{"a.txt", File("a.txt", 1)}, {"A.txt", File("A.txt", 2)}, {"b", File("b", 3)}};
  EntryTable table = Listing(disk, false);
  disk.erase("a.txt");
  disk["B"] = File("B", 4);
  disk["A.txt"] = File("A.txt", 5);
  const AppliedChanges applied = ApplyChanges(
      table, BatchOf({{Action::kRemoved, "a.txt"}, {Action::kAdded, "B"}, {Action::kModified, "A.txt"}}), false,
      LookupOn(disk));
  EXPECT_FALSE(applied.listAgain);
  EXPECT_EQ(applied.removed, 1u);
  EXPECT_EQ(applied.added, 1u);
  EXPECT_EQ(applied.updated, 1u);
  EXPECT_EQ(Canonical(table), Canonical(Listing(disk, false)));
  EXPECT_TRUE(RowsArePermutation(table));
}

// The filter of a listing holds for entries read again: a file that became
// hidden leaves a panel that hides them, one that stopped being hidden comes.
TEST(FolderChangesApply, HiddenAndSystemEntriesFollowTheOption) {
  static const struct {
    bool showHiddenSystem;
    uint32_t before;  // attributes before; 0: not there
    uint32_t after;   // attributes after; 0: gone
    bool shownAfter;
  } kCases[] = {
      {false, kAttrArchive, kAttrHidden, false}, {false, kAttrHidden, kAttrArchive, true},
      {false, 0, kAttrSystem, false},            {false, 0, kAttrArchive, true},
      {true, kAttrArchive, kAttrHidden, true},   {true, 0, kAttrHidden | kAttrSystem, true},
      {true, kAttrHidden, 0, false},             {false, kAttrHidden, 0, false},
  };
  for (const auto& c : kCases) {
    Disk disk{{"other", File("other")}};
    if (c.before) disk["f"] = File("f", 1, c.before);
    EntryTable table = Listing(disk, c.showHiddenSystem);
    if (c.after) {
      disk["f"] = File("f", 1, c.after);
    } else {
      disk.erase("f");
    }
    const ChangeAction action = !c.after ? Action::kRemoved : c.before ? Action::kModified : Action::kAdded;
    const AppliedChanges applied = ApplyChanges(table, BatchOf({{action, "f"}}), c.showHiddenSystem, LookupOn(disk));
    EXPECT_EQ(table.FindRowByName("f") >= 0, c.shownAfter) << c.before << " " << c.after;
    EXPECT_EQ(Canonical(table), Canonical(Listing(disk, c.showHiddenSystem)));
    EXPECT_TRUE(RowsArePermutation(table));
    EXPECT_FALSE(applied.listAgain);
  }
}

// A stat by one spelling may find the entry stored under another: that one
// is the entry, the name asked for has none of its own.
TEST(FolderChangesApply, AnotherSpellingFoundIsAnEntryOfItsOwn) {
  EntryTable table = Listing({{"readme", File("readme")}, {"x", File("x")}}, false);
  const EntryLookup lookup = [](const std::string& name) -> std::optional<FoundEntry> {
    if (name == "readme" || name == "README") return File("README", 7);
    return std::nullopt;
  };
  const AppliedChanges applied = ApplyChanges(table, BatchOf({{Action::kModified, "readme"}}), false, lookup);
  EXPECT_EQ(Canonical(table), Canonical(Listing({{"README", File("README", 7)}, {"x", File("x")}}, false)));
  EXPECT_EQ(applied.removed, 1u);
  EXPECT_EQ(applied.added, 1u);
  EXPECT_TRUE(RowsArePermutation(table));
}

// What a stat may answer that names no entry: nothing, an empty name, a dot name.
TEST(FolderChangesApply, LookupAnswersThatNameNoEntryLeaveItGone) {
  for (const char* answer : {"", ".", ".."}) {
    EntryTable table = Listing({{"a", File("a")}, {"b", File("b")}}, true);
    const EntryLookup lookup = [answer](const std::string&) -> std::optional<FoundEntry> { return File(answer); };
    const AppliedChanges applied = ApplyChanges(table, BatchOf({{Action::kModified, "a"}}), true, lookup);
    EXPECT_EQ(NamesByRow(table), (std::vector<std::string>{"", "b"})) << answer;
    EXPECT_EQ(applied.removed, 1u);
    EXPECT_EQ(applied.added, 0u);
  }
}

// Two stored names may list alike; a stat by that name reaches either, so
// only a listing can tell, and the table stays as the listing made it.
TEST(FolderChangesApply, NamesThatMayListAlikeAskForAListing) {
  const std::string alike = "bad\xEF\xBF\xBD.txt";
  EntryTable table = Listing({{"a", File("a")}}, false);
  table.entries.push_back(table.entries.back());
  table.entries.back().name = table.entries.back().foldedName = alike;
  table.entries.push_back(table.entries.back());
  table.rows = {0, 1, 2, 3};
  table.listedTwice.insert(alike);
  const std::vector<Shown> before = Canonical(table);
  Disk disk{{"renamed", File(alike)}};
  for (const ChangeBatch& batch : {BatchOf({{Action::kRemoved, alike}}),
                                   BatchOf({{Action::kModified, "a"}, {Action::kAdded, alike}}),
                                   BatchOf({{Action::kModified, "renamed"}})}) {
    const AppliedChanges applied = ApplyChanges(table, batch, false, LookupOn(disk));
    EXPECT_TRUE(applied.listAgain);
    EXPECT_EQ(Canonical(table), before);
    EXPECT_EQ(table.rows, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(table.listedTwice.size(), 1u);
  }
}

TEST(FolderChangesApply, RowsLeftKeepTheirOrderAndNewOnesComeLast) {
  Disk disk;
  for (const char* name : {"e", "a", "d", "b", "c"}) disk[name] = File(name);
  EntryTable table = Listing(disk, false);
  SortRows(table, {kSortByName, 1});
  ASSERT_EQ(NamesByRow(table), (std::vector<std::string>{"", "e", "d", "c", "b", "a"}));
  disk.erase("d");
  disk.erase("a");
  disk["z"] = File("z");
  disk["f"] = File("f");
  const AppliedChanges applied = ApplyChanges(
      table, BatchOf({{Action::kAdded, "z"}, {Action::kRemoved, "d"}, {Action::kAdded, "f"}, {Action::kRemoved, "a"}}),
      false, LookupOn(disk));
  EXPECT_EQ(NamesByRow(table), (std::vector<std::string>{"", "e", "c", "b", "z", "f"}));
  EXPECT_TRUE(RowsArePermutation(table));
  EXPECT_TRUE(applied.Changed());
}

// A burst of records costs one stat per name read again and none for a name gone.
TEST(FolderChangesApply, OneLookupPerNameReadAgain) {
  Disk disk{{"a", File("a")}, {"b", File("b")}, {"c", File("c")}};
  EntryTable table = Listing(disk, false);
  ChangeBatch batch;
  for (int i = 0; i < 1000; ++i) {
    batch.Add(Action::kModified, "a");
    batch.Add(Action::kModified, "b\\deeper" + std::to_string(i));
    batch.Add(Action::kRemoved, "c");
  }
  disk.erase("c");
  int calls = 0;
  const AppliedChanges applied = ApplyChanges(table, batch, false, LookupOn(disk, &calls));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(applied.removed, 1u);
  EXPECT_EQ(applied.updated, 0u);  // read again, found as it was
  EXPECT_EQ(Canonical(table), Canonical(Listing(disk, false)));
}

// Generated folders changed by generated bursts: after each burst is applied
// (or, when it asks for one, the folder listed again) the table equals a
// fresh listing of the folder, every entry has one row, and Changed() says
// exactly whether the table differs from before.
TEST(FolderChangesModel, AppliedBurstsEqualAFreshListing) {
  const std::vector<std::string> pool = {
      "a.txt", "A.txt", "b",     "B",         "c.dat", "dir", "Dir", "x y", "\xC3\xA4.txt", "\xC3\x84.txt",
      "z",     "zz",    "0",     "long name with blanks.tar.gz", "bad\xEF\xBF\xBD", "sub"};
  const uint32_t kAttributes[] = {kAttrArchive, kAttrReadOnly, kAttrHidden, kAttrSystem | kAttrHidden, 0};
  int listings = 0, applied = 0;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    auto randomEntry = [&](const std::string& name) {
      FoundEntry e = pick(4) == 0 ? Folder(name) : File(name, pick(5));
      e.attributes |= kAttributes[pick(std::size(kAttributes))];
      e.writeTime += pick(3);
      return e;
    };
    const bool showHiddenSystem = pick(2) == 0;
    Disk disk;
    for (const std::string& name : pool)
      if (pick(2) == 0) disk[name] = randomEntry(name);
    EntryTable table = Listing(disk, showHiddenSystem);

    for (int round = 0; round < 25; ++round) {
      ChangeBatch batch(pick(8) == 0 ? 3 : ChangeBatch::kMaxNames);
      const size_t operations = 1 + pick(10);
      for (size_t op = 0; op < operations; ++op) {
        const std::string& name = pool[pick(pool.size())];
        const bool there = disk.count(name) != 0;
        switch (pick(6)) {
          case 0:  // added, or removed when there
            if (there) {
              disk.erase(name);
              batch.Add(Action::kRemoved, name);
            } else {
              disk[name] = randomEntry(name);
              batch.Add(Action::kAdded, name);
            }
            break;
          case 1:  // modified: size, time or attributes
            if (!there) break;
            disk[name] = randomEntry(name);
            batch.Add(Action::kModified, name);
            break;
          case 2: {  // renamed to a name not there
            const std::string& to = pool[pick(pool.size())];
            if (!there || disk.count(to)) break;
            FoundEntry moved = disk[name];
            moved.name = to;
            disk.erase(name);
            disk[to] = moved;
            batch.Add(Action::kRenamedOld, name);
            batch.Add(Action::kRenamedNew, to);
            break;
          }
          case 3:  // something inside a folder changed, and the folder's time with it
            if (!there || !(disk[name].attributes & kAttrDirectory)) break;
            disk[name].writeTime += 1;
            batch.Add(static_cast<Action>(pick(5)), name + "\\inner" + std::to_string(pick(3)));
            break;
          case 4:  // a record without a change
            if (there) batch.Add(Action::kModified, name);
            break;
          default:
            if (pick(10) == 0) batch.MarkOverflow();
            break;
        }
      }
      const std::vector<Shown> before = Canonical(table);
      const AppliedChanges result = ApplyChanges(table, batch, showHiddenSystem, LookupOn(disk));
      if (result.listAgain) {
        ASSERT_EQ(Canonical(table), before) << "seed " << seed;
        table = Listing(disk, showHiddenSystem);
        ++listings;
      } else {
        ++applied;
        ASSERT_EQ(Canonical(table), Canonical(Listing(disk, showHiddenSystem))) << "seed " << seed << " round " << round;
        ASSERT_EQ(result.Changed(), Canonical(table) != before) << "seed " << seed;
      }
      ASSERT_TRUE(RowsArePermutation(table)) << "seed " << seed;
      ASSERT_EQ(std::count_if(table.entries.begin(), table.entries.end(),
                              [](const PanelEntry& e) { return e.IsParent(); }),
                1);
      ASSERT_TRUE(table.listedTwice.empty());
      SortRows(table, {static_cast<int>(pick(6)), static_cast<int>(pick(2))});
    }
  }
  // Both ways were taken often enough to mean something.
  EXPECT_GT(applied, 3000);
  EXPECT_GT(listings, 300);
}

}  // namespace
}  // namespace px
