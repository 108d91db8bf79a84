// The tabs of both sides as PX.ini keeps them, in a section of their own:
//
//   [Tabs]
//   LeftCount=2             tabs of the side, 1 to 64
//   LeftCurrent=2           the current tab, counted from 1
//   Left1Path=C:\Data\      the tab's folder, as the panels hold it
//   Left1Sort=0             sort key, 0 to 5, as Sort of [Left]
//   Left1SortOrder=0        0 ascending, 1 descending
//   Left1Show=1             view mode, 0 to 2, as Show of [Left]
//   Left1Cursor=notes.txt   the entry under the cursor; empty for none
//   Left2Path=...           and so on; Right* alike for the right side
//
// The single-panel keys of [Left] and [Right] stay as they are: a file
// written before tabs existed, or a side without a usable count, reads as
// one tab made from them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/panel/PanelState.h"
#include "core/panel/Sorting.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"

namespace px {

constexpr size_t kMaxTabsPerSide = 64;

struct TabSettings {
  std::string folder = "C:\\";  // ends with a backslash
  SortState sort;
  int viewMode = kViewDetails;
  std::string cursorName;  // empty for none or the parent entry
};

struct SideTabs {
  std::vector<TabSettings> tabs;  // 1 to kMaxTabsPerSide when read
  size_t current = 0;             // index into tabs
  // False when the file held no tabs for the side and its one tab was made
  // from the side's single-panel keys.
  bool stored = false;
};

// A folder path a tab may hold, normalized (trailing backslash added); empty
// when it holds none. Taken: a drive path "X:\..." and a share path
// "\\server\share\..."; refused: anything relative ("Data\", "\Data\", "C:"),
// the "\\?\" and "\\.\" forms, empty, "." and ".." steps, a control
// character, one of < > : " | ? * / after the root, and more than 32000 bytes.
std::string UsableFolderPath(const std::string& path);

// Reads a side's tabs. Each value is brought into range as ReadSettings does
// for the single-panel keys (sort, order, view; a cursor name that is no
// single name becomes empty). A tab whose path is missing or not usable
// (UsableFolderPath) is dropped; the current one then is the nearest tab kept
// before it, else the first. A count beyond 64 reads the first 64 slots; a
// count missing, below 1 or leaving no tab gives the one tab of `panel`
// (ReadSettings' single-panel keys of the side) with stored false. A current
// number out of range gives the first tab. At most 64 slots are looked at,
// whatever the file holds.
SideTabs ReadSideTabs(const SettingsStore& store, Side side, const PanelSettings& panel);

// Writes a side's tabs as ReadSideTabs reads them back: tabs whose folder is
// not usable are left out, values out of range written as they would be read.
// More than 64 tabs keep the first 64, or the first 63 and the current one
// when the current one is beyond them; a current index out of range stands
// for the first tab, a current tab left out for the nearest kept before it.
// The slots of a longer list the file held before are emptied, so none
// survives behind the new end. No usable tab at all writes Count=0, which
// reads back as the single-panel keys.
void WriteSideTabs(SettingsStore& store, Side side, const SideTabs& tabs);

// The tabs of a side's states, and states made from tabs (history, selection
// and quick filter start empty). The controls write the current state's
// cursor and view back into it before its tabs are taken.
SideTabs TabsOfStates(const SideStates& states);
SideStates StatesOfTabs(const SideTabs& tabs);

// The folder itself when it exists, else its nearest existing parent, up to
// the root ("C:\" or "\\server\share\"); empty when not even the root exists
// or the path is not usable (UsableFolderPath). exists is asked about folder
// paths ending with a backslash, deepest first, each at most once.
std::string NearestExistingFolder(const std::string& path,
                                  const std::function<bool(const std::string& folder)>& exists);

}  // namespace px
