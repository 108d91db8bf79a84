// Comparing what two panels show (see the header).
#include "core/panel/TreeCompare.h"

#include <algorithm>
#include <utility>

#include "core/fs/FileAttributes.h"
#include "core/panel/NameRules.h"

namespace px {
namespace {

constexpr uint32_t kEntriesBetweenChecks = 1024;

void AddFile(SideFiles& out, std::string path, const FoundEntry& found, size_t entry, bool unsure) {
  out.files.push_back({std::move(path), found.size, found.writeTime});
  out.entry.push_back(entry);
  out.unsure.push_back(unsure ? 1 : 0);
}

void AddUnreadable(SideFiles& out, size_t entry) {
  ++out.unreadable;
  out.unreadableEntries.push_back(entry);
}

FoundEntry AsFound(const PanelEntry& entry) {
  return {std::string(), entry.size, entry.writeTime, entry.attributes};
}

// Ascending entries out of flags kept per entry.
std::vector<size_t> Flagged(const std::vector<uint8_t>& flags) {
  std::vector<size_t> entries;
  for (size_t i = 0; i < flags.size(); ++i)
    if (flags[i]) entries.push_back(i);
  return entries;
}

}  // namespace

SideFiles TopFiles(const EntryTable& table) {
  SideFiles out;
  for (size_t i = 0; i < table.entries.size(); ++i) {
    const PanelEntry& entry = table.entries[i];
    if (!entry.IsFile()) continue;
    const bool unsure = table.ListedTwice(entry.name) || !IsAddressableName(entry.name);
    AddFile(out, entry.name, AsFound(entry), i, unsure);
  }
  return out;
}

bool CollectTreeFiles(DirectorySource& source, const std::string& folder, const EntryTable& table,
                      bool showHiddenSystem, SideFiles& out,
                      const std::function<bool()>& keepGoing,
                      const std::function<void(const std::string&)>& listing) {
  bool stopped = false;
  auto goOn = [&] {
    if (!stopped && keepGoing && !keepGoing()) stopped = true;
    return !stopped;
  };
  std::string top = folder;
  if (top.empty() || top.back() != '\\') top += '\\';

  struct Pending {
    std::string path;      // to list, ending with a backslash
    std::string relative;  // the same below top
    size_t entry;          // the table's folder it lies in
  };
  // The next folder to list is the last; a folder's subfolders go on in
  // reverse so that they are read in the listing's order.
  std::vector<Pending> pending;
  for (size_t i = table.entries.size(); i-- > 0;) {
    const PanelEntry& entry = table.entries[i];
    if (entry.IsParent()) continue;
    // A name a path cannot reach, or one that stands for two entries, is
    // never entered or read: it might lead to another file.
    if (!IsAddressableName(entry.name) || (entry.IsFolder() && table.ListedTwice(entry.name))) {
      AddUnreadable(out, i);
      continue;
    }
    if (entry.IsFile()) continue;  // added below, in the table's order
    if (entry.attributes & kAttrReparsePoint) continue;
    pending.push_back({top + entry.name + '\\', entry.name + '\\', i});
  }
  for (size_t i = 0; i < table.entries.size(); ++i) {
    const PanelEntry& entry = table.entries[i];
    if (entry.IsFile() && IsAddressableName(entry.name))
      AddFile(out, entry.name, AsFound(entry), i, table.ListedTwice(entry.name));
  }

  while (!pending.empty() && goOn()) {
    const Pending current = std::move(pending.back());
    pending.pop_back();
    const size_t firstChild = pending.size();
    if (listing) listing(current.path);
    uint32_t sinceCheck = 0;
    bool unusableName = false;
    const ListStatus status = source.Enumerate(current.path, [&](FoundEntry&& found) {
      // The source cannot be told to stop early; the rest is ignored.
      if (stopped) return;
      if (++sinceCheck == kEntriesBetweenChecks) {
        sinceCheck = 0;
        if (!goOn()) return;
      }
      if (found.name == "." || found.name == "..") return;
      if (!showHiddenSystem && (found.attributes & (kAttrHidden | kAttrSystem)) != 0) return;
      if (found.attributes & kAttrReparsePoint) return;
      if (!IsAddressableName(found.name)) {
        unusableName = true;
        ++out.unreadable;
        return;
      }
      if (found.attributes & kAttrDirectory) {
        pending.push_back({current.path + found.name + '\\', current.relative + found.name + '\\',
                           current.entry});
        return;
      }
      AddFile(out, current.relative + found.name, found, current.entry, MayListAlike(found.name));
    });
    if (stopped) break;
    if (unusableName) out.unreadableEntries.push_back(current.entry);
    // A folder gone since its parent was listed holds nothing.
    if (status == ListStatus::kUnreadable || status == ListStatus::kIncomplete)
      AddUnreadable(out, current.entry);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstChild), pending.end());
  }
  return !stopped;
}

