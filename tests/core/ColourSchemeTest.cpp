// The colours chosen for every combination of the setting and the system.
#include "core/settings/ColourScheme.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(ColourScheme, EveryCombinationOfSettingThemeAndContrast) {
  struct Row {
    int setting;
    bool systemDark;
    ColourScheme expected;  // without high contrast
  };
  static const Row kRows[] = {
      {kColoursAsSystem, false, ColourScheme::kLight},
      {kColoursAsSystem, true, ColourScheme::kDark},
      {kColoursLight, false, ColourScheme::kLight},
      {kColoursLight, true, ColourScheme::kLight},
      {kColoursDark, false, ColourScheme::kDark},
      {kColoursDark, true, ColourScheme::kDark},
      // A value no reader lets through still gives an answer: the system's.
      {3, false, ColourScheme::kLight},
      {-1, true, ColourScheme::kDark},
  };
  for (const Row& row : kRows) {
    EXPECT_EQ(ChooseColourScheme(row.setting, row.systemDark, false), row.expected)
        << row.setting << " " << row.systemDark;
    // High contrast wins over everything.
    EXPECT_EQ(ChooseColourScheme(row.setting, row.systemDark, true),
              ColourScheme::kSystemColours)
        << row.setting << " " << row.systemDark;
  }
}

}  // namespace
}  // namespace px
