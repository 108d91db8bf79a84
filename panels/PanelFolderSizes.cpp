// Counting the sizes of a panel's folders: a job walks them one after the
// other off the window's thread; a timer brings in what it has counted.
#include "panels/FolderSizeJob.h"

namespace px {

namespace {

// Timer ids of a panel: the reading timer is the panel's address, this one next to it.
UINT_PTR CountTimerId(const FilePanel* panel) { return reinterpret_cast<UINT_PTR>(panel) + 1; }

}  // namespace


void FilePanel::CountFolderSizes(std::vector<uint32_t> entries) {
  StopCounting();
  std::vector<FolderSizeJob::Folder> folders;
  for (uint32_t entry : entries) {
    if (entry >= table_.entries.size() || !table_.entries[entry].IsFolder()) continue;
    folders.push_back({entry, Path() + table_.entries[entry].name + "\\"});
  }
  if (folders.empty()) return;
  unreadableFolders_ = 0;
  std::shared_ptr<DirectorySource> source = jobSource_;
  if (jobs_ == nullptr || !source) {
    // No runner (a test of the panel alone): counted here and now.
    for (const FolderSizeJob::Folder& folder : folders) {
      const FolderSize size = CountFolderSize(source_, folder.path);
      if (size.end != FolderSizeEnd::kDone) continue;
      table_.entries[folder.entry].size = size.figures.bytes;
      table_.entries[folder.entry].sizeCounted = true;
      summary_.SetFolderSize(folder.entry, size.figures.bytes);
      unreadableFolders_ += size.unreadable.size();
    }
    UpdateSelectionLine();
    UpdatePathLine();
    if (list_) InvalidateRect(list_.Handle(), nullptr, FALSE);
    return;
  }
  auto job = std::make_shared<FolderSizeJob>(std::move(source), std::move(folders));
  auto count = std::make_unique<FolderCount>();
  count->job = job;
  count->listing = listing_;
  count->all = entries.size() > 1;
  count_ = std::move(count);
  auto started = std::make_shared<JobId>(0);
  const JobId id = jobs_->Start(
      job,
      [this, alive = std::weak_ptr<bool>(alive_), job, started](JobState) {
        if (!alive.lock()) return;
        if (count_ && count_->job == job) {
          EndCount();
        } else if (*started != 0) {
          jobs_->Forget(*started);  // one stopped before its end
        }
      },
      JobKind::kHelper);
  if (id == 0) {
    count_.reset();
    return;
  }
  *started = id;
  count_->id = id;
  if (list_) SetTimer(list_.Handle(), CountTimerId(this), 100, &FilePanel::OnCountTimer);
  UpdatePathLine();
}

void FilePanel::CountAllFolderSizes() {
  std::vector<uint32_t> folders;
  for (uint32_t entry : table_.rows)
    if (table_.entries[entry].IsFolder()) folders.push_back(entry);
  CountFolderSizes(std::move(folders));
}

void CALLBACK FilePanel::OnCountTimer(HWND, UINT, UINT_PTR id, DWORD) {
  auto* panel = reinterpret_cast<FilePanel*>(id - 1);
  if (!panel->count_) return;
  // The end's message may be lost: the timer sees the end as well.
  if (panel->jobs_->Ended(panel->count_->id)) {
    panel->EndCount();
  } else {
    panel->TakeCounted();
  }
}

void FilePanel::TakeCounted() {
  if (!count_) return;
  std::vector<CountedFolder> counted = count_->job->Take();
  if (counted.empty() || count_->listing != listing_) return;
  for (const CountedFolder& folder : counted) {
    if (folder.entry >= table_.entries.size()) continue;
    PanelEntry& entry = table_.entries[folder.entry];
    entry.size = folder.bytes;
    entry.sizeCounted = true;
    summary_.SetFolderSize(folder.entry, folder.bytes);
    unreadableFolders_ += folder.unreadable;
  }
  UpdateSelectionLine();
  if (list_) InvalidateRect(list_.Handle(), nullptr, FALSE);
}

void FilePanel::EndCount() {
  if (!count_) return;
  TakeCounted();
  std::unique_ptr<FolderCount> done = std::move(count_);
  if (list_) KillTimer(list_.Handle(), CountTimerId(this));
  jobs_->Forget(done->id);
  // Counted all: a list sorted by size takes its folders' order from them
  // (the marks and the cursor staying on their entries).
  if (done->all && Sort().key == kSortBySize && done->listing == listing_) SortPanel(-1);
  UpdatePathLine();
}

void FilePanel::StopCounting() {
  if (!count_) return;
  if (list_) KillTimer(list_.Handle(), CountTimerId(this));
  jobs_->Cancel(count_->id);
  TakeCounted();  // what was counted before it stopped still shows
  const JobId id = count_->id;
  count_.reset();
  if (jobs_->Ended(id)) jobs_->Forget(id);
  UpdatePathLine();
}

}  // namespace px
