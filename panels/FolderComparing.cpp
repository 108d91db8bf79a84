#include "panels/FolderComparing.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

#include "core/jobs/JobGate.h"
#include "core/language/TextFormat.h"
#include "core/panel/EntryText.h"
#include "core/panel/TreeCompare.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"
#include "panels/PanelPair.h"
#include "panels/Win32DirectorySource.h"
#include "res/resource.h"

namespace px {
namespace {

// A comparison this quick shows no progress window: it would only flash.
constexpr std::chrono::milliseconds kQuietWait{60};
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMilliseconds = 50;
constexpr int kBarRange = 1000;

// --- The options ---------------------------------------------------------

class CompareOptionsDialog : public Dialog {
 public:
  CompareOptionsDialog(Options& options, const LanguageTable& texts)
      : Dialog(IDD_COMPARE), options_(options), texts_(texts) {}

 protected:
  BOOL OnInitDialog() override {
    Window(Handle()).SetText(texts_.Text(text::kCompareTitle));
    for (const auto& [id, textId, value] : Checks()) {
      Window(Item(id)).SetText(texts_.Text(textId));
      CheckDlgButton(Handle(), id, *value == 1 ? BST_CHECKED : BST_UNCHECKED);
    }
    Window(Item(IDOK)).SetText(texts_.Text(text::kMaskOk));
    Window(Item(IDCANCEL)).SetText(texts_.Text(text::kMaskCancel));
    CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
    return TRUE;
  }
  bool RouteMessage(Message&, LRESULT&) override { return false; }
  void OnOK() override {
    for (const auto& [id, textId, value] : Checks())
      *value = IsDlgButtonChecked(Handle(), id) == BST_CHECKED ? 1 : 0;
    EndDialog(IDOK);
  }

 private:
  struct Check {
    int id;
    TextId text;
    int* value;
  };
  std::array<Check, 3> Checks() const {
    return {{{IDC_COMPARE_BY_SIZE, text::kCompareBySize, &options_.compareBySize},
             {IDC_COMPARE_BY_CONTENT, text::kCompareByContent, &options_.compareByContent},
             {IDC_COMPARE_SUBFOLDERS, text::kCompareSubfolders, &options_.compareSubfolders}}};
  }

  Options& options_;
  const LanguageTable& texts_;
};

// --- Reading files -------------------------------------------------------

class OpenedFileReader : public ByteReader {
 public:
  explicit OpenedFileReader(FileHandle handle) : handle_(std::move(handle)) {}
  std::optional<size_t> Read(void* buffer, size_t size) override {
    const ReadAtResult read = ReadAt(handle_.Get(), offset_, buffer, size);
    if (read.error != 0) return std::nullopt;
    offset_ += read.bytes;
    return read.bytes;
  }

 private:
  FileHandle handle_;
  uint64_t offset_ = 0;
};

class PlatformFiles : public ReaderSource {
 public:
  std::unique_ptr<ByteReader> Open(const std::string& path) override {
    FileToRead opened = OpenFileToRead(path);
    if (!opened.handle) return nullptr;
    return std::make_unique<OpenedFileReader>(std::move(opened.handle));
  }
};

// --- The job -------------------------------------------------------------

class CompareJob : public Job {
 public:
  explicit CompareJob(PanelCompareRequest request) : request_(std::move(request)) {}

  JobState Run() override {
    QuietDriveErrors quiet;
    Win32DirectorySource folders;
    PlatformFiles files;
    PanelCompareOutcome outcome = ComparePanels(
        request_, &folders, &files, [this] { return gate_.Pass(); },
        [this](const PanelCompareProgress& now) {
          std::lock_guard<std::mutex> lock(mutex_);
          progress_ = now;
        });
    const bool stopped = outcome.stopped;
    std::lock_guard<std::mutex> lock(mutex_);
    outcome_ = std::move(outcome);
    return stopped ? JobState::kCancelled : JobState::kDone;
  }
  void Cancel() override { gate_.Cancel(); }

