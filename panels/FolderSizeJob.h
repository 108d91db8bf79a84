// The job that counts the sizes of a panel's folders, and what the panel
// keeps of a count while it runs.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/fs/FolderSize.h"
#include "panels/FilePanel.h"

namespace px {

struct CountedFolder {
  uint32_t entry = 0;
  uint64_t bytes = 0;
  size_t unreadable = 0;
};

class FolderSizeJob : public Job {
 public:
  struct Folder {
    uint32_t entry;
    std::string path;
  };
  FolderSizeJob(std::shared_ptr<DirectorySource> source, std::vector<Folder> folders)
      : source_(std::move(source)), folders_(std::move(folders)) {}

  JobState Run() override {
    const auto keepGoing = [this] { return !stop_.load(); };
    for (const Folder& folder : folders_) {
      if (stop_.load()) return JobState::kCancelled;
      const FolderSize size = CountFolderSize(*source_, folder.path, keepGoing);
      if (size.end == FolderSizeEnd::kStopped) return JobState::kCancelled;
      if (size.end == FolderSizeEnd::kNotFound) continue;  // gone since the listing
      std::lock_guard<std::mutex> lock(mutex_);
      counted_.push_back({folder.entry, size.figures.bytes, size.unreadable.size()});
    }
    return JobState::kDone;
  }
  void Cancel() override { stop_.store(true); }

  // What was counted since the last call, on the window's thread.
  std::vector<CountedFolder> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<CountedFolder> taken;
    taken.swap(counted_);
    return taken;
  }

 private:
  std::shared_ptr<DirectorySource> source_;
  std::vector<Folder> folders_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<CountedFolder> counted_;
};

struct FilePanel::FolderCount {
  ~FolderCount() {
    if (job) job->Cancel();  // a count no longer wanted stops at its next check
  }
  JobId id = 0;
  std::shared_ptr<FolderSizeJob> job;
  uint64_t listing = 0;  // the listing whose entries these are
  bool all = false;      // every folder: sorted again at the end when sorted by size
};

}  // namespace px
