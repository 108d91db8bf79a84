#include "panels/FolderHistoryDialog.h"

#include "core/text/CaseFold.h"
#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "panels/CommandHistoryDialog.h"
#include "res/resource.h"

namespace px {

struct FolderHistoryRoutes {
  static const Route<FolderHistoryDialog> kRoutes[];
};

const Route<FolderHistoryDialog> FolderHistoryRoutes::kRoutes[] = {
    {OnCommand(IDC_FOLDER_HISTORY_LIST, LBN_DBLCLK), &FolderHistoryDialog::OnListDoubleClick},
};

FolderHistoryDialog::FolderHistoryDialog(const LanguageTable& languageTexts)
    : Dialog(IDD_FOLDER_HISTORY), texts(languageTexts) {}

bool FolderHistoryDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(FolderHistoryRoutes::kRoutes, message, result);
}

BOOL FolderHistoryDialog::OnInitDialog() {
  Window(Handle()).SetText(texts.Text(text::kFolderHistoryCaption));
  Window(Item(IDOK)).SetText(texts.Text(text::kFolderHistoryGoTo));
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kFolderHistoryCancel));
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));

  HWND list = Item(IDC_FOLDER_HISTORY_LIST);
  FillNewestFirst(list, entries);
  // Compared here rather than by the list box so that every script folds
  // the same way as in the history itself; the first line from the top wins.
  for (size_t line = 0; line < entries.size(); ++line) {
    if (EqualsNoCase(entries[entries.size() - 1 - line], currentFolder)) {
      SendMessageW(list, LB_SETCURSEL, line, 0);
      break;
    }
  }
  return TRUE;
}

void FolderHistoryDialog::OnOK() {
  folder.clear();
  index = -1;
  LRESULT selected = SendMessageW(Item(IDC_FOLDER_HISTORY_LIST), LB_GETCURSEL, 0, 0);
  if (selected != LB_ERR && static_cast<size_t>(selected) < entries.size()) {
    index = static_cast<int>(entries.size()) - static_cast<int>(selected) - 1;
    folder = entries[static_cast<size_t>(index)];
  }
  EndDialog(IDOK);
}

void FolderHistoryDialog::OnCancel() {
  folder.clear();
  index = -1;
  EndDialog(IDCANCEL);
}

LRESULT FolderHistoryDialog::OnListDoubleClick(Message&) {
  OnOK();
  return 0;
}

}  // namespace px
