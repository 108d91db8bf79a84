#include "panels/CommandHistoryDialog.h"

#include <algorithm>

#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "res/resource.h"

namespace px {

namespace {

bool ControlHeld() { return GetKeyState(VK_CONTROL) < 0; }

}  // namespace

void FillNewestFirst(HWND listBox, const std::vector<std::string>& oldestFirst) {
  SendMessageW(listBox, LB_RESETCONTENT, 0, 0);
  HDC dc = GetDC(listBox);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(listBox, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = dc != nullptr && font != nullptr ? SelectObject(dc, font) : nullptr;
  int widest = 0;
  for (const std::string& text : oldestFirst) {
    std::wstring wide = Widen(text);
    SendMessageW(listBox, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    SIZE size{};
    if (dc != nullptr &&
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size))
      widest = std::max(widest, static_cast<int>(size.cx));
  }
  if (oldFont != nullptr) SelectObject(dc, oldFont);
  if (dc != nullptr) ReleaseDC(listBox, dc);
  SendMessageW(listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 10), 0);
}

struct CommandHistoryRoutes {
  static const Route<CommandHistoryDialog> kRoutes[];
};

const Route<CommandHistoryDialog> CommandHistoryRoutes::kRoutes[] = {
    {OnCommand(IDC_HISTORY_LIST, LBN_DBLCLK), &CommandHistoryDialog::OnListDoubleClick},
    {OnCommand(IDC_HISTORY_COPY, BN_CLICKED), &CommandHistoryDialog::OnCopy},
};

CommandHistoryDialog::CommandHistoryDialog(const LanguageTable& languageTexts)
    : Dialog(IDD_COMMAND_HISTORY), texts(languageTexts) {}

bool CommandHistoryDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(CommandHistoryRoutes::kRoutes, message, result);
}

BOOL CommandHistoryDialog::OnInitDialog() {
  Window(Handle()).SetText(texts.Text(text::kCommandHistoryCaption));
  Window(Item(IDOK)).SetText(texts.Text(text::kCommandHistoryRun));
  Window(Item(IDC_HISTORY_COPY)).SetText(texts.Text(text::kCommandHistoryEdit));
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kCommandHistoryCancel));
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));

  HWND list = Item(IDC_HISTORY_LIST);
  FillNewestFirst(list, lines);
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  return TRUE;
}

std::string CommandHistoryDialog::SelectedLine() const {
  HWND list = Item(IDC_HISTORY_LIST);
  LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return {};
  // The list shows the lines newest first.
  size_t fromNewest = static_cast<size_t>(selected);
  if (fromNewest >= lines.size()) return {};
  return lines[lines.size() - 1 - fromNewest];
}

void CommandHistoryDialog::OnOK() {
  line = SelectedLine();
  mode = ControlHeld() ? CommandHistoryMode::kCopy : CommandHistoryMode::kRun;
  EndDialog(IDOK);
}

void CommandHistoryDialog::OnCancel() {
  line.clear();
  mode = CommandHistoryMode::kRun;
  EndDialog(IDCANCEL);
}

LRESULT CommandHistoryDialog::OnListDoubleClick(Message&) {
  OnOK();
  return 0;
}

LRESULT CommandHistoryDialog::OnCopy(Message&) {
  line = SelectedLine();
  mode = CommandHistoryMode::kCopy;
  EndDialog(IDCANCEL);
  return 0;
}

}  // namespace px
