#include "framework/LanguageFiles.h"

#include <windows.h>

#include "core/language/LanguageTable.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"

namespace px {

std::vector<std::string> ListLanguages(const std::string& startDirectory) {
  std::string folder = startDirectory;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  std::vector<std::string> files;
  // A missing folder lists nothing; names not ending in .lng are dropped below.
  [[maybe_unused]] DWORD error =
      SearchFolder(folder + "\\Language\\", SearchScope::kEverything, false,
                   [&files](const WIN32_FIND_DATAW& data) {
                     if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                       files.push_back(Narrow(data.cFileName));
                     return true;
                   });
  return LanguageNamesFromFiles(std::move(files));
}

}  // namespace px
