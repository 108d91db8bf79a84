// The toolbar's colours: its background and its buttons' while dark; the
// system's drawing otherwise.
#include <windows.h>
#include <commctrl.h>

#include "ui/ToolBar.h"

namespace px {

void ToolBar::ApplyColours() const {
  if (toolBar_ == nullptr) return;
  // Without it the toolbar erases with its class brush and never asks.
  SetWindowLongPtrW(toolBar_, GWL_STYLE, GetWindowLongPtrW(toolBar_, GWL_STYLE) | TBSTYLE_CUSTOMERASE);
  RedrawWindow(toolBar_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

LRESULT ToolBar::CustomDraw(const NMTBCUSTOMDRAW& draw) const {
  const Palette& palette = context_.Colours();
  if (!palette.Dark()) return CDRF_DODEFAULT;
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREERASE: {
      RECT area;
      GetClientRect(toolBar_, &area);
      FillRect(draw.nmcd.hdc, &area, palette.Brush(PaletteColour::kToolBar));
      return CDRF_SKIPDEFAULT;
    }
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      auto& colours = const_cast<NMTBCUSTOMDRAW&>(draw);
      colours.clrText = palette.Colour(PaletteColour::kMenuText);
      colours.clrBtnFace = palette.Colour(PaletteColour::kToolBar);
      colours.clrBtnHighlight = palette.Colour(PaletteColour::kLine);
      colours.clrHighlightHotTrack = palette.Colour(PaletteColour::kMenuHot);
      return CDRF_DODEFAULT | TBCDRF_USECDCOLORS | TBCDRF_HILITEHOTTRACK;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

}  // namespace px
