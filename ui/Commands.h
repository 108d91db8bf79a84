// The program's commands: what each command id of the keys, buttons, menus
// and toolbar does, filled into one table.
#pragma once

#include <functional>

#include "core/commands/CommandTable.h"
#include "framework/AppContext.h"
#include "panels/CommandLineBar.h"

namespace px {

class BackgroundJobs;

// What only the main window itself can do.
struct WindowActions {
  std::function<void()> exit;
  // Writes the chosen groups of settings now.
  std::function<void(bool panels, bool window, bool options)> saveSettings;
  // Puts the divider at the preset share of the client width: 0 for 20/80
  // up to 6 for 80/20.
  std::function<void(int preset)> placeDivider;
  // Takes options edited in the settings dialog: loads a newly chosen
  // language and shows the view options on the window at once.
  std::function<void(const Options& edited)> applyOptions;
  // Shows the list of background jobs (opens it, or brings it forward).
  std::function<void()> showJobList;
  // Opens the file at the active list's cursor in a viewer window.
  std::function<void()> viewFile;
  // Where copies, moves and deletes go that run in the background; none:
  // every run keeps its progress window.
  BackgroundJobs* background = nullptr;
};

// Fills the table; false when an id was given twice (the first keeps it).
[[nodiscard]] bool FillCommandTable(CommandTable& table, AppContext& context, PanelPair& panels,
                                    CommandLineBar& commandLine, const WindowActions& window);

}  // namespace px
