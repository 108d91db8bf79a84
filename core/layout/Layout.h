// Placement of the main window's controls in client pixels.
#pragma once

namespace px {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

// Which optional rows of the main window are shown.
struct VisibleRows {
  bool toolBar = true;
  bool drive = true;
  bool curDir = true;
  bool comLine = true;
  bool funcKey = true;
  // The line under each panel: taken from the panels' height when shown.
  bool selectionLine = false;
  // Each side's tab bar, over its list: taken from that side's height.
  bool leftTabs = false;
  bool rightTabs = false;
};

// Fixed sizes are written for 96 dots per inch (100 %) and scaled to the
// window's dots per inch.
constexpr int kLayoutBaseDpi = 96;

// Heights at 96 dots per inch.
constexpr int kSelectionLineHeight = 18;
constexpr int kTabBarHeight = 22;

// The controls that follow the divider.
struct PanelRowsLayout {
  Rect leftPanel, rightPanel;  // lists and folder trees
  Rect splitter;
  Rect leftVolume, rightVolume;
  Rect leftDrive, rightDrive;
  Rect leftPath, rightPath;
  Rect leftSelection, rightSelection;  // no height when the line is hidden
  Rect leftTabs, rightTabs;            // no height when the bar is hidden
};

struct MainLayout {
  PanelRowsLayout panels;
  Rect prompt, commandLine;
  // Function keys in the order copy, move, make directory, delete, exit.
  Rect functionKeys[5];
  Rect lineTop, lineBelowToolBar, lineAboveCommand;
  Rect toolBar;
};

constexpr int kDividerScale = 1000;
constexpr int kDividerDefault = 500;

// Layout for a client area of cx by cy with the left share `divider` (thousandths,
// taken as 0 to 1000), its fixed sizes at dpi. Widths and heights too small to
// show come out as 0.
MainLayout ComputeLayout(int cx, int cy, int divider, const VisibleRows& rows,
                         int dpi = kLayoutBaseDpi);

struct DividerMove {
  int x = 0;        // the divider's client x after clamping to [2, width - 2]
  int divider = 0;  // new share in thousandths
  PanelRowsLayout panels;
};

// Moves the divider to client x; the panels take x itself as the left share.
// (Kept two scaled pixels inside the client area.)
// A client area without width (minimised window) gives the default divider.
DividerMove MoveDivider(int x, int clientWidth, int clientHeight, const VisibleRows& rows,
                        int dpi = kLayoutBaseDpi);

// Client x of divider popup item k (0 gives 20 %, 6 gives 80 %).
int DividerPresetX(int clientWidth, int item);

// Brings a stored window rectangle back onto a screen work area: at least
// kMinWindow pixels each way but no larger than the screen, then moved as
// little as needed to lie wholly on it.
constexpr int kMinWindowWidth = 320;
constexpr int kMinWindowHeight = 240;
Rect FitWindowToScreen(Rect window, const Rect& screen);

}  // namespace px
