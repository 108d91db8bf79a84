// The menu bar's colours: its background and the drop-downs', and, while
// dark, its titles drawn in the palette's colours.
#include <windows.h>

#include <algorithm>

#include "framework/Wide.h"
#include "ui/IconMenu.h"

namespace px {

namespace {

constexpr int kTitlePadding = 7;

}  // namespace

void MenuBar::ApplyColours() {
  if (bar_ == nullptr) return;
  const Palette& palette = context_.Colours();
  MENUINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
  info.hbrBack = palette.Dark() ? palette.Brush(PaletteColour::kMenu) : nullptr;
  SetMenuInfo(bar_, &info);

  const bool drawTitles = palette.Dark();
  if (drawTitles && titles_.empty()) {
    for (int i = 0; i < kDropDownCount; ++i) {
      auto title = std::make_unique<IconMenuItem>();
      title->id = static_cast<UINT>(i);
      titles_.push_back(std::move(title));
    }
  }
  for (int i = 0; i < kDropDownCount && i < static_cast<int>(titles_.size()); ++i) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_DATA;
    item.fType = drawTitles ? MFT_OWNERDRAW : MFT_STRING;
    item.dwItemData = drawTitles ? reinterpret_cast<ULONG_PTR>(titles_[static_cast<size_t>(i)].get()) : 0;
    SetMenuItemInfoW(bar_, static_cast<UINT>(i), TRUE, &item);
  }
  if (!drawTitles) titles_.clear();
  if (window_ != nullptr) DrawMenuBar(window_);
}

const IconMenuItem* MenuBar::OurTitle(ULONG_PTR data) const {
  auto found = std::find_if(titles_.begin(), titles_.end(), [data](const auto& title) {
    return reinterpret_cast<ULONG_PTR>(title.get()) == data;
  });
  return found != titles_.end() ? found->get() : nullptr;
}

namespace {

// The menu font, as the system draws the bar with it.
Font MenuFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return Font();
  return Font(CreateFontIndirectW(&metrics.lfMenuFont));
}

}  // namespace

void MenuBar::MeasureTitle(MEASUREITEMSTRUCT& measure, const IconMenuItem& title) const {
  const std::wstring text = Widen(DropDownTitle(context_.Texts(), static_cast<int>(title.id)));
  HDC dc = GetDC(window_);
  Font font = MenuFont();
  HGDIOBJ old = SelectObject(dc, font ? font.Get() : GetStockObject(DEFAULT_GUI_FONT));
  RECT rect{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_SINGLELINE | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  measure.itemWidth = static_cast<UINT>(rect.right - rect.left + 2 * kTitlePadding);
  measure.itemHeight = static_cast<UINT>(std::max<LONG>(rect.bottom - rect.top, GetSystemMetrics(SM_CYMENU)));
}

void MenuBar::DrawTitle(const DRAWITEMSTRUCT& draw, const IconMenuItem& title) const {
  const Palette& palette = context_.Colours();
  const bool hot = (draw.itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
  RECT rect = draw.rcItem;
  FillRect(draw.hDC, &rect, palette.Brush(hot ? PaletteColour::kMenuHot : PaletteColour::kMenu));
  const std::wstring text = Widen(DropDownTitle(context_.Texts(), static_cast<int>(title.id)));
  Font font = MenuFont();
  HGDIOBJ old = SelectObject(draw.hDC, font ? font.Get() : GetStockObject(DEFAULT_GUI_FONT));
  const int mode = SetBkMode(draw.hDC, TRANSPARENT);
  const COLORREF colour = SetTextColor(
      draw.hDC, palette.Colour((draw.itemState & (ODS_GRAYED | ODS_DISABLED)) ? PaletteColour::kGrayText
                               : hot                                          ? PaletteColour::kMenuHotText
                                                                              : PaletteColour::kMenuText));
  const UINT prefix = (draw.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  DrawTextW(draw.hDC, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_SINGLELINE | DT_CENTER | DT_VCENTER | prefix);
  SetTextColor(draw.hDC, colour);
  SetBkMode(draw.hDC, mode);
  SelectObject(draw.hDC, old);
}

}  // namespace px
