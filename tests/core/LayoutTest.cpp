// Main window layout: rows, divider, presets and window placement.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <tuple>

#include "core/layout/Layout.h"

namespace px {

void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}

namespace {

constexpr int kCx = 1000;
constexpr int kCy = 700;

VisibleRows AllShown() { return VisibleRows{}; }

TEST(Layout, AllRowsShownOnAThousandPixels) {
  const MainLayout m = ComputeLayout(kCx, kCy, 500, AllShown());
  const struct {
    const char* what;
    Rect actual;
    Rect expected;
  } kCases[] = {
      {"left list", m.panels.leftPanel, {1, 78, 498, 569}},
      {"right list", m.panels.rightPanel, {502, 78, 498, 569}},
      {"splitter", m.panels.splitter, {499, 74, 3, 571}},
      {"left volume", m.panels.leftVolume, {74, 37, 100, 20}},
      {"right volume", m.panels.rightVolume, {576, 37, 100, 20}},
      {"left drive", m.panels.leftDrive, {1, 36, 70, 0}},
      {"right drive", m.panels.rightDrive, {502, 36, 70, 0}},
      {"left path", m.panels.leftPath, {1, 60, 498, 18}},
      {"right path", m.panels.rightPath, {502, 60, 498, 18}},
      {"prompt", m.prompt, {1, 652, 333, 20}},
      {"command line", m.commandLine, {334, 652, 664, 20}},
      {"copy", m.functionKeys[0], {5, 675, 142, 23}},
      {"move", m.functionKeys[1], {152, 675, 142, 23}},
      {"make directory", m.functionKeys[2], {299, 675, 142, 23}},
      {"delete", m.functionKeys[3], {446, 675, 142, 23}},
      {"exit", m.functionKeys[4], {853, 675, 142, 23}},
      {"line top", m.lineTop, {0, 0, 1000, 2}},
      {"line below toolbar", m.lineBelowToolBar, {0, 32, 1000, 2}},
      {"line above command", m.lineAboveCommand, {0, 649, 1000, 2}},
      {"toolbar", m.toolBar, {0, 4, 1000, 28}},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.actual, c.expected) << c.what;
}

TEST(Layout, HiddenRowsGiveTheirSpaceToThePanels) {
  const MainLayout shown = ComputeLayout(kCx, kCy, 500, AllShown());

  VisibleRows noToolBar;
  noToolBar.toolBar = false;
  const MainLayout a = ComputeLayout(kCx, kCy, 500, noToolBar);
  EXPECT_EQ(a.panels.leftDrive.y, 4);
  EXPECT_EQ(a.panels.rightDrive.y, 4);
  EXPECT_EQ(a.panels.leftVolume.y, 5);
  EXPECT_EQ(a.panels.rightVolume.y, 5);
  EXPECT_EQ(a.panels.leftPath.y, 28);
  EXPECT_EQ(a.panels.leftPanel.y, 46);
  EXPECT_EQ(a.panels.rightPanel.height, shown.panels.rightPanel.height + 32);

  VisibleRows noFunctionKeys;
  noFunctionKeys.funcKey = false;
  const MainLayout b = ComputeLayout(kCx, kCy, 500, noFunctionKeys);
  EXPECT_EQ(b.prompt.y, shown.prompt.y + 25);
  EXPECT_EQ(b.commandLine.y, shown.commandLine.y + 25);
  EXPECT_EQ(b.lineAboveCommand.y, shown.lineAboveCommand.y + 24);
  EXPECT_EQ(b.panels.leftPanel.height, shown.panels.leftPanel.height + 24);
  EXPECT_EQ(b.panels.splitter.height, shown.panels.splitter.height + 24);

  VisibleRows onlyPanels{false, false, false, false, false};
  const MainLayout c = ComputeLayout(kCx, kCy, 500, onlyPanels);
  EXPECT_EQ(c.panels.leftPanel.y, 78 - 32 - 22 - 18);
  EXPECT_EQ(c.panels.leftPanel.height, kCy + 32 + 22 + 18 + 23 + 24 - 131);
  EXPECT_EQ(c.lineAboveCommand.y, kCy - 51 + 24 + 22);
}

// The selection lines take their height from the panels, right under them,
// and have none while hidden.
TEST(Layout, SelectionLinesUnderThePanels) {
  const MainLayout hidden = ComputeLayout(kCx, kCy, 500, AllShown());
  EXPECT_EQ(hidden.panels.leftSelection.height, 0);
  VisibleRows rows = AllShown();
  rows.selectionLine = true;
  for (const VisibleRows& shown : {rows, [] {
         VisibleRows few;
         few.toolBar = few.funcKey = false;
         few.selectionLine = true;
         return few;
       }()}) {
    const MainLayout m = ComputeLayout(kCx, kCy, 300, shown);
    VisibleRows without = shown;
    without.selectionLine = false;
    const MainLayout before = ComputeLayout(kCx, kCy, 300, without);
    for (const auto& [panel, line, old] :
         {std::tuple{m.panels.leftPanel, m.panels.leftSelection, before.panels.leftPanel},
          std::tuple{m.panels.rightPanel, m.panels.rightSelection, before.panels.rightPanel}}) {
      EXPECT_EQ(panel.height, old.height - kSelectionLineHeight);
      EXPECT_EQ(line, (Rect{panel.x, panel.y + panel.height, panel.width, kSelectionLineHeight}));
    }
  }
}

// A side's tab bar stands where its list began, the list under it shorter by
// the bar; the other side and the selection lines do not move.
TEST(Layout, TabBarsOverTheirSideOnly) {
  for (bool line : {false, true}) {
    VisibleRows rows = AllShown();
    rows.selectionLine = line;
    const MainLayout before = ComputeLayout(kCx, kCy, 400, rows);
    EXPECT_EQ(before.panels.leftTabs.height, 0);
    EXPECT_EQ(before.panels.rightTabs.height, 0);
    rows.leftTabs = true;
    const MainLayout m = ComputeLayout(kCx, kCy, 400, rows);
    const Rect& bar = m.panels.leftTabs;
    EXPECT_EQ(bar, (Rect{before.panels.leftPanel.x, before.panels.leftPanel.y, before.panels.leftPanel.width,
                         kTabBarHeight}));
    EXPECT_EQ(m.panels.leftPanel.y, bar.y + kTabBarHeight);
    EXPECT_EQ(m.panels.leftPanel.height, before.panels.leftPanel.height - kTabBarHeight);
    EXPECT_EQ(m.panels.rightPanel, before.panels.rightPanel);
    EXPECT_EQ(m.panels.leftSelection, before.panels.leftSelection);
    EXPECT_EQ(m.panels.rightTabs.height, 0);
  }
}

TEST(Layout, DividerIsClampedToTheWindow) {
  static const struct {
    int x, width;
    int expectedX, expectedDivider;
  } kCases[] = {
      {500, 1000, 500, 500},  {-40, 1000, 2, 2},        {0, 1000, 2, 2},
      {999, 1000, 998, 998},  {INT_MAX, 1000, 998, 998}, {333, 999, 333, 333},
      {5, 3, 1, 333},         {INT_MIN, 0, 0, kDividerDefault},
  };
  for (const auto& c : kCases) {
    const DividerMove move = MoveDivider(c.x, c.width, kCy, AllShown());
    EXPECT_EQ(move.x, c.expectedX) << c.x << " on " << c.width;
    EXPECT_EQ(move.divider, c.expectedDivider) << c.x << " on " << c.width;
  }

  const DividerMove move = MoveDivider(300, kCx, kCy, AllShown());
  EXPECT_EQ(move.panels.leftPanel, (Rect{1, 78, 298, 569}));
  EXPECT_EQ(move.panels.rightPanel, (Rect{302, 78, 698, 569}));
  EXPECT_EQ(move.panels.splitter, (Rect{299, 74, 3, 571}));
  EXPECT_EQ(move.panels.rightVolume, (Rect{376, 37, 100, 20}));
  EXPECT_EQ(move.panels.rightDrive, (Rect{302, 36, 70, 0}));
  EXPECT_EQ(move.panels.rightPath, (Rect{302, 60, 698, 18}));
}

TEST(Layout, PresetsSplitTheWidth) {
  static const struct {
    int item, x;
  } kCases[] = {{0, 200}, {3, 500}, {6, 800}, {-5, 200}, {99, 800}};
  for (const auto& c : kCases) EXPECT_EQ(DividerPresetX(kCx, c.item), c.x) << c.item;
  // Command 35003 is item 3, 35006 item 6.
  EXPECT_EQ(MoveDivider(DividerPresetX(kCx, 3), kCx, kCy, AllShown()).divider, 500);
  EXPECT_EQ(MoveDivider(DividerPresetX(kCx, 6), kCx, kCy, AllShown()).divider, 800);
  EXPECT_EQ(DividerPresetX(INT_MAX, 6), static_cast<int>(INT_MAX * 8LL / 10));
}

TEST(Layout, AbsurdSizesStayInRange) {
  static const struct {
    int cx, cy, divider;
  } kCases[] = {
      {INT_MAX, INT_MAX, 1000}, {INT_MAX, INT_MAX, INT_MAX}, {-500, -500, 500},
      {0, 0, 500},              {100, 50, -7},              {INT_MIN, INT_MIN, INT_MIN},
  };
  for (const auto& c : kCases) {
    const MainLayout m = ComputeLayout(c.cx, c.cy, c.divider, AllShown());
    const Rect all[] = {m.panels.leftPanel, m.panels.rightPanel, m.panels.splitter,
                        m.panels.leftPath,  m.panels.rightPath,  m.prompt,
                        m.commandLine,      m.functionKeys[4],   m.toolBar};
    for (const Rect& r : all) {
      EXPECT_GE(r.width, 0) << c.cx << "x" << c.cy;
      EXPECT_GE(r.height, 0) << c.cx << "x" << c.cy;
    }
  }
  // A share above 1000 is taken as 1000: the right panel does not go past the window.
  const MainLayout m = ComputeLayout(kCx, kCy, 4000, AllShown());
  EXPECT_EQ(m.panels.leftPanel.width, 998);
  EXPECT_EQ(m.panels.rightPanel.width, 0);
}

TEST(Layout, FitWindowToScreen) {
  const Rect screen{0, 0, 1920, 1080};
  static const struct {
    Rect window, screen, expected;
  } kCases[] = {
      {{100, 100, 800, 600}, screen, {100, 100, 800, 600}},
      {{100, 100, 10, 10}, screen, {100, 100, kMinWindowWidth, kMinWindowHeight}},
      {{-50, -50, 5000, 5000}, screen, {0, 0, 1920, 1080}},
      {{1800, 1000, 800, 600}, screen, {1120, 480, 800, 600}},
      {{-3000, -20, 800, 600}, screen, {0, 0, 800, 600}},
      {{10, 0, 800, 600}, {0, 40, 1920, 1040}, {10, 40, 800, 600}},
      {{3000, 10, 800, 600}, {1920, 0, 1280, 1024}, {2400, 10, 800, 600}},
      {{0, 0, 800, 600}, {0, 0, 200, 100}, {0, 0, 200, 100}},
      {{INT_MAX, INT_MIN, INT_MAX, INT_MIN}, screen, {0, 0, 1920, kMinWindowHeight}},
      {{5, 5, 800, 600}, {INT_MAX - 100, 0, 1920, 1080}, {INT_MAX - 100, 5, 800, 600}},
  };
  for (const auto& c : kCases) EXPECT_EQ(FitWindowToScreen(c.window, c.screen), c.expected);
}

}  // namespace
}  // namespace px

