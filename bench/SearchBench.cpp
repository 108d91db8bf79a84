// Searching a tree of 100 000 files in 1 000 folders with the real search
// dialog, beside one bare recursive folder search of the same tree; measured
// side by side in one run, a search that finds a few files and one that finds
// every file (all of them listed in the dialog).
//   search_bench [folder]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "core/language/LanguageTable.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"
#include "framework/AppContext.h"
#include "framework/UiTasks.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "ui/SearchDialog.h"

using namespace px;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What the bare walk does: every folder searched once, its subfolders after it.
size_t BareWalk(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW((folder + L"*.*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return 0;
  size_t count = 0;
  std::vector<std::wstring> subfolders;
  do {
    if (data.cFileName[0] == L'.' &&
        (data.cFileName[1] == 0 || (data.cFileName[1] == L'.' && data.cFileName[2] == 0)))
      continue;
    ++count;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      subfolders.push_back(folder + data.cFileName + L"\\");
  } while (FindNextFileW(search, &data));
  FindClose(search);
  for (const std::wstring& sub : subfolders) count += BareWalk(sub);
  return count;
}

class NoFile : public ProfileStorage {
 public:
  std::optional<std::string> Load() override { return std::string(); }
  bool Save(const std::string&) override { return true; }
};

// One search in the dialog, from the start button to the last result listed.
double DialogSearch(AppContext& context, const std::string& folder, const char* mask,
                    int& listed) {
  SearchDialog dialog(context);
  dialog.panelFolder = folder;
  if (!dialog.Create(context.owner)) return 0;
  SetWindowTextW(dialog.Control(IDC_SEARCH_NAME), Widen(mask).c_str());
  SetWindowTextW(dialog.Control(IDC_SEARCH_FOLDER), Widen(folder).c_str());
  auto start = Clock::now();
  SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_START, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog.Control(IDC_SEARCH_START)));
  MSG msg;
  while (dialog.Searching()) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  double seconds = Seconds(start);
  listed = static_cast<int>(SendMessageW(dialog.Control(IDC_SEARCH_RESULTS), LB_GETCOUNT, 0, 0));
  dialog.Destroy();
  return seconds;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string folder = argc > 1 ? Narrow(argv[1]) : "C:\\pxsearch-tree";
  if (folder.back() != '\\') folder += '\\';
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HWND owner = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               800, 600, nullptr, nullptr, nullptr, nullptr);

  UiTaskQueue tasks;
  LanguageTable texts;
  Options options;
  SettingsStore settings(std::make_unique<NoFile>());
  AppContext context;
  context.owner = owner;
  context.texts = &texts;
  context.options = &options;
  context.settings = &settings;
  context.uiTasks = &tasks;
  JobRunner jobs([&tasks](std::function<void()> task) { return tasks.Post(std::move(task)); });
  context.jobs = &jobs;

  const int kRounds = 3;
  double bare = 1e9, few = 1e9, all = 1e9;
  size_t entries = 0;
  int fewListed = 0, allListed = 0;
  for (int round = 0; round < kRounds; ++round) {
    auto start = Clock::now();
    entries = BareWalk(Widen(folder));
    bare = std::min(bare, Seconds(start));
    few = std::min(few, DialogSearch(context, folder, "needle", fewListed));
    all = std::min(all, DialogSearch(context, folder, "*", allListed));
  }
  if (entries == 0) {
    std::printf("cannot read %s\n", folder.c_str());
    return 1;
  }
  std::printf("entries in the tree        %zu\n", entries);
  std::printf("bare recursive search      %8.1f ms\n", bare * 1000);
  std::printf("search finding a few       %8.1f ms   ratio %.2f (target <= 1.3), %d listed\n",
              few * 1000, few / bare, fewListed);
  std::printf("search finding every file  %8.1f ms   ratio %.2f (target <= 2.5), %d listed\n",
              all * 1000, all / bare, allListed);
  DestroyWindow(owner);
  return 0;
}
