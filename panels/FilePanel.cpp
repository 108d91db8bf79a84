#include "panels/FilePanel.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <unordered_map>

#include "core/language/TextFormat.h"
#include "core/panel/EntryText.h"
#include "core/panel/PathText.h"
#include "core/text/CaseFold.h"
#include "framework/Handles.h"
#include "framework/Wide.h"
#include "panels/FolderSizeJob.h"
#include "panels/Win32DirectorySource.h"
#include "res/resource.h"

namespace px {

namespace {

void CopyText(const std::string& utf8, wchar_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return;
  std::wstring wide = Widen(utf8);
  size_t count = std::min(wide.size(), static_cast<size_t>(capacity - 1));
  wmemcpy(buffer, wide.data(), count);
  buffer[count] = L'\0';
}

}  // namespace

struct FilePanelRoutes {
  static const Route<FilePanel> kRoutes[];
};

// Both sides' control ids: a panel takes only the messages of its own.
const Route<FilePanel> FilePanelRoutes::kRoutes[] = {
    {OnNotify(LVN_GETDISPINFOW, IDC_LEFT_LIST, IDC_RIGHT_LIST), Typed<&FilePanel::OnDisplayInfo>},
    {OnNotify(LVN_ODFINDITEMW, IDC_LEFT_LIST, IDC_RIGHT_LIST), Typed<&FilePanel::OnFindItemMessage>},
    {OnNotify(LVN_COLUMNCLICK, IDC_LEFT_LIST, IDC_RIGHT_LIST), Typed<&FilePanel::OnColumnClick>},
    {OnNotify(LVN_ITEMCHANGED, IDC_LEFT_LIST, IDC_RIGHT_LIST), Typed<&FilePanel::OnItemChanged>},
    {OnNotify(LVN_ODSTATECHANGED, IDC_LEFT_LIST, IDC_RIGHT_LIST), Typed<&FilePanel::OnRangeChanged>},
    {OnNotify(TVN_ITEMEXPANDINGW, IDC_LEFT_TREE, IDC_RIGHT_TREE), Typed<&FilePanel::OnTreeExpanding>},
    {OnNotify(TVN_ITEMEXPANDEDW, IDC_LEFT_TREE, IDC_RIGHT_TREE), &FilePanel::OnTreeExpanded},
    {OnNotify(TVN_GETDISPINFOW, IDC_LEFT_TREE, IDC_RIGHT_TREE), Typed<&FilePanel::OnTreeDisplayInfo>},
    {OnNotify(TVN_KEYDOWN, IDC_LEFT_TREE, IDC_RIGHT_TREE), &FilePanel::OnTreeKeyDown},
};

bool FilePanel::RouteMessage(Message& message, LRESULT& result) {
  if (message.message != WM_NOTIFY || message.Notify() == nullptr) return false;
  const HWND from = message.Notify()->hwndFrom;
  if (from != list_.Handle() && from != tree_.Handle()) return false;
  return DispatchRoutes(*this, FilePanelRoutes::kRoutes, message, result);
}

// A mark given or taken: the figures follow at once, each in constant time;
// all rows at once (select all, clear) in one pass over the table.
LRESULT FilePanel::OnItemChanged(Message& message, NMLISTVIEW& change) {
  message.handled = false;  // others may want it too
  if (!(change.uChanged & LVIF_STATE) || !((change.uOldState ^ change.uNewState) & LVIS_SELECTED)) return 0;
  const bool marked = (change.uNewState & LVIS_SELECTED) != 0;
  if (change.iItem < 0) {
    summary_.UnmarkAll();
    if (marked)
      for (uint32_t entry : table_.rows) summary_.Mark(entry);
  } else if (static_cast<size_t>(change.iItem) < table_.RowCount()) {
    const uint32_t entry = table_.rows[static_cast<size_t>(change.iItem)];
    if (marked) {
      summary_.Mark(entry);
    } else {
      summary_.Unmark(entry);
    }
  }
  UpdateSelectionLine();
  return 0;
}

LRESULT FilePanel::OnRangeChanged(Message& message, NMLVODSTATECHANGE& change) {
  message.handled = false;
  if (!((change.uOldState ^ change.uNewState) & LVIS_SELECTED)) return 0;
  const bool marked = (change.uNewState & LVIS_SELECTED) != 0;
  const size_t last = std::min(static_cast<size_t>(std::max(change.iTo, 0)) + 1, table_.RowCount());
  for (size_t row = static_cast<size_t>(std::max(change.iFrom, 0)); row < last; ++row) {
    if (marked) {
      summary_.Mark(table_.rows[row]);
    } else {
      summary_.Unmark(table_.rows[row]);
    }
  }
  UpdateSelectionLine();
  return 0;
}

void FilePanel::UpdateSelectionLine() {
  if (!selectionLine_) return;
  const SelectionFigures& f = summary_.Figures();
  std::string text = FormatText(notes_.selection, {SizeText(f.markedFiles), SizeText(f.files), SizeText(f.markedFolders),
                                                   SizeText(f.folders), SizeText(f.markedBytes), SizeText(f.bytes)});
  if (text == shownSelection_) return;
  shownSelection_ = std::move(text);
  selectionLine_.SetText(shownSelection_);
}

LRESULT FilePanel::OnDisplayInfo(Message&, NMLVDISPINFOW& info) {
  OnGetDisplayInfo(info, options_ != nullptr && options_->showAllIcons == 1);
  return 0;
}

LRESULT FilePanel::OnFindItemMessage(Message&, NMLVFINDITEMW& find) { return OnFindItem(find); }

LRESULT FilePanel::OnColumnClick(Message&, NMLISTVIEW& click) {
  SortPanel(click.iSubItem);
  return 0;
}

LRESULT FilePanel::OnTreeExpanding(Message&, NMTREEVIEWW& info) {
  folders_.SetIncludeHidden(options_ != nullptr && options_->showHiddenSystem != 0);
  folders_.OnItemExpanding(info);
  return FALSE;
}

LRESULT FilePanel::OnTreeExpanded(Message&) {
  folders_.OnItemExpanded();
  return 0;
}

LRESULT FilePanel::OnTreeDisplayInfo(Message&, NMTVDISPINFOW& info) {
  folders_.OnGetDisplayInfo(info);
  return 0;
}

// Keys in a tree do what the tree itself does with them; the route only keeps
// the notification from going further.
LRESULT FilePanel::OnTreeKeyDown(Message&) { return 0; }

void FilePanel::Attach(HWND list, HWND tree, HWND driveBox, HWND pathLine, HWND volumeLine,
                       const Options* options) {
  options_ = options;
  list_ = ListView(list);
  tree_ = TreeView(tree);
  folders_.Attach(tree);
  driveBox_ = ComboBoxEx(driveBox);
  pathLine_ = Window(pathLine);
  volumeLine_ = Window(volumeLine);
  // The cut state of hidden and system entries comes from the display callback.
  list_.SetCallbackMask(LVIS_CUT);
  // The quick search box stands over the list's bottom edge: the list must
  // not draw over it.
  list_.ModifyStyle(0, WS_CLIPSIBLINGS);
  const int boxId = side_ == Side::kLeft ? IDC_LEFT_QUICK_SEARCH : IDC_RIGHT_QUICK_SEARCH;
  box_ = Window(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_BORDER | SS_NOPREFIX | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                                0, 0, 0, 0, GetParent(list), reinterpret_cast<HMENU>(static_cast<INT_PTR>(boxId)),
                                GetModuleHandleW(nullptr), nullptr));
}

