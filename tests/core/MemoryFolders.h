// Folders held in memory by path (ending with a backslash), listed the way a
// disk lists them: "." and ".." first, then the entries in the order added.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/fs/DirectorySource.h"
#include "core/fs/FileAttributes.h"

namespace px {

class MemoryFolders : public DirectorySource {
 public:
  // A path ending with a backslash adds a folder (one with the reparse-point
  // bit is a link: listed, never listable), anything else a file of size
  // bytes; folders above it are added as needed, with folderTime.
  void Put(const std::string& path, uint64_t size, uint64_t writeTime, uint32_t extraAttributes) {
    const bool isFolder = path.back() == '\\';
    const std::string trimmed = isFolder ? path.substr(0, path.size() - 1) : path;
    const size_t slash = trimmed.rfind('\\');
    const std::string parent = trimmed.substr(0, slash + 1);
    if (isFolder && (extraAttributes & kAttrReparsePoint) == 0) folders_[path];
    if (folders_.count(parent) == 0 && slash > 2) Put(parent, 0, folderTime, 0);
    folders_[parent].push_back({trimmed.substr(slash + 1), isFolder ? 0 : size, writeTime,
                                (isFolder ? kAttrDirectory : kAttrArchive) | extraAttributes});
  }
  // An entry as it is, whatever its name holds.
  void AddEntry(const std::string& folder, FoundEntry entry) { folders_[folder].push_back(entry); }
  void Remove(const std::string& folder) { folders_.erase(folder); }

  ListStatus Enumerate(const std::string& folder, const std::function<void(FoundEntry&&)>& sink) override {
    ++listings[folder];
    if (locked.count(folder)) return ListStatus::kUnreadable;
    const auto it = folders_.find(folder);
    if (it == folders_.end()) return ListStatus::kNotFound;
    sink({".", 0, 0, kAttrDirectory});
    sink({"..", 0, 0, kAttrDirectory});
    const bool cut = cutShort.count(folder) != 0;
    const size_t count = cut ? it->second.size() / 2 : it->second.size();
    for (size_t i = 0; i < count; ++i) sink(FoundEntry(it->second[i]));
    return cut ? ListStatus::kIncomplete : ListStatus::kOk;
  }

  uint64_t folderTime = 0;           // of the folders added above a path
  std::map<std::string, int> listings;
  std::set<std::string> locked;      // cannot be read at all (folders, or files to open)
  std::set<std::string> cutShort;    // the listing breaks off after half the entries

 private:
  std::map<std::string, std::vector<FoundEntry>> folders_;
};

}  // namespace px
