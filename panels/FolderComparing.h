// Comparing the folders of both panels: the options asked first, then their
// files (or whole trees) compared by time and, as chosen, by size and by
// content; what differs is marked in each panel.
#pragma once

#include <cstddef>

#include "framework/AppContext.h"

namespace px {

class PanelPair;

// Asks for the options (kept in the options on OK; Cancel does nothing),
// then marks in both lists the files missing on the other side or newer
// there (times within 2 s count as equal); by size, files of the same time
// whose sizes differ too; by content, files of the same time and size whose
// bytes differ or that cannot be read. With subfolders, whole trees are
// compared by relative path and the panel's entries that hold a file that
// differs are marked. Anything that reads folders or files runs as a job,
// its progress shown once it takes a moment; a stopped comparison changes no
// mark. Every other mark is taken away, the cursors stay where they stand.
// Then says what was found. Gives the number of files that differ (0 when
// cancelled or stopped).
size_t CompareBothPanels(AppContext& context, PanelPair& panels);

}  // namespace px