namespace {

std::atomic<int64_t> listingWaitMs{FilePanel::kListingWait.count()};

// Reads one folder into a table of its own, off the window's thread.
class ReadListingJob : public Job {
 public:
  ReadListingJob(std::shared_ptr<DirectorySource> source, std::string path, bool showHiddenSystem)
      : source_(std::move(source)), path_(std::move(path)), showHiddenSystem_(showHiddenSystem) {}
  JobState Run() override {
    status = ListFolder(*source_, path_, showHiddenSystem_, table);
    return JobState::kDone;
  }
  // A listing is not broken off: one no longer wanted is dropped when read.
  void Cancel() override {}

  // Read on the window's thread once the runner has recorded the end.
  EntryTable table;
  ListStatus status = ListStatus::kOk;

 private:
  std::shared_ptr<DirectorySource> source_;
  std::string path_;
  bool showHiddenSystem_;
};

}  // namespace

struct FilePanel::PendingListing {
  JobId id = 0;
  std::shared_ptr<ReadListingJob> job;
  Listed then;
  bool suspendRedraw = true;
};

FilePanel::FilePanel(Side side, DirectorySource& source) : side_(side), source_(source) {}

FilePanel::~FilePanel() {
  if (pending_ && list_) KillTimer(list_.Handle(), reinterpret_cast<UINT_PTR>(this));
  if (count_ && list_) KillTimer(list_.Handle(), reinterpret_cast<UINT_PTR>(this) + 1);
  if (watchTimer_ && list_) KillTimer(list_.Handle(), reinterpret_cast<UINT_PTR>(this) + 2);
}

