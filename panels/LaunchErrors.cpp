#include "panels/LaunchErrors.h"

#include "framework/MessageBoxes.h"

namespace px {

namespace {

struct LaunchError {
  DWORD code;
  TextId text;
};

constexpr LaunchError kLaunchErrors[] = {
    {ERROR_FILE_NOT_FOUND, text::kLaunchFileNotFound},
    {ERROR_PATH_NOT_FOUND, text::kLaunchPathNotFound},
    {ERROR_ACCESS_DENIED, text::kLaunchAccessDenied},
    {ERROR_NOT_ENOUGH_MEMORY, text::kLaunchNoMemory},
    {ERROR_SHARING_VIOLATION, text::kLaunchSharingViolation},
    {ERROR_BAD_EXE_FORMAT, text::kLaunchBadProgram},
    {ERROR_NO_ASSOCIATION, text::kLaunchNoAssociation},
    {ERROR_CANCELLED, text::kLaunchCancelled},
};

}  // namespace

void ReportLaunchError(HWND owner, const LanguageTable& texts, DWORD errorCode) {
  for (const LaunchError& error : kLaunchErrors) {
    if (error.code != errorCode) continue;
    ShowMessage(owner, texts.Text(error.text), texts.Text(text::kLaunchErrorCaption),
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
}

}  // namespace px
