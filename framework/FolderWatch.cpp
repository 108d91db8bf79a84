// The folder watch (see the header).
//
// What Wine 8 does, tried on these machines (the code below relies on it
// where it says so):
//  - A rename inside the folder comes as FILE_ACTION_RENAMED_OLD_NAME then
//    FILE_ACTION_RENAMED_NEW_NAME; a move out of it as REMOVED, a move into
//    it as ADDED. A change inside a subfolder reports nothing.
//  - Renaming the watched folder away ends nothing: its records keep coming
//    under its new name. Deleting it through the platform's calls only marks
//    it to go when its last handle closes (the watch holds one): the call
//    succeeds, the folder stays and can be opened and written to, nothing is
//    reported, and it goes once the watch does. Deleted on the Unix side,
//    it is gone at once. So the job checks now and then that its path still
//    leads to the folder it opened (Windows fails the pending read when the
//    folder is deleted; that is handled too).
//  - Records that do not fit the buffer of the next read (10 000 creates
//    while nobody read) end that read with ERROR_NOTIFY_ENUM_DIR. A job that
//    reads again at once kept up with 5 000 files touched on the Unix side
//    (10 000 records: added and modified for each) without losing any.
//  - CancelIoEx ends the pending read at once: GetOverlappedResult (waiting)
//    reports ERROR_OPERATION_ABORTED.
#include "framework/FolderWatch.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text/CaseFold.h"
#include "framework/FileSystemApi.h"
#include "framework/Handles.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"

namespace px {

namespace {

constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                               FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                               FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;
// The records of one read; DWORD-aligned as the platform requires. Past
// 64 KiB a read on a share fails, so no more is asked for.
constexpr size_t kBufferBytes = 64 * 1024;
constexpr DWORD kOverflowPauseMs = 50;

ChangeAction ActionOf(DWORD action) {
  switch (action) {
    case FILE_ACTION_ADDED: return ChangeAction::kAdded;
    case FILE_ACTION_REMOVED: return ChangeAction::kRemoved;
    case FILE_ACTION_RENAMED_OLD_NAME: return ChangeAction::kRenamedOld;
    case FILE_ACTION_RENAMED_NEW_NAME: return ChangeAction::kRenamedNew;
    default: return ChangeAction::kModified;  // a later action reads the name again
  }
}

// The folder's path without trailing backslashes, except a drive's root,
// which keeps its own ("C:" alone is the current folder of drive C).
std::string WatchedPath(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

// The records of one completed read, bytes long; false when they do not hold
// together (the caller then lists again rather than trust a part).
bool ReadRecords(const BYTE* buffer, DWORD bytes, std::vector<ChangeRecord>& records) {
  constexpr size_t kHead = offsetof(FILE_NOTIFY_INFORMATION, FileName);
  size_t at = 0;
  for (;;) {
    if (at + kHead > bytes) return false;
    FILE_NOTIFY_INFORMATION head;
    memcpy(&head, buffer + at, kHead);
    if (at + kHead + head.FileNameLength > bytes || head.FileNameLength % sizeof(wchar_t) != 0)
      return false;
    // The name is counted in bytes and not terminated; it is passed on as
    // spelled, case included.
    std::wstring name(head.FileNameLength / sizeof(wchar_t), L'\0');
    memcpy(name.data(), buffer + at + kHead, head.FileNameLength);
    records.push_back({ActionOf(head.Action), Narrow(name)});
    if (head.NextEntryOffset == 0) return true;
    at += head.NextEntryOffset;
  }
}

}  // namespace

// What the watch and its job share. The job alone touches the folder's
// handle and the read's buffer; the rest is guarded by mutex or atomic.
struct FolderWatch::Watcher : Job {
  explicit Watcher(std::string folder)
      : path(WatchedPath(std::move(folder))),
        stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  JobState Run() override {
    try {
      return Watch();
    } catch (...) {  // out of memory: no read is pending by then (see StillThere)
      if (!started.load()) {
        Answer(false);
        return JobState::kFailed;
      }
      return Fail();
    }
  }

