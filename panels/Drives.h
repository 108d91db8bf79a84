// The logical drives as the drive boxes list them, and their volume labels.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace px {

// While alive, a drive without a medium fails quietly instead of asking for a disk.
class QuietDriveErrors {
 public:
  QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietDriveErrors() { SetErrorMode(previous_); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  UINT previous_;
};

// Images of the drive image list, in its order.
constexpr int kRemovableDriveImage = 0;
constexpr int kFixedDriveImage = 1;
constexpr int kCdRomDriveImage = 2;
constexpr int kRamDiskDriveImage = 3;
constexpr int kRemoteDriveImage = 4;

struct DriveItem {
  std::string root;  // upper case, three characters: "C:\"
  int image = kFixedDriveImage;
};

// The logical drives in the order the system lists them. A drive of a type
// without an image of its own (unknown, no root) shows the fixed-drive image.
std::vector<DriveItem> ListDrives();

// The drive's volume label, or "NONE" when it has none or cannot be read.
std::string VolumeLabelText(const std::string& root);

// True when a search of the drive's root fails because the drive is not ready
// (no medium); every other outcome counts as ready.
bool DriveNotReady(const std::string& root);

}  // namespace px
