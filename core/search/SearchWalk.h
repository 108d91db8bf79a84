// Walks a folder tree and collects the result lines of a search.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/fs/DirectorySource.h"
#include "core/search/SearchFilters.h"

namespace px {

// Everything one search looks for, read from the dialog's pages.
struct SearchCriteria {
  std::string mask;            // the name text (see NameMatcher)
  bool subfolders = true;      // walk the whole tree, not only the start folder
  bool reportFolders = true;   // list matching folders as well as files
  DateFilter date;
  SizeFilter size;
};

// The tests of the criteria on one entry (name, date, size; folders pass only
// when reported).
class EntryTest {
 public:
  explicit EntryTest(const SearchCriteria& criteria);
  bool Passes(const FoundEntry& entry) const;

 private:
  NameMatcher name_;
  DateFilter date_;
  SizeFilter size_;
  bool reportFolders_;
};

struct SearchCounts {
  uint64_t foldersListed = 0;  // folders whose entries were looked at
  uint64_t filesLookedAt = 0;  // file entries tested
  uint64_t filesFound = 0;     // result lines for files
  uint64_t foldersFound = 0;   // result lines for folders
  uint64_t foldersNotRead = 0; // folders that could not be read, or only in part
};

enum class SearchEnd {
  kDone,
  kStopped,             // the stop flag was seen
  kStartFolderMissing,  // the start folder does not exist; nothing was found
};

struct SearchOutcome {
  SearchEnd end = SearchEnd::kDone;
  SearchCounts counts;
};

// Receives result lines in the order they were found (possibly none, to pass
// on the counts during a long stretch without results). Runs on the thread
// that runs the walk.
using SearchSink = std::function<void(std::vector<std::string>&& lines, const SearchCounts& counts)>;

struct SearchBatching {
  size_t maxLines = 256;                            // a batch is handed on when this full
  std::chrono::milliseconds maxDelay{100};          // or, after a folder, when this old
};

// Every entry below startFolder (an absolute folder, trailing backslash
// optional) that passes the criteria. Each folder is listed once; folder
// links (reparse points) are reported like folders but never entered, so the
// walk stays inside the start folder's tree and ends on link loops. A folder
// that cannot be listed, or only in part, is counted in foldersNotRead and
// what was read of it is searched. stop is checked before each folder
// and each entry; lines found before it was seen are still handed on.
// Uses nothing but its arguments, so it may run on any thread.
SearchOutcome RunSearch(DirectorySource& source, const std::string& startFolder,
                        const SearchCriteria& criteria, const std::atomic<bool>& stop,
                        const SearchSink& sink, const SearchBatching& batching = {});

// Result lines: folder + name for a file (C:\Data\a.txt, C:\a.txt from a
// drive root), the same in angle brackets for a folder (<C:\Data\Sub>).
// folder ends with a backslash.
std::string ResultLineText(const std::string& folder, const std::string& name, bool isFolder);

// A result line taken apart for showing it in a panel: the folder with its
// trailing backslash, and the entry's name.
struct ResultLocation {
  std::string folder;
  std::string name;
};
ResultLocation ParseResultLine(const std::string& line);

// The start folder field's first text: the panel's folder without its
// trailing backslash, except a drive root (C:\) which keeps it.
std::string StartFolderFieldText(const std::string& panelFolder);

// The folder a typed start folder names, ending with a backslash: absolute
// paths (C:\Data, C:, \\server\share\x) as they are; \Data on the panel
// folder's drive or share; a relative path (Sub, ..\Other, C:Sub on the
// panel's drive) below panelFolder; C:Sub on another drive below its root.
// "/" counts as "\", "." and ".." steps are resolved and never climb above
// the root. Empty gives panelFolder.
std::string ResolveStartFolder(const std::string& typed, const std::string& panelFolder);

}  // namespace px
