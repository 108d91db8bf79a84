// Reading, writing and updating the list of names searched for.
#include "core/search/SearchNames.h"

#include <algorithm>

#include "core/text/CaseFold.h"

namespace px {

namespace {
constexpr char kSection[] = "SearchName";
}  // namespace

std::vector<std::string> ReadSearchNames(const SettingsStore& store) {
  std::vector<std::string> names;
  for (int i = 0; i < kSearchNameSlots; ++i) {
    std::string name = store.GetString(kSection, std::to_string(i), "");
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  return names;
}

void WriteSearchNames(SettingsStore& store, const std::vector<std::string>& names) {
  for (size_t i = 0; i < static_cast<size_t>(kSearchNameSlots); ++i)
    store.SetString(kSection, std::to_string(i), i < names.size() ? names[i] : std::string());
}

void RememberSearchName(std::vector<std::string>& names, const std::string& name) {
  if (name.empty()) return;
  names.erase(std::remove_if(names.begin(), names.end(),
                             [&name](const std::string& kept) { return EqualsNoCase(kept, name); }),
              names.end());
  names.insert(names.begin(), name);
  if (names.size() > static_cast<size_t>(kSearchNameSlots)) names.resize(kSearchNameSlots);
}

}  // namespace px
