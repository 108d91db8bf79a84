// The menu bar on the real window: the six drop-downs by command id with
// their texts and pictures, item sizes, command states, a language switch,
// and pictures from missing or broken libraries.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Dpi.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Companions.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"
#include "ui/IconLibrary.h"
#include "ui/IconMenu.h"

namespace px::test {
namespace {

struct Expected {
  UINT id;    // 0: separator
  int text;   // index in `table`
  int icon;
  int table = 1;
};

// Drop-down d's title is text 1.kTitles[d].
constexpr int kTitles[kDropDownCount] = {0, 11, 21, 33, 36, 41};
const std::vector<Expected> kDropDowns[kDropDownCount] = {
    {{ID_MENU_VIEW, 67, 30, 24}, {ID_MENU_EDIT, 1, 4}, {ID_MENU_COPY, 2, 5}, {ID_MENU_MOVE, 3, 6},
     {ID_MENU_MAKE_DIRECTORY, 4, 8}, {ID_MENU_DELETE, 5, 7}, {ID_MENU_ATTRIBUTES, 6, 9},
     {0, 0, -1}, {ID_MENU_SELECT_MASK, 7, 10}, {ID_MENU_DESELECT_MASK, 8, 11}, {0, 0, -1},
     {ID_MENU_EXIT, 9, 28}},
    {{ID_MENU_LIST_VIEW, 12, 12}, {ID_MENU_DETAILS_VIEW, 13, 13}, {ID_MENU_FOLDER_TREE, 14, 14},
     {0, 0, -1}, {ID_MENU_NEW_TAB, 136, -1, 24}, {ID_MENU_CLOSE_TAB, 137, -1, 24},
     {0, 0, -1}, {ID_MENU_SORT_NAME, 15, -1}, {ID_MENU_SORT_EXTENSION, 16, -1},
     {ID_MENU_SORT_DATE, 17, -1}, {ID_MENU_SORT_SIZE, 18, -1}, {ID_MENU_SORT_LISTING, 19, -1}},
    {{ID_MENU_SEARCH, 22, 15}, {ID_MENU_JOBS, 65, 29, 24}, {ID_MENU_COMPARE, 116, -1, 24},
     {ID_MENU_QUICK_FILTER, 124, -1, 24}, {ID_MENU_COUNT_SIZES, 125, -1, 24}, {ID_MENU_GO_TO_FOLDER, 24, 16},
     {ID_MENU_COMMAND_HISTORY, 23, 17}, {ID_MENU_FOLDER_HISTORY, 25, 18},
     {ID_MENU_VOLUME_LABEL, 26, -1}, {ID_MENU_DRIVE_PROPERTIES, 27, -1}, {0, 0, -1},
     {ID_MENU_PARENT, 28, 1}, {ID_MENU_BACK, 29, 2}, {ID_MENU_FORWARD, 30, 3}},
    {{ID_MENU_ADD_FAVOURITE, 34, 19}, {ID_MENU_ORGANISE_FAVOURITES, 35, 20}, {0, 0, -1}},
    {{ID_MENU_SETTINGS, 37, 31}, {ID_MENU_CUSTOMISE_TOOLBAR, 38, -1},
     {ID_MENU_SAVE_POSITION, 39, -1}, {ID_MENU_SAVE_SETTINGS, 40, -1}},
    {{ID_MENU_HELP, 42, 27}, {ID_MENU_ABOUT, 43, -1}},
};

const char kTwoFavourites[] =
    "[Favorites]\r\nN0=Work\r\nF0=C:\\Work\\\r\nN1=A & B\r\nF1=C:\\AB\\\r\n";

std::string BarTitle(HMENU bar, int position) {
  wchar_t buffer[128] = {};
  GetMenuStringW(bar, position, buffer, 128, MF_BYPOSITION);
  return Narrow(buffer);
}

const IconMenuItem* ItemAt(HMENU menu, int position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA | MIIM_FTYPE | MIIM_ID;
  if (!GetMenuItemInfoW(menu, position, TRUE, &info) || !(info.fType & MFT_OWNERDRAW))
    return nullptr;
  return reinterpret_cast<const IconMenuItem*>(info.dwItemData);
}

// Every drop-down as the layout says, texts from `texts`, then the favourites.
void ExpectMenus(HMENU bar, const LanguageTable& texts,
                 const std::vector<std::string>& favourites) {
  ASSERT_EQ(GetMenuItemCount(bar), kDropDownCount);
  for (int d = 0; d < kDropDownCount; ++d) {
    EXPECT_EQ(BarTitle(bar, d), texts.TextAt(1, kTitles[d]));
    HMENU menu = GetSubMenu(bar, d);
    std::vector<Expected> rows = kDropDowns[d];
    if (d == kFavouritesDropDown) {
      for (size_t k = 0; k < favourites.size(); ++k)
        rows.push_back({static_cast<UINT>(ID_FAVOURITE_FIRST + k), -1, -1});
    }
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(rows.size())) << "drop-down " << d;
    for (size_t i = 0; i < rows.size(); ++i) {
      const IconMenuItem* item = ItemAt(menu, static_cast<int>(i));
      ASSERT_NE(item, nullptr) << d << "/" << i;
      EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(i)), rows[i].id == 0 ? 0u : rows[i].id);
      EXPECT_EQ(item->id, rows[i].id);
      EXPECT_EQ(item->icon, rows[i].icon);
      EXPECT_EQ((item->flags & MF_SEPARATOR) != 0, rows[i].id == 0);
      std::string expected = rows[i].id == 0 ? ""
                             : rows[i].text < 0
                                 ? favourites[i - kDropDowns[d].size()]
                                 : texts.TextAt(rows[i].table, rows[i].text);
      EXPECT_EQ(item->text, expected) << d << "/" << i;
    }
  }
}

