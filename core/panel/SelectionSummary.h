// What the marks of a panel add up to, for the line under its rows: kept up
// to date as entries are marked and unmarked instead of counted again.
#pragma once

#include <cstdint>
#include <vector>

#include "core/panel/EntryTable.h"

namespace px {

// Files and folders of the table (never the parent entry), the marked ones
// among them, and their bytes: a file's size, a folder's counted size once it
// is known (folders not yet counted add nothing).
struct SelectionFigures {
  uint64_t markedFiles = 0;
  uint64_t files = 0;
  uint64_t markedFolders = 0;
  uint64_t folders = 0;
  uint64_t markedBytes = 0;
  uint64_t bytes = 0;
  // Folders whose size is known; when fewer than the folders, the bytes are
  // only a lower bound (the line may say so).
  uint64_t markedFoldersCounted = 0;
  uint64_t foldersCounted = 0;

  bool operator==(const SelectionFigures& o) const;
  bool operator!=(const SelectionFigures& o) const { return !(*this == o); }
};

// Keyed by entry index (a row's item data), so sorting or filtering the rows
// changes nothing; the figures are of every entry of the table, not only the
// rows a quick filter shows. Every call but Reset is O(1).
class SelectionSummary {
 public:
  // The table's entries, none marked and no folder counted.
  void Reset(const EntryTable& table);

  // False when nothing changed: already so, the parent entry, or an index
  // beyond the table.
  bool Mark(uint32_t entry);
  bool Unmark(uint32_t entry);
  bool IsMarked(uint32_t entry) const;
  // Every entry unmarked; linear in the table's size.
  void UnmarkAll();

  // A folder's counted size, replacing one set before. False for an entry
  // that is no folder of the table.
  bool SetFolderSize(uint32_t entry, uint64_t bytes);
  // Back to not known (the folder changed since it was counted).
  bool ForgetFolderSize(uint32_t entry);
  bool FolderSizeKnown(uint32_t entry) const;

  const SelectionFigures& Figures() const { return figures_; }

 private:
  enum Flags : uint8_t {
    kFile = 1,
    kFolder = 2,
    kMarked = 4,
    kCounted = 8,  // a folder whose size is known
  };

  uint8_t FlagsOf(uint32_t entry) const { return entry < flags_.size() ? flags_[entry] : 0; }

  std::vector<uint64_t> bytes_;  // a file's size, a counted folder's size, else 0
  std::vector<uint8_t> flags_;
  SelectionFigures figures_;
};

}  // namespace px
