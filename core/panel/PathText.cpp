#include "core/panel/PathText.h"

namespace px {

std::string PathLineText(const std::string& path) { return path + "*.*"; }

std::string CommandPromptText(const std::string& path) {
  if (path.size() > 3 && path.back() == '\\') return path.substr(0, path.size() - 1) + ">";
  return path + ">";
}

std::string DriveRootOf(const std::string& path) { return path.substr(0, 3); }

}  // namespace px

namespace px {

std::string ParentFolder(const std::string& path) {
  if (path.size() <= 3) return path;
  std::string trimmed = path.substr(0, path.size() - 1);
  size_t slash = trimmed.rfind('\\');
  return slash == std::string::npos ? path : trimmed.substr(0, slash + 1);
}

std::string WithoutTrailingBackslash(std::string folder) {
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string LastComponent(const std::string& path) {
  std::string trimmed = path;
  if (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  size_t slash = trimmed.rfind('\\');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

}  // namespace px