TEST(MenuTest, SixDropDownsWithTheirCommandsTextsAndPictures) {
  RunningWindow run(kTwoFavourites, StageCompanions);
  HMENU bar = GetMenu(run.Handle());
  ASSERT_EQ(bar, run.Window().Menus().Bar());
  ExpectMenus(bar, EnglishTexts(), {"Work", "A & B"});

  HIMAGELIST images = run.Window().Menus().Images();
  ASSERT_EQ(ImageList_GetImageCount(images), kLibraryIconCount);
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 16);
  for (const auto& rows : kDropDowns)
    for (const Expected& row : rows)
      if (row.icon >= 0) {
        EXPECT_FALSE(IsBlankImage(images, row.icon)) << row.icon;
      }
}

TEST(MenuTest, ItemSizesAndStatesFollowTheirCommands) {
  RunningWindow run(kTwoFavourites, StageCompanions);
  MenuBar& menus = run.Window().Menus();
  HMENU file = GetSubMenu(menus.Bar(), 0);
  for (int i = 0; i < GetMenuItemCount(file); ++i) {
    const IconMenuItem* item = ItemAt(file, i);
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = item->id;
    measure.itemData = reinterpret_cast<ULONG_PTR>(item);
    SendMessageW(run.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    bool separator = item->id == 0;
    EXPECT_EQ(measure.itemHeight, separator ? 8u : 20u) << i;
    // Wide enough for the picture, the gaps and some text.
    if (!separator) {
      EXPECT_GT(measure.itemWidth, 16u + 24u) << i;
    }
  }

  // On opening, each item is enabled exactly when its command can run.
  for (int d = 0; d < kDropDownCount; ++d) {
    HMENU menu = GetSubMenu(menus.Bar(), d);
    SendMessageW(run.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), d);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      UINT id = GetMenuItemID(menu, i);
      if (id == 0) continue;
      CommandTable::State state = run.Window().Commands().StateOf(id);
      UINT flags = GetMenuState(menu, i, MF_BYPOSITION);
      EXPECT_EQ((flags & MF_GRAYED) == 0, state.known && state.enabled) << id;
      EXPECT_EQ((flags & MF_CHECKED) != 0, state.checked) << id;
    }
  }
  // The menus' own commands are there, and no id was given two commands.
  for (int id : {ID_MENU_ADD_FAVOURITE, ID_MENU_ORGANISE_FAVOURITES, ID_MENU_CUSTOMISE_TOOLBAR,
                 ID_FAVOURITE_FIRST, ID_FAVOURITE_LAST, ID_MENU_JOBS, ID_KEY_JOBS})
    EXPECT_TRUE(run.Window().Commands().Has(id)) << id;
  EXPECT_TRUE(run.Window().CommandsUnique());
}

