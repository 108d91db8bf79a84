// The toolbar customisation dialog: every button on the left, the toolbar's
// items on the right. The toolbar follows each change at once; OK writes
// Standart.ini, Cancel puts the toolbar back as the file describes it.
#pragma once

#include <windows.h>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

namespace px {

class ToolBar;

class ToolBarDialog : public Dialog {
 public:
  ToolBarDialog(const LanguageTable& texts, ToolBar& toolBar);

  // The buttons' controls, for callers that drive the dialog themselves.
  void Add();
  void Remove();
  void MoveBy(int step);

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  friend struct ToolBarDialogRoutes;
  LRESULT OnAdd(Message&) { Add(); return 0; }
  LRESULT OnRemove(Message&) { Remove(); return 0; }
  LRESULT OnUp(Message&) { MoveBy(-1); return 0; }
  LRESULT OnDown(Message&) { MoveBy(1); return 0; }

  // Fills the toolbar list from the toolbar and selects row `selected`.
  void ShowToolBarItems(int selected);
  // The toolbar's pictures and the column width at the dialog's scale, in a
  // list of the dialog's own: the toolbar may replace its list while the
  // dialog is open, and the dialog may stand on a monitor at another scale.
  void ShowPicturesAtOwnScale();
  LRESULT OnDpiChanged(Message& message);

  const LanguageTable& texts_;
  ToolBar& toolBar_;
  ImageList ownPictures_;
};

}  // namespace px
