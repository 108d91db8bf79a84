// The properties of one drive: its kind as a picture, label, file system, used,
// free and total space, and the used share as a bar.
#pragma once

#include <windows.h>

#include <string>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

namespace px {

class DriveInfoDialog : public Dialog {
 public:
  DriveInfoDialog(const LanguageTable& texts, std::string rootPath);

  const LanguageTable& texts;
  const std::string rootPath;  // such as "C:\"

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;

 private:
  void ShowDriveIcon();

  ImageList images_;
  Icon icon_;  // the static shows it and does not own it
};

}  // namespace px
