#include "panels/LaunchErrors.h"

#include "framework/MessageBoxes.h"

namespace px {

namespace {

constexpr int kLaunchErrorTable = 20;

struct LaunchError {
  DWORD code;
  int text;  // index in table 20
};

constexpr LaunchError kLaunchErrors[] = {
    {ERROR_FILE_NOT_FOUND, 3},     {ERROR_PATH_NOT_FOUND, 4},  {ERROR_ACCESS_DENIED, 5},
    {ERROR_NOT_ENOUGH_MEMORY, 6},  {ERROR_SHARING_VIOLATION, 8}, {ERROR_BAD_EXE_FORMAT, 9},
    {ERROR_NO_ASSOCIATION, 1},     {ERROR_CANCELLED, 7},
};

}  // namespace

void ReportLaunchError(HWND owner, const LanguageTable& texts, DWORD errorCode) {
  for (const LaunchError& error : kLaunchErrors) {
    if (error.code != errorCode) continue;
    ShowMessage(owner, texts.Text(kLaunchErrorTable, error.text), texts.Text(kLaunchErrorTable, 0),
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
}

}  // namespace px
