// Copy, move, delete and attributes of many files, and a copy of one large
// file, each run by the program's own code beside the bare platform calls
// that do the same work, measured side by side in one run (best of rounds);
// how long the progress window goes without answering during a copy; and
// copies in the background: beside the same copy in the progress window, two
// on one drive queued beside both at once, how soon a pause holds a copy,
// and how long the owner goes without answering while two jobs run.
//   fileops_bench [rounds] [folder] [big|small|count|attr|window|background] [small files]
// The folder (default C:\pxops\) must hold what tools/make_ops_bench.py makes:
// big.bin (1 GiB), small\ (10 000 files of 4 KiB), tree\ (100 000 files in 100
// folders) and attr\ (10 000 files in 10 folders). Copies are made beside them
// and removed again.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/fileops/Engine.h"
#include "core/jobs/JobQueue.h"
#include "core/language/LanguageTable.h"
#include "core/settings/Settings.h"
#include "fileops/AttributesDialog.h"
#include "fileops/BackgroundJobs.h"
#include "fileops/JobListWindow.h"
#include "fileops/ProgressDialog.h"
#include "fileops/Win32FileSystem.h"
#include "framework/AppContext.h"
#include "framework/Drives.h"
#include "framework/MessageLoop.h"
#include "framework/TextFiles.h"
#include "framework/UiTasks.h"
#include "framework/Wide.h"

using namespace px;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Answers every question with "stop" and counts what was asked: a run of the
// benchmark asks nothing, so any count means a figure is not what it seems.
class CountingPrompts : public OperationPrompts {
 public:
  PromptAnswer AskOverwrite(const OverwriteQuestion&) override { return Asked(PromptAnswer::kCancel); }
  PromptAnswer AskReadOnly(ReadOnlyCase, const std::string&) override {
    return Asked(PromptAnswer::kCancel);
  }
  FailureAnswer AskFailure(FailureCase, const std::string& path) override {
    std::printf("  (failed: %s)\n", path.c_str());
    return Asked(FailureAnswer::kStop);
  }
  void ShowMessage(RunMessage, const std::string&) override { ++messages; }
  PermanentAnswer AskPermanentDelete(const std::vector<std::string>&) override {
    return Asked(PermanentAnswer::kCancel);
  }

  int questions = 0;
  int messages = 0;

 private:
  template <typename T>
  T Asked(T answer) {
    ++questions;
    return answer;
  }
};

// The engine's file system with the time of each kind of call kept, to show
// where a run's time goes.
class TimedFileSystem : public FileSystem {
 public:
  explicit TimedFileSystem(FileSystem& inner) : inner_(inner) {}

  FsResult<FileId> OpenRead(const std::string& path) override {
    return Timed(kOpenRead, [&] { return inner_.OpenRead(path); });
  }
  FsResult<FileId> OpenReadFromDisk(const std::string& path) override {
    return Timed(kOpenRead, [&] { return inner_.OpenReadFromDisk(path); });
  }
  FsResult<CreatedTemp> CreateTempFile(const std::string& folder) override {
    return Timed(kCreateTemp, [&] { return inner_.CreateTempFile(folder); });
  }
  FsResult<FileId> CreateNewFile(const std::string& path) override {
    return Timed(kCreateNew, [&] { return inner_.CreateNewFile(path); });
  }
  FsResult<size_t> Read(FileId file, void* buffer, size_t size) override {
    return Timed(kRead, [&] { return inner_.Read(file, buffer, size); });
  }
  FsStatus Write(FileId file, const void* data, size_t size) override {
    return Timed(kWrite, [&] { return inner_.Write(file, data, size); });
  }
  FsResult<uint64_t> SizeOf(FileId file) override {
    return Timed(kSizeOf, [&] { return inner_.SizeOf(file); });
  }
  FsStatus Close(FileId file) override {
    return Timed(kClose, [&] { return inner_.Close(file); });
  }
  FsResult<EntryInfo> Lookup(const std::string& path) override {
    return Timed(kLookup, [&] { return inner_.Lookup(path); });
  }
  FsResult<std::vector<EntryInfo>> List(const std::string& folder) override {
    return Timed(kList, [&] { return inner_.List(folder); });
  }
  FsStatus CreateFolder(const std::string& folder) override {
    return Timed(kCreateFolder, [&] { return inner_.CreateFolder(folder); });
  }
  FsStatus RemoveFolder(const std::string& folder, const FileIdentity& expected) override {
    return Timed(kRemoveFolder, [&] { return inner_.RemoveFolder(folder, expected); });
  }
  FsStatus RemoveLink(const std::string& path) override {
    return Timed(kRemoveLink, [&] { return inner_.RemoveLink(path); });
  }
  FsStatus SetAttributes(const std::string& path, uint32_t attributes) override {
    return Timed(kSetAttributes, [&] { return inner_.SetAttributes(path, attributes); });
  }
  FsStatus RemoveFile(const std::string& path) override {
    return Timed(kRemoveFile, [&] { return inner_.RemoveFile(path); });
  }
  FsStatus Rename(const std::string& from, const std::string& to, uint32_t flags) override {
    return Timed(kRename, [&] { return inner_.Rename(from, to, flags); });
  }
  FsResult<FileIdentity> Identity(const std::string& path) override {
    return Timed(kIdentity, [&] { return inner_.Identity(path); });
  }
  FsResult<std::string> RealPath(const std::string& path) override {
    return Timed(kRealPath, [&] { return inner_.RealPath(path); });
  }
  FsResult<bool> CanRecycle(const std::string& path) override {
    return Timed(kCanRecycle, [&] { return inner_.CanRecycle(path); });
  }
  RecycleResult Recycle(const std::vector<std::string>& paths) override {
    return Timed(kRecycle, [&] { return inner_.Recycle(paths); });
  }

