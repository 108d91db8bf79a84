// The list of command lines run, newest first: run one again or copy it into
// the command line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"

namespace px {

enum class CommandHistoryMode { kRun, kCopy };

class CommandHistoryDialog : public Dialog {
 public:
  explicit CommandHistoryDialog(const LanguageTable& texts);

  const LanguageTable& texts;
  // Filled by the caller: the lines run, oldest first.
  std::vector<std::string> lines;

  // Results: the chosen line, empty when none was chosen, and what to do with
  // it. The copy button closes the dialog as Cancel does, so the caller looks
  // at these two fields only, not at the value DoModal returns.
  std::string line;
  CommandHistoryMode mode = CommandHistoryMode::kRun;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  friend struct CommandHistoryRoutes;
  LRESULT OnListDoubleClick(Message& message);
  LRESULT OnCopy(Message& message);
  std::string SelectedLine() const;
};

// Shared by the history lists: puts the lines into a list box newest first
// and lets it scroll sideways as far as the widest line needs.
void FillNewestFirst(HWND listBox, const std::vector<std::string>& oldestFirst);

}  // namespace px
