// Expanding a folder of many subfolders in a real folder tree beside the bare
// search of that folder, and synchronising a tree to a deep folder beside the
// searches of the folders on its path.
//   tree_bench [count] [folder with many subfolders]
// Without a folder, C:\pxtree-<count> (count 10000) is used and made when
// missing; tools/make_bench_tree.py makes it far faster from the host.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/text/CaseFold.h"
#include "framework/Controls.h"
#include "framework/TextFiles.h"
#include "framework/UiTasks.h"
#include "framework/Wide.h"
#include "framework/FolderTree.h"
#include "res/resource.h"

using namespace px;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The search the tree makes of a folder, calling found(name) for each
// subfolder; gives their count.
template <typename Found>
size_t ForEachSubfolder(const std::string& folder, Found found) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW(FileApiPath(folder + "*.*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchLimitToDirectories, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return 0;
  size_t count = 0;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcscmp(data.cFileName, L".") != 0 &&
        wcscmp(data.cFileName, L"..") != 0) {
      ++count;
      found(data.cFileName);
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return count;
}

size_t CountSubfolders(const std::string& folder) {
  return ForEachSubfolder(folder, [](const wchar_t*) {});
}

double BestEnumeration(const std::string& folder, int rounds) {
  double best = 1e9;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    CountSubfolders(folder);
    best = std::min(best, Seconds(start));
  }
  return best;
}

void MakeFolder(const std::string& path) { CreateDirectoryW(FileApiPath(path).c_str(), nullptr); }

void MakeManySubfolders(const std::string& folder, int count) {
  MakeFolder(folder);
  if (CountSubfolders(folder) >= static_cast<size_t>(count)) return;
  std::printf("creating %d folders in %s ...\n", count, folder.c_str());
  auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    // Names of mixed case and an order unlike the creation order.
    char name[64];
    std::snprintf(name, sizeof(name), "%s%05d_%x", (i % 3) ? "Folder" : "data",
                  (i * 7919) % count, i);
    MakeFolder(folder + name);
  }
  std::printf("created in %.1f s\n", Seconds(start));
}

// C:\pxtree-deep\d01\...\d20, with three siblings (each with one subfolder) at
// every level so that the tree has buttons to find; returns the deepest folder.
std::string MakeDeepPath(const std::string& base, std::vector<std::string>& onPath) {
  MakeFolder(base);
  std::string path = base;
  onPath.push_back(path);
  for (int level = 1; level <= 20; ++level) {
    for (int sibling = 1; sibling <= 3; ++sibling) {
      std::string other = path + "s" + std::to_string(sibling);
      MakeFolder(other);
      MakeFolder(other + "\\inner");
    }
    char name[8];
    std::snprintf(name, sizeof(name), "d%02d", level);
    path += std::string(name) + "\\";
    MakeFolder(path);
    onPath.push_back(path);
  }
  return path;
}

FolderTree* g_tree = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && g_tree != nullptr && g_tree->HandleNotify(reinterpret_cast<NMHDR*>(lParam)))
    return 0;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeTree(HWND host, HIMAGELIST images) {
  HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                              0, 0, 380, 560, host, reinterpret_cast<HMENU>(1129), nullptr,
                              nullptr);
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  return tree;
}

