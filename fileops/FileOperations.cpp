#include "fileops/FileOperations.h"

#include <string>
#include <utility>
#include <vector>

#include "core/fileops/OperationText.h"
#include "core/fileops/RunReport.h"
#include "core/language/TextFormat.h"
#include "fileops/BackgroundJobs.h"
#include "fileops/ProgressDialog.h"
#include "fileops/Prompts.h"
#include "fileops/RunReportDialog.h"
#include "fileops/Win32FileSystem.h"
#include "framework/MessageBoxes.h"
#include "panels/PanelPair.h"
#include "res/resource.h"

namespace px {

namespace {

std::string QuestionOf(const LanguageTable& texts, OperationKind kind,
                       const std::vector<std::string>& names) {
  const bool one = names.size() == 1;
  switch (kind) {
    case OperationKind::kDelete:
      return one ? FormatText(texts.Text(text::kDeleteOneQuestion),
                              {"\n", ShortenedName(names[0], kDeleteQuestionLimit)})
                 : FormatText(texts.Text(text::kDeleteManyQuestion),
                              {"\n", static_cast<int>(names.size())});
    case OperationKind::kCopy:
      return one ? FormatText(texts.Text(text::kCopyOneQuestion),
                              {ShortenedName(names[0], kTransferQuestionLimit)})
                 : FormatText(texts.Text(text::kCopyManyQuestion), {static_cast<int>(names.size())});
    case OperationKind::kMove:
      return one ? FormatText(texts.Text(text::kMoveOneQuestion),
                              {ShortenedName(names[0], kTransferQuestionLimit)})
                 : FormatText(texts.Text(text::kMoveManyQuestion), {static_cast<int>(names.size())});
  }
  return std::string();
}

}  // namespace

void RunFileOperation(AppContext& context, PanelPair& panels, OperationKind kind,
                      BackgroundJobs* background) {
  FilePanel& panel = panels.Active();
  const ListView& list = panel.List();
  const std::optional<Selection> selection = panels.TakeSelection(panel);
  if (!selection) return;
  const std::vector<std::string> names = selection->Names();

  const LanguageTable& texts = context.Texts();
  RunRequest request;
  request.kind = kind;
  request.baseFolder = panel.Path();
  request.names = names;
  request.recycle = context.GetOptions().recycle == 1;
  request.verify = context.GetOptions().verify == 1;
  bool toBackground = false;
  bool collect = false;
  if (kind == OperationKind::kDelete) {
    int answer = ShowMessage(context.owner, QuestionOf(texts, kind, names), kProductName,
                             MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) {
      list.Focus();
      return;
    }
  } else {
    TargetPathDialog dialog(texts, &ProbeDrive);
    dialog.question = QuestionOf(texts, kind, names);
    dialog.target = panels.Other(panel).Path();
    dialog.folderImages = panels.FolderImages();
    dialog.driveImages = panels.DriveImages();
    dialog.uiTasks = context.uiTasks;
    dialog.jobs = context.jobs;
    dialog.offerBackground = background != nullptr;
    if (dialog.DoModal(context.owner) != IDOK) {
      list.Focus();
      return;
    }
    toBackground = dialog.background && background != nullptr;
    collect = dialog.collect;
    ResolvedTarget target = ResolveTarget(dialog.target, panel.Path());
    // A target that names files by pattern is no target: nothing is touched.
    if (!target.valid) {
      ShowMessage(context.owner, texts.Text(text::kWildcardTarget), kProductName,
                  MB_OK | MB_ICONEXCLAMATION);
      list.Focus();
      return;
    }
    request.targetFolder = target.targetFolder;
    request.newName = target.newName;
  }

  // Where each cursor goes afterwards: the last selected entry, else the next.
  std::pair<std::string, std::string> remembered[2];
  for (Side side : {Side::kLeft, Side::kRight})
    remembered[static_cast<int>(side)] = panels.Panel(side).LastSelectedAndNextNames();

  // A folder held open by a watch could not go (a platform deletes it only
  // once every handle on it is closed): the watches inside what goes end.
  if (kind != OperationKind::kCopy) panels.ReleaseWatchesUnder(request.baseFolder, names);
  auto broker = std::make_shared<QuestionBroker>(*context.uiTasks, texts);
  auto job = std::make_shared<OperationJob>(std::make_unique<Win32FileSystem>(), request, broker);
  job->SetCollect(collect);
  if (toBackground) {
    // The panels are listed again when it ends; meanwhile the user goes on.
    (void)background->Add(job);
    list.Focus();
    return;
  }
  ProgressDialog::ToBackground sendOff;
  if (background != nullptr) {
    sendOff = [background, job](JobId running) {
      (void)background->Adopt(job, running);
      return true;
    };
  }
  ProgressDialog progress(context, *context.jobs, job, sendOff);
  if (progress.DoModal(context.owner) == IDC_BACKGROUND) {
    list.Focus();
    return;
  }

  // Entries done are let go; those not done stay selected.
  const RunResult result = job->Result();
  std::vector<std::string> letGo;
  for (size_t i = 0; i < names.size() && i < result.entries.size(); ++i) {
    if (result.entries[i] == EntryOutcome::kDone || result.entries[i] == EntryOutcome::kGone)
      letGo.push_back(names[i]);
  }
  panel.SetSelected(letGo, false);
  // Problems skipped while the run went on alone are listed now.
  if (job->Collecting() && !result.problems.empty()) {
    RunReportDialog report(texts, QuestionOf(texts, kind, names), ReportLines(texts, result.problems));
    report.DoModal(context.owner);
  }
  for (Side side : {Side::kLeft, Side::kRight}) {
    FilePanel& each = panels.Panel(side);
    bool listShown = !each.Tree().IsVisible();
    if (kind != OperationKind::kDelete && !listShown) continue;
    const auto& [preferred, fallback] = remembered[static_cast<int>(side)];
    each.RefreshPanel(context.ShowHidden(), context.owner, preferred, fallback);
  }
  list.Focus();
}

}  // namespace px
