#include "app/LanguageFiles.h"

#include <windows.h>

#include "core/language/LanguageTable.h"
#include "framework/Handles.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"

namespace px {

std::vector<std::string> ListLanguages(const std::string& startDirectory) {
  std::string folder = startDirectory;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  std::vector<std::string> files;
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileW(FileApiPath(folder + "\\Language\\*.lng").c_str(), &data));
  if (!search) return {};
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(Narrow(data.cFileName));
  } while (FindNextFileW(search.Get(), &data));
  return LanguageNamesFromFiles(std::move(files));
}

}  // namespace px
