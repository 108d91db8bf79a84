#include "fileops/ProgressDialog.h"

#include "core/language/TextFormat.h"

#include <commctrl.h>

#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "res/resource.h"

namespace px {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;


}  // namespace

struct ProgressRoutes {
  static const Route<ProgressDialog> kRoutes[];
};
const Route<ProgressDialog> ProgressRoutes::kRoutes[] = {
    {OnMessage(WM_TIMER), &ProgressDialog::OnTimer},
    {OnCommand(IDC_BACKGROUND, BN_CLICKED), &ProgressDialog::OnBackground},
    {OnCommand(IDC_SKIP_AND_COLLECT, BN_CLICKED), &ProgressDialog::OnCollect},
};

ProgressDialog::ProgressDialog(AppContext& context, JobRunner& runner,
                               std::shared_ptr<ShownJob> job, ToBackground toBackground)
    : Dialog(IDD_PROGRESS), context_(context), runner_(runner), job_(std::move(job)),
      toBackground_(std::move(toBackground)) {}

ProgressDialog::~ProgressDialog() {
  alive_.reset();
  // Sent to the background: the job goes on there.
  if (sentToBackground_) return;
  // Whatever else ended the window, the run stops at its next check and
  // asks nothing more; the runner waits for it, not the window.
  if (QuestionBroker* broker = job_->Broker()) broker->Abandon();
  if (id_ != 0 && !runner_.Ended(id_)) runner_.Cancel(id_);
}

bool ProgressDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(ProgressRoutes::kRoutes, message, result);
}

BOOL ProgressDialog::OnInitDialog() {
  const LanguageTable& texts = context_.Texts();
  const ProgressLabels labels = job_->Labels();
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kProgressCancel));
  Window(Item(IDC_PROGRESS_SOURCE_LABEL)).SetText(texts.Text(labels.source));
  Window(Item(IDC_PROGRESS_TARGET_LABEL)).SetText(texts.Text(labels.target));
  Window(Item(IDC_BACKGROUND)).SetText(texts.Text(text::kBackground));
  Window(Item(IDC_SKIP_AND_COLLECT)).SetText(texts.Text(text::kSkipAndCollect));
  CheckDlgButton(Handle(), IDC_SKIP_AND_COLLECT, job_->Collecting() ? BST_CHECKED : BST_UNCHECKED);
  if (!job_->CanCollect()) ShowWindow(Item(IDC_SKIP_AND_COLLECT), SW_HIDE);
  if (!toBackground_) ShowWindow(Item(IDC_BACKGROUND), SW_HIDE);
  PlaceButtons();
  for (int bar : {IDC_PROGRESS_FILE_BAR, IDC_PROGRESS_OVERALL_BAR})
    SendDlgItemMessageW(Handle(), bar, PBM_SETRANGE32, 0, kBarRange);
  if (labels.oneBar) ApplyLayout(ProgressLayout::kDelete);
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  ShowWindow(Handle(), SW_SHOW);

  if (QuestionBroker* broker = job_->Broker()) broker->SetOwner(Handle(), [this] { Refresh(); });
  SetTimer(Handle(), kRefreshTimer, kRefreshMilliseconds, nullptr);
  std::weak_ptr<bool> alive = alive_;
  id_ = runner_.Start(job_, [this, alive](JobState) {
    if (alive.lock()) Finish();
  });
  // No thread to be had: the run never started, and nothing was touched.
  if (id_ == 0) Finish();
  return TRUE;
}

void ProgressDialog::Finish() {
  if (IsEnded() || Handle() == nullptr) return;
  KillTimer(Handle(), kRefreshTimer);
  runner_.Forget(id_);
  EndDialog(IDOK);
}

LRESULT ProgressDialog::OnBackground(Message&) {
  if (!toBackground_ || id_ == 0 || IsEnded() || runner_.Ended(id_)) return 0;
  if (!toBackground_(id_)) return 0;
  // The job is the background's now: the window lets go of it and closes;
  // its questions wait in the job list (no question was open: it would
  // have held this window).
  if (QuestionBroker* broker = job_->Broker()) broker->SetOwner(nullptr, {});
  KillTimer(Handle(), kRefreshTimer);
  sentToBackground_ = true;
  alive_.reset();
  EndDialog(IDC_BACKGROUND);
  return 0;
}

