// Listing a folder into a panel's entry table, and the row texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fs/FileAttributes.h"
#include "core/panel/EntryTable.h"
#include "core/panel/EntryText.h"
#include "core/panel/Selection.h"

namespace px {
namespace {

class FakeSource : public DirectorySource {
 public:
  FakeSource(std::vector<FoundEntry> found, ListStatus status = ListStatus::kOk)
      : found_(std::move(found)), status_(status) {}
  ListStatus Enumerate(const std::string& folder,
                       const std::function<void(FoundEntry&&)>& sink) override {
    lastFolder = folder;
    // Entries even on failure: the table must not show them then.
    for (FoundEntry e : found_) sink(std::move(e));
    return status_;
  }
  std::string lastFolder;

 private:
  std::vector<FoundEntry> found_;
  ListStatus status_;
};

FoundEntry File(const std::string& name, uint64_t size = 0, uint32_t attributes = kAttrArchive) {
  FoundEntry e;
  e.name = name;
  e.size = size;
  e.writeTime = 0x01C0'0000'0000'0000ull;
  e.attributes = attributes;
  return e;
}

FoundEntry Folder(const std::string& name, uint32_t attributes = kAttrDirectory) {
  FoundEntry e = File(name, 4096, attributes);
  return e;
}

std::vector<std::string> ShownNames(const EntryTable& table) {
  std::vector<std::string> names;
  for (size_t row = 0; row < table.RowCount(); ++row) names.push_back(NameColumnText(table.AtRow(row)));
  return names;
}

std::vector<FoundEntry> SampleFolder() {
  return {Folder("."), Folder(".."), File("one.txt", 10), Folder("Sub"),
          File("hidden.sys", 1, kAttrHidden), File("two.txt", 20),
          Folder("SysDir", kAttrDirectory | kAttrSystem)};
}

TEST(ListFolder, RowsStandInReverseSearchOrderAfterTheParent) {
  FakeSource source(SampleFolder());
  EntryTable table;
  ASSERT_EQ(ListFolder(source, "C:\\Data\\", false, table), ListStatus::kOk);
  EXPECT_EQ(source.lastFolder, "C:\\Data\\");
  EXPECT_EQ(ShownNames(table), (std::vector<std::string>{"..    ", "two.txt", "Sub", "one.txt"}));
  ASSERT_EQ(table.entries.size(), 4u);
  for (uint32_t row = 0; row < table.RowCount(); ++row) EXPECT_EQ(table.rows[row], row);

  const PanelEntry& parent = table.entries[0];
  EXPECT_TRUE(parent.IsParent());
  EXPECT_EQ(parent.name, "");
  EXPECT_EQ(parent.attributes, 1u);
  EXPECT_EQ(parent.writeTime, 1ull << 32);
  EXPECT_TRUE(table.entries[2].IsFolder());
  EXPECT_EQ(table.entries[2].size, 0u);
  EXPECT_EQ(table.entries[2].foldedName, "sub");
  EXPECT_EQ(table.entries[1].size, 20u);
}

TEST(ListFolder, HiddenAndSystemEntriesFollowTheOption) {
  FakeSource source(SampleFolder());
  EntryTable table;
  EXPECT_EQ(ListFolder(source, "C:\\", true, table), ListStatus::kOk);
  EXPECT_EQ(ShownNames(table),
            (std::vector<std::string>{"SysDir", "two.txt", "hidden.sys", "Sub", "one.txt"}));
  EXPECT_TRUE(table.AtRow(0).IsHiddenOrSystem());
  EXPECT_FALSE(table.AtRow(1).IsHiddenOrSystem());
}

TEST(ListFolder, StatusDecidesTheParentRow) {
  static const struct {
    const char* path;
    ListStatus status;
    std::vector<std::string> rows;
  } kCases[] = {
      {"C:\\", ListStatus::kOk, {"two.txt", "Sub", "one.txt"}},
      {"C:\\Data\\", ListStatus::kNotFound, {}},
      {"C:\\", ListStatus::kNotFound, {}},
      {"C:\\Locked\\", ListStatus::kUnreadable, {"..    "}},
      {"C:\\", ListStatus::kUnreadable, {}},
      // A listing that broke off keeps what it found.
      {"C:\\Data\\", ListStatus::kIncomplete, {"..    ", "two.txt", "Sub", "one.txt"}},
      {"\\\\server\\share\\", ListStatus::kOk, {"..    ", "two.txt", "Sub", "one.txt"}},
  };
  for (const auto& c : kCases) {
    FakeSource source(SampleFolder(), c.status);
    EntryTable table;
    table.entries.resize(3);  // left over from the previous listing
    EXPECT_EQ(ListFolder(source, c.path, false, table), c.status);
    EXPECT_EQ(ShownNames(table), c.rows) << c.path;
    EXPECT_EQ(table.rows.size(), table.entries.size());
  }
}

TEST(EntryTable, FindsRowsByShownNameIgnoringCase) {
  FakeSource source(SampleFolder());
  EntryTable table;
  EXPECT_EQ(ListFolder(source, "C:\\Data\\", false, table), ListStatus::kOk);
  EXPECT_EQ(table.FindRowByName("..    "), 0);
  EXPECT_EQ(table.FindRowByName(""), -1);  // the parent's stored name is not its text
  EXPECT_EQ(table.FindRowByName("SUB"), 2);
  EXPECT_EQ(table.FindRowByName("One.Txt"), 3);
  EXPECT_EQ(table.FindRowByName("two.txt", 2), -1);
  EXPECT_EQ(table.FindRowByName("missing"), -1);
}

TEST(EntryTable, DriveRoots) {
  static const struct {
    const char* path;
    bool root;
  } kCases[] = {{"C:\\", true}, {"z:\\", true}, {"C:\\A\\", false}, {"C:", false},
                {"", false},    {"\\\\s\\", false}};
  for (const auto& c : kCases) EXPECT_EQ(IsDriveRoot(c.path), c.root) << c.path;
}

TEST(EntryText, SizeTextGroupsFullSize) {
  static const struct {
    uint64_t size;
    const char* text;
  } kCases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1 000"},
      {1001, "1 001"},
      {999999, "999 999"},
      {1234567, "1 234 567"},
      {1000000000, "1 000 000 000"},
      {3000000000, "3 000 000 000"},
      {4294967295, "4 294 967 295"},
      {5368709120, "5 368 709 120"},
      {18446744073709551615ull, "18 446 744 073 709 551 615"},
  };
  for (const auto& c : kCases) EXPECT_EQ(SizeText(c.size), c.text) << c.size;
}

TEST(EntryText, AFileOfAllOnesIsStillAFile) {
  FakeSource source({File("big.bin", 4294967295ull), File("huge.iso", 5368709120ull)});
  EntryTable table;
  EXPECT_EQ(ListFolder(source, "C:\\", false, table), ListStatus::kOk);
  ASSERT_EQ(table.RowCount(), 2u);
  EXPECT_TRUE(table.AtRow(1).IsFile());
  EXPECT_EQ(SizeColumnText(table.AtRow(1)), "4 294 967 295");
  EXPECT_EQ(SizeColumnText(table.AtRow(0)), "5 368 709 120");
}

TEST(EntryText, DateAndAttributeTexts) {
  EXPECT_EQ(DateText({2004, 3, 3, 14, 5}), "03.03.04 14:05");
  EXPECT_EQ(DateText({1999, 12, 31, 0, 0}), "31.12.99 00:00");
  EXPECT_EQ(DateText({2100, 1, 1, 9, 59}), "01.01.00 09:59");

  static const struct {
    uint32_t attributes;
    const char* text;
  } kCases[] = {
      {0, "----"},
      {kAttrReadOnly, "r---"},
      {kAttrArchive, "-a--"},
      {kAttrHidden, "--h-"},
      {kAttrSystem, "---s"},
      {kAttrReadOnly | kAttrArchive | kAttrHidden | kAttrSystem | kAttrDirectory, "rahs"},
  };
  for (const auto& c : kCases) EXPECT_EQ(AttributeText(c.attributes), c.text) << c.attributes;
}

TEST(EntryText, ParentAndFolderColumns) {
  PanelEntry parent;
  parent.kind = EntryKind::kParent;
  parent.attributes = 1;
  PanelEntry folder;
  folder.kind = EntryKind::kFolder;
  folder.name = "Sub";
  folder.attributes = kAttrDirectory | kAttrReadOnly;
  const LocalDateTime when{2004, 3, 3, 14, 5};

  EXPECT_EQ(NameColumnText(parent), "..    ");
  EXPECT_EQ(SizeColumnText(parent), "<DIR>");
  EXPECT_EQ(DateColumnText(parent, when), "");
  EXPECT_EQ(AttributeColumnText(parent), "");
  EXPECT_EQ(NameColumnText(folder), "Sub");
  EXPECT_EQ(SizeColumnText(folder), "<DIR>");
  EXPECT_EQ(DateColumnText(folder, when), "03.03.04 14:05");
  EXPECT_EQ(AttributeColumnText(folder), "r---");
  // A counted folder shows its bytes; counted empty is 0, not <DIR>.
  folder.sizeCounted = true;
  EXPECT_EQ(SizeColumnText(folder), "0");
  folder.size = 5368709120ull;
  EXPECT_EQ(SizeColumnText(folder), "5 368 709 120");
}

// What a command gets of the selected rows: list order, never the parent
// row, counts and the files' bytes (64-bit), and the names that list twice.
TEST(Selection, OfTheSelectedRows) {
  const std::string twin = "t\xEF\xBF\xBD";
  FakeSource source({File("a.txt", 10), Folder("Sub"), File("big.img", 5ull << 30), File(twin, 1), File(twin, 2)});
  EntryTable table;
  ASSERT_EQ(ListFolder(source, "C:\\Data\\", false, table), ListStatus::kOk);
  // Rows: "..", then the listing reversed.
  ASSERT_EQ(ShownNames(table)[0], "..    ");
  const Selection all = SelectionOf(table, "C:\\Data\\", {0, 1, 2, 3, 4, 5, 99});
  EXPECT_TRUE(all.parentSelected);
  EXPECT_EQ(all.Names(), (std::vector<std::string>{twin, twin, "big.img", "Sub", "a.txt"}));
  EXPECT_EQ(all.files, 4u);
  EXPECT_EQ(all.folders, 1u);
  EXPECT_EQ(all.bytes, (5ull << 30) + 13);
  EXPECT_TRUE(table.ListedTwice(twin));
  EXPECT_FALSE(table.ListedTwice("a.txt"));
  const Selection parentOnly = SelectionOf(table, "C:\\Data\\", {0});
  EXPECT_TRUE(parentOnly.Empty());
  EXPECT_TRUE(parentOnly.parentSelected);
  EXPECT_EQ(SelectionOf(table, "C:\\Data\\", {}).folder, "C:\\Data\\");
}

}  // namespace
}  // namespace px
