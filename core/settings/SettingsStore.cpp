// The profile file kept in memory, written back in one piece on Commit.
#include "core/settings/SettingsStore.h"

#include <utility>

namespace px {

SettingsStore::SettingsStore(std::unique_ptr<ProfileStorage> storage)
    : storage_(std::move(storage)) {
  Reload();
}

// Changes not yet committed are dropped: the file is the truth after a reload.
void SettingsStore::Reload() {
  document_ = ProfileDocument::Parse(storage_ ? storage_->Load() : std::string());
  dirty_ = false;
}

int SettingsStore::GetInt(std::string_view section, std::string_view key, int fallback) const {
  return document_.GetInt(section, key, fallback);
}

std::string SettingsStore::GetString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
  return document_.GetString(section, key, fallback);
}

void SettingsStore::SetInt(std::string_view section, std::string_view key, int value) {
  document_.SetInt(section, key, value);
  dirty_ = true;
}

void SettingsStore::SetString(std::string_view section, std::string_view key,
                              std::string_view value) {
  document_.Set(section, key, value);
  dirty_ = true;
}

bool SettingsStore::Commit() {
  if (!dirty_) return true;
  if (!storage_ || !storage_->Save(document_.Serialize())) return false;  // stays dirty to retry
  dirty_ = false;
  return true;
}

}  // namespace px
