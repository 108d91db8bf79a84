#include "fileops/AttributesDialog.h"

#include <commctrl.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/fs/FileAttributes.h"
#include "core/jobs/JobGate.h"
#include "core/language/TextFormat.h"
#include "core/panel/NameRules.h"
#include "fileops/FileOpsCommands.h"
#include "fileops/OperationJob.h"
#include "fileops/ProgressDialog.h"
#include "framework/Controls.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "panels/PanelPair.h"
#include "res/resource.h"

namespace px {

namespace {

// The boxes in the order of AttributeBox.
constexpr int kBoxIds[kAttributeBoxCount] = {IDC_ATTR_READ_ONLY, IDC_ATTR_ARCHIVE,
                                             IDC_ATTR_HIDDEN, IDC_ATTR_SYSTEM};
// The fields in the order of DateField.
constexpr int kFieldIds[kDateFieldCount] = {IDC_ATTR_DAY,  IDC_ATTR_MONTH,  IDC_ATTR_YEAR,
                                            IDC_ATTR_HOUR, IDC_ATTR_MINUTE, IDC_ATTR_SECOND};

CivilTime FromSystemTime(const SYSTEMTIME& time) {
  return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

}  // namespace

CivilTime LocalTimeOf(uint64_t fileTime) {
  FILETIME file{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
  SYSTEMTIME utc{}, local{};
  if (!FileTimeToSystemTime(&file, &utc)) return CivilTime{};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return FromSystemTime(utc);
  return FromSystemTime(local);
}

std::optional<uint64_t> FileTimeOfLocal(const CivilTime& local) {
  if (!IsExistingTime(local)) return std::nullopt;
  SYSTEMTIME localTime{};
  localTime.wYear = static_cast<WORD>(local.year);
  localTime.wMonth = static_cast<WORD>(local.month);
  localTime.wDay = static_cast<WORD>(local.day);
  localTime.wHour = static_cast<WORD>(local.hour);
  localTime.wMinute = static_cast<WORD>(local.minute);
  localTime.wSecond = static_cast<WORD>(local.second);
  SYSTEMTIME utc{};
  // The offset in force on that date, not today's.
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc)) return std::nullopt;
  if (!IsStorableUtcTime(FromSystemTime(utc))) return std::nullopt;
  utc.wMilliseconds = 0;
  FILETIME file{};
  if (!SystemTimeToFileTime(&utc, &file)) return std::nullopt;
  return FromFileTime(file);
}

bool ApplyToEntry(const std::string& path, const EntryStatus& status,
                  const AttributeRequest& request) {
  bool done = true;
  if (request.time.change == TimeChange::kApply) {
    // Empty fields keep this entry's own values; a date it does not have (31
    // typed for a file of April) leaves its time alone and counts as failed.
    const ComposedTime composed = ComposeTime(request.time.typed, LocalTimeOf(status.writeTime));
    std::optional<uint64_t> fileTime;
    if (composed.exists) fileTime = FileTimeOfLocal(composed.time);
    done = fileTime && SetWriteTime(path, *fileTime);
  }
  if (request.attributesChanged)
    done = SetAttributes(path, ApplyAttributeStates(request.states, status.attributes)) && done;
  return done;
}

int ApplyToContents(const std::string& folder, const AttributeRequest& request,
                    const std::function<bool(const std::string& path)>& onFile) {
  int failures = 0;
  std::vector<std::wstring> pending{Widen(folder) + L"\\"};
  while (!pending.empty()) {
    const std::wstring current = std::move(pending.back());
    pending.pop_back();
    // The folder is read whole before anything in it changes: a name that no
    // call reaches as that entry (a "\\" in it, or listed twice) is counted
    // as failed and left alone, and a listing that broke off counts too.
    std::vector<WIN32_FIND_DATAW> found;
    const DWORD error =
        SearchFolder(current, SearchScope::kEverything, true, [&](const WIN32_FIND_DATAW& data) {
          if (!IsDotsName(data.cFileName)) found.push_back(data);
          return true;
        });
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) ++failures;
    std::unordered_map<std::wstring, int> times;
    for (const WIN32_FIND_DATAW& data : found) ++times[data.cFileName];
    for (const WIN32_FIND_DATAW& data : found) {
      const std::string name = Narrow(data.cFileName);
      if (!IsAddressableName(name) || times[data.cFileName] > 1) {
        ++failures;
        continue;
      }
      std::wstring path = current + data.cFileName;
      if (data.dwFileAttributes & kAttrDirectory) {
        // A folder link leads out of the tree (or back into it): its files
        // belong elsewhere.
        if (!(data.dwFileAttributes & kAttrReparsePoint)) pending.push_back(path + L"\\");
        continue;
      }
      const EntryStatus status{data.dwFileAttributes, FromFileTime(data.ftLastWriteTime)};
      const std::string file = Narrow(path);
      if (onFile && !onFile(file)) return failures;
      if (!ApplyToEntry(file, status, request)) ++failures;
    }
  }
  return failures;
}

