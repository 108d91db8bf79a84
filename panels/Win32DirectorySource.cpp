#include "panels/Win32DirectorySource.h"

#include <windows.h>

#include "core/panel/EntryText.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"

namespace px {

ListStatus Win32DirectorySource::Enumerate(const std::string& folder,
                                           const std::function<void(FoundEntry&&)>& sink) {
  DWORD error = SearchFolder(folder, SearchScope::kEverything, true,
                             [&](const WIN32_FIND_DATAW& data) {
                               FoundEntry entry;
                               entry.name = Narrow(data.cFileName);
                               entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                            data.nFileSizeLow;
                               entry.writeTime = FromFileTime(data.ftLastWriteTime);
                               entry.attributes = data.dwFileAttributes;
                               sink(std::move(entry));
                               return true;
                             });
  if (error == ERROR_SUCCESS) return ListStatus::kOk;
  if (error == kListingCutShort) return ListStatus::kIncomplete;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return ListStatus::kNotFound;
  // A path naming a file is no folder either (the error differs: 267 on
  // Windows, 123 under Wine), not a folder that refuses to be read.
  if (folder.size() > 1) {
    std::optional<uint32_t> attributes = AttributesOf(folder.substr(0, folder.size() - 1));
    if (attributes && !(*attributes & FILE_ATTRIBUTE_DIRECTORY)) return ListStatus::kNotFound;
  }
  return ListStatus::kUnreadable;
}

LocalDateTime ToLocalDateTime(uint64_t fileTime) {
  FILETIME utc;
  utc.dwLowDateTime = static_cast<DWORD>(fileTime);
  utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  SYSTEMTIME utcTime{}, localTime{};
  LocalDateTime result;
  if (!FileTimeToSystemTime(&utc, &utcTime) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime)) {
    return result;
  }
  result.year = localTime.wYear;
  result.month = localTime.wMonth;
  result.day = localTime.wDay;
  result.hour = localTime.wHour;
  result.minute = localTime.wMinute;
  return result;
}

}  // namespace px
