#include "fileops/FileOperations.h"

#include <string>
#include <utility>
#include <vector>

#include "core/fileops/OperationText.h"
#include "core/language/TextFormat.h"
#include "fileops/ProgressDialog.h"
#include "fileops/Prompts.h"
#include "fileops/Win32FileSystem.h"
#include "framework/MessageBoxes.h"
#include "panels/PanelPair.h"

namespace px {

namespace {

// The selected rows of a list, in list order.
std::vector<int> SelectedRows(const ListView& list) {
  std::vector<int> rows;
  for (int row = list.NextItem(-1, LVNI_SELECTED); row >= 0; row = list.NextItem(row, LVNI_SELECTED))
    rows.push_back(row);
  return rows;
}

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

void RunFileOperation(AppContext& context, PanelPair& panels, OperationKind kind) {
  FilePanel& panel = panels.Active();
  const ListView& list = panel.List();
  if (!panels.CheckSelection(panel)) return;

  // The parent entry is never acted on.
  const EntryTable& table = panel.Table();
  if (table.RowCount() > 0 && table.AtRow(0).IsParent() &&
      (list.ItemState(0, LVIS_SELECTED) & LVIS_SELECTED))
    list.SetItemState(0, 0, LVIS_SELECTED | LVIS_FOCUSED);
  std::vector<int> rows = SelectedRows(list);
  std::vector<std::string> names;
  for (int row : rows) names.push_back(table.AtRow(static_cast<size_t>(row)).name);
  if (names.empty()) return;

  const LanguageTable& texts = context.Texts();
  RunRequest request;
  request.kind = kind;
  request.baseFolder = panel.Path();
  request.names = names;
  request.recycle = context.GetOptions().recycle == 1;
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
    if (dialog.DoModal(context.owner) != IDOK) {
      list.Focus();
      return;
    }
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

  auto broker = std::make_shared<QuestionBroker>(*context.uiTasks, texts);
  auto job = std::make_shared<OperationJob>(std::make_unique<Win32FileSystem>(), request, broker);
  ProgressDialog progress(context, *context.jobs, job);
  progress.DoModal(context.owner);

  // Entries done are let go; those not done stay selected.
  const RunResult result = job->Result();
  for (size_t i = 0; i < rows.size() && i < result.entries.size(); ++i) {
    EntryOutcome outcome = result.entries[i];
    if (outcome == EntryOutcome::kDone || outcome == EntryOutcome::kGone)
      list.SetItemState(rows[i], 0, LVIS_SELECTED);
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
