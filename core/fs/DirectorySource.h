// What the panel model needs from the file system to list a folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace px {

struct FoundEntry {
  std::string name;         // UTF-8
  uint64_t size = 0;        // full size in bytes
  uint64_t writeTime = 0;   // last write, 100 ns units since 1601, UTC
  uint32_t attributes = 0;  // kAttr* bits
};

enum class ListStatus {
  kOk,          // the folder was read to its end
  kNotFound,    // the folder or its path does not exist
  kUnreadable,  // it exists but cannot be searched (access denied, not ready...)
  kIncomplete,  // the listing broke off part way: the entries found are only some
};

class DirectorySource {
 public:
  virtual ~DirectorySource() = default;
  // Calls sink for every entry of folder (which ends with a backslash), in the
  // order the file system returns them, "." and ".." included if reported.
  [[nodiscard]] virtual ListStatus Enumerate(const std::string& folder,
                               const std::function<void(FoundEntry&&)>& sink) = 0;
};

}  // namespace px
