// Rows touched by select and deselect by mask.
#include "core/panel/MaskSelection.h"

#include "core/text/Wildcard.h"

namespace px {

std::vector<size_t> RowsForMask(const EntryTable& table, const std::string& mask, MaskMode mode,
                                bool selectFolders) {
  std::vector<size_t> rows;
  for (size_t row = 0; row < table.RowCount(); ++row) {
    const PanelEntry& entry = table.AtRow(row);
    if (entry.IsParent()) {
      // The parent is never selected, so deselecting always clears it.
      if (mode == MaskMode::kDeselect) rows.push_back(row);
      continue;
    }
    if (entry.IsFolder() && !selectFolders) continue;
    if (MatchesMask(entry.name, mask)) rows.push_back(row);
  }
  return rows;
}

}  // namespace px
