// Both panels of the main window and everything that moves them through the
// file system: the active side, the folder histories, the trees, the drive
// boxes, opening entries, going to a folder, refreshing and in-place rename.
// Takes the notifications of its controls through its own route table.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/panel/FolderHistory.h"
#include "core/panel/MaskSelection.h"
#include "core/settings/Settings.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Drives.h"
#include "panels/FilePanel.h"
#include "panels/Win32DirectorySource.h"

namespace px {

class PanelPair : public MessageRouter {
 public:
  explicit PanelPair(AppContext& context);
  PanelPair(const PanelPair&) = delete;
  PanelPair& operator=(const PanelPair&) = delete;

  // Takes over the panel controls of the main window.
  void Attach(HWND mainWindow);
  // Folders, sort states, columns and view modes as stored.
  void ApplySettings(const std::array<PanelSettings, 2>& stored);
  // The rest of start-up, once the settings are in: image lists, drive boxes,
  // volume labels, histories and the trees that were shown at exit.
  void Start();
  // Reads both folders for the first time.
  void ListBoth();
  // What the panel group of the settings file gets.
  std::array<PanelGroupState, 2> StoredState() const;
  // Both sides' tabs into the settings file's tab section.
  void WriteTabs(SettingsStore& store);

  FilePanel& Panel(Side side) { return *panels_[static_cast<int>(side)]; }
  const FilePanel& Panel(Side side) const { return *panels_[static_cast<int>(side)]; }
  FilePanel& Active() { return Panel(activeSide_); }
  Side ActiveSide() const { return activeSide_; }
  FilePanel& Other(const FilePanel& panel) {
    return Panel(panel.GetSide() == Side::kLeft ? Side::kRight : Side::kLeft);
  }
  FolderHistory& History(Side side) { return Panel(side).History(); }
  HIMAGELIST FolderImages() const { return treeImages_.Get(); }
  HIMAGELIST DriveImages() const { return driveImages_.Get(); }

  // How drive changes find out whether a drive is ready (see ProbeDrive).
  void SetDriveProbe(DriveProbe probe) { driveProbe_ = probe; }

  void OpenItem(FilePanel& panel, bool goUp);
  void GoToParent();
  // Shows path in the active panel (drive box, volume label, list or tree,
  // path lines, prompt), recording it in the history when asked.
  void GoToFolder(const std::string& path, bool recordHistory);
  void ChangeDrive(FilePanel& panel);
  void HistoryBack();
  void HistoryForward();
  void ShowFolderHistory();
  void EditVolumeLabel(Side side);
  void SelectByMask(MaskMode mode);
  void SelectAll(bool select);
  // Marks in both lists the files missing on the other side or newer than
  // the other side's (times within 2 s count as equal), every other mark
  // taken away, the cursors left where they stand; then says how many
  // differ, or that the folders are equal. Gives the number marked.
  size_t CompareFolders();
  // Tabs of the active side (or of side): Ctrl+T opens one on the current
  // folder, Ctrl+W closes the current one (never the last), Ctrl+Tab and
  // Ctrl+Shift+Tab step through them; false when nothing was done.
  bool NewTab();
  bool CloseTab(Side side, size_t index);
  void SelectTab(Side side, size_t index);
  void StepTab(bool forward);
  // The drive boxes follow the drives there are (a drive came or went); a
  // side whose drive went moves to a folder that exists.
  void CheckDrives();
  // Whether a side's tab bar shows: more than one tab, or always by the setting.
  bool ShowsTabBar(Side side) const;
  // Runs when a tab bar may have to show or hide (the window lays out again).
  void SetTabBarsChanged(std::function<void()> changed) { onTabBarsChanged_ = std::move(changed); }
  // A middle click on a tab closes it; a double click beside the tabs opens
  // one: true when msg was such a click on a tab bar.
  bool OnTabBarMouse(const MSG& msg);
  void SetListView(DWORD view);
  void RefreshActive();
  // Lists again each side whose list shows one of folders (a job wrote
  // there), keeping its cursor, marks and scroll position; and each side
  // whose folder is no longer watched (see ReleaseWatchesUnder).
  void RelistShowing(const std::vector<std::string>& folders);
  // Before entries of base are deleted or moved: no watch of either side
  // holds a folder inside them open.
  void ReleaseWatchesUnder(const std::string& base, const std::vector<std::string>& names);
  void ShowDocumentsFolder();
  void ShowFolderTree(Side side, bool show);
  void ShowGoToFolderDialog();
  // In-place rename of the entry at the active list's selection mark.
  void StartRename();
  bool LabelEditOpen() const;
  // Nothing or only the parent selected: says so and gives false.
  bool CheckSelection(FilePanel& panel);
  // What a command acts on in panel: nothing (said so) when nothing but the
  // parent entry is selected; the parent entry is let go.
  std::optional<Selection> TakeSelection(FilePanel& panel);
  // Whether a call by entry's name reaches that entry and no other: not when
  // the name holds "\" or "/", when the listing held it twice, or (for the
  // shell and the programs it starts) when it ends in a dot or a blank.
  // Otherwise says so, naming it, and gives false.
  bool MayActOn(const FilePanel& panel, const PanelEntry& entry, bool throughShell);

