// Watching one folder for changes made on disk, so that a panel can show
// them without listing the folder again; and the stat of one entry by name
// that merging those changes into a panel needs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/fs/DirectorySource.h"
#include "core/jobs/JobRunner.h"
#include "core/panel/FolderChanges.h"

namespace px {

// Watches one folder's own entries (not what happens inside its subfolders)
// from a helper job of the runner. What the job gathers between two Takes is
// folded per name and bounded (ChangeBatch::kMaxNames): a flood of changes
// costs a fixed amount of memory and ends in "list again".
//
// The job and the watch share what they hold, so the watch can go at any
// time without waiting for the job: the job ends on its own soon after (its
// I/O cancelled) and the runner's end waits for it as for any job.
//
// The watch holds its folder open. Under Wine the platform's delete of a
// watched folder only takes effect once that handle closes (Windows ends
// the watch instead): whatever deletes or moves a tree stops the watches
// inside it first, or a folder it removed stays until they go, and so does
// its parent.
class FolderWatch {
 public:
  // Starts the watch on folder (UTF-8, with or without a trailing
  // backslash). Waits up to kStartWait for the job to open the folder and ask
  // for its first changes.
  FolderWatch(JobRunner& jobs, const std::string& folder);
  // Stops the job without waiting for it.
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // The watch was set: false when it could not be (no such folder, access
  // denied, a file system that gives no notifications, no thread to be had).
  // A folder that takes longer than kStartWait to answer (a slow share)
  // reads false at first and true once its watch is set; a caller that fell
  // back to listing meanwhile loses nothing.
  bool Started() const;
  // The watch ended by itself after it started: the folder was deleted or
  // renamed away, the drive went, or the platform reported an error. The
  // next Take asks for a listing; from then on only listing shows changes.
  bool Failed() const;
  // Folds what was reported since the last call into batch: each record
  // through Add, and MarkOverflow when records were lost (the platform's
  // buffer overflowed, or the watch failed). True when anything came.
  [[nodiscard]] bool Take(ChangeBatch& batch);
  // Records reported since the start, all of them (also those folded away).
  uint64_t RecordsSeen() const;

  static constexpr int kStartWaitMs = 200;
  // How often the job makes sure its folder is still the one at its path:
  // the platform does not always end a watch whose folder goes (see the
  // source).
  static constexpr int kCheckEveryMs = 1000;

 private:
  struct Watcher;
  std::shared_ptr<Watcher> watcher_;
};

// One entry of folder (with or without a trailing backslash) looked up by its
// exact name, filled as a listing fills it: nullopt when there is no such
// entry, or when name cannot name one ("", ".", "..", a name holding a path
// separator). The name given back is the one the file system stores (which
// a lookup that ignores case may spell otherwise than asked). A name holding
// '*' or '?' (or '<', '>', '"', wildcards to the platform too) is never used as a search mask (it would find other entries):
// it is stat'ed through its path and given back as asked, or, where the
// platform takes no such name in a path, found by listing the whole folder
// (such names exist only on file systems outside the platform's rules, so
// the cost is rare).
[[nodiscard]] std::optional<FoundEntry> LookUpEntry(const std::string& folder,
                                                    const std::string& name);

}  // namespace px
