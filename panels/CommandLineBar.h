// The command line under the panels: its edit, Enter running the line (or
// opening the entry), and the history of the lines run.
#pragma once

#include <string>

#include "core/panel/CommandLine.h"
#include "framework/AppContext.h"
#include "framework/Controls.h"

namespace px {

class PanelPair;

class CommandLineBar {
 public:
  CommandLineBar(AppContext& context, PanelPair& panels) : context_(context), panels_(panels) {}

  void Attach(HWND edit) { edit_ = Window(edit); }
  const CommandHistory& History() const { return history_; }
  CommandHistory& History() { return history_; }
  HWND Edit() const { return edit_.Handle(); }

  // Enter in the main window: runs the line in the active panel's folder,
  // or with an empty line opens the entry; with Ctrl held down the entry's
  // name is added to the line instead.
  void OnEnter();
  // Runs a line in the active panel's folder; false when the launch failed.
  bool RunLine(const std::string& line);
  void ShowHistory();

 private:
  void SetTextAndCaret(const std::string& text);

  AppContext& context_;
  PanelPair& panels_;
  Window edit_;
  CommandHistory history_;
};

}  // namespace px