struct AttributesRoutes {
  static const Route<AttributesDialog> kRoutes[];
};

const Route<AttributesDialog> AttributesRoutes::kRoutes[] = {
    {OnCommand(IDC_ATTR_NOW, BN_CLICKED), &AttributesDialog::OnNow},
    {OnCommand(IDC_ATTR_OWN_TIME, BN_CLICKED), &AttributesDialog::OnOwnTime},
    {OnCommand(IDC_ATTR_RECURSIVE, BN_CLICKED), &AttributesDialog::OnRecursive},
};

AttributesDialog::AttributesDialog(const LanguageTable& languageTexts)
    : Dialog(IDD_ATTRIBUTES), texts(languageTexts) {}

bool AttributesDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(AttributesRoutes::kRoutes, message, result);
}

BOOL AttributesDialog::OnInitDialog() {
  static constexpr std::pair<int, TextId> kTexts[] = {
      {IDC_ATTR_GROUP, text::kAttributesGroup},
      {IDC_ATTR_READ_ONLY, text::kAttributeReadOnly},
      {IDC_ATTR_ARCHIVE, text::kAttributeArchive},
      {IDC_ATTR_HIDDEN, text::kAttributeHidden},
      {IDC_ATTR_SYSTEM, text::kAttributeSystem},
      {IDC_ATTR_RECURSIVE, text::kAttributesRecursive},
      {IDC_ATTR_TIME_GROUP, text::kAttributesTimeGroup},
      {IDC_ATTR_DATE_LABEL, text::kAttributesDate},
      {IDC_ATTR_TIME_LABEL, text::kAttributesTime},
      {IDC_ATTR_NOW, text::kAttributesNow},
      {IDC_ATTR_OWN_TIME, text::kAttributesOwnTime},
      {IDOK, text::kAttributesOk},
      {IDCANCEL, text::kAttributesCancel},
  };
  Window(Handle()).SetText(texts.Text(text::kAttributesCaption));
  for (const auto& [id, textId] : kTexts) Window(Item(id)).SetText(texts.Text(textId));
  for (int field = 0; field < kDateFieldCount; ++field)
    Window(Item(kFieldIds[field]))
        .Send(EM_SETLIMITTEXT, static_cast<WPARAM>(DateFieldWidth(static_cast<DateField>(field))));

  AttributeTally tally;
  bool anyFolder = false;
  for (const EntryStatus& entry : entries) {
    tally.Add(entry.attributes);
    anyFolder = anyFolder || entry.IsFolder();
  }
  EnableWindow(Item(IDC_ATTR_RECURSIVE), anyFolder ? TRUE : FALSE);
  initial_ = tally.InitialStates();
  ShowStates(initial_, false);
  if (entries.size() == 1) {
    keptTime_ = LocalTimeOf(entries.front().writeTime);
    ShowTimeTexts(DateFieldTextsOf(keptTime_));
  }
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  return TRUE;
}

