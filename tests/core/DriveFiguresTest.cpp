#include "core/fileops/DriveFigures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace px {
namespace {

TEST(DriveFigures, ByteAndGigabyteTexts) {
  constexpr uint64_t kGiB = uint64_t{1} << 30, kMiB = uint64_t{1} << 20;
  struct Case {
    uint64_t bytes;
    const char* byteText;
    const char* gigabyteText;
  } const cases[] = {
      {0, "0 bytes", "0,00 GB"},
      {999, "999 bytes", "0,00 GB"},
      {1000, "1 000 bytes", "0,00 GB"},
      {1001, "1 001 bytes", "0,00 GB"},
      {1234567, "1 234 567 bytes", "0,00 GB"},
      {1000000000, "1 000 000 000 bytes", "0,93 GB"},
      {kGiB - 1, "1 073 741 823 bytes", "0,99 GB"},
      {kGiB, "1 073 741 824 bytes", "1,00 GB"},
      {kGiB + 512 * kMiB, "1 610 612 736 bytes", "1,50 GB"},
      {2 * kGiB + 1000 * kMiB, "3 196 059 648 bytes", "2,97 GB"},
      {2000000000000, "2 000 000 000 000 bytes", "1 862,64 GB"},
      {UINT64_MAX, "18 446 744 073 709 551 615 bytes", "17 179 869 183,99 GB"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ByteCountText(c.bytes), c.byteText);
    EXPECT_EQ(GigabyteText(c.bytes), c.gigabyteText) << c.bytes;
  }
}

TEST(DriveFigures, UsedShareAndLines) {
  struct Case {
    uint64_t freeBytes, totalBytes;
    int share;
  } const cases[] = {
      {50, 100, 5000},      {0, 100, 10000},  {100, 100, 0},          {1, 3, 6667},
      {2, 3, 3334},         {200, 100, 0},    {5, 0, 0},
      {uint64_t{1} << 62, uint64_t{1} << 63, 5000},
      {UINT64_MAX, UINT64_MAX, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UsedShareHundredths({c.freeBytes, c.totalBytes}), c.share)
        << c.freeBytes << "/" << c.totalBytes;

  DriveFigures half =
      ComputeDriveFigures(DriveSpace{uint64_t{1} << 30, uint64_t{1} << 31}, "Used: ");
  EXPECT_EQ(half.usedShare, "Used: 50,00 %");
  EXPECT_EQ(half.barPosition, 5000);
  EXPECT_EQ(half.usedGigabytes, "1,00 GB");
  EXPECT_EQ(half.totalBytes, "2 147 483 648 bytes");

  // Free beyond the capacity (a quota report) must not wrap the used bytes.
  DriveFigures odd = ComputeDriveFigures(DriveSpace{200, 100}, "Used: ");
  EXPECT_EQ(odd.usedBytes, "0 bytes");
  EXPECT_EQ(odd.freeBytes, "100 bytes");

  for (const std::optional<DriveSpace>& space :
       {std::optional<DriveSpace>{}, std::optional<DriveSpace>{DriveSpace{0, 0}}}) {
    DriveFigures figures = ComputeDriveFigures(space, "Used: ");
    EXPECT_EQ(figures.usedShare, "");
    EXPECT_EQ(figures.barPosition, 0);
    EXPECT_EQ(figures.totalBytes.empty(), !space.has_value());
  }
}

TEST(DriveFigures, ShareMatchesExactArithmeticOnAnySize) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    uint64_t total = random() >> (random() % 64);
    if (total == 0) continue;
    uint64_t free = random() % total;
    int share = UsedShareHundredths({free, total});
    int exact = 10000 - static_cast<int>(static_cast<unsigned __int128>(free) * 10000 / total);
    if (total < (uint64_t{1} << 50))
      ASSERT_EQ(share, exact) << free << "/" << total;
    else
      ASSERT_LE(std::abs(share - exact), 1) << free << "/" << total;
  }
}

TEST(DriveFigures, CaptionAndIcon) {
  EXPECT_EQ(DriveInfoCaption("Drive properties", "C:\\"), "Drive properties (C:)");
  const int icons[] = {-1, -1, 0, 1, 4, 2, 3, -1};
  for (unsigned type = 0; type < 8; ++type) EXPECT_EQ(DriveIconIndex(type), icons[type]) << type;
}

}  // namespace
}  // namespace px
