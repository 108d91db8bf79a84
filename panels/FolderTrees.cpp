// The panels' folder trees: showing them in place of the lists, keeping a
// tree and the opposite list on the same folder, and following the user.
#include <windows.h>
#include <commctrl.h>

#include "app/MainWindow.h"
#include "core/panel/PathText.h"
#include "panels/GoToFolderDialog.h"
#include "res/resource.h"

namespace px {

void MainWindow::SyncTreeToPath(FilePanel& panel) {
  panel.Folders().SetIncludeHidden(options_.showHiddenSystem != 0);
  panel.Folders().SyncToPath(panel.Path(), true);
}

void MainWindow::ShowFolderTree(Side side, bool show) {
  FilePanel& panel = Panel(side);
  FilePanel& other = OtherPanel(panel);
  bool showHidden = options_.showHiddenSystem != 0;
  if (show) {
    panel.Tree().Show(true);
    panel.Tree().Focus();
    panel.List().Show(false);
  } else {
    panel.List().Show(true);
    panel.List().Focus();
    panel.Tree().Show(false);
  }
  int otherIndex = other.DriveBox().Selection();
  panel.DriveBox().Select(otherIndex);
  panel.SetDriveIndex(otherIndex);
  bool otherShowsTree = other.Tree().IsVisible();
  if (show ? !otherShowsTree : otherShowsTree) panel.SetPath(other.Path());
  UpdateVolumeLabel(panel);
  if (show) {
    SyncTreeToPath(panel);
    RecordHistory(panel);
  } else {
    panel.ListPanel(showHidden, true);
    RecordHistory(panel);
    panel.SetCursor(0);
    panel.Folders().Clear();
  }
  UpdatePathLines();
}

void MainWindow::RefreshSides(FilePanel& changed) {
  FilePanel& other = OtherPanel(changed);
  bool showHidden = options_.showHiddenSystem != 0;
  bool changedTree = changed.Tree().IsVisible();
  bool otherTree = other.Tree().IsVisible();
  if (!changedTree && !otherTree) {
    changed.ListPanel(showHidden, true);
    changed.SetCursor(0);
  } else if (changedTree && otherTree) {
    SyncTreeToPath(changed);
  } else {
    // A tree on one side drives the list on the other: both show the folder.
    other.DriveBox().Select(changed.DriveIndex());
    other.SetDriveIndex(changed.DriveIndex());
    other.SetPath(changed.Path());
    FilePanel& tree = changedTree ? changed : other;
    FilePanel& list = changedTree ? other : changed;
    SyncTreeToPath(tree);
    list.ListPanel(showHidden, true);
    list.SetCursor(0);
  }
}

LRESULT MainWindow::OnTreeExpanding(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id)) {
    panel->Folders().SetIncludeHidden(options_.showHiddenSystem != 0);
    panel->Folders().OnItemExpanding(*reinterpret_cast<NMTREEVIEWW*>(message.lParam));
  }
  return FALSE;
}

LRESULT MainWindow::OnTreeDisplayInfo(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id))
    panel->Folders().OnGetDisplayInfo(*reinterpret_cast<NMTVDISPINFOW*>(message.lParam));
  return 0;
}

// Keys in a tree do what the tree itself does with them; the route only keeps
// the notification from going further.
LRESULT MainWindow::OnTreeKeyDown(Message&) { return 0; }

LRESULT MainWindow::OnTreeSelectionChanging(Message& message) {
  FilePanel* panel = PanelOfControl(message.id);
  const auto* change = reinterpret_cast<const NMTREEVIEWW*>(message.lParam);
  if (panel == nullptr) return FALSE;
  bool byMouse = change->action == TVC_BYMOUSE;
  bool byKeyboard = change->action == TVC_BYKEYBOARD;
  if (!byMouse && !byKeyboard) return FALSE;

  FilePanel& other = OtherPanel(*panel);
  std::string path = panel->Folders().PathOf(change->itemNew.hItem);
  if (path.empty()) return FALSE;
  panel->SetPath(path);
  bool otherShowsList = !other.Tree().IsVisible();
  if (otherShowsList) other.SetPath(path);
  panel->PathLine().SetText(PathLineText(path));
  Window(Item(IDC_COMMAND_PROMPT)).SetText(path + ">");
  if (byKeyboard) return FALSE;

  RecordHistory(*panel);
  if (otherShowsList) {
    other.ListPanel(options_.showHiddenSystem != 0, true);
    RecordHistory(other);
    other.SetCursor(0);
    other.PathLine().SetText(PathLineText(other.Path()));
  }
  return FALSE;
}

void MainWindow::ShowGoToFolderDialog() {
  GoToFolderDialog dialog(texts_);
  dialog.folderImages = treeImages_.Get();
  dialog.driveImages = driveImages_.Get();
  dialog.ownerCaption = kProductName;
  dialog.folder = ActivePanel().Path();
  if (dialog.DoModal(Handle()) != IDOK) return;
  GoToFolder(dialog.folder, true);
}

}  // namespace px