  PanelCompareProgress Progress() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
  }
  // Once the job has ended.
  PanelCompareOutcome Outcome() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_;
  }

 private:
  const PanelCompareRequest request_;
  JobGate gate_;
  mutable std::mutex mutex_;
  PanelCompareProgress progress_;
  PanelCompareOutcome outcome_ = Unfinished();

  static PanelCompareOutcome Unfinished() {
    PanelCompareOutcome outcome;
    outcome.stopped = true;
    return outcome;
  }
};

// --- Its progress --------------------------------------------------------

// Shows the folder being read, then the bytes compared, on a timer; closes
// (IDOK) when the runner has recorded the job's end. Cancel or Esc stops the
// job and closes at once (IDCANCEL): the job ends at its next check, and
// what it found is not used.
class CompareProgressDialog : public Dialog {
 public:
  CompareProgressDialog(const LanguageTable& texts, JobRunner& runner,
                        std::shared_ptr<CompareJob> job, JobId id)
      : Dialog(IDD_COMPARE_PROGRESS), texts_(texts), runner_(runner), job_(std::move(job)), id_(id) {}

 protected:
  BOOL OnInitDialog() override {
    Window(Handle()).SetText(texts_.Text(text::kCompareTitle));
    Window(Item(IDCANCEL)).SetText(texts_.Text(text::kProgressCancel));
    // A long folder path gives up its middle, not its end.
    Window(Item(IDC_COMPARE_PROGRESS_TEXT)).ModifyStyle(0, SS_PATHELLIPSIS);
    SendDlgItemMessageW(Handle(), IDC_COMPARE_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
    Refresh();
    CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
    SetTimer(Handle(), kRefreshTimer, kRefreshMilliseconds, nullptr);
    return TRUE;
  }
  bool RouteMessage(Message& message, LRESULT&) override {
    if (message.message != WM_TIMER || message.wParam != kRefreshTimer) return false;
    if (runner_.Ended(id_)) {
      KillTimer(Handle(), kRefreshTimer);
      EndDialog(IDOK);
    } else {
      Refresh();
    }
    return true;
  }
  void OnOK() override {}
  void OnCancel() override {
    KillTimer(Handle(), kRefreshTimer);
    runner_.Cancel(id_);
    EndDialog(IDCANCEL);
  }

 private:
  // Only what changed is drawn: a visible bar's update is slow under Wine.
  void Refresh() {
    const PanelCompareProgress now = job_->Progress();
    const std::string text =
        !now.folder.empty()
            ? now.folder
            : FormatText(texts_.Text(text::kCompareProgress),
                         {SizeText(std::min(now.bytesDone, now.bytesTotal)), SizeText(now.bytesTotal)});
    if (text != shownText_) {
      Window(Item(IDC_COMPARE_PROGRESS_TEXT)).SetText(text);
      shownText_ = text;
    }
    const int bar = now.bytesTotal == 0
                        ? 0
                        : static_cast<int>(static_cast<double>(std::min(now.bytesDone, now.bytesTotal)) /
                                           static_cast<double>(now.bytesTotal) * kBarRange);
    if (bar != shownBar_) {
      SendDlgItemMessageW(Handle(), IDC_COMPARE_PROGRESS_BAR, PBM_SETPOS, bar, 0);
      shownBar_ = bar;
    }
  }

  const LanguageTable& texts_;
  JobRunner& runner_;
  std::shared_ptr<CompareJob> job_;
  JobId id_;
  std::string shownText_ = "\x01";
  int shownBar_ = -1;
};

// Runs the comparison as a job; nothing when it was stopped or could not run.
std::optional<PanelCompareOutcome> RunAsJob(AppContext& context, PanelCompareRequest request) {
  if (context.jobs == nullptr) return std::nullopt;
  JobRunner& runner = *context.jobs;
  auto job = std::make_shared<CompareJob>(std::move(request));
  // Whoever stops waiting first, the record goes once the job has ended.
  auto started = std::make_shared<JobId>(0);
  const JobId id = runner.Start(
      job, [&runner, started](JobState) { if (*started != 0) runner.Forget(*started); },
      JobKind::kWork);
  if (id == 0) return std::nullopt;
  *started = id;
  if (!runner.Wait(id, kQuietWait)) {
    CompareProgressDialog progress(context.Texts(), runner, job, id);
    if (progress.DoModal(context.owner) != IDOK) {
      runner.Cancel(id);
      return std::nullopt;
    }
  }
  PanelCompareOutcome outcome = job->Outcome();
  if (outcome.stopped) return std::nullopt;
  return outcome;
}

// Marks the compared entries in a panel. Its folder may have been listed
// again meanwhile (a change on disk): the marks then go to the entries of
// the same names; a panel showing another folder by now is left alone.
void MarkCompared(FilePanel& panel, const std::string& folder, const EntryTable& compared,
                  const std::vector<size_t>& marks) {
  if (panel.Path() != folder) return;
  const EntryTable& now = panel.Table();
  bool same = now.entries.size() == compared.entries.size();
  for (size_t i = 0; same && i < marks.size(); ++i)
    same = now.entries[marks[i]].name == compared.entries[marks[i]].name;
  if (same) {
    panel.MarkOnly(marks);
    return;
  }
  std::unordered_map<std::string, size_t> byName;
  byName.reserve(now.entries.size());
  for (size_t i = 0; i < now.entries.size(); ++i)
    if (!now.entries[i].IsParent()) byName.emplace(now.entries[i].name, i);
  std::vector<size_t> found;
  for (size_t mark : marks) {
    const auto it = byName.find(compared.entries[mark].name);
    if (it != byName.end()) found.push_back(it->second);
  }
  panel.MarkOnly(found);
}

}  // namespace

