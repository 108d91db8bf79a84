// The names searched for before: kept newest first while the search dialog is
// open, stored in section SearchName of the settings file.
#pragma once

#include <string>
#include <vector>

#include "core/settings/SettingsStore.h"

namespace px {

constexpr int kSearchNameSlots = 20;

// Keys "0" to "19" of section SearchName, up to the first empty one.
std::vector<std::string> ReadSearchNames(const SettingsStore& store);
// Every key "0" to "19": the names in order, empty beyond them.
void WriteSearchNames(SettingsStore& store, const std::vector<std::string>& names);

// Puts name first. An empty name is not kept (it would end the list when read
// back), nor a second copy of a name (letter case ignored), which would push
// other names out; the oldest name goes when all slots are taken.
void RememberSearchName(std::vector<std::string>& names, const std::string& name);

}  // namespace px
