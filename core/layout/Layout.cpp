// Main window layout arithmetic. Sums run in 64 bits and every result is
// clamped back into int range, so absurd sizes from a damaged settings file or
// a huge virtual screen never overflow; widths and heights never go negative.
#include "core/layout/Layout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace px {
namespace {

using Wide = int64_t;

int Clamp(Wide v) {
  return static_cast<int>(std::clamp<Wide>(v, std::numeric_limits<int>::min(),
                                           std::numeric_limits<int>::max()));
}

Rect Place(Wide x, Wide y, Wide width, Wide height) {
  Rect r;
  r.x = Clamp(x);
  r.y = Clamp(y);
  r.width = Clamp(std::max<Wide>(width, 0));
  r.height = Clamp(std::max<Wide>(height, 0));
  return r;
}

// Pixels each hidden row gives back to the panels.
struct RowOffsets {
  Wide tb, dr, cd, cl, fk;
  Wide line;  // what the selection lines take from the panels
  Wide leftTabs, rightTabs;  // what the tab bars take from their side
  explicit RowOffsets(const VisibleRows& rows)
      : tb(rows.toolBar ? 0 : 32),
        dr(rows.drive ? 0 : 22),
        cd(rows.curDir ? 0 : 18),
        cl(rows.comLine ? 0 : 23),
        fk(rows.funcKey ? 0 : 24),
        line(rows.selectionLine ? kSelectionLineHeight : 0),
        leftTabs(rows.leftTabs ? kTabBarHeight : 0),
        rightTabs(rows.rightTabs ? kTabBarHeight : 0) {}
  Wide Sum() const { return tb + dr + cd + cl + fk; }
};

// Controls that follow the divider, with left share `left` and right width `rightWidth`.
PanelRowsLayout PlacePanelRows(Wide left, Wide rightWidth, Wide cy, const RowOffsets& o) {
  const Wide top = 78 - o.tb - o.dr - o.cd;
  const Wide height = cy + o.Sum() - 131;
  const Wide pathY = 60 - o.tb - o.dr;
  PanelRowsLayout p;
  p.leftTabs = Place(1, top, left - 2, o.leftTabs);
  p.rightTabs = Place(left + 2, top, rightWidth, o.rightTabs);
  p.leftPanel = Place(1, top + o.leftTabs, left - 2, height - o.line - o.leftTabs);
  p.rightPanel = Place(left + 2, top + o.rightTabs, rightWidth, height - o.line - o.rightTabs);
  p.leftSelection = Place(1, top + height - o.line, left - 2, o.line);
  p.rightSelection = Place(left + 2, top + height - o.line, rightWidth, o.line);
  p.splitter = Place(left - 1, 74 - o.tb - o.dr - o.cd, 3, cy + o.Sum() - 129);
  p.leftVolume = Place(74, 37 - o.tb, 100, 20);
  p.rightVolume = Place(left + 76, 37 - o.tb, 100, 20);
  p.leftDrive = Place(1, 36 - o.tb, 70, 0);
  p.rightDrive = Place(left + 2, 36 - o.tb, 70, 0);
  p.leftPath = Place(1, pathY, left - 2, 18);
  p.rightPath = Place(left + 2, pathY, rightWidth, 18);
  return p;
}

}  // namespace

MainLayout ComputeLayout(int cx, int cy, int divider, const VisibleRows& rows) {
  const RowOffsets o(rows);
  const Wide width = cx;
  const Wide height = cy;
  // A share outside 0..1000 would push a panel off the window.
  const Wide share = std::clamp(divider, 0, kDividerScale);
  const Wide left = width * share / kDividerScale;
  const Wide right = width * (kDividerScale - share) / kDividerScale - 2;

  MainLayout m;
  m.panels = PlacePanelRows(left, right, height, o);

  const Wide third = width / 3;
  const Wide commandY = height - 48 + (o.fk != 0 ? 25 : 0);
  m.prompt = Place(1, commandY, third, 20);
  m.commandLine = Place(third + 1, commandY, width - third - 3, 20);

  const Wide keyY = height - 25;
  const Wide keyWidth = width / 7;
  const Wide keyX[5] = {5, keyWidth + 10, 2 * keyWidth + 15, 3 * keyWidth + 20,
                        width - keyWidth - 5};
  for (int i = 0; i < 5; ++i) m.functionKeys[i] = Place(keyX[i], keyY, keyWidth, 23);

  m.lineTop = Place(0, 0, width, 2);
  m.lineBelowToolBar = Place(0, 32, width, 2);
  m.lineAboveCommand =
      Place(0, height - 51 + (o.fk != 0 ? 24 : 0) + (o.cl != 0 ? 22 : 0), width, 2);
  m.toolBar = Place(0, 4, width, 28);
  return m;
}

DividerMove MoveDivider(int x, int clientWidth, int clientHeight, const VisibleRows& rows) {
  DividerMove move;
  const Wide width = clientWidth;
  if (width <= 0) {
    // No client area to share (minimised): nothing sensible to store.
    move.x = 0;
    move.divider = kDividerDefault;
    move.panels = PlacePanelRows(0, 0, clientHeight, RowOffsets(rows));
    return move;
  }
  Wide at = std::max<Wide>(x, 2);
  at = std::min<Wide>(at, width - 2);
  move.x = Clamp(at);
  move.divider = Clamp(std::clamp<Wide>(at * kDividerScale / width, 0, kDividerScale));
  move.panels = PlacePanelRows(at, width - at - 2, clientHeight, RowOffsets(rows));
  return move;
}

int DividerPresetX(int clientWidth, int item) {
  const Wide k = std::clamp(item, 0, 6);
  return Clamp(Wide{clientWidth} * (k + 2) / 10);
}

Rect FitWindowToScreen(Rect window, const Rect& screen) {
  const Wide screenWidth = std::max(screen.width, 0);
  const Wide screenHeight = std::max(screen.height, 0);
  const Wide width = std::min<Wide>(std::max(window.width, kMinWindowWidth), screenWidth);
  const Wide height = std::min<Wide>(std::max(window.height, kMinWindowHeight), screenHeight);
  const Wide x = std::clamp<Wide>(window.x, screen.x, Wide{screen.x} + screenWidth - width);
  const Wide y = std::clamp<Wide>(window.y, screen.y, Wide{screen.y} + screenHeight - height);
  return Place(x, y, width, height);
}

}  // namespace px