// The view, the sort key and the tree show checked; what would do nothing
// now (back without a history, the editor without a file) shows disabled.
// A new scale of the running window (as WM_DPICHANGED brings): the pictures,
// the font and the items' sizes follow, the items stay, and all comes back.
TEST(MenuTest, ANewScaleReloadsPicturesFontAndItemSizes) {
  RunningWindow run(kTwoFavourites, StageCompanions);
  MenuBar& menus = run.Window().Menus();
  ASSERT_EQ(menus.Dpi(), WindowDpi(run.Handle()));
  HMENU bar = menus.Bar();
  HMENU file = GetSubMenu(bar, 0);
  auto measured = [&](int position) {
    const IconMenuItem* item = ItemAt(file, position);
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = item->id;
    measure.itemData = reinterpret_cast<ULONG_PTR>(item);
    SendMessageW(run.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    return measure;
  };
  constexpr int kEdit = 1, kSeparator = 7;
  const UINT widthAt96 = measured(kEdit).itemWidth;
  const struct {
    UINT dpi;
    int picture;
  } rows[] = {{192, 32}, {144, 24}, {120, 20}, {96, 16}};
  for (const auto& row : rows) {
    menus.SetDpi(row.dpi);
    EXPECT_EQ(menus.Dpi(), row.dpi);
    HIMAGELIST images = menus.Images();
    ASSERT_EQ(ImageList_GetImageCount(images), kLibraryIconCount);
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, row.picture) << row.dpi;
    EXPECT_EQ(height, row.picture) << row.dpi;
    EXPECT_FALSE(IsBlankImage(images, 5)) << row.dpi;
    EXPECT_EQ(GetMenu(run.Handle()), bar);
    ExpectMenus(bar, EnglishTexts(), {"Work", "A & B"});

    MEASUREITEMSTRUCT edit = measured(kEdit);
    EXPECT_EQ(edit.itemHeight, static_cast<UINT>(row.picture + Scaled(4, row.dpi))) << row.dpi;
    EXPECT_EQ(measured(kSeparator).itemHeight, static_cast<UINT>(Scaled(8, row.dpi))) << row.dpi;
    // The label in the menu font at this scale: about as much wider as the scale is larger.
    EXPECT_GE(edit.itemWidth * 96, widthAt96 * row.dpi * 8 / 10) << row.dpi;
    if (row.dpi == 96) {
      EXPECT_EQ(edit.itemWidth, widthAt96);
    }
  }
}

TEST(MenuTest, ChecksAndDisabledItemsFollowThePanel) {
  TempFolder data;
  data.Write("a.txt", "a");
  RunningWindow run(PanelSettings(data.Path(), data.Path()).c_str(), StageCompanions);
  MainWindow& window = run.Window();
  auto state = [&](UINT id) { return window.Commands().StateOf(id); };
  window.Panels().Active().List().Focus();
  EXPECT_TRUE(state(ID_MENU_DETAILS_VIEW).checked);
  EXPECT_FALSE(state(ID_MENU_LIST_VIEW).checked);
  EXPECT_TRUE(state(ID_MENU_SORT_NAME).checked);
  EXPECT_FALSE(state(ID_MENU_FOLDER_TREE).checked);
  EXPECT_FALSE(state(ID_MENU_BACK).enabled);
  EXPECT_FALSE(state(ID_MENU_FORWARD).enabled);
  EXPECT_FALSE(state(ID_MENU_EDIT).enabled);  // no file under the cursor

  window.ExecuteCommand(ID_KEY_SORT_SIZE);
  window.ExecuteCommand(ID_KEY_LIST_VIEW);
  window.Panels().Active().SetCursor(window.Panels().Active().Table().FindRowByName("a.txt"));
  EXPECT_TRUE(state(ID_MENU_SORT_SIZE).checked);
  EXPECT_FALSE(state(ID_MENU_SORT_NAME).checked);
  EXPECT_TRUE(state(ID_MENU_LIST_VIEW).checked);
  EXPECT_TRUE(state(ID_MENU_EDIT).enabled);
  window.Panels().GoToFolder("C:\\", true);
  EXPECT_TRUE(state(ID_MENU_BACK).enabled);
  EXPECT_FALSE(state(ID_MENU_PARENT).enabled);  // a drive root has none
  window.ExecuteCommand(ID_MENU_FOLDER_TREE);
  EXPECT_TRUE(state(ID_MENU_FOLDER_TREE).checked);
  EXPECT_FALSE(state(ID_MENU_LIST_VIEW).checked);  // the tree stands in the list's place
  // The drop-down shows the same when it opens.
  HMENU view = nullptr;
  for (int d = 0; d < kDropDownCount && view == nullptr; ++d) {
    HMENU menu = GetSubMenu(window.Menus().Bar(), d);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if (GetMenuItemID(menu, i) == ID_MENU_FOLDER_TREE) view = menu;
    }
  }
  ASSERT_NE(view, nullptr);
  SendMessageW(run.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 0);
  EXPECT_TRUE(GetMenuState(view, ID_MENU_FOLDER_TREE, MF_BYCOMMAND) & MF_CHECKED);
}