LRESULT ProgressDialog::OnCollect(Message&) {
  job_->SetCollect(IsDlgButtonChecked(Handle(), IDC_SKIP_AND_COLLECT) == BST_CHECKED);
  return 0;
}

void ProgressDialog::OnCancel() {
  // The run stops at its next check and says so; the window closes then.
  if (id_ != 0) runner_.Cancel(id_);
}

LRESULT ProgressDialog::OnTimer(Message& message) {
  if (message.wParam != kRefreshTimer) return 0;
  Refresh();
  // The runner's record of the end is what closes the window.
  if (id_ != 0 && runner_.Ended(id_)) Finish();
  return 0;
}

// The buttons share the window's foot, centred: Background only when offered.
void ProgressDialog::PlaceButtons() {
  RECT client, cancel;
  GetClientRect(Handle(), &client);
  GetWindowRect(Item(IDCANCEL), &cancel);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&cancel), 2);
  const int width = cancel.right - cancel.left, height = cancel.bottom - cancel.top;
  const int gap = width / 10;
  if (toBackground_) {
    const int left = (client.right - 2 * width - gap) / 2;
    MoveWindow(Item(IDC_BACKGROUND), left, cancel.top, width, height, TRUE);
    MoveWindow(Item(IDCANCEL), left + width + gap, cancel.top, width, height, TRUE);
  } else {
    MoveWindow(Item(IDCANCEL), (client.right - width) / 2, cancel.top, width, height, TRUE);
  }
}

// A bar the run does not need is hidden; what lies below it moves up by its
// place, and the window shrinks as much.
void ProgressDialog::ApplyLayout(ProgressLayout layout) {
  auto top = [this](int id) {
    RECT rect;
    GetWindowRect(Item(id), &rect);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  auto shiftUp = [this, &top](std::initializer_list<int> ids, int by) {
    for (int id : ids) {
      RECT rect = top(id);
      MoveWindow(Item(id), rect.left, rect.top - by, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }
  };
  const int barStep = top(IDC_PROGRESS_OVERALL_BAR).top - top(IDC_PROGRESS_FILE_BAR).top;
  int removed = 0;
  switch (layout) {
    case ProgressLayout::kDelete: {
      for (int id : {IDC_PROGRESS_TARGET_LABEL, IDC_PROGRESS_TARGET, IDC_PROGRESS_FILE_BAR})
        ShowWindow(Item(id), SW_HIDE);
      // The overall bar takes the target's lines and the file bar's place.
      const int to = top(IDC_PROGRESS_TARGET_LABEL).top;
      removed = top(IDC_PROGRESS_OVERALL_BAR).top - to;
      shiftUp({IDC_PROGRESS_OVERALL_BAR, IDC_SKIP_AND_COLLECT, IDC_BACKGROUND, IDCANCEL}, removed);
      break;
    }
    case ProgressLayout::kSingleFile:
      ShowWindow(Item(IDC_PROGRESS_OVERALL_BAR), SW_HIDE);
      removed = barStep;
      shiftUp({IDC_SKIP_AND_COLLECT, IDC_BACKGROUND, IDCANCEL}, removed);
      break;
    case ProgressLayout::kBothBars:
      break;
  }
  if (removed > 0) {
    RECT frame;
    GetWindowRect(Handle(), &frame);
    SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top - removed,
                 SWP_NOMOVE | SWP_NOZORDER);
  }
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
}

void ProgressDialog::Refresh() {
  ProgressSnapshot now = job_->Progress();
  if (!layoutApplied_ && now.phase != RunPhase::kCounting) {
    layoutApplied_ = true;
    if (!job_->Labels().oneBar) ApplyLayout(now.layout);
  }
  // Only what changed is drawn: a visible bar update is slow under Wine.
  if (now.source != shown_.source) Window(Item(IDC_PROGRESS_SOURCE)).SetText(now.source);
  if (now.target != shown_.target) Window(Item(IDC_PROGRESS_TARGET)).SetText(now.target);
  if (now.fileBar != shown_.fileBar)
    SendDlgItemMessageW(Handle(), IDC_PROGRESS_FILE_BAR, PBM_SETPOS, now.fileBar, 0);
  if (now.overallBar != shown_.overallBar)
    SendDlgItemMessageW(Handle(), IDC_PROGRESS_OVERALL_BAR, PBM_SETPOS, now.overallBar, 0);
  shown_ = std::move(now);
}

}  // namespace px
