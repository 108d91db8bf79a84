// A panel's state as a value, apart from the controls that show it: what a
// side keeps of the folder it shows. Each side holds a list of them, one
// current (one only until a side has tabs); the controls show the current
// one and write back into it what only they know (cursor, selection, view)
// when asked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/panel/FolderHistory.h"
#include "core/panel/Sorting.h"
#include "core/settings/Settings.h"

namespace px {

struct PanelState {
  std::string folder = "C:\\";  // ends with a backslash
  SortState sort;
  int viewMode = kViewDetails;  // kViewList, kViewDetails or kViewTree
  std::string cursorName;       // the entry under the cursor; empty for none or the parent
  std::vector<std::string> selectedNames;
  FolderHistory history;
  std::string quickFilter;  // empty: every entry shows
};

class SideStates {
 public:
  SideStates() : states_(1) {}

  PanelState& Current() { return states_[current_]; }
  const PanelState& Current() const { return states_[current_]; }
  size_t Count() const { return states_.size(); }
  size_t CurrentIndex() const { return current_; }
  const PanelState& At(size_t index) const { return states_[index]; }

  // A new state after the current one, made current; gives its index.
  size_t Open(PanelState state);
  // Removes a state, never the last; false when it cannot.
  bool Close(size_t index);
  // Makes another state current; false when out of range.
  bool Select(size_t index);

 private:
  std::vector<PanelState> states_;
  size_t current_ = 0;
};

}  // namespace px
