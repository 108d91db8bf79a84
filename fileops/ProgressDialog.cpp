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
};

ProgressDialog::ProgressDialog(AppContext& context, JobRunner& runner,
                               std::shared_ptr<ShownJob> job)
    : Dialog(IDD_PROGRESS), context_(context), runner_(runner), job_(std::move(job)) {}

ProgressDialog::~ProgressDialog() {
  alive_.reset();
  // Whatever ended the window, the run stops at its next check and asks
  // nothing more; the runner waits for it, not the window.
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

void ProgressDialog::ApplyLayout(ProgressLayout layout) {
  auto place = [this](int id, int x, int y, int width, int height) {
    MoveWindow(Item(id), x, y, width, height, TRUE);
  };
  RECT frame;
  GetWindowRect(Handle(), &frame);
  switch (layout) {
    case ProgressLayout::kDelete:
      for (int id : {IDC_PROGRESS_TARGET_LABEL, IDC_PROGRESS_TARGET, IDC_PROGRESS_FILE_BAR})
        ShowWindow(Item(id), SW_HIDE);
      place(IDC_PROGRESS_OVERALL_BAR, 8, 48, 368, 24);
      place(IDCANCEL, 150, 80, 83, 24);
      SetWindowPos(Handle(), nullptr, 0, 0, 392, 138, SWP_NOMOVE | SWP_NOZORDER);
      break;
    case ProgressLayout::kSingleFile:
      ShowWindow(Item(IDC_PROGRESS_OVERALL_BAR), SW_HIDE);
      place(IDCANCEL, 150, 112, 83, 24);
      SetWindowPos(Handle(), nullptr, 0, 0, 392, 168, SWP_NOMOVE | SWP_NOZORDER);
      break;
    case ProgressLayout::kBothBars:
      break;
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
