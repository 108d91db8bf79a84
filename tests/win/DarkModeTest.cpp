// The colours on the real window: the lists and trees read back pixel by
// pixel under each setting, the setting changed in the dialog, the system's
// app theme followed, high contrast winning, and the menus drawn dark.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/language/TextFormat.h"
#include "core/settings/ProfileDocument.h"
#include "framework/Controls.h"
#include "framework/Palette.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;

constexpr wchar_t kPersonalize[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

COLORREF ColourOf(uint32_t pixel) {
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int Lightness(COLORREF colour) {
  return (GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114) / 1000;
}

// What a control shows, read back: the colour most of it has, and how many
// pixels are far lighter or far darker than that (its text).
struct Drawn {
  COLORREF background = 0;
  size_t lighter = 0;
  size_t darker = 0;
};

// The colours of an area of a control's pixels (width pixels a row).
Drawn ColoursIn(const std::vector<uint32_t>& pixels, LONG width, const RECT& area) {
  std::map<COLORREF, size_t> counts;
  for (LONG y = std::max<LONG>(area.top, 0); y < area.bottom; ++y)
    for (LONG x = std::max<LONG>(area.left, 0); x < area.right && x < width; ++x)
      if (static_cast<size_t>(y * width + x) < pixels.size())
        ++counts[ColourOf(pixels[static_cast<size_t>(y * width + x)])];
  Drawn drawn;
  size_t most = 0;
  for (const auto& [colour, count] : counts)
    if (count > most) {
      most = count;
      drawn.background = colour;
    }
  const int base = Lightness(drawn.background);
  for (const auto& [colour, count] : counts) {
    const int lightness = Lightness(colour);
    if (lightness > base + 100) drawn.lighter += count;
    if (lightness < base - 100) drawn.darker += count;
  }
  return drawn;
}

// The colours of a control's area (its whole client area unless given),
// drawn anew.
Drawn ReadBack(HWND control, const RECT* part = nullptr) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT client;
  GetClientRect(control, &client);
  return ColoursIn(ClientPixels(control), client.right, part != nullptr ? *part : client);
}

// Dark: a dark background with light text on it.
void ExpectDark(HWND control, const char* what) {
  const Drawn drawn = ReadBack(control);
  EXPECT_LT(Lightness(drawn.background), 60) << what;
  EXPECT_GT(drawn.lighter, 20u) << what << ": no light text";
}

// A group box's title strip: light text, nothing black (as the system draws
// the titles of group boxes).
void ExpectLightTitle(HWND box) {
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT area;
  GetClientRect(box, &area);
  const std::vector<uint32_t> pixels = ClientPixels(box);
  size_t light = 0, black = 0;
  for (int y = 0; y < 12 && y < area.bottom; ++y)
    for (int x = 0; x < 80 && x < area.right; ++x) {
      const int lightness = Lightness(ColourOf(pixels[static_cast<size_t>(y * area.right + x)]));
      if (lightness > 160) ++light;
      if (lightness < 20) ++black;
    }
  EXPECT_GT(light, 10u) << "no light title";
  EXPECT_EQ(black, 0u) << "black in the title";
}

// The selected cursor row of a list without the focus: a dark row with
// light text on it (the list's own choice would be the light face colour
// under the light text).
void ExpectCursorRowReadable(HWND list, const char* what) {
  ASSERT_NE(GetFocus(), list) << what;
  const int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  ASSERT_GE(row, 0) << what;
  RECT item{};
  item.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  const Drawn drawn = ReadBack(list, &item);
  EXPECT_LT(Lightness(drawn.background), 128) << what;
  EXPECT_GT(drawn.lighter, 5u) << what << ": no light text on the row";
}

// The selected tab's label stands out from its tab: the tab control draws
// its label over its parent's background in whatever text colour that left.
void ExpectReadableSelectedTab(HWND tabs) {
  const int selected = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
  RECT item{};
  ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&item)));
  InflateRect(&item, -2, -2);
  const Drawn drawn = ReadBack(tabs, &item);
  EXPECT_GT(drawn.lighter + drawn.darker, 10u) << "the selected tab's label does not stand out";
}

// Light: the system's window colour with dark text, as without the setting.
void ExpectSystemColours(HWND control, const char* what) {
  const Drawn drawn = ReadBack(control);
  EXPECT_EQ(drawn.background, GetSysColor(COLOR_WINDOW)) << what;
  EXPECT_GT(drawn.darker, 20u) << what << ": no dark text";
}

class DarkModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.Make("Folder one");
    data_.Make("Folder two");
    data_.Write("readme.txt", "some text");
    data_.Write("numbers.csv", "1,2,3");
  }
  void TearDown() override { Palette::SetHighContrastForTesting(std::nullopt); }

  std::string SettingsWith(int colours) const {
    return PanelSettings(data_.Path(), data_.Path()) + "[Options]\r\nColours=" +
           std::to_string(colours) + "\r\n";
  }
  static void ShowLeftTree(RunningWindow& run) {
    run.Window().Panels().ShowFolderTree(Side::kLeft, true);
    Pump(&run.Window());
  }

  TempFolder data_;
};

// The app theme's value under HKCU, restored (or removed again) at the end.
class AppThemeValue {
 public:
  AppThemeValue() {
    DWORD value = 0, size = sizeof(value);
    had_ = RegGetValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr,
                        &value, &size) == ERROR_SUCCESS;
    saved_ = value;
  }
  ~AppThemeValue() {
    if (had_) {
      Set(saved_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme");
    }
  }
  static bool Set(DWORD light) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", REG_DWORD, &light,
                           sizeof(light)) == ERROR_SUCCESS;
  }

 private:
  bool had_ = false;
  DWORD saved_ = 0;
};

void ThemeChanged(RunningWindow& run) {
  SendMessageW(run.Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  Pump(&run.Window());
}

TEST_F(DarkModeTest, TheSettingColoursTheListsAndTrees) {
  {
    SCOPED_TRACE("Colours=2");
    RunningWindow run(SettingsWith(2).c_str());
    EXPECT_TRUE(run.Window().Colours().Dark());
    ExpectDark(run.Item(IDC_RIGHT_LIST), "list");
    ExpectCursorRowReadable(run.Item(IDC_RIGHT_LIST), "the other side's cursor row");
    ExpectDark(ListView(run.Item(IDC_RIGHT_LIST)).Header(), "column titles");
    ShowLeftTree(run);
    ExpectDark(run.Item(IDC_LEFT_TREE), "tree");
  }
  {
    SCOPED_TRACE("Colours=1");
    RunningWindow run(SettingsWith(1).c_str());
    EXPECT_FALSE(run.Window().Colours().Dark());
    ExpectSystemColours(run.Item(IDC_RIGHT_LIST), "list");
    ShowLeftTree(run);
    ExpectSystemColours(run.Item(IDC_LEFT_TREE), "tree");
  }
}

// Chosen in the dialog, the colours change at once, the dialog itself is
// dark the next time, and the choice is saved.
TEST_F(DarkModeTest, TheDialogsChoiceRecoloursTheRunningWindow) {
  RunningWindow run(SettingsWith(1).c_str());
  ExpectSystemColours(run.Item(IDC_RIGHT_LIST), "before");

  DialogResponder responder({Answer(IDOK, [](HWND dialog) {
    HWND page = GetDlgItem(dialog, IDD_SETTINGS_VIEW);
    HWND box = GetDlgItem(page, IDC_OPTION_COLOURS);
    EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(px::Window(GetDlgItem(page, IDC_OPTION_COLOURS_LABEL)).Text(),
              EnglishTexts().Text(text::kSettingsColours));
    SendMessageW(box, CB_SETCURSEL, 2, 0);
  })});
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_MENU_SETTINGS));
  EXPECT_TRUE(responder.Answered());
  Pump(&run.Window());

  EXPECT_EQ(run.Window().GetOptions().colours, 2);
  ExpectDark(run.Item(IDC_RIGHT_LIST), "after");

  DialogResponder again({Answer(IDCANCEL, [&](HWND dialog) {
    HWND page = GetDlgItem(dialog, IDD_SETTINGS_VIEW);
    EXPECT_LT(Lightness(ReadBack(page).background), 60);
    ExpectLightTitle(GetDlgItem(page, IDC_SETTINGS_GROUP_VISIBLE));
    ExpectReadableSelectedTab(GetDlgItem(dialog, IDC_SETTINGS_TABS));
    ExpectDark(GetDlgItem(page, IDC_OPTION_SHOW_TOOLBAR), "check box");
  })});
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_MENU_SETTINGS));
  EXPECT_TRUE(again.Answered());

  run.Close();
  EXPECT_EQ(ProfileDocument::Parse(run.SettingsFileText()).GetInt("Options", "Colours", -1), 2);
}

