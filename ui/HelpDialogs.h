// The keyboard reference of the current language, and the about box.
#pragma once

#include <string>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"

namespace px {

class HelpTextDialog : public Dialog {
 public:
  explicit HelpTextDialog(const LanguageTable& texts);

  const LanguageTable& texts;
  // Filled by the caller: the start directory and the language's name.
  std::string startDirectory;
  std::string language;

  // The text shown: the language's .kbr file, empty when it cannot be read.
  static std::string ReferenceText(const std::string& startDirectory,
                                   const std::string& language);

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message&, LRESULT&) override { return false; }
};

class AboutDialog : public Dialog {
 public:
  explicit AboutDialog(const LanguageTable& texts);

  const LanguageTable& texts;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message&, LRESULT&) override { return false; }
};

}  // namespace px
