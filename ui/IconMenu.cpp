// The owner-drawn drop-downs and the menu bar that holds them.
#include "ui/IconMenu.h"

#include "core/language/TextFormat.h"
#include "core/text/CaseFold.h"

#include <algorithm>

#include "framework/Wide.h"
#include "res/resource.h"
#include "ui/IconLibrary.h"

namespace px {

namespace {

constexpr int kIconSize = 16;
constexpr int kColumnGap = 12;
constexpr int kSeparatorHeight = 8;

struct MenuRow {
  int dropDown;
  TextId text;  // ignored for a separator
  UINT id;      // 0 for a separator
  int icon;
};

constexpr TextId kNoText{-1, -1};

constexpr TextId kDropDownTitles[kDropDownCount] = {
    text::kMenuFile, text::kMenuView, text::kMenuCommands,
    text::kMenuFavourites, text::kMenuOptions, text::kMenuHelpTitle};

constexpr MenuRow kLayout[] = {
    {0, text::kMenuViewFile, ID_MENU_VIEW, 30},
    {0, text::kMenuEdit, ID_MENU_EDIT, 4},
    {0, text::kMenuCopy, ID_MENU_COPY, 5},
    {0, text::kMenuMove, ID_MENU_MOVE, 6},
    {0, text::kMenuMakeDirectory, ID_MENU_MAKE_DIRECTORY, 8},
    {0, text::kMenuDelete, ID_MENU_DELETE, 7},
    {0, text::kMenuAttributes, ID_MENU_ATTRIBUTES, 9},
    {0, kNoText, 0, -1},
    {0, text::kMenuSelectMask, ID_MENU_SELECT_MASK, 10},
    {0, text::kMenuDeselectMask, ID_MENU_DESELECT_MASK, 11},
    {0, kNoText, 0, -1},
    {0, text::kMenuExit, ID_MENU_EXIT, 28},
    {1, text::kMenuListView, ID_MENU_LIST_VIEW, 12},
    {1, text::kMenuDetailsView, ID_MENU_DETAILS_VIEW, 13},
    {1, text::kMenuFolderTree, ID_MENU_FOLDER_TREE, 14},
    {1, kNoText, 0, -1},
    {1, text::kMenuNewTab, ID_MENU_NEW_TAB, -1},
    {1, text::kMenuCloseTab, ID_MENU_CLOSE_TAB, -1},
    {1, kNoText, 0, -1},
    {1, text::kMenuSortName, ID_MENU_SORT_NAME, -1},
    {1, text::kMenuSortExtension, ID_MENU_SORT_EXTENSION, -1},
    {1, text::kMenuSortDate, ID_MENU_SORT_DATE, -1},
    {1, text::kMenuSortSize, ID_MENU_SORT_SIZE, -1},
    {1, text::kMenuSortListing, ID_MENU_SORT_LISTING, -1},
    {2, text::kMenuSearch, ID_MENU_SEARCH, 15},
    {2, text::kMenuJobs, ID_MENU_JOBS, 29},
    {2, text::kMenuCompare, ID_MENU_COMPARE, -1},
    {2, text::kMenuQuickFilter, ID_MENU_QUICK_FILTER, -1},
    {2, text::kMenuCountSizes, ID_MENU_COUNT_SIZES, -1},
    {2, text::kMenuGoToFolder, ID_MENU_GO_TO_FOLDER, 16},
    {2, text::kMenuCommandHistory, ID_MENU_COMMAND_HISTORY, 17},
    {2, text::kMenuFolderHistory, ID_MENU_FOLDER_HISTORY, 18},
    {2, text::kMenuVolumeLabel, ID_MENU_VOLUME_LABEL, -1},
    {2, text::kMenuDriveProperties, ID_MENU_DRIVE_PROPERTIES, -1},
    {2, kNoText, 0, -1},
    {2, text::kMenuParent, ID_MENU_PARENT, 1},
    {2, text::kMenuBack, ID_MENU_BACK, 2},
    {2, text::kMenuForward, ID_MENU_FORWARD, 3},
    {3, text::kMenuAddFavourite, ID_MENU_ADD_FAVOURITE, 19},
    {3, text::kMenuOrganiseFavourites, ID_MENU_ORGANISE_FAVOURITES, 20},
    {3, kNoText, 0, -1},
    {4, text::kMenuSettings, ID_MENU_SETTINGS, 31},
    {4, text::kMenuCustomiseToolBar, ID_MENU_CUSTOMISE_TOOLBAR, -1},
    {4, text::kMenuSavePosition, ID_MENU_SAVE_POSITION, -1},
    {4, text::kMenuSaveSettings, ID_MENU_SAVE_SETTINGS, -1},
    {5, text::kMenuHelp, ID_MENU_HELP, 27},
    {5, text::kMenuAbout, ID_MENU_ABOUT, -1},
};

// The items of the fourth drop-down before its favourites.
constexpr int kFixedFavouriteItems = 3;

struct SplitText {
  std::wstring label;
  std::wstring shortcut;
  bool hasShortcut = false;
};

// Label before the first tab, shortcut after the last.
SplitText Split(const std::string& text) {
  std::wstring wide = Widen(text);
  SplitText split;
  size_t first = wide.find(L'\t');
  if (first == std::wstring::npos) {
    split.label = wide;
    return split;
  }
  split.label = wide.substr(0, first);
  split.shortcut = wide.substr(wide.rfind(L'\t') + 1);
  split.hasShortcut = true;
  return split;
}

// A name the user typed is all label, tabs included.
SplitText SplitItem(const IconMenuItem& item) {
  if (!item.literal) return Split(item.text);
  SplitText split;
  split.label = Widen(item.text);
  return split;
}

int TextWidth(HDC dc, const std::wstring& text, UINT prefixFlag) {
  RECT rect{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_SINGLELINE | DT_CALCRECT | prefixFlag);
  return rect.right - rect.left;
}

}  // namespace

std::string DropDownTitle(const LanguageTable& texts, int index) {
  return texts.Text(kDropDownTitles[index]);
}

IconMenu::IconMenu(UINT dpi)
    : menu_(CreatePopupMenu()),
      dpi_(dpi),
      iconWidth_(SystemMetricAt(SM_CXMENUCHECK, dpi)),
      iconHeight_(SystemMetricAt(SM_CYMENUCHECK, dpi)) {
  SetDpi(dpi);
}

void IconMenu::SetDpi(UINT dpi) {
  dpi_ = dpi;
  NONCLIENTMETRICSW metrics{};
  font_.Reset(NonClientMetricsAt(metrics, dpi) ? CreateFontIndirectW(&metrics.lfMenuFont)
                                               : nullptr);
  labelWidth_ = 0;
  shortcutWidth_ = 0;
}

// A drop-down on the bar goes with the bar (and the bar with its window):
// only one that is still a menu is destroyed here.
IconMenu::~IconMenu() {
  if (menu_ != nullptr && IsMenu(menu_)) DestroyMenu(menu_);
}

void IconMenu::SetImageList(HIMAGELIST images) {
  images_ = images;
  int width = 0, height = 0;
  if (images != nullptr && ImageList_GetImageCount(images) > 0)
    ImageList_GetIconSize(images, &width, &height);
  iconWidth_ = width;
  iconHeight_ = height;
}

void IconMenu::SetIconSize(int width, int height) {
  iconWidth_ = width;
  iconHeight_ = height;
}

bool IconMenu::AppendItem(UINT flags, UINT id, std::string_view text, int icon, bool literal) {
  auto item = std::make_unique<IconMenuItem>();
  item->text = std::string(text);
  item->icon = icon;
  item->flags = flags | MF_OWNERDRAW;
  item->id = id;
  item->literal = literal;
  item->menu = this;
  BOOL appended = AppendMenuW(menu_, item->flags, id, reinterpret_cast<LPCWSTR>(item.get()));
  if (appended) items_.push_back(std::move(item));
  // The columns are measured again for the new set of items.
  labelWidth_ = 0;
  shortcutWidth_ = 0;
  return appended != FALSE;
}

void IconMenu::RemoveFrom(int position) {
  for (int count = ItemCount(); count > position; --count) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu_, count - 1, TRUE, &info);
    RemoveMenu(menu_, count - 1, MF_BYPOSITION);
    auto owned = std::find_if(items_.begin(), items_.end(), [&](const auto& item) {
      return reinterpret_cast<ULONG_PTR>(item.get()) == info.dwItemData;
    });
    if (owned != items_.end()) items_.erase(owned);
  }
  labelWidth_ = 0;
  shortcutWidth_ = 0;
}

