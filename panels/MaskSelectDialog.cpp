#include "panels/MaskSelectDialog.h"

#include <algorithm>

#include "framework/MessageBoxes.h"
#include "res/resource.h"

namespace px {

namespace {

constexpr UINT kMarked = LVIS_SELECTED | LVIS_FOCUSED;

}  // namespace

void ApplyMask(const ListView& list, const EntryTable& table, const std::string& mask,
               MaskMode mode, bool selectFolders) {
  const std::vector<size_t> rows = RowsForMask(table, mask, mode, selectFolders);
  const size_t count = static_cast<size_t>(list.ItemCount());
  // Only one row can hold the focus, and handing it from row to row would end
  // on the last one anyway; each hand-over costs the list milliseconds, which
  // made 100 000 rows take minutes. So the focus moves once.
  list.SetRedraw(false);
  if (mode == MaskMode::kSelect) {
    list.SetItemState(-1, 0, kMarked);
    long last = -1;
    for (size_t row : rows) {
      if (row >= count) continue;
      list.SetItemState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
      last = std::max(last, static_cast<long>(row));
    }
    if (last >= 0) list.SetItemState(static_cast<int>(last), LVIS_FOCUSED, LVIS_FOCUSED);
  } else {
    const int focused = list.NextItem(-1, LVNI_FOCUSED);
    for (size_t row : rows) {
      if (row >= count) continue;
      list.SetItemState(static_cast<int>(row), 0, LVIS_SELECTED);
      if (static_cast<long>(row) == focused) list.SetItemState(focused, 0, LVIS_FOCUSED);
    }
  }
  list.SetRedraw(true);
  InvalidateRect(list.Handle(), nullptr, TRUE);
}

MaskSelectDialog::MaskSelectDialog(MaskMode maskMode, const ListView& panelList,
                                   const EntryTable& panelTable, int selectFoldersOption,
                                   const LanguageTable& languageTexts)
    : Dialog(IDD_MASK_SELECT),
      mode(maskMode),
      list(panelList),
      table(panelTable),
      selectFolders(selectFoldersOption),
      texts(languageTexts) {}

bool MaskSelectDialog::RouteMessage(Message&, LRESULT&) { return false; }

BOOL MaskSelectDialog::OnInitDialog() {
  const bool select = mode == MaskMode::kSelect;
  Window(Handle()).SetText(texts.Text(select ? text::kSelectMaskCaption : text::kDeselectMaskCaption));
  Window(Item(IDC_MASK_PROMPT)).SetText(texts.Text(select ? text::kSelectMaskPrompt : text::kDeselectMaskPrompt));
  Window(Item(IDOK)).SetText(texts.Text(text::kMaskOk));
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kMaskCancel));
  Window(Item(IDC_MASK_EDIT)).SetText("*.*");
  CenterOver(Handle(), list.Handle());
  return TRUE;
}

void MaskSelectDialog::OnOK() {
  mask = Window(Item(IDC_MASK_EDIT)).Text();
  ApplyMask(list, table, mask, mode, selectFolders == 1);
  EndDialog(IDOK);
}

}  // namespace px
