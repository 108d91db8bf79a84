// The logical drives as the drive boxes list them, and their volume labels.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/language/LanguageTable.h"

namespace px {

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

// Asks whether a drive root can be read: ERROR_NOT_READY when it has no
// medium, 0 otherwise. Replaceable, so that a drive that is not ready can be
// simulated where no such drive exists.
using DriveProbe = unsigned long (*)(const std::string& root);
unsigned long ProbeDrive(const std::string& root);

// While the probe says the drive is not ready, asks Retry or Cancel (language
// text 12.0); false when the user cancelled.
bool AskUntilDriveReady(HWND owner, const LanguageTable& texts, DriveProbe probe,
                        const std::string& root);

}  // namespace px

namespace px {

// The physical drives a path lies on, one key each ("disk:0"), so that work
// on one disk can wait for other work on the same disk. Where the system
// does not tell (a share, a drive letter of a mapped folder), the volume
// itself is the key ("\\server\share\", "C:\"); an empty path has none.
std::vector<std::string> PhysicalDriveKeys(const std::string& path);

}  // namespace px
