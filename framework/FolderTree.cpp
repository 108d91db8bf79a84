#include "framework/FolderTree.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "core/text/CaseFold.h"
#include "framework/BufferedPaint.h"
#include "framework/Handles.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "framework/FileSystemApi.h"
#include "framework/UiTasks.h"

namespace px {

namespace {

constexpr int kFolderImage = 0;
constexpr int kOpenFolderImage = 1;
bool IsSubfolder(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !IsDotsName(data.cFileName);
}

// Whether the folder has any subfolder, hidden and system ones included, so
// that the expand button shows what is on disk whatever is listed. A folder
// that cannot be searched has none.
bool HasSubfolder(const std::wstring& folder) {
  bool found = false;
  DWORD error = SearchFolder(folder, SearchScope::kFoldersFirst, false,
                             [&](const WIN32_FIND_DATAW& data) {
                               found = IsSubfolder(data);
                               return !found;
                             });
  return error == ERROR_SUCCESS && found;
}

// The key a node sorts by: the name folded as FoldName folds it. Most names
// are ASCII, whose folded UTF-8 is made here straight from the UTF-16 (a round
// trip through UTF-8 for every one of thousands of subfolders was a good part
// of reading them); only other names take the long way.
std::string SortKeyOf(std::wstring_view name) {
  std::string key(name.size(), '\0');
  for (size_t i = 0; i < name.size(); ++i) {
    const wchar_t c = name[i];
    if (c >= 0x80) return FoldName(Narrow(name));
    key[i] = static_cast<char>(c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c);
  }
  return key;
}

template <typename Entry>
bool SortsBefore(const Entry& a, const Entry& b) {
  // Names equal but for case (possible on some file systems) keep a fixed order.
  if (a.sortKey != b.sortKey) return a.sortKey < b.sortKey;
  return a.name < b.name;
}

// The folder's subfolders, alphabetical ignoring case. An unreadable or
// vanished folder has none.
template <typename Entry>
std::vector<Entry> ReadSubfolders(const std::wstring& folder, bool includeHidden) {
  std::vector<Entry> subfolders;
  const DWORD hiddenMask = includeHidden ? 0 : FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  DWORD error = SearchFolder(folder, SearchScope::kFoldersFirst, true,
                             [&](const WIN32_FIND_DATAW& data) {
                               if (!IsSubfolder(data) || (data.dwFileAttributes & hiddenMask) != 0)
                                 return true;
                               Entry& entry = subfolders.emplace_back();
                               entry.name = data.cFileName;
                               entry.sortKey = SortKeyOf(entry.name);
                               return true;
                             });
  if (error != ERROR_SUCCESS) subfolders.clear();
  // Sorted here and appended, because the tree's own sorted insertion walks
  // the siblings for every new item: quadratic in a folder of thousands.
  std::sort(subfolders.begin(), subfolders.end(), SortsBefore<Entry>);
  return subfolders;
}

// The quality that a font of default quality gets from the system's smoothing
// setting at this moment.
BYTE SystemFontQuality() {
  BOOL smoothing = TRUE;
  UINT type = FE_FONTSMOOTHINGSTANDARD;
  SystemParametersInfoW(SPI_GETFONTSMOOTHING, 0, &smoothing, 0);
  SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &type, 0);
  if (!smoothing) return NONANTIALIASED_QUALITY;
  return type == FE_FONTSMOOTHINGCLEARTYPE ? CLEARTYPE_QUALITY : ANTIALIASED_QUALITY;
}

}  // namespace

// What the tree and its probing thread share. The thread only looks into
// folders by path; the tree alone touches its items, on the UI thread.
struct FolderTree::Prober : Job, std::enable_shared_from_this<FolderTree::Prober> {
  struct Question {
    uint64_t generation;
    HTREEITEM item;
    std::wstring folder;
  };
  struct Answer {
    uint64_t generation;
    HTREEITEM item;
    bool hasSubfolder;
  };

  explicit Prober(UiTaskQueue& queue) : tasks(queue) {}

  // The job: answers questions in the order asked (the order drawn), and
  // wakes the tree once for whatever answers have gathered.
  JobState Run() override {
    std::shared_ptr<Prober> self = shared_from_this();
    for (;;) {
      Question question;
      {
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait(lock, [&] { return stop || !questions.empty(); });
        if (stop) return JobState::kCancelled;
        question = std::move(questions.front());
        questions.pop_front();
      }
      const bool has = HasSubfolder(question.folder);
      std::lock_guard<std::mutex> lock(mutex);
      if (stop) return JobState::kCancelled;
      answers.push_back({question.generation, question.item, has});
      if (!posted) {
        // A refused wake-up is retried with the next answer; the buttons stay
        // as they are meanwhile.
        posted = tasks.Post([self] {
          if (self->tree != nullptr) self->tree->ApplyProbes();
        });
      }
    }
  }

