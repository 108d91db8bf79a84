// What a typed new-folder name creates, and where the cursor goes afterwards.
#pragma once

#include <string>
#include <vector>

namespace px {

struct NewFolderPlan {
  // False when the name would not create exactly the folder typed; the
  // caller then shows the creation failure message and creates nothing.
  bool acceptable = false;
  // The folder to create: the panel folder followed by the parts joined with
  // backslashes, no trailing backslash. Only the last part is new; every
  // folder above it must already exist.
  std::string path;
  std::vector<std::string> parts;
  // The row to put the cursor on after listing the panel again; empty when
  // the new folder lies deeper than the panel's own folder (sub\new), since
  // it is then no row of the panel.
  std::string cursorName;
};

// A name is always taken relative to the panel folder (which ends with a
// backslash). It may hold backslashes to create a folder inside an existing
// subfolder; one trailing backslash is dropped, as the file system would.
// Every part must pass IsAcceptableNewName, so a trailing dot or blank, a
// device name, a reserved character or an over-long part is refused instead
// of the file system silently making another name of it. Empty parts (a
// leading or doubled backslash) and drive names (C:) are refused too:
// absolute names are not taken for relative ones.
[[nodiscard]] NewFolderPlan PlanNewFolder(const std::string& panelPath,
                                          const std::string& typedName);

// The row to scroll into view after the cursor went to row `row`: in the
// report view a third of a page further down (clamped to the last row), so
// the new folder does not end up at the bottom edge; in the other views the
// row itself. -1 when the list is empty or row lies outside it.
long RowToRevealAfterCreate(long row, long rowsPerPage, long rowCount, bool reportView);

}  // namespace px