TEST(MenuTest, GermanRebuildsEveryTextAndKeepsTheFavourites) {
  RunningWindow run(kTwoFavourites, StageCompanions);
  HMENU bar = GetMenu(run.Handle());
  std::vector<HMENU> dropDowns;
  for (int d = 0; d < kDropDownCount; ++d) dropDowns.push_back(GetSubMenu(bar, d));

  run.Window().ChangeLanguage("German");
  const LanguageTable& german = run.Window().Texts();
  ASSERT_EQ(german.TextAt(1, 0), "&Datei");
  EXPECT_EQ(GetMenu(run.Handle()), bar);
  ExpectMenus(bar, german, {"Work", "A & B"});
  for (int d = 0; d < kDropDownCount; ++d) EXPECT_EQ(GetSubMenu(bar, d), dropDowns[d]);

  // The favourites still go to their own folders after the switch.
  run.Window().ChangeLanguage("English");
  ExpectMenus(bar, EnglishTexts(), {"Work", "A & B"});
}

TEST(MenuTest, MissingPicturesLeaveBlankImagesInTheirPlaces) {
  // The test program holds icons 180 to 182 and 186, bitmaps at 183 and 184.
  ImageList images = LoadLibraryIcons(BesideTestProgram("win_tests.exe"), 16, 16, 180, 7);
  ASSERT_EQ(ImageList_GetImageCount(images.Get()), 7);
  const bool blank[7] = {false, false, false, true, true, true, false};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(IsBlankImage(images.Get(), i), blank[i]) << i;

  TempFolder folder;
  std::string broken = folder.Write("Broken.dll", std::string("MZ\x90\0garbage", 11));
  for (const std::string& path : {broken, folder.Path() + "Missing.dll"}) {
    ImageList none = LoadLibraryIcons(path, 18, 20);
    ASSERT_EQ(ImageList_GetImageCount(none.Get()), kLibraryIconCount) << path;
    for (int i = 0; i < kLibraryIconCount; ++i) EXPECT_TRUE(IsBlankImage(none.Get(), i));
  }
}

