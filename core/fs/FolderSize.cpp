// Counting a folder's tree through a DirectorySource (see the header).
#include "core/fs/FolderSize.h"

#include <algorithm>
#include <utility>

#include "core/fs/FileAttributes.h"
#include "core/panel/NameRules.h"

namespace px {
namespace {

constexpr uint32_t kEntriesBetweenChecks = 1024;

}  // namespace

FolderSize CountFolderSize(DirectorySource& source, const std::string& folder,
                           const std::function<bool()>& keepGoing,
                           const FolderSizeProgress& progress) {
  FolderSize result;
  bool stopped = false;
  auto goOn = [&] {
    if (!stopped && keepGoing && !keepGoing()) stopped = true;
    return !stopped;
  };

  std::string start = folder;
  if (start.empty() || start.back() != '\\') start += '\\';
  // Folders still to list, the next one last; a folder's subfolders go on in
  // reverse so that they are listed (and reported) in the listing's order.
  std::vector<std::string> pending{std::move(start)};
  bool first = true;
  while (!pending.empty() && goOn()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    const size_t firstChild = pending.size();
    uint32_t sinceCheck = 0;
    const ListStatus status = source.Enumerate(current, [&](FoundEntry&& entry) {
      // The source cannot be told to stop early; the rest of the listing is ignored.
      if (stopped) return;
      if (++sinceCheck == kEntriesBetweenChecks) {
        sinceCheck = 0;
        if (!goOn()) return;
      }
      if (entry.name == "." || entry.name == "..") return;
      if (entry.attributes & kAttrReparsePoint) {
        ++result.figures.links;
        return;
      }
      if ((entry.attributes & kAttrDirectory) == 0) {
        ++result.figures.files;
        result.figures.bytes += entry.size;
        return;
      }
      ++result.figures.folders;
      // A name holding a path separator would lead to another folder.
      if (IsAddressableName(entry.name)) {
        pending.push_back(current + entry.name + '\\');
      } else {
        result.unreadable.push_back(current + entry.name + '\\');
      }
    });
    if (first && status == ListStatus::kNotFound) {
      result = FolderSize();
      result.end = FolderSizeEnd::kNotFound;
      return result;
    }
    first = false;
    if (status == ListStatus::kUnreadable || status == ListStatus::kIncomplete)
      result.unreadable.push_back(current);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstChild), pending.end());
    if (progress) progress(result.figures);
  }
  if (stopped) result.end = FolderSizeEnd::kStopped;
  return result;
}

}  // namespace px