bool IconMenu::Holds(const IconMenuItem* item) const {
  return std::any_of(items_.begin(), items_.end(),
                     [item](const auto& own) { return own.get() == item; });
}

void IconMenu::Measure(HWND owner, MEASUREITEMSTRUCT& measure, const IconMenuItem& item) {
  if (item.flags & MF_SEPARATOR) {
    measure.itemWidth = 0;
    measure.itemHeight = static_cast<UINT>(Scaled(kSeparatorHeight, dpi_));
    return;
  }
  HDC dc = GetDC(owner);
  HGDIOBJ old = SelectObject(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
  SplitText split = SplitItem(item);
  const int gap = Scaled(kColumnGap, dpi_);
  labelWidth_ = std::max(labelWidth_, TextWidth(dc, split.label, item.literal ? DT_NOPREFIX : 0) +
                                          gap);
  if (split.hasShortcut)
    shortcutWidth_ = std::max(shortcutWidth_, TextWidth(dc, split.shortcut, DT_NOPREFIX) + gap);
  SelectObject(dc, old);
  ReleaseDC(owner, dc);
  measure.itemWidth = static_cast<UINT>(labelWidth_ + shortcutWidth_ + iconWidth_);
  measure.itemHeight = static_cast<UINT>(iconHeight_ + Scaled(4, dpi_));
}

void IconMenu::Draw(const DRAWITEMSTRUCT& draw, const IconMenuItem& item) const {
  HDC dc = draw.hDC;
  RECT rect = draw.rcItem;
  const Palette& palette = palette_ != nullptr ? *palette_ : Palette::SystemDefault();
  HBRUSH backgroundBrush = palette.Brush(PaletteColour::kMenu);
  if (item.flags & MF_SEPARATOR) {
    FillRect(dc, &rect, backgroundBrush);
    rect.top += (rect.bottom - rect.top) / 2;
    if (palette.Dark()) {
      rect.bottom = rect.top + 1;
      FillRect(dc, &rect, palette.Brush(PaletteColour::kLine));
    } else {
      DrawEdge(dc, &rect, EDGE_ETCHED, BF_TOP);
    }
    return;
  }
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  bool grayed = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  if (selected) {
    FillRect(dc, &rect, palette.Brush(PaletteColour::kMenuHot));
  } else {
    FillRect(dc, &rect, backgroundBrush);
    FrameRect(dc, &rect, backgroundBrush);
  }
  COLORREF colour = palette.Colour(grayed     ? PaletteColour::kGrayText
                                   : selected ? PaletteColour::kMenuHotText
                                              : PaletteColour::kMenuText);
  COLORREF oldColour = SetTextColor(dc, colour);

  if (item.icon >= 0 && images_ != nullptr && item.icon < ImageList_GetImageCount(images_)) {
    int y = rect.top + (rect.bottom - rect.top - iconHeight_) / 2;
    ImageList_DrawEx(images_, item.icon, dc, rect.left + Scaled(2, dpi_), y, iconWidth_, iconHeight_,
                     CLR_NONE, CLR_NONE, grayed ? (ILD_NORMAL | ILD_BLEND50) : ILD_NORMAL);
    if (draw.itemState & ODS_CHECKED) {
      const int border = Scaled(1, dpi_);
      RECT frame{rect.left, y - border, rect.left + iconWidth_ + Scaled(4, dpi_),
                 y + iconHeight_ + border};
      DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
    }
  }
  rect.left += iconWidth_ + Scaled(6, dpi_);

  if (!item.text.empty()) {
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    SplitText split = SplitItem(item);
    if (split.hasShortcut) rect.right -= iconWidth_;
    UINT prefix = item.literal ? DT_NOPREFIX : 0;
    DrawTextW(dc, split.label.c_str(), static_cast<int>(split.label.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | prefix);
    if (split.hasShortcut) {
      // Every shortcut of the drop-down starts at the same x.
      RECT shortcut = rect;
      shortcut.left = rect.right - shortcutWidth_ + Scaled(kColumnGap, dpi_);
      DrawTextW(dc, split.shortcut.c_str(), static_cast<int>(split.shortcut.size()), &shortcut,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }
  SetTextColor(dc, oldColour);
}

struct MenuBarRoutes {
  static const Route<MenuBar> kRoutes[];
};

const Route<MenuBar> MenuBarRoutes::kRoutes[] = {
    {OnMessage(WM_MEASUREITEM), &MenuBar::OnMeasureItem},
    {OnMessage(WM_DRAWITEM), &MenuBar::OnDrawItem},
    {OnMessage(WM_INITMENUPOPUP), &MenuBar::OnInitMenuPopup},
    {OnMessage(WM_DESTROY), &MenuBar::OnDestroy},
    {OnMessage(WM_MENUCHAR), &MenuBar::OnMenuChar},
};

MenuBar::MenuBar(AppContext& context, const CommandTable& commands)
    : context_(context), commands_(commands) {}

// The bar takes its drop-downs with it; their objects then find them gone.
MenuBar::~MenuBar() {
  if (bar_ != nullptr && IsMenu(bar_)) DestroyMenu(bar_);
  dropDowns_.clear();
}

std::vector<int> IconMenu::ItemsForKey(wchar_t typed) const {
  const wchar_t one[2] = {typed, 0};
  const std::string key = FoldName(Narrow(one));
  std::vector<int> positions;
  const int count = ItemCount();
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_STATE | MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu_, static_cast<UINT>(position), TRUE, &info)) continue;
    if ((info.fType & MFT_SEPARATOR) || (info.fState & MFS_DISABLED)) continue;
    const auto* item = reinterpret_cast<const IconMenuItem*>(info.dwItemData);
    if (item == nullptr || !Holds(item)) continue;
    if (FoldName(AccessKeyOf(item->text, item->literal)) == key) positions.push_back(position);
  }
  return positions;
}

LRESULT MenuBar::OnMenuChar(Message& message) {
  const HMENU menu = reinterpret_cast<HMENU>(message.lParam);
  if (menu != nullptr && menu == bar_ && !titles_.empty()) {
    // Titles drawn here: the system may not know their access keys.
    const wchar_t one[2] = {static_cast<wchar_t>(LOWORD(message.wParam)), 0};
    const std::string key = FoldName(Narrow(one));
    for (int i = 0; i < kDropDownCount; ++i)
      if (FoldName(AccessKeyOf(DropDownTitle(context_.Texts(), i))) == key)
        return MAKELRESULT(i, MNC_EXECUTE);
    message.handled = false;
    return 0;
  }
  for (const auto& dropDown : dropDowns_) {
    if (dropDown->Handle() != menu) continue;
    const std::vector<int> matches = dropDown->ItemsForKey(static_cast<wchar_t>(LOWORD(message.wParam)));
    if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
    if (matches.size() == 1) return MAKELRESULT(matches[0], MNC_EXECUTE);
    int highlighted = -1;
    for (int position = 0; position < dropDown->ItemCount(); ++position)
      if (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE) highlighted = position;
    for (int position : matches)
      if (position > highlighted) return MAKELRESULT(position, MNC_SELECT);
    return MAKELRESULT(matches[0], MNC_SELECT);
  }
  message.handled = false;
  return 0;
}

bool MenuBar::RouteMessage(Message& message, LRESULT& result) {
  return DispatchRoutes(*this, MenuBarRoutes::kRoutes, message, result);
}

void MenuBar::Build(HWND window, UINT dpi) {
  window_ = window;
  dpi_ = dpi != 0 ? dpi : WindowDpi(window);
  bar_ = CreateMenu();
  for (int i = 0; i < kDropDownCount; ++i) {
    auto dropDown = std::make_unique<IconMenu>(dpi_);
    dropDown->SetPalette(context_.palette);
    AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(dropDown->Handle()),
                Widen(context_.Texts().Text(kDropDownTitles[i])).c_str());
    dropDowns_.push_back(std::move(dropDown));
  }
  LoadPictures();
  FillDropDowns();
  SetMenu(window_, bar_);
}

