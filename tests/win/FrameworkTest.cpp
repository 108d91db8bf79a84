// Our Win32 layer on its own: routes chained from a dialog to the objects that
// own some of its controls, typed notifications, and tasks handed to the UI
// thread from other threads.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/MainWindow.h"
#include "framework/BufferedPaint.h"
#include "framework/Dialog.h"
#include "framework/MessageLoop.h"
#include "framework/Trace.h"
#include "framework/UiTasks.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"

namespace px::test {
namespace {

// The dialogs' buttons come from the version 6 controls, which must be loaded.
void LoadControls() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
}

// A top-level window to own the test dialogs, destroyed at the end of the scope.
struct Owner {
  Owner()
      : hwnd(CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, nullptr, nullptr)) {}
  ~Owner() { DestroyWindow(hwnd); }
  HWND hwnd;
};

constexpr UINT kOwnId = 100;       // the dialog's own route takes it
constexpr UINT kPassedOnId = 101;  // the dialog's route lets it go on
constexpr UINT kChainedId = 102;   // only the chained router knows it
constexpr UINT kListId = 5;

// Owns a group of the dialog's controls, as the panels do.
class Router : public MessageRouter {
 public:
  bool RouteMessage(Message& message, LRESULT& result) override;
  LRESULT OnCommand(Message& message) {
    seen.push_back("router " + std::to_string(message.id));
    return 0;
  }
  LRESULT OnColumnClick(Message& message, NMLISTVIEW& click) {
    seen.push_back("column " + std::to_string(click.iSubItem) + " of " +
                   std::to_string(message.id));
    return 7;
  }
  std::vector<std::string> seen;
};

struct RouterRoutes {
  static const Route<Router> kRoutes[];
};
const Route<Router> RouterRoutes::kRoutes[] = {
    {OnCommandRange(kOwnId, kChainedId), &Router::OnCommand},
    {OnNotify(LVN_COLUMNCLICK, kListId, kListId), Typed<&Router::OnColumnClick>},
};
bool Router::RouteMessage(Message& message, LRESULT& result) {
  return DispatchRoutes(*this, RouterRoutes::kRoutes, message, result);
}

class ProbeDialog : public Dialog {
 public:
  explicit ProbeDialog(std::vector<std::string>& seen) : Dialog(IDD_MASK_SELECT), seen_(seen) {
    LoadControls();
  }
  LRESULT OnOwn(Message& message) {
    seen_.push_back("dialog " + std::to_string(message.id));
    message.handled = message.id == kOwnId;
    return 0;
  }

 protected:
  bool RouteMessage(Message& message, LRESULT& result) override;

 private:
  std::vector<std::string>& seen_;
};

struct ProbeRoutes {
  static const Route<ProbeDialog> kRoutes[];
};
const Route<ProbeDialog> ProbeRoutes::kRoutes[] = {
    {OnCommandRange(kOwnId, kPassedOnId), &ProbeDialog::OnOwn},
};
bool ProbeDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(ProbeRoutes::kRoutes, message, result);
}

