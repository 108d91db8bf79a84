// The report of a run: shown one line per line, saved as UTF-8 text.
#include "fileops/RunReportDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "core/fileops/RunReport.h"
#include "core/language/TextFormat.h"
#include "framework/AppContext.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/MessageBoxes.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"

namespace px {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

bool SaveReport(const std::string& path, const std::vector<std::string>& lines) {
  if (path.empty()) return false;
  return WriteFileAtomically(path, kByteOrderMark + ReportText(lines), InPlaceWrite::kNever);
}

struct RunReportRoutes {
  static const Route<RunReportDialog> kRoutes[];
};

const Route<RunReportDialog> RunReportRoutes::kRoutes[] = {
    {OnCommand(IDC_REPORT_SAVE, BN_CLICKED), &RunReportDialog::OnSave},
    {OnMessage(WM_SIZE), &RunReportDialog::OnSize},
    {OnMessage(WM_GETMINMAXINFO), &RunReportDialog::OnGetMinMaxInfo},
};

RunReportDialog::RunReportDialog(const LanguageTable& texts, std::string jobName,
                                 std::vector<std::string> lines)
    : Dialog(IDD_RUN_REPORT), texts_(texts), jobName_(std::move(jobName)), lines_(std::move(lines)) {}

bool RunReportDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(RunReportRoutes::kRoutes, message, result);
}

BOOL RunReportDialog::OnInitDialog() {
  Window(Handle()).SetText(FormatText(texts_.Text(text::kReportCaption), {jobName_}));
  Window(Item(IDC_REPORT_SAVE)).SetText(texts_.Text(text::kReportSave));
  Window(Item(IDOK)).SetText(texts_.Text(text::kSearchClose));

  Window report(Item(IDC_REPORT_TEXT));
  // A long run's report holds more than an edit control takes by default.
  report.Send(EM_SETLIMITTEXT, 0);
  report.SetText(ReportText(lines_));

  RECT client;
  GetClientRect(Handle(), &client);
  RECT text = report.RectInParent();
  textMargins_ = {text.left, text.top, client.right - text.right, client.bottom - text.bottom};
  saveLeft_ = Window(Item(IDC_REPORT_SAVE)).RectInParent().left;
  RECT close = Window(Item(IDOK)).RectInParent();
  closeFromRight_ = client.right - close.left;
  buttonsFromBottom_ = client.bottom - close.top;
  RECT frame;
  GetWindowRect(Handle(), &frame);
  minimumSize_ = {frame.right - frame.left, frame.bottom - frame.top};

  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  // On the close button: focus in the text box would select all of it.
  SetFocus(Item(IDOK));
  return FALSE;
}

LRESULT RunReportDialog::OnSize(Message& message) {
  if (minimumSize_.cx == 0 || message.wParam == SIZE_MINIMIZED) return 0;
  const int width = LOWORD(message.lParam);
  const int height = HIWORD(message.lParam);
  Window(Item(IDC_REPORT_TEXT))
      .Move(textMargins_.left, textMargins_.top,
            std::max<int>(0, width - textMargins_.left - textMargins_.right),
            std::max<int>(0, height - textMargins_.top - textMargins_.bottom));
  const int buttonTop = height - buttonsFromBottom_;
  for (auto [id, left] : {std::pair{IDC_REPORT_SAVE, saveLeft_},
                          std::pair{IDOK, width - closeFromRight_}}) {
    Window button(Item(id));
    RECT rect = button.RectInParent();
    button.Move(left, buttonTop, rect.right - rect.left, rect.bottom - rect.top);
  }
  return 0;
}

LRESULT RunReportDialog::OnGetMinMaxInfo(Message& message) {
  if (minimumSize_.cx == 0) return 0;
  auto* info = reinterpret_cast<MINMAXINFO*>(message.lParam);
  info->ptMinTrackSize = {minimumSize_.cx, minimumSize_.cy};
  return 0;
}

LRESULT RunReportDialog::OnSave(Message&) {
  std::wstring file(32768, L'\0');
  const wchar_t kDefaultName[] = L"report.txt";
  std::copy(std::begin(kDefaultName), std::end(kDefaultName), file.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = L"*.txt\0*.txt\0";
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = L"txt";
  // The process's current directory is the start directory, where the
  // language and settings files are looked for: the dialog must not move it.
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameW(&dialog)) return 0;
  file.resize(wcslen(file.c_str()));
  const std::string path = Narrow(file);
  if (!SaveReport(path, lines_)) {
    ShowMessage(Handle(), FormatText(texts_.Text(text::kReportNotSaved), {path}), kProductName,
                MB_OK | MB_ICONEXCLAMATION);
  }
  return 0;
}

}  // namespace px