// The drop-downs take the new list before the old one goes.
void MenuBar::LoadPictures() {
  const int size = Scaled(kIconSize, dpi_);
  ImageList images =
      LoadLibraryIcons(CompanionPath(context_.startDirectory, "\\Menu\\Menu.dll"), size, size);
  for (const auto& dropDown : dropDowns_) {
    dropDown->SetImageList(images.Get());
    dropDown->SetIconSize(size, size);
  }
  images_ = std::move(images);
}

void MenuBar::SetDpi(UINT dpi) {
  if (dpi == 0 || dpi == dpi_) return;
  dpi_ = dpi;
  if (bar_ == nullptr) return;
  for (const auto& dropDown : dropDowns_) dropDown->SetDpi(dpi);
  LoadPictures();
  // Items appended again are measured again, at the new size.
  Rebuild();
}

void MenuBar::FillDropDowns() {
  const LanguageTable& texts = context_.Texts();
  for (const MenuRow& row : kLayout) {
    IconMenu& menu = *dropDowns_[static_cast<size_t>(row.dropDown)];
    if (row.id == 0)
      menu.AppendItem(MF_SEPARATOR, 0, "", -1);
    else
      menu.AppendItem(MF_STRING, row.id, texts.Text(row.text), row.icon);
  }
  AppendFavourites();
}

