#include "core/fileops/DriveFigures.h"

#include <cstdio>

#include "core/panel/EntryText.h"

namespace px {

std::string ByteCountText(uint64_t bytes) { return SizeText(bytes) + " bytes"; }

std::string GigabyteText(uint64_t bytes) {
  unsigned hundredths = static_cast<unsigned>((bytes >> 20) & 1023) * 100 / 1024;
  char fraction[4] = {',', static_cast<char>('0' + hundredths / 10),
                      static_cast<char>('0' + hundredths % 10), '\0'};
  // The whole gigabytes grouped as every other number of the program.
  return SizeText(bytes >> 30) + fraction + " GB";
}

int UsedShareHundredths(const DriveSpace& space) {
  uint64_t total = space.totalBytes;
  if (total == 0) return 0;
  uint64_t free = space.freeBytes < total ? space.freeBytes : total;
  // free × 10000 must stay within 64 bits: above 2^50 bytes both are scaled
  // down alike, which moves the share by far less than its last digit.
  while (total >= (uint64_t{1} << 50)) {
    total >>= 1;
    free >>= 1;
  }
  return kShareBarRange - static_cast<int>(free * kShareBarRange / total);
}

std::string ShareText(int hundredths) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%i,%02i %%", hundredths / 100, hundredths % 100);
  return buffer;
}

DriveFigures ComputeDriveFigures(const std::optional<DriveSpace>& space,
                                 const std::string& usedLabel) {
  DriveFigures figures;
  if (!space) return figures;
  uint64_t total = space->totalBytes;
  uint64_t free = space->freeBytes < total ? space->freeBytes : total;
  uint64_t used = total - free;
  figures.usedBytes = ByteCountText(used);
  figures.freeBytes = ByteCountText(free);
  figures.totalBytes = ByteCountText(total);
  figures.usedGigabytes = GigabyteText(used);
  figures.freeGigabytes = GigabyteText(free);
  figures.totalGigabytes = GigabyteText(total);
  if (total != 0) {
    figures.barPosition = UsedShareHundredths(*space);
    figures.usedShare = usedLabel + ShareText(figures.barPosition);
  }
  return figures;
}

std::string DriveInfoCaption(const std::string& title, const std::string& rootPath) {
  return title + " (" + rootPath.substr(0, 2) + ")";
}

int DriveIconIndex(unsigned driveType) {
  switch (driveType) {
    case kDriveRemovable: return 0;
    case kDriveFixed: return 1;
    case kDriveCdRom: return 2;
    case kDriveRamDisk: return 3;
    case kDriveRemote: return 4;
    default: return -1;
  }
}

}  // namespace px