  void Cancel() override {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    wake.notify_one();
  }

  UiTaskQueue& tasks;
  FolderTree* tree = nullptr;  // UI thread only; none once the tree is gone
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Question> questions;
  std::vector<Answer> answers;
  bool posted = false;
  bool stop = false;
};

FolderTree::~FolderTree() {
  StopProbing();
  RestoreFont();
}

void FolderTree::ProbeThrough(UiTaskQueue& tasks, JobRunner& jobs) {
  if (prober_ != nullptr) return;
  auto prober = std::make_shared<Prober>(tasks);
  prober->tree = this;
  // No thread to be had: the tree keeps looking while it draws.
  if (jobs.Start(prober, {}, JobKind::kHelper) == 0) return;
  prober_ = std::move(prober);
}

void FolderTree::StopProbing() {
  if (prober_ == nullptr) return;
  prober_->tree = nullptr;
  // Not waited for: a folder on a slow share may take the network's time to
  // answer. The job holds what it shares with the tree, never posts once
  // stopped, and ends as soon as its folder has answered.
  prober_->Cancel();
  prober_.reset();
}

void FolderTree::ForgetProbes() {
  ++generation_;
  pending_.clear();
  if (prober_ == nullptr) return;
  std::lock_guard<std::mutex> lock(prober_->mutex);
  prober_->questions.clear();
}

void FolderTree::RequestProbe(HTREEITEM item) {
  if (!pending_.insert(item).second) return;
  ++probes_;
  std::wstring folder = WidePathOf(item);
  {
    std::lock_guard<std::mutex> lock(prober_->mutex);
    prober_->questions.push_back({generation_, item, std::move(folder)});
  }
  prober_->wake.notify_one();
}

void FolderTree::ApplyProbes() {
  std::vector<Prober::Answer> answers;
  {
    std::lock_guard<std::mutex> lock(prober_->mutex);
    answers.swap(prober_->answers);
    prober_->posted = false;
  }
  // Items deleted by anyone else may have been given to new ones: then no
  // answer is trusted, and the folders drawn are asked about again.
  if (ForgetIfItemsDeleted()) {
    InvalidateRect(tree_.Handle(), nullptr, FALSE);
    return;
  }
  // Every button that changes makes the tree work out its scroll bars again
  // and draw them at once (under Wine about 4 ms each): the lot is drawn once.
  const bool suspend = answers.size() > 1 && IsWindowVisible(tree_.Handle());
  if (suspend) StopDrawing();
  for (const Prober::Answer& answer : answers) {
    if (answer.generation != generation_ || pending_.erase(answer.item) == 0) continue;
    // Known for good: the tree stops asking, and draws the row again if the
    // button went.
    TVITEMW children{};
    children.mask = TVIF_CHILDREN;
    children.hItem = answer.item;
    children.cChildren = answer.hasSubfolder ? 1 : 0;
    tree_.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&children));
  }
  if (suspend) DrawAgain();
}

bool FolderTree::ForgetIfItemsDeleted() {
  const size_t count = static_cast<size_t>(tree_.Send(TVM_GETCOUNT));
  if (count == itemCount_) return false;
  // Items were deleted behind our back: the handles kept may be stale.
  children_.clear();
  itemCount_ = count;
  ForgetProbes();
  return true;
}

void FolderTree::StopDrawing() {
  // The system's redraw switch: the window counts as hidden, so even the
  // scroll bar the tree redraws on every change is not drawn. The tree's own
  // switch does not stop that.
  DefWindowProcW(tree_.Handle(), WM_SETREDRAW, FALSE, 0);
}