  // "Lookup 10000 x 1234 ms, ..." for the calls made.
  std::string Summary() const {
    static const char* const kNames[] = {"OpenRead", "CreateTemp", "CreateNew", "Read", "Write", "SizeOf",
                                         "Close", "Lookup", "List", "CreateFolder", "RemoveFolder",
                                         "SetAttributes", "RemoveFile", "Rename", "Identity",
                                         "Recycle", "RemoveLink", "RealPath", "CanRecycle"};
    std::string text;
    for (int call = 0; call < kCallCount; ++call) {
      if (counts_[call] == 0) continue;
      char part[96];
      std::snprintf(part, sizeof(part), "%s%s %d x %.0f ms", text.empty() ? "" : ", ",
                    kNames[call], counts_[call], seconds_[call] * 1000);
      text += part;
    }
    return text;
  }

 private:
  enum Call {
    kOpenRead, kCreateTemp, kCreateNew, kRead, kWrite, kSizeOf, kClose, kLookup, kList, kCreateFolder, kRemoveFolder,
    kSetAttributes, kRemoveFile, kRename, kIdentity, kRecycle, kRemoveLink, kRealPath, kCanRecycle, kCallCount
  };
  template <typename F>
  auto Timed(Call call, F f) -> decltype(f()) {
    auto start = Clock::now();
    auto result = f();
    seconds_[call] += Seconds(start);
    ++counts_[call];
    return result;
  }

  FileSystem& inner_;
  double seconds_[kCallCount] = {};
  int counts_[kCallCount] = {};
};

struct EngineRun {
  double seconds = 0;
  int questions = 0;
  int messages = 0;
  ProgressSnapshot progress;
  std::string calls;  // where the time went
};

EngineRun RunEngine(const RunRequest& request) {
  Win32FileSystem platform;
  TimedFileSystem fs(platform);
  CountingPrompts prompts;
  FileOperationEngine engine(fs, prompts);
  auto start = Clock::now();
  RunResult result = engine.Run(request);
  EngineRun run;
  run.calls = fs.Summary();
  run.seconds = Seconds(start);
  run.questions = prompts.questions;
  run.messages = prompts.messages;
  run.progress = engine.Progress();
  for (EntryOutcome outcome : result.entries)
    if (outcome != EntryOutcome::kDone) ++run.questions;
  if (run.questions + run.messages > 0)
    std::printf("  (the run asked %d questions, showed %d messages)\n", run.questions, run.messages);
  return run;
}

