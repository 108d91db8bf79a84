// Listing a large folder: the bare folder search beside the panel's listing into
// a real list view, and re-sorting by each key; measured side by side in one run.
//   listing_bench [entries] [folder]
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "core/jobs/JobRunner.h"
#include "framework/TextFiles.h"
#include "framework/UiTasks.h"
#include "framework/Wide.h"
#include "panels/FilePanel.h"
#include "panels/Win32DirectorySource.h"

using namespace px;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

size_t CountEntries(const std::string& folder) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW(Widen(folder + "*.*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return 0;
  size_t count = 0;
  do ++count;
  while (FindNextFileW(search, &data));
  FindClose(search);
  return count;
}

void MakeFolder(const std::string& folder, int entries) {
  CreateDirectoryW(Widen(folder.substr(0, folder.size() - 1)).c_str(), nullptr);
  if (CountEntries(folder) >= static_cast<size_t>(entries) + 2) return;
  std::printf("creating %d files in %s ...\n", entries, folder.c_str());
  for (int i = 0; i < entries; ++i) {
    // Names of mixed case and length so that the sort has real work.
    char name[64];
    std::snprintf(name, sizeof(name), "%s%07d_%x.%s", (i % 3) ? "File" : "data", (i * 7919) % entries,
                  i, (i % 5) ? "txt" : "Doc");
    HANDLE file = CreateFileW(Widen(folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    if (i % 11 == 0) {
      DWORD written;
      WriteFile(file, name, static_cast<DWORD>(i % 50), &written, nullptr);
    }
    CloseHandle(file);
  }
}

size_t StringHeap(const std::string& s) { return s.capacity() > 15 ? s.capacity() + 1 : 0; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int entries = argc > 1 ? _wtoi(argv[1]) : 100000;
  std::string folder = argc > 2 ? Narrow(argv[2]) : "C:\\pxbench-" + std::to_string(entries);
  if (folder.back() != '\\') folder += '\\';
  MakeFolder(folder, entries);

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  HWND frame = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               800, 600, nullptr, nullptr, nullptr, nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                              0, 0, 780, 560, frame, reinterpret_cast<HMENU>(1000), nullptr, nullptr);
  Win32DirectorySource source;
  FilePanel panel(Side::kLeft, source);
  panel.Attach(list, nullptr, nullptr, nullptr, nullptr);
  const char* titles[] = {"Name", "Size", "Date", "Attributes"};
  for (int i = 0; i < 4; ++i) panel.List().InsertColumn(i, titles[i], LVCFMT_LEFT, 100);
  panel.SetPath(folder);

  const int kRounds = 5;
  double bestEnumerate = 1e9, bestList = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    auto start = Clock::now();
    size_t count = CountEntries(folder);
    bestEnumerate = std::min(bestEnumerate, Seconds(start));
    if (count == 0) {
      std::printf("cannot read %s\n", folder.c_str());
      return 1;
    }
    start = Clock::now();
    panel.ListPanel(false, true);
    UpdateWindow(list);
    bestList = std::min(bestList, Seconds(start));
  }
  size_t rows = panel.Table().RowCount();
  std::printf("entries listed             %zu\n", rows);
  std::printf("bare folder search         %8.1f ms\n", bestEnumerate * 1000);
  std::printf("ListPanel into list view   %8.1f ms   ratio %.2f (target <= 1.5)\n",
              bestList * 1000, bestList / bestEnumerate);

  const char* keyNames[] = {"name", "size", "date", "attributes", "extension", "listing"};
  for (int key = 0; key < 6; ++key) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
      panel.SetSortState({key == 0 ? 1 : 0, 0});
      auto start = Clock::now();
      panel.SortPanel(key);
      UpdateWindow(list);
      best = std::min(best, Seconds(start));
    }
    std::printf("sort by %-11s        %8.1f ms   ratio %.2f (target <= 0.3)\n", keyNames[key],
                best * 1000, best / bestEnumerate);
  }

  const EntryTable& table = panel.Table();
  size_t bytes = table.entries.capacity() * sizeof(PanelEntry) + table.rows.capacity() * sizeof(uint32_t);
  for (const PanelEntry& entry : table.entries) bytes += StringHeap(entry.name) + StringHeap(entry.foldedName);
  std::printf("panel memory per entry     %8.1f bytes (entry %zu + name heap + row)\n",
              static_cast<double>(bytes) / static_cast<double>(std::max<size_t>(rows, 1)),
              sizeof(PanelEntry));
  // File icons: drawing a page with the shell's icons (fetched the first time,
  // from the listing's cache when scrolled back to) beside the same page with
  // blank images, the panel without an image list.
  auto drawPage = [&] {
    InvalidateRect(list, nullptr, FALSE);
    auto start = Clock::now();
    UpdateWindow(list);
    return Seconds(start);
  };
  panel.SetSortState({1, 0});
  panel.SortPanel(0);
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, kFixedImageCount, 64);
  ImageList_SetImageCount(images, kFixedImageCount);
  // The list draws its images either way; the panel only fetches icons once
  // it knows the image list.
  panel.List().SetSmallImages(images);
  double bestBlank = 1e9;
  for (int round = 0; round < kRounds; ++round) bestBlank = std::min(bestBlank, drawPage());
  panel.SetImages(images);
  double bestFirst = 1e9, bestAgain = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    panel.ListPanel(false, true);  // a new listing: no icon fetched yet
    bestFirst = std::min(bestFirst, drawPage());
    bestAgain = std::min(bestAgain, drawPage());
  }
  // Every row asked for its image, as scrolling through the whole list does.
  for (size_t row = 0; row < panel.Table().RowCount(); ++row) {
    NMLVDISPINFOW info{};
    info.item.mask = LVIF_IMAGE;
    info.item.iItem = static_cast<int>(row);
    panel.OnGetDisplayInfo(info, true);
  }
  std::printf("page with blank images     %8.1f ms\n", bestBlank * 1000);
  std::printf("page with icons, first     %8.1f ms   ratio %.2f (target <= 3)\n", bestFirst * 1000,
              bestFirst / bestBlank);
  std::printf("page with icons, again     %8.1f ms   ratio %.2f (target <= 1.2)\n", bestAgain * 1000,
              bestAgain / bestBlank);
  std::printf("images after every row     %8d      (7 fixed + one per type: .txt, .doc)\n",
              ImageList_GetImageCount(images));

  // Read through a job, as the program does: how long the window's thread
  // is held by a listing of the whole folder, and when its rows are in.
  {
    UiTaskQueue tasks;
    JobRunner jobs([&tasks](std::function<void()> task) { return tasks.Post(std::move(task)); });
    panel.ReadListingsThrough(&jobs, std::make_shared<Win32DirectorySource>());
    double bestHeld = 1e9, bestIn = 1e9;
    for (int round = 0; round < kRounds; ++round) {
      auto start = Clock::now();
      panel.ListPanel(false, true);
      bestHeld = std::min(bestHeld, Seconds(start));
      MSG msg;
      while (panel.Reading()) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(1);
      }
      UpdateWindow(list);
      bestIn = std::min(bestIn, Seconds(start));
    }
    panel.ReadListingsThrough(nullptr, nullptr);
    std::printf("through a job: window held %6.1f ms   (waits %lld ms for the folder, then shows it being read)\n",
                bestHeld * 1000, static_cast<long long>(FilePanel::kListingWait.count()));
    std::printf("  and the rows in after    %8.1f ms   ratio %.2f to ListPanel here\n", bestIn * 1000,
                bestIn / bestList);
  }
  DestroyWindow(frame);
  ImageList_Destroy(images);
  return 0;
}