TEST_F(DarkModeTest, AsTheSystemFollowsTheAppTheme) {
  AppThemeValue restore;
  ASSERT_TRUE(AppThemeValue::Set(0));
  RunningWindow run(SettingsWith(0).c_str());
  ExpectDark(run.Item(IDC_RIGHT_LIST), "apps dark");

  ASSERT_TRUE(AppThemeValue::Set(1));
  ThemeChanged(run);
  ExpectSystemColours(run.Item(IDC_RIGHT_LIST), "apps light");

  // "Light" stays light whatever the system's theme.
  ASSERT_TRUE(AppThemeValue::Set(0));
  run.Window().MutableOptions().colours = 1;
  ThemeChanged(run);
  ExpectSystemColours(run.Item(IDC_RIGHT_LIST), "setting light, apps dark");
}

TEST_F(DarkModeTest, HighContrastDrawsWithTheSystemsColoursEvenWhenDark) {
  RunningWindow run(SettingsWith(2).c_str());
  ExpectDark(run.Item(IDC_RIGHT_LIST), "before");

  Palette::SetHighContrastForTesting(true);
  SendMessageW(run.Handle(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  Pump(&run.Window());
  EXPECT_EQ(run.Window().Colours().Scheme(), ColourScheme::kSystemColours);
  ExpectSystemColours(run.Item(IDC_RIGHT_LIST), "high contrast");
  ShowLeftTree(run);
  ExpectSystemColours(run.Item(IDC_LEFT_TREE), "high contrast tree");

  Palette::SetHighContrastForTesting(false);
  SendMessageW(run.Handle(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  Pump(&run.Window());
  ExpectDark(run.Item(IDC_LEFT_TREE), "high contrast off");
}

// An item of a drop-down drawn as the menu draws it: its pixels.
std::vector<COLORREF> DrawnItem(IconMenu& menu, int position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA;
  GetMenuItemInfoW(menu.Handle(), static_cast<UINT>(position), TRUE, &info);
  const auto& item = *reinterpret_cast<const IconMenuItem*>(info.dwItemData);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 20);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.hDC = dc;
  draw.rcItem = {0, 0, 200, 20};
  menu.Draw(draw, item);
  std::vector<COLORREF> pixels;
  for (int x = 0; x < 200; ++x)
    for (int y = 0; y < 20; ++y) pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Dark: the drop-downs' items and the bar's titles are drawn here in light
// text on dark, and a title's letter still opens its drop-down; light: the
// bar is the system's again.
TEST_F(DarkModeTest, MenusDrawDarkAndKeepTheirAccessKeys) {
  RunningWindow run(SettingsWith(2).c_str());
  MenuBar& menus = run.Window().Menus();
  const std::vector<COLORREF> pixels = DrawnItem(menus.DropDown(0), 0);
  const COLORREF background = pixels.front();
  EXPECT_LT(Lightness(background), 60);
  EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](COLORREF p) { return Lightness(p) > 160; }));

  MENUITEMINFOW title{};
  title.cbSize = sizeof(title);
  title.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(menus.Bar(), 0, TRUE, &title));
  EXPECT_TRUE(title.fType & MFT_OWNERDRAW);
  MENUINFO bar{};
  bar.cbSize = sizeof(bar);
  bar.fMask = MIM_BACKGROUND;
  ASSERT_TRUE(GetMenuInfo(menus.Bar(), &bar));
  EXPECT_NE(bar.hbrBack, nullptr);
  const std::string file = AccessKeyOf(DropDownTitle(EnglishTexts(), 0));
  ASSERT_FALSE(file.empty());
  const LRESULT chosen = SendMessageW(run.Handle(), WM_MENUCHAR, MAKEWPARAM(Widen(file)[0], 0),
                                      reinterpret_cast<LPARAM>(menus.Bar()));
  EXPECT_EQ(chosen, MAKELRESULT(0, MNC_EXECUTE));

  run.Window().MutableOptions().colours = 1;
  run.Window().FollowColours();
  ASSERT_TRUE(GetMenuItemInfoW(menus.Bar(), 0, TRUE, &title));
  EXPECT_FALSE(title.fType & MFT_OWNERDRAW);
  ASSERT_TRUE(GetMenuInfo(menus.Bar(), &bar));
  EXPECT_EQ(bar.hbrBack, nullptr);
  EXPECT_EQ(DrawnItem(menus.DropDown(0), 0).front(), GetSysColor(COLOR_MENU));
}

}  // namespace
}  // namespace px::test
