// The folders a panel has shown, with back and forward like a browser.
#pragma once

#include <string>
#include <vector>

namespace px {

class FolderHistory {
 public:
  static constexpr size_t kCapacity = 20;

  // Drops the entries after the cursor and any earlier entry equal to folder
  // (ignoring case), keeps at most 20, and puts the cursor on folder.
  void Record(const std::string& folder);
  // Moves the cursor; false (and nothing changes) at either end.
  bool Back();
  bool Forward();
  // Whether Back or Forward would move.
  bool CanGoBack() const { return cursor_ > 0 && !entries_.empty(); }
  bool CanGoForward() const { return cursor_ + 1 < entries_.size(); }
  // Puts the cursor on an entry chosen from the list; false when out of range.
  bool MoveTo(size_t index);

  const std::vector<std::string>& Entries() const { return entries_; }
  size_t Cursor() const { return cursor_; }
  // The folder at the cursor, empty when nothing was recorded.
  std::string Current() const;

 private:
  std::vector<std::string> entries_;
  size_t cursor_ = 0;
};

}  // namespace px
