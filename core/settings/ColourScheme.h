// Which colours the windows draw with: the Colours setting weighed against
// the system's app theme and its high-contrast scheme.
#pragma once

namespace px {

// The values of the Colours key in PX.ini.
enum ColoursSetting { kColoursAsSystem = 0, kColoursLight = 1, kColoursDark = 2 };

enum class ColourScheme {
  kLight,         // the system's ordinary colours, as the controls draw them anyway
  kDark,          // our own dark colours
  kSystemColours  // high contrast: every colour from the system, nothing forced
};

// High contrast wins over the setting; "as the system" follows the app theme;
// a setting outside 0..2 counts as "as the system".
ColourScheme ChooseColourScheme(int setting, bool systemDark, bool highContrast);

}  // namespace px
