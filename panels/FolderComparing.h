// Comparing the folders of both panels: marks in each the files missing on
// the other side or newer there.
#pragma once

#include <cstddef>

#include "framework/AppContext.h"

namespace px {

class PanelPair;

// Marks in both lists the files missing on the other side or newer than the
// other side's (times within 2 s count as equal), every other mark taken
// away, the cursors left where they stand; then says how many differ, or
// that the folders are equal. Gives the number marked.
size_t CompareBothPanels(AppContext& context, PanelPair& panels);

}  // namespace px
