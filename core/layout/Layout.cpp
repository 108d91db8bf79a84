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

// A size written for 96 dots per inch at the window's scale, rounded to
// nearest. Each fixed offset is scaled once, as a whole, so that controls that
// meet at 96 still meet at any scale.
struct Scale {
  Wide dpi;
  Wide operator()(Wide at96) const {
    const Wide scaled = at96 * dpi;
    return scaled >= 0 ? (scaled + kLayoutBaseDpi / 2) / kLayoutBaseDpi
                       : -((-scaled + kLayoutBaseDpi / 2) / kLayoutBaseDpi);
  }
};

// Pixels (at 96 dots per inch) each hidden row gives back to the panels.
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
PanelRowsLayout PlacePanelRows(Wide left, Wide rightWidth, Wide cy, const RowOffsets& o,
                               const Scale& s) {
  const Wide top = s(78 - o.tb - o.dr - o.cd);
  const Wide height = cy - s(131 - o.Sum());
  const Wide pathY = s(60 - o.tb - o.dr);
  const Wide line = s(o.line), leftTabs = s(o.leftTabs), rightTabs = s(o.rightTabs);
  const Wide one = s(1), two = s(2);
  PanelRowsLayout p;
  p.leftTabs = Place(one, top, left - two, leftTabs);
  p.rightTabs = Place(left + two, top, rightWidth, rightTabs);
  p.leftPanel = Place(one, top + leftTabs, left - two, height - line - leftTabs);
  p.rightPanel = Place(left + two, top + rightTabs, rightWidth, height - line - rightTabs);
  p.leftSelection = Place(one, top + height - line, left - two, line);
  p.rightSelection = Place(left + two, top + height - line, rightWidth, line);
  p.splitter = Place(left - one, s(74 - o.tb - o.dr - o.cd), s(3), cy - s(129 - o.Sum()));
  p.leftVolume = Place(s(74), s(37 - o.tb), s(100), s(20));
  p.rightVolume = Place(left + s(76), s(37 - o.tb), s(100), s(20));
  p.leftDrive = Place(one, s(36 - o.tb), s(70), 0);
  p.rightDrive = Place(left + two, s(36 - o.tb), s(70), 0);
  p.leftPath = Place(one, pathY, left - two, s(18));
  p.rightPath = Place(left + two, pathY, rightWidth, s(18));
  return p;
}

}  // namespace

MainLayout ComputeLayout(int cx, int cy, int divider, const VisibleRows& rows, int dpi) {
  const RowOffsets o(rows);
  const Scale s{std::max(dpi, 1)};
  const Wide width = cx;
  const Wide height = cy;
  // A share outside 0..1000 would push a panel off the window.
  const Wide share = std::clamp(divider, 0, kDividerScale);
  const Wide left = width * share / kDividerScale;
  const Wide right = width * (kDividerScale - share) / kDividerScale - s(2);

  MainLayout m;
  m.panels = PlacePanelRows(left, right, height, o, s);

  const Wide third = width / 3;
  const Wide commandY = height - s(48 - (o.fk != 0 ? 25 : 0));
  m.prompt = Place(s(1), commandY, third, s(20));
  m.commandLine = Place(third + s(1), commandY, width - third - s(3), s(20));

  const Wide keyY = height - s(25);
  const Wide keyWidth = width / 7;
  const Wide keyX[5] = {s(5), keyWidth + s(10), 2 * keyWidth + s(15), 3 * keyWidth + s(20),
                        width - keyWidth - s(5)};
  for (int i = 0; i < 5; ++i) m.functionKeys[i] = Place(keyX[i], keyY, keyWidth, s(23));

  m.lineTop = Place(0, 0, width, s(2));
  m.lineBelowToolBar = Place(0, s(32), width, s(2));
  m.lineAboveCommand = Place(0, height - s(51 - (o.fk != 0 ? 24 : 0) - (o.cl != 0 ? 22 : 0)),
                             width, s(2));
  m.toolBar = Place(0, s(4), width, s(28));
  return m;
}

DividerMove MoveDivider(int x, int clientWidth, int clientHeight, const VisibleRows& rows,
                        int dpi) {
  DividerMove move;
  const Scale s{std::max(dpi, 1)};
  const Wide width = clientWidth;
  if (width <= 0) {
    // No client area to share (minimised): nothing sensible to store.
    move.x = 0;
    move.divider = kDividerDefault;
    move.panels = PlacePanelRows(0, 0, clientHeight, RowOffsets(rows), s);
    return move;
  }
  Wide at = std::max<Wide>(x, s(2));
  at = std::min<Wide>(at, width - s(2));
  move.x = Clamp(at);
  move.divider = Clamp(std::clamp<Wide>(at * kDividerScale / width, 0, kDividerScale));
  move.panels = PlacePanelRows(at, width - at - s(2), clientHeight, RowOffsets(rows), s);
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