void FolderTree::DrawAgain() {
  HWND window = tree_.Handle();
  DefWindowProcW(window, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void FolderTree::Attach(HWND tree) {
  RestoreFont();
  tree_ = TreeView(tree);
  reads_ = probes_ = 0;
  children_.clear();
  itemCount_ = 0;
  ForgetProbes();
  SettleFontQuality();
  // Under Wine, drawing straight to the window costs about 0.5 ms per row
  // (mostly its folder image), through memory a fifth of that.
  PaintThroughBuffer(tree);
}

void FolderTree::ApplyColours(const Palette& palette) {
  const bool dark = palette.Dark();
  // -1 and CLR_DEFAULT give the tree back its own colours.
  tree_.Send(TVM_SETBKCOLOR, 0, dark ? palette.Colour(PaletteColour::kWindow) : static_cast<COLORREF>(-1));
  tree_.Send(TVM_SETTEXTCOLOR, 0, dark ? palette.Colour(PaletteColour::kText) : static_cast<COLORREF>(-1));
  tree_.Send(TVM_SETLINECOLOR, 0, dark ? palette.Colour(PaletteColour::kLine) : CLR_DEFAULT);
  InvalidateRect(tree_.Handle(), nullptr, TRUE);
}

void FolderTree::SettleFontQuality() {
  // Expanding a node makes the tree select its font once for every new child
  // to measure it. With a font of default quality, each selection looks the
  // system's smoothing setting up again (under Wine about 7 us, most of the
  // time 10 000 children take); the same font with that setting written in
  // draws alike and selects at once.
  HFONT font = reinterpret_cast<HFONT>(tree_.Send(WM_GETFONT));
  LOGFONTW logFont{};
  if (font == nullptr || GetObjectW(font, sizeof(logFont), &logFont) == 0 ||
      logFont.lfQuality != DEFAULT_QUALITY)
    return;
  logFont.lfQuality = SystemFontQuality();
  Font settled(CreateFontIndirectW(&logFont));
  if (!settled) return;
  originalFont_ = font;
  settledFont_ = std::move(settled);
  tree_.Send(WM_SETFONT, reinterpret_cast<WPARAM>(settledFont_.Get()), FALSE);
}

void FolderTree::RestoreFont() {
  if (!settledFont_) return;
  // The tree must not be left drawing with a deleted font.
  HWND tree = tree_.Handle();
  if (tree != nullptr && IsWindow(tree) &&
      reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0)) == settledFont_.Get())
    SendMessageW(tree, WM_SETFONT, reinterpret_cast<WPARAM>(originalFont_), FALSE);
  settledFont_.Reset();
  originalFont_ = nullptr;
}

bool FolderTree::HandleNotify(NMHDR* header) {
  if (header == nullptr || header->hwndFrom != tree_.Handle()) return false;
  switch (header->code) {
    case TVN_ITEMEXPANDINGW:
      OnItemExpanding(*reinterpret_cast<NMTREEVIEWW*>(header));
      return true;
    case TVN_ITEMEXPANDEDW:
      OnItemExpanded();
      return true;
    case TVN_GETDISPINFOW:
      OnGetDisplayInfo(*reinterpret_cast<NMTVDISPINFOW*>(header));
      return true;
    default:
      return false;
  }
}

// From this many children a node opening changes most of what the tree shows
// and its scroll bar: it is drawn anew in one go (see HideWhileExpanding).
constexpr size_t kHiddenExpansionFrom = 64;

void FolderTree::OnItemExpanding(const NMTREEVIEWW& info) {
  HTREEITEM item = info.itemNew.hItem;
  if (item == nullptr || ItemData(item) != kUnread) return;
  if (Fill(item) >= kHiddenExpansionFrom && (info.action & TVE_EXPAND) != 0) HideWhileExpanding();
}

void FolderTree::HideWhileExpanding() {
  // Opening a node of many children, the tree draws its scroll bar three or
  // four times (under Wine about 4 ms each) and scrolls what it shows; with
  // drawing stopped meanwhile, it is drawn once afterwards. Drawn again when
  // the tree reports the node open, or else by the next task, so that a
  // parent that does not pass that report on still sees its tree.
  if (prober_ == nullptr || hiddenForExpansion_ || !IsWindowVisible(tree_.Handle())) return;
  StopDrawing();
  hiddenForExpansion_ = true;
  std::shared_ptr<Prober> prober = prober_;
  if (!prober->tasks.Post([prober] {
        if (prober->tree != nullptr) prober->tree->OnItemExpanded();
      }))
    OnItemExpanded();
}

void FolderTree::OnItemExpanded() {
  if (!hiddenForExpansion_) return;
  hiddenForExpansion_ = false;
  DrawAgain();
}

void FolderTree::OnGetDisplayInfo(NMTVDISPINFOW& info) {
  if ((info.item.mask & TVIF_CHILDREN) == 0) return;
  HTREEITEM item = info.item.hItem;
  bool hasChildren;
  if (ItemData(item) == kRead) {
    hasChildren = tree_.Next(item, TVGN_CHILD) != nullptr;
  } else if (prober_ != nullptr) {
    RequestProbe(item);
    // A button until the answer is in: expanding a folder without
    // subfolders only takes its button away.
    info.item.cChildren = 1;
    return;
  } else {
    ++probes_;
    hasChildren = HasSubfolder(WidePathOf(item));
  }
  info.item.cChildren = hasChildren ? 1 : 0;
  // The tree keeps the answer and does not ask for this item again.
  info.item.mask |= TVIF_DI_SETITEM;
}

void FolderTree::Clear() {
  tree_.Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  children_.clear();
  itemCount_ = 0;
  ForgetProbes();
}

