#include "panels/Drives.h"

#include <windows.h>

#include "framework/Handles.h"
#include "framework/Wide.h"

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
  // 26 drives of four characters each fit with room to spare; a longer answer
  // (the size it would need) leaves the list empty rather than half read.
  wchar_t drives[256] = {};
  DWORD length = GetLogicalDriveStringsW(255, drives);
  std::vector<DriveItem> items;
  if (length == 0 || length > 255) return items;
  for (const wchar_t* drive = drives; *drive != L'\0'; drive += wcslen(drive) + 1) {
    std::wstring root(drive);
    CharUpperW(root.data());
    items.push_back({Narrow(root), ImageOfDriveType(GetDriveTypeW(root.c_str()))});
  }
  return items;
}

std::string VolumeLabelText(const std::string& root) {
  QuietDriveErrors quiet;
  // Room for any label: an NTFS label longer than 11 characters would not fit
  // a 12-character buffer and would show as "NONE".
  wchar_t label[MAX_PATH + 1] = {};
  BOOL ok = GetVolumeInformationW(Widen(root).c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                                  nullptr, nullptr, 0);
  std::string text = ok ? Narrow(label) : std::string();
  return text.empty() ? "NONE" : text;
}

bool DriveNotReady(const std::string& root) {
  QuietDriveErrors quiet;
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileW(Widen(root + "*.*").c_str(), &data));
  return !search && GetLastError() == ERROR_NOT_READY;
}

}  // namespace px
