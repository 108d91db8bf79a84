// Fuzzes the tabs of PX.ini: any file read as tabs, the tabs written and read back, and folders walked up.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/panel/NameRules.h"
#include "core/panel/TabSettings.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"
#include "tests/core/TextStorage.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

constexpr Side kSides[] = {Side::kLeft, Side::kRight};

bool HasControlCharacter(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

bool SameTab(const TabSettings& a, const TabSettings& b) {
  return a.folder == b.folder && a.sort.key == b.sort.key && a.sort.order == b.sort.order &&
         a.viewMode == b.viewMode && a.cursorName == b.cursorName;
}

bool SameTabs(const SideTabs& a, const SideTabs& b) {
  if (a.tabs.size() != b.tabs.size() || a.current != b.current) return false;
  for (size_t i = 0; i < a.tabs.size(); ++i) {
    if (!SameTab(a.tabs[i], b.tabs[i])) return false;
  }
  return true;
}

void CheckSide(const SideTabs& side, const PanelSettings& panel) {
  PX_FUZZ_CHECK(!side.tabs.empty() && side.tabs.size() <= kMaxTabsPerSide);
  PX_FUZZ_CHECK(side.current < side.tabs.size());
  if (!side.stored) {
    PX_FUZZ_CHECK(side.tabs.size() == 1 && side.tabs[0].folder == panel.path);
    return;
  }
  for (const TabSettings& tab : side.tabs) {
    PX_FUZZ_CHECK(!tab.folder.empty() && UsableFolderPath(tab.folder) == tab.folder);
    PX_FUZZ_CHECK(tab.folder.back() == '\\' && tab.folder.size() <= 32000);
    PX_FUZZ_CHECK(!HasControlCharacter(tab.folder));
    PX_FUZZ_CHECK(tab.sort.key >= kSortByName && tab.sort.key <= kSortByListing);
    PX_FUZZ_CHECK(tab.sort.order == 0 || tab.sort.order == 1);
    PX_FUZZ_CHECK(tab.viewMode >= kViewList && tab.viewMode <= kViewTree);
    PX_FUZZ_CHECK(tab.cursorName.empty() ||
                  (IsAddressableName(tab.cursorName) && !HasControlCharacter(tab.cursorName) &&
                   tab.cursorName.size() <= 765));
  }
}

// exists answers from the input's own bytes, so runs reach every depth.
void CheckNearest(const std::string& path, unsigned char seed) {
  std::vector<std::string> asked;
  const auto exists = [&asked, seed](const std::string& folder) {
    asked.push_back(folder);
    return (folder.size() + seed) % 5 == 0;
  };
  const std::string nearest = NearestExistingFolder(path, exists);
  const std::string usable = UsableFolderPath(path);
  if (usable.empty()) {
    PX_FUZZ_CHECK(nearest.empty() && asked.empty());
    return;
  }
  PX_FUZZ_CHECK(!asked.empty() && asked.front() == usable);
  for (size_t i = 1; i < asked.size(); ++i) {
    PX_FUZZ_CHECK(asked[i].size() < asked[i - 1].size());
    PX_FUZZ_CHECK(asked[i - 1].compare(0, asked[i].size(), asked[i]) == 0);
    PX_FUZZ_CHECK(asked[i].back() == '\\' && UsableFolderPath(asked[i]) == asked[i]);
  }
  if (nearest.empty()) {
    // Walked up to the root, which did not exist either.
    PX_FUZZ_CHECK(UsableFolderPath(asked.back()) == asked.back());
    PX_FUZZ_CHECK(NearestExistingFolder(asked.back(), [](const std::string&) { return false; }).empty());
  } else {
    PX_FUZZ_CHECK(nearest == asked.back() && (nearest.size() + seed) % 5 == 0);
  }
}

void CheckTabs(std::string_view text) {
  std::string file(text);
  SettingsStore store(std::make_unique<TextStorage>(&file));
  const Settings settings = ReadSettings(store);
  SideTabs read[2];
  for (Side side : kSides) {
    const int s = static_cast<int>(side);
    read[s] = ReadSideTabs(store, side, settings.panels[s]);
    CheckSide(read[s], settings.panels[s]);
    // A side's states made from its tabs give the same tabs back.
    PX_FUZZ_CHECK(SameTabs(TabsOfStates(StatesOfTabs(read[s])), read[s]));
  }

  // Written as read, the tabs read again the same, and the panel keys stay.
  for (Side side : kSides) WriteSideTabs(store, side, read[static_cast<int>(side)]);
  PX_FUZZ_CHECK(store.Commit());
  const Settings again = ReadSettings(store);
  for (Side side : kSides) {
    const int s = static_cast<int>(side);
    PX_FUZZ_CHECK(again.panels[s].path == settings.panels[s].path);
    const SideTabs back = ReadSideTabs(store, side, again.panels[s]);
    PX_FUZZ_CHECK(SameTabs(back, read[s]));
    PX_FUZZ_CHECK(back.stored == (read[s].stored || !UsableFolderPath(read[s].tabs[0].folder).empty()));
  }

  const unsigned char seed = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
  for (const SideTabs& side : read) {
    for (const TabSettings& tab : side.tabs) CheckNearest(tab.folder, seed);
  }
  // Lines of the file as paths of their own, whatever they hold.
  for (const std::string& line : fuzz::Lines(text, 16)) {
    const size_t equals = line.find('=');
    CheckNearest(equals == std::string::npos ? line : line.substr(equals + 1), seed);
  }
}

}  // namespace
}  // namespace px

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  px::CheckTabs(px::fuzz::AsText(data, size));
  return 0;
}
