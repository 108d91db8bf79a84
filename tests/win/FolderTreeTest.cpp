// The lazily read folder tree and the go-to-folder dialog, on real folders.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "framework/Controls.h"
#include "framework/TextFiles.h"
#include "framework/UiTasks.h"
#include "framework/Wide.h"
#include "framework/Drives.h"
#include "framework/FolderTree.h"
#include "framework/FolderChooser.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

std::vector<std::string> ChildTexts(HWND tree, HTREEITEM item) {
  TreeView view(tree);
  std::vector<std::string> texts;
  for (HTREEITEM child = view.Next(item, TVGN_CHILD); child != nullptr;
       child = view.Next(child, TVGN_NEXT))
    texts.push_back(view.ItemText(child));
  return texts;
}

// A window holding one tree, passing the tree's notifications on as a panel
// or dialog does.
class TreeHost {
 public:
  // With tasks, the expand buttons are answered from the tree's own thread.
  // left places the window, so that hosts shown side by side do not overlap.
  explicit TreeHost(int height = 400, UiTaskQueue* tasks = nullptr, int left = 50) {
    static const ATOM kClass = [] {
      INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
      InitCommonControlsEx(&controls);
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = &TreeHost::Proc;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"PxTreeTestHost";
      windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      return RegisterClassW(&windowClass);
    }();
    (void)kClass;
    host_ = CreateWindowExW(0, L"PxTreeTestHost", L"tree", WS_OVERLAPPEDWINDOW | WS_VISIBLE, left,
                            50, 420, height + 40, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    tree_ = CreateWindowExW(0, WC_TREEVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                                TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                            0, 0, 400, height, host_, reinterpret_cast<HMENU>(IDC_LEFT_TREE),
                            nullptr, nullptr);
    tree.Attach(tree_);
    if (tasks != nullptr) tree.ProbeThrough(*tasks, jobs);
  }
  ~TreeHost() {
    DestroyWindow(host_);
    Pump();
  }

  JobRunner jobs;  // goes after the tree, whose probing job it waits for
  FolderTree tree;
  // Whether the report of a node opened reaches the tree (a parent may not
  // pass it on).
  bool passExpanded = true;
  HWND Tree() const { return tree_; }

  std::string Text(HTREEITEM item) const { return TreeView(tree_).ItemText(item); }
  std::vector<std::string> Children(HTREEITEM item) const { return ChildTexts(tree_, item); }
  HTREEITEM Child(HTREEITEM item, const std::string& text) const {
    return TreeView(tree_).ChildWithText(item, Widen(text));
  }
  // Whether the tree shows an expand button (it asks the FolderTree when unknown).
  bool HasButton(HTREEITEM item) const {
    TVITEMW tvItem{};
    tvItem.mask = TVIF_CHILDREN;
    tvItem.hItem = item;
    TreeView_GetItem(tree_, &tvItem);
    return tvItem.cChildren > 0;
  }
  LPARAM Data(HTREEITEM item) const {
    TVITEMW tvItem{};
    tvItem.mask = TVIF_PARAM;
    tvItem.hItem = item;
    TreeView_GetItem(tree_, &tvItem);
    return tvItem.lParam;
  }
  HTREEITEM Selected() const { return TreeView_GetSelection(tree_); }
  // Runs the message loop until every expand button asked about is answered.
  void Settle() {
    for (int i = 0; i < 500 && tree.ProbesPending() > 0; ++i) {
      Pump();
      Sleep(5);
    }
    EXPECT_EQ(tree.ProbesPending(), 0u);
    // Many answers are applied with the window's drawing off; it is back on.
    EXPECT_TRUE(IsWindowVisible(tree_));
  }
  void Draw() const {
    InvalidateRect(tree_, nullptr, TRUE);
    UpdateWindow(tree_);
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TreeHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NOTIFY && self != nullptr &&
        (self->passExpanded || reinterpret_cast<NMHDR*>(lParam)->code != TVN_ITEMEXPANDEDW) &&
        self->tree.HandleNotify(reinterpret_cast<NMHDR*>(lParam)))
      return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  HWND host_ = nullptr;
  HWND tree_ = nullptr;
};

// Makes a folder hidden; false when the file system keeps no such attribute.
bool MakeHidden(const std::string& folder) {
  std::wstring path = FileApiPath(folder.substr(0, folder.size() - 1));
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

size_t CountBackslashes(const std::string& path) {
  return static_cast<size_t>(std::count(path.begin(), path.end(), '\\'));
}

// ---------------------------------------------------------------------------
// FolderTree

// Looked into while the tree draws, or on the tree's own thread with the
// answers coming back through the task queue (a button until then); the same
// buttons either way, also for answers that arrive after their items went.
TEST(FolderTree, ExpandButtonsStandExactlyWhereSubfoldersExist) {
  TempFolder temp;
  temp.Make("withSub");
  temp.Make("withSub\\inner");
  temp.Make("empty");
  temp.Make("onlyFiles");
  temp.Write("onlyFiles\\a.txt", "x");
  temp.Write("file.txt", "x");

  UiTaskQueue tasks;
  for (UiTaskQueue* queue : {static_cast<UiTaskQueue*>(nullptr), &tasks}) {
    SCOPED_TRACE(queue == nullptr ? "while drawing" : "on a thread");
    TreeHost host(400, queue);
    host.tree.SyncToPath(temp.Path(), false);
    HTREEITEM node = host.Selected();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(host.tree.PathOf(node), temp.Path());
    EXPECT_EQ(host.Data(node), FolderTree::kRead);
    EXPECT_EQ(host.Children(node), (std::vector<std::string>{"empty", "onlyFiles", "withSub"}));
    if (queue != nullptr) {
      for (const char* name : {"empty", "onlyFiles", "withSub"})
        EXPECT_TRUE(host.HasButton(host.Child(node, name))) << name << " before its answer";
      EXPECT_EQ(host.tree.ProbesPending(), 3u);
      // Answers for items that are gone are not given to the new ones (which
      // may well have the same handles), here after the subfolder moved.
      auto refill = [&] {
        Sleep(100);  // the thread answers what was asked; nothing applies it yet
        host.tree.Clear();
        host.tree.SyncToPath(temp.Path(), false);
        node = host.Selected();
        for (const char* name : {"empty", "onlyFiles", "withSub"})
          host.HasButton(host.Child(node, name));
        host.Settle();
      };
      const std::wstring inner = Widen(temp.Path() + "withSub\\inner");
      const std::wstring moved = Widen(temp.Path() + "empty\\inner");
      ASSERT_TRUE(MoveFileW(inner.c_str(), moved.c_str()));
      refill();
      EXPECT_FALSE(host.HasButton(host.Child(node, "withSub")));
      EXPECT_TRUE(host.HasButton(host.Child(node, "empty")));
      ASSERT_TRUE(MoveFileW(moved.c_str(), inner.c_str()));
      refill();
    }
    EXPECT_TRUE(host.HasButton(host.Child(node, "withSub")));
    EXPECT_FALSE(host.HasButton(host.Child(node, "empty")));
    EXPECT_FALSE(host.HasButton(host.Child(node, "onlyFiles")));
    // Children are not read before they are expanded.
    EXPECT_EQ(host.Data(host.Child(node, "withSub")), FolderTree::kUnread);

    HTREEITEM withSub = host.Child(node, "withSub");
    EXPECT_TRUE(TreeView_Expand(host.Tree(), withSub, TVE_EXPAND));
    EXPECT_EQ(host.Data(withSub), FolderTree::kRead);
    EXPECT_EQ(host.Children(withSub), std::vector<std::string>{"inner"});
    EXPECT_EQ(host.tree.PathOf(TreeView_GetChild(host.Tree(), withSub)),
              temp.Path() + "withSub\\inner\\");
  }
}

TEST(FolderTree, OnlyTheFoldersDrawnAreLookedIntoAndEachOnlyOnce) {
  TempFolder temp;
  temp.Make("many");
  for (int i = 0; i < 150; ++i) temp.Make("many\\f" + std::to_string(1000 + i));

  UiTaskQueue tasks;
  for (UiTaskQueue* queue : {static_cast<UiTaskQueue*>(nullptr), &tasks}) {
    SCOPED_TRACE(queue == nullptr ? "while drawing" : "on a thread");
    TreeHost host(200, queue);  // about a dozen rows
    host.tree.SyncToPath(temp.Path(), false);
    HTREEITEM many = host.Child(host.Selected(), "many");
    ASSERT_NE(many, nullptr);
    host.Draw();
    size_t before = host.tree.FoldersProbed();
    size_t readBefore = host.tree.FoldersRead();
    TreeView_Expand(host.Tree(), many, TVE_EXPAND);
    host.Draw();
    size_t probed = host.tree.FoldersProbed() - before;
    EXPECT_EQ(host.Children(many).size(), 150u);
    EXPECT_EQ(host.tree.FoldersRead() - readBefore, 1u);
    EXPECT_GT(probed, 0u);
    EXPECT_LT(probed, 30u) << "children out of view must not be looked into";

    // Drawing again asks nothing new.
    size_t afterFirstDraw = host.tree.FoldersProbed();
    host.Draw();
    host.Draw();
    if (queue != nullptr) host.Settle();
    host.Draw();
    EXPECT_EQ(host.tree.FoldersProbed(), afterFirstDraw);
  }
}

// A node of many children opens with the window counting as hidden and is
// drawn once afterwards: exactly as a tree that opens it in view draws it,
// shown again by the tree's report or, when its parent keeps that, by a task.
TEST(FolderTree, ANodeOfManyChildrenOpensOutOfViewAndLooksAsAPlainTreeShowsIt) {
  TempFolder temp;
  temp.Make("many");
  for (int i = 0; i < 150; ++i) temp.Make("many\\f" + std::to_string(1000 + i));
  for (int i : {1, 4, 5}) temp.Make("many\\f" + std::to_string(1000 + i) + "\\inner");

  UiTaskQueue tasks;
  TreeHost plain(200, nullptr, 0);
  TreeHost reported(200, &tasks, 430);
  TreeHost unreported(200, &tasks, 860);
  unreported.passExpanded = false;
  for (TreeHost* host : {&plain, &reported, &unreported}) {
    host->tree.SyncToPath(temp.Path(), false);
    host->Draw();
    host->Settle();
    HTREEITEM many = host->Child(host->Selected(), "many");
    ASSERT_NE(many, nullptr);
    EXPECT_TRUE(TreeView_Expand(host->Tree(), many, TVE_EXPAND));
  }
  EXPECT_TRUE(IsWindowVisible(plain.Tree()));
  EXPECT_TRUE(IsWindowVisible(reported.Tree()));
  EXPECT_FALSE(IsWindowVisible(unreported.Tree())) << "until the task runs";
  Pump();
  EXPECT_TRUE(IsWindowVisible(unreported.Tree()));
  for (TreeHost* host : {&plain, &reported, &unreported}) {
    host->Draw();
    host->Settle();
    host->Draw();
  }
  const std::vector<uint32_t> expected = ClientPixels(plain.Tree());
  EXPECT_EQ(ClientPixels(reported.Tree()), expected);
  EXPECT_EQ(ClientPixels(unreported.Tree()), expected);
}

TEST(FolderTree, HiddenSubfoldersGiveAButtonButAreListedOnlyWhenIncluded) {
  TempFolder temp;
  temp.Make("shy");
  if (!MakeHidden(temp.Make("shy\\.secret"))) GTEST_SKIP() << "no hidden attribute here";
  temp.Make("shy\\.secret\\deeper");

  {
    SCOPED_TRACE("hidden ones left out");
    TreeHost host;
    host.tree.SyncToPath(temp.Path(), false);
    HTREEITEM shy = host.Child(host.Selected(), "shy");
    ASSERT_NE(shy, nullptr);
    EXPECT_TRUE(host.HasButton(shy));
    TreeView_Expand(host.Tree(), shy, TVE_EXPAND);
    EXPECT_TRUE(host.Children(shy).empty());
    EXPECT_FALSE(host.HasButton(shy)) << "the button goes once nothing is listed";
  }
  {
    SCOPED_TRACE("hidden ones included");
    TreeHost host;
    host.tree.SetIncludeHidden(true);
    host.tree.SyncToPath(temp.Path() + "shy\\", false);
    HTREEITEM shy = host.Selected();
    EXPECT_EQ(host.Children(shy), std::vector<std::string>{".secret"});
    EXPECT_TRUE(host.HasButton(TreeView_GetChild(host.Tree(), shy)));
  }
}

TEST(FolderTree, AFolderThatVanishedExpandsToNothing) {
  TempFolder temp;
  temp.Make("gone");
  temp.Make("gone\\child");
  TreeHost host;
  host.tree.SyncToPath(temp.Path(), false);
  HTREEITEM gone = host.Child(host.Selected(), "gone");
  ASSERT_TRUE(host.HasButton(gone));  // looked into while it still existed
  RemoveTree(temp.Path() + "gone");

  EXPECT_FALSE(TreeView_Expand(host.Tree(), gone, TVE_EXPAND));
  EXPECT_TRUE(host.Children(gone).empty());
  EXPECT_EQ(host.Data(gone), FolderTree::kRead);
  EXPECT_FALSE(host.HasButton(gone));
  // Synchronising into it stops at it.
  host.tree.SyncToPath(temp.Path() + "gone\\child\\", false);
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path() + "gone\\");
}

TEST(FolderTree, ChildrenAreSortedIgnoringCaseInEveryScript) {
  TempFolder temp;
  temp.Make("sorted");
  const std::vector<std::string> created = {"b",      "Яблоко", "C",     "日本", "Ωmega",
                                            "арбуз",  "A",      "αlpha", "Банан", "_x",
                                            "10",     "9"};
  for (const std::string& name : created) temp.Make("sorted\\" + name);

  TreeHost host;
  host.tree.SyncToPath(temp.Path() + "sorted\\", false);
  const std::vector<std::string> expected = {"10",    "9",     "_x",    "A",      "b",
                                             "C",     "αlpha", "Ωmega", "арбуз", "Банан",
                                             "Яблоко", "日本"};
  EXPECT_EQ(host.Children(host.Selected()), expected);

  // Names in any script make paths that lead back to the folder.
  host.tree.SyncToPath(temp.Path() + "sorted\\Банан\\", false);
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path() + "sorted\\Банан\\");
}

