// Reading the main window's settings from PX.ini and writing them back by group.
#include "core/settings/Settings.h"

#include <algorithm>

#include "core/panel/NameRules.h"
#include "core/settings/ColourScheme.h"

namespace px {
namespace {

constexpr const char* kDefaultPath = "C:\\";
constexpr const char* kDefaultLanguage = "English";
constexpr size_t kMaxPathBytes = 32000;
// Each panel keeps at least 5 % of the width: a narrower one is lost, its
// list too small to show a name or to be found with the mouse.
constexpr int kMinDivider = 50;
constexpr int kMaxDivider = 950;
// A column narrower than this cannot be seen or grabbed; one wider than an 8K
// screen's half is a corrupt value, not a choice.
constexpr int kMinColumnWidth = 10;
constexpr int kMaxColumnWidth = 4000;
constexpr int kMaxToolBarButtons = 200;
constexpr int kLastToolBarImage = 30;



struct OptionKey {
  const char* key;
  int Options::*field;
};

// Read and written in this order.
constexpr OptionKey kOptionFlags[] = {
    {"ShowToolBar", &Options::showToolBar},
    {"ShowDrive", &Options::showDrive},
    {"ShowCurDir", &Options::showCurDir},
    {"ShowComLine", &Options::showComLine},
    {"ShowFuncKey", &Options::showFuncKey},
    {"FullRowSelect", &Options::fullRowSelect},
    {"SelectionAlways", &Options::selectionAlways},
    {"ShowHiddenSystem", &Options::showHiddenSystem},
    {"SavePanels", &Options::savePanels},
    {"SaveSettings", &Options::saveSettings},
    {"SavePosition", &Options::savePosition},
    {"FastRename", &Options::fastRename},
    {"SelectFolders", &Options::selectFolders},
    {"ShowAllIcons", &Options::showAllIcons},
    {"Recycle", &Options::recycle},
};

// Options added since the first family (background jobs, the selection
// line, quick search, comparing): 0 or 1, anything else their default.
constexpr OptionKey kStrictFlags[] = {
    {"QueueSameDrive", &Options::queueSameDrive},
    {"Verify", &Options::verify},
    {"ShowSelectionLine", &Options::showSelectionLine},
    {"QuickSearchLetters", &Options::quickSearchLetters},
    {"QuickSearchContains", &Options::quickSearchContains},
    {"CompareBySize", &Options::compareBySize},
    {"CompareByContent", &Options::compareByContent},
    {"CompareSubfolders", &Options::compareSubfolders},
    {"AlwaysShowTabs", &Options::alwaysShowTabs},
};

struct ColumnKey {
  const char* key;
  int PanelSettings::*field;
};

constexpr ColumnKey kColumns[] = {
    {"TabName", &PanelSettings::tabName},
    {"TabSize", &PanelSettings::tabSize},
    {"TabDate", &PanelSettings::tabDate},
    {"TabAttr", &PanelSettings::tabAttr},
};

constexpr Side kSides[] = {Side::kLeft, Side::kRight};

}  // namespace

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

int InRangeOr(int value, int low, int high, int fallback) {
  return value < low || value > high ? fallback : value;
}

const char* SectionOf(Side side) { return side == Side::kLeft ? "Left" : "Right"; }

std::string LanguageOrDefault(const std::string& language) {
  if (language.empty() || language == "." || language == ".." || HasControlCharacter(language) ||
      language.find_first_of("\\/:") != std::string::npos || IsDeviceName(language)) {
    return kDefaultLanguage;
  }
  return language;
}

std::string NormalizeFolderPath(const std::string& path, const std::string& fallback) {
  if (path.empty() || HasControlCharacter(path)) return fallback;
  std::string normalized = path;
  if (normalized.back() != '\\') normalized += '\\';
  if (normalized.size() > kMaxPathBytes) return fallback;
  return normalized;
}

Settings ReadSettings(const SettingsStore& store) {
  Settings settings;
  const PanelSettings defaults;

  for (Side side : kSides) {
    PanelSettings& panel = settings.panels[static_cast<int>(side)];
    panel.path = NormalizeFolderPath(store.GetString(SectionOf(side), "Path", kDefaultPath),
                                     kDefaultPath);
  }

  Options& options = settings.options;
  options.divider = InRangeOr(store.GetInt("Options", "Divider", options.divider), kMinDivider,
                              kMaxDivider, options.divider);
  for (const OptionKey& flag : kOptionFlags) {
    options.*flag.field = store.GetInt("Options", flag.key, options.*flag.field);
  }
  for (const OptionKey& flag : kStrictFlags) {
    const int fallback = options.*flag.field;
    options.*flag.field = InRangeOr(store.GetInt("Options", flag.key, fallback), 0, 1, fallback);
  }
  options.colours = InRangeOr(store.GetInt("Options", "Colours", options.colours),
                              kColoursAsSystem, kColoursDark, options.colours);
  options.editor = store.GetString("Options", "Editor", options.editor);
  options.language =
      LanguageOrDefault(store.GetString("Options", "Language", options.language));

  for (Side side : kSides) {
    PanelSettings& panel = settings.panels[static_cast<int>(side)];
    panel.sortKey = InRangeOr(store.GetInt(SectionOf(side), "Sort", defaults.sortKey), 0, 5, 0);
  }
  for (Side side : kSides) {
    PanelSettings& panel = settings.panels[static_cast<int>(side)];
    panel.sortOrder =
        InRangeOr(store.GetInt(SectionOf(side), "SortOrder", defaults.sortOrder), 0, 1, 0);
  }
  for (const ColumnKey& column : kColumns) {
    for (Side side : kSides) {
      PanelSettings& panel = settings.panels[static_cast<int>(side)];
      panel.*column.field =
          InRangeOr(store.GetInt(SectionOf(side), column.key, defaults.*column.field),
                    kMinColumnWidth, kMaxColumnWidth, defaults.*column.field);
    }
  }
  for (Side side : kSides) {
    PanelSettings& panel = settings.panels[static_cast<int>(side)];
    panel.show = InRangeOr(store.GetInt(SectionOf(side), "Show", defaults.show), kViewList,
                           kViewTree, kViewDetails);
  }

  WindowSettings& window = settings.window;
  window.left = store.GetInt("Position", "Left", window.left);
  window.top = store.GetInt("Position", "Top", window.top);
  window.width = store.GetInt("Position", "Width", window.width);
  window.height = store.GetInt("Position", "Height", window.height);
  window.maximized = store.GetInt("Position", "Maximized", window.maximized);

  for (int i = 0; i < kHistorySlots; ++i) {
    std::string entry = store.GetString("History", std::to_string(i), "");
    if (entry.empty()) break;
    settings.commandHistory.push_back(std::move(entry));
  }

  for (int i = 0; i < kFavouriteSlots; ++i) {
    std::string number = std::to_string(i);
    std::string name = store.GetString("Favorites", "N" + number, "");
    if (name.empty()) break;
    settings.favourites.push_back({std::move(name), store.GetString("Favorites", "F" + number, "")});
  }
  return settings;
}

void WritePanelsGroup(SettingsStore& store, const PanelGroupState& left,
                      const PanelGroupState& right) {
  const PanelGroupState* states[] = {&left, &right};
  for (Side side : kSides) {
    store.SetString(SectionOf(side), "Path", states[static_cast<int>(side)]->settings.path);
  }
  for (Side side : kSides) {
    store.SetInt(SectionOf(side), "Sort", states[static_cast<int>(side)]->settings.sortKey);
  }
  for (Side side : kSides) {
    store.SetInt(SectionOf(side), "SortOrder", states[static_cast<int>(side)]->settings.sortOrder);
  }
  for (Side side : kSides) {
    store.SetInt(SectionOf(side), "Show", states[static_cast<int>(side)]->settings.show);
  }
  for (Side side : kSides) {
    const PanelGroupState& state = *states[static_cast<int>(side)];
    if (!state.listInDetailsStyle) continue;
    for (const ColumnKey& column : kColumns) {
      store.SetInt(SectionOf(side), column.key, state.settings.*column.field);
    }
  }
}

void WriteWindowGroup(SettingsStore& store, const WindowSettings& window, bool maximized) {
  if (maximized) {
    store.SetInt("Position", "Maximized", 1);
    return;
  }
  store.SetInt("Position", "Maximized", 0);
  store.SetInt("Position", "Left", window.left);
  store.SetInt("Position", "Top", window.top);
  store.SetInt("Position", "Width", window.width);
  store.SetInt("Position", "Height", window.height);
}

void WriteOptionsGroup(SettingsStore& store, const Options& options,
                       const std::vector<std::string>& commandHistory) {
  store.SetInt("Options", "Divider", options.divider);
  for (const OptionKey& flag : kOptionFlags) {
    store.SetInt("Options", flag.key, options.*flag.field);
  }
  for (const OptionKey& flag : kStrictFlags) {
    store.SetInt("Options", flag.key, options.*flag.field);
  }
  store.SetInt("Options", "Colours", options.colours);
  store.SetString("Options", "Editor", options.editor);
  store.SetString("Options", "Language", options.language);
  for (int i = 0; i < kHistorySlots; ++i) {
    bool present = static_cast<size_t>(i) < commandHistory.size();
    store.SetString("History", std::to_string(i), present ? commandHistory[i] : std::string());
  }
}

void WriteFavourites(SettingsStore& store, const std::vector<Favourite>& favourites) {
  for (int i = 0; i < kFavouriteSlots; ++i) {
    bool present = static_cast<size_t>(i) < favourites.size();
    std::string number = std::to_string(i);
    store.SetString("Favorites", "N" + number, present ? favourites[i].name : std::string());
    store.SetString("Favorites", "F" + number, present ? favourites[i].folder : std::string());
  }
}

std::vector<int> ReadToolBarButtons(const SettingsStore& store, int defaultCount) {
  int count = std::clamp(store.GetInt("Buttons", "ButtonCount", defaultCount), 0,
                         kMaxToolBarButtons);
  std::vector<int> buttons;
  buttons.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    int image = store.GetInt("Buttons", "Button" + std::to_string(i), 0);
    buttons.push_back(InRangeOr(image, 0, kLastToolBarImage, 0));
  }
  return buttons;
}

std::string ToolBarLayoutText(const std::vector<int>& buttons) {
  ProfileDocument document;
  document.SetInt("Buttons", "ButtonCount", static_cast<int>(buttons.size()));
  for (size_t i = 0; i < buttons.size(); ++i)
    document.SetInt("Buttons", "Button" + std::to_string(i), buttons[i]);
  return document.Serialize();
}

}  // namespace px