void FilePanel::ReadListingsThrough(JobRunner* jobs, std::shared_ptr<DirectorySource> source) {
  jobs_ = jobs;
  jobSource_ = std::move(source);
}

void FilePanel::SetListingWait(std::chrono::milliseconds wait) { listingWaitMs.store(wait.count()); }

void FilePanel::ListPanel(bool showHiddenSystem, bool suspendRedraw, Listed then) {
  const uint64_t generation = ++listing_;
  StopCounting();
  unreadableFolders_ = 0;
  goneNote_.clear();
  listingStarted_ = std::chrono::steady_clock::now();
  listingInFlight_ = true;
  ++watchFigures_.listings;
  if (pending_) {
    if (list_) KillTimer(list_.Handle(), reinterpret_cast<UINT_PTR>(this));
    pending_.reset();
  }
  if (jobs_ == nullptr || !jobSource_) {
    EntryTable table;
    const ListStatus status = ListFolder(source_, Path(), showHiddenSystem, table);
    ShowListing(std::move(table), status, suspendRedraw);
    if (then) then();
    return;
  }
  auto job = std::make_shared<ReadListingJob>(jobSource_, Path(), showHiddenSystem);
  const JobId id = jobs_->Start(
      job,
      [this, alive = std::weak_ptr<bool>(alive_), generation](JobState) {
        if (alive.lock()) TakeListing(generation);
      },
      JobKind::kHelper);
  if (id == 0) {  // no thread to be had: read here
    (void)job->Run();
    ShowListing(std::move(job->table), job->status, suspendRedraw);
    if (then) then();
    return;
  }
  if (jobs_->Wait(id, std::chrono::milliseconds(listingWaitMs.load()))) {
    ShowListing(std::move(job->table), job->status, suspendRedraw);
    if (then) then();
    return;
  }
  // Still reading: no rows of the folder before meanwhile, the path line
  // says so, and the window goes on. The end's message may be lost: a
  // timer looks for the end as well.
  pending_ = std::make_unique<PendingListing>(PendingListing{id, std::move(job), std::move(then), suspendRedraw});
  ShowListing(EntryTable(), ListStatus::kOk, suspendRedraw);
  if (list_) SetTimer(list_.Handle(), reinterpret_cast<UINT_PTR>(this), 100, &FilePanel::OnReadingTimer);
}

void FilePanel::DropPendingListing() {
  if (!pending_) return;
  if (list_) KillTimer(list_.Handle(), reinterpret_cast<UINT_PTR>(this));
  pending_.reset();
  ++listing_;
}

void CALLBACK FilePanel::OnReadingTimer(HWND, UINT, UINT_PTR id, DWORD) {
  auto* panel = reinterpret_cast<FilePanel*>(id);
  panel->TakeListing(panel->listing_);
}

void FilePanel::TakeListing(uint64_t generation) {
  if (!pending_ || generation != listing_ || !jobs_->Ended(pending_->id)) return;
  if (list_) KillTimer(list_.Handle(), reinterpret_cast<UINT_PTR>(this));
  std::unique_ptr<PendingListing> done = std::move(pending_);
  jobs_->Forget(done->id);
  ShowListing(std::move(done->job->table), done->job->status, done->suspendRedraw);
  if (done->then) {
    done->then();
  } else {
    SetCursor(0);
  }
}