  JobState Watch() {
    QuietDriveErrors quiet;
    FileHandle folder(CreateFileW(FileApiPath(path).c_str(), FILE_LIST_DIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                  nullptr));
    EventHandle completed(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!folder || !completed) {
      Answer(false);
      return JobState::kFailed;
    }
    // Which folder was opened, to tell later whether the path still leads
    // to it. Without an identity (a file system that has none) only the
    // path's existence is checked.
    const std::optional<FileIdentity> identity = IdentityOfOpened(folder.Get(), path);

    std::vector<DWORD> buffer(kBufferBytes / sizeof(DWORD));
    OVERLAPPED overlapped{};
    std::vector<ChangeRecord> records;
    bool first = true;
    ULONGLONG lastCheck = GetTickCount64();
    for (;;) {
      overlapped = OVERLAPPED{};
      overlapped.hEvent = completed.Get();
      if (!ResetEvent(completed.Get()) ||
          !ReadDirectoryChangesW(folder.Get(), buffer.data(), kBufferBytes, FALSE, kWatchFilter,
                                 nullptr, &overlapped, nullptr)) {
        // Never issued, so nothing is pending on the buffer.
        if (first) {
          Answer(false);  // a file system that gives no notifications
          return JobState::kFailed;
        }
        return Fail();
      }
      if (first) {
        Answer(true);
        first = false;
      }

      // Waits for the read, the stop, or the time to check the folder.
      const HANDLE waits[] = {completed.Get(), stop.Get()};
      DWORD woken = WAIT_TIMEOUT;
      for (;;) {
        const ULONGLONG now = GetTickCount64();
        const ULONGLONG due = lastCheck + kCheckEveryMs;
        woken = WaitForMultipleObjects(2, waits, FALSE, due > now ? static_cast<DWORD>(due - now) : 0);
        if (woken != WAIT_TIMEOUT) break;
        lastCheck = GetTickCount64();
        if (!StillThere(identity)) break;
      }
      if (woken != WAIT_OBJECT_0) {
        // Stopped, gone, or the wait failed: the read is cancelled, and
        // waited for, before its buffer and OVERLAPPED go out of scope.
        CancelIoEx(folder.Get(), &overlapped);
        DWORD ignored = 0;
        (void)GetOverlappedResult(folder.Get(), &overlapped, &ignored, TRUE);
        if (woken == WAIT_OBJECT_0 + 1) return JobState::kCancelled;
        return Fail();
      }

      DWORD bytes = 0;
      if (!GetOverlappedResult(folder.Get(), &overlapped, &bytes, FALSE)) {
        if (GetLastError() == ERROR_NOTIFY_ENUM_DIR) {
          if (!Overflow()) return JobState::kCancelled;
          continue;
        }
        // How Windows ends the read when the folder is deleted or the drive
        // goes.
        return Fail();
      }
      if (bytes == 0) {  // the platform's own buffer overflowed
        if (!Overflow()) return JobState::kCancelled;
        continue;
      }
      records.clear();
      const bool whole =
          ReadRecords(reinterpret_cast<const BYTE*>(buffer.data()), bytes, records);
      Deliver(records, whole);
      // A flood keeps the reads completing: the folder is still checked on
      // time (the check costs one open of its path).
      if (GetTickCount64() - lastCheck >= static_cast<ULONGLONG>(kCheckEveryMs)) {
        lastCheck = GetTickCount64();
        if (!StillThere(identity)) return Fail();
      }
    }
  }

  void Cancel() override {
    if (stop) SetEvent(stop.Get());
  }

  // Whether the watched path still leads to the folder opened. Asked while
  // a read is pending on the buffer, so it throws nothing (a failure counts
  // as gone, which cancels the read before the buffer goes).
  bool StillThere(const std::optional<FileIdentity>& identity) const noexcept {
    try {
      if (!identity) {
        std::optional<uint32_t> attributes = AttributesOf(path);
        return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY);
      }
      std::optional<FileIdentity> now = IdentityOf(path);
      return now && *now == *identity;
    } catch (...) {
      return false;
    }
  }

  void Answer(bool set) {
    started.store(set);
    {
      std::lock_guard<std::mutex> lock(mutex);
      answered = true;
    }
    answeredChanged.notify_all();
  }

  void Deliver(const std::vector<ChangeRecord>& records, bool whole) {
    recordsSeen.fetch_add(records.size());
    std::lock_guard<std::mutex> lock(mutex);
    for (const ChangeRecord& record : records) pending.Add(record);
    if (!whole) pending.MarkOverflow();
    arrived = true;
  }

  // Records were lost: the caller lists again. A little time passes before
  // the next read, so that a file system answering every read at once with
  // "lost" cannot keep the job spinning (what comes meanwhile is lost too,
  // and already counted as such). False when stopped meanwhile.
  bool Overflow() {
    LostRecords();
    return WaitForSingleObject(stop.Get(), kOverflowPauseMs) == WAIT_TIMEOUT;
  }

  void LostRecords() {
    std::lock_guard<std::mutex> lock(mutex);
    pending.MarkOverflow();
    arrived = true;
  }