void MenuBar::AppendFavourites() {
  IconMenu& menu = *dropDowns_[kFavouritesDropDown];
  for (size_t k = 0; k < favourites_.size(); ++k)
    menu.AppendItem(MF_STRING, ID_FAVOURITE_FIRST + static_cast<UINT>(k), favourites_[k], -1, true);
}

void MenuBar::Rebuild() {
  if (bar_ == nullptr) return;
  for (int i = 0; i < kDropDownCount; ++i) {
    IconMenu& menu = *dropDowns_[static_cast<size_t>(i)];
    // Only the title changes: replacing the item would destroy its drop-down.
    std::wstring title = Widen(context_.Texts().Text(kDropDownTitles[i]));
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = title.data();
    SetMenuItemInfoW(bar_, static_cast<UINT>(i), TRUE, &info);
    menu.RemoveFrom(0);
  }
  FillDropDowns();
  DrawMenuBar(window_);
}

void MenuBar::SetFavourites(const std::vector<std::string>& names) {
  favourites_ = names;
  if (bar_ == nullptr) return;
  dropDowns_[kFavouritesDropDown]->RemoveFrom(kFixedFavouriteItems);
  AppendFavourites();
}

IconMenuItem* MenuBar::OurItem(ULONG_PTR data) const {
  auto* item = reinterpret_cast<IconMenuItem*>(data);
  for (const auto& menu : dropDowns_)
    if (menu->Holds(item)) return item;
  return nullptr;
}