void FolderTree::SyncToPath(const std::string& folder, bool suspendRedraw) {
  if (!IsWindow(tree_.Handle())) return;

  if (suspendRedraw) tree_.SetRedraw(false);
  const std::wstring path = Widen(folder);
  if (path.size() < 3) {
    Clear();
  } else {
    const std::wstring rootText = path.substr(0, 3);
    HTREEITEM root = tree_.Next(nullptr, TVGN_ROOT);
    if (root == nullptr || tree_.WideItemText(root) != rootText) {
      Clear();
      root = InsertItem(TVI_ROOT, rootText.c_str());
      if (root != nullptr) Expand(root);
    }

    HTREEITEM current = root;
    size_t start = 3;
    while (current != nullptr && start < path.size()) {
      size_t end = path.find(L'\\', start);
      if (end == std::wstring::npos) end = path.size();
      // A doubled or final backslash names nothing.
      if (end > start) {
        if (ItemData(current) == kUnread) Fill(current);
        HTREEITEM child = FindChild(current, path.substr(start, end - start));
        if (child == nullptr) break;
        Expand(child);
        current = child;
      }
      start = end + 1;
    }
    if (current != nullptr) {
      tree_.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(current));
      tree_.Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(current));
    }
  }
  if (suspendRedraw) {
    tree_.SetRedraw(true);
    InvalidateRect(tree_.Handle(), nullptr, TRUE);
  }
}

std::string FolderTree::PathOf(HTREEITEM item) const { return Narrow(WidePathOf(item)); }

std::string FolderTree::SelectedPath() const { return PathOf(tree_.Next(nullptr, TVGN_CARET)); }

std::wstring FolderTree::WidePathOf(HTREEITEM item) const {
  std::vector<std::wstring> texts;
  for (HTREEITEM node = item; node != nullptr; node = tree_.Next(node, TVGN_PARENT))
    texts.push_back(tree_.WideItemText(node));
  std::wstring path;
  for (auto text = texts.rbegin(); text != texts.rend(); ++text) {
    path += *text;
    // The root's text already ends with one.
    if (path.empty() || path.back() != L'\\') path += L'\\';
  }
  return path;
}

LPARAM FolderTree::ItemData(HTREEITEM item) const {
  TVITEMW tvItem{};
  tvItem.mask = TVIF_PARAM;
  tvItem.hItem = item;
  if (!tree_.Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvItem))) return kRead;
  return tvItem.lParam;
}

HTREEITEM FolderTree::InsertItem(HTREEITEM parent, const wchar_t* text) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
  insert.item.pszText = const_cast<wchar_t*>(text);
  insert.item.iImage = kFolderImage;
  insert.item.iSelectedImage = kOpenFolderImage;
  insert.item.cChildren = I_CHILDRENCALLBACK;
  insert.item.lParam = kUnread;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(
      tree_.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (item != nullptr) ++itemCount_;
  return item;
}

size_t FolderTree::Fill(HTREEITEM item) {
  // Marked first: a folder that cannot be read is not tried again on every
  // expansion, and a notification sent while filling finds it read.
  TVITEMW mark{};
  mark.mask = TVIF_PARAM;
  mark.hItem = item;
  mark.lParam = kRead;
  tree_.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&mark));

  ++reads_;
  // What the node holds now decides its button, not an answer still to come.
  pending_.erase(item);
  std::vector<Child> subfolders = ReadSubfolders<Child>(WidePathOf(item), includeHidden_);
  bool complete = true;
  for (Child& subfolder : subfolders) {
    subfolder.item = InsertItem(item, subfolder.name.c_str());
    complete = complete && subfolder.item != nullptr;
  }

  // Now known for certain: a button for folders whose subfolders were all
  // hidden, or that vanished, goes away.
  TVITEMW children{};
  children.mask = TVIF_CHILDREN;
  children.hItem = item;
  children.cChildren = subfolders.empty() ? 0 : 1;
  tree_.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&children));
  const size_t count = subfolders.size();
  if (complete && !subfolders.empty()) children_[item] = std::move(subfolders);
  return count;
}

void FolderTree::Expand(HTREEITEM item) {
  // Filled here rather than through the expansion notification, so that the
  // walk does not depend on the parent window forwarding it.
  if (ItemData(item) == kUnread) Fill(item);
  // Expanding an open node again would only make the tree measure all its
  // children once more.
  if (tree_.Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) == 0)
    tree_.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

HTREEITEM FolderTree::FindChild(HTREEITEM parent, const std::wstring& text) {
  ForgetIfItemsDeleted();
  auto found = children_.find(parent);
  if (found != children_.end()) {
    Child wanted;
    wanted.name = text;
    wanted.sortKey = SortKeyOf(text);
    const std::vector<Child>& children = found->second;
    auto child = std::lower_bound(children.begin(), children.end(), wanted, SortsBefore<Child>);
    return child != children.end() && child->name == text ? child->item : nullptr;
  }
  return tree_.ChildWithText(parent, text);
}

}  // namespace px
