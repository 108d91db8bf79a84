// Building a panel's entry table from a folder search.
#include "core/panel/EntryTable.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "core/fs/FileAttributes.h"
#include "core/panel/EntryText.h"
#include "core/panel/NameRules.h"
#include "core/text/CaseFold.h"

namespace px {

bool PanelEntry::IsHiddenOrSystem() const {
  return (attributes & (kAttrHidden | kAttrSystem)) != 0;
}

void EntryTable::Clear() {
  entries.clear();
  rows.clear();
  listedTwice.clear();
}

long EntryTable::FindRowByName(const std::string& text, size_t from) const {
  for (size_t row = from; row < rows.size(); ++row) {
    const PanelEntry& entry = AtRow(row);
    const std::string_view shown = entry.IsParent() ? std::string_view(kParentRowText)
                                                    : std::string_view(entry.name);
    if (EqualsNoCase(shown, text)) return static_cast<long>(row);
  }
  return -1;
}

bool IsDriveRoot(const std::string& path) {
  if (path.size() != 3) return false;
  const char letter = path[0];
  const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
  return isLetter && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

EntryTableBuilder::EntryTableBuilder(EntryTable& table, const std::string& path,
                                     bool showHiddenSystem)
    : table_(table), path_(path), showHiddenSystem_(showHiddenSystem) {
  table_.Clear();
}

void EntryTableBuilder::Add(FoundEntry&& found) {
  if (found.name == "." || found.name == "..") return;
  if (!showHiddenSystem_ && (found.attributes & (kAttrHidden | kAttrSystem)) != 0) return;
  PanelEntry entry;
  entry.kind = (found.attributes & kAttrDirectory) ? EntryKind::kFolder : EntryKind::kFile;
  entry.size = entry.IsFile() ? found.size : 0;
  entry.writeTime = found.writeTime;
  entry.attributes = found.attributes;
  entry.foldedName = FoldName(found.name);
  entry.name = std::move(found.name);
  table_.entries.push_back(std::move(entry));
}

void EntryTableBuilder::Finish(ListStatus status) {
  // A folder that cannot be searched still offers the way back up.
  if (status != ListStatus::kOk && status != ListStatus::kIncomplete) table_.entries.clear();
  if (status != ListStatus::kNotFound && path_.size() > 3) {
    PanelEntry parent;
    parent.kind = EntryKind::kParent;
    parent.attributes = 1;
    parent.writeTime = 1ull << 32;
    table_.entries.push_back(std::move(parent));
  }
  // Only names that may list alike are compared, which keeps a listing of
  // ordinary names free of the cost.
  std::unordered_set<std::string> alike;
  for (const PanelEntry& entry : table_.entries) {
    if (MayListAlike(entry.name) && !alike.insert(entry.name).second) table_.listedTwice.insert(entry.name);
  }
  // Collected in search order; the rows show it reversed with the parent on top.
  std::reverse(table_.entries.begin(), table_.entries.end());
  table_.rows.resize(table_.entries.size());
  std::iota(table_.rows.begin(), table_.rows.end(), 0u);
}

ListStatus ListFolder(DirectorySource& source, const std::string& path, bool showHiddenSystem,
                      EntryTable& table) {
  EntryTableBuilder builder(table, path, showHiddenSystem);
  const ListStatus status =
      source.Enumerate(path, [&builder](FoundEntry&& found) { builder.Add(std::move(found)); });
  builder.Finish(status);
  return status;
}

}  // namespace px