  JobState Fail() {
    LostRecords();
    failed.store(true);
    return JobState::kFailed;
  }

  const std::string path;
  EventHandle stop;  // manual reset: once set, it stays set

  std::atomic<bool> started{false};
  std::atomic<bool> failed{false};
  std::atomic<uint64_t> recordsSeen{0};

  std::mutex mutex;
  std::condition_variable answeredChanged;
  bool answered = false;  // the job opened the folder and asked, or could not
  ChangeBatch pending;    // since the last Take
  bool arrived = false;   // anything came since the last Take
};

FolderWatch::FolderWatch(JobRunner& jobs, const std::string& folder)
    : watcher_(std::make_shared<Watcher>(folder)) {
  if (!watcher_->stop) return;
  if (jobs.Start(watcher_, {}, JobKind::kHelper) == 0) return;
  std::unique_lock<std::mutex> lock(watcher_->mutex);
  watcher_->answeredChanged.wait_for(lock, std::chrono::milliseconds(kStartWaitMs),
                                     [&] { return watcher_->answered; });
}

FolderWatch::~FolderWatch() { watcher_->Cancel(); }

bool FolderWatch::Started() const { return watcher_->started.load(); }

bool FolderWatch::Failed() const { return watcher_->failed.load(); }

uint64_t FolderWatch::RecordsSeen() const { return watcher_->recordsSeen.load(); }

bool FolderWatch::Take(ChangeBatch& batch) {
  std::lock_guard<std::mutex> lock(watcher_->mutex);
  if (!watcher_->arrived) return false;
  const ChangeBatch& pending = watcher_->pending;
  if (pending.ListAgain()) {
    batch.MarkOverflow();
  } else {
    // Folding again what was folded once changes nothing: the last record
    // of each name decided its effect, and these records carry it.
    for (const FoldedChange& change : pending.Changes()) {
      batch.Add(change.effect == ChangeEffect::kGone ? ChangeAction::kRemoved
                                                     : ChangeAction::kModified,
                change.name);
    }
  }
  watcher_->pending.Clear();
  watcher_->arrived = false;
  return true;
}

namespace {

FoundEntry EntryOf(const WIN32_FIND_DATAW& data) {
  FoundEntry entry;
  entry.name = Narrow(data.cFileName);
  entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry.writeTime = FromFileTime(data.ftLastWriteTime);
  entry.attributes = data.dwFileAttributes;
  return entry;
}

}  // namespace

std::optional<FoundEntry> LookUpEntry(const std::string& folder, const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("\\/") != std::string::npos) {
    return std::nullopt;
  }
  std::string path = folder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  QuietDriveErrors quiet;

  const std::wstring wanted = Widen(name);
  if (name.find_first_of("*?<>\"") != std::string::npos) {
    // Never a search mask: it would find other entries ('<', '>' and '"'
    // are wildcards of the platform's masks too). A stat of the path
    // takes no wildcard, but tells no stored spelling (the name stays as
    // asked); where the platform refuses such a name in a path (Wine does,
    // for the names its Unix side holds) the folder is listed to find it.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &data)) {
      FoundEntry entry;
      entry.name = name;
      entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      entry.writeTime = FromFileTime(data.ftLastWriteTime);
      entry.attributes = data.dwFileAttributes;
      return entry;
    }
    std::wstring searched = Widen(path.substr(0, path.size() - name.size()));
    std::optional<FoundEntry> listed;
    [[maybe_unused]] const DWORD error =
        SearchFolder(searched, SearchScope::kEverything, true, [&](const WIN32_FIND_DATAW& found) {
          if (wanted != found.cFileName) return true;
          listed = EntryOf(found);
          return false;
        });
    return listed;  // a listing cut short may miss it: it is gone as far as is known
  }

  // The name as a search mask matches every stored spelling of it (a file
  // system that tells case apart may hold several) and, on some, an entry
  // whose short name it is. The exact spelling wins; else the one the file
  // system holds under another case; an entry found by its short name only
  // is no entry of this name.
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileExW(FileApiPath(path).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, 0));
  if (!search) return std::nullopt;
  const std::string folded = FoldName(name);
  std::optional<FoundEntry> otherCase;
  do {
    if (wanted == data.cFileName) return EntryOf(data);
    if (!otherCase) {
      FoundEntry entry = EntryOf(data);
      if (FoldName(entry.name) == folded) otherCase = std::move(entry);
    }
  } while (FindNextFileW(search.Get(), &data));
  return otherCase;
}

}  // namespace px
