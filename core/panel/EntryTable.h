// The rows of one panel: the entries of its folder and the order they are shown in.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/fs/DirectorySource.h"

namespace px {

// The kind is held apart from the size: a file of 4 294 967 295 bytes is a file.
enum class EntryKind : uint8_t { kParent, kFolder, kFile };

struct PanelEntry {
  std::string name;        // UTF-8, as the file system holds it; empty for the parent entry
  std::string foldedName;  // name with case folded, the key of every name comparison
  // Full 64-bit size of a file; of a folder, the bytes of the files below it
  // once counted (sizeCounted), else 0; 0 for the parent.
  uint64_t size = 0;
  uint64_t writeTime = 0;  // last write, 100 ns units since 1601, UTC
  uint32_t attributes = 0;
  EntryKind kind = EntryKind::kFile;
  bool sizeCounted = false;  // a folder whose size was counted

  bool IsParent() const { return kind == EntryKind::kParent; }
  bool IsFolder() const { return kind == EntryKind::kFolder; }
  bool IsFile() const { return kind == EntryKind::kFile; }
  bool IsHiddenOrSystem() const;
};

// Entries stay where the listing put them (an entry's index is the row's item
// data); sorting reorders only `rows`, which maps a row to its entry index.
struct EntryTable {
  std::vector<PanelEntry> entries;
  std::vector<uint32_t> rows;
  // Names the listing held more than once (names whose bytes are no valid
  // text list alike): no call by such a name reaches one entry for sure.
  std::unordered_set<std::string> listedTwice;

  size_t RowCount() const { return rows.size(); }
  bool ListedTwice(const std::string& name) const { return listedTwice.count(name) != 0; }
  const PanelEntry& AtRow(size_t row) const { return entries[rows[row]]; }
  void Clear();
  // Row whose shown name equals text ignoring case, from row `from` on; -1 when none.
  long FindRowByName(const std::string& text, size_t from = 0) const;
};

// Builds a table from a folder search: entries that pass the hidden/system
// filter stand in the reverse of the search order, after the parent entry of a
// folder that is not a drive root. Linear in the number of entries.
class EntryTableBuilder {
 public:
  EntryTableBuilder(EntryTable& table, const std::string& path, bool showHiddenSystem);
  void Add(FoundEntry&& found);
  // status is the outcome of the search; a folder that was not found gets no
  // rows at all, not even the parent row; one whose listing broke off keeps
  // the rows found (the panel says the listing is incomplete).
  void Finish(ListStatus status);

 private:
  EntryTable& table_;
  std::string path_;
  bool showHiddenSystem_;
};

// Lists path through source into table (rows in listing order, not yet sorted).
[[nodiscard]] ListStatus ListFolder(DirectorySource& source, const std::string& path, bool showHiddenSystem,
                      EntryTable& table);

// A path of three characters such as C:\ is a drive root and has no parent row.
bool IsDriveRoot(const std::string& path);

}  // namespace px
