// Comparing what two panels show, as a whole: their files alone or their
// whole trees, by time and optionally by size and by content, down to which
// of each panel's entries to mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/fs/ContentCompare.h"
#include "core/fs/DirectorySource.h"
#include "core/panel/EntryTable.h"
#include "core/panel/FolderCompare.h"

namespace px {

// The files one side brings to a comparison, each with the entry of the
// panel's table it stands for: itself, or the folder of the table it lies in.
struct SideFiles {
  std::vector<ComparedFile> files;  // paths relative to the panel's folder
  std::vector<size_t> entry;        // for each file
  // For each file: a path built from its name may reach another file (names
  // that list alike, names holding a path separator), so it is never read.
  std::vector<uint8_t> unsure;
  // Entries of the table whose tree could not be read whole, or holds a name
  // no path reaches; possibly more than once.
  std::vector<size_t> unreadableEntries;
  uint64_t unreadable = 0;  // such folders and names
};

// The files of the table itself (the parent entry and folders left out).
SideFiles TopFiles(const EntryTable& table);

// The files of the table and of every folder it lists, all the way down,
// folder being the table's folder (ending with a backslash). Links (reparse
// points) are never entered, so the walk stays in the tree and ends on link
// loops; with showHiddenSystem off, hidden and system entries below the top
// are left out as the panel leaves them out of its own rows. A folder that
// cannot be read (or only in part) and a name no path reaches count in
// unreadable and put their top entry in unreadableEntries; a folder gone
// since it was listed counts as empty. keepGoing (when set) is asked before
// each folder and every 1024 entries; false when it said no. listing (when
// set) hears each folder before it is read. The folders still to read are
// kept on a list, not on the call stack: any depth is fine.
bool CollectTreeFiles(DirectorySource& source, const std::string& folder, const EntryTable& table,
                      bool showHiddenSystem, SideFiles& out,
                      const std::function<bool()>& keepGoing = nullptr,
                      const std::function<void(const std::string&)>& listing = nullptr);

struct PanelCompareRequest {
  std::string leftFolder, rightFolder;  // the panels' folders, ending with a backslash
  EntryTable left, right;               // what the panels list
  bool subfolders = false;              // whole trees, else the tables' own files
  bool showHiddenSystem = false;
  // options.contentCandidates: pairs of the same time and size are read and
  // compared byte by byte.
  FolderCompareOptions options;

  // Whether the comparison reads anything (folders or files), and so must
  // run as a job; without, it is linear in the tables' size.
  bool Reads() const { return subfolders || options.contentCandidates; }
};

struct PanelCompareProgress {
  std::string folder;       // being listed; empty once contents are compared
  uint64_t bytesDone = 0;   // contents compared so far, of one side
  uint64_t bytesTotal = 0;  // of every pair to read, of one side
};

struct PanelCompareOutcome {
  bool stopped = false;  // keepGoing said no: nothing else here holds
  // Entries of the tables to mark, ascending: files that differ, and (for
  // trees) the folders holding any of them.
  std::vector<size_t> markLeft, markRight;
  uint64_t differing = 0;   // files marked, both sides together
  uint64_t unreadable = 0;  // files and folders that could not be read (marked as differing)
};

// The whole comparison: lists both sides (through folders, for trees),
// pairs their files by relative path ignoring case, reads the pairs of the
// same time and size (through files) when asked, and gives what to mark.
// folders and files may be null when the request does not need them.
// progress (when set) hears each folder listed and each block compared.
PanelCompareOutcome ComparePanels(const PanelCompareRequest& request, DirectorySource* folders,
                                  ReaderSource* files,
                                  const std::function<bool()>& keepGoing = nullptr,
                                  const std::function<void(const PanelCompareProgress&)>& progress = nullptr);

}  // namespace px
