// The main window: creates the controls and the parts that own them, runs the
// start-up order, lays the window out, routes messages and shuts down.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/commands/CommandTable.h"
#include "core/language/LanguageTable.h"
#include "core/layout/Layout.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/UiTasks.h"
#include "fileops/BackgroundJobs.h"
#include "fileops/JobListWindow.h"
#include "panels/CommandLineBar.h"
#include "panels/PanelPair.h"
#include "ui/Favourites.h"
#include "ui/IconMenu.h"
#include "ui/KeyboardFilter.h"
#include "ui/ToolBar.h"
#include "viewer/ViewerWindow.h"

namespace px {

class MainWindow : public Dialog {
 public:
  MainWindow();
  ~MainWindow() override;

  PanelPair& Panels() { return panels_; }
  CommandLineBar& CommandLine() { return commandLine_; }
  const CommandTable& Commands() const { return commands_; }
  const AppContext& Context() const { return context_; }
  UiTaskQueue& UiTasks() { return uiTasks_; }
  JobRunner& Jobs() { return jobs_; }
  BackgroundJobs& Background() { return *background_; }
  // The job list, while it is open; null otherwise.
  JobListWindow* JobList() const;
  // Opens the job list, or brings it forward; activate: it takes the focus.
  void ShowJobList(bool activate);
  // Opens the file at the active list's cursor in a viewer window of its
  // own, with the list's other files to step through.
  void ViewFileAtCursor();
  // The viewer windows still open, oldest first.
  std::vector<ViewerWindow*> Viewers() const;
  const Options& GetOptions() const { return options_; }
  Options& MutableOptions() { return options_; }
  const LanguageTable& Texts() const { return texts_; }
  MenuBar& Menus() { return menus_; }
  ToolBar& Tools() { return toolBar_; }
  Favourites& FavouriteFolders() { return favourites_; }
  const std::string& StartDirectory() const { return context_.startDirectory; }

  // Places every control for a client area of cx by cy pixels.
  void LayoutWindow(int cx, int cy);
  // The window moved to a monitor of another scale: its font, pictures and
  // fixed sizes follow (the window's own size is the caller's).
  void FollowDpi(UINT dpi);
  UINT Dpi() const { return dpi_; }
  // Moves the divider to client x (clamped to the client area).
  void SetDivider(int x);
  // Applies the view options after they were changed.
  void ApplyViewOptions();
  // Loads another language (unless it is the current one in any letter case,
  // or its file cannot be read) and puts its texts on the window's permanent
  // elements.
  void ChangeLanguage(const std::string& language);
  void ApplyLanguage();
  // Decides the colours again (the setting, the system's theme and its high
  // contrast) and, when they changed, gives them to every part and window.
  void FollowColours();
  const Palette& Colours() const { return palette_; }
  // Writes the chosen groups of settings to PX.ini; false when the file
  // could not be written.
  bool WriteSettings(bool panels, bool window, bool options);
  // Carries out a command by its id; false when the id has no action.
  bool ExecuteCommand(UINT id) { return commands_.Execute(id); }
  // Whether every command id was given one command only.
  bool CommandsUnique() const { return commandsUnique_; }

  bool PreTranslateMessage(MSG& msg) override;
  // Closing the window ends the program's message loop.
  void EndProgramWhenClosed() { endsProgram_ = true; }

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override { commandLine_.OnEnter(); }
  void OnCancel() override;
  void OnIdle() override { toolBar_.UpdateStates(); }
  // Work still running is stopped only when the user says so; then the
  // windows beside this one close first. False: the window stays.
  bool MayClose();
  void OnJobsChanged();
  LRESULT OnTimer(Message& message);

 private:
  friend struct MainWindowRoutes;

  LRESULT OnPaint(Message& message);
  LRESULT OnQueryDragIcon(Message& message);
  LRESULT OnSize(Message& message);
  LRESULT OnSettingChange(Message& message);
  LRESULT OnDpiChanged(Message& message);
  LRESULT OnDrawLine(Message& message);
  LRESULT OnToolBarDraw(Message& message);
  void ApplyColours();
  LRESULT OnLeftButtonDown(Message& message);
  LRESULT OnMouseMove(Message& message);
  LRESULT OnLeftButtonUp(Message& message);
  LRESULT OnRightButtonDown(Message& message);
  LRESULT OnCommandMessage(Message& message);

  // Reads a language file into the texts; false when it gave none.
  [[nodiscard]] bool LoadLanguage(const std::string& language);
  void ReadSettingsIntoWindow();
  void ApplyRowVisibility(bool showExplicitly);
  void PlaceWindow();
  VisibleRows Rows() const;
  // Places the controls that follow the divider.
  void PlacePanelRows(const PanelRowsLayout& rows);
  bool SplitterHit(POINT screenPoint) const;

  std::unique_ptr<SettingsStore> settings_;
  LanguageTable texts_;
  Options options_;
  WindowSettings windowSettings_;
  // Before every part and window that draws with it.
  Palette palette_;

  UiTaskQueue uiTasks_;
  // After the task queue, so that it goes first: nothing is posted once the
  // runner has gone.
  JobRunner jobs_;
  // Before the runner goes: it cancels what is left of its jobs; the list
  // goes before it.
  std::unique_ptr<BackgroundJobs> background_;
  std::unique_ptr<JobListWindow> jobList_;
  std::vector<std::unique_ptr<ViewerWindow>> viewers_;
  // The user chose to wait for the jobs before the program ends.
  bool closeWhenJobsEnd_ = false;
  AppContext context_;
  PanelPair panels_;
  CommandLineBar commandLine_;
  KeyboardFilter keyboard_;
  CommandTable commands_;
  MenuBar menus_;
  ToolBar toolBar_;
  Favourites favourites_;

  // The scale the window is drawn at, and its font when that is not the
  // template's own (made for a scale the window moved to).
  UINT dpi_ = kBaseDpi;
  Font font_;
  Icon appIcon_;
  Icon appIconSmall_;
  HCURSOR arrowCursor_ = nullptr;
  HCURSOR sizeCursor_ = nullptr;
  bool dragging_ = false;

  Menu dividerMenu_;
  int idleToken_ = 0;
  bool commandsUnique_ = true;
  bool endsProgram_ = false;
};

}  // namespace px