  // After the options changed: list styles of both sides.
  void ApplyViewOptions();
  // After the language changed: the column titles.
  void ApplyLanguage();
  void FollowSystemSmoothing();
  // The window's scale changed to dpi, its font to font: the pictures are
  // made again at the new size, the columns keep their width in points and
  // the trees take the font.
  void FollowDpi(UINT dpi, HFONT font);
  UINT Dpi() const { return dpi_; }
  // After the colours changed: lists, trees, path lines and tab bars.
  void ApplyColours();
  // While dark, selected rows in the palette's colours (the list would
  // draw an unfocused selection in the system's light face colour).
  LRESULT OnListCustomDraw(Message& message);
  void UpdatePathLines();

  bool RouteMessage(Message& message, LRESULT& result) override;

 private:
  friend struct PanelPairRoutes;

  FilePanel* PanelOfControl(UINT id);
  void ActivateSide(Side side);
  void RecordHistory(FilePanel& panel);
  void SelectDriveOf(FilePanel& panel);
  void UpdateVolumeLabel(FilePanel& panel);
  void SyncTreeToPath(FilePanel& panel);
  // The one rule between the sides: a tree on one side and a list on the
  // other show the same folder. Linked() tells whether it applies now;
  // Follow brings the other side to leader's folder (and shows it there
  // unless showNow is false, which leaves that for later); false when the
  // sides are not linked.
  bool Linked() const;
  bool Follow(FilePanel& leader, bool showNow = true);
  // Shows panel's folder in whatever it shows: its tree or its list.
  void ShowFolder(FilePanel& panel);
  // After a panel's folder changed: it shows it, and the other follows.
  void RefreshSides(FilePanel& changed);
  void CreateImageLists();
  void FillDriveBoxes();
  void ApplyListStyles();
  int ShowValue(Side side) const;
  void List(FilePanel& panel);

  LRESULT OnListSetFocus(Message& message);
  LRESULT OnListDoubleClick(Message& message);
  LRESULT OnTreeSetFocus(Message& message);
  LRESULT OnTreeSelectionChanging(Message& message, NMTREEVIEWW& change);
  LRESULT OnDriveSelectionAccepted(Message& message);
  LRESULT OnDriveSelectionCancelled(Message& message);
  LRESULT OnBeginLabelEdit(Message& message, NMLVDISPINFOW& info);
  LRESULT OnEndLabelEdit(Message& message, NMLVDISPINFOW& info);
  LRESULT OnControlColor(Message& message);
  LRESULT OnTabSelected(Message& message);
  LRESULT OnDeviceChange(Message& message);
  LRESULT OnActivateApp(Message& message);
  // A side whose folder is gone goes to its nearest existing parent, else
  // the start-up folder's drive, and its path line says what went.
  void MoveFromVanishedFolder(FilePanel& panel);
  void AfterTabChange(FilePanel& panel);

  AppContext& context_;
  HWND mainWindow_ = nullptr;
  Window prompt_;
  Win32DirectorySource directorySource_;
  std::array<std::unique_ptr<FilePanel>, 2> panels_;
  Side activeSide_ = Side::kLeft;
  int initialShow_[2] = {kViewDetails, kViewDetails};
  DriveProbe driveProbe_ = &ProbeDrive;
  std::function<void()> onTabBarsChanged_;
  bool started_ = false;

  ImageList listImages_[2];
  ImageList treeImages_;
  ImageList driveImages_;
  ImageList headerImages_;
  // The scale the pictures and column widths are at. Stored widths are at
  // 96 dots per inch.
  UINT dpi_ = kBaseDpi;
};

}  // namespace px
