// Counting what a folder holds, all the way down, for the size of a marked
// folder and for the properties of a folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/fs/DirectorySource.h"

namespace px {

struct FolderSizeFigures {
  uint64_t files = 0;
  uint64_t folders = 0;  // below the counted folder, not counting it
  uint64_t bytes = 0;    // of the files
  uint64_t links = 0;    // entries with the reparse-point bit: neither counted nor entered
};

enum class FolderSizeEnd {
  kDone,      // every folder was listed (some perhaps only in part: see unreadable)
  kStopped,   // keepGoing said no; the figures are of what was listed before
  kNotFound,  // the folder itself does not exist; nothing was counted
};

struct FolderSize {
  FolderSizeEnd end = FolderSizeEnd::kDone;
  FolderSizeFigures figures;
  // Folders (ending with a backslash) that could not be listed or only in
  // part, the counted folder itself among them; what was read of them is
  // counted. Folders whose names cannot be used in a path are here too.
  std::vector<std::string> unreadable;
};

// Figures handed on after each folder, for a count that shows as it goes.
using FolderSizeProgress = std::function<void(const FolderSizeFigures&)>;

// Counts every file below folder (trailing backslash optional). Links
// (reparse points: symbolic links, junctions, mount points) are counted in
// links only: a link to a folder is never entered, so the count stays inside
// the folder's own tree and ends on link loops. A subfolder gone since its
// parent was listed counts as empty. keepGoing (when set) is asked before each
// folder and every 1024 entries of a listing, so a JobGate's Pass fits it;
// once it says no, nothing more is looked at. The folders to list are kept on
// a list, not on the call stack, so any depth is fine.
[[nodiscard]] FolderSize CountFolderSize(DirectorySource& source, const std::string& folder,
                                         const std::function<bool()>& keepGoing = nullptr,
                                         const FolderSizeProgress& progress = nullptr);

}  // namespace px