TEST(FolderTree, SyncReadsOnlyTheFoldersOnThePathAndSelectsTheLastOne) {
  TempFolder temp;
  std::string deep = temp.Path();
  for (const char* name : {"one", "two", "three", "four", "five"}) {
    // Siblings with subfolders of their own, which must stay unread.
    temp.Make(deep.substr(temp.Path().size()) + "side");
    temp.Make(deep.substr(temp.Path().size()) + "side\\below");
    deep = temp.Make(deep.substr(temp.Path().size()) + name);
  }

  TreeHost host;
  host.tree.SyncToPath(deep, true);
  EXPECT_EQ(host.tree.SelectedPath(), deep);
  // The drive root and every folder below it down to the target, nothing else.
  EXPECT_EQ(host.tree.FoldersRead(), CountBackslashes(deep));
  HTREEITEM node = host.Selected();
  EXPECT_TRUE(TreeView_GetItemState(host.Tree(), TreeView_GetParent(host.Tree(), node),
                                    TVIS_EXPANDED) &
              TVIS_EXPANDED);
  RECT rect{};
  EXPECT_TRUE(TreeView_GetItemRect(host.Tree(), node, &rect, TRUE)) << "made visible";

  // Without the final backslash, or with a doubled one, the same folder.
  host.tree.SyncToPath(deep.substr(0, deep.size() - 1), false);
  EXPECT_EQ(host.tree.SelectedPath(), deep);
  std::string doubled = temp.Path() + "one\\\\two\\";
  host.tree.SyncToPath(doubled, false);
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path() + "one\\two\\");
}

