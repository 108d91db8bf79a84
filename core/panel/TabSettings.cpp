// The tabs of both sides read from and written to PX.ini (see the header for the keys).
#include "core/panel/TabSettings.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/panel/NameRules.h"

namespace px {
namespace {

constexpr const char* kSection = "Tabs";
// 255 UTF-16 units take at most 765 bytes of UTF-8 (lone surrogates included).
constexpr size_t kMaxNameBytes = 765;

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// One step of a folder path, the server and share of a share path included.
bool UsableStep(std::string_view step) {
  return !step.empty() && step != "." && step != ".." &&
         step.find_first_of("<>:\"|?*/") == std::string_view::npos;
}

// Length of the root of a usable folder path, its final backslash included.
size_t RootLength(const std::string& folder) {
  if (folder[0] != '\\') return 3;
  const size_t server = folder.find('\\', 2);
  return folder.find('\\', server + 1) + 1;
}

std::string UsableCursorName(const std::string& name) {
  if (name.size() > kMaxNameBytes || !IsAddressableName(name) || HasControlCharacter(name)) return {};
  return name;
}

// A tab as it reads back once written; false when its folder is not usable.
bool MakeUsable(TabSettings& tab) {
  tab.folder = UsableFolderPath(tab.folder);
  if (tab.folder.empty()) return false;
  tab.sort.key = InRangeOr(tab.sort.key, kSortByName, kSortByListing, kSortByName);
  tab.sort.order = InRangeOr(tab.sort.order, 0, 1, 0);
  tab.viewMode = InRangeOr(tab.viewMode, kViewList, kViewTree, kViewDetails);
  tab.cursorName = UsableCursorName(tab.cursorName);
  return true;
}

struct SlotKeys {
  std::string path, sort, sortOrder, show, cursor;
};

SlotKeys KeysOf(Side side, size_t number) {
  const std::string slot = SectionOf(side) + std::to_string(number);
  return {slot + "Path", slot + "Sort", slot + "SortOrder", slot + "Show", slot + "Cursor"};
}

std::string CountKey(Side side) { return std::string(SectionOf(side)) + "Count"; }
std::string CurrentKey(Side side) { return std::string(SectionOf(side)) + "Current"; }

SideTabs OneTabOf(const PanelSettings& panel) {
  SideTabs side;
  TabSettings tab;
  tab.folder = panel.path;
  tab.sort = {panel.sortKey, panel.sortOrder};
  tab.viewMode = panel.show;
  side.tabs.push_back(std::move(tab));
  return side;
}

}  // namespace

std::string UsableFolderPath(const std::string& path) {
  size_t pos = 0;
  size_t minSteps = 0;
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
    pos = 3;
  } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    pos = 2;
    minSteps = 2;  // server and share
  } else {
    return {};
  }
  std::string folder = NormalizeFolderPath(path, std::string());
  if (folder.empty()) return folder;
  size_t steps = 0;
  while (pos < folder.size()) {
    const size_t end = folder.find('\\', pos);  // found: the folder ends with one
    if (!UsableStep(std::string_view(folder).substr(pos, end - pos))) return {};
    ++steps;
    pos = end + 1;
  }
  if (steps < minSteps) return {};
  return folder;
}

SideTabs ReadSideTabs(const SettingsStore& store, Side side, const PanelSettings& panel) {
  const int count = std::min(store.GetInt(kSection, CountKey(side), 0),
                             static_cast<int>(kMaxTabsPerSide));
  if (count < 1) return OneTabOf(panel);
  int current = store.GetInt(kSection, CurrentKey(side), 1);
  if (current < 1 || current > count) current = 1;

  SideTabs result;
  result.stored = true;
  for (int number = 1; number <= count; ++number) {
    const SlotKeys keys = KeysOf(side, static_cast<size_t>(number));
    TabSettings tab;
    tab.folder = store.GetString(kSection, keys.path, "");
    tab.sort.key = store.GetInt(kSection, keys.sort, kSortByName);
    tab.sort.order = store.GetInt(kSection, keys.sortOrder, 0);
    tab.viewMode = store.GetInt(kSection, keys.show, kViewDetails);
    tab.cursorName = store.GetString(kSection, keys.cursor, "");
    if (!MakeUsable(tab)) continue;
    if (number <= current) result.current = result.tabs.size();
    result.tabs.push_back(std::move(tab));
  }
  if (result.tabs.empty()) return OneTabOf(panel);
  return result;
}