PanelCompareOutcome ComparePanels(const PanelCompareRequest& request, DirectorySource* folders,
                                  ReaderSource* files, const std::function<bool()>& keepGoing,
                                  const std::function<void(const PanelCompareProgress&)>& progress) {
  PanelCompareOutcome outcome;
  PanelCompareProgress shown;
  auto report = [&] {
    if (progress) progress(shown);
  };
  auto collect = [&](const std::string& folder, const EntryTable& table, SideFiles& side) {
    if (!request.subfolders) {
      side = TopFiles(table);
      return true;
    }
    if (folders == nullptr) return true;
    return CollectTreeFiles(*folders, folder, table, request.showHiddenSystem, side, keepGoing,
                            [&](const std::string& path) {
                              shown.folder = path;
                              report();
                            });
  };
  SideFiles left, right;
  if (!collect(request.leftFolder, request.left, left) ||
      !collect(request.rightFolder, request.right, right)) {
    outcome.stopped = true;
    return outcome;
  }

  const bool readContents = request.options.contentCandidates && files != nullptr;
  FolderCompareOptions options = request.options;
  options.contentCandidates = readContents;
  const FolderComparison comparison = CompareFileLists(left.files, right.files, options);
  std::vector<uint8_t> fileLeft(left.files.size(), 0), fileRight(right.files.size(), 0);
  for (size_t i : comparison.markLeft) fileLeft[i] = 1;
  for (size_t j : comparison.markRight) fileRight[j] = 1;
  outcome.unreadable = left.unreadable + right.unreadable;

  if (readContents && !comparison.candidates.empty()) {
    shown.folder.clear();
    for (const ComparedPair& pair : comparison.candidates) shown.bytesTotal += left.files[pair.left].size;
    report();
    ContentBuffers buffers;
    for (const ComparedPair& pair : comparison.candidates) {
      if (keepGoing && !keepGoing()) {
        outcome.stopped = true;
        return outcome;
      }
      const uint64_t doneBefore = shown.bytesDone;
      ContentCheck check;
      if (left.unsure[pair.left] || right.unsure[pair.right]) {
        check.result = ContentResult::kUnreadable;
        check.unreadableFiles = static_cast<uint8_t>(left.unsure[pair.left] + right.unsure[pair.right]);
      } else {
        check = CompareFileContents(*files, request.leftFolder + left.files[pair.left].path,
                                    request.rightFolder + right.files[pair.right].path, buffers,
                                    keepGoing, [&](uint64_t bytes) {
                                      shown.bytesDone += bytes;
                                      report();
                                    });
      }
      if (check.result == ContentResult::kStopped) {
        outcome.stopped = true;
        return outcome;
      }
      outcome.unreadable += check.unreadableFiles;
      if (check.result != ContentResult::kSame) {
        fileLeft[pair.left] = 1;
        fileRight[pair.right] = 1;
      }
      // A pair cut short or grown counts as its listed size, so that the
      // figures end where they said they would.
      shown.bytesDone = doneBefore + left.files[pair.left].size;
      report();
    }
  }

  std::vector<uint8_t> entryLeft(request.left.entries.size(), 0);
  std::vector<uint8_t> entryRight(request.right.entries.size(), 0);
  auto toEntries = [&outcome](const SideFiles& side, const std::vector<uint8_t>& marked,
                              std::vector<uint8_t>& entries) {
    for (size_t i = 0; i < marked.size(); ++i) {
      if (!marked[i]) continue;
      ++outcome.differing;
      if (side.entry[i] < entries.size()) entries[side.entry[i]] = 1;
    }
    for (size_t entry : side.unreadableEntries)
      if (entry < entries.size()) entries[entry] = 1;
  };
  toEntries(left, fileLeft, entryLeft);
  toEntries(right, fileRight, entryRight);
  outcome.markLeft = Flagged(entryLeft);
  outcome.markRight = Flagged(entryRight);
  return outcome;
}

}  // namespace px
