// The tabs of a side: each keeps its folder, sort, view, cursor, marks and
// history, and the rows it showed while hidden.
#include <algorithm>

#include "core/panel/TabSettings.h"
#include "framework/Wide.h"
#include "panels/FilePanel.h"

namespace px {

namespace {

// A tab's label: the last name of its folder ("Data" for C:\Work\Data\), or
// the drive or share itself.
std::string TabLabel(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  if (path.size() == 3 && path[1] == ':') return path.substr(0, 2);
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos || slash + 1 >= path.size() ? path : path.substr(slash + 1);
}

}  // namespace

void FilePanel::ResetKeepingWatch(TabRows& rows) {
  std::unique_ptr<FolderWatch> watch = std::move(rows.watch);
  std::string watched = std::move(rows.watched);
  rows = TabRows();
  rows.watch = std::move(watch);
  rows.watched = std::move(watched);
}

void FilePanel::SetStates(SideStates states) {
  states_ = std::move(states);
  tabRows_.clear();
  tabRows_.resize(states_.Count());
  UpdateTabBar();
}

bool FilePanel::TabStale(size_t index) const { return index < tabRows_.size() && tabRows_[index].stale; }

bool FilePanel::OpenTab() {
  if (states_.Count() >= kMaxTabsPerSide) return false;
  CloseBox();
  const PanelState& current = CaptureState();
  PanelState state;
  state.folder = current.folder;
  state.sort = current.sort;
  state.viewMode = current.viewMode == kViewTree ? kViewDetails : current.viewMode;
  state.cursorName = current.cursorName;
  state.history.Record(current.folder);
  state.quickFilter = current.quickFilter;
  // The tab left keeps a copy of the rows; the new one goes on with them.
  TabRows kept;
  kept.table = table_;
  kept.allRows = allRows_;
  kept.sortedAs = current.sort;
  kept.status = status_;
  kept.filterFolder = filterFolder_;
  kept.top = list_ ? list_.TopIndex() : 0;
  kept.kept = pending_ == nullptr;
  const size_t left = states_.CurrentIndex();
  kept.watch = std::move(tabRows_[left].watch);
  kept.watched = std::move(tabRows_[left].watched);
  tabRows_[left] = std::move(kept);
  const size_t opened = states_.Open(std::move(state));
  tabRows_.insert(tabRows_.begin() + static_cast<std::ptrdiff_t>(opened), TabRows());
  UpdateTabBar();
  return true;
}

void FilePanel::SelectTab(size_t index, bool showHiddenSystem) {
  if (index >= states_.Count() || index == states_.CurrentIndex()) return;
  StopCounting();
  CloseBox();
  CaptureState();
  TabRows& keep = tabRows_[states_.CurrentIndex()];
  keep.kept = pending_ == nullptr;
  DropPendingListing();  // a tab whose listing was under way reads again when shown
  keep.table = std::move(table_);
  keep.allRows = std::move(allRows_);
  keep.sortedAs = states_.Current().sort;
  keep.status = status_;
  keep.filterFolder = filterFolder_;
  keep.top = list_ ? list_.TopIndex() : 0;
  keep.stale = false;
  table_ = EntryTable();
  allRows_.clear();

  states_.Select(index);
  const PanelState& state = states_.Current();
  if (list_) list_.SetViewStyle(state.viewMode == kViewList ? LVS_LIST : LVS_REPORT);
  TabRows& show = tabRows_[index];
  if (show.kept && !show.stale) {
    ++listing_;  // what was under way for the tab left is not this tab's
    filterFolder_ = show.filterFolder;
    EntryTable table = std::move(show.table);
    table.rows = std::move(show.allRows);  // every row, in the tab's order
    const ListStatus status = show.status;
    const int top = show.top;
    const bool sorted = show.sortedAs.key == state.sort.key && show.sortedAs.order == state.sort.order;
    ResetKeepingWatch(show);
    ShowListing(std::move(table), status, true, sorted);
    RestoreCursorAndMarks(top);
  } else {
    const int top = show.top;
    ResetKeepingWatch(show);
    filterFolder_ = state.quickFilter.empty() ? std::string() : state.folder;
    ListPanel(showHiddenSystem, true, [this, top] { RestoreCursorAndMarks(top); });
  }
  UpdateTabBar();
}

bool FilePanel::CloseTab(size_t index, bool showHiddenSystem) {
  if (states_.Count() <= 1 || index >= states_.Count()) return false;
  if (index == states_.CurrentIndex()) SelectTab(index + 1 < states_.Count() ? index + 1 : index - 1, showHiddenSystem);
  if (!states_.Close(index)) return false;
  tabRows_.erase(tabRows_.begin() + static_cast<std::ptrdiff_t>(index));
  UpdateTabBar();
  return true;
}

void FilePanel::RestoreCursorAndMarks(int top) {
  const PanelState& state = states_.Current();
  if (list_.ItemCount() == 0) return;
  ScrollBackTo(top);
  const int row = RowNamed(state.cursorName);
  const bool marks = !(state.selectedNames.size() == 1 && state.selectedNames[0] == state.cursorName) &&
                     !state.selectedNames.empty();
  if (!marks) {
    SetCursor(row < 0 ? 0 : row);
  } else {
    SetSelected(state.selectedNames, true);
    const int at = row < 0 ? 0 : row;
    FocusRow(at);
  }
  list_.EnsureVisible(row < 0 ? 0 : row);
}

void FilePanel::UpdateTabBar() const {
  if (!tabBar_) return;
  const HWND bar = tabBar_.Handle();
  const int have = static_cast<int>(SendMessageW(bar, TCM_GETITEMCOUNT, 0, 0));
  const int want = static_cast<int>(states_.Count());
  for (int i = have; i > want; --i) SendMessageW(bar, TCM_DELETEITEM, static_cast<WPARAM>(i - 1), 0);
  for (int i = 0; i < want; ++i) {
    std::wstring label = Widen(TabLabel(states_.At(static_cast<size_t>(i)).folder));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = label.data();
    if (i < have) {
      SendMessageW(bar, TCM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    } else {
      SendMessageW(bar, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
  }
  SendMessageW(bar, TCM_SETCURSEL, states_.CurrentIndex(), 0);
}

}  // namespace px