// The files of a folder (not its subfolders), in the file system's order.
std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW(FileApiPath(folder + "*.*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(data.cFileName));
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return names;
}

// The bare recursive search: every folder once, files counted and summed.
void SearchTree(const std::wstring& folder, uint64_t& files, uint64_t& bytes) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW((folder + L"*.*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
        SearchTree(folder + data.cFileName + L"\\", files, bytes);
    } else {
      ++files;
      bytes += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
}

// Removes a folder and everything below it (cleanup between rounds, untimed).
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring path = folder + L"\\" + data.cFileName;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
          RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

void Fresh(const std::string& folder) {
  std::wstring wide = FileApiPath(folder);
  // The long form keeps a doubled backslash as it is: RemoveTree adds its own.
  if (!wide.empty() && wide.back() == L'\\') wide.pop_back();
  RemoveTree(wide);
  CreateDirectoryW(wide.c_str(), nullptr);
}

struct Best {
  double engine = 1e9;
  double bare = 1e9;
  void Engine(double seconds) { engine = std::min(engine, seconds); }
  void Bare(double seconds) { bare = std::min(bare, seconds); }
};

// "faster" figures (throughputs) are compared as bare time / engine time, so
// that 1 is equal speed and more is better; "time" figures as engine / bare.
void Report(const char* what, const Best& best, const char* bareName, const char* target,
            double ratio) {
  std::printf("%-34s %9.1f ms   %-16s %9.1f ms   ratio %.2f (target %s)\n", what,
              best.engine * 1000, bareName, best.bare * 1000, ratio, target);
}

// One large file: the engine against CopyFileExW.
void BigCopy(const std::string& root, int rounds) {
  Best best;
  std::string calls;
  const std::wstring source = FileApiPath(root + "big.bin");
  for (int round = 0; round < rounds; ++round) {
    for (int side = 0; side < 2; ++side) {
      if ((side + round) % 2 == 0) {
        Fresh(root + "big-e\\");
        RunRequest request;
        request.kind = OperationKind::kCopy;
        request.baseFolder = root;
        request.names = {"big.bin"};
        request.targetFolder = root + "big-e\\";
        EngineRun run = RunEngine(request);
        best.Engine(run.seconds);
        calls = run.calls;
        RemoveTree(FileApiPath(root + "big-e"));
      } else {
        Fresh(root + "big-b\\");
        auto start = Clock::now();
        if (!CopyFileExW(source.c_str(), FileApiPath(root + "big-b\\big.bin").c_str(), nullptr,
                         nullptr, nullptr, 0))
          std::printf("  (CopyFileExW failed: %lu)\n", GetLastError());
        best.Bare(Seconds(start));
        RemoveTree(FileApiPath(root + "big-b"));
      }
    }
  }
  const double mib = 1024;
  std::printf("copy 1 GiB file: engine %.0f MiB/s, CopyFileExW %.0f MiB/s\n", mib / best.engine,
              mib / best.bare);
  Report("copy one 1 GiB file", best, "CopyFileExW", ">= 0.9", best.bare / best.engine);
  std::printf("  engine's calls: %s\n", calls.c_str());
}

// 10 000 small files copied into a fresh folder, moved into another fresh
// folder on the same drive, and deleted; each step by the engine and by a
// loop of the bare call over names known beforehand.
void SmallFiles(const std::string& root, int rounds, size_t limit) {
  const std::string small = root + "small\\";
  std::vector<std::string> names = FileNames(small);
  if (names.size() > limit) names.resize(limit);
  std::printf("small files: %zu\n", names.size());
  std::vector<std::wstring> wideNames;
  for (const std::string& name : names) wideNames.push_back(Widen(name));
  const std::wstring wideSmall = FileApiPath(small);
  Best copy, move, remove;
  std::string copyCalls, moveCalls, removeCalls;
  for (int round = 0; round < rounds; ++round) {
    for (int side = 0; side < 2; ++side) {
      const bool engine = (side + round) % 2 == 0;
      const std::string copied = root + (engine ? "copy-e\\" : "copy-b\\");
      const std::string moved = root + (engine ? "move-e\\" : "move-b\\");
      Fresh(copied);
      Fresh(moved);
      if (engine) {
        // The files are selected, as in a panel, and copied into a fresh folder.
        CreateDirectoryW(FileApiPath(copied + "small").c_str(), nullptr);
        RunRequest request;
        request.kind = OperationKind::kCopy;
        request.baseFolder = small;
        request.names = names;
        request.targetFolder = copied + "small\\";
        EngineRun run = RunEngine(request);
        copy.Engine(run.seconds);
        copyCalls = run.calls;

        request.kind = OperationKind::kMove;
        request.baseFolder = copied + "small\\";
        request.targetFolder = moved;
        run = RunEngine(request);
        move.Engine(run.seconds);
        moveCalls = run.calls;

        request = RunRequest();
        request.kind = OperationKind::kDelete;
        request.baseFolder = root;
        request.names = {"move-e"};
        request.recycle = false;
        run = RunEngine(request);
        remove.Engine(run.seconds);
        removeCalls = run.calls;
      } else {
        const std::wstring into = FileApiPath(copied + "small\\");
        CreateDirectoryW(into.c_str(), nullptr);
        int failures = 0;
        auto start = Clock::now();
        for (const std::wstring& name : wideNames)
          if (!CopyFileW((wideSmall + name).c_str(), (into + name).c_str(), TRUE)) ++failures;
        copy.Bare(Seconds(start));

        const std::wstring movedInto = FileApiPath(moved);
        start = Clock::now();
        for (const std::wstring& name : wideNames)
          if (!MoveFileExW((into + name).c_str(), (movedInto + name).c_str(), 0)) ++failures;
        move.Bare(Seconds(start));

        start = Clock::now();
        for (const std::wstring& name : wideNames)
          if (!DeleteFileW((movedInto + name).c_str())) ++failures;
        if (!RemoveDirectoryW(FileApiPath(root + "move-b").c_str())) ++failures;
        remove.Bare(Seconds(start));
        if (failures > 0) std::printf("  (%d bare calls failed)\n", failures);
      }
      RemoveTree(FileApiPath(root + (engine ? "copy-e" : "copy-b")));
      RemoveTree(FileApiPath(root + (engine ? "move-e" : "move-b")));
    }
  }
  Report("copy 10 000 x 4 KiB files", copy, "CopyFileW loop", ">= 0.9", copy.bare / copy.engine);
  std::printf("  engine's calls: %s\n", copyCalls.c_str());
  Report("move 10 000 files, same drive", move, "MoveFileExW loop", ">= 0.8",
         move.bare / move.engine);
  std::printf("  engine's calls: %s\n", moveCalls.c_str());
  Report("delete 10 000 files, no bin", remove, "DeleteFileW loop", ">= 0.8",
         remove.bare / remove.engine);
  std::printf("  engine's calls: %s\n", removeCalls.c_str());
}

// The engine's count pass over 100 000 files: a copy of the tree whose run is
// cancelled at its first check after counting. The time runs to the count
// pass's last check, which comes right after the last folder was counted.
void CountPass(const std::string& root, int rounds) {
  const std::string target = root + "count-target\\";
  Best best;
  uint64_t bareFiles = 0, engineFiles = 0;
  for (int round = 0; round < rounds; ++round) {
    for (int side = 0; side < 2; ++side) {
      if ((side + round) % 2 == 0) {
        Fresh(target);
        Win32FileSystem fs;
        CountingPrompts prompts;
        FileOperationEngine engine(fs, prompts);
        Clock::time_point lastCountingCheck{};
        engine.SetCheckHook([&] {
          if (engine.Progress().phase == RunPhase::kCounting)
            lastCountingCheck = Clock::now();
          else
            engine.RequestCancel();
        });
        RunRequest request;
        request.kind = OperationKind::kCopy;
        request.baseFolder = root;
        request.names = {"tree"};
        request.targetFolder = target;
        auto start = Clock::now();
        RunResult result = engine.Run(request);
        best.Engine(std::chrono::duration<double>(lastCountingCheck - start).count());
        engineFiles = engine.Progress().fileCount;
        if (!result.cancelled) std::printf("  (the counting run was not cancelled)\n");
        RemoveTree(FileApiPath(root + "count-target"));
      } else {
        uint64_t files = 0, bytes = 0;
        auto start = Clock::now();
        SearchTree(FileApiPath(root + "tree\\"), files, bytes);
        best.Bare(Seconds(start));
        bareFiles = files;
      }
    }
  }
  std::printf("tree files: searched %llu, counted %llu\n",
              static_cast<unsigned long long>(bareFiles),
              static_cast<unsigned long long>(engineFiles));
  Report("count pass over 100 000 files", best, "recursive search", "<= 1.2",
         best.engine / best.bare);
}

// Attributes set on every file of a 10 000-file tree by the attributes
// dialog's apply code and by a bare loop; each step flips the archive bit,
// so that every call changes something.
void Attributes(const std::string& root, int rounds) {
  const std::string attr = root + "attr";
  std::vector<std::wstring> paths;
  for (int sub = 0; sub < 10; ++sub) {
    char name[32];
    std::snprintf(name, sizeof(name), "\\folder%03d\\", sub);
    const std::string folder = attr + name;
    for (const std::string& file : FileNames(folder)) paths.push_back(FileApiPath(folder + file));
  }
  std::printf("attribute files: %zu\n", paths.size());
  Best best;
  int step = 0;
  for (int round = 0; round < rounds; ++round) {
    for (int side = 0; side < 2; ++side, ++step) {
      const bool archive = step % 2 == 0;
      if ((side + round) % 2 == 0) {
        AttributeRequest request;
        request.attributesChanged = true;
        request.recursive = true;
        request.states = {CheckState::kUndecided, archive ? CheckState::kSet : CheckState::kClear,
                          CheckState::kUndecided, CheckState::kUndecided};
        auto start = Clock::now();
        int failures = ApplyToContents(attr, request);
        best.Engine(Seconds(start));
        if (failures > 0) std::printf("  (%d files failed)\n", failures);
      } else {
        const DWORD bits = archive ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_NORMAL;
        int failures = 0;
        auto start = Clock::now();
        for (const std::wstring& path : paths)
          if (!SetFileAttributesW(path.c_str(), bits)) ++failures;
        best.Bare(Seconds(start));
        if (failures > 0) std::printf("  (%d bare calls failed)\n", failures);
      }
    }
  }
  Report("attributes on 10 000 files", best, "SetFileAttributes", ">= 0.8",
         best.bare / best.engine);
}

// An owner window, as the main window is to the program's other windows,
// and what the program's parts share.
struct Stage {
  Stage() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW ownerClass{};
    ownerClass.lpfnWndProc = DefWindowProcW;
    ownerClass.hInstance = GetModuleHandleW(nullptr);
    ownerClass.lpszClassName = L"PxOpsBenchOwner";
    ownerClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&ownerClass);
    owner = CreateWindowExW(0, L"PxOpsBenchOwner", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            800, 600, nullptr, nullptr, nullptr, nullptr);
    UpdateWindow(owner);
    context.owner = owner;
    context.texts = &texts;
    context.options = &options;
    context.uiTasks = &tasks;
    context.jobs = &jobs;
  }
  ~Stage() { DestroyWindow(owner); }
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;

  HWND owner = nullptr;
  UiTaskQueue tasks;
  JobRunner jobs{[this](std::function<void()> task) { return tasks.Post(std::move(task)); }};
  LanguageTable texts;
  Options options;
  AppContext context;
};