// Every picture of both libraries, and the panels' own pictures in the
// program, is drawn at each scale's own size: the group's directory names the
// three sizes in 32 bits, and each image it points to is stored at that size
// (not one image listed three times).
TEST(MenuTest, LibrariesHoldEveryPictureDrawnAtThreeSizes) {
  std::vector<int> commandIcons;
  for (int id = kFirstLibraryIcon; id < kFirstLibraryIcon + kLibraryIconCount; ++id) commandIcons.push_back(id);
  struct Library {
    const char* name;  // null: the program itself
    std::vector<SIZE> sizes;
    std::vector<int> ids;
  } libraries[] = {
      {"Menu.dll", {{16, 16}, {24, 24}, {32, 32}}, commandIcons},
      {"ToolBar.dll", {{18, 20}, {27, 30}, {36, 40}}, commandIcons},
      {nullptr, {{16, 16}, {24, 24}, {32, 32}}, {IDI_FOLDER, IDI_FOLDER_OPEN, IDI_PARENT}},
      {nullptr, {{11, 11}, {17, 17}, {22, 22}}, {IDI_SORT_ASCENDING, IDI_SORT_DESCENDING}},
  };
#pragma pack(push, 2)
  struct Entry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  for (Library& library : libraries) {
    HMODULE module = library.name == nullptr
                         ? GetModuleHandleW(nullptr)
                         : LoadLibraryExW(Widen(BesideTestProgram(library.name)).c_str(), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (library.name == nullptr) library.name = "the program";
    ASSERT_NE(module, nullptr) << library.name;
    for (int id : library.ids) {
      HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
      ASSERT_NE(group, nullptr) << library.name << " " << id;
      const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
      const WORD count = reinterpret_cast<const WORD*>(bytes)[2];
      ASSERT_EQ(SizeofResource(module, group), 6 + count * sizeof(Entry));
      const Entry* entries = reinterpret_cast<const Entry*>(bytes + 6);
      std::vector<WORD> images;
      for (size_t k = 0; k < library.sizes.size(); ++k) {
        const SIZE& size = library.sizes[k];
        const Entry* entry = std::find_if(entries, entries + count, [&](const Entry& e) {
          return e.width == size.cx && e.height == size.cy;
        });
        ASSERT_NE(entry, entries + count) << library.name << " " << id << " " << size.cx;
        EXPECT_EQ(entry->bitCount, 32);
        images.push_back(entry->id);
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry->id), RT_ICON);
        ASSERT_NE(image, nullptr);
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
        EXPECT_EQ(header->biWidth, size.cx) << library.name << " " << id;
        EXPECT_EQ(header->biHeight, 2 * size.cy) << library.name << " " << id;
        EXPECT_EQ(header->biBitCount, 32);
      }
      std::sort(images.begin(), images.end());
      EXPECT_EQ(std::unique(images.begin(), images.end()), images.end());
    }
    if (module != GetModuleHandleW(nullptr)) FreeLibrary(module);
  }
}

// Pictures in 32 bits at any size, never drawn smaller than it: between
// and beyond the drawn sizes too, the list view's picture (a page all across
// its square) spans the whole width.
TEST(MenuTest, PicturesFillTheirSizeAtEveryScale) {
  constexpr int kListView = 12;
  for (int size : {16, 20, 24, 28, 32, 40}) {
    ImageList images = LoadLibraryIcons(BesideTestProgram("Menu.dll"), size, size);
    ASSERT_EQ(ImageList_GetImageCount(images.Get()), kLibraryIconCount) << size;
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(images.Get(), kListView, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmImage, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmBitsPixel, 32) << size;

    // Drawn on a colour no picture uses: the columns it covers.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, canvas);
    const auto* pixels = static_cast<const DWORD*>(bits);
    auto coveredColumns = [&](int index) {
      std::fill_n(static_cast<DWORD*>(bits), size * size, 0x00FF00FFu);
      ImageList_Draw(images.Get(), index, dc, 0, 0, ILD_NORMAL);
      GdiFlush();
      int covered = 0;
      for (int x = 0; x < size; ++x) {
        bool ink = false;
        for (int y = 0; y < size && !ink; ++y) ink = (pixels[y * size + x] & 0xFFFFFF) != 0xFF00FF;
        covered += ink ? 1 : 0;
      }
      return covered;
    };
    EXPECT_EQ(coveredColumns(kListView), size) << size;
    // The separator's picture, a two-pixel line at 100 %: the key colour shows around it.
    EXPECT_LT(coveredColumns(0), size / 2) << size;
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
  }
}

