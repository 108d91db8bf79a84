// The list of background jobs (see the header).
#include "fileops/JobListWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "core/fileops/RunReport.h"
#include "core/language/TextFormat.h"
#include "core/panel/EntryText.h"
#include "fileops/RunReportDialog.h"
#include "framework/Controls.h"
#include "framework/Wide.h"
#include "res/resource.h"

namespace px {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;

// The buttons below the list, left to right.
constexpr int kButtons[] = {IDC_JOB_PAUSE, IDC_JOB_CANCEL, IDC_JOB_START_NOW, IDC_JOB_UP, IDC_JOB_DOWN,
                            IDC_JOB_REMOVE, IDC_JOB_CLEAR, IDC_JOB_ANSWER, IDC_JOB_REPORT};
constexpr int kColumnWidths[JobListWindow::kColumns] = {60, 260, 120, 270, 110, 70};

TextId StateText(BackgroundState state) {
  switch (state) {
    case BackgroundState::kQueued: return text::kJobQueued;
    case BackgroundState::kRunning: return text::kJobRunning;
    case BackgroundState::kPaused: return text::kJobPaused;
    case BackgroundState::kWaiting: return text::kJobWaiting;
    case BackgroundState::kDone: return text::kJobDone;
    case BackgroundState::kFailed: return text::kJobFailed;
    case BackgroundState::kCancelled: return text::kJobCancelled;
  }
  return text::kJobQueued;
}

TextId KindText(OperationKind kind) {
  switch (kind) {
    case OperationKind::kCopy: return text::kJobKindCopy;
    case OperationKind::kMove: return text::kJobKindMove;
    case OperationKind::kDelete: return text::kJobKindDelete;
  }
  return text::kJobKindCopy;
}

// "1:05:09" or "5:09".
std::string DurationText(int64_t seconds) {
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof(text), "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof(text), "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  return text;
}

void SetCellText(HWND list, int row, int column, const std::string& text) {
  std::wstring wide = Widen(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

struct JobListRoutes {
  static const Route<JobListWindow> kRoutes[];
};
const Route<JobListWindow> JobListRoutes::kRoutes[] = {
    {OnMessage(WM_TIMER), &JobListWindow::OnTimer},
    {OnMessage(WM_SIZE), &JobListWindow::OnSize},
    {OnMessage(WM_GETMINMAXINFO), &JobListWindow::OnGetMinMax},
    {OnCommand(IDC_SKIP_AND_COLLECT, BN_CLICKED), &JobListWindow::OnCollect},
    {OnCommandRange(IDC_JOB_PAUSE, IDC_JOB_REPORT), &JobListWindow::OnButton},
    {OnNotify(LVN_ITEMCHANGED, IDC_JOB_LIST, IDC_JOB_LIST),
     Typed<&JobListWindow::OnSelectionChanged>},
    {OnNotify(NM_DBLCLK, IDC_JOB_LIST, IDC_JOB_LIST), &JobListWindow::OnDoubleClick},
    {OnNotify(NM_RETURN, IDC_JOB_LIST, IDC_JOB_LIST), &JobListWindow::OnDoubleClick},
};

JobListWindow::JobListWindow(const LanguageTable& texts, BackgroundJobs& jobs)
    : Dialog(IDD_JOB_LIST), texts_(texts), jobs_(jobs) {}

JobListWindow::~JobListWindow() {
  if (Handle() != nullptr) KillTimer(Handle(), kRefreshTimer);
}

bool JobListWindow::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(JobListRoutes::kRoutes, message, result);
}

BOOL JobListWindow::OnInitDialog() {
  Window(Handle()).SetText(texts_.Text(text::kJobListCaption));
  ListView list(Item(IDC_JOB_LIST));
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  const TextId titles[kColumns] = {text::kJobColumnKind, text::kJobColumnWhat, text::kJobColumnState,
                                   text::kJobColumnDone, text::kJobColumnSpeed, text::kJobColumnLeft};
  for (int column = 0; column < kColumns; ++column) {
    const int format = column >= 3 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    list.InsertColumn(column, texts_.Text(titles[column]), column == 0 ? LVCFMT_LEFT : format,
                      kColumnWidths[column]);
  }
  const TextId labels[] = {text::kJobPause, text::kJobCancel, text::kJobStartNow,
                           text::kJobUp,    text::kJobDown,   text::kJobRemove,
                           text::kJobClear, text::kJobAnswer, text::kJobReport};
  for (size_t i = 0; i < std::size(kButtons); ++i)
    Window(Item(kButtons[i])).SetText(texts_.Text(labels[i]));
  Window(Item(IDC_SKIP_AND_COLLECT)).SetText(texts_.Text(text::kSkipAndCollect));

  RECT frame;
  GetWindowRect(Handle(), &frame);
  minimum_ = {(frame.right - frame.left) / 2, (frame.bottom - frame.top) * 2 / 3};
  Layout();
  Refresh();
  SetTimer(Handle(), kRefreshTimer, kRefreshMilliseconds, nullptr);
  return TRUE;
}

// The list fills the window; the box and the buttons keep to its foot, each
// button as wide as its text needs in the current language.
void JobListWindow::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  RECT unit = {4, 14, 0, 10};  // margin, button height; box height
  MapDialogRect(Handle(), &unit);
  const int margin = unit.left, buttonHeight = unit.top, boxHeight = unit.bottom;
  HDC dc = GetDC(Handle());
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
  int x = margin;
  const int buttonTop = client.bottom - margin - buttonHeight;
  for (int id : kButtons) {
    std::wstring label = Widen(Window(Item(id)).Text());
    label.erase(std::remove(label.begin(), label.end(), L'&'), label.end());
    SIZE extent{};
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
    const int width = std::max<int>(extent.cx + 3 * margin, 6 * margin);
    MoveWindow(Item(id), x, buttonTop, width, buttonHeight, TRUE);
    x += width + margin / 2;
  }
  SelectObject(dc, old);
  ReleaseDC(Handle(), dc);
  const int boxTop = buttonTop - margin / 2 - boxHeight;
  MoveWindow(Item(IDC_SKIP_AND_COLLECT), margin, boxTop, client.right - 2 * margin, boxHeight, TRUE);
  MoveWindow(Item(IDC_JOB_LIST), margin, margin, client.right - 2 * margin,
             std::max<int>(boxTop - margin / 2 - margin, 0), TRUE);
}

LRESULT JobListWindow::OnSize(Message&) {
  Layout();
  return 0;
}

LRESULT JobListWindow::OnGetMinMax(Message& message) {
  auto* info = reinterpret_cast<MINMAXINFO*>(message.lParam);
  info->ptMinTrackSize = {minimum_.cx, minimum_.cy};
  return 0;
}

LRESULT JobListWindow::OnTimer(Message& message) {
  if (message.wParam == kRefreshTimer) Refresh();
  return 0;
}

std::vector<std::string> JobListWindow::Texts(const BackgroundRow& row) const {
  std::vector<std::string> cells(kColumns);
  cells[0] = texts_.Text(KindText(row.kind));
  cells[1] = row.target.empty() ? row.source : row.source + " \xE2\x86\x92 " + row.target;
  cells[2] = row.state == BackgroundState::kFailed
                 ? FormatText(texts_.Text(text::kJobFailed), {static_cast<int64_t>(row.problems)})
                 : texts_.Text(StateText(row.state));
  const ProgressSnapshot& p = row.progress;
  const bool counted = p.phase != RunPhase::kCounting;
  if (row.state == BackgroundState::kQueued) {
    cells[3].clear();
  } else if (row.kind == OperationKind::kDelete) {
    if (counted) cells[3] = std::to_string(p.filesDone) + " / " + std::to_string(p.fileCount);
  } else if (counted) {
    cells[3] = FormatText(texts_.Text(text::kJobDoneFigures),
                          {SizeText(p.overallDone), SizeText(p.overallTotal),
                           static_cast<int64_t>(p.filesDone), static_cast<int64_t>(p.fileCount)});
  }
  if (row.bytesPerSecond > 0) {
    const auto perSecond = static_cast<uint64_t>(row.bytesPerSecond + 0.5);
    cells[4] = (row.kind == OperationKind::kDelete ? std::to_string(perSecond) : SizeText(perSecond)) + "/s";
  }
  if (row.secondsLeft >= 0) cells[5] = DurationText(row.secondsLeft);
  return cells;
}

void JobListWindow::Refresh() {
  if (Handle() == nullptr) return;
  HWND list = Item(IDC_JOB_LIST);
  const uint64_t selected = SelectedKey();
  std::vector<BackgroundRow> rows = jobs_.Rows();
  bool sameJobs = rows.size() == rows_.size();
  for (size_t i = 0; sameJobs && i < rows.size(); ++i) sameJobs = rows[i].key == rows_[i].key;
  if (!sameJobs) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    shown_.assign(rows.size(), std::vector<std::string>(kColumns));
    for (size_t i = 0; i < rows.size(); ++i) {
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = static_cast<int>(i);
      item.pszText = const_cast<wchar_t*>(L"");
      item.lParam = static_cast<LPARAM>(rows[i].key);
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      shown_[i].assign(kColumns, std::string("\x01"));  // nothing shown yet
    }
  }
  rows_ = std::move(rows);
  // Only what changed is set: a redraw of every cell flickers.
  for (size_t i = 0; i < rows_.size(); ++i) {
    std::vector<std::string> cells = Texts(rows_[i]);
    for (int column = 0; column < kColumns; ++column) {
      if (cells[column] == shown_[i][column]) continue;
      SetCellText(list, static_cast<int>(i), column, cells[column]);
      shown_[i][column] = cells[column];
    }
  }
  if (!sameJobs) {
    Select(selected != 0 ? selected : rows_.empty() ? 0 : rows_.back().key);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
  UpdateButtons();
}

void JobListWindow::Select(uint64_t key) {
  ListView list(Item(IDC_JOB_LIST));
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].key != key) continue;
    list.SetItemState(static_cast<int>(i), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(static_cast<int>(i));
    break;
  }
  UpdateButtons();
}

