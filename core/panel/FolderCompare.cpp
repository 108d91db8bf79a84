// Comparing two folders' files by name (see the header).
#include "core/panel/FolderCompare.h"

#include <algorithm>
#include <deque>
#include <string_view>
#include <unordered_map>

#include "core/text/CaseFold.h"

namespace px {
namespace {

// One file of a side as the comparison sees it; the views point into the
// caller's tables or lists.
struct Item {
  std::string_view key;    // folded: what pairs files
  std::string_view exact;  // as listed: pairs files whose key a side holds more than once
  uint64_t size = 0;
  uint64_t writeTime = 0;
  size_t index = 0;        // what the result reports
};

struct KeyInfo {
  uint32_t left = 0;   // files of the key on each side
  uint32_t right = 0;
  size_t firstRight = 0;  // position in the right items of the first one
};

FolderComparison Compare(const std::vector<Item>& left, const std::vector<Item>& right,
                         const FolderCompareOptions& options) {
  FolderComparison result;
  std::unordered_map<std::string_view, KeyInfo> keys;
  keys.reserve(left.size() + right.size());
  for (const Item& item : left) ++keys[item.key].left;
  for (size_t i = 0; i < right.size(); ++i) {
    KeyInfo& info = keys[right[i].key];
    if (info.right++ == 0) info.firstRight = i;
  }
  // Files whose key is not unique on both sides pair by their exact name;
  // of names listed twice alike the first is taken.
  std::unordered_map<std::string_view, size_t> exactRight;
  for (size_t i = 0; i < right.size(); ++i) {
    const KeyInfo& info = keys[right[i].key];
    if (info.left > 1 || info.right > 1) exactRight.emplace(right[i].exact, i);
  }

  const bool bySize = options.bySize || options.contentCandidates;
  std::vector<uint8_t> markLeft(left.size(), 0);
  std::vector<uint8_t> markRight(right.size(), 0);
  std::vector<uint8_t> pairedRight(right.size(), 0);
  for (size_t i = 0; i < left.size(); ++i) {
    const Item& l = left[i];
    const KeyInfo& info = keys[l.key];
    size_t j = right.size();
    if (info.left == 1 && info.right == 1) {
      j = info.firstRight;
    } else if (info.right != 0) {
      const auto found = exactRight.find(l.exact);
      if (found != exactRight.end() && right[found->second].key == l.key) j = found->second;
    }
    if (j == right.size() || pairedRight[j]) {
      markLeft[i] = 1;
      ++result.counts.onlyLeft;
      continue;
    }
    pairedRight[j] = 1;
    const Item& r = right[j];
    if (l.writeTime > r.writeTime && l.writeTime - r.writeTime > options.timeTolerance) {
      markLeft[i] = 1;
      ++result.counts.newerLeft;
    } else if (r.writeTime > l.writeTime && r.writeTime - l.writeTime > options.timeTolerance) {
      markRight[j] = 1;
      ++result.counts.newerRight;
    } else if (bySize && l.size != r.size) {
      markLeft[i] = 1;
      markRight[j] = 1;
      ++result.counts.sizeDiffers;
    } else if (options.contentCandidates && l.size == r.size) {
      result.candidates.push_back({l.index, r.index});
      ++result.counts.candidates;
    } else {
      ++result.counts.same;
    }
  }
  for (size_t j = 0; j < right.size(); ++j) {
    if (pairedRight[j]) continue;
    markRight[j] = 1;
    ++result.counts.onlyRight;
  }
  for (size_t i = 0; i < left.size(); ++i)
    if (markLeft[i]) result.markLeft.push_back(left[i].index);
  for (size_t j = 0; j < right.size(); ++j)
    if (markRight[j]) result.markRight.push_back(right[j].index);
  return result;
}

// The keys made here are kept in a deque, whose strings stay where they are
// as it grows, so the items' views into them hold.
std::vector<Item> FilesOf(const EntryTable& table, std::deque<std::string>& folded) {
  std::vector<Item> items;
  items.reserve(table.entries.size());
  for (size_t i = 0; i < table.entries.size(); ++i) {
    const PanelEntry& entry = table.entries[i];
    if (!entry.IsFile()) continue;
    std::string_view key = entry.foldedName;
    // Tables are built with folded names; one made by hand may lack them.
    if (key.empty() && !entry.name.empty()) {
      folded.push_back(FoldName(entry.name));
      key = folded.back();
    }
    items.push_back({key, entry.name, entry.size, entry.writeTime, i});
  }
  return items;
}

std::vector<Item> FilesOf(const std::vector<ComparedFile>& files, std::deque<std::string>& keys,
                          std::deque<std::string>& exact) {
  std::vector<Item> items;
  items.reserve(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    std::string path = files[i].path;
    std::replace(path.begin(), path.end(), '/', '\\');
    keys.push_back(FoldName(path));
    exact.push_back(std::move(path));
    items.push_back({keys.back(), exact.back(), files[i].size, files[i].writeTime, i});
  }
  return items;
}

}  // namespace

FolderComparison CompareFolders(const EntryTable& left, const EntryTable& right,
                                const FolderCompareOptions& options) {
  std::deque<std::string> foldedLeft, foldedRight;
  return Compare(FilesOf(left, foldedLeft), FilesOf(right, foldedRight), options);
}

FolderComparison CompareFileLists(const std::vector<ComparedFile>& left,
                                  const std::vector<ComparedFile>& right,
                                  const FolderCompareOptions& options) {
  std::deque<std::string> leftKeys, leftExact, rightKeys, rightExact;
  return Compare(FilesOf(left, leftKeys, leftExact), FilesOf(right, rightKeys, rightExact), options);
}

}  // namespace px
