#include "fileops/ProgressDialog.h"

#include "core/language/TextFormat.h"

#include <commctrl.h>

#include <condition_variable>
#include <mutex>

#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "fileops/Prompts.h"
#include "res/resource.h"

namespace px {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;


}  // namespace

// The engine's questions, asked on the UI thread. The worker posts the
// question and waits; the answer comes back through the shared state, which
// outlives the dialog, so that a question still queued when the dialog is
// gone is answered "stop" and never touches it.
class ProgressDialog::WindowPrompts : public OperationPrompts,
                                      public std::enable_shared_from_this<WindowPrompts> {
 public:
  WindowPrompts(UiTaskQueue& tasks, const LanguageTable& texts) : tasks_(tasks), texts_(texts) {}

  // beforeAsking runs on the UI thread just before each question, so that
  // the window behind it shows where the run stands.
  void SetOwner(HWND owner, std::function<void()> beforeAsking) {
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = owner;
    beforeAsking_ = std::move(beforeAsking);
  }
  // No more questions: the waiting one and every later one gets the default.
  void Abandon() {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    answered_.notify_all();
  }

  PromptAnswer AskOverwrite(const OverwriteQuestion& question) override {
    return Ask<PromptAnswer>(PromptAnswer::kCancel, [question](HWND owner,
                                                               const LanguageTable& texts) {
      OverwritePrompt prompt(texts, question);
      return prompt.DoModal(owner) < 0 ? PromptAnswer::kCancel : prompt.answer;
    });
  }
  PromptAnswer AskReadOnly(ReadOnlyCase question, const std::string& path) override {
    return Ask<PromptAnswer>(PromptAnswer::kCancel, [question, path](HWND owner,
                                                                     const LanguageTable& texts) {
      ReadOnlyPrompt prompt(texts, question, path);
      return prompt.DoModal(owner) < 0 ? PromptAnswer::kCancel : prompt.answer;
    });
  }
  FailureAnswer AskFailure(FailureCase question, const std::string& path) override {
    return Ask<FailureAnswer>(FailureAnswer::kStop, [question, path](HWND owner,
                                                                     const LanguageTable& texts) {
      FailurePrompt prompt(texts, question, path);
      return prompt.DoModal(owner) < 0 ? FailureAnswer::kStop : prompt.answer;
    });
  }
  void ShowMessage(RunMessage message, const std::string& path) override {
    Ask<int>(0, [message, path](HWND owner, const LanguageTable& texts) {
      // Texts that name the entry concerned hold a %s for it.
      px::ShowMessage(owner, FormatText(texts.Text(TextOf(message)), {path}), kProductName,
                      MB_OK | MB_ICONEXCLAMATION);
      return 0;
    });
  }

 private:
  // Runs ask on the UI thread and waits for its answer; fallback when the
  // question cannot be asked any more.
  template <typename Answer, typename Asking>
  Answer Ask(Answer fallback, Asking ask) {
    auto self = shared_from_this();
    auto answer = std::make_shared<Answer>(fallback);
    auto done = std::make_shared<bool>(false);
    bool posted = tasks_.Post([self, answer, done, ask] {
      HWND owner;
      std::function<void()> beforeAsking;
      {
        std::lock_guard<std::mutex> lock(self->mutex_);
        if (self->abandoned_) return;
        owner = self->owner_;
        beforeAsking = self->beforeAsking_;
      }
      if (beforeAsking) beforeAsking();
      Answer given = ask(owner, self->texts_);
      std::lock_guard<std::mutex> lock(self->mutex_);
      *answer = given;
      *done = true;
      self->answered_.notify_all();
    });
    if (!posted) return fallback;
    std::unique_lock<std::mutex> lock(mutex_);
    answered_.wait(lock, [&] { return *done || abandoned_; });
    return *done ? *answer : fallback;
  }

  UiTaskQueue& tasks_;
  const LanguageTable& texts_;
  std::mutex mutex_;
  std::condition_variable answered_;
  HWND owner_ = nullptr;
  std::function<void()> beforeAsking_;
  bool abandoned_ = false;
};

struct ProgressRoutes {
  static const Route<ProgressDialog> kRoutes[];
};
const Route<ProgressDialog> ProgressRoutes::kRoutes[] = {
    {OnMessage(WM_TIMER), &ProgressDialog::OnTimer},
};

ProgressDialog::ProgressDialog(AppContext& context, FileSystem& fs, RunRequest request)
    : Dialog(IDD_PROGRESS),
      context_(context),
      request_(std::move(request)),
      prompts_(std::make_shared<WindowPrompts>(*context.uiTasks, context.Texts())),
      engine_(std::make_unique<FileOperationEngine>(fs, *prompts_)) {}

ProgressDialog::~ProgressDialog() {
  alive_.reset();
  // Whatever ended the window, the run must not outlive it.
  engine_->RequestCancel();
  prompts_->Abandon();
  if (worker_.joinable()) worker_.join();
}

bool ProgressDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(ProgressRoutes::kRoutes, message, result);
}

BOOL ProgressDialog::OnInitDialog() {
  const LanguageTable& texts = context_.Texts();
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kProgressCancel));
  TextId source = text::kProgressDeleting, target = text::kProgressCopyTo;
  if (request_.kind == OperationKind::kCopy) source = text::kProgressCopying;
  if (request_.kind == OperationKind::kMove) {
    source = text::kProgressMoving;
    target = text::kProgressMoveTo;
  }
  Window(Item(IDC_PROGRESS_SOURCE_LABEL)).SetText(texts.Text(source));
  Window(Item(IDC_PROGRESS_TARGET_LABEL)).SetText(texts.Text(target));
  for (int bar : {IDC_PROGRESS_FILE_BAR, IDC_PROGRESS_OVERALL_BAR})
    SendDlgItemMessageW(Handle(), bar, PBM_SETRANGE32, 0, kBarRange);
  if (request_.kind == OperationKind::kDelete) ApplyLayout(ProgressLayout::kDelete);
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  ShowWindow(Handle(), SW_SHOW);

  prompts_->SetOwner(Handle(), [this] { Refresh(); });
  SetTimer(Handle(), kRefreshTimer, kRefreshMilliseconds, nullptr);
  std::weak_ptr<bool> alive = alive_;
  worker_ = std::thread([this, alive] {
    workerResult_ = engine_->Run(request_);
    // The dialog ends on the UI thread once the run is over; if it is gone
    // already, the task finds nothing to do.
    [[maybe_unused]] bool posted = context_.uiTasks->Post([this, alive] {
      if (alive.lock()) Finish();
    });
  });
  return TRUE;
}

void ProgressDialog::Finish() {
  if (IsEnded() || Handle() == nullptr) return;
  KillTimer(Handle(), kRefreshTimer);
  if (worker_.joinable()) worker_.join();
  result_ = workerResult_;
  EndDialog(IDOK);
}

void ProgressDialog::OnCancel() {
  // The run stops at its next check and says so; the window closes then.
  engine_->RequestCancel();
}

LRESULT ProgressDialog::OnTimer(Message& message) {
  if (message.wParam == kRefreshTimer) Refresh();
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
  ProgressSnapshot now = engine_->Progress();
  if (!layoutApplied_ && now.phase != RunPhase::kCounting) {
    layoutApplied_ = true;
    if (request_.kind != OperationKind::kDelete) ApplyLayout(now.layout);
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