bool AttributesDialog::Recursive() const {
  return SendMessageW(Item(IDC_ATTR_RECURSIVE), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A box offers the undecided state only where it means something: a mixed
// selection, or files not yet seen inside folders.
void AttributesDialog::ShowStates(const AttributeStates& states, bool allThreeState) {
  for (int box = 0; box < kAttributeBoxCount; ++box) {
    HWND control = Item(kBoxIds[box]);
    bool threeState = allThreeState || initial_[box] == CheckState::kUndecided;
    SendMessageW(control, BM_SETSTYLE, threeState ? BS_AUTO3STATE : BS_AUTOCHECKBOX, TRUE);
    SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(states[box]), 0);
  }
}

void AttributesDialog::ShowTimeTexts(const DateFieldTexts& fieldTexts) {
  for (int field = 0; field < kDateFieldCount; ++field)
    Window(Item(kFieldIds[field])).SetText(fieldTexts[field]);
}

LRESULT AttributesDialog::OnNow(Message&) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  ShowTimeTexts(DateFieldTextsOf(FromSystemTime(now)));
  return 0;
}

LRESULT AttributesDialog::OnOwnTime(Message&) {
  ShowTimeTexts(OwnTimeTexts(static_cast<int>(entries.size()), Recursive(), keptTime_));
  return 0;
}

LRESULT AttributesDialog::OnRecursive(Message& message) {
  OnOwnTime(message);
  const bool recursive = Recursive();
  ShowStates(StatesForRecursive(recursive, initial_), recursive);
  return 0;
}

void AttributesDialog::OnOK() {
  AttributeRequest asked;
  asked.recursive = Recursive();
  for (int box = 0; box < kAttributeBoxCount; ++box) {
    LRESULT check = SendMessageW(Item(kBoxIds[box]), BM_GETCHECK, 0, 0);
    asked.states[box] = check == BST_CHECKED         ? CheckState::kSet
                        : check == BST_INDETERMINATE ? CheckState::kUndecided
                                                     : CheckState::kClear;
  }
  asked.attributesChanged = AttributesChanged(asked.states, initial_, asked.recursive);

  DateFieldTexts fieldTexts;
  for (int field = 0; field < kDateFieldCount; ++field)
    fieldTexts[field] = Window(Item(kFieldIds[field])).Text();
  asked.time = DecideTimeChange(fieldTexts, entries.size() == 1 && !asked.recursive, keptTime_);
  if (asked.time.change == TimeChange::kBadField) {
    // A date that does not exist is not rolled over into another: the user
    // corrects the field named.
    MessageBeep(MB_ICONEXCLAMATION);
    SendMessageW(Handle(), WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(Item(kFieldIds[asked.time.badField])), TRUE);
    return;
  }
  if (!asked.attributesChanged && asked.time.change != TimeChange::kApply) {
    EndDialog(IDCANCEL);
    return;
  }
  request = asked;
  EndDialog(IDOK);
}

namespace {

// The attributes and times of the selected entries (and of the files inside
// selected folders) set off the window's thread. A cancel or pause takes
// effect between two files.
class AttributesJob : public ShownJob {
 public:
  explicit AttributesJob(AttributeRequest request) : request_(std::move(request)) {}
  void Add(std::string name, std::string path, EntryStatus status) {
    targets_.push_back({std::move(name), std::move(path), status});
  }