void FilePanel::ShowListing(EntryTable table, ListStatus status, bool suspendRedraw, bool sorted) {
  if (suspendRedraw) list_.SetRedraw(false);
  if (images_ != nullptr) ImageList_SetImageCount(images_, kFixedImageCount);
  icons_.Reset();

  table_ = std::move(table);
  status_ = status;
  summary_.Reset(table_);
  // A filter lasts while its folder is shown (listed again after a change
  // on disk, say); the search box closes with any new listing.
  if (boxMode_ == BoxMode::kSearch) CloseBox();
  if (!Filter().empty() && filterFolder_ != Path()) ClearFilterText();
  allRows_ = table_.rows;
  if (sorted) {
    ShowSortArrow();
    FilterRows();
  } else {
    SortPanel(-1);
  }

  ClearSelection();
  UpdateSelectionLine();
  list_.Send(LVM_SETITEMCOUNT, 0, 0);
  list_.Send(LVM_SETITEMCOUNT, table_.RowCount(), 0);
  list_.Send(LVM_SETSELECTIONMARK, 0, -1);
  InvalidateRect(list_.Handle(), nullptr, TRUE);
  if (suspendRedraw) list_.SetRedraw(true);
  UpdatePathLine();
  UpdateTabBar();
  // The next full listing a watch asks for waits at least twice as long as
  // this one took: a burst of changes costs a few listings, not one per file.
  if (!pending_ && listingInFlight_) {
    listingInFlight_ = false;
    const auto now = std::chrono::steady_clock::now();
    relistNotBefore_ = now + std::max<std::chrono::steady_clock::duration>(std::chrono::milliseconds(250),
                                                                           2 * (now - listingStarted_));
  }
  if (!pending_) WatchShownFolder();
}

void FilePanel::UpdatePathLine() const {
  std::string text = px::PathLineText(Path());
  if (pending_) {
    pathLine_.SetText(text + notes_.reading);
    return;
  }
  switch (status_) {
    case ListStatus::kOk: break;
    case ListStatus::kIncomplete: text += notes_.incomplete; break;
    case ListStatus::kUnreadable: text += notes_.unreadable; break;
    case ListStatus::kNotFound: text += notes_.missing; break;
  }
  if (!Filter().empty()) text += FormatText(notes_.filter, {Filter()});
  if (!goneNote_.empty()) text += FormatText(notes_.folderGone, {goneNote_});
  if (count_) {
    text += notes_.counting;
  } else if (unreadableFolders_ != 0) {
    text += FormatText(notes_.countUnreadable, {unreadableFolders_});
  }
  pathLine_.SetText(text);
}

void FilePanel::RefreshPanel(bool showHiddenSystem, HWND mainWindow,
                             const std::string& preferredName, const std::string& fallbackName) {
  int top = list_.TopIndex();
  int oldCount = list_.ItemCount();
  UpdateWindow(mainWindow);
  LockWindowUpdate(mainWindow);

  ListPanel(showHiddenSystem, true, [this, top, oldCount, preferredName, fallbackName] {
    int newCount = list_.ItemCount();
    int perPage = list_.CountPerPage();

    if (top + perPage >= oldCount) {
      int row = newCount >= oldCount ? oldCount - 1 : newCount - 1;
      if (row >= 0) list_.EnsureVisible(row);
    } else {
      list_.EnsureVisible(top + perPage - 1);
    }

    long row = table_.FindRowByName(preferredName);
    if (row < 0) {
      if (fallbackName.empty())
        row = newCount - 1;
      else
        row = table_.FindRowByName(fallbackName);
    }
    if (row >= 0) SetCursor(static_cast<int>(row));
  });
  LockWindowUpdate(nullptr);
}