// A tree view in the host, run by a FolderTree that gets its notifications
// and looks into folders for their buttons on its own thread, as in the
// program; for one round, the window goes at the end of the round.
struct RunningTree {
  RunningTree(HWND host, HIMAGELIST images, UiTaskQueue& tasks) : window(MakeTree(host, images)) {
    tree.Attach(window);
    tree.ProbeThrough(tasks, jobs);
    g_tree = &tree;
  }
  // Runs the message loop until every button asked about is known.
  void Settle() {
    // Waiting as the program's message loop does: a loop that kept asking
    // for messages would slow the thread down.
    while (tree.ProbesPending() > 0) {
      MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
  }
  ~RunningTree() {
    // No lookup of the round may still run into the next one's time.
    Settle();
    g_tree = nullptr;
    DestroyWindow(window);
  }
  HWND window;
  JobRunner jobs;  // goes after the tree, whose probing job it waits for
  FolderTree tree;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int count = argc > 1 ? _wtoi(argv[1]) : 10000;
  std::string folder = argc > 2 ? Narrow(argv[2]) : "C:\\pxtree-" + std::to_string(count);
  if (folder.back() != '\\') folder += '\\';
  if (argc <= 2) MakeManySubfolders(folder, count);

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW hostClass{};
  hostClass.lpfnWndProc = HostProc;
  hostClass.hInstance = GetModuleHandleW(nullptr);
  hostClass.lpszClassName = L"PxTreeBenchHost";
  hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&hostClass);
  HWND host = CreateWindowExW(0, L"PxTreeBenchHost", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 400, 600, nullptr, nullptr, nullptr, nullptr);
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
  for (int id : {IDI_FOLDER, IDI_FOLDER_OPEN}) {
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                               IMAGE_ICON, 16, 16, 0));
    ImageList_AddIcon(images, icon);
    DestroyIcon(icon);
  }

  UiTaskQueue tasks;
  const int kRounds = 5;
  size_t subfolders = CountSubfolders(folder);
  if (subfolders == 0) {
    std::printf("cannot read %s\n", folder.c_str());
    return 1;
  }
  double bareBest = BestEnumeration(folder, kRounds);

  // The node is the folder's own; its parent is reached untimed.
  std::string parent = folder.substr(0, folder.find_last_of('\\', folder.size() - 2) + 1);
  std::wstring name = Widen(folder.substr(parent.size(), folder.size() - parent.size() - 1));
  double expandBest = 1e9, undrawnBest = 1e9, settledBest = 1e9;
  size_t probes = 0, nodes = 0;
  for (int round = 0; round < kRounds; ++round) {
    RunningTree running(host, images, tasks);
    FolderTree& tree = running.tree;
    HWND treeWindow = running.window;
    tree.SyncToPath(parent, false);
    UpdateWindow(treeWindow);
    // The buttons of what is drawn so far are known before the clock starts.
    running.Settle();
    HTREEITEM node = TreeView(treeWindow).ChildWithText(TreeView_GetSelection(treeWindow), name);
    if (node == nullptr) {
      std::printf("%s is not in the tree\n", folder.c_str());
      return 1;
    }
    size_t probesBefore = tree.FoldersProbed();
    auto start = Clock::now();
    TreeView_Expand(treeWindow, node, TVE_EXPAND);
    undrawnBest = std::min(undrawnBest, Seconds(start));
    UpdateWindow(treeWindow);
    expandBest = std::min(expandBest, Seconds(start));
    running.Settle();
    UpdateWindow(treeWindow);
    settledBest = std::min(settledBest, Seconds(start));
    probes = tree.FoldersProbed() - probesBefore;
    nodes = 0;
    for (HTREEITEM child = TreeView_GetChild(treeWindow, node); child != nullptr;
         child = TreeView_GetNextSibling(treeWindow, child))
      ++nodes;
  }
  // The same nodes in a bare tree view, expanded and drawn: what the control
  // itself costs, whoever fills it.
  std::vector<std::wstring> names;
  ForEachSubfolder(folder, [&](const wchar_t* name) { names.push_back(name); });
  // settle: with the font FolderTree gives its tree, or with the tree's own.
  double insertBest = 1e9;
  auto controlOnly = [&](bool settle) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
      HWND treeWindow = MakeTree(host, images);
      FolderTree owner;
      if (settle) owner.Attach(treeWindow);
      TVINSERTSTRUCTW insert{};
      insert.hParent = TVI_ROOT;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
      insert.item.cChildren = 1;
      insert.item.pszText = const_cast<wchar_t*>(L"node");
      HTREEITEM node = TreeView_InsertItem(treeWindow, &insert);
      insert.hParent = node;
      insert.item.cChildren = 0;
      auto inserting = Clock::now();
      for (std::wstring& child : names) {
        insert.item.pszText = child.data();
        TreeView_InsertItem(treeWindow, &insert);
      }
      insertBest = std::min(insertBest, Seconds(inserting));
      UpdateWindow(treeWindow);
      auto start = Clock::now();
      TreeView_Expand(treeWindow, node, TVE_EXPAND);
      UpdateWindow(treeWindow);
      best = std::min(best, Seconds(start));
      DestroyWindow(treeWindow);
    }
    return best;
  };
  double controlBest = controlOnly(true);
  double defaultFontBest = controlOnly(false);

  std::printf("subfolders                  %zu (nodes %zu, folders probed %zu)\n", subfolders,
              nodes, probes);
  // What the platform itself costs: the search, and the tree view taking in
  // the nodes and expanding and drawing them. The expansion is measured
  // against that sum; against the search alone it is only shown.
  const double platformBest = bareBest + insertBest + controlBest;
  std::printf("bare folder search          %8.1f ms\n", bareBest * 1000);
  std::printf("expand node and draw        %8.1f ms   ratio %.2f to the search alone\n",
              expandBest * 1000, expandBest / bareBest);
  std::printf("  against the platform      %8.1f ms   ratio %.2f (target <= 1.25: search + tree view)\n",
              platformBest * 1000, expandBest / platformBest);
  std::printf("  of which before drawing   %8.1f ms   (read, inserted, expanded)\n",
              undrawnBest * 1000);
  std::printf("  every button known, drawn %8.1f ms   (the folders drawn looked into on a thread)\n",
              settledBest * 1000);
  std::printf("  of which the tree view    %8.1f ms   (its own expansion and drawing, filled beforehand)\n",
              controlBest * 1000);
  std::printf("  and its insertion of them  %8.1f ms   (into the node while closed)\n",
              insertBest * 1000);
  std::printf("  the same, font as created %8.1f ms   (default quality: smoothing looked up per item)\n",
              defaultFontBest * 1000);

  // Walking into the last of the many subfolders, the node already read.
  std::wstring lastName;
  for (const std::wstring& candidate : names)
    if (lastName.empty() || CompareNoCase(Narrow(candidate), Narrow(lastName)) > 0)
      lastName = candidate;
  const std::string lastFolder = folder + Narrow(lastName) + "\\";
  double intoBest = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    RunningTree running(host, images, tasks);
    FolderTree& tree = running.tree;
    HWND treeWindow = running.window;
    tree.SyncToPath(folder, true);
    UpdateWindow(treeWindow);
    running.Settle();
    auto start = Clock::now();
    tree.SyncToPath(lastFolder, true);
    UpdateWindow(treeWindow);
    intoBest = std::min(intoBest, Seconds(start));
    if (round == 0 && tree.SelectedPath() != lastFolder)
      std::printf("synchronised to %s instead\n", tree.SelectedPath().c_str());
  }
  std::printf("SyncToPath to the last one  %8.1f ms   (its parent read before)\n", intoBest * 1000);

  std::vector<std::string> onPath{"C:\\"};
  std::string deep = MakeDeepPath("C:\\pxtree-deep\\", onPath);
  double bareSum = 0;
  for (const std::string& step : onPath) bareSum += BestEnumeration(step, kRounds);
  double syncBest = 1e9, syncAloneBest = 1e9;
  size_t reads = 0;
  for (int round = 0; round < kRounds; ++round) {
    RunningTree running(host, images, tasks);
    FolderTree& tree = running.tree;
    HWND treeWindow = running.window;
    auto start = Clock::now();
    tree.SyncToPath(deep, true);
    syncAloneBest = std::min(syncAloneBest, Seconds(start));
    UpdateWindow(treeWindow);
    syncBest = std::min(syncBest, Seconds(start));
    probes = tree.FoldersProbed();
    reads = tree.FoldersRead();
    if (round == 0 && tree.SelectedPath() != deep)
      std::printf("synchronised to %s instead\n", tree.SelectedPath().c_str());
  }
  std::printf("searches of the %2zu folders  %8.1f ms\n", onPath.size(), bareSum * 1000);
  std::printf("SyncToPath 20 deep          %8.1f ms   ratio %.2f (folders read %zu, redraw suspended)\n",
              syncAloneBest * 1000, syncAloneBest / bareSum, reads);
  std::printf("  and the first draw        %8.1f ms   (buttons asked of the thread %zu)\n",
              (syncBest - syncAloneBest) * 1000, probes);

  ImageList_Destroy(images);
  DestroyWindow(host);
  return 0;
}
