// Renaming an entry by editing its name in the panel list.
#include <windows.h>
#include <commctrl.h>

#include "panels/PanelPair.h"
#include "core/panel/NameRules.h"
#include "core/text/CaseFold.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"

namespace px {

namespace {

// Renames within one folder. A change of letter case alone goes through a
// temporary name (and back again when the second step fails): some file
// systems report such a rename as done without changing the name.
bool RenameEntry(const std::string& folder, const std::string& from, const std::string& to) {
  const std::string source = folder + from;
  const std::string target = folder + to;
  if (from == to) return false;
  if (!EqualsNoCase(from, to)) return MovePath(source, target) == ERROR_SUCCESS;
  const std::string temporary = folder + to + ".rename-" + std::to_string(GetTickCount()) + "~";
  if (MovePath(source, temporary) != ERROR_SUCCESS) return false;
  if (MovePath(temporary, target) == ERROR_SUCCESS) return true;
  [[maybe_unused]] DWORD restored = MovePath(temporary, source);
  return false;
}

}  // namespace

void PanelPair::StartRename() {
  FilePanel& panel = Active();
  const ListView& list = panel.List();
  if (context_.GetOptions().fastRename != 1) list.ModifyStyle(0, LVS_EDITLABELS);
  int mark = list.SelectionMark();
  if (mark < 0) {
    if (context_.GetOptions().fastRename != 1) list.ModifyStyle(LVS_EDITLABELS, 0);
    return;
  }
  list.Focus();
  if (list.Send(LVM_EDITLABELW, mark) == 0 && context_.GetOptions().fastRename != 1)
    list.ModifyStyle(LVS_EDITLABELS, 0);
}

bool PanelPair::LabelEditOpen() const {
  return Panel(activeSide_).List().Send(LVM_GETEDITCONTROL) != 0;
}

LRESULT PanelPair::OnBeginLabelEdit(Message& message, NMLVDISPINFOW& info) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return TRUE;
  int row = info.item.iItem;
  bool refused = row < 0 || static_cast<size_t>(row) >= panel->Table().RowCount() ||
                 panel->Table().AtRow(static_cast<size_t>(row)).IsParent();
  if (refused && context_.GetOptions().fastRename != 1) panel->List().ModifyStyle(LVS_EDITLABELS, 0);
  return refused ? TRUE : FALSE;
}

LRESULT PanelPair::OnEndLabelEdit(Message& message, NMLVDISPINFOW& info) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return 0;
  const ListView& list = panel->List();
  int row = info.item.iItem;
  if (info.item.pszText != nullptr && row >= 0 &&
      static_cast<size_t>(row) < panel->Table().RowCount()) {
    const PanelEntry& entry = panel->Table().AtRow(static_cast<size_t>(row));
    std::string newName = Narrow(info.item.pszText);
    // A name the file system would change or read as a path is refused like
    // any other failed rename: the entry keeps its name and nothing moves.
    if (!entry.IsParent() && IsAcceptableNewName(newName) &&
        RenameEntry(panel->Path(), entry.name, newName)) {
      int top = list.TopIndex();
      int perPage = list.CountPerPage();
      int oldCount = list.ItemCount();
      UpdateWindow(mainWindow_);
      LockWindowUpdate(mainWindow_);
      List(*panel);
      if (top + perPage < oldCount)
        list.EnsureVisible(top + perPage - 1);
      else if (oldCount > 0)
        list.EnsureVisible(oldCount - 1);
      panel->SetCursor(row);
      LockWindowUpdate(nullptr);

      FilePanel& other = Other(*panel);
      if (EqualsNoCase(other.Path(), panel->Path())) {
        auto [preferred, fallback] = other.LastSelectedAndNextNames();
        other.RefreshPanel(context_.ShowHidden(), mainWindow_, preferred, fallback);
      }
    }
  }
  if (context_.GetOptions().fastRename != 1) list.ModifyStyle(LVS_EDITLABELS, 0);
  return 0;
}

}  // namespace px
