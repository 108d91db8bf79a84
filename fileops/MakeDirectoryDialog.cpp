#include "fileops/MakeDirectoryDialog.h"

#include <commctrl.h>

#include "core/fileops/MakeDirectory.h"
#include "fileops/FileOpsCommands.h"
#include "framework/Controls.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"
#include "panels/PanelPair.h"
#include "res/resource.h"

namespace px {

MakeDirectoryDialog::MakeDirectoryDialog(const LanguageTable& languageTexts)
    : Dialog(IDD_MAKE_DIRECTORY), texts(languageTexts) {}

bool MakeDirectoryDialog::RouteMessage(Message&, LRESULT&) { return false; }

BOOL MakeDirectoryDialog::OnInitDialog() {
  Window(Item(IDC_NEW_FOLDER_PROMPT)).SetText(texts.Text(text::kNewFolderPrompt));
  Window(Item(IDOK)).SetText(texts.Text(text::kNewFolderOk));
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kNewFolderCancel));
  Window(Item(IDC_NEW_FOLDER_EDIT)).SetText(name);
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  return TRUE;
}

void MakeDirectoryDialog::OnOK() {
  name = Window(Item(IDC_NEW_FOLDER_EDIT)).Text();
  EndDialog(IDOK);
}

void MakeNewFolder(AppContext& context, PanelPair& panels) {
  FilePanel& panel = panels.Active();
  FilePanel& other = panels.Other(panel);
  const ListView& list = panel.List();

  MakeDirectoryDialog dialog(context.Texts());
  if (dialog.DoModal(context.owner) != IDOK) {
    list.Focus();
    return;
  }
  // The other panel may show this folder: its cursor is kept by name.
  auto [otherName, otherNext] = other.LastSelectedAndNextNames();

  // A name the file system would quietly turn into another (a trailing dot,
  // a device name) is refused rather than created under a name not typed.
  const NewFolderPlan plan = PlanNewFolder(panel.Path(), dialog.name);
  if (!plan.acceptable || CreateFolder(plan.path) != ERROR_SUCCESS) {
    ShowMessage(context.owner, context.Texts().Text(text::kFolderNotCreated), kProductName,
                MB_OK | MB_ICONEXCLAMATION);
    list.Focus();
    return;
  }

  if (list.IsVisible()) {
    UpdateWindow(context.owner);
    LockWindowUpdate(context.owner);
    panel.ListPanel(context.ShowHidden(), true, [&panel, cursorName = plan.cursorName] {
      const ListView& shown = panel.List();
      const long row = cursorName.empty() ? -1 : panel.Table().FindRowByName(cursorName);
      if (row < 0) return;
      panel.SetCursor(static_cast<int>(row));
      const long reveal = RowToRevealAfterCreate(row, shown.CountPerPage(), shown.ItemCount(),
                                                 shown.ViewStyle() == LVS_REPORT);
      if (reveal >= 0) shown.EnsureVisible(static_cast<int>(reveal));
    });
    LockWindowUpdate(nullptr);
  }
  if (other.List().IsVisible())
    other.RefreshPanel(context.ShowHidden(), context.owner, otherName, otherNext);
  list.Focus();
}

}  // namespace px
