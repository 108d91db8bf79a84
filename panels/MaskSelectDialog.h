// Selecting or deselecting a panel's rows whose names match a mask such as *.txt.
#pragma once

#include <windows.h>

#include <string>

#include "core/language/LanguageTable.h"
#include "core/panel/EntryTable.h"
#include "core/panel/MaskSelection.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

namespace px {

class MaskSelectDialog : public Dialog {
 public:
  // table holds the rows list shows; both must outlive the dialog.
  MaskSelectDialog(MaskMode mode, const ListView& list, const EntryTable& table,
                   int selectFolders, const LanguageTable& texts);

  const MaskMode mode;
  const ListView list;
  const EntryTable& table;
  const int selectFolders;  // 1: folders are matched like files
  const LanguageTable& texts;

  // Result: the mask applied on OK.
  std::string mask;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
};

// Applies a mask to a list showing table: select mode replaces the selection
// with the matching rows, deselect mode takes them out of it. Both give up the
// focused state of the rows they clear. Linear in the number of rows.
void ApplyMask(const ListView& list, const EntryTable& table, const std::string& mask,
               MaskMode mode, bool selectFolders);

}  // namespace px
