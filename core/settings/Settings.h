// The main window's settings: every key of PX.ini, its default and its group.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/settings/SettingsStore.h"

namespace px {

enum class Side { kLeft = 0, kRight = 1 };
const char* SectionOf(Side side);  // "Left" / "Right"

// View modes as stored in Show.
enum ViewMode { kViewList = 0, kViewDetails = 1, kViewTree = 2 };

struct PanelSettings {
  std::string path = "C:\\";  // always ends with a backslash
  int sortKey = 0;            // 0 to 5
  int sortOrder = 0;          // 0 ascending, 1 descending
  int show = kViewDetails;
  int tabName = 120, tabSize = 60, tabDate = 100, tabAttr = 40;
};

struct WindowSettings {
  int left = 45, top = 1, width = 550, height = 450;
  int maximized = 1;
};

// Booleans are kept as the integers the file holds: the window acts on exactly
// 1 and hides on exactly 0.
struct Options {
  int divider = 500;
  int showToolBar = 1, showDrive = 1, showCurDir = 1, showComLine = 1, showFuncKey = 1;
  int fullRowSelect = 1, selectionAlways = 1, showHiddenSystem = 0;
  int savePanels = 1, saveSettings = 1, savePosition = 0;
  int fastRename = 1, selectFolders = 0, showAllIcons = 1, recycle = 1;
  // Background jobs: 1 runs the jobs that touch the same drive one after the
  // other, 0 lets them run at once; verify 1 reads each copy back and compares.
  int queueSameDrive = 1, verify = 0;
  // 1 shows under each panel what its marked entries add up to.
  int showSelectionLine = 1;
  // Quick search: 1 lets letters typed into a list start it while the
  // command line is empty; 1 finds the typed text anywhere in a name.
  int quickSearchLetters = 0, quickSearchContains = 0;
  // Comparing folders: 1 also marks files of the same time whose sizes
  // differ; 1 also reads files of the same time and size; 1 compares
  // whole trees.
  int compareBySize = 0, compareByContent = 0, compareSubfolders = 0;
  // 1 shows a side's tab bar even while the side has one tab.
  int alwaysShowTabs = 0;
  // Colours: 0 as the system's app theme, 1 light, 2 dark (ColoursSetting).
  int colours = 0;
  std::string editor = "notepad.exe";
  std::string language = "English";
};

struct Favourite {
  std::string name;
  std::string folder;
};

constexpr int kHistorySlots = 20;
constexpr int kFavouriteSlots = 20;

struct Settings {
  PanelSettings panels[2];
  WindowSettings window;
  Options options;
  std::vector<std::string> commandHistory;  // oldest first
  std::vector<Favourite> favourites;
};

// Reads every key with its default; values a hand-edited or corrupt file may
// hold are brought into a usable range:
//  - Path goes through NormalizeFolderPath with the fallback "C:\\";
//  - Sort outside 0..5 becomes 0; SortOrder other than 0 or 1 becomes 0;
//  - Show outside 0..2 becomes 1 (details);
//  - Divider outside 50..950 (each panel at least 5 % of the width) and
//    column widths outside 10..4000 pixels take their defaults: a value at
//    the edge of the range would still hide a panel or a column;
//  - Language goes through LanguageOrDefault;
//  - QueueSameDrive and Verify other than 0 or 1 take their defaults: the
//    job queue acts on them as they are read; Colours outside 0..2 too;
//  - the window rectangle is kept as read (the window fits it to the screen),
//    the other option flags as the integers read.
// History stops at the first empty value, favourites at the first empty name.
Settings ReadSettings(const SettingsStore& store);

// Panel group. settings.show is what Show gets (2 tree, 0 list, 1 details);
// the column widths are written only for a side whose list is in details style,
// so a side in list style leaves its widths in the file untouched.
struct PanelGroupState {
  PanelSettings settings;
  bool listInDetailsStyle = true;
};
void WritePanelsGroup(SettingsStore& store, const PanelGroupState& left,
                      const PanelGroupState& right);
// Window group: only Maximized=1 while maximised (the last normal rectangle
// stays in the file), else Maximized=0 and the rectangle.
void WriteWindowGroup(SettingsStore& store, const WindowSettings& window, bool maximized);
// Options group, then History 0..19 (empty beyond the end of the list).
void WriteOptionsGroup(SettingsStore& store, const Options& options,
                       const std::vector<std::string>& commandHistory);

// Favorites: all twenty pairs N0/F0 ... N19/F19, slots beyond the list as
// empty strings, so no entry of a longer list survives behind the new end.
void WriteFavourites(SettingsStore& store, const std::vector<Favourite>& favourites);

// Toolbar layout of Standart.ini: 0 a separator, v (1..29) the button v.
// ButtonCount is clamped to 0..200; a button outside 0..29 becomes a separator.
std::vector<int> ReadToolBarButtons(const SettingsStore& store, int defaultCount);
// The whole of Standart.ini for a layout: section Buttons with ButtonCount
// and one Button key per item, nothing else.
std::string ToolBarLayoutText(const std::vector<int>& buttons);

// The language a name from the settings stands for: the name when it can only
// name a file directly in the Language folder (Language\<name>.lng and .kbr),
// else "English". Refused: empty, "." and "..", a path separator, ":" (a
// drive or a stream), a control character, a device name such as CON or COM1.
// Whoever builds a path from a stored name passes it through here first.
std::string LanguageOrDefault(const std::string& language);

// What every reader of stored values uses: a value within [low, high], else
// the fallback; whether text holds a control character (below 0x20).
int InRangeOr(int value, int low, int high, int fallback);
bool HasControlCharacter(std::string_view text);

// A folder path as the panels hold it: trailing backslash added; empty, longer
// than 32000 bytes, or holding a control character (below 0x20) gives the fallback.
std::string NormalizeFolderPath(const std::string& path, const std::string& fallback);

}  // namespace px