// Runs the thread's messages as the program's loop does until done() holds.
void PumpUntil(const std::function<bool()>& done) {
  while (!done()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (MessageLoop::FilterMessage(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// The same, giving up after seconds; false then.
bool PumpUntil(const std::function<bool()>& done, double seconds) {
  const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds));
  PumpUntil([&] { return done() || Clock::now() >= until; });
  return done();
}

void PumpFor(double seconds) {
  const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds));
  PumpUntil([&] { return Clock::now() >= until; });
}

// Another thread sends the window WM_NULL every 2 ms and keeps the longest
// round trip, from its start until Stop.
class Pinger {
 public:
  explicit Pinger(HWND window) : window_(window), opened_(Clock::now()), thread_([this] { Ping(); }) {}
  ~Pinger() { Stop(); }

  // The window's thread keeps answering until the last round trip is back.
  void Stop() {
    if (!thread_.joinable()) return;
    stop_.store(true);
    PumpUntil([this] { return stopped_.load(); });
    thread_.join();
  }

  double longest = 0;
  double longestAt = 0;  // seconds from the start
  int pings = 0;

 private:
  void Ping() {
    while (!stop_.load()) {
      auto start = Clock::now();
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
      // A round trip still open when the measuring ended waits for the
      // loop that stops it, not for the window: it does not count.
      if (!stop_.load()) {
        if (Seconds(start) > longest) {
          longest = Seconds(start);
          longestAt = std::chrono::duration<double>(start - opened_).count();
        }
        ++pings;
      }
      Sleep(2);
    }
    stopped_.store(true);
  }

