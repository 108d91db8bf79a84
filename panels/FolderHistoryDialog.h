// The folders a panel has shown, newest first, to jump back to one of them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"

namespace px {

class FolderHistoryDialog : public Dialog {
 public:
  explicit FolderHistoryDialog(const LanguageTable& texts);

  const LanguageTable& texts;
  // Filled by the caller: the history's entries, oldest first, and the
  // panel's folder, which is selected when it is in the list.
  std::vector<std::string> entries;
  std::string currentFolder;

  // Results after OK: the chosen folder (empty when none was selected) and its
  // index in entries (-1 when none).
  std::string folder;
  int index = -1;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  friend struct FolderHistoryRoutes;
  LRESULT OnListDoubleClick(Message& message);
};

}  // namespace px
