// A panel's selection as a value (see the header).
#include "core/panel/Selection.h"

namespace px {

std::vector<std::string> Selection::Names() const {
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const PanelEntry& entry : entries) names.push_back(entry.name);
  return names;
}

Selection SelectionOf(const EntryTable& table, const std::string& folder,
                      const std::vector<size_t>& rows) {
  Selection selection;
  selection.folder = folder;
  selection.entries.reserve(rows.size());
  for (size_t row : rows) {
    if (row >= table.RowCount()) continue;
    const PanelEntry& entry = table.AtRow(row);
    if (entry.IsParent()) {
      selection.parentSelected = true;
      continue;
    }
    selection.entries.push_back(entry);
    if (entry.IsFolder()) {
      ++selection.folders;
    } else {
      ++selection.files;
      selection.bytes += entry.size;
    }
  }
  return selection;
}

}  // namespace px
