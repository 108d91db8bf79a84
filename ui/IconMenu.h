// The menu bar: six owner-drawn drop-downs built in code, each item with a
// picture from Menu\Menu.dll (16 x 16 at 100 %, scaled with the window), its
// text from language table 1 (the job list's from table 24) and a shortcut
// column; the favourite folders at the end of the fourth.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/commands/CommandTable.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"

namespace px {

class IconMenu;

struct IconMenuItem {
  std::string text;  // a tab separates the label from the shortcut
  int icon = -1;     // image in the menu's image list, -1 for none
  UINT flags = 0;    // as appended, with MF_OWNERDRAW
  UINT id = 0;       // 0 for a separator
  bool literal = false;  // "&" shown as it is (names the user typed)
  IconMenu* menu = nullptr;
};

// One owner-drawn drop-down, its font, gaps and item heights at a scale.
class IconMenu {
 public:
  explicit IconMenu(UINT dpi = SystemDpi());
  ~IconMenu();
  IconMenu(const IconMenu&) = delete;
  IconMenu& operator=(const IconMenu&) = delete;

  HMENU Handle() const { return menu_; }
  // The menu font and the gaps at dpi; the items already measured keep their
  // sizes until they are appended again.
  void SetDpi(UINT dpi);
  UINT Dpi() const { return dpi_; }
  void SetImageList(HIMAGELIST images);
  void SetIconSize(int width, int height);
  // Appends an owner-drawn item (a separator with MF_SEPARATOR, id 0).
  bool AppendItem(UINT flags, UINT id, std::string_view text, int icon, bool literal = false);
  // Removes the items from position on.
  void RemoveFrom(int position);
  int ItemCount() const { return GetMenuItemCount(menu_); }
  // The positions of the items a typed character chooses (AccessKeyOf),
  // ignoring case as names do; separators and disabled items never.
  std::vector<int> ItemsForKey(wchar_t typed) const;
  bool Holds(const IconMenuItem* item) const;

  void Measure(HWND owner, MEASUREITEMSTRUCT& measure, const IconMenuItem& item);
  void Draw(const DRAWITEMSTRUCT& draw, const IconMenuItem& item) const;
  // The colours the items are drawn in; none: the system's.
  void SetPalette(const Palette* palette) { palette_ = palette; }

 private:
  HMENU menu_ = nullptr;
  std::vector<std::unique_ptr<IconMenuItem>> items_;
  const Palette* palette_ = nullptr;
  UINT dpi_;
  Font font_;
  int labelWidth_ = 0;
  int shortcutWidth_ = 0;
  HIMAGELIST images_ = nullptr;
  int iconWidth_;
  int iconHeight_;
};

constexpr int kDropDownCount = 6;
constexpr int kFavouritesDropDown = 3;  // the fourth
// The title of drop-down index on the bar, access key mark included.
std::string DropDownTitle(const LanguageTable& texts, int index);

class MenuBar : public MessageRouter {
 public:
  MenuBar(AppContext& context, const CommandTable& commands);
  ~MenuBar() override;

  // Loads the pictures at the window's scale (or at dpi when given), builds
  // the bar and attaches it to window.
  void Build(HWND window, UINT dpi = 0);
  // The pictures, font and item sizes again at a new scale of the window
  // (WM_DPICHANGED); the items are measured anew when next shown.
  void SetDpi(UINT dpi);
  UINT Dpi() const { return dpi_; }
  // Every text again from the language table, favourites kept.
  void Rebuild();
  // After the colours changed: the bar's and the drop-downs' background;
  // while dark the bar's titles are drawn here too (the system would draw
  // them in its own text colour).
  void ApplyColours();
  // The favourite items at the end of the fourth drop-down.
  void SetFavourites(const std::vector<std::string>& names);

  HMENU Bar() const { return bar_; }
  IconMenu& DropDown(int index) { return *dropDowns_[static_cast<size_t>(index)]; }
  HIMAGELIST Images() const { return images_.Get(); }

  bool RouteMessage(Message& message, LRESULT& result) override;

 private:
  friend struct MenuBarRoutes;
  LRESULT OnMeasureItem(Message& message);
  LRESULT OnDrawItem(Message& message);
  LRESULT OnInitMenuPopup(Message& message);
  LRESULT OnDestroy(Message& message);
  // A letter typed in an open drop-down: the one item it names is chosen,
  // of several the next is selected, as in a standard menu.
  LRESULT OnMenuChar(Message& message);

  IconMenuItem* OurItem(ULONG_PTR data) const;
  void LoadPictures();
  // The bar's title at a position while it is drawn here; null otherwise.
  const IconMenuItem* OurTitle(ULONG_PTR data) const;
  void MeasureTitle(MEASUREITEMSTRUCT& measure, const IconMenuItem& title) const;
  void DrawTitle(const DRAWITEMSTRUCT& draw, const IconMenuItem& title) const;
  void FillDropDowns();
  void AppendFavourites();

  AppContext& context_;
  const CommandTable& commands_;
  HWND window_ = nullptr;
  UINT dpi_ = kBaseDpi;
  HMENU bar_ = nullptr;
  ImageList images_;
  std::vector<std::unique_ptr<IconMenu>> dropDowns_;
  // The titles drawn here while dark: their id is their position.
  std::vector<std::unique_ptr<IconMenuItem>> titles_;
  std::vector<std::string> favourites_;
};

}  // namespace px