TEST(FolderTree, NamesAreMatchedExactlySoADifferentCaseStopsAtTheLastMatch) {
  TempFolder temp;
  temp.Make("Alpha");
  temp.Make("Alpha\\Beta");
  TreeHost host;
  host.tree.SyncToPath(temp.Path() + "Alpha\\BETA\\", false);
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path() + "Alpha\\");
  host.tree.SyncToPath(temp.Path() + "Alpha\\Missing\\Beta\\", false);
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path() + "Alpha\\");
  host.tree.SyncToPath(temp.Path() + "Alpha\\Beta\\", false);
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path() + "Alpha\\Beta\\");
}

TEST(FolderTree, NodesDeletedByOthersAreNotLookedUpAgain) {
  TempFolder temp;
  temp.Make("kept");
  temp.Make("dropped");
  temp.Make("dropped\\below");
  TreeHost host;
  host.tree.SyncToPath(temp.Path() + "kept\\", false);
  HTREEITEM node = TreeView_GetParent(host.Tree(), host.Selected());
  TreeView_DeleteItem(host.Tree(), host.Child(node, "dropped"));
  host.tree.SyncToPath(temp.Path() + "dropped\\below\\", false);
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path());
}

TEST(FolderTree, TheRootIsRebuiltOnlyWhenTheDriveChanges) {
  std::vector<DriveItem> drives = ListDrives();
  auto other = std::find_if(drives.begin(), drives.end(),
                            [](const DriveItem& drive) { return drive.root != "C:\\"; });
  if (other == drives.end()) GTEST_SKIP() << "only one drive";

  TempFolder temp;
  temp.Make("a");
  TreeHost host;
  host.tree.SyncToPath(temp.Path(), false);
  HTREEITEM root = TreeView_GetRoot(host.Tree());
  host.tree.SyncToPath(temp.Path() + "a\\", false);
  EXPECT_EQ(TreeView_GetRoot(host.Tree()), root) << "same drive, same root";
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path() + "a\\");

  host.tree.SyncToPath(other->root, false);
  HTREEITEM newRoot = TreeView_GetRoot(host.Tree());
  EXPECT_EQ(host.Text(newRoot), other->root);
  EXPECT_EQ(TreeView_GetNextSibling(host.Tree(), newRoot), nullptr) << "one root only";
  EXPECT_EQ(host.tree.SelectedPath(), other->root);
  EXPECT_EQ(TreeView_GetCount(host.Tree()), 1 + host.Children(newRoot).size());

  host.tree.Clear();
  EXPECT_EQ(TreeView_GetCount(host.Tree()), 0u);
  EXPECT_EQ(host.tree.SelectedPath(), "");
}

