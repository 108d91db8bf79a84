// Changing the label of a panel's drive.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"
#include "framework/FileSystemApi.h"

namespace px {

// The longest label the edit takes (the FAT limit).
constexpr int kVolumeLabelLimit = 11;

class VolumeLabelDialog : public Dialog {
 public:
  explicit VolumeLabelDialog(const LanguageTable& texts);

  const LanguageTable& texts;
  // Filled by the caller.
  std::string driveRoot;     // three characters, such as "C:\"
  std::string ownerCaption;  // caption of the message box when the label is refused
  HWND list = nullptr;       // the panel's list, which the dialog is centred over

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
};

}  // namespace px