TEST(Routing, UnhandledMessagesGoOnToChainedRoutersWithTypedNotifications) {
  Router router;
  ProbeDialog dialog(router.seen);
  dialog.ChainRoutes(router);
  Owner owner;
  ASSERT_TRUE(dialog.Create(owner.hwnd));
  for (UINT id : {kOwnId, kPassedOnId, kChainedId, 103u})
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  EXPECT_EQ(router.seen, (std::vector<std::string>{"dialog 100", "dialog 101", "router 101",
                                                    "router 102"}));

  router.seen.clear();
  NMLISTVIEW click{};
  click.hdr.code = LVN_COLUMNCLICK;
  click.hdr.idFrom = kListId;
  click.iSubItem = 3;
  LRESULT result =
      SendMessageW(dialog.Handle(), WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(router.seen, (std::vector<std::string>{"column 3 of 5"}));
  EXPECT_EQ(result, 7);  // through DWLP_MSGRESULT, as a dialog must answer

  // A notification without its structure never reaches a typed handler.
  router.seen.clear();
  SendMessageW(dialog.Handle(), WM_NOTIFY, kListId, 0);
  EXPECT_TRUE(router.seen.empty());
  dialog.Destroy();
}

TEST(UiTasks, TasksFromManyThreadsRunOnTheUiThreadInTheirOrder) {
  UiTaskQueue queue;
  constexpr int kThreads = 4;
  constexpr int kTasks = 500;
  const DWORD uiThread = GetCurrentThreadId();
  std::vector<std::vector<int>> ran(kThreads);
  std::atomic<int> offThread{0};
  std::atomic<int> refused{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kTasks; ++i) {
        bool posted = queue.Post([&, t, i] {
          if (GetCurrentThreadId() != uiThread) ++offThread;
          ran[t].push_back(i);
        });
        if (!posted) ++refused;
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  Pump();
  EXPECT_EQ(offThread.load(), 0);
  EXPECT_EQ(refused.load(), 0);
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(ran[t].size(), static_cast<size_t>(kTasks)) << t;
    for (int i = 0; i < kTasks; ++i) ASSERT_EQ(ran[t][i], i);
  }
}

// A task that throws is noted, and the rest of its batch still runs.
TEST(UiTasks, ATaskThatThrowsIsNotedAndTheRestStillRun) {
  UiTaskQueue queue;
  std::vector<int> ran;
  const unsigned notedBefore = TraceCount();
  ASSERT_TRUE(queue.Post([&] { ran.push_back(1); }));
  ASSERT_TRUE(queue.Post([&] { throw std::runtime_error("broken task"); }));
  ASSERT_TRUE(queue.Post([&] { ran.push_back(3); }));
  Pump();
  EXPECT_EQ(ran, (std::vector<int>{1, 3}));
  EXPECT_EQ(TraceCount(), notedBefore + 1);
}

TEST(UiTasks, ATaskReachesTheUiThreadInsideAModalLoopAndPendingOnesDieWithTheQueue) {
  std::vector<std::string> seen;
  ProbeDialog dialog(seen);
  auto queue = std::make_unique<UiTaskQueue>();
  std::thread worker([&] {
    Sleep(50);
    EXPECT_TRUE(queue->Post([&] { dialog.EndDialog(42); }));
  });
  Owner owner;
  EXPECT_EQ(dialog.DoModal(owner.hwnd), 42);
  worker.join();

  bool ran = false;
  EXPECT_TRUE(queue->Post([&] { ran = true; }));
  queue.reset();
  Pump();
  EXPECT_FALSE(ran);
}


TEST(BufferedPaint, ATreeDrawsThroughMemoryExactlyWhatItDrawsOnTheScreenAfterEveryChange) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300, nullptr,
                              nullptr, nullptr, nullptr);
  auto makeTree = [&](int x) {
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                    TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                x, 0, 280, 200, host, nullptr, nullptr, nullptr);
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"C:\\");
    HTREEITEM root = TreeView_InsertItem(tree, &insert);
    insert.hParent = root;
    // More rows than fit, so that a scroll bar comes and goes as well.
    for (int i = 0; i < 40; ++i) {
      std::wstring text = L"Folder \u00e9\u4e2d " + std::to_wstring(i);
      insert.item.pszText = text.data();
      TreeView_InsertItem(tree, &insert);
    }
    return tree;
  };
  HWND plain = makeTree(0);
  HWND buffered = makeTree(300);
  ASSERT_TRUE(PaintThroughBuffer(buffered));
  EXPECT_TRUE(PaintThroughBuffer(buffered)) << "a second call changes nothing";

  auto sameOnScreen = [&](const char* step) {
    for (HWND tree : {plain, buffered}) UpdateWindow(tree);
    EXPECT_EQ(ClientPixels(plain), ClientPixels(buffered)) << step;
  };
  auto both = [&](auto change) {
    for (HWND tree : {plain, buffered}) change(tree);
  };
  sameOnScreen("first draw");
  both([](HWND tree) { TreeView_Expand(tree, TreeView_GetRoot(tree), TVE_EXPAND); });
  sameOnScreen("expanded, with a scroll bar");
  both([](HWND tree) {
    HTREEITEM third = TreeView_GetNextSibling(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
    TreeView_SelectItem(tree, TreeView_GetNextSibling(tree, third));
  });
  sameOnScreen("one row selected: only two rows drawn again");
  both([](HWND tree) { SendMessageW(tree, WM_VSCROLL, SB_LINEDOWN, 0); });
  sameOnScreen("scrolled by a line");
  both([](HWND tree) { TreeView_Expand(tree, TreeView_GetRoot(tree), TVE_COLLAPSE); });
  sameOnScreen("collapsed, the scroll bar gone");

  DestroyWindow(host);
  Pump();
}


