// The profile file kept in memory; Commit merges the writes into the file as it is now.
#include "core/settings/SettingsStore.h"

#include <utility>

namespace px {

SettingsStore::SettingsStore(std::unique_ptr<ProfileStorage> storage)
    : storage_(std::move(storage)) {
  Reload();
}

// Changes not yet committed are dropped: the file is the truth after a reload.
// A file that cannot be read gives the defaults.
void SettingsStore::Reload() {
  std::optional<std::string> text = storage_ ? storage_->Load() : std::nullopt;
  document_ = ProfileDocument::Parse(text ? *text : std::string());
  pending_.clear();
  pendingIndex_.clear();
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
  Remember(section, key, std::to_string(value));
}

void SettingsStore::SetString(std::string_view section, std::string_view key,
                              std::string_view value) {
  document_.Set(section, key, value);
  Remember(section, key, std::string(value));
}

void SettingsStore::Remember(std::string_view section, std::string_view key, std::string value) {
  auto [it, added] =
      pendingIndex_.try_emplace({std::string(section), std::string(key)}, pending_.size());
  if (added) {
    pending_.push_back({std::string(section), std::string(key), std::move(value)});
  } else {
    pending_[it->second].value = std::move(value);
  }
}

bool SettingsStore::Commit() {
  if (pending_.empty()) return true;
  if (!storage_) return false;
  // Another program (or another copy of this one) may have written the file
  // since it was read: only the keys written here change.
  std::optional<std::string> current = storage_->Load();
  if (!current) return false;
  ProfileDocument merged = ProfileDocument::Parse(*current);
  for (const PendingWrite& write : pending_) merged.Set(write.section, write.key, write.value);
  if (!storage_->Save(merged.Serialize())) return false;  // kept to retry
  document_ = std::move(merged);
  pending_.clear();
  pendingIndex_.clear();
  return true;
}

}  // namespace px