TEST(MenuTest, BrokenLibrariesStillStartTheWindow) {
  RunningWindow run(nullptr, [](TempFolder& start) {
    StageCompanions(start);
    start.Write("Menu\\Menu.dll", std::string(4096, '\x7f'));
    start.Write("ToolBar\\ToolBar.dll", "");
  });
  ASSERT_NE(GetMenu(run.Handle()), nullptr);
  ExpectMenus(GetMenu(run.Handle()), EnglishTexts(), {});
  EXPECT_EQ(ImageList_GetImageCount(run.Window().Menus().Images()), kLibraryIconCount);
  EXPECT_EQ(ImageList_GetImageCount(run.Window().Tools().Images()), kLibraryIconCount);
  EXPECT_TRUE(IsBlankImage(run.Window().Menus().Images(), 5));
  EXPECT_EQ(run.Window().Tools().Buttons().size(), 24u);
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

struct OpenMenuLook {
  static OpenMenuLook* active;
  int distinctColours = 0;
  int width = 0, height = 0;
  bool seen = false;
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    OpenMenuLook* self = active;
    if (self == nullptr || self->seen) return;
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (popup == nullptr || !IsWindowVisible(popup)) return;
    UpdateWindow(popup);
    RECT rect;
    GetClientRect(popup, &rect);
    self->width = rect.right;
    self->height = rect.bottom;
    HDC dc = GetDC(popup);
    std::vector<COLORREF> colours;
    for (int y = 0; y < rect.bottom; y += 2)
      for (int x = 0; x < rect.right; x += 2) {
        COLORREF colour = GetPixel(dc, x, y);
        if (std::find(colours.begin(), colours.end(), colour) == colours.end())
          colours.push_back(colour);
      }
    ReleaseDC(popup, dc);
    self->distinctColours = static_cast<int>(colours.size());
    self->seen = true;
    EndMenu();
  }
};
OpenMenuLook* OpenMenuLook::active = nullptr;

TEST(MenuTest, AnOpenDropDownDrawsItsItems) {
  RunningWindow run(kTwoFavourites, StageCompanions);
  OpenMenuLook look;
  OpenMenuLook::active = &look;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, &OpenMenuLook::OnTimer);
  TrackPopupMenu(GetSubMenu(GetMenu(run.Handle()), 0), TPM_RETURNCMD, 100, 100, 0, run.Handle(),
                 nullptr);
  KillTimer(nullptr, timer);
  OpenMenuLook::active = nullptr;
  ASSERT_TRUE(look.seen);
  EXPECT_GE(look.height, 9 * 20 + 2 * 8);
  // Background, text and the pictures' colours: far more than a blank box.
  EXPECT_GT(look.distinctColours, 8);
}

TEST(MenuTest, AltWithATitlesLetterOpensItsDropDown) {
  RunningWindow run(kTwoFavourites, StageCompanions);
  OpenMenuLook look;
  OpenMenuLook::active = &look;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, &OpenMenuLook::OnTimer);
  PressKey(run.Window(), run.Item(IDC_LEFT_LIST), 'F', kAlt);
  for (int i = 0; i < 20 && !look.seen; ++i) {
    Pump(&run.Window());
    Sleep(50);
  }
  KillTimer(nullptr, timer);
  OpenMenuLook::active = nullptr;
  EXPECT_TRUE(look.seen);
  EXPECT_GE(look.height, 9 * 20 + 2 * 8);
}

// Columns of one drawn item: column x is the list of its pixels.
std::vector<std::vector<COLORREF>> DrawnColumns(IconMenu& menu, int position, int width) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA;
  GetMenuItemInfoW(menu.Handle(), position, TRUE, &info);
  const IconMenuItem& item = *reinterpret_cast<const IconMenuItem*>(info.dwItemData);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, 20);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.hDC = dc;
  draw.rcItem = {0, 0, width, 20};
  draw.hwndItem = reinterpret_cast<HWND>(menu.Handle());
  menu.Draw(draw, item);
  std::vector<std::vector<COLORREF>> columns(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < 20; ++y) columns[x].push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return columns;
}

bool Blank(const std::vector<COLORREF>& column) {
  for (COLORREF pixel : column)
    if (pixel != GetSysColor(COLOR_MENU)) return false;
  return true;
}