  JobState Run() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      progress_.phase = RunPhase::kWorking;
      progress_.layout = ProgressLayout::kDelete;
      progress_.overallTotal = targets_.size();
    }
    for (const Target& target : targets_) {
      if (!Proceed(target.path)) return JobState::kCancelled;
      int failed = 0;
      // A folder link gets its own bits: what it leads to lies outside.
      if (request_.recursive && target.status.IsFolder() &&
          !(target.status.attributes & kAttrReparsePoint)) {
        failed = ApplyToContents(target.path, request_, [this](const std::string& file) { return Proceed(file); });
      } else {
        failed = ApplyToEntry(target.path, target.status, request_) ? 0 : 1;
      }
      std::lock_guard<std::mutex> lock(mutex_);
      if (failed > 0) failedNames_.push_back(target.name);
      failures_ += failed;
      ++progress_.overallDone;
      ++progress_.filesDone;
    }
    return gate_.Cancelled() ? JobState::kCancelled : JobState::kDone;
  }
  void Cancel() override { gate_.Cancel(); }
  void Pause(bool paused) override { gate_.Pause(paused); }
  ProgressLabels Labels() const override {
    return {text::kProgressAttributes, text::kProgressCopyTo, true};
  }
  ProgressSnapshot Progress() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    ProgressSnapshot snapshot = progress_;
    snapshot.overallBar = BarPosition(snapshot.overallDone, snapshot.overallTotal);
    return snapshot;
  }
  std::vector<std::string> FailedNames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failedNames_;
  }
  int Failures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
  }

 private:
  struct Target {
    std::string name;
    std::string path;
    EntryStatus status;
  };
  // Shows path; holds while paused; false once cancelled.
  bool Proceed(const std::string& path) {
    if (!gate_.Pass()) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    progress_.source = path;
    return true;
  }

  const AttributeRequest request_;
  std::vector<Target> targets_;
  JobGate gate_;
  mutable std::mutex mutex_;
  ProgressSnapshot progress_;
  std::vector<std::string> failedNames_;
  int failures_ = 0;
};

}  // namespace

void EditAttributes(AppContext& context, PanelPair& panels) {
  FilePanel& panel = panels.Active();
  FilePanel& other = panels.Other(panel);
  const ListView& list = panel.List();
  const std::optional<Selection> selection = panels.TakeSelection(panel);
  if (!selection) return;

  auto [activeName, activeNext] = panel.LastSelectedAndNextNames();
  auto [otherName, otherNext] = other.LastSelectedAndNextNames();

  struct Target {
    std::string name;
    std::string path;
    EntryStatus status;
  };
  std::vector<Target> targets;
  std::vector<std::string> gone;
  AttributesDialog dialog(context.Texts());
  bool refused = false;
  for (const PanelEntry& entry : selection->entries) {
    // Said once; such entries stay selected and are left alone.
    if (refused ? !IsAddressableName(entry.name) || panel.Table().ListedTwice(entry.name)
                : !panels.MayActOn(panel, entry, false)) {
      refused = true;
      continue;
    }
    std::string path = panel.Path() + entry.name;
    // Only the entry spelled exactly so: a lookup by a name that is gone
    // finds another spelling of it.
    std::optional<EntryStatus> status = StatusOf(path);
    if (!status || !HasEntryNamed(panel.Path(), entry.name)) {
      gone.push_back(entry.name);  // gone since the listing: nothing to change
      continue;
    }
    dialog.entries.push_back(*status);
    targets.push_back({entry.name, std::move(path), *status});
  }
  panel.SetSelected(gone, false);
  if (targets.empty() || dialog.DoModal(context.owner) != IDOK) {
    list.Focus();
    return;
  }

  // The changes run as a job, off the window's thread, shown in the progress
  // window: a tree of many files takes its time.
  auto job = std::make_shared<AttributesJob>(dialog.request);
  for (const Target& target : targets) job->Add(target.name, target.path, target.status);
  ProgressDialog progress(context, *context.jobs, job);
  progress.DoModal(context.owner);
  const std::vector<std::string> failedNames = job->FailedNames();
  const int failures = job->Failures();

  panel.RefreshPanel(context.ShowHidden(), context.owner, activeName, activeNext);
  other.RefreshPanel(context.ShowHidden(), context.owner, otherName, otherNext);
  // What could not be changed stays selected, ready for another try.
  panel.SetSelected(failedNames, true);
  if (failures > 0) {
    ShowMessage(context.owner, FormatText(context.Texts().Text(text::kAttributesNotChanged), {failures}),
                kProductName, MB_OK | MB_ICONEXCLAMATION);
  }
  list.Focus();
}

}  // namespace px
