// What a panel's marks add up to, kept up to date mark by mark.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/panel/SelectionSummary.h"

namespace px {
namespace {

PanelEntry Entry(EntryKind kind, uint64_t size = 0) {
  PanelEntry entry;
  entry.kind = kind;
  entry.size = size;
  return entry;
}

// Entries: 0 parent, 1 file of 100, 2 folder, 3 file of 5, 4 folder, 5 empty file.
EntryTable Sample() {
  EntryTable table;
  table.entries = {Entry(EntryKind::kParent), Entry(EntryKind::kFile, 100),
                   Entry(EntryKind::kFolder), Entry(EntryKind::kFile, 5),
                   Entry(EntryKind::kFolder), Entry(EntryKind::kFile, 0)};
  table.rows = {0, 4, 2, 5, 3, 1};
  return table;
}

SelectionFigures Figures(uint64_t markedFiles, uint64_t files, uint64_t markedFolders,
                         uint64_t folders, uint64_t markedBytes, uint64_t bytes,
                         uint64_t markedFoldersCounted = 0, uint64_t foldersCounted = 0) {
  SelectionFigures f;
  f.markedFiles = markedFiles;
  f.files = files;
  f.markedFolders = markedFolders;
  f.folders = folders;
  f.markedBytes = markedBytes;
  f.bytes = bytes;
  f.markedFoldersCounted = markedFoldersCounted;
  f.foldersCounted = foldersCounted;
  return f;
}

std::string Show(const SelectionFigures& f) {
  return std::to_string(f.markedFiles) + "/" + std::to_string(f.files) + " files, " +
         std::to_string(f.markedFolders) + "/" + std::to_string(f.folders) + " folders (" +
         std::to_string(f.markedFoldersCounted) + "/" + std::to_string(f.foldersCounted) +
         " counted), " + std::to_string(f.markedBytes) + "/" + std::to_string(f.bytes) + " bytes";
}

TEST(SelectionSummary, MarksFilesAndFoldersButNeverTheParent) {
  SelectionSummary summary;
  summary.Reset(Sample());
  EXPECT_EQ(summary.Figures(), Figures(0, 3, 0, 2, 0, 105)) << Show(summary.Figures());

  static const struct {
    bool mark;  // else unmark
    uint32_t entry;
    bool changed;
  } kSteps[] = {
      {true, 1, true},  {true, 1, false},   // marked once only
      {true, 0, false},                     // the parent
      {true, 6, false}, {true, 0xFFFFFFFF, false},  // beyond the table
      {true, 2, true},  {true, 5, true},  {false, 3, false}, {false, 9, false},
      {false, 1, true}, {false, 1, false},
  };
  for (const auto& s : kSteps) {
    EXPECT_EQ(s.mark ? summary.Mark(s.entry) : summary.Unmark(s.entry), s.changed)
        << (s.mark ? "mark " : "unmark ") << s.entry;
  }
  EXPECT_EQ(summary.Figures(), Figures(1, 3, 1, 2, 0, 105)) << Show(summary.Figures());
  EXPECT_TRUE(summary.IsMarked(2));
  EXPECT_FALSE(summary.IsMarked(0));
  EXPECT_FALSE(summary.IsMarked(1));
  EXPECT_FALSE(summary.IsMarked(77));
}

TEST(SelectionSummary, CountedFolderSizesAddIntoTheBytes) {
  SelectionSummary summary;
  summary.Reset(Sample());
  ASSERT_TRUE(summary.Mark(2));
  ASSERT_TRUE(summary.Mark(3));
  EXPECT_TRUE(summary.SetFolderSize(2, 1000));  // marked
  EXPECT_EQ(summary.Figures(), Figures(1, 3, 1, 2, 1005, 1105, 1, 1)) << Show(summary.Figures());
  EXPECT_TRUE(summary.SetFolderSize(4, 50));    // not marked
  EXPECT_EQ(summary.Figures(), Figures(1, 3, 1, 2, 1005, 1155, 1, 2)) << Show(summary.Figures());
  EXPECT_TRUE(summary.SetFolderSize(2, 10));    // counted again: replaces
  EXPECT_EQ(summary.Figures(), Figures(1, 3, 1, 2, 15, 165, 1, 2)) << Show(summary.Figures());
  EXPECT_TRUE(summary.Mark(4));
  EXPECT_EQ(summary.Figures(), Figures(1, 3, 2, 2, 65, 165, 2, 2)) << Show(summary.Figures());
  EXPECT_TRUE(summary.FolderSizeKnown(4));
  EXPECT_TRUE(summary.ForgetFolderSize(4));
  EXPECT_FALSE(summary.ForgetFolderSize(4));
  EXPECT_FALSE(summary.FolderSizeKnown(4));
  EXPECT_EQ(summary.Figures(), Figures(1, 3, 2, 2, 15, 115, 1, 1)) << Show(summary.Figures());
  // Only folders have counted sizes.
  EXPECT_FALSE(summary.SetFolderSize(1, 7));
  EXPECT_FALSE(summary.SetFolderSize(0, 7));
  EXPECT_FALSE(summary.SetFolderSize(40, 7));
  EXPECT_FALSE(summary.ForgetFolderSize(1));
  // Unmarking everything keeps the sizes; Reset forgets them.
  summary.UnmarkAll();
  EXPECT_EQ(summary.Figures(), Figures(0, 3, 0, 2, 0, 115, 0, 1)) << Show(summary.Figures());
  summary.Reset(Sample());
  EXPECT_EQ(summary.Figures(), Figures(0, 3, 0, 2, 0, 105)) << Show(summary.Figures());
  EXPECT_FALSE(summary.FolderSizeKnown(2));
  // An empty table, and a summary never reset, count nothing.
  summary.Reset(EntryTable());
  EXPECT_EQ(summary.Figures(), SelectionFigures());
  EXPECT_FALSE(SelectionSummary().Mark(0));
}

// Any sequence of steps leaves the figures a fresh count of the marks and
// sizes gives, huge sizes included (the sums wrap, alike both ways).
TEST(SelectionSummary, GeneratedStepsAgreeWithAFreshCount) {
  std::mt19937_64 random(7);
  auto pick = [&](uint64_t n) { return random() % n; };
  auto size = [&]() -> uint64_t {
    switch (pick(4)) {
      case 0: return 0;
      case 1: return pick(1000);
      case 2: return UINT64_MAX - pick(3);
      default: return random();
    }
  };
  for (int round = 0; round < 200; ++round) {
    EntryTable table;
    const size_t count = pick(20);
    for (size_t k = 0; k < count; ++k) {
      const uint64_t kind = pick(5);
      table.entries.push_back(kind == 0   ? Entry(EntryKind::kParent)
                              : kind <= 2 ? Entry(EntryKind::kFolder)
                                          : Entry(EntryKind::kFile, size()));
    }
    SelectionSummary summary;
    summary.Reset(table);
    std::set<uint32_t> marked;
    std::map<uint32_t, uint64_t> folderSizes;

    for (int step = 0; step < 200; ++step) {
      const auto entry = static_cast<uint32_t>(pick(count + 2));  // some beyond the table
      const bool exists = entry < count;
      const EntryKind kind = exists ? table.entries[entry].kind : EntryKind::kParent;
      switch (pick(9)) {
        case 0: case 1: case 2: {
          const bool expected = exists && kind != EntryKind::kParent && marked.insert(entry).second;
          ASSERT_EQ(summary.Mark(entry), expected) << entry;
          break;
        }
        case 3: case 4:
          ASSERT_EQ(summary.Unmark(entry), marked.erase(entry) == 1) << entry;
          break;
        case 5: case 6: {
          const uint64_t bytes = size();
          ASSERT_EQ(summary.SetFolderSize(entry, bytes), kind == EntryKind::kFolder) << entry;
          if (kind == EntryKind::kFolder) folderSizes[entry] = bytes;
          break;
        }
        case 7:
          ASSERT_EQ(summary.ForgetFolderSize(entry), folderSizes.erase(entry) == 1) << entry;
          break;
        default:
          if (pick(4) == 0) {
            summary.UnmarkAll();
            marked.clear();
          }
          break;
      }
      SelectionFigures fresh;
      for (uint32_t i = 0; i < count; ++i) {
        const PanelEntry& e = table.entries[i];
        const bool isMarked = marked.count(i) != 0;
        const auto sized = folderSizes.find(i);
        const uint64_t bytes =
            e.IsFile() ? e.size : (sized != folderSizes.end() ? sized->second : 0);
        if (e.IsFile()) {
          ++fresh.files;
          fresh.markedFiles += isMarked;
        } else if (e.IsFolder()) {
          ++fresh.folders;
          fresh.markedFolders += isMarked;
          fresh.foldersCounted += sized != folderSizes.end();
          fresh.markedFoldersCounted += isMarked && sized != folderSizes.end();
        }
        fresh.bytes += bytes;
        if (isMarked) fresh.markedBytes += bytes;
        ASSERT_EQ(summary.IsMarked(i), isMarked) << i;
        ASSERT_EQ(summary.FolderSizeKnown(i), sized != folderSizes.end()) << i;
      }
      ASSERT_EQ(summary.Figures(), fresh) << Show(summary.Figures()) << " / " << Show(fresh);
    }
  }
}

}  // namespace
}  // namespace px
