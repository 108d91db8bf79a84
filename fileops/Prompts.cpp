#include "fileops/Prompts.h"

#include "core/fileops/OperationText.h"
#include "framework/Controls.h"
#include "framework/FileSystemApi.h"
#include "framework/FolderChooser.h"
#include "res/resource.h"

namespace px {

namespace {

// The last-write time in local time, as 100 ns units since 1601.
uint64_t LocalFileTime(uint64_t utc) {
  FILETIME in{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
  SYSTEMTIME utcTime{}, localTime{};
  FILETIME out{};
  if (!FileTimeToSystemTime(&in, &utcTime) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime) ||
      !SystemTimeToFileTime(&localTime, &out))
    return utc;
  return FromFileTime(out);
}

void SetItemText(const Dialog& dialog, int id, const std::string& text) {
  Window(dialog.Item(id)).SetText(text);
}

PromptAnswer AnswerOfButton(UINT id) {
  switch (id) {
    case IDC_ANSWER_ALL: return PromptAnswer::kProceedAll;
    case IDC_ANSWER_SKIP: return PromptAnswer::kSkip;
    case IDC_ANSWER_SKIP_ALL: return PromptAnswer::kSkipAll;
    default: return PromptAnswer::kCancel;
  }
}

}  // namespace

struct AnswerRoutes {
  static const Route<ChoicePrompt> kChoice[];
  static const Route<FailurePrompt> kFailure[];
};

const Route<ChoicePrompt> AnswerRoutes::kChoice[] = {
    {OnCommand(IDC_ANSWER_ALL, BN_CLICKED), &ChoicePrompt::OnAnswer},
    {OnCommand(IDC_ANSWER_SKIP, BN_CLICKED), &ChoicePrompt::OnAnswer},
    {OnCommand(IDC_ANSWER_SKIP_ALL, BN_CLICKED), &ChoicePrompt::OnAnswer},
};
const Route<FailurePrompt> AnswerRoutes::kFailure[] = {
    {OnCommand(IDC_ANSWER_RETRY, BN_CLICKED), &FailurePrompt::OnRetry},
};

// Both choice questions.

bool ChoicePrompt::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(AnswerRoutes::kChoice, message, result);
}

void ChoicePrompt::SetButtonTexts(const TextId (&texts)[5]) {
  static const int kButtons[5] = {IDOK, IDC_ANSWER_ALL, IDC_ANSWER_SKIP, IDC_ANSWER_SKIP_ALL,
                                  IDCANCEL};
  for (int i = 0; i < 5; ++i) SetItemText(*this, kButtons[i], texts_.Text(texts[i]));
}

void ChoicePrompt::OnOK() {
  answer = PromptAnswer::kProceed;
  EndDialog(IDOK);
}

void ChoicePrompt::OnCancel() {
  answer = PromptAnswer::kCancel;
  EndDialog(IDCANCEL);
}

LRESULT ChoicePrompt::OnAnswer(Message& message) {
  answer = AnswerOfButton(message.id);
  EndDialog(IDOK);
  return 0;
}

// The overwrite question.

OverwritePrompt::OverwritePrompt(const LanguageTable& texts, const OverwriteQuestion& question)
    : ChoicePrompt(IDD_OVERWRITE, texts), question_(question) {}

BOOL OverwritePrompt::OnInitDialog() {
  SetItemText(*this, IDC_OVERWRITE_TARGET, texts_.Text(text::kOverwriteTheFile) + question_.target);
  SetItemText(*this, IDC_OVERWRITE_TARGET_FACTS,
              SizeAndDateLine(question_.targetSize, LocalFileTime(question_.targetWriteTime)));
  SetItemText(*this, IDC_QUESTION_LINE,
              texts_.Text(text::kOverwriteWithFile) + question_.source + "?");
  SetItemText(*this, IDC_OVERWRITE_SOURCE_FACTS,
              SizeAndDateLine(question_.sourceSize, LocalFileTime(question_.sourceWriteTime)));
  SetButtonTexts({text::kOverwrite, text::kOverwriteAll, text::kOverwriteSkip,
                  text::kOverwriteSkipAll, text::kOverwriteCancel});
  return TRUE;
}

// The read-only question.

ReadOnlyPrompt::ReadOnlyPrompt(const LanguageTable& texts, ReadOnlyCase question, std::string path)
    : ChoicePrompt(IDD_READ_ONLY, texts), question_(question), path_(std::move(path)) {}

