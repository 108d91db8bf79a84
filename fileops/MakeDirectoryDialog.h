// Asking for the name of a new folder.
#pragma once

#include <string>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"

namespace px {

class MakeDirectoryDialog : public Dialog {
 public:
  explicit MakeDirectoryDialog(const LanguageTable& texts);

  const LanguageTable& texts;
  // After OK, the name as typed.
  std::string name;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
};

}  // namespace px
