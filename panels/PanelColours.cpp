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
  folders_.ApplyColours(palette);
}

void PanelPair::ApplyColours() {
  for (auto& panel : panels_) panel->ApplyColours(context_.Colours());
  for (int id : {IDC_LEFT_PATH, IDC_RIGHT_PATH})
    RedrawWindow(GetDlgItem(mainWindow_, id), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

}  // namespace px
