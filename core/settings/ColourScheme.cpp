// Weighing the Colours setting against the system's theme.
#include "core/settings/ColourScheme.h"

namespace px {

ColourScheme ChooseColourScheme(int setting, bool systemDark, bool highContrast) {
  if (highContrast) return ColourScheme::kSystemColours;
  switch (setting) {
    case kColoursLight:
      return ColourScheme::kLight;
    case kColoursDark:
      return ColourScheme::kDark;
    default:
      return systemDark ? ColourScheme::kDark : ColourScheme::kLight;
  }
}

}  // namespace px
