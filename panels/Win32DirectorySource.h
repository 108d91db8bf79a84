// Folder searches through the wide file functions.
#pragma once

#include "core/fs/DirectorySource.h"
#include "core/panel/EntryText.h"

namespace px {

class Win32DirectorySource : public DirectorySource {
 public:
  ListStatus Enumerate(const std::string& folder,
                       const std::function<void(FoundEntry&&)>& sink) override;
};

// A file time (UTC) as local date and time.
LocalDateTime ToLocalDateTime(uint64_t fileTime);

}  // namespace px
