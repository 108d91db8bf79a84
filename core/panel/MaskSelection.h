// Which rows a select-by-mask or deselect-by-mask touches.
#pragma once

#include <string>
#include <vector>

#include "core/panel/EntryTable.h"

namespace px {

enum class MaskMode { kSelect = 1, kDeselect = 2 };

// kSelect: the rows to select once every row has been deselected (never the
// parent; folders only when selectFolders). kDeselect: the rows to deselect
// (the parent always; folders only when selectFolders).
std::vector<size_t> RowsForMask(const EntryTable& table, const std::string& mask, MaskMode mode,
                                bool selectFolders);

}  // namespace px
