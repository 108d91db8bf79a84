// The panels following the disk, and tabs, on the real main window showing a
// folder of 100 000 entries; each figure beside the work it stands on,
// measured side by side in one run:
//  - one file made in the folder: the merge that shows it, beside a listing;
//  - switching to a tab whose folder is unchanged (nothing read), and to one
//    whose folder changed while hidden, beside the bare search of the folder;
//  - 10 000 files made by another process: the panel's listings and merges
//    until every one shows, beside one listing of the folder.
//   live_bench [folder of 100 000 files]
// The folder is made by tools/make_bench_folder.py; the files the benchmark
// makes in it (live-*.dat, one-*.dat, tab-*.dat) are removed at the start and
// at the end.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "core/panel/EntryTable.h"
#include "core/panel/FolderChanges.h"
#include "core/panel/SelectionSummary.h"
#include "core/panel/Sorting.h"
#include "framework/FolderWatch.h"
#include "framework/MessageLoop.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "panels/FilePanel.h"
#include "panels/Win32DirectorySource.h"

#include "bench/BenchTiming.h"
#include "tools/WinePaths.h"

using namespace px;

namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;

using bench::Verdict;

void Report(const char* what, double ms, const char* baseName, double baseMs, double limit) {
  const double ratio = ms / baseMs;
  std::printf("%-34s %9.3f ms   %-28s %9.3f ms   ratio %.3f (target <= %.2f)  %s\n", what, ms, baseName,
              baseMs, ratio, limit, Verdict(ratio, limit));
}

void ReportLimit(const char* what, double ms, double limitMs) {
  std::printf("%-34s %9.3f ms   (absolute limit %.0f ms)  %s\n", what, ms, limitMs, Verdict(ms, limitMs));
}