void WriteSideTabs(SettingsStore& store, Side side, const SideTabs& tabs) {
  // Kept: the usable tabs, at most 64 of them, the current one among them.
  // A current index out of range stands for the first tab, as when read.
  const size_t wanted = tabs.current < tabs.tabs.size() ? tabs.current : 0;
  std::vector<TabSettings> kept;
  size_t current = 0;
  for (size_t i = 0; i < tabs.tabs.size(); ++i) {
    TabSettings tab = tabs.tabs[i];
    if (!MakeUsable(tab)) continue;
    if (kept.size() == kMaxTabsPerSide) {
      if (i != wanted) continue;
      kept.pop_back();
    }
    if (i <= wanted) current = kept.size();
    kept.push_back(std::move(tab));
  }

  const int before =
      std::clamp(store.GetInt(kSection, CountKey(side), 0), 0, static_cast<int>(kMaxTabsPerSide));
  store.SetInt(kSection, CountKey(side), static_cast<int>(kept.size()));
  store.SetInt(kSection, CurrentKey(side), kept.empty() ? 0 : static_cast<int>(current + 1));
  for (size_t i = 0; i < kept.size(); ++i) {
    const SlotKeys keys = KeysOf(side, i + 1);
    const TabSettings& tab = kept[i];
    store.SetString(kSection, keys.path, tab.folder);
    store.SetInt(kSection, keys.sort, tab.sort.key);
    store.SetInt(kSection, keys.sortOrder, tab.sort.order);
    store.SetInt(kSection, keys.show, tab.viewMode);
    store.SetString(kSection, keys.cursor, tab.cursorName);
  }
  for (size_t number = kept.size() + 1; number <= static_cast<size_t>(before); ++number) {
    const SlotKeys keys = KeysOf(side, number);
    for (const std::string* key : {&keys.path, &keys.sort, &keys.sortOrder, &keys.show, &keys.cursor})
      store.SetString(kSection, *key, "");
  }
}

SideTabs TabsOfStates(const SideStates& states) {
  SideTabs result;
  result.stored = true;
  result.current = states.CurrentIndex();
  for (size_t i = 0; i < states.Count(); ++i) {
    const PanelState& state = states.At(i);
    TabSettings tab;
    tab.folder = state.folder;
    tab.sort = state.sort;
    tab.viewMode = state.viewMode;
    tab.cursorName = state.cursorName;
    result.tabs.push_back(std::move(tab));
  }
  return result;
}

SideStates StatesOfTabs(const SideTabs& tabs) {
  SideStates states;
  for (size_t i = 0; i < tabs.tabs.size(); ++i) {
    PanelState state;
    state.folder = tabs.tabs[i].folder;
    state.sort = tabs.tabs[i].sort;
    state.viewMode = tabs.tabs[i].viewMode;
    state.cursorName = tabs.tabs[i].cursorName;
    if (i == 0) {
      states.Current() = std::move(state);
    } else {
      states.Open(std::move(state));
    }
  }
  states.Select(std::min(tabs.current, states.Count() - 1));
  return states;
}

std::string NearestExistingFolder(const std::string& path,
                                  const std::function<bool(const std::string& folder)>& exists) {
  std::string folder = UsableFolderPath(path);
  if (folder.empty()) return folder;
  const size_t root = RootLength(folder);
  // Each step up cuts the last step off in place: the whole walk reads the
  // path once, however deep it is.
  while (!exists(folder)) {
    if (folder.size() <= root) return {};
    folder.resize(folder.rfind('\\', folder.size() - 2) + 1);
  }
  return folder;
}

}  // namespace px