  HWND window_;
  Clock::time_point opened_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> stopped_{false};
  std::thread thread_;
};

std::shared_ptr<OperationJob> CopyJob(Stage& stage, const std::string& base,
                                      std::vector<std::string> names, const std::string& target,
                                      std::unique_ptr<FileSystem> fs = std::make_unique<Win32FileSystem>()) {
  RunRequest request;
  request.kind = OperationKind::kCopy;
  request.baseFolder = base;
  request.names = std::move(names);
  request.targetFolder = target;
  return std::make_shared<OperationJob>(std::move(fs), request,
                                        std::make_shared<QuestionBroker>(stage.tasks, stage.texts));
}

// The real progress window over a real owner runs a copy of the large file;
// another thread sends it WM_NULL every 2 ms and keeps the longest round trip.
void Responsiveness(const std::string& root, int rounds) {
  Stage stage;
  double worstGap = 0;
  for (int round = 0; round < rounds; ++round) {
    Fresh(root + "shown\\");
    ProgressDialog dialog(stage.context, stage.jobs, CopyJob(stage, root, {"big.bin"}, root + "shown\\"));
    Pinger pinger(stage.owner);
    auto start = Clock::now();
    dialog.DoModal(stage.owner);
    double seconds = Seconds(start);
    pinger.Stop();
    worstGap = std::max(worstGap, pinger.longest);
    std::printf("progress window round %d: copy %.0f ms (%.0f MiB/s), %d round trips, "
                "longest %.1f ms from %.0f ms on\n",
                round + 1, seconds * 1000, 1024 / seconds, pinger.pings, pinger.longest * 1000,
                pinger.longestAt * 1000);
    RemoveTree(FileApiPath(root + "shown"));
  }
  std::printf("%-34s %9.1f ms   ratio %.2f of the target (target <= 100 ms)\n",
              "longest unanswered, 1 GiB copy", worstGap * 1000, worstGap / 0.1);
}

// When a job's file system last wrote, for the time a pause takes to hold it.
struct WriteLog {
  std::atomic<Clock::rep> last{0};      // the end of the last successful write
  std::atomic<Clock::rep> longest{0};   // the longest write
  std::atomic<int> writes{0};
};

Clock::rep Ticks(Clock::time_point time) { return time.time_since_epoch().count(); }

double SecondsBetween(Clock::rep from, Clock::rep to) {
  return std::chrono::duration<double>(Clock::duration(to - from)).count();
}

// A job's own file system, every call passed on, with the writes noted.
class LoggedFileSystem : public FileSystem {
 public:
  LoggedFileSystem(std::unique_ptr<FileSystem> inner, std::shared_ptr<WriteLog> log)
      : inner_(std::move(inner)), log_(std::move(log)) {}

