// A settings file held in a string, for tests of what is read and written.
#pragma once

#include <optional>
#include <string>

#include "core/settings/SettingsStore.h"

namespace px {

class TextStorage : public ProfileStorage {
 public:
  explicit TextStorage(std::string* text) : text_(text) {}
  std::optional<std::string> Load() override { return *text_; }
  bool Save(const std::string& utf8Text) override {
    *text_ = utf8Text;
    return true;
  }

 private:
  std::string* text_;
};

}  // namespace px
