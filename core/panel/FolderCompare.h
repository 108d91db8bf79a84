// Comparing the files of two folders by name: which to mark on each side so
// that copying the marked files over makes both sides hold the newest of
// every file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/panel/EntryTable.h"

namespace px {

// FAT keeps write times to two seconds, so a file copied there from another
// file system comes back up to two seconds off.
constexpr uint64_t kFatTimeTolerance = 2 * 10000000ull;  // 100 ns units

struct FolderCompareOptions {
  // Write times at most this far apart (100 ns units) count as the same:
  // kFatTimeTolerance where one side is FAT-like, 0 to compare exactly.
  uint64_t timeTolerance = 0;
  // Files of the same time whose sizes differ are marked on both sides (which
  // of them is right cannot be told).
  bool bySize = false;
  // Pairs of the same time and size are listed for a content check the
  // caller runs (it marks both files of a pair whose contents differ). Sizes
  // that differ are marked as with bySize, as their contents surely differ.
  bool contentCandidates = false;
};

struct FolderCompareCounts {
  uint64_t onlyLeft = 0;     // files with no file of their name on the right
  uint64_t onlyRight = 0;
  uint64_t newerLeft = 0;    // pairs whose left file is newer
  uint64_t newerRight = 0;
  uint64_t sizeDiffers = 0;  // pairs of the same time with other sizes, when sizes count
  uint64_t candidates = 0;   // pairs listed for a content check
  uint64_t same = 0;         // pairs marked on neither side and not listed
};

struct ComparedPair {
  size_t left = 0;
  size_t right = 0;
};

struct FolderComparison {
  // What to mark on each side, ascending.
  std::vector<size_t> markLeft;
  std::vector<size_t> markRight;
  // Pairs of the same time and size, by ascending left index; empty unless
  // asked for.
  std::vector<ComparedPair> candidates;
  FolderCompareCounts counts;
};

// Files pair up by name ignoring case as the panel folds it (foldedName); a
// file is marked when the other side has no file of its name (a folder of
// that name does not count) or when it is the newer of its pair. Where a
// side holds names that fold alike (a folder with case-sensitive names),
// those pair only with the same name spelled exactly alike. Folders and the
// parent entry are never marked: comparing subfolders too is the caller's
// walk (see CompareFileLists). Indices are entry indices of the tables, the
// figures are of every entry (not only the rows a filter shows). Linear in
// the number of entries.
FolderComparison CompareFolders(const EntryTable& left, const EntryTable& right,
                                const FolderCompareOptions& options = {});

// A file of a folder tree, for comparing two trees: the caller walks both and
// lists their files by path relative to the tree's top ("Sub\Name.txt").
struct ComparedFile {
  std::string path;
  uint64_t size = 0;
  uint64_t writeTime = 0;  // 100 ns units since 1601, UTC
};

// The same comparison for two trees' files, paired by relative path ignoring
// case ("/" is taken for "\"); indices are into the lists. A file whose path
// is missing on the other side because a folder of it is missing there is
// marked like any other. Linear in the lists' length (names are folded once).
FolderComparison CompareFileLists(const std::vector<ComparedFile>& left,
                                  const std::vector<ComparedFile>& right,
                                  const FolderCompareOptions& options = {});

}  // namespace px
