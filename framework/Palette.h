// The colours every window of the program draws with, in one place: the
// system's own (light, and high contrast) or our dark ones, with the brushes
// that go with them. The main window owns it and decides it again when the
// setting or the system's theme changes; the parts read it through the
// context, dialogs through the window they belong to.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "core/settings/ColourScheme.h"
#include "framework/Handles.h"

namespace px {

enum class PaletteColour {
  kWindow,          // lists, trees, the viewer's page
  kText,            // text on kWindow
  kGrayText,        // disabled items, hidden entries
  kSelection,       // a selected or hot item's background
  kSelectionText,
  kLine,            // the lines between the window's rows
  kMenu,            // drop-downs and the menu bar
  kMenuText,
  kMenuHot,         // a highlighted menu item
  kMenuHotText,
  kToolBar,
  kDialog,          // a dialog's and the main window's background
  kDialogText,
  kEdit,            // edit boxes and list boxes
  kEditText,
  kPathActive,      // the path line of the active side
  kPathActiveText,
  kPathInactive,
  kPathInactiveText,
  kCount
};

class Palette {
 public:
  Palette() = default;
  Palette(const Palette&) = delete;
  Palette& operator=(const Palette&) = delete;

  // Decides the scheme again from the Colours setting, the system's app
  // theme and its high-contrast scheme; true when it changed.
  bool Update(int coloursSetting);
  ColourScheme Scheme() const { return scheme_; }
  // Only the dark scheme colours controls itself; light and high contrast
  // leave every control to draw as the system does.
  bool Dark() const { return scheme_ == ColourScheme::kDark; }

  // Light and high contrast: the system's colour of the moment.
  COLORREF Colour(PaletteColour colour) const;
  // Owned by the palette (dark) or the system's (otherwise); valid until the
  // next Update.
  HBRUSH Brush(PaletteColour colour) const;

  // The answer to WM_CTLCOLOR* for a dialog's controls: the DC's colours set
  // and the background brush; null when the system's colours apply.
  // A tab control is left to the system: it draws its tabs' own colours.
  HBRUSH ControlColours(UINT message, HDC dc, HWND control) const;
  // The group boxes of a dialog draw their frame and title in the palette's
  // colours while it is dark (the system draws their titles in its own text
  // colour, whatever the dialog answers).
  static void FollowInGroupBoxes(HWND dialog);
  // A list view's column header drawn in the palette's colours while dark
  // (the header asks its list, which would let it draw in the system's).
  static void FollowInListHeader(HWND list);
  // Asks the window manager for a dark title bar (or a light one again).
  void ApplyTitleBar(HWND window) const;

  // A top-level window carries the palette for the dialogs it owns.
  void AttachTo(HWND window) const;
  static void DetachFrom(HWND window);
  // The palette of window, else of the window that owns it; null for none.
  static const Palette* Of(HWND window);
  // Colours for parts that were given no palette: the system's.
  static const Palette& SystemDefault();

  // What the system says now.
  static bool SystemAppsDark();
  static bool SystemHighContrast();
  // Tests stand in for the system's high-contrast state; nullopt: the system.
  static void SetHighContrastForTesting(std::optional<bool> on);

 private:
  ColourScheme scheme_ = ColourScheme::kLight;
  std::array<px::Brush, static_cast<size_t>(PaletteColour::kCount)> brushes_;
};

}  // namespace px