TEST(MenuTest, ShortcutsShareOneColumnAndTextLeavesTheIconSpace) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                               nullptr, nullptr, nullptr, nullptr);
  ImageList images = LoadLibraryIcons(BesideTestProgram("Menu.dll"), 16, 16);
  IconMenu menu;
  menu.SetImageList(images.Get());
  menu.SetIconSize(16, 16);
  const char* texts[] = {"X\tF4", "X\tF4 long", "A much longer label\tF4", "Plain"};
  for (UINT i = 0; i < 4; ++i) menu.AppendItem(MF_STRING, i + 1, texts[i], i == 3 ? -1 : 5);
  int width = 0;
  for (int i = 0; i < 4; ++i) {
    MEASUREITEMSTRUCT measure{};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu.Handle(), i, TRUE, &info);
    menu.Measure(owner, measure, *reinterpret_cast<const IconMenuItem*>(info.dwItemData));
    EXPECT_EQ(measure.itemHeight, 20u);
    width = std::max(width, static_cast<int>(measure.itemWidth));
  }
  width += 16;  // the system adds room for a check mark
  auto shortShortcut = DrawnColumns(menu, 0, width);
  auto longShortcut = DrawnColumns(menu, 1, width);
  auto longLabel = DrawnColumns(menu, 2, width);
  auto noIcon = DrawnColumns(menu, 3, width);

  // Same label, shortcuts starting alike: the shorter is part of the longer.
  int lastInk = -1;
  for (int x = 0; x < width; ++x) {
    if (Blank(shortShortcut[x])) continue;
    lastInk = x;
    EXPECT_EQ(shortShortcut[x], longShortcut[x]) << "column " << x;
  }
  // The same shortcut after a longer label ends in the same column.
  int lastLongLabelInk = -1;
  for (int x = 0; x < width; ++x)
    if (!Blank(longLabel[x])) lastLongLabelInk = x;
  EXPECT_GT(lastInk, 40);
  EXPECT_EQ(lastLongLabelInk, lastInk);
  // Without a picture the text still starts after the picture's place and the gap.
  int firstInk = 0;
  while (firstInk < width && Blank(noIcon[firstInk])) ++firstInk;
  EXPECT_GE(firstInk, 16 + 6);
  EXPECT_LE(firstInk, 16 + 6 + 3);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

// Letters typed in an open drop-down choose its items as in a standard menu:
// one item of that first letter runs, of several the next is selected, none
// is ignored; case does not matter.
TEST(MenuKeys, LettersChooseTheItemsOfAnOpenDropDown) {
  RunningWindow run;
  HMENU file = GetSubMenu(GetMenu(run.Handle()), 0);
  ASSERT_NE(file, nullptr);
  const auto position = [&](UINT id) {
    for (int i = 0; i < GetMenuItemCount(file); ++i)
      if (GetMenuItemID(file, i) == id) return i;
    return -1;
  };
  const auto typed = [&](wchar_t c) {
    return static_cast<DWORD>(SendMessageW(run.Handle(), WM_MENUCHAR, MAKEWPARAM(c, MF_POPUP),
                                           reinterpret_cast<LPARAM>(file)));
  };
  for (wchar_t c : {L'c', L'C'}) {
    const DWORD result = typed(c);
    EXPECT_EQ(HIWORD(result), MNC_EXECUTE);
    EXPECT_EQ(static_cast<int>(LOWORD(result)), position(ID_MENU_COPY));
  }
  // "Delete..." and "Deselect...": the first, then the next after the one lit.
  DWORD result = typed(L'd');
  EXPECT_EQ(HIWORD(result), MNC_SELECT);
  EXPECT_EQ(static_cast<int>(LOWORD(result)), position(ID_MENU_DELETE));
  MENUITEMINFOW lit{};
  lit.cbSize = sizeof(lit);
  lit.fMask = MIIM_STATE;
  lit.fState = MFS_HILITE;
  SetMenuItemInfoW(file, static_cast<UINT>(position(ID_MENU_DELETE)), TRUE, &lit);
  result = typed(L'd');
  EXPECT_EQ(HIWORD(result), MNC_SELECT);
  EXPECT_EQ(static_cast<int>(LOWORD(result)), position(ID_MENU_DESELECT_MASK));
  EXPECT_EQ(HIWORD(typed(L'q')), MNC_IGNORE);
}

}  // namespace
}  // namespace px::test
