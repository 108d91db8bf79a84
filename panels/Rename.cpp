// Renaming an entry by editing its name in the panel list.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "panels/PanelPair.h"
#include "core/panel/NameRules.h"
#include "core/text/CaseFold.h"
#include "framework/FileSystemApi.h"
#include "framework/Wide.h"

namespace px {

namespace {

// A temporary name beside the target that names nothing yet, in any spelling.
std::string FreeTemporaryName(const std::string& folder, const std::string& to) {
  DWORD tick = GetTickCount();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = to + ".rename-" + std::to_string(tick + attempt) + "~";
    if (!AttributesOf(folder + name)) return name;
  }
  return std::string();
}

// Renames within one folder; true when the entry now has the new name. The
// entry must be on disk under exactly its listed name: a stale row whose name
// now matches another file only ignoring case must not move that file.
bool RenameEntry(const std::string& folder, const std::string& from, const std::string& to) {
  if (from == to || !HasEntryNamed(folder, from)) return false;
  const std::string source = folder + from;
  const std::string target = folder + to;
  if (!EqualsNoCase(from, to)) return MovePath(source, target) == ERROR_SUCCESS;

  // A change of letter case alone. Where the file system tells case apart,
  // the new spelling may already be another file, and the platform may look
  // either spelling up as the other: refuse rather than risk the wrong file.
  if (SpellingsOf(folder, from).size() > 1) return false;
  std::optional<FileIdentity> sourceIdentity = IdentityOf(source);
  std::optional<FileIdentity> targetIdentity = IdentityOf(target);
  if (!sourceIdentity || (targetIdentity && !(*targetIdentity == *sourceIdentity))) return false;

  // Through a temporary name, because some file systems report a rename that
  // only changes case as done without changing the name. Should the second
  // step fail, the entry goes back to its own name.
  const std::string temporary = FreeTemporaryName(folder, to);
  if (temporary.empty() || MovePath(source, folder + temporary) != ERROR_SUCCESS) return false;
  if (MovePath(folder + temporary, target) == ERROR_SUCCESS) return true;
  if (MovePath(folder + temporary, source) != ERROR_SUCCESS) {
    // Never left under the temporary name: whichever spelling takes it.
    [[maybe_unused]] DWORD again = MovePath(folder + temporary, target);
  }
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
                 panel->Table().AtRow(static_cast<size_t>(row)).IsParent() ||
                 !MayActOn(*panel, panel->Table().AtRow(static_cast<size_t>(row)), false);
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
    if (!entry.IsParent() && IsAcceptableNewName(newName) && newName != entry.name) {
      bool renamed = RenameEntry(panel->Path(), entry.name, newName);
      // Listed again whatever came of it, so that the rows show what is on
      // disk: a refused rename may have found the row out of date.
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
      if (renamed && EqualsNoCase(other.Path(), panel->Path())) {
        auto [preferred, fallback] = other.LastSelectedAndNextNames();
        other.RefreshPanel(context_.ShowHidden(), mainWindow_, preferred, fallback);
      }
    }
  }
  if (context_.GetOptions().fastRename != 1) list.ModifyStyle(LVS_EDITLABELS, 0);
  return 0;
}

}  // namespace px