  FsResult<FileId> OpenRead(const std::string& path) override { return inner_->OpenRead(path); }
  FsResult<FileId> OpenReadFromDisk(const std::string& path) override {
    return inner_->OpenReadFromDisk(path);
  }
  FsResult<CreatedTemp> CreateTempFile(const std::string& folder) override {
    return inner_->CreateTempFile(folder);
  }
  FsResult<FileId> CreateNewFile(const std::string& path) override { return inner_->CreateNewFile(path); }
  FsResult<size_t> Read(FileId file, void* buffer, size_t size) override {
    return inner_->Read(file, buffer, size);
  }
  FsStatus Write(FileId file, const void* data, size_t size) override {
    const auto start = Clock::now();
    FsStatus status = inner_->Write(file, data, size);
    if (status.Ok()) {
      const auto end = Clock::now();
      if (Ticks(end) - Ticks(start) > log_->longest.load()) log_->longest.store(Ticks(end) - Ticks(start));
      log_->last.store(Ticks(end));
      ++log_->writes;
    }
    return status;
  }
  FsResult<uint64_t> SizeOf(FileId file) override { return inner_->SizeOf(file); }
  FsStatus Close(FileId file) override { return inner_->Close(file); }
  FsResult<EntryInfo> Lookup(const std::string& path) override { return inner_->Lookup(path); }
  FsResult<std::vector<EntryInfo>> List(const std::string& folder) override { return inner_->List(folder); }
  FsStatus CreateFolder(const std::string& folder) override { return inner_->CreateFolder(folder); }
  FsStatus RemoveFolder(const std::string& folder, const FileIdentity& expected) override {
    return inner_->RemoveFolder(folder, expected);
  }
  FsStatus RemoveLink(const std::string& path) override { return inner_->RemoveLink(path); }
  FsStatus SetAttributes(const std::string& path, uint32_t attributes) override {
    return inner_->SetAttributes(path, attributes);
  }
  FsStatus RemoveFile(const std::string& path) override { return inner_->RemoveFile(path); }
  FsStatus Rename(const std::string& from, const std::string& to, uint32_t flags) override {
    return inner_->Rename(from, to, flags);
  }
  FsResult<FileIdentity> Identity(const std::string& path) override { return inner_->Identity(path); }
  FsResult<std::string> RealPath(const std::string& path) override { return inner_->RealPath(path); }
  FsResult<bool> CanRecycle(const std::string& path) override { return inner_->CanRecycle(path); }
  RecycleResult Recycle(const std::vector<std::string>& paths) override { return inner_->Recycle(paths); }

 private:
  std::unique_ptr<FileSystem> inner_;
  std::shared_ptr<WriteLog> log_;
};

// The program's background jobs, queued by physical drive, with their list
// open beside the owner and drawn on its timer, as the program shows them.
struct BackgroundStage {
  explicit BackgroundStage(Stage& stage)
      : jobs(stage.jobs, [](const RunRequest& request) {
          std::vector<std::string> keys = PhysicalDriveKeys(request.baseFolder);
          for (std::string& key : PhysicalDriveKeys(request.targetFolder)) keys.push_back(std::move(key));
          return keys;
        }),
        list(stage.texts, jobs) {
    if (!list.ShowModeless(stage.owner)) std::printf("  (the job list did not open)\n");
    jobs.SetOnChanged([this] { list.Refresh(); });
  }
  ~BackgroundStage() {
    jobs.SetOnChanged(nullptr);
    jobs.CancelAll();
    (void)PumpUntil([this] { return jobs.Unfinished() == 0; }, 10);
  }

  // Runs the jobs in the background until all have ended; the seconds from
  // the first added to the last seen ended, and the most that ran at once.
  double Run(JobRunner& runner, const std::vector<std::shared_ptr<OperationJob>>& added,
             size_t* mostAtOnce = nullptr) {
    size_t most = 0;
    auto start = Clock::now();
    for (const auto& job : added) (void)jobs.Add(job);
    PumpUntil([&] {
      most = std::max(most, runner.Running(JobKind::kWork).size());
      return jobs.Unfinished() == 0;
    });
    double seconds = Seconds(start);
    if (mostAtOnce != nullptr) *mostAtOnce = most;
    for (const BackgroundRow& row : jobs.Rows())
      if (row.state != BackgroundState::kDone)
        std::printf("  (a job ended in state %d with %zu problems)\n", static_cast<int>(row.state),
                    row.problems);
    jobs.ClearFinished();
    return seconds;
  }

  BackgroundJobs jobs;
  JobListWindow list;
};

void CheckDone(const OperationJob& job) {
  for (EntryOutcome outcome : job.Result().entries)
    if (outcome != EntryOutcome::kDone) {
      std::printf("  (the foreground run left an entry undone)\n");
      return;
    }
}

// The same copy shown by the progress window and run in the background.
void ForegroundAndBackground(Stage& stage, BackgroundStage& background, const std::string& root,
                             int rounds) {
  struct Case {
    const char* what;
    const char* name;
  };
  static const Case kCases[] = {{"background copy, 10 000 files", "small"},
                                {"background copy, 1 GiB file", "big.bin"}};
  background.jobs.SetPolicy(QueuePolicy::kOneAfterAnotherPerDrive);
  for (const Case& copy : kCases) {
    Best best;  // engine: in the background; bare: in the foreground
    for (int round = 0; round < rounds; ++round) {
      for (int side = 0; side < 2; ++side) {
        const std::string target = root + "bg-copy\\";
        Fresh(target);
        auto job = CopyJob(stage, root, {copy.name}, target);
        if ((side + round) % 2 == 0) {
          best.Engine(background.Run(stage.jobs, {job}));
        } else {
          ProgressDialog dialog(stage.context, stage.jobs, job);
          auto start = Clock::now();
          dialog.DoModal(stage.owner);
          best.Bare(Seconds(start));
          CheckDone(*job);
        }
        RemoveTree(FileApiPath(root + "bg-copy"));
      }
    }
    Report(copy.what, best, "foreground", ">= 0.9", best.bare / best.engine);
  }
}