bool IsDots(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The bare search of a folder: its entries counted, nothing kept.
size_t BareSearch(const std::string& folder) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW(FileApiPath(folder + "*.*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return 0;
  size_t count = 0;
  do {
    if (!IsDots(data.cFileName)) ++count;
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return count;
}

bool MakeFile(const std::string& path) {
  HANDLE file = CreateFileW(FileApiPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(FileApiPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Starts a Unix shell script in folder, another process that runs on by
// itself; when it ends it writes the mark file (a path the program sees).
// The script holds no double quotes (the command line groups by them).
bool StartShell(const std::string& folder, const std::string& script, const std::string& mark) {
  const std::string unixFolder = UnixPathOf(folder);
  const std::string unixMark = UnixPathOf(mark);
  if (unixFolder.empty() || unixMark.empty()) return false;
  std::wstring command = Widen("sh -c \"cd '" + unixFolder + "' && { " + script + "; }; echo done > '" +
                               unixMark + "'\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      Widen(folder).c_str(), &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// Runs a script and waits for its end (up to a minute).
bool RunShell(const std::string& folder, const std::string& script, const std::string& mark) {
  DeleteFileW(FileApiPath(mark).c_str());
  if (!StartShell(folder, script, mark)) return false;
  for (int i = 0; i < 3000 && !Exists(mark); ++i) Sleep(20);
  const bool ended = Exists(mark);
  DeleteFileW(FileApiPath(mark).c_str());
  return ended;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(FileApiPath(folder + "*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (IsDots(data.cFileName)) continue;
      const std::string child = folder + Narrow(data.cFileName);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child + "\\");
      else
        DeleteFileW(FileApiPath(child).c_str());
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  RemoveDirectoryW(FileApiPath(folder).c_str());
}

// What the window's thread spent on its messages while the benchmark pumped
// them: all of it, and the part that merged changes into the panel (the
// dispatches during which the panel's merge count went up).
struct ThreadWork {
  double allMs = 0;
  double mergeMs = 0;
  uint64_t merges = 0;
  std::vector<double> eachMerge;
  std::vector<double> listingsAt;  // when each listing started, from the reset
};

class Pumper {
 public:
  explicit Pumper(const FilePanel& panel) : panel_(panel) {}

  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      const uint64_t merges = panel_.Watching().merges;
      const uint64_t listings = panel_.Watching().listings;
      const auto start = Clock::now();
      // As the program's loop does: each window filters its own messages.
      if (!MessageLoop::FilterMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      const double ms = Milliseconds(start);
      work_.allMs += ms;
      if (panel_.Watching().merges != merges) {
        work_.mergeMs += ms;
        work_.merges += panel_.Watching().merges - merges;
        work_.eachMerge.push_back(ms);
      }
      if (panel_.Watching().listings != listings) {
        work_.listingsAt.push_back(std::chrono::duration<double, std::milli>(start - reset_).count());
      }
    }
  }

  // Pumps until done holds; false when it did not within the time.
  bool Until(const std::function<bool()>& done, int milliseconds) {
    const auto start = Clock::now();
    for (;;) {
      Pump();
      if (done()) return true;
      if (Milliseconds(start) > milliseconds) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
  }

  // Pumps until the panel has made no listing nor merge for quietMs.
  void Settle(int quietMs, int limitMs) {
    const auto start = Clock::now();
    auto last = Clock::now();
    FilePanel::WatchFigures seen = panel_.Watching();
    while (Milliseconds(start) < limitMs) {
      Pump();
      const FilePanel::WatchFigures now = panel_.Watching();
      if (now.listings != seen.listings || now.merges != seen.merges || panel_.Reading()) {
        seen = now;
        last = Clock::now();
      } else if (Milliseconds(last) >= quietMs) {
        return;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
  }

  void Reset() {
    work_ = ThreadWork();
    reset_ = Clock::now();
  }
  const ThreadWork& Work() const { return work_; }

 private:
  const FilePanel& panel_;
  ThreadWork work_;
  Clock::time_point reset_ = Clock::now();
};

// One listing of the panel's folder by the panel itself, read to its end
// before the window goes on: the job's search, the table, the sort and the
// rows shown, the cursor and marks put back.
double PanelListing(FilePanel& panel, Pumper& pump) {
  FilePanel::SetListingWait(std::chrono::seconds(60));
  const auto start = Clock::now();
  panel.RelistKeeping(false);
  const double ms = Milliseconds(start);
  FilePanel::SetListingWait(FilePanel::kListingWait);
  pump.Pump();
  return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string folder = argc > 1 ? Narrow(argv[1]) : "C:\\pxlive-100000";
  if (folder.back() != '\\') folder += '\\';
  const auto benchStart = Clock::now();

  // The start folder of the window: its settings show the folder on the
  // left, the start folder itself on the right.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string start = Narrow(temp) + "pxlive-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryW(FileApiPath(start).c_str(), nullptr);
  const std::string mark = start + "shell.mark";
  const std::string cleanup = "rm -f live-*.dat one-*.dat tab-*.dat";
  if (!RunShell(folder, cleanup, mark)) {
    std::printf("cannot run a Unix shell in %s\n", folder.c_str());
    return 1;
  }
  const size_t entries = BareSearch(folder);
  if (entries == 0) {
    std::printf("cannot read %s: run tools/make_bench_folder.py first\n", folder.c_str());
    return 1;
  }
  {
    const std::string settings = "[Left]\r\nPath=" + folder + "\r\n[Right]\r\nPath=" + start + "\r\n";
    HANDLE file = CreateFileW(FileApiPath(start + "PX.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
      WriteFile(file, settings.data(), static_cast<DWORD>(settings.size()), &written, nullptr);
      CloseHandle(file);
    }
  }
  std::printf("entries in the folder          %zu (%s)\n", entries, folder.c_str());

  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  wchar_t previous[MAX_PATH * 4] = {};
  GetCurrentDirectoryW(MAX_PATH * 4, previous);
  SetCurrentDirectoryW(Widen(start).c_str());
  int result = 0;
  {
    auto window = std::make_unique<MainWindow>();
    if (!window->Create(nullptr)) {
      std::printf("the main window could not be made\n");
      return 1;
    }
    FilePanel& panel = window->Panels().Panel(Side::kLeft);
    Pumper pump(panel);
    const auto rows = [&] { return static_cast<size_t>(panel.List().ItemCount()); };
    const auto shows = [&](size_t count) {
      return [&, count] { return !panel.Reading() && rows() == count + 1 && panel.Watched(); };
    };
    if (!pump.Until(shows(entries), 60000)) {
      std::printf("the panel did not show the folder (%zu rows)\n", rows());
      return 1;
    }
    pump.Settle(500, 5000);
    std::printf("the window showed it after     %9.0f ms\n", Milliseconds(benchStart));

    // One listing of the folder by the panel, its search alone, the bare search.
    Win32DirectorySource source;
    std::vector<double> panelListing, listFolder, bare;
    for (int round = 0; round < 3; ++round) {
      panelListing.push_back(PanelListing(panel, pump));
      EntryTable table;
      auto at = Clock::now();
      (void)ListFolder(source, folder, false, table);
      listFolder.push_back(Milliseconds(at));
      at = Clock::now();
      BareSearch(folder);
      bare.push_back(Milliseconds(at));
    }
    pump.Settle(300, 3000);
    const double listing = Median(panelListing);
    std::printf("a listing by the panel         %9.3f ms   (its search into a table %.3f ms, the bare search "
                "%.3f ms)\n",
                listing, Median(listFolder), Median(bare));

    // 1. One file made in the folder: from its creation to its row, and the
    // merge that put it there, beside a listing; then the same merge called
    // directly, beside the search into a table.
    {
      std::vector<double> shown, merge, stat;
      uint64_t listingsMade = 0;
      const int kFiles = 5;
      size_t count = entries;
      for (int i = 1; i <= kFiles; ++i) {
        const uint64_t listingsBefore = panel.Watching().listings;
        pump.Reset();
        const std::string path = folder + "one-" + std::to_string(i) + ".dat";
        if (!MakeFile(path)) {
          std::printf("cannot make %s\n", path.c_str());
          return 1;
        }
        const auto made = Clock::now();
        ++count;
        if (!pump.Until(shows(count), 10000)) {
          std::printf("the new file did not show (%zu rows)\n", rows());
          return 1;
        }
        shown.push_back(Milliseconds(made));
        merge.push_back(pump.Work().mergeMs);
        listingsMade += panel.Watching().listings - listingsBefore;
        pump.Settle(300, 3000);
        const auto at = Clock::now();
        (void)LookUpEntry(folder, "one-" + std::to_string(i) + ".dat");
        stat.push_back(Milliseconds(at));
      }
      std::printf("one file made: its row showed after %.1f ms (median of %d; the panel looks every 250 ms), "
                  "%llu listings made\n",
                  Median(shown), kFiles, static_cast<unsigned long long>(listingsMade));
      Report("one file: the panel's merge", Median(merge), "a listing by the panel", listing, 0.1);
      std::printf("  of which the platform's stat of the one name: %.3f ms\n", Median(stat));

      // The merge called directly: one added name into a table of the
      // folder's entries, sorted again, beside the search into a table.
      EntryTable listed;
      (void)ListFolder(source, folder, false, listed);
      SortRows(listed, {kSortByName, 0});
      const std::string added = "one-1.dat";
      std::vector<double> direct, search;
      EntryTable table;
      for (int round = 0; round < 7; ++round) {
        table = listed;
        // The table as it was before the file came.
        table.entries.erase(std::remove_if(table.entries.begin(), table.entries.end(),
                                           [&](const PanelEntry& e) { return e.name == added; }),
                            table.entries.end());
        table.rows.resize(table.entries.size());
        for (uint32_t e = 0; e < table.rows.size(); ++e) table.rows[e] = e;
        SortRows(table, {kSortByName, 0});
        ChangeBatch batch;
        batch.Add(ChangeAction::kAdded, added);
        auto at = Clock::now();
        const AppliedChanges applied = ApplyChanges(
            table, batch, false, [&](const std::string& name) { return LookUpEntry(folder, name); });
        if (applied.Changed()) SortRows(table, {kSortByName, 0});
        direct.push_back(Milliseconds(at));
        if (applied.added != 1) std::printf("  (the direct merge added %zu entries)\n", applied.added);
        EntryTable fresh;
        at = Clock::now();
        (void)ListFolder(source, folder, false, fresh);
        search.push_back(Milliseconds(at));
      }
      Report("one file: merge and sort, direct", Median(direct), "its search into a table", Median(search), 0.1);

      // Where the panel's merge goes: its steps one by one, on the panel's
      // own rows and list where they touch them.
      {
        std::vector<double> apply, sort, summary, sortPanel, clear, clearNone, itemCount, selection;
        const ListView& list = panel.List();
        const int count = list.ItemCount();
        for (int round = 0; round < 5; ++round) {
          table = listed;
          ChangeBatch batch;
          batch.Add(ChangeAction::kModified, added);
          auto at = Clock::now();
          (void)ApplyChanges(table, batch, false, [&](const std::string& name) { return LookUpEntry(folder, name); });
          apply.push_back(Milliseconds(at));
          std::swap(table.rows[1], table.rows[table.rows.size() - 1]);  // one row out of place, as a new one comes
          at = Clock::now();
          SortRows(table, {kSortByName, 0});
          sort.push_back(Milliseconds(at));
          SelectionSummary figures;
          at = Clock::now();
          figures.Reset(table);
          summary.push_back(Milliseconds(at));
          at = Clock::now();
          (void)panel.CurrentSelection();
          selection.push_back(Milliseconds(at));
          at = Clock::now();
          list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
          clear.push_back(Milliseconds(at));
          at = Clock::now();
          list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
          clearNone.push_back(Milliseconds(at));
          at = Clock::now();
          panel.SortPanel(-1);
          sortPanel.push_back(Milliseconds(at));
          at = Clock::now();
          list.Send(LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
          itemCount.push_back(Milliseconds(at));
          panel.SetCursor(0);
          pump.Pump();
        }
        std::printf("  the merge's steps: applying the change %.3f ms, sorting the rows %.3f ms, the selection "
                    "figures %.3f ms,\n"
                    "    the panel's re-sort with its marks kept %.3f ms, reading the marks %.3f ms;\n"
                    "    the panel's list: every mark cleared %.3f ms (the cursor's row marked), %.3f ms (none), "
                    "the item count set %.3f ms\n",
                    Median(apply), Median(sort), Median(summary), Median(sortPanel), Median(selection),
                    Median(clear), Median(clearNone), Median(itemCount));
        // The platform's own cost of those list calls: a bare list of as
        // many rows, in a window of its own, that nobody answers.
        {
          HWND frame = CreateWindowExW(0, L"STATIC", L"bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                       nullptr, nullptr, nullptr, nullptr);
          HWND bareList = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0,
                                          0, 780, 560, frame, nullptr, nullptr, nullptr);
          const ListView bareView(bareList);
          bareView.InsertColumn(0, "Name", LVCFMT_LEFT, 300);
          bareView.Send(LVM_SETITEMCOUNT, count, 0);
          pump.Pump();
          std::vector<double> clearSelected, clearNone, setCount;
          for (int round = 0; round < 5; ++round) {
            bareView.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            bareView.Send(LVM_SETSELECTIONMARK, 0, 0);
            auto at = Clock::now();
            bareView.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
            clearSelected.push_back(Milliseconds(at));
            at = Clock::now();
            bareView.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
            clearNone.push_back(Milliseconds(at));
            at = Clock::now();
            bareView.Send(LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
            setCount.push_back(Milliseconds(at));
            pump.Pump();
          }
          DestroyWindow(frame);
          pump.Pump();
          std::printf("  the platform's bare list of %d rows: every mark cleared %.3f ms (one row marked), %.3f ms "
                      "(none), the item count set %.3f ms\n",
                      count, Median(clearSelected), Median(clearNone), Median(setCount));
          // A merge clears every mark once and sets the item count once.
          const double platform = Median(clearSelected) + Median(setCount);
          std::printf("  the merge less the platform's list calls in it (%.3f ms): %.3f ms, ratio %.3f to a "
                      "listing (for information)\n",
                      platform, Median(merge) - platform, (Median(merge) - platform) / listing);
        }
        std::printf("  the merges' dispatches, each: ");
        for (double ms : merge) std::printf("%.1f ", ms);
        std::printf("ms\n");
      }

      // The files go again (merged out) before the next part.
      for (int i = 1; i <= kFiles; ++i) DeleteFileW(FileApiPath(folder + "one-" + std::to_string(i) + ".dat").c_str());
      if (!pump.Until(shows(entries), 10000)) {
        std::printf("the files removed still show (%zu rows)\n", rows());
        return 1;
      }
      pump.Settle(300, 3000);
    }

    // 2. Tabs: a second tab on the start folder; switching back to the
    // folder's tab, unchanged, reads nothing; changed while hidden, it is read.
    {
      if (!panel.OpenTab()) {
        std::printf("no tab could be opened\n");
        return 1;
      }
      window->Panels().GoToFolder(start, true);
      pump.Settle(300, 5000);
      std::vector<double> unchanged, stale, bareSearch;
      uint64_t unchangedListings = 0;
      bool allShown = true;
      for (int round = 0; round < 5; ++round) {
        const uint64_t before = panel.Watching().listings;
        auto at = Clock::now();
        panel.SelectTab(0, false);
        UpdateWindow(window->Handle());
        unchanged.push_back(Milliseconds(at));
        allShown &= rows() == entries + 1;
        unchangedListings += panel.Watching().listings - before;
        pump.Pump();
        panel.SelectTab(1, false);
        pump.Settle(200, 3000);
      }
      ReportLimit("switching to an unchanged tab", Median(unchanged), 50);
      std::printf("  %llu listings made by those switches%s\n", static_cast<unsigned long long>(unchangedListings),
                  allShown ? "" : "; some switch did not show every row");

      size_t count = entries;
      for (int round = 1; round <= 3; ++round) {
        // The folder changes while its tab is hidden.
        if (!MakeFile(folder + "tab-" + std::to_string(round) + ".dat")) return 1;
        ++count;
        if (!pump.Until([&] { return panel.TabStale(0); }, 5000)) {
          std::printf("the hidden tab was not marked stale\n");
          return 1;
        }
        auto at = Clock::now();
        BareSearch(folder);
        bareSearch.push_back(Milliseconds(at));
        at = Clock::now();
        panel.SelectTab(0, false);
        if (!pump.Until(shows(count), 20000)) {
          std::printf("the stale tab did not show its folder (%zu rows)\n", rows());
          return 1;
        }
        UpdateWindow(window->Handle());
        stale.push_back(Milliseconds(at));
        pump.Settle(200, 3000);
        panel.SelectTab(1, false);
        pump.Settle(200, 3000);
      }
      Report("switching to a stale tab", Median(stale), "the bare search of its folder", Median(bareSearch), 1.5);
      std::printf("  the platform's part: the search into a table %.3f ms, the panel's whole listing %.3f ms\n",
                  Median(listFolder), listing);

      panel.SelectTab(0, false);
      for (int round = 1; round <= 3; ++round) DeleteFileW(FileApiPath(folder + "tab-" + std::to_string(round) + ".dat").c_str());
      if (!pump.Until(shows(entries), 20000)) {
        std::printf("the tab's files removed still show (%zu rows)\n", rows());
        return 1;
      }
      pump.Settle(300, 3000);
      panel.CloseTab(1, false);
      pump.Settle(300, 3000);
    }

    // 3. A burst: 10 000 files made by another process while the folder is
    // shown; the panel's work until every one shows, beside one listing of
    // the folder as it ends.
    {
      const int kBurst = 10000;
      const std::string script =
          "for i in $(seq 1 " + std::to_string(kBurst) + "); do : > live-$i.dat; done";
      // The platform's own cost: the same burst in a folder nobody watches.
      double unwatched = 0;
      {
        const std::string scratch = start + "burst\\";
        CreateDirectoryW(FileApiPath(scratch).c_str(), nullptr);
        const auto at = Clock::now();
        if (RunShell(scratch, script, mark)) unwatched = Milliseconds(at);
        RunShell(start, "rm -rf burst", mark);
      }
      const FilePanel::WatchFigures before = panel.Watching();
      pump.Reset();
      DeleteFileW(FileApiPath(mark).c_str());
      const auto at = Clock::now();
      if (!StartShell(folder, script, mark)) {
        std::printf("cannot start the Unix shell\n");
        return 1;
      }
      double made = 0;
      const bool all = pump.Until(
          [&] {
            if (made == 0 && Exists(mark)) made = Milliseconds(at);
            return shows(entries + kBurst)();
          },
          90000);
      const double allShown = Milliseconds(at);
      // Whatever the burst still asks for afterwards counts too.
      pump.Settle(1000, 10000);
      if (made == 0) made = Exists(mark) ? Milliseconds(at) : 0;
      DeleteFileW(FileApiPath(mark).c_str());
      const FilePanel::WatchFigures after = panel.Watching();
      const ThreadWork work = pump.Work();
      if (!all) std::printf("not every file showed: %zu rows\n", rows());
      const uint64_t listings = after.listings - before.listings;
      const uint64_t merges = after.merges - before.merges;
      std::vector<double> finalListing, finalSearch, finalBare;
      for (int round = 0; round < 3; ++round) {
        finalListing.push_back(PanelListing(panel, pump));
        EntryTable table;
        auto t = Clock::now();
        (void)ListFolder(source, folder, false, table);
        finalSearch.push_back(Milliseconds(t));
        t = Clock::now();
        BareSearch(folder);
        finalBare.push_back(Milliseconds(t));
      }
      const double last = Median(finalListing);
      std::printf("10 000 files made by another process in %.0f ms (in a folder nobody watches %.0f ms, "
                  "waited for); all %zu rows shown after %.0f ms\n",
                  made, unwatched, rows(), allShown);
      std::printf("  the listings started at");
      for (double ms : work.listingsAt) std::printf(" %.0f", ms);
      std::printf(" ms; the merges took");
      for (double ms : work.eachMerge) std::printf(" %.1f", ms);
      std::printf(" ms\n");
      std::printf("  the panel made %llu listings and %llu merges (merges took %.3f ms on the window's thread; "
                  "the thread's messages %.3f ms in all)\n",
                  static_cast<unsigned long long>(listings), static_cast<unsigned long long>(merges), work.mergeMs,
                  work.allMs);
      std::printf("  a listing of the final folder by the panel %.3f ms (its search into a table %.3f ms, the "
                  "bare search %.3f ms)\n",
                  last, Median(finalSearch), Median(finalBare));
      Report("10 000 files: listings + merges", static_cast<double>(listings) * last + work.mergeMs,
             "one listing of the final folder", last, 2.0);
    }

    pump.Settle(200, 2000);
    window.reset();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  SetCurrentDirectoryW(previous);
  if (!RunShell(folder, cleanup, mark)) result = 1;
  RemoveTree(start);
  if (SUCCEEDED(com)) CoUninitialize();
  std::printf("the whole run took %.1f s\n", Milliseconds(benchStart) / 1000);
  return result;
}