TEST(FolderTree, PathsLongerThanTheClassicLimitAreReadAndWalked) {
  TempFolder temp;
  std::string relative;
  for (int i = 0; i < 5; ++i) {
    relative += (i ? "\\" : "") + std::string(60, static_cast<char>('k' + i));
    temp.Make(relative);
  }
  std::string deep = temp.Path() + relative + "\\";
  ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
  temp.Make(relative + "\\last");

  TreeHost host;
  host.tree.SyncToPath(deep, true);
  EXPECT_EQ(host.tree.SelectedPath(), deep);
  EXPECT_EQ(host.Children(host.Selected()), std::vector<std::string>{"last"});
}

TEST(FolderTree, TheTreeKeepsItsFontWithTheSystemSmoothingWrittenInUntilReleased) {
  BOOL smoothing = TRUE;
  UINT type = 0;
  SystemParametersInfoW(SPI_GETFONTSMOOTHING, 0, &smoothing, 0);
  SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &type, 0);
  const BYTE expected = !smoothing                           ? NONANTIALIASED_QUALITY
                        : type == FE_FONTSMOOTHINGCLEARTYPE ? CLEARTYPE_QUALITY
                                                             : ANTIALIASED_QUALITY;
  auto fontOf = [](HWND window) {
    LOGFONTW logFont{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(logFont),
               &logFont);
    return logFont;
  };
  auto makeFont = [](BYTE quality) {
    LOGFONTW logFont{};
    logFont.lfHeight = -13;
    logFont.lfWeight = FW_BOLD;
    logFont.lfQuality = quality;
    wcscpy(logFont.lfFaceName, L"Tahoma");
    return CreateFontIndirectW(&logFont);
  };

  HWND window = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  HFONT original = makeFont(DEFAULT_QUALITY);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(original), FALSE);
  {
    FolderTree tree;
    tree.Attach(window);
    LOGFONTW settled = fontOf(window);
    EXPECT_EQ(settled.lfQuality, expected);
    EXPECT_EQ(settled.lfHeight, -13);
    EXPECT_EQ(settled.lfWeight, FW_BOLD);
    EXPECT_STREQ(settled.lfFaceName, L"Tahoma");
    // Attached again (as a dialog reopening would): still one settled font.
    tree.Attach(window);
    EXPECT_EQ(fontOf(window).lfQuality, expected);
  }
  // Released: back to the font it had, never one that was deleted.
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), original);

  // A font that already names its quality is left alone.
  HFONT explicitQuality = makeFont(NONANTIALIASED_QUALITY);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(explicitQuality), FALSE);
  {
    FolderTree tree;
    tree.Attach(window);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), explicitQuality);
  }
  DestroyWindow(window);
  DeleteObject(original);
  DeleteObject(explicitQuality);
}

