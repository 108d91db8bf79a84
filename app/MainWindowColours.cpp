// The main window's colours: deciding them, handing them to the parts and
// the other windows, and drawing the lines between its rows while dark.
#include <windows.h>
#include <commctrl.h>

#include "app/MainWindow.h"
#include "framework/MessageLoop.h"
#include "res/resource.h"

namespace px {

namespace {

constexpr int kLineIds[] = {IDC_LINE_TOP, IDC_LINE_TOOLBAR, IDC_LINE_COMMAND};

bool IsLine(UINT id) {
  for (int line : kLineIds)
    if (static_cast<UINT>(line) == id) return true;
  return false;
}

}  // namespace

void MainWindow::FollowColours() {
  if (palette_.Update(options_.colours)) ApplyColours();
}

void MainWindow::ApplyColours() {
  palette_.ApplyTitleBar(Handle());
  // The etched lines draw with the system's 3-D colours: while dark they
  // are drawn here instead, in the palette's line colour.
  for (int id : kLineIds) {
    Window line(Item(id));
    line.ModifyStyle(SS_TYPEMASK, palette_.Dark() ? SS_OWNERDRAW : SS_ETCHEDHORZ);
  }
  panels_.ApplyColours();
  menus_.ApplyColours();
  toolBar_.ApplyColours();
  for (ViewerWindow* viewer : Viewers()) viewer->ApplyColours();
  RedrawWindow(Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  DrawMenuBar(Handle());
  // Dialogs ask for their colours as they paint.
  for (HWND window : MessageLoop::Windows()) {
    if (window == Handle()) continue;
    palette_.ApplyTitleBar(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

LRESULT MainWindow::OnDrawLine(Message& message) {
  const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam);
  if (draw == nullptr || draw->CtlType != ODT_STATIC || !IsLine(draw->CtlID)) {
    message.handled = false;
    return 0;
  }
  RECT line = draw->rcItem;
  line.bottom = line.top + 1;
  FillRect(draw->hDC, &draw->rcItem, palette_.Brush(PaletteColour::kDialog));
  FillRect(draw->hDC, &line, palette_.Brush(PaletteColour::kLine));
  return TRUE;
}

LRESULT MainWindow::OnToolBarDraw(Message& message) {
  if (message.Notify()->hwndFrom != toolBar_.Handle()) {
    message.handled = false;
    return 0;
  }
  return toolBar_.CustomDraw(*reinterpret_cast<const NMTBCUSTOMDRAW*>(message.lParam));
}

}  // namespace px