const BackgroundRow* JobListWindow::SelectedRow() const {
  if (Handle() == nullptr) return nullptr;
  const int row = ListView(Item(IDC_JOB_LIST)).SelectedRow();
  return row >= 0 && static_cast<size_t>(row) < rows_.size() ? &rows_[static_cast<size_t>(row)] : nullptr;
}

uint64_t JobListWindow::SelectedKey() const {
  const BackgroundRow* row = SelectedRow();
  return row != nullptr ? row->key : 0;
}

int JobListWindow::RowCount() const { return static_cast<int>(rows_.size()); }

std::vector<std::string> JobListWindow::RowTexts(int row) const {
  return row >= 0 && static_cast<size_t>(row) < shown_.size() ? shown_[static_cast<size_t>(row)]
                                                               : std::vector<std::string>{};
}

void JobListWindow::UpdateButtons() {
  const BackgroundRow* row = SelectedRow();
  const BackgroundState state = row != nullptr ? row->state : BackgroundState::kDone;
  const bool live = row != nullptr && !IsFinished(state);
  const bool queued = row != nullptr && state == BackgroundState::kQueued;
  const bool started = live && !queued;
  const bool anyFinished =
      std::any_of(rows_.begin(), rows_.end(), [](const BackgroundRow& each) { return IsFinished(each.state); });
  auto enable = [this](int id, bool on) {
    HWND item = Item(id);
    if ((IsWindowEnabled(item) != FALSE) != on) EnableWindow(item, on);
  };
  enable(IDC_JOB_PAUSE, started && state != BackgroundState::kWaiting);
  const std::string pause = texts_.Text(state == BackgroundState::kPaused ? text::kJobResume : text::kJobPause);
  if (Window(Item(IDC_JOB_PAUSE)).Text() != pause) Window(Item(IDC_JOB_PAUSE)).SetText(pause);
  enable(IDC_JOB_CANCEL, live);
  enable(IDC_JOB_START_NOW, queued);
  enable(IDC_JOB_UP, queued);
  enable(IDC_JOB_DOWN, queued);
  enable(IDC_JOB_REMOVE, queued || (row != nullptr && IsFinished(state)));
  enable(IDC_JOB_CLEAR, anyFinished);
  enable(IDC_JOB_ANSWER, state == BackgroundState::kWaiting && row != nullptr);
  enable(IDC_JOB_REPORT, row != nullptr && IsFinished(state));
  enable(IDC_SKIP_AND_COLLECT, live);
  const UINT check = row != nullptr && row->collect ? BST_CHECKED : BST_UNCHECKED;
  if (IsDlgButtonChecked(Handle(), IDC_SKIP_AND_COLLECT) != check) CheckDlgButton(Handle(), IDC_SKIP_AND_COLLECT, check);
}