// A small window beside the main one: an edit, OK and Cancel, and a key of
// its own (Ctrl+K) that it counts.
class SideWindow : public Dialog {
 public:
  SideWindow() : Dialog(IDD_VOLUME_LABEL) {
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'K', kCountCommand}};
    accelerators_.Reset(CreateAcceleratorTableW(keys, 1));
    SetAccelerators(accelerators_.Get());
  }
  static constexpr WORD kCountCommand = 40001;
  int counted = 0;

 protected:
  bool RouteMessage(Message& message, LRESULT&) override {
    if (message.message == WM_COMMAND && message.id == kCountCommand) {
      ++counted;
      return true;
    }
    return false;
  }

 private:
  Accelerators accelerators_;
};

// Two top-level windows of the program at once, each with its keyboard
// navigation and its own keys, through the one message loop.
TEST(MessageLoop, TwoWindowsEachKeepTheirKeys) {
  RunningWindow run(PanelSettings("C:\\", "C:\\").c_str());
  MainWindow& main = run.Window();
  auto side = std::make_unique<SideWindow>();
  ASSERT_TRUE(side->ShowModeless(nullptr));
  HWND sideWindow = side->Handle();
  HWND edit = side->Item(IDC_VOLUME_LABEL_EDIT);
  EXPECT_TRUE(MessageLoop::HasWindow(sideWindow));

  // Tab moves on inside the side window; its key is its own.
  PressKey(main, edit, VK_TAB);
  EXPECT_EQ(GetFocus(), side->Item(IDOK));
  PressKey(main, edit, 'K', kCtrl);
  EXPECT_EQ(side->counted, 1);
  // The main window's keys do not fire in the side window (Ctrl+F6 sorts
  // the active panel by size), and do in the main window.
  const SortState before = main.Panels().Active().Sort();
  PressKey(main, edit, VK_F6, kCtrl);
  EXPECT_EQ(main.Panels().Active().Sort().key, before.key);
  PressKey(main, run.Item(IDC_LEFT_LIST), VK_F6, kCtrl);
  EXPECT_EQ(main.Panels().Active().Sort().key, kSortBySize);
  // Ctrl+K there is nobody's.
  PressKey(main, run.Item(IDC_LEFT_LIST), 'K', kCtrl);
  EXPECT_EQ(side->counted, 1);

  // Esc closes the side window alone.
  PressKey(main, edit, VK_ESCAPE);
  EXPECT_FALSE(IsWindow(sideWindow));
  EXPECT_FALSE(MessageLoop::HasWindow(sideWindow));
  EXPECT_TRUE(IsWindow(run.Handle()));

  // While work runs, closing the main window asks first: Cancel keeps it
  // open and the work running; Yes waits for the work and closes with the
  // windows beside it once the work has ended by itself.
  struct Work : Job {
    std::atomic<bool> stop{false};
    JobState Run() override {
      while (!stop) Sleep(1);
      return JobState::kDone;
    }
    void Cancel() override {}  // ends only when it is done
  };
  auto work = std::make_shared<Work>();
  const JobId id = main.Jobs().Start(work);
  auto other = std::make_unique<SideWindow>();
  ASSERT_TRUE(other->ShowModeless(nullptr));
  HWND otherWindow = other->Handle();
  {
    DialogResponder stay(IDCANCEL);
    SendMessageW(run.Handle(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(stay.Answered());
    EXPECT_FALSE(main.IsEnded());
    EXPECT_FALSE(main.Jobs().Ended(id));
    EXPECT_TRUE(IsWindow(otherWindow));
  }
  {
    DialogResponder wait(IDYES);
    SendMessageW(run.Handle(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(wait.Answered());
  }
  for (int i = 0; i < 20; ++i) {
    Sleep(10);
    Pump();
  }
  EXPECT_FALSE(main.IsEnded()) << "the window waits for the work";
  EXPECT_TRUE(IsWindow(otherWindow));
  work->stop = true;
  EXPECT_TRUE(main.Jobs().Wait(id, std::chrono::seconds(5)));
  for (int i = 0; i < 200 && !main.IsEnded(); ++i) {
    Sleep(10);
    Pump();
  }
  EXPECT_TRUE(main.IsEnded());
  EXPECT_FALSE(IsWindow(otherWindow));
}
}  // namespace
}  // namespace px::test