// The platform's own share of two copies of the small files: two loops of
// CopyFileW, one after the other or on two threads at once.
double BareCopies(const std::string& root, const std::vector<std::string>& names, bool together) {
  std::vector<std::wstring> wideNames;
  for (const std::string& name : names) wideNames.push_back(Widen(name));
  const std::wstring from = FileApiPath(root + "small\\");
  std::atomic<int> failures{0};
  auto copy = [&](const std::string& target) {
    CreateDirectoryW(FileApiPath(target + "small").c_str(), nullptr);
    const std::wstring into = FileApiPath(target + "small\\");
    for (const std::wstring& name : wideNames)
      if (!CopyFileW((from + name).c_str(), (into + name).c_str(), TRUE)) ++failures;
  };
  auto start = Clock::now();
  if (together) {
    std::thread other(copy, root + "bg-two\\");
    copy(root + "bg-one\\");
    other.join();
  } else {
    copy(root + "bg-one\\");
    copy(root + "bg-two\\");
  }
  double seconds = Seconds(start);
  if (failures.load() > 0) std::printf("  (%d bare calls failed)\n", failures.load());
  return seconds;
}

// Two copies of the small files onto one drive: one after the other as the
// queue holds them, and both at once; and the same two as bare loops.
void QueuedAndTogether(Stage& stage, BackgroundStage& background, const std::string& root,
                       int rounds) {
  const std::vector<std::string> names = FileNames(root + "small\\");
  Best jobs;  // engine: queued; bare: at once
  Best bare;  // the same for the bare loops
  size_t mostQueued = 0, mostTogether = 0;
  for (int round = 0; round < rounds; ++round) {
    for (int side = 0; side < 2; ++side) {
      const bool queued = (side + round) % 2 == 0;
      Fresh(root + "bg-one\\");
      Fresh(root + "bg-two\\");
      background.jobs.SetPolicy(queued ? QueuePolicy::kOneAfterAnotherPerDrive : QueuePolicy::kAllAtOnce);
      size_t most = 0;
      double seconds = background.Run(stage.jobs, {CopyJob(stage, root, {"small"}, root + "bg-one\\"),
                                                   CopyJob(stage, root, {"small"}, root + "bg-two\\")},
                                      &most);
      if (queued) {
        jobs.Engine(seconds);
        mostQueued = std::max(mostQueued, most);
      } else {
        jobs.Bare(seconds);
        mostTogether = std::max(mostTogether, most);
      }
      Fresh(root + "bg-one\\");
      Fresh(root + "bg-two\\");
      seconds = BareCopies(root, names, !queued);
      if (queued) {
        bare.Engine(seconds);
      } else {
        bare.Bare(seconds);
      }
      RemoveTree(FileApiPath(root + "bg-one"));
      RemoveTree(FileApiPath(root + "bg-two"));
    }
  }
  background.jobs.SetPolicy(QueuePolicy::kOneAfterAnotherPerDrive);
  std::printf("two copies of 10 000 files: at most %zu ran at once queued, %zu together\n",
              mostQueued, mostTogether);
  Report("two copies queued, one drive", jobs, "all at once", "<= 1.05", jobs.engine / jobs.bare);
  std::printf("%-34s %9.1f ms   %-16s %9.1f ms   ratio %.2f (the platform's own)\n",
              "two CopyFileW loops in turn", bare.engine * 1000, "on two threads", bare.bare * 1000,
              bare.engine / bare.bare);
}

// A background copy of the large file paused again and again: the time from
// the pause to the last byte written. A write the engine holds when the
// pause comes (one block) finishes first, and counts.
// A job that does not end when it should: what the list shows of it.
void Stuck(BackgroundJobs& jobs) {
  for (const BackgroundRow& row : jobs.Rows())
    std::printf("  (a job did not end: state %d, phase %d, %llu of %llu done)\n",
                static_cast<int>(row.state), static_cast<int>(row.progress.phase),
                static_cast<unsigned long long>(row.progress.overallDone),
                static_cast<unsigned long long>(row.progress.overallTotal));
  jobs.CancelAll();
}

