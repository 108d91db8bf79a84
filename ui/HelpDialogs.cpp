#include "ui/HelpDialogs.h"

#include "core/text/KeyboardReference.h"
#include "framework/Controls.h"
#include "framework/TextFiles.h"
#include "res/resource.h"

namespace px {

HelpTextDialog::HelpTextDialog(const LanguageTable& languageTexts)
    : Dialog(IDD_HELP_TEXT), texts(languageTexts) {}

std::string HelpTextDialog::ReferenceText(const std::string& startDirectory,
                                          const std::string& language) {
  std::optional<std::string> bytes =
      ReadFileBytes(startDirectory + "\\Language\\" + language + ".kbr");
  if (!bytes) return std::string();
  // Only bytes that are not UTF-8 reach the decoder: the system code page's.
  return KeyboardReferenceText(*bytes,
                               [](std::string_view b) { return DecodeText(std::string(b)).utf8; });
}

BOOL HelpTextDialog::OnInitDialog() {
  Window(Handle()).SetText(texts.Text(text::kKeyboardReferenceCaption));
  Window(Item(IDOK)).SetText(texts.Text(text::kHelpOk));
  Window edit(Item(IDC_HELP_TEXT));
  edit.Send(EM_SETLIMITTEXT, 0);
  edit.SetText(ReferenceText(startDirectory, language));
  // The reference is read from the top, with nothing selected.
  SetFocus(Item(IDOK));
  return FALSE;
}

AboutDialog::AboutDialog(const LanguageTable& languageTexts)
    : Dialog(IDD_ABOUT), texts(languageTexts) {}

BOOL AboutDialog::OnInitDialog() {
  Window(Handle()).SetText(texts.Text(text::kAboutCaption));
  Window(Item(IDOK)).SetText(texts.Text(text::kHelpOk));
  return TRUE;
}

}  // namespace px
