#include "framework/Drives.h"

#include <windows.h>

#include "core/language/TextFormat.h"
#include "framework/AppContext.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"

namespace px {

namespace {

int ImageOfDriveType(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE: return kRemovableDriveImage;
    case DRIVE_CDROM: return kCdRomDriveImage;
    case DRIVE_RAMDISK: return kRamDiskDriveImage;
    case DRIVE_REMOTE: return kRemoteDriveImage;
    default: return kFixedDriveImage;
  }
}

}  // namespace

std::vector<DriveItem> ListDrives() {
  std::vector<DriveItem> items;
  for (const LogicalDrive& drive : LogicalDrives())
    items.push_back({drive.root, ImageOfDriveType(drive.type)});
  return items;
}

std::string VolumeLabelText(const std::string& root) {
  std::string label = ReadVolumeLabel(root).value_or(std::string());
  return label.empty() ? "NONE" : label;
}

bool DriveNotReady(const std::string& root) {
  DWORD error = SearchFolder(root, SearchScope::kEverything, false,
                             [](const WIN32_FIND_DATAW&) { return false; });
  return error == ERROR_NOT_READY;
}

unsigned long ProbeDrive(const std::string& root) {
  return DriveNotReady(root) ? ERROR_NOT_READY : ERROR_SUCCESS;
}

bool AskUntilDriveReady(HWND owner, const LanguageTable& texts, DriveProbe probe,
                        const std::string& root) {
  while (probe(root) == ERROR_NOT_READY) {
    int answer = ShowMessage(owner, FormatText(texts.Text(text::kDriveNotReady), {root}),
                             kProductName, MB_ICONSTOP | MB_RETRYCANCEL);
    if (answer != IDRETRY) return false;
  }
  return true;
}

}  // namespace px
