// Renaming an entry by editing its name in the panel list.
#include <windows.h>
#include <commctrl.h>

#include "app/MainWindow.h"
#include "core/panel/NameRules.h"
#include "core/text/CaseFold.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"

namespace px {

namespace {

// Renames within one folder. A change of letter case alone goes through a
// temporary name (and back again when the second step fails): some file
// systems report such a rename as done without changing the name.
bool RenameEntry(const std::string& folder, const std::string& from, const std::string& to) {
  std::wstring source = FileApiPath(folder + from);
  std::wstring target = FileApiPath(folder + to);
  if (from == to) return false;
  if (!EqualsNoCase(from, to)) return MoveFileW(source.c_str(), target.c_str()) != FALSE;
  std::wstring temporary =
      FileApiPath(folder + to + ".rename-" + std::to_string(GetTickCount()) + "~");
  if (!MoveFileW(source.c_str(), temporary.c_str())) return false;
  if (MoveFileW(temporary.c_str(), target.c_str())) return true;
  MoveFileW(temporary.c_str(), source.c_str());
  return false;
}

}  // namespace

void MainWindow::StartRename() {
  FilePanel& panel = ActivePanel();
  const ListView& list = panel.List();
  if (options_.fastRename != 1) list.ModifyStyle(0, LVS_EDITLABELS);
  int mark = list.SelectionMark();
  if (mark < 0) {
    if (options_.fastRename != 1) list.ModifyStyle(LVS_EDITLABELS, 0);
    return;
  }
  list.Focus();
  if (list.Send(LVM_EDITLABELW, mark) == 0 && options_.fastRename != 1)
    list.ModifyStyle(LVS_EDITLABELS, 0);
}

LRESULT MainWindow::OnBeginLabelEdit(Message& message) {
  FilePanel* panel = PanelOfControl(message.id);
  const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(message.lParam);
  if (panel == nullptr) return TRUE;
  int row = info->item.iItem;
  bool refused = row < 0 || static_cast<size_t>(row) >= panel->Table().RowCount() ||
                 panel->Table().AtRow(static_cast<size_t>(row)).IsParent();
  if (refused && options_.fastRename != 1) panel->List().ModifyStyle(LVS_EDITLABELS, 0);
  return refused ? TRUE : FALSE;
}

LRESULT MainWindow::OnEndLabelEdit(Message& message) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return 0;
  const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(message.lParam);
  const ListView& list = panel->List();
  int row = info->item.iItem;
  if (info->item.pszText != nullptr && row >= 0 &&
      static_cast<size_t>(row) < panel->Table().RowCount()) {
    const PanelEntry& entry = panel->Table().AtRow(static_cast<size_t>(row));
    std::string newName = Narrow(info->item.pszText);
    // A name the file system would change or read as a path is refused like
    // any other failed rename: the entry keeps its name and nothing moves.
    if (!entry.IsParent() && IsAcceptableNewName(newName) &&
        RenameEntry(panel->Path(), entry.name, newName)) {
      int top = list.TopIndex();
      int perPage = list.CountPerPage();
      int oldCount = list.ItemCount();
      UpdateWindow(Handle());
      LockWindowUpdate(Handle());
      panel->ListPanel(options_.showHiddenSystem != 0, true);
      if (top + perPage < oldCount)
        list.EnsureVisible(top + perPage - 1);
      else if (oldCount > 0)
        list.EnsureVisible(oldCount - 1);
      panel->SetCursor(row);
      LockWindowUpdate(nullptr);

      FilePanel& other = OtherPanel(*panel);
      if (EqualsNoCase(other.Path(), panel->Path())) {
        auto [preferred, fallback] = other.LastSelectedAndNextNames();
        other.RefreshPanel(options_.showHiddenSystem != 0, Handle(), preferred, fallback);
      }
    }
  }
  if (options_.fastRename != 1) list.ModifyStyle(LVS_EDITLABELS, 0);
  return 0;
}

}  // namespace px
