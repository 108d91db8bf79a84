#include "core/panel/PathText.h"

namespace px {

std::string PathLineText(const std::string& path) { return path + "*.*"; }

std::string CommandPromptText(const std::string& path) {
  if (path.size() > 3 && path.back() == '\\') return path.substr(0, path.size() - 1) + ">";
  return path + ">";
}

std::string DriveRootOf(const std::string& path) { return path.substr(0, 3); }

}  // namespace px