LRESULT MenuBar::OnMeasureItem(Message& message) {
  auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam);
  IconMenuItem* item = measure != nullptr && measure->CtlType == ODT_MENU
                           ? OurItem(measure->itemData)
                           : nullptr;
  if (item == nullptr) {
    const IconMenuItem* title =
        measure != nullptr && measure->CtlType == ODT_MENU ? OurTitle(measure->itemData) : nullptr;
    if (title != nullptr) {
      MeasureTitle(*measure, *title);
      return TRUE;
    }
    message.handled = false;
    return 0;
  }
  item->menu->Measure(window_, *measure, *item);
  return TRUE;
}

LRESULT MenuBar::OnDrawItem(Message& message) {
  auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.lParam);
  IconMenuItem* item =
      draw != nullptr && draw->CtlType == ODT_MENU ? OurItem(draw->itemData) : nullptr;
  if (item == nullptr) {
    const IconMenuItem* title =
        draw != nullptr && draw->CtlType == ODT_MENU ? OurTitle(draw->itemData) : nullptr;
    if (title != nullptr) {
      DrawTitle(*draw, *title);
      return TRUE;
    }
    message.handled = false;
    return 0;
  }
  item->menu->Draw(*draw, *item);
  return TRUE;
}

// Each item shows whether its command can run now.
LRESULT MenuBar::OnInitMenuPopup(Message& message) {
  HMENU menu = reinterpret_cast<HMENU>(message.wParam);
  bool ours = std::any_of(dropDowns_.begin(), dropDowns_.end(),
                          [menu](const auto& own) { return own->Handle() == menu; });
  if (!ours) {
    message.handled = false;
    return 0;
  }
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    UINT id = GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;
    CommandTable::State state = commands_.StateOf(id);
    bool enabled = state.known && state.enabled;
    EnableMenuItem(menu, i, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, i, MF_BYPOSITION | (state.checked ? MF_CHECKED : MF_UNCHECKED));
  }
  return 0;
}

// The window would take its menu with it; the bar is ours to destroy.
LRESULT MenuBar::OnDestroy(Message& message) {
  if (window_ != nullptr && GetMenu(window_) == bar_) SetMenu(window_, nullptr);
  message.handled = false;
  return 0;
}

}  // namespace px
