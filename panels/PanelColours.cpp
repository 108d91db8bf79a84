// The panels' colours: what the list views and trees are told when the
// palette changes (the path lines ask at each paint).
#include <windows.h>
#include <commctrl.h>

#include "panels/FilePanel.h"
#include "panels/PanelPair.h"
#include "res/resource.h"

namespace px {

void FilePanel::ApplyColours(const Palette& palette) {
  if (!list_) return;
  if (palette.Dark()) {
    list_.Send(LVM_SETBKCOLOR, 0, palette.Colour(PaletteColour::kWindow));
    list_.Send(LVM_SETTEXTBKCOLOR, 0, palette.Colour(PaletteColour::kWindow));
    list_.Send(LVM_SETTEXTCOLOR, 0, palette.Colour(PaletteColour::kText));
  } else {
    // What the list starts with: the system's window colour, and the text
    // colours left to the list.
    list_.Send(LVM_SETBKCOLOR, 0, GetSysColor(COLOR_WINDOW));
    list_.Send(LVM_SETTEXTBKCOLOR, 0, CLR_DEFAULT);
    list_.Send(LVM_SETTEXTCOLOR, 0, CLR_DEFAULT);
  }
  InvalidateRect(list_.Handle(), nullptr, TRUE);
  Palette::FollowInListHeader(list_.Handle());
  folders_.ApplyColours(palette);
}

LRESULT PanelPair::OnListCustomDraw(Message& message) {
  const Palette& palette = context_.Colours();
  if (!palette.Dark() || message.lParam == 0) {
    message.handled = false;
    return CDRF_DODEFAULT;
  }
  // The structure the list sends with its custom draw notification.
  NMLVCUSTOMDRAW& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(message.lParam);
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  // The row's state comes with the notification: no message per row drawn.
  if ((draw.nmcd.uItemState & CDIS_SELECTED) == 0) return CDRF_DODEFAULT;
  // Not selected as far as the list's drawing goes: it takes these colours.
  draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
  const bool focused = GetFocus() == draw.nmcd.hdr.hwndFrom;
  draw.clrTextBk = palette.Colour(focused ? PaletteColour::kSelection : PaletteColour::kPathInactive);
  draw.clrText = palette.Colour(focused ? PaletteColour::kSelectionText : PaletteColour::kPathInactiveText);
  return CDRF_NEWFONT;
}

void PanelPair::ApplyColours() {
  for (auto& panel : panels_) panel->ApplyColours(context_.Colours());
  for (int id : {IDC_LEFT_PATH, IDC_RIGHT_PATH})
    RedrawWindow(GetDlgItem(mainWindow_, id), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

}  // namespace px