size_t CompareBothPanels(AppContext& context, PanelPair& panels) {
  Options& options = context.GetOptions();
  {
    CompareOptionsDialog dialog(options, context.Texts());
    if (dialog.DoModal(context.owner) != IDOK) return 0;
  }
  const LanguageTable& texts = context.Texts();
  FilePanel& left = panels.Panel(Side::kLeft);
  FilePanel& right = panels.Panel(Side::kRight);

  PanelCompareRequest request;
  request.leftFolder = left.Path();
  request.rightFolder = right.Path();
  request.left = left.Table();
  request.right = right.Table();
  request.subfolders = options.compareSubfolders == 1;
  request.showHiddenSystem = context.ShowHidden();
  request.options.timeTolerance = kFatTimeTolerance;
  request.options.bySize = options.compareBySize == 1;
  request.options.contentCandidates = options.compareByContent == 1;

  std::optional<PanelCompareOutcome> outcome;
  if (request.Reads()) {
    outcome = RunAsJob(context, request);
  } else {
    outcome = ComparePanels(request, nullptr, nullptr);
  }
  if (!outcome) {
    ShowMessage(context.owner, texts.Text(text::kCompareStopped), kProductName,
                MB_OK | MB_ICONINFORMATION);
    return 0;
  }

  MarkCompared(left, request.leftFolder, request.left, outcome->markLeft);
  MarkCompared(right, request.rightFolder, request.right, outcome->markRight);
  std::string message;
  if (outcome->markLeft.empty() && outcome->markRight.empty()) {
    message = texts.Text(text::kCompareEqual);
  } else {
    message = FormatText(texts.Text(request.subfolders ? text::kCompareTreesDiffer : text::kCompareDiffer),
                         {outcome->differing});
  }
  if (outcome->unreadable != 0)
    message += "\n" + FormatText(texts.Text(text::kCompareUnreadable), {outcome->unreadable});
  ShowMessage(context.owner, message, kProductName, MB_OK | MB_ICONINFORMATION);
  return static_cast<size_t>(outcome->differing);
}

}  // namespace px