TEST(FolderTree, SyncKeepsAQuitRequestForTheLoopThatWaitsForIt) {
  TempFolder temp;
  TreeHost host;
  PostQuitMessage(7);
  host.tree.SyncToPath(temp.Path(), false);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(host.tree.SelectedPath(), temp.Path());
}

// ---------------------------------------------------------------------------
// FolderChooser

class GoToFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(texts_.TextAt(15, 0).empty()) << "English.lng was not loaded";
    owner_ = MakeOwnerWindow(ICC_TREEVIEW_CLASSES | ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES, 640,
                             480);
    ASSERT_NE(owner_, nullptr);
    deep_ = temp_.Make("level1");
    temp_.Make("level1\\level2");
    deep_ = temp_.Make("level1\\level2\\level3");
    temp_.Make("level1\\level2\\level3\\below");
    hidden_ = MakeHidden(temp_.Make("level1\\level2\\.hidden"));
  }
  void TearDown() override { CloseOwnerWindow(owner_); }

  void Fill(FolderChooser& dialog, const std::string& folder) {
    dialog.folder = folder;
  }
  int ItemOf(FolderChooser& dialog, const std::string& root) {
    ComboBoxEx box(dialog.Item(IDC_GO_TO_DRIVE));
    for (int i = 0; i < box.Count(); ++i)
      if (box.ItemText(i) == root) return i;
    return -1;
  }

  const LanguageTable& texts_ = EnglishTexts();
  HWND owner_ = nullptr;
  TempFolder temp_;
  std::string deep_;
  bool hidden_ = false;
};