void FilePanel::RelistKeeping(bool showHiddenSystem, Listed after) {
  const PanelEntry* at = EntryAtCursor();
  const bool parentAtCursor = at != nullptr && at->IsParent();
  const std::string cursor = at != nullptr ? at->name : std::string();
  const Selection marked = CurrentSelection();
  const std::vector<std::string> names = marked.Names();
  const bool parentMarked = marked.parentSelected;
  const int top = list_.TopIndex();
  ListPanel(showHiddenSystem, true, [this, parentAtCursor, cursor, names, parentMarked, top, after] {
    const int count = list_.ItemCount();
    ScrollBackTo(top);
    long row = parentAtCursor ? 0 : cursor.empty() ? -1 : table_.FindRowByName(cursor);
    if (row >= 0 && static_cast<size_t>(row) < table_.RowCount() &&
        (parentAtCursor || table_.AtRow(static_cast<size_t>(row)).name == cursor)) {
      FocusRow(static_cast<int>(row));
    } else if (count > 0) {
      // The entry is gone: the cursor stays on the row it was on.
      SetCursor(0);
      ClearSelection();
    }
    SetSelected(names, true);
    if (parentMarked && table_.RowCount() > 0 && table_.AtRow(0).IsParent())
      list_.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    if (after) after();
  });
}

void FilePanel::SortPanel(int key) {
  if (key != -1) {
    int oldColumn = ArrowColumn(Sort().key);
    if (oldColumn >= 0) HeaderControl(list_.Header()).SetSortImage(oldColumn, -1);
    SetSortState(NextSortState(Sort(), key));
  }
  ShowSortArrow();
  // The list keeps its marks by row: they go back onto their entries, and
  // so does the cursor, or a command would act on the rows' new entries.
  MarksByEntry marks;
  if (list_ && list_.ItemCount() == static_cast<int>(table_.RowCount())) marks = MarksOfEntries();
  table_.rows.swap(allRows_);
  SortRows(table_, Sort());
  allRows_ = table_.rows;
  FilterRows();
  if (!marks.marked.empty() || marks.cursor >= 0) {
    const std::vector<int> rowOf = RowsOfEntries();
    list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (uint32_t entry : marks.marked)
      if (rowOf[entry] >= 0) list_.SetItemState(rowOf[entry], LVIS_SELECTED, LVIS_SELECTED);
    if (marks.cursor >= 0 && rowOf[static_cast<size_t>(marks.cursor)] >= 0)
      FocusRow(rowOf[static_cast<size_t>(marks.cursor)]);
  }
  if (list_) InvalidateRect(list_.Handle(), nullptr, FALSE);
}

void FilePanel::ShowSortArrow() const {
  if (!list_) return;
  int column = ArrowColumn(Sort().key);
  if (column >= 0) HeaderControl(list_.Header()).SetSortImage(column, Sort().order == 0 ? 0 : 1);
}

std::pair<std::string, std::string> FilePanel::LastSelectedAndNextNames() const {
  int last = -1;
  for (int row = list_.NextItem(-1, LVNI_SELECTED); row >= 0; row = list_.NextItem(row, LVNI_SELECTED))
    last = row;
  if (last < 0) last = 0;
  int count = list_.ItemCount();
  return {last < count ? list_.ItemText(last, 0) : std::string(),
          last + 1 < count ? list_.ItemText(last + 1, 0) : std::string()};
}

void FilePanel::FocusRow(int row) const {
  list_.SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED);
  list_.Send(LVM_SETSELECTIONMARK, 0, row);
}

int FilePanel::CursorRow() const {
  const int focused = list_.NextItem(-1, LVNI_FOCUSED);
  return focused >= 0 ? focused : list_.SelectionMark();
}

FilePanel::MarksByEntry FilePanel::MarksOfEntries() const {
  MarksByEntry marks;
  for (int row = list_.NextItem(-1, LVNI_SELECTED); row >= 0; row = list_.NextItem(row, LVNI_SELECTED))
    if (static_cast<size_t>(row) < table_.RowCount()) marks.marked.push_back(table_.rows[static_cast<size_t>(row)]);
  const int cursor = CursorRow();
  if (cursor >= 0 && static_cast<size_t>(cursor) < table_.RowCount()) marks.cursor = table_.rows[static_cast<size_t>(cursor)];
  return marks;
}

std::vector<int> FilePanel::RowsOfEntries() const {
  std::vector<int> rowOf(table_.entries.size(), -1);
  for (size_t row = 0; row < table_.RowCount(); ++row) rowOf[table_.rows[row]] = static_cast<int>(row);
  return rowOf;
}

