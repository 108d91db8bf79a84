// A panel's folder history: back, forward and the list to jump from.
#include "core/panel/FolderHistory.h"

#include <algorithm>

#include "core/text/CaseFold.h"

namespace px {

void FolderHistory::Record(const std::string& folder) {
  if (cursor_ + 1 < entries_.size()) entries_.resize(cursor_ + 1);
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const std::string& e) { return EqualsNoCase(e, folder); }),
                 entries_.end());
  if (entries_.size() >= kCapacity) entries_.erase(entries_.begin());
  entries_.push_back(folder);
  cursor_ = entries_.size() - 1;
}

bool FolderHistory::Back() {
  if (cursor_ == 0 || entries_.empty()) return false;
  --cursor_;
  return true;
}

bool FolderHistory::Forward() {
  if (cursor_ + 1 >= entries_.size()) return false;
  ++cursor_;
  return true;
}

bool FolderHistory::MoveTo(size_t index) {
  if (index >= entries_.size()) return false;
  cursor_ = index;
  return true;
}

std::string FolderHistory::Current() const {
  return cursor_ < entries_.size() ? entries_[cursor_] : std::string();
}

}  // namespace px