TEST_F(GoToFolderTest, OpensExpandedDownToTheFolderWithHiddenFoldersShown) {
  FolderChooser dialog(texts_);
  Fill(dialog, deep_);
  ASSERT_TRUE(dialog.Create(owner_));
  EXPECT_EQ(Window(dialog.Handle()).Text(), texts_.TextAt(15, 0));
  EXPECT_EQ(Window(dialog.Item(IDOK)).Text(), texts_.TextAt(15, 1));
  EXPECT_EQ(Window(dialog.Item(IDCANCEL)).Text(), texts_.TextAt(15, 2));

  RECT volume = Window(dialog.Item(IDC_GO_TO_VOLUME)).RectInParent();
  EXPECT_EQ(volume.left, 88);
  EXPECT_EQ(volume.top, 9);
  EXPECT_EQ(volume.right - volume.left, 100);
  EXPECT_EQ(volume.bottom - volume.top, 20);
  EXPECT_EQ(Window(dialog.Item(IDC_GO_TO_VOLUME)).Text(), VolumeLabelText("C:\\"));

  ComboBoxEx box(dialog.Item(IDC_GO_TO_DRIVE));
  EXPECT_EQ(box.Count(), static_cast<int>(ListDrives().size()));
  EXPECT_EQ(dialog.DriveIndex(), ItemOf(dialog, "C:\\"));
  EXPECT_EQ(box.Selection(), dialog.DriveIndex());

  EXPECT_EQ(dialog.Tree().SelectedPath(), deep_);
  if (hidden_) {
    HWND tree = dialog.Item(IDC_GO_TO_TREE);
    HTREEITEM level2 = TreeView_GetParent(tree, TreeView_GetSelection(tree));
    EXPECT_EQ(ChildTexts(tree, level2), (std::vector<std::string>{".hidden", "level3"}));
  }
}

TEST_F(GoToFolderTest, OkAndDoubleClickGiveTheSelectedFolderAndCancelNothing) {
  {
    SCOPED_TRACE("OK on the start folder, given without its backslash");
    FolderChooser dialog(texts_);
    Fill(dialog, deep_.substr(0, deep_.size() - 1));
    DialogResponder responder(IDOK);
    EXPECT_EQ(dialog.DoModal(owner_), IDOK);
    EXPECT_EQ(dialog.folder, deep_);
  }
  {
    SCOPED_TRACE("Cancel");
    FolderChooser dialog(texts_);
    Fill(dialog, deep_);
    DialogResponder responder(IDCANCEL);
    EXPECT_EQ(dialog.DoModal(owner_), IDCANCEL);
    EXPECT_EQ(dialog.folder, deep_);
  }
  {
    SCOPED_TRACE("OK after choosing the drive root");
    FolderChooser dialog(texts_);
    Fill(dialog, deep_);
    ASSERT_TRUE(dialog.Create(owner_));
    HWND tree = dialog.Item(IDC_GO_TO_TREE);
    TreeView_SelectItem(tree, TreeView_GetRoot(tree));
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.Item(IDOK)));
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(dialog.folder, "C:\\");
  }
}