BOOL ReadOnlyPrompt::OnInitDialog() {
  SetItemText(*this, IDC_QUESTION_LINE, texts_.Text(text::kReadOnlyFile) + path_);
  SetItemText(*this, IDC_QUESTION_TEXT, texts_.Text(TextOf(question_)));
  SetButtonTexts({text::kReadOnlyYes, text::kReadOnlyYesAll, text::kReadOnlyNo,
                  text::kReadOnlyNoAll, text::kReadOnlyCancel});
  return TRUE;
}

// The failure question.

FailurePrompt::FailurePrompt(const LanguageTable& texts, FailureCase question, std::string path)
    : Dialog(IDD_FAILURE), texts_(texts), question_(question), path_(std::move(path)) {}

bool FailurePrompt::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(AnswerRoutes::kFailure, message, result);
}

BOOL FailurePrompt::OnInitDialog() {
  SetItemText(*this, IDC_QUESTION_TEXT, texts_.Text(TextOf(question_)));
  SetItemText(*this, IDC_QUESTION_LINE, path_);
  SetItemText(*this, IDOK, texts_.Text(text::kFailureSkip));
  SetItemText(*this, IDC_ANSWER_RETRY, texts_.Text(text::kFailureRetry));
  SetItemText(*this, IDCANCEL, texts_.Text(text::kFailureStop));
  return TRUE;
}

void FailurePrompt::OnOK() {
  answer = FailureAnswer::kSkip;
  EndDialog(IDOK);
}

void FailurePrompt::OnCancel() {
  answer = FailureAnswer::kStop;
  EndDialog(IDCANCEL);
}

LRESULT FailurePrompt::OnRetry(Message&) {
  answer = FailureAnswer::kRetry;
  EndDialog(IDOK);
  return 0;
}

// The target dialog.

struct TargetRoutes {
  static const Route<TargetPathDialog> kRoutes[];
};
const Route<TargetPathDialog> TargetRoutes::kRoutes[] = {
    {OnCommand(IDC_TARGET_BROWSE, BN_CLICKED), &TargetPathDialog::OnBrowse},
    {OnCommand(IDC_BACKGROUND, BN_CLICKED), &TargetPathDialog::OnBackground},
};

TargetPathDialog::TargetPathDialog(const LanguageTable& texts, DriveProbe probe)
    : Dialog(IDD_TARGET_PATH), texts_(texts), probe_(probe) {}

bool TargetPathDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(TargetRoutes::kRoutes, message, result);
}

BOOL TargetPathDialog::OnInitDialog() {
  SetItemText(*this, IDC_TARGET_QUESTION, question);
  Window edit(Item(IDC_TARGET_EDIT));
  edit.Send(EM_SETLIMITTEXT, 0);
  edit.SetText(target);
  SetItemText(*this, IDOK, texts_.Text(text::kTargetOk));
  SetItemText(*this, IDCANCEL, texts_.Text(text::kTargetCancel));
  SetItemText(*this, IDC_TARGET_BROWSE, texts_.Text(text::kTargetBrowse));
  SetItemText(*this, IDC_BACKGROUND, texts_.Text(text::kBackground));
  SetItemText(*this, IDC_SKIP_AND_COLLECT, texts_.Text(text::kSkipAndCollect));
  CheckDlgButton(Handle(), IDC_SKIP_AND_COLLECT, collect ? BST_CHECKED : BST_UNCHECKED);
  if (!offerBackground) ShowWindow(Item(IDC_BACKGROUND), SW_HIDE);
  edit.Focus();
  edit.Send(EM_SETSEL, 0, -1);
  return FALSE;
}

void TargetPathDialog::OnOK() {
  target = Window(Item(IDC_TARGET_EDIT)).Text();
  collect = IsDlgButtonChecked(Handle(), IDC_SKIP_AND_COLLECT) == BST_CHECKED;
  EndDialog(IDOK);
}

LRESULT TargetPathDialog::OnBackground(Message&) {
  background = true;
  OnOK();
  return 0;
}

LRESULT TargetPathDialog::OnBrowse(Message&) {
  // The chooser starts from the target as the dialog was opened; what was
  // typed since stays in the edit unless a folder is chosen.
  FolderChooser chooser(texts_, probe_);
  chooser.folderImages = folderImages;
  chooser.driveImages = driveImages;
  chooser.uiTasks = uiTasks;
  chooser.jobs = jobs;
  chooser.folder = target;
  if (chooser.DoModal(Handle()) == IDOK) {
    target = chooser.folder;
    Window(Item(IDC_TARGET_EDIT)).SetText(target);
  }
  return 0;
}

}  // namespace px
