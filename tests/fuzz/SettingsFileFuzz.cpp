// Fuzzes the settings file: parsing, key lookups, writes, serialising, and the window's settings read from it.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/panel/NameRules.h"
#include "core/settings/ProfileDocument.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"
#include "tests/core/TextStorage.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// The names Set promises to write: not empty, no outer blanks, no line break;
// a key also without "=" and not starting with "[" or ";".
bool WritableSection(std::string_view name) {
  return !name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()) && !HasLineBreak(name);
}

bool WritableKey(std::string_view key) {
  return WritableSection(key) && key.find('=') == std::string_view::npos && key.front() != '[' &&
         key.front() != ';';
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Names to look up and write, taken from the file's own lines so that a
// mutated file keeps reaching real sections and keys.
struct Probes {
  std::vector<std::string> sections{"Options", "Left"};
  std::vector<std::string> keys{"Path", "Language"};
  std::vector<std::string> values{"", " x ", "\"q\""};
};

Probes ProbesOf(std::string_view text) {
  Probes probes;
  for (const std::string& line : fuzz::Lines(text, 64)) {
    const size_t open = line.find('[');
    const size_t close = line.rfind(']');
    if (open != std::string::npos && close != std::string::npos && close > open) {
      if (probes.sections.size() < 8) probes.sections.push_back(Trimmed(line.substr(open + 1, close - open - 1)));
      continue;
    }
    const size_t equals = line.find('=');
    if (probes.keys.size() < 8) probes.keys.push_back(Trimmed(line.substr(0, equals)));
    if (equals != std::string::npos && probes.values.size() < 8)
      probes.values.push_back(line.substr(equals + 1));
  }
  return probes;
}

using Values = std::map<std::pair<std::string, std::string>, std::optional<std::string>>;

Values Lookup(const ProfileDocument& document, const Probes& probes) {
  Values values;
  for (const std::string& section : probes.sections) {
    for (const std::string& key : probes.keys) {
      std::optional<std::string> value = document.Get(section, key);
      PX_FUZZ_CHECK(document.GetString(section, key, "\x01") == (value ? *value : "\x01"));
      document.GetInt(section, key, -7);
      values[{section, key}] = std::move(value);
    }
  }
  return values;
}

void CheckDocument(std::string_view text) {
  ProfileDocument document = ProfileDocument::Parse(text);
  // Held as its lines: an untouched file is written back byte for byte.
  PX_FUZZ_CHECK(document.Serialize() == text);

  const Probes probes = ProbesOf(text);
  const Values before = Lookup(document, probes);

  // Each write reads back as written, or writes nothing for a name that
  // could not be read back.
  std::vector<std::pair<std::string, std::string>> written;
  for (size_t i = 0; i < probes.values.size(); ++i) {
    const std::string& section = probes.sections[(i * 3) % probes.sections.size()];
    const std::string& key = probes.keys[(i * 5 + 1) % probes.keys.size()];
    const std::string& value = probes.values[i];
    const std::string old = document.Serialize();
    if (i % 4 == 3) {
      const int number = static_cast<int>(value.size() * 7919) - 40000;
      document.SetInt(section, key, number);
      if (WritableSection(section) && WritableKey(key)) {
        PX_FUZZ_CHECK(document.GetInt(section, key, number + 1) == number);
      }
    } else {
      document.Set(section, key, value);
    }
    if (!WritableSection(section) || !WritableKey(key)) {
      PX_FUZZ_CHECK(document.Serialize() == old);
      continue;
    }
    written.emplace_back(AsciiLower(section), AsciiLower(key));
    if (i % 4 != 3) {
      std::string expected = value;
      for (char& c : expected) {
        if (c == '\r' || c == '\n') c = ' ';
      }
      PX_FUZZ_CHECK(document.Get(section, key) == expected);
    }
  }

  // Keys not written keep their values, and the written file parses back to
  // the same keys.
  const Values after = Lookup(document, probes);
  for (const auto& [name, value] : before) {
    const std::pair<std::string, std::string> folded{AsciiLower(name.first), AsciiLower(name.second)};
    bool touched = false;
    for (const auto& w : written) touched = touched || w == folded;
    if (!touched) PX_FUZZ_CHECK(after.at(name) == value);
  }
  const std::string serialized = document.Serialize();
  const ProfileDocument reparsed = ProfileDocument::Parse(serialized);
  PX_FUZZ_CHECK(Lookup(reparsed, probes) == after);
  PX_FUZZ_CHECK(reparsed.Serialize() == serialized);
}

bool SamePanels(const PanelSettings& a, const PanelSettings& b) {
  return a.path == b.path && a.sortKey == b.sortKey && a.sortOrder == b.sortOrder &&
         a.show == b.show && a.tabName == b.tabName && a.tabSize == b.tabSize &&
         a.tabDate == b.tabDate && a.tabAttr == b.tabAttr;
}

bool SameOptions(const Options& a, const Options& b) {
  return a.divider == b.divider && a.showToolBar == b.showToolBar && a.showDrive == b.showDrive &&
         a.showCurDir == b.showCurDir && a.showComLine == b.showComLine &&
         a.showFuncKey == b.showFuncKey && a.fullRowSelect == b.fullRowSelect &&
         a.selectionAlways == b.selectionAlways && a.showHiddenSystem == b.showHiddenSystem &&
         a.savePanels == b.savePanels && a.saveSettings == b.saveSettings &&
         a.savePosition == b.savePosition && a.fastRename == b.fastRename &&
         a.selectFolders == b.selectFolders && a.showAllIcons == b.showAllIcons &&
         a.recycle == b.recycle && a.editor == b.editor && a.language == b.language;
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

bool HasControlCharacter(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

void CheckSettings(std::string_view text) {
  std::string file(text);
  SettingsStore store(std::make_unique<TextStorage>(&file));
  const Settings read = ReadSettings(store);

  // Whatever the file holds, what is read is usable.
  for (const PanelSettings& panel : read.panels) {
    PX_FUZZ_CHECK(!panel.path.empty() && panel.path.back() == '\\' && panel.path.size() <= 32000);
    PX_FUZZ_CHECK(!HasControlCharacter(panel.path));
    PX_FUZZ_CHECK(InRange(panel.sortKey, 0, 5) && InRange(panel.sortOrder, 0, 1));
    PX_FUZZ_CHECK(InRange(panel.show, kViewList, kViewTree));
    for (int width : {panel.tabName, panel.tabSize, panel.tabDate, panel.tabAttr})
      PX_FUZZ_CHECK(InRange(width, 10, 4000));
  }
  PX_FUZZ_CHECK(InRange(read.options.divider, 50, 950));
  const std::string& language = read.options.language;
  PX_FUZZ_CHECK(!language.empty() && !HasControlCharacter(language) &&
                language.find_first_of("\\/:") == std::string::npos && language != "." &&
                language != ".." && !IsDeviceName(language));
  PX_FUZZ_CHECK(LanguageOrDefault(language) == language);
  PX_FUZZ_CHECK(read.commandHistory.size() <= static_cast<size_t>(kHistorySlots));
  PX_FUZZ_CHECK(read.favourites.size() <= static_cast<size_t>(kFavouriteSlots));
  for (const std::string& line : read.commandHistory) PX_FUZZ_CHECK(!line.empty());
  for (const Favourite& favourite : read.favourites) PX_FUZZ_CHECK(!favourite.name.empty());

  // Written back as read, every group reads again the same.
  WritePanelsGroup(store, {read.panels[0], true}, {read.panels[1], true});
  WriteWindowGroup(store, read.window, false);
  WriteOptionsGroup(store, read.options, read.commandHistory);
  WriteFavourites(store, read.favourites);
  PX_FUZZ_CHECK(store.Commit());
  const Settings again = ReadSettings(store);
  for (int side = 0; side < 2; ++side) PX_FUZZ_CHECK(SamePanels(again.panels[side], read.panels[side]));
  PX_FUZZ_CHECK(SameOptions(again.options, read.options));
  PX_FUZZ_CHECK(again.window.left == read.window.left && again.window.top == read.window.top &&
                again.window.width == read.window.width &&
                again.window.height == read.window.height && again.window.maximized == 0);
  PX_FUZZ_CHECK(again.commandHistory == read.commandHistory);
  PX_FUZZ_CHECK(again.favourites.size() == read.favourites.size());
  for (size_t i = 0; i < read.favourites.size(); ++i) {
    PX_FUZZ_CHECK(again.favourites[i].name == read.favourites[i].name &&
                  again.favourites[i].folder == read.favourites[i].folder);
  }
}

}  // namespace
}  // namespace px

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = px::fuzz::AsText(data, size);
  px::CheckDocument(text);
  px::CheckSettings(text);
  return 0;
}
