// The figures a drive's properties show: sizes in bytes and gigabytes, the used share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace px {

// What the free-space query reports: the bytes free to the caller and the
// drive's capacity.
struct DriveSpace {
  uint64_t freeBytes = 0;
  uint64_t totalBytes = 0;
};

// The lines of the dialog. Every text is empty when the query failed (a drive
// without a medium); the share texts are empty too when the capacity is 0.
struct DriveFigures {
  std::string usedBytes, freeBytes, totalBytes;           // "1 234 567 bytes"
  std::string usedGigabytes, freeGigabytes, totalGigabytes;  // "1,50 GB"
  std::string usedShare;  // usedLabel followed by "50,00 %"
  int barPosition = 0;    // used share in hundredths of a per cent, 0..kShareBarRange
};

constexpr int kShareBarRange = 10000;

// "999 bytes", "1 000 bytes", "2 000 000 000 000 bytes": digits grouped by threes.
std::string ByteCountText(uint64_t bytes);
// Whole gibibytes, a comma and two digits for the spare mebibytes (spare × 100
// / 1024, so 1023 spare give 99): exactly 1 GiB is "1,00 GB"; the whole part
// is grouped as every size ("1 862,64 GB").
std::string GigabyteText(uint64_t bytes);
// Used share of the capacity in hundredths of a per cent; the free bytes are
// held to the capacity, so the share is always within 0..10000. 0 for an empty
// capacity, which is never divided by.
int UsedShareHundredths(const DriveSpace& space);
// "50,00 %" for 5000.
std::string ShareText(int hundredths);

// usedLabel is the text put before the share (language text 22.6).
DriveFigures ComputeDriveFigures(const std::optional<DriveSpace>& space,
                                 const std::string& usedLabel);

// The dialog caption: title (language text 22.0), " (", the drive such as C:, ")".
std::string DriveInfoCaption(const std::string& title, const std::string& rootPath);

// The drive kinds as the platform's drive-type query numbers them.
enum DriveTypeCode : unsigned {
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};
// The drive icon's index in the drive image strip (removable, fixed, CD-ROM,
// RAM disk, network); -1 for other types, which show no icon.
int DriveIconIndex(unsigned driveType);

}  // namespace px
