// What a command acts on: the entries selected in a panel (never its parent
// entry) in list order, and what they add up to. Commands get this value
// from the panels instead of reading a list control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/panel/EntryTable.h"

namespace px {

struct Selection {
  std::string folder;               // the panel's folder, ending with a backslash
  std::vector<PanelEntry> entries;  // in list order
  uint64_t files = 0;
  uint64_t folders = 0;
  uint64_t bytes = 0;  // of the files
  bool parentSelected = false;

  bool Empty() const { return entries.empty(); }
  std::vector<std::string> Names() const;
};

// The selection of the given rows of table (rows in list order; the parent
// row is noted, not taken).
Selection SelectionOf(const EntryTable& table, const std::string& folder,
                      const std::vector<size_t>& rows);

}  // namespace px
