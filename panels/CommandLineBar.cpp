#include "panels/CommandLineBar.h"

#include "panels/CommandHistoryDialog.h"
#include "panels/Launcher.h"
#include "panels/PanelPair.h"

namespace px {

void CommandLineBar::SetTextAndCaret(const std::string& text) {
  edit_.SetText(text);
  int end = GetWindowTextLengthW(edit_.Handle());
  edit_.Send(EM_SETSEL, end, end);
  edit_.Send(EM_SCROLLCARET);
}

bool CommandLineBar::RunLine(const std::string& line) {
  return RunLineInFolder(context_, line, panels_.Active().Path());
}

void CommandLineBar::OnEnter() {
  FilePanel& panel = panels_.Active();
  if (GetKeyState(VK_CONTROL) < 0) {
    const PanelEntry* entry = panel.EntryAtCursor();
    if (entry == nullptr) return;
    SetTextAndCaret(edit_.Text() + CommandLineNameOf(*entry));
    return;
  }
  std::string text = edit_.Text();
  if (text.empty()) {
    if (!panel.Tree().IsVisible()) panels_.OpenItem(panel, false);
    return;
  }
  std::string line = TrimTrailingWhiteSpace(text);
  if (!line.empty()) history_.Add(line);
  edit_.SetText("");
  panel.List().Focus();
  // A line of blanks names no program: nothing to run.
  if (line.empty()) return;
  RunLine(text);
}

void CommandLineBar::ShowHistory() {
  CommandHistoryDialog dialog(context_.Texts());
  dialog.lines = history_.Lines();
  dialog.DoModal(context_.owner);
  if (dialog.line.empty()) return;
  if (dialog.mode == CommandHistoryMode::kRun) {
    RunLine(dialog.line);
    return;
  }
  SetTextAndCaret(dialog.line);
  edit_.Focus();
}

}  // namespace px
