// Integer and string values by section and key in one profile file.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/settings/ProfileDocument.h"

namespace px {

// Where a profile file's bytes come from and go to. The platform side reads
// the file (decoding a file that is not UTF-8 from the system code page) and
// replaces it atomically, so a crash or a full disk never leaves half a file.
class ProfileStorage {
 public:
  virtual ~ProfileStorage() = default;
  // The file's text as UTF-8; empty when the file does not exist; nullopt when
  // it exists but could not be read (so that nobody writes over it blind).
  virtual std::optional<std::string> Load() = 0;
  // Replaces the file with text; false when it could not be written.
  virtual bool Save(const std::string& utf8Text) = 0;
};

class SettingsStore {
 public:
  explicit SettingsStore(std::unique_ptr<ProfileStorage> storage);

  // Reads the file again (the store keeps it in memory between reads);
  // uncommitted writes are dropped.
  void Reload();

  int GetInt(std::string_view section, std::string_view key, int fallback) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) const;

  // Writes are kept until Commit, so a group of keys costs one file write.
  void SetInt(std::string_view section, std::string_view key, int value);
  void SetString(std::string_view section, std::string_view key, std::string_view value);
  // Reads the file again, applies the writes made since the last Commit on top
  // of what it holds now and writes it back, so lines another program put there
  // meanwhile survive. False when the file could not be read or written, in
  // which case the writes are kept for another Commit.
  [[nodiscard]] bool Commit();

  const ProfileDocument& Document() const { return document_; }

 private:
  struct PendingWrite {
    std::string section;
    std::string key;
    std::string value;
  };

  std::unique_ptr<ProfileStorage> storage_;
  ProfileDocument document_;
  // In the order first written, so new keys land in the file in that order;
  // writing a key again replaces its value, so failed commits never pile up.
  std::vector<PendingWrite> pending_;
  std::map<std::pair<std::string, std::string>, size_t> pendingIndex_;

  void Remember(std::string_view section, std::string_view key, std::string value);
};

}  // namespace px
