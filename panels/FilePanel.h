// One side of the window: its folder, its rows and the controls that show them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/fs/DirectorySource.h"
#include "core/panel/EntryTable.h"
#include "core/panel/IconKeys.h"
#include "core/panel/PanelState.h"
#include "core/panel/Selection.h"
#include "core/panel/Sorting.h"
#include "core/settings/Settings.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/FolderTree.h"

namespace px {

// Images of a panel's list: the folder and parent pictures, then blanks.
constexpr int kFolderImage = 0;
constexpr int kParentImage = 1;
constexpr int kBlankImage = 2;
constexpr int kFixedImageCount = 7;

// The view of one side: it owns its controls and takes the notifications
// that concern them alone (drawing rows and tree nodes, finding a row,
// sorting by a column); what involves both sides goes to the pair.
class FilePanel : public MessageRouter {
 public:
  FilePanel(Side side, DirectorySource& source) : side_(side), source_(source) {}

  // options gives the view its display options (icons, hidden entries).
  void Attach(HWND list, HWND tree, HWND driveBox, HWND pathLine, HWND volumeLine,
              const Options* options = nullptr);
  bool RouteMessage(Message& message, LRESULT& result) override;
  void SetImages(HIMAGELIST images) { images_ = images; }

  Side GetSide() const { return side_; }
  // The side's states, the current one shown by the controls.
  SideStates& States() { return states_; }
  const PanelState& State() const { return states_.Current(); }
  // The current state with what only the controls know written into it:
  // the view, the cursor and the selection, by name.
  const PanelState& CaptureState();

  const std::string& Path() const { return states_.Current().folder; }
  void SetPath(std::string path) { states_.Current().folder = std::move(path); }
  const EntryTable& Table() const { return table_; }
  SortState Sort() const { return states_.Current().sort; }
  void SetSortState(SortState state) { states_.Current().sort = state; }
  FolderHistory& History() { return states_.Current().history; }
  int DriveIndex() const { return driveIndex_; }
  void SetDriveIndex(int index) { driveIndex_ = index; }

  const ListView& List() const { return list_; }
  const TreeView& Tree() const { return tree_; }
  FolderTree& Folders() { return folders_; }
  const ComboBoxEx& DriveBox() const { return driveBox_; }
  const Window& PathLine() const { return pathLine_; }
  const Window& VolumeLine() const { return volumeLine_; }

  // Reads the panel's folder again and rebuilds the rows, sorted; leaves no
  // row selected or focused. A folder that is missing or cannot be read
  // shows no rows; Status() tells which.
  void ListPanel(bool showHiddenSystem, bool suspendRedraw);
  // How the last listing went.
  ListStatus Status() const { return status_; }
  // The path line: the folder's search pattern, and a note when the last
  // listing broke off part way, could not read the folder or did not find
  // it (the notes in the language's texts), so that a panel never just
  // looks empty.
  void UpdatePathLine() const;
  struct StatusNotes {
    std::string incomplete;
    std::string unreadable;
    std::string missing;
  };
  void SetStatusNotes(StatusNotes notes) { notes_ = std::move(notes); }
  // Lists again, keeping the scroll position, with the cursor on
  // preferredName, else fallbackName, else (fallback empty) the last row.
  void RefreshPanel(bool showHiddenSystem, HWND mainWindow, const std::string& preferredName,
                    const std::string& fallbackName);
  // Sorts by key (0..5), or re-applies the current state for -1.
  void SortPanel(int key);

  // Texts of the last selected row (row 0 when none is) and of the row after
  // it: where a refresh puts the cursor back.
  std::pair<std::string, std::string> LastSelectedAndNextNames() const;

  // Puts the cursor (selected and focused) on a row.
  void SetCursor(int row) const;
  void ClearSelection() const;

  // The one place that reads which rows are selected: commands get this value.
  Selection CurrentSelection() const;
  // The entry under the cursor (the list's selection mark); null when none.
  const PanelEntry* EntryAtCursor() const;
  // Lets the parent row go from the selection.
  void LetGoOfParent() const;
  // Selects, or lets go of, the rows named exactly so; others stay as they are.
  void SetSelected(const std::vector<std::string>& names, bool selected) const;

  // Key messages aimed at this panel's list reach the panel before the
  // command line or any other use: a handler that takes one returns true.
  void SetKeyHandler(std::function<bool(MSG&)> handler) { keyHandler_ = std::move(handler); }
  bool PreTranslateKey(MSG& msg) { return keyHandler_ && keyHandler_(msg); }

  // List view notifications of an owner-data list. A file row's image is the
  // shell's icon of its type, or its own with showAllIcons for programs and
  // the like; each is fetched once per listing.
  void OnGetDisplayInfo(NMLVDISPINFOW& info, bool showAllIcons);
  int OnFindItem(const NMLVFINDITEMW& find) const;



 private:
  friend struct FilePanelRoutes;
  void ShowSortArrow() const;
  LRESULT OnDisplayInfo(Message& message, NMLVDISPINFOW& info);
  LRESULT OnFindItemMessage(Message& message, NMLVFINDITEMW& find);
  LRESULT OnColumnClick(Message& message, NMLISTVIEW& click);
  LRESULT OnTreeExpanding(Message& message, NMTREEVIEWW& info);
  LRESULT OnTreeExpanded(Message& message);
  LRESULT OnTreeDisplayInfo(Message& message, NMTVDISPINFOW& info);
  LRESULT OnTreeKeyDown(Message& message);
  // The image of a file row: fetched from the shell when this listing has
  // not fetched it yet; the blank image when the shell gives none.
  int FileIcon(const PanelEntry& entry, bool showAllIcons);

  Side side_;
  DirectorySource& source_;
  SideStates states_;
  EntryTable table_;
  ListStatus status_ = ListStatus::kOk;
  StatusNotes notes_;
  const Options* options_ = nullptr;
  std::function<bool(MSG&)> keyHandler_;
  int driveIndex_ = -1;
  HIMAGELIST images_ = nullptr;
  IconCache icons_;

  ListView list_;
  TreeView tree_;
  FolderTree folders_;
  ComboBoxEx driveBox_;
  Window pathLine_;
  Window volumeLine_;
};

}  // namespace px