// A real double click: posted with the pointer on the point, as the mouse does.
void DoubleClick(Dialog& dialog, HWND tree, POINT point) {
  POINT screen = point;
  ClientToScreen(tree, &screen);
  // The display may still deliver older pointer positions for a moment; wait
  // until messages have carried the new one several times running.
  SetCursorPos(screen.x, screen.y);
  for (int attempt = 0, steady = 0; attempt < 200 && steady < 4; ++attempt) {
    Sleep(15);
    PostMessageW(dialog.Handle(), WM_NULL, 0, 0);
    Pump(&dialog);
    DWORD position = GetMessagePos();
    if (static_cast<short>(LOWORD(position)) == screen.x &&
        static_cast<short>(HIWORD(position)) == screen.y) {
      ++steady;
    } else {
      steady = 0;
      SetCursorPos(screen.x, screen.y);
    }
  }
  PostMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  PostMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  Pump(&dialog);
}

TEST_F(GoToFolderTest, ADoubleClickOnAFolderChoosesItButOneOnAnExpandButtonDoesNot) {
  FolderChooser dialog(texts_);
  Fill(dialog, deep_);
  ASSERT_TRUE(dialog.Create(owner_));
  ShowWindow(dialog.Handle(), SW_SHOW);
  HWND tree = dialog.Item(IDC_GO_TO_TREE);
  HTREEITEM level2 = TreeView_GetParent(tree, TreeView_GetSelection(tree));

  // A double click on the root's expand button only toggles it.
  HTREEITEM root = TreeView_GetRoot(tree);
  TreeView_Expand(tree, root, TVE_COLLAPSE);
  UpdateWindow(tree);
  RECT label{};
  ASSERT_TRUE(TreeView_GetItemRect(tree, root, &label, TRUE));
  TVHITTESTINFO hit{};
  hit.pt.y = (label.top + label.bottom) / 2;
  for (hit.pt.x = 0; hit.pt.x < label.left; ++hit.pt.x) {
    TreeView_HitTest(tree, &hit);
    if (hit.flags & TVHT_ONITEMBUTTON) break;
  }
  ASSERT_TRUE(hit.flags & TVHT_ONITEMBUTTON);
  DoubleClick(dialog, tree, hit.pt);
  EXPECT_FALSE(dialog.IsEnded());
  EXPECT_EQ(dialog.folder, deep_);
  EXPECT_TRUE(TreeView_GetItemState(tree, root, TVIS_EXPANDED) & TVIS_EXPANDED);

  TreeView_EnsureVisible(tree, level2);
  UpdateWindow(tree);
  RECT rect{};
  ASSERT_TRUE(TreeView_GetItemRect(tree, level2, &rect, TRUE));
  DoubleClick(dialog, tree, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
  EXPECT_TRUE(dialog.IsEnded());
  EXPECT_EQ(dialog.folder, temp_.Path() + "level1\\level2\\");
}

TEST_F(GoToFolderTest, DriveChangeShowsTheNewDriveAndCancelStillChangesNothing) {
  std::vector<DriveItem> drives = ListDrives();
  auto other = std::find_if(drives.begin(), drives.end(),
                            [](const DriveItem& drive) { return drive.root != "C:\\"; });
  if (other == drives.end()) GTEST_SKIP() << "only one drive";

  FolderChooser dialog(texts_);
  Fill(dialog, deep_);
  ASSERT_TRUE(dialog.Create(owner_));
  ComboBoxEx box(dialog.Item(IDC_GO_TO_DRIVE));
  int index = ItemOf(dialog, other->root);
  ASSERT_GE(index, 0);
  box.Select(index);
  SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_GO_TO_DRIVE, CBN_SELENDOK),
               reinterpret_cast<LPARAM>(box.Handle()));

  EXPECT_EQ(dialog.DriveIndex(), index);
  EXPECT_EQ(dialog.Tree().SelectedPath(), other->root);
  HWND tree = dialog.Item(IDC_GO_TO_TREE);
  EXPECT_EQ(TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)), nullptr);
  EXPECT_EQ(Window(dialog.Item(IDC_GO_TO_VOLUME)).Text(), VolumeLabelText(other->root));

  SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog.Item(IDCANCEL)));
  EXPECT_TRUE(dialog.IsEnded());
  EXPECT_EQ(dialog.folder, deep_);
}

}  // namespace
}  // namespace px::test