namespace px {
namespace {

std::vector<Rect> AllRects(const MainLayout& m) {
  const PanelRowsLayout& p = m.panels;
  std::vector<Rect> all = {p.leftPanel,  p.rightPanel,  p.splitter,      p.leftVolume,
                           p.rightVolume, p.leftDrive,  p.rightDrive,    p.leftPath,
                           p.rightPath,  p.leftSelection, p.rightSelection, p.leftTabs,
                           p.rightTabs,  m.prompt,      m.commandLine,   m.lineTop,
                           m.lineBelowToolBar, m.lineAboveCommand, m.toolBar};
  for (const Rect& key : m.functionKeys) all.push_back(key);
  return all;
}

}  // namespace

// A window at 150 % or 200 % whose client area is that much larger shows the
// same layout that much larger: every control within a few pixels of the
// 100 % one scaled (the rounding of each fixed size, and of the shares of the
// width, which the function keys multiply by up to three). A fixed size left
// unscaled would be off by its whole size.
TEST(Layout, ScaledWindowIsTheUnscaledLayoutScaled) {
  std::mt19937 random(25);
  int checked = 0;
  for (int round = 0; round < 2000; ++round) {
    const int cx = 400 + static_cast<int>(random() % 1600);
    const int cy = 300 + static_cast<int>(random() % 1000);
    const int divider = static_cast<int>(random() % 1001);
    const unsigned bits = static_cast<unsigned>(random());
    VisibleRows rows;
    rows.toolBar = bits & 1;
    rows.drive = bits & 2;
    rows.curDir = bits & 4;
    rows.comLine = bits & 8;
    rows.funcKey = bits & 16;
    rows.selectionLine = bits & 32;
    rows.leftTabs = bits & 64;
    rows.rightTabs = bits & 128;
    const std::vector<Rect> base = AllRects(ComputeLayout(cx, cy, divider, rows));
    for (int dpi : {120, 144, 192, 288}) {
      const auto scale = [dpi](int at96) { return at96 * dpi / 96.0; };
      const std::vector<Rect> scaled = AllRects(
          ComputeLayout(cx * dpi / 96, cy * dpi / 96, divider, rows, dpi));
      for (size_t i = 0; i < base.size(); ++i) {
        const Rect& b = base[i];
        const Rect& s = scaled[i];
        const double slack = 1.0 + 2.0 * dpi / 96;
        EXPECT_LE(std::abs(s.x - scale(b.x)), slack) << "rect " << i << " at " << dpi;
        EXPECT_LE(std::abs(s.y - scale(b.y)), slack) << "rect " << i << " at " << dpi;
        EXPECT_LE(std::abs(s.width - scale(b.width)), slack) << "rect " << i << " at " << dpi;
        EXPECT_LE(std::abs(s.height - scale(b.height)), slack) << "rect " << i << " at " << dpi;
        ++checked;
      }
      // The divider's moves keep the panels where the layout put them.
      const PanelRowsLayout& panels = ComputeLayout(cx * dpi / 96, cy * dpi / 96, 500, rows, dpi).panels;
      const DividerMove move = MoveDivider(cx * dpi / 96 * 500 / 1000, cx * dpi / 96,
                                           cy * dpi / 96, rows, dpi);
      EXPECT_EQ(move.panels.leftPanel, panels.leftPanel);
      EXPECT_EQ(move.panels.rightPanel.height, panels.rightPanel.height);
      EXPECT_EQ(move.panels.splitter, panels.splitter);
    }
  }
  EXPECT_GT(checked, 100000);
}

}  // namespace px
