#include "framework/Drives.h"

#include <windows.h>
#include <winioctl.h>

#include <cctype>

#include "core/language/TextFormat.h"
#include "framework/AppContext.h"
#include "framework/FileSystemApi.h"
#include "framework/Handles.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
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

namespace px {

std::vector<std::string> PhysicalDriveKeys(const std::string& path) {
  if (path.empty()) return {};
  // The volume the path lies on: its root ("C:\", "\\server\share\", or a
  // folder a volume is mounted on).
  std::wstring wide = FileApiPath(path);
  wchar_t root[MAX_PATH + 1] = {};
  std::string volume;
  if (GetVolumePathNameW(wide.c_str(), root, MAX_PATH)) {
    volume = Narrow(root);
    if (volume.rfind("\\\\?\\", 0) == 0 && volume.size() > 4) volume.erase(0, 4);
  } else {
    const size_t colon = path.find(':');
    volume = colon == 1 ? path.substr(0, 2) + "\\" : path;
  }
  for (char& c : volume) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  if (volume.size() < 3 || volume[1] != ':') return {volume};

  // A lettered volume: the disks under it, when the system says.
  std::vector<std::string> keys;
  const std::wstring device = L"\\\\.\\" + Widen(volume.substr(0, 2));
  FileHandle handle(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  if (handle) {
    alignas(8) unsigned char buffer[sizeof(VOLUME_DISK_EXTENTS) + 15 * sizeof(DISK_EXTENT)] = {};
    DWORD got = 0;
    if (DeviceIoControl(handle.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, buffer,
                        sizeof(buffer), &got, nullptr)) {
      const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(buffer);
      for (DWORD i = 0; i < extents->NumberOfDiskExtents && i < 16; ++i)
        keys.push_back("disk:" + std::to_string(extents->Extents[i].DiskNumber));
    }
  }
  if (keys.empty()) keys.push_back(volume);
  return keys;
}

}  // namespace px
