// The toolbar customisation dialog (template 147).
#include "ui/ToolBarDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "core/language/TextFormat.h"
#include "framework/AppContext.h"
#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "ui/ToolBar.h"

namespace px {

namespace {

constexpr int kColumnWidth = 150;

void PrepareList(const ListView& list) {
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  list.InsertColumn(0, "", LVCFMT_LEFT, kColumnWidth);
}

void AddRow(const ListView& list, int row, int button, const LanguageTable& texts) {
  std::wstring name = Widen(ToolBarButtonText(texts, button));
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = row;
  item.pszText = name.data();
  item.iImage = button;
  item.lParam = ToolBarButtonCommand(button);
  list.Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SelectRow(const ListView& list, int row) {
  list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row < 0 || row >= list.ItemCount()) return;
  list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list.Send(LVM_SETSELECTIONMARK, 0, row);
  list.EnsureVisible(row);
}

int SelectedRow(const ListView& list) { return list.SelectedRow(); }

}  // namespace

struct ToolBarDialogRoutes {
  static const Route<ToolBarDialog> kRoutes[];
};

const Route<ToolBarDialog> ToolBarDialogRoutes::kRoutes[] = {
    {OnCommand(IDC_TOOLBAR_ADD, BN_CLICKED), &ToolBarDialog::OnAdd},
    {OnCommand(IDC_TOOLBAR_REMOVE, BN_CLICKED), &ToolBarDialog::OnRemove},
    {OnCommand(IDC_TOOLBAR_UP, BN_CLICKED), &ToolBarDialog::OnUp},
    {OnCommand(IDC_TOOLBAR_DOWN, BN_CLICKED), &ToolBarDialog::OnDown},
    {OnNotify(NM_DBLCLK, IDC_TOOLBAR_AVAILABLE, IDC_TOOLBAR_AVAILABLE), &ToolBarDialog::OnAdd},
    {OnNotify(NM_DBLCLK, IDC_TOOLBAR_CURRENT, IDC_TOOLBAR_CURRENT), &ToolBarDialog::OnRemove},
    {OnMessage(WM_DPICHANGED), &ToolBarDialog::OnDpiChanged},
};

ToolBarDialog::ToolBarDialog(const LanguageTable& texts, ToolBar& toolBar)
    : Dialog(IDD_CUSTOMISE_TOOLBAR), texts_(texts), toolBar_(toolBar) {}

bool ToolBarDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(ToolBarDialogRoutes::kRoutes, message, result);
}

BOOL ToolBarDialog::OnInitDialog() {
  Window(Handle()).SetText(texts_.Text(text::kToolBarCaption));
  Window(Item(IDC_TOOLBAR_ADD)).SetText(texts_.Text(text::kToolBarAdd));
  Window(Item(IDC_TOOLBAR_REMOVE)).SetText(texts_.Text(text::kToolBarRemove));
  Window(Item(IDC_TOOLBAR_UP)).SetText(texts_.Text(text::kToolBarUp));
  Window(Item(IDC_TOOLBAR_DOWN)).SetText(texts_.Text(text::kToolBarDown));
  Window(Item(IDOK)).SetText(texts_.Text(text::kToolBarOk));
  Window(Item(IDCANCEL)).SetText(texts_.Text(text::kToolBarCancel));
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));

  ListView available(Item(IDC_TOOLBAR_AVAILABLE));
  PrepareList(available);
  for (int button = 0; button <= kLastToolBarButton; ++button)
    AddRow(available, button, button, texts_);
  SelectRow(available, 0);
  PrepareList(ListView(Item(IDC_TOOLBAR_CURRENT)));
  ShowPicturesAtOwnScale();
  ShowToolBarItems(0);
  return TRUE;
}

void ToolBarDialog::ShowPicturesAtOwnScale() {
  const UINT dpi = WindowDpi(Handle());
  ImageList pictures = toolBar_.PicturesAt(dpi);
  for (int id : {IDC_TOOLBAR_AVAILABLE, IDC_TOOLBAR_CURRENT}) {
    ListView list(Item(id));
    list.SetSmallImages(pictures.Get());
    list.Send(LVM_SETCOLUMNWIDTH, 0, Scaled(kColumnWidth, dpi));
  }
  ownPictures_ = std::move(pictures);
}

// The platform moves the dialog and scales its controls; the pictures are ours.
LRESULT ToolBarDialog::OnDpiChanged(Message& message) {
  ShowPicturesAtOwnScale();
  message.handled = false;
  return 0;
}

void ToolBarDialog::ShowToolBarItems(int selected) {
  ListView current(Item(IDC_TOOLBAR_CURRENT));
  current.SetRedraw(false);
  current.Send(LVM_DELETEALLITEMS);
  std::vector<int> buttons = toolBar_.Buttons();
  for (size_t i = 0; i < buttons.size(); ++i)
    AddRow(current, static_cast<int>(i), buttons[i], texts_);
  current.SetRedraw(true);
  SelectRow(current, selected);
}

void ToolBarDialog::Add() {
  ListView available(Item(IDC_TOOLBAR_AVAILABLE));
  int chosen = SelectedRow(available);
  if (chosen < 0) return;
  int position = std::max(SelectedRow(ListView(Item(IDC_TOOLBAR_CURRENT))), 0);
  toolBar_.Insert(position, chosen);
  ShowToolBarItems(position);
}

void ToolBarDialog::Remove() {
  int position = SelectedRow(ListView(Item(IDC_TOOLBAR_CURRENT)));
  if (position < 0) return;
  toolBar_.Remove(position);
  int count = static_cast<int>(toolBar_.Buttons().size());
  ShowToolBarItems(std::min(position, count - 1));
}

void ToolBarDialog::MoveBy(int step) {
  int position = SelectedRow(ListView(Item(IDC_TOOLBAR_CURRENT)));
  int target = position + step;
  if (position < 0 || target < 0 || target >= static_cast<int>(toolBar_.Buttons().size())) return;
  toolBar_.Move(position, target);
  ShowToolBarItems(target);
}

void ToolBarDialog::OnOK() {
  // A layout file that cannot be written leaves the toolbar as it is now
  // for this run, and says so.
  if (!toolBar_.SaveLayout()) {
    ShowMessage(Handle(), FormatText(texts_.Text(text::kToolBarNotSaved), {toolBar_.LayoutPath()}),
                kProductName, MB_OK | MB_ICONEXCLAMATION);
  }
  EndDialog(IDOK);
}

void ToolBarDialog::OnCancel() {
  toolBar_.RestoreLayout();
  EndDialog(IDCANCEL);
}

}  // namespace px
