#include "panels/Win32DirectorySource.h"

#include <windows.h>

#include "core/panel/EntryText.h"
#include "framework/Handles.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"

namespace px {

ListStatus Win32DirectorySource::Enumerate(const std::string& folder,
                                           const std::function<void(FoundEntry&&)>& sink) {
  std::wstring pattern = FileApiPath(folder + "*.*");
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!search) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return ListStatus::kNotFound;
    // A path naming a file is no folder either (the error differs: 267 on
    // Windows, 123 under Wine), not a folder that refuses to be read.
    DWORD attributes = GetFileAttributesW(FileApiPath(folder.substr(0, folder.size() - 1)).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return ListStatus::kNotFound;
    }
    return ListStatus::kUnreadable;
  }
  do {
    FoundEntry entry;
    entry.name = Narrow(data.cFileName);
    entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.writeTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    entry.attributes = data.dwFileAttributes;
    sink(std::move(entry));
  } while (FindNextFileW(search.Get(), &data));
  return ListStatus::kOk;
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
