// The main window: both panels, the command line, the function keys, and the
// program's state from start-up to exit.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "core/panel/CommandLine.h"
#include "core/panel/FolderHistory.h"
#include "core/panel/MaskSelection.h"
#include "core/layout/Layout.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "panels/FilePanel.h"
#include "panels/Win32DirectorySource.h"

namespace px {

extern const char kProductName[];  // "Pannex": caption of the window and its message boxes

class MainWindow : public Dialog {
 public:
  MainWindow();
  ~MainWindow() override;

  FilePanel& Panel(Side side) { return *panels_[static_cast<int>(side)]; }
  FilePanel& ActivePanel() { return Panel(activeSide_); }
  Side ActiveSide() const { return activeSide_; }
  const Options& GetOptions() const { return options_; }
  Options& MutableOptions() { return options_; }
  const LanguageTable& Texts() const { return texts_; }
  const std::string& StartDirectory() const { return startDirectory_; }
  const CommandHistory& Commands() const { return commandHistory_; }
  FolderHistory& History(Side side) { return histories_[static_cast<int>(side)]; }

  // Places every control for a client area of cx by cy pixels.
  void LayoutWindow(int cx, int cy);
  // Moves the divider to client x (clamped to the client area).
  void SetDivider(int x);
  // Applies the view options after they were changed.
  void ApplyViewOptions();
  // Loads another language (unless it is the current one in any letter case)
  // and puts its texts on the window's permanent elements.
  void ChangeLanguage(const std::string& language);
  void ApplyLanguage();
  // Writes the chosen groups of settings to PX.ini.
  void WriteSettings(bool panels, bool window, bool options);
  // Carries out a command by its id; false when the id has no action.
  bool ExecuteCommand(UINT id);

  // Navigation of the panels.
  void OpenItem(FilePanel& panel, bool goUp);
  void GoToParent();
  void GoToFolder(const std::string& path, bool recordHistory);
  void ChangeDrive(FilePanel& panel);
  void HistoryBack();
  void HistoryForward();
  void ShowFolderHistory();
  // Enter in the main window: runs the command line or opens the entry.
  void RunCommandLine();
  // Runs a line in the active panel's folder; false when the launch failed.
  bool RunLine(const std::string& line);
  void ShowCommandHistory();
  void EditVolumeLabel(FilePanel& panel);
  void SelectByMask(MaskMode mode);
  void SelectAll(bool select);
  void SetListView(DWORD view);
  void RefreshActivePanel();
  void EditWithEditor();
  void ShowShellProperties();
  void ShowDocumentsFolder();
  void OpenShellFolder(int folderId);
  // Asks whether a drive root can be read: the system error of a search of
  // it, 0 when it can. Replaceable so that a drive that is not ready can be
  // simulated where no such drive exists.
  using DriveProbe = unsigned long (*)(const std::string& root);
  void SetDriveProbe(DriveProbe probe) { driveProbe_ = probe; }
  static unsigned long ProbeDrive(const std::string& root);

  // Shows a side's folder tree in place of its list, or the list again.
  void ShowFolderTree(Side side, bool show);
  void SyncTreeToPath(FilePanel& panel);
  void ShowGoToFolderDialog();

  // In-place rename of the entry at the active list's selection mark.
  void StartRename();
  // Nothing or only the parent selected: says so and gives false.
  bool CheckSelection(FilePanel& panel);

  bool PreTranslateMessage(MSG& msg) override;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  friend struct MainWindowRoutes;

  LRESULT OnPaint(Message& message);
  LRESULT OnQueryDragIcon(Message& message);
  LRESULT OnSize(Message& message);
  LRESULT OnSettingChange(Message& message);
  LRESULT OnLeftButtonDown(Message& message);
  LRESULT OnMouseMove(Message& message);
  LRESULT OnLeftButtonUp(Message& message);
  LRESULT OnRightButtonDown(Message& message);
  LRESULT OnDestroy(Message& message);
  LRESULT OnCommandMessage(Message& message);
  LRESULT OnListDisplayInfo(Message& message);
  LRESULT OnListFindItem(Message& message);
  LRESULT OnListColumnClick(Message& message);
  LRESULT OnListSetFocus(Message& message);
  LRESULT OnTreeSetFocus(Message& message);
  LRESULT OnDriveSelectionCancelled(Message& message);
  LRESULT OnDriveSelectionAccepted(Message& message);
  LRESULT OnListDoubleClick(Message& message);
  LRESULT OnTreeExpanding(Message& message);
  LRESULT OnTreeDisplayInfo(Message& message);
  LRESULT OnTreeSelectionChanging(Message& message);
  LRESULT OnTreeKeyDown(Message& message);
  FilePanel& OtherPanel(const FilePanel& panel) {
    return Panel(panel.GetSide() == Side::kLeft ? Side::kRight : Side::kLeft);
  }
  // After a panel's folder changed: a tree on one side and a list on the
  // other always show the same folder.
  void RefreshSides(FilePanel& changed);
  LRESULT OnBeginLabelEdit(Message& message);
  LRESULT OnEndLabelEdit(Message& message);
  LRESULT OnControlColor(Message& message);
  void ActivateSide(Side side);
  void RedrawPathLines();
  void RecordHistory(FilePanel& panel);
  void SelectDriveOf(FilePanel& panel);
  void ReportLaunchFailure(DWORD error);
  bool Launch(const std::string& file, const std::string& parameters, const std::string& folder);

  FilePanel* PanelOfControl(UINT id);
  void LoadLanguage();
  void CreateToolBar();
  void CreateImageLists();
  void ReadSettingsIntoWindow();
  void ApplyListStyles();
  void ApplyRowVisibility(bool showExplicitly);
  void FillDriveBoxes();
  void UpdateVolumeLabel(FilePanel& panel);
  void UpdatePathLines();
  void PlaceWindow();
  void DrainMessages();
  VisibleRows Rows() const;
  // Places the controls that follow the divider.
  void PlacePanelRows(const PanelRowsLayout& rows);
  bool SplitterHit(POINT screenPoint) const;
  bool LabelEditOpen() const;
  int ShowValue(Side side) const;

  std::string startDirectory_;
  std::unique_ptr<SettingsStore> settings_;
  LanguageTable texts_;
  Options options_;
  WindowSettings windowSettings_;
  CommandHistory commandHistory_;
  FolderHistory histories_[2];
  std::vector<Favourite> favourites_;
  int initialShow_[2] = {kViewDetails, kViewDetails};

  Win32DirectorySource directorySource_;
  std::array<std::unique_ptr<FilePanel>, 2> panels_;
  Side activeSide_ = Side::kLeft;
  DriveProbe driveProbe_ = &MainWindow::ProbeDrive;

  HACCEL accelerators_ = nullptr;
  HICON appIcon_ = nullptr;
  HICON appIconSmall_ = nullptr;
  HCURSOR arrowCursor_ = nullptr;
  HCURSOR sizeCursor_ = nullptr;
  bool dragging_ = false;

  Menu dividerMenu_;
  HWND toolBar_ = nullptr;
  ImageList listImages_[2];
  ImageList treeImages_;
  ImageList driveImages_;
  ImageList headerImages_;
  ImageList menuImages_;
  ImageList toolBarImages_;
};

}  // namespace px