LRESULT JobListWindow::OnSelectionChanged(Message&, NMLISTVIEW& change) {
  if (change.uChanged & LVIF_STATE) UpdateButtons();
  return 0;
}

// A double click (or Enter) on a row does what it most needs: puts the
// question it waits with, or shows its report once it has ended.
LRESULT JobListWindow::OnDoubleClick(Message&) {
  if (const BackgroundRow* row = SelectedRow()) {
    const uint64_t key = row->key;
    if (row->state == BackgroundState::kWaiting) {
      (void)jobs_.Answer(key, Handle());
    } else if (IsFinished(row->state)) {
      ShowReport(key);
    }
  }
  Refresh();
  return 0;
}

LRESULT JobListWindow::OnCollect(Message&) {
  const uint64_t key = SelectedKey();
  if (key != 0) jobs_.SetCollect(key, IsDlgButtonChecked(Handle(), IDC_SKIP_AND_COLLECT) == BST_CHECKED);
  Refresh();
  return 0;
}

LRESULT JobListWindow::OnButton(Message& message) {
  if (message.code != BN_CLICKED) return 0;
  const uint64_t key = SelectedKey();
  const BackgroundRow* row = SelectedRow();
  switch (message.id) {
    case IDC_JOB_PAUSE:
      if (row != nullptr) jobs_.Pause(key, row->state != BackgroundState::kPaused);
      break;
    case IDC_JOB_CANCEL: jobs_.Cancel(key); break;
    case IDC_JOB_START_NOW: (void)jobs_.StartNow(key); break;
    case IDC_JOB_UP: (void)jobs_.MoveUp(key); break;
    case IDC_JOB_DOWN: (void)jobs_.MoveDown(key); break;
    case IDC_JOB_REMOVE: (void)jobs_.Remove(key); break;
    case IDC_JOB_CLEAR: jobs_.ClearFinished(); break;
    case IDC_JOB_ANSWER: (void)jobs_.Answer(key, Handle()); break;
    case IDC_JOB_REPORT: ShowReport(key); break;
    default: return 0;
  }
  Refresh();
  return 0;
}

void JobListWindow::ShowReport(uint64_t key) {
  if (key == 0) return;
  RunReportDialog report(texts_, jobs_.Name(key), ReportLines(texts_, jobs_.Problems(key)));
  report.DoModal(Handle());
}

}  // namespace px
