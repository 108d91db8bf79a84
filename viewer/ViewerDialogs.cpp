// The viewer's find and go-to dialogs (see the header).
#include "viewer/ViewerDialogs.h"

#include "core/language/TextFormat.h"
#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "res/resource.h"

namespace px {

namespace {

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void SetButtons(const Dialog& dialog, const LanguageTable& texts) {
  Window(dialog.Item(IDOK)).SetText(texts.Text(text::kTargetOk));
  Window(dialog.Item(IDCANCEL)).SetText(texts.Text(text::kTargetCancel));
}

}  // namespace

ViewerFindDialog::ViewerFindDialog(const LanguageTable& texts) : Dialog(IDD_VIEWER_FIND), texts_(texts) {}

bool ViewerFindDialog::RouteMessage(Message&, LRESULT&) { return false; }

BOOL ViewerFindDialog::OnInitDialog() {
  Window(Handle()).SetText(texts_.Text(text::kViewerFindCaption));
  Window(Item(IDC_FIND_LABEL)).SetText(texts_.Text(text::kViewerFindWhat));
  Window(Item(IDC_FIND_HEX)).SetText(texts_.Text(text::kViewerFindHex));
  Window(Item(IDC_FIND_IGNORE_CASE)).SetText(texts_.Text(text::kViewerFindIgnoreCase));
  Window(Item(IDC_FIND_BACKWARD)).SetText(texts_.Text(text::kViewerFindBackward));
  SetButtons(*this, texts_);
  SendMessageW(Item(IDC_FIND_TEXT), EM_LIMITTEXT, kMaxFindLength, 0);
  Window(Item(IDC_FIND_TEXT)).SetText(request.text);
  Check(Handle(), IDC_FIND_HEX, request.hex);
  Check(Handle(), IDC_FIND_IGNORE_CASE, request.ignoreCase);
  Check(Handle(), IDC_FIND_BACKWARD, request.backward);
  CenterOver(Handle(), GetParent(Handle()));
  SendMessageW(Item(IDC_FIND_TEXT), EM_SETSEL, 0, -1);
  SetFocus(Item(IDC_FIND_TEXT));
  return FALSE;
}

void ViewerFindDialog::OnOK() {
  FindRequest typed;
  typed.text = Window(Item(IDC_FIND_TEXT)).Text();
  typed.hex = Checked(Handle(), IDC_FIND_HEX);
  typed.ignoreCase = Checked(Handle(), IDC_FIND_IGNORE_CASE);
  typed.backward = Checked(Handle(), IDC_FIND_BACKWARD);
  if (typed.text.empty()) return;
  if (typed.hex && !ParseHexBytes(typed.text)) {
    ShowMessage(Handle(), texts_.Text(text::kViewerBadHex), MenuItemName(texts_.Text(text::kViewerFindCaption)),
                MB_OK | MB_ICONWARNING);
    SetFocus(Item(IDC_FIND_TEXT));
    return;
  }
  request = typed;
  EndDialog(IDOK);
}

std::optional<uint64_t> ParseViewerNumber(const std::string& text) {
  std::string digits;
  for (char c : text)
    if (c != ' ' && c != '.' && c != ',' && c != '\'') digits += c;
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits = digits.substr(2);
    base = 16;
  } else if (digits.size() > 1 && (digits.back() == 'h' || digits.back() == 'H')) {
    digits.pop_back();
    base = 16;
  }
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    if (value > (UINT64_MAX - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  return value;
}

ViewerGoToDialog::ViewerGoToDialog(const LanguageTable& texts) : Dialog(IDD_VIEWER_GOTO), texts_(texts) {}

bool ViewerGoToDialog::RouteMessage(Message&, LRESULT&) { return false; }

BOOL ViewerGoToDialog::OnInitDialog() {
  Window(Handle()).SetText(texts_.Text(text::kViewerGoToCaption));
  Window(Item(IDC_GOTO_LINE)).SetText(texts_.Text(text::kViewerGoToLine));
  Window(Item(IDC_GOTO_OFFSET)).SetText(texts_.Text(text::kViewerGoToOffset));
  SetButtons(*this, texts_);
  Check(Handle(), byLine ? IDC_GOTO_LINE : IDC_GOTO_OFFSET, true);
  CenterOver(Handle(), GetParent(Handle()));
  SetFocus(Item(IDC_GOTO_TEXT));
  return FALSE;
}

void ViewerGoToDialog::OnOK() {
  const std::optional<uint64_t> typed = ParseViewerNumber(Window(Item(IDC_GOTO_TEXT)).Text());
  const bool line = Checked(Handle(), IDC_GOTO_LINE);
  if (!typed || (line && *typed == 0)) {
    ShowMessage(Handle(), texts_.Text(text::kViewerBadNumber), texts_.Text(text::kViewerGoToCaption),
                MB_OK | MB_ICONWARNING);
    SetFocus(Item(IDC_GOTO_TEXT));
    return;
  }
  byLine = line;
  number = *typed;
  EndDialog(IDOK);
}

}  // namespace px