void PauseLatency(Stage& stage, BackgroundStage& background, const std::string& root) {
  constexpr int kPauses = 20;
  constexpr uint64_t kMargin = 64 << 20;  // left of the file when paused: it cannot end first
  const std::string target = root + "bg-pause\\";
  std::shared_ptr<WriteLog> log;
  std::shared_ptr<OperationJob> job;
  uint64_t key = 0;
  int copies = 0, mostWrites = 0;
  std::vector<double> latencies;
  while (static_cast<int>(latencies.size()) < kPauses) {
    const ProgressSnapshot progress = job ? job->Progress() : ProgressSnapshot();
    if (background.jobs.Unfinished() == 0 || progress.overallTotal < progress.overallDone + kMargin) {
      if (!PumpUntil([&] { return background.jobs.Unfinished() == 0; }, 60)) {
        Stuck(background.jobs);
        break;
      }
      background.jobs.ClearFinished();
      Fresh(target);
      log = std::make_shared<WriteLog>();
      job = CopyJob(stage, root, {"big.bin"}, target,
                    std::make_unique<LoggedFileSystem>(std::make_unique<Win32FileSystem>(), log));
      key = background.jobs.Add(job);
      ++copies;
      if (!PumpUntil([&] { return log->writes.load() >= 4 || background.jobs.Unfinished() == 0; }, 60)) {
        Stuck(background.jobs);
        break;
      }
      continue;
    }
    const int writesBefore = log->writes.load();
    const Clock::rep paused = Ticks(Clock::now());
    background.jobs.Pause(key, true);
    PumpFor(0.3);
    const Clock::rep last = log->last.load();
    latencies.push_back(last > paused ? SecondsBetween(paused, last) : 0);
    mostWrites = std::max(mostWrites, log->writes.load() - writesBefore);
    background.jobs.Pause(key, false);
    PumpFor(0.1);
  }
  const double longestWrite = SecondsBetween(0, log->longest.load());
  background.jobs.Cancel(key);
  if (!PumpUntil([&] { return background.jobs.Unfinished() == 0; }, 60)) Stuck(background.jobs);
  background.jobs.ClearFinished();
  RemoveTree(FileApiPath(root + "bg-pause"));
  if (latencies.empty()) return;
  std::vector<double> sorted = latencies;
  std::sort(sorted.begin(), sorted.end());
  std::printf("pauses of a 1 GiB background copy: %d over %d copies, median %.1f ms, "
              "at most %d blocks written after the pause, longest 1 MiB write %.1f ms\n",
              kPauses, copies, sorted[kPauses / 2] * 1000, mostWrites, longestWrite * 1000);
  std::printf("%-34s %9.1f ms   ratio %.2f of the target (target <= 100 ms)\n",
              "longest pause to last write", sorted.back() * 1000, sorted.back() / 0.1);
}

// The owner window keeps answering while the large and the small copy run
// in the background at once, the job list open and drawn.
void ResponsiveWhileTwoRun(Stage& stage, BackgroundStage& background, const std::string& root,
                           int rounds) {
  background.jobs.SetPolicy(QueuePolicy::kAllAtOnce);
  double worstGap = 0;
  for (int round = 0; round < rounds; ++round) {
    Fresh(root + "bg-big\\");
    Fresh(root + "bg-small\\");
    Pinger pinger(stage.owner);
    size_t most = 0;
    double seconds = background.Run(stage.jobs, {CopyJob(stage, root, {"big.bin"}, root + "bg-big\\"),
                                                 CopyJob(stage, root, {"small"}, root + "bg-small\\")},
                                    &most);
    pinger.Stop();
    worstGap = std::max(worstGap, pinger.longest);
    std::printf("two background jobs round %d: %.0f ms, %zu at once, %d round trips, "
                "longest %.1f ms from %.0f ms on\n",
                round + 1, seconds * 1000, most, pinger.pings, pinger.longest * 1000,
                pinger.longestAt * 1000);
    RemoveTree(FileApiPath(root + "bg-big"));
    RemoveTree(FileApiPath(root + "bg-small"));
  }
  background.jobs.SetPolicy(QueuePolicy::kOneAfterAnotherPerDrive);
  std::printf("%-34s %9.1f ms   ratio %.2f of the target (target <= 100 ms)\n",
              "longest unanswered, two jobs", worstGap * 1000, worstGap / 0.1);
}

void Background(const std::string& root, int rounds) {
  Stage stage;
  BackgroundStage background(stage);
  ForegroundAndBackground(stage, background, root, rounds);
  QueuedAndTogether(stage, background, root, rounds);
  PauseLatency(stage, background, root);
  ResponsiveWhileTwoRun(stage, background, root, rounds);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // each figure shows as soon as it is measured
  int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
  std::string root = argc > 2 ? Narrow(argv[2]) : "C:\\pxops\\";
  if (root.back() != '\\') root += '\\';
  if (GetFileAttributesW(FileApiPath(root + "big.bin").c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::printf("%sbig.bin is missing: run tools/make_ops_bench.py first\n", root.c_str());
    return 1;
  }
  const std::string only = argc > 3 ? Narrow(argv[3]) : "";
  auto wanted = [&](const char* part) { return only.empty() || only == part; };
  if (wanted("big")) BigCopy(root, rounds);
  const int smallCount = argc > 4 ? _wtoi(argv[4]) : 10000;
  if (wanted("small")) SmallFiles(root, rounds, static_cast<size_t>(std::max(1, smallCount)));
  if (wanted("count")) CountPass(root, rounds);
  if (wanted("attr")) Attributes(root, rounds);
  if (wanted("window")) Responsiveness(root, rounds);
  if (wanted("background")) Background(root, rounds);
  return 0;
}