int FilePanel::RowNamed(const std::string& name) const {
  if (name.empty()) return -1;
  for (size_t row = 0; row < table_.RowCount(); ++row) {
    const PanelEntry& entry = table_.AtRow(row);
    if (!entry.IsParent() && entry.name == name) return static_cast<int>(row);
  }
  return -1;
}

void FilePanel::ScrollBackTo(int top) const {
  const int count = list_.ItemCount();
  if (count > 0 && top > 0) list_.EnsureVisible(std::min(top + list_.CountPerPage() - 1, count - 1));
}

void FilePanel::SetCursor(int row) const {
  list_.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list_.Send(LVM_SETSELECTIONMARK, 0, row);
}

void FilePanel::ToggleMarkAndMoveDown(bool countFolder) {
  const int row = CursorRow();
  if (row < 0 || static_cast<size_t>(row) >= table_.RowCount()) return;
  if (!table_.AtRow(static_cast<size_t>(row)).IsParent()) {
    // The row the cursor selected by moving there, alone, is not marked yet:
    // Insert marks it (and the cursor leaves it marked) instead of taking
    // away a mark the user never gave.
    const bool selected = (list_.ItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const bool cursorsOwn = selected && list_.Send(LVM_GETSELECTEDCOUNT) == 1;
    const bool marked = selected && !cursorsOwn;
    list_.SetItemState(row, marked ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    if (countFolder && !marked && table_.AtRow(static_cast<size_t>(row)).IsFolder())
      CountFolderSizes({table_.rows[static_cast<size_t>(row)]});
  } else if (list_.Send(LVM_GETSELECTEDCOUNT) == 1) {
    list_.SetItemState(row, 0, LVIS_SELECTED);  // the cursor's own selection of the parent
  }
  const int next = std::min(row + 1, static_cast<int>(table_.RowCount()) - 1);
  FocusRow(next);
  list_.EnsureVisible(next);
}

void FilePanel::MarkOnly(const std::vector<size_t>& entries) const {
  std::vector<bool> wanted(table_.entries.size(), false);
  for (size_t entry : entries)
    if (entry < wanted.size()) wanted[entry] = true;
  list_.SetItemState(-1, 0, LVIS_SELECTED);
  for (size_t row = 0; row < table_.RowCount(); ++row)
    if (wanted[table_.rows[row]]) list_.SetItemState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
}

void FilePanel::ClearSelection() const {
  list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

const PanelState& FilePanel::CaptureState() {
  PanelState& state = states_.Current();
  state.viewMode = tree_.IsVisible() ? kViewTree : list_.ViewStyle() == LVS_LIST ? kViewList : kViewDetails;
  const PanelEntry* cursor = EntryAtCursor();
  state.cursorName = cursor != nullptr && !cursor->IsParent() ? cursor->name : std::string();
  state.selectedNames = CurrentSelection().Names();
  return state;
}

Selection FilePanel::CurrentSelection() const {
  std::vector<size_t> rows;
  for (int row = list_.NextItem(-1, LVNI_SELECTED); row >= 0; row = list_.NextItem(row, LVNI_SELECTED))
    rows.push_back(static_cast<size_t>(row));
  return SelectionOf(table_, Path(), rows);
}

const PanelEntry* FilePanel::EntryAtCursor() const {
  int mark = list_.SelectionMark();
  if (mark < 0 || static_cast<size_t>(mark) >= table_.RowCount()) return nullptr;
  return &table_.AtRow(static_cast<size_t>(mark));
}

void FilePanel::LetGoOfParent() const {
  if (table_.RowCount() > 0 && table_.AtRow(0).IsParent() &&
      (list_.ItemState(0, LVIS_SELECTED) & LVIS_SELECTED)) {
    list_.SetItemState(0, 0, LVIS_SELECTED | LVIS_FOCUSED);
  }
}

void FilePanel::SetSelected(const std::vector<std::string>& names, bool selected) const {
  if (names.empty()) return;
  // One pass over the rows, then one look per name: a run of thousands of
  // entries lets them go without reading the table once per entry.
  std::unordered_map<std::string, int> rowOf;
  rowOf.reserve(table_.RowCount());
  for (size_t row = 0; row < table_.RowCount(); ++row) {
    const PanelEntry& entry = table_.AtRow(row);
    if (!entry.IsParent()) rowOf.emplace(entry.name, static_cast<int>(row));
  }
  for (const std::string& name : names) {
    auto found = rowOf.find(name);
    if (found != rowOf.end()) list_.SetItemState(found->second, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
  }
}

void FilePanel::SetImages(HIMAGELIST images) {
  images_ = images;
  icons_.Reset();
  int width = 0, height = 0;
  largeShellIcons_ = images != nullptr && ImageList_GetIconSize(images, &width, &height) &&
                     width > GetSystemMetrics(SM_CXSMICON);
}

int FilePanel::FileIcon(const PanelEntry& entry, bool showAllIcons) {
  if (images_ == nullptr) return kBlankImage;
  IconQuery query = IconQueryFor(Path(), entry.name, showAllIcons);
  int image = icons_.Find(query);
  if (image >= 0) return image;
  SHFILEINFOW info{};
  // The image list scales what it is given: down from the large icon is sharp.
  UINT flags = SHGFI_ICON | (largeShellIcons_ ? SHGFI_LARGEICON : SHGFI_SMALLICON);
  if (query.source == IconSource::kType) flags |= SHGFI_USEFILEATTRIBUTES;
  std::wstring name = Widen(ShellName(query));
  if (!SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), flags) ||
      info.hIcon == nullptr)
    return kBlankImage;  // asked again when the row is next drawn
  Icon icon(info.hIcon);
  image = ImageList_AddIcon(images_, icon.Get());
  if (image < 0) return kBlankImage;
  icons_.Remember(query, image);
  return image;
}

void FilePanel::OnGetDisplayInfo(NMLVDISPINFOW& info, bool showAllIcons) {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= table_.RowCount()) return;
  const PanelEntry& entry = table_.AtRow(static_cast<size_t>(item.iItem));
  if (item.mask & LVIF_TEXT) {
    switch (item.iSubItem) {
      case kColumnName:
        CopyText(NameColumnText(entry), item.pszText, item.cchTextMax);
        break;
      case kColumnSize:
        CopyText(SizeColumnText(entry), item.pszText, item.cchTextMax);
        break;
      case kColumnDate:
        CopyText(entry.IsParent() ? std::string() : DateText(ToLocalDateTime(entry.writeTime)),
                 item.pszText, item.cchTextMax);
        break;
      case kColumnAttributes:
        CopyText(AttributeColumnText(entry), item.pszText, item.cchTextMax);
        break;
      default:
        if (item.cchTextMax > 0) item.pszText[0] = L'\0';
    }
  }
  if (item.mask & LVIF_IMAGE) {
    item.iImage = entry.IsFolder()   ? kFolderImage
                  : entry.IsParent() ? kParentImage
                                     : FileIcon(entry, showAllIcons);
  }
  if (item.mask & LVIF_STATE) {
    item.state = entry.IsHiddenOrSystem() ? LVIS_CUT : 0;
    item.stateMask = LVIS_CUT;
  }
}

int FilePanel::OnFindItem(const NMLVFINDITEMW& find) const {
  const LVFINDINFOW& info = find.lvfi;
  if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || info.psz == nullptr) return -1;
  std::string wanted = FoldName(Narrow(info.psz));
  static const std::string foldedParentText = FoldName(kParentRowText);
  bool partial = (info.flags & LVFI_PARTIAL) != 0;
  size_t count = table_.RowCount();
  if (count == 0) return -1;
  size_t start = find.iStart >= 0 && static_cast<size_t>(find.iStart) < count
                     ? static_cast<size_t>(find.iStart)
                     : 0;
  for (size_t step = 0; step < count; ++step) {
    size_t row = (start + step) % count;
    if (!(info.flags & LVFI_WRAP) && row < start) break;
    const PanelEntry& entry = table_.AtRow(row);
    const std::string& shown = entry.IsParent() ? foldedParentText : entry.foldedName;
    bool match = partial ? shown.compare(0, wanted.size(), wanted) == 0 : shown == wanted;
    if (match) return static_cast<int>(row);
  }
  return -1;
}

}  // namespace px
