// The quick search and the quick filter of a panel: the box at the bottom of
// its list and what the typed text does to the rows.
#include <algorithm>

#include "core/language/TextFormat.h"
#include "core/panel/QuickSearch.h"
#include "framework/Wide.h"
#include "panels/FilePanel.h"

namespace px {

namespace {

QuickSearchOptions SearchOptions(const Options* options) {
  QuickSearchOptions search;
  search.contains = options != nullptr && options->quickSearchContains == 1;
  return search;
}

// A filter finds its text anywhere in a name: "rep" keeps "old-report.pdf".
QuickSearchOptions FilterOptions() {
  QuickSearchOptions filter;
  filter.contains = true;
  return filter;
}

}  // namespace

void FilePanel::OpenBox(BoxMode mode, std::string_view typed) {
  if (mode == BoxMode::kClosed) {
    CloseBox();
    return;
  }
  boxMode_ = mode;
  boxText_ = mode == BoxMode::kFilter && typed.empty() ? Filter() : std::string(typed);
  ShowBox();
  if (mode == BoxMode::kFilter) {
    if (boxText_ != Filter()) {
      states_.Current().quickFilter = boxText_;
      filterFolder_ = Path();
      ApplyFilter();
    }
    return;
  }
  if (!boxText_.empty()) {
    // The first character: refused like any other when nothing matches.
    std::string first;
    first.swap(boxText_);
    const std::wstring wide = Widen(first);
    for (wchar_t c : wide) TypeInBox(c);
    ShowBox();
  }
}

bool FilePanel::TypeInBox(wchar_t c) {
  if (boxMode_ == BoxMode::kClosed || c < L' ' || c == 0x7F) return false;
  wchar_t one[2] = {c, 0};
  const std::string grown = boxText_ + Narrow(one);
  if (boxMode_ == BoxMode::kFilter) {
    boxText_ = grown;
    states_.Current().quickFilter = grown;
    filterFolder_ = Path();
    ApplyFilter();
    ShowBox();
    return true;
  }
  const QuickSearch search(grown, SearchOptions(options_));
  const int from = CursorRow();
  const long row = search.FirstFrom(table_, from < 0 ? 0 : static_cast<size_t>(from));
  if (row < 0) {
    MessageBeep(MB_OK);
    return false;
  }
  boxText_ = grown;
  MoveCursorKeepingMarks(static_cast<int>(row));
  ShowBox();
  return true;
}

void FilePanel::EraseInBox() {
  if (boxMode_ == BoxMode::kClosed || boxText_.empty()) return;
  // One character off the end: back over UTF-8 continuation bytes.
  size_t end = boxText_.size() - 1;
  while (end > 0 && (static_cast<unsigned char>(boxText_[end]) & 0xC0) == 0x80) --end;
  boxText_.erase(end);
  if (boxMode_ == BoxMode::kFilter) {
    states_.Current().quickFilter = boxText_;
    ApplyFilter();
  }
  ShowBox();
}

void FilePanel::StepSearch(bool forward) {
  if (boxMode_ != BoxMode::kSearch) return;
  const QuickSearch search(boxText_, SearchOptions(options_));
  const int cursor = CursorRow();
  const size_t at = cursor < 0 ? table_.RowCount() : static_cast<size_t>(cursor);
  const long row = forward ? search.Next(table_, at) : search.Previous(table_, at);
  if (row >= 0) MoveCursorKeepingMarks(static_cast<int>(row));
}

void FilePanel::CloseBox() {
  if (boxMode_ == BoxMode::kClosed) return;
  boxMode_ = BoxMode::kClosed;
  boxText_.clear();
  box_.Show(false);
  if (list_) InvalidateRect(list_.Handle(), nullptr, FALSE);
}

void FilePanel::ShowBox() {
  if (!box_ || !list_) return;
  const RECT list = list_.RectInParent();
  const HFONT font = reinterpret_cast<HFONT>(list_.Send(WM_GETFONT));
  box_.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  int height = 20;
  if (HDC dc = GetDC(box_.Handle())) {
    const HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(dc, &metrics)) height = metrics.tmHeight + 6;
    SelectObject(dc, old);
    ReleaseDC(box_.Handle(), dc);
  }
  height = std::min<int>(height, std::max<int>(0, list.bottom - list.top));
  const std::string& label = boxMode_ == BoxMode::kFilter ? notes_.filterLabel : notes_.searchLabel;
  box_.SetText(" " + label + " " + boxText_);
  SetWindowPos(box_.Handle(), HWND_TOP, list.left, list.bottom - height, list.right - list.left, height,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void FilePanel::MoveCursorKeepingMarks(int row) {
  if (row < 0 || static_cast<size_t>(row) >= table_.RowCount()) return;
  const int marked = static_cast<int>(list_.Send(LVM_GETSELECTEDCOUNT));
  const int cursor = list_.NextItem(-1, LVNI_FOCUSED);
  const bool onlyCursor = marked == 0 || (marked == 1 && cursor >= 0 &&
                                          (list_.ItemState(cursor, LVIS_SELECTED) & LVIS_SELECTED));
  if (onlyCursor) {
    ClearSelection();
    SetCursor(row);
  } else {
    FocusRow(row);
  }
  list_.EnsureVisible(row);
}

void FilePanel::FilterRows() {
  if (Filter().empty()) {
    table_.rows = allRows_;
    return;
  }
  table_.rows = allRows_;
  const std::vector<size_t> rows = QuickSearch(Filter(), FilterOptions()).FilterRows(table_);
  std::vector<uint32_t> shown;
  shown.reserve(rows.size());
  for (size_t row : rows) shown.push_back(allRows_[row]);
  table_.rows = std::move(shown);
}

void FilePanel::ApplyFilter() {
  // Marks and the cursor by entry, to be put back on the rows still shown.
  const MarksByEntry marks = MarksOfEntries();
  const std::vector<uint32_t>& marked = marks.marked;
  const int64_t cursorEntry = marks.cursor;
  const bool onlyCursor = marked.empty() || (marked.size() == 1 && marked[0] == cursorEntry);

  list_.SetRedraw(false);
  // Every mark goes (the selection line with them); those of rows still
  // shown come back: a hidden entry is never acted on.
  list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  FilterRows();
  list_.Send(LVM_SETITEMCOUNT, table_.RowCount(), 0);
  const std::vector<int> rowOf = RowsOfEntries();
  int newCursor = cursorEntry >= 0 ? rowOf[static_cast<size_t>(cursorEntry)] : -1;
  if (newCursor < 0) {
    // The first row that matched (after the parent), else the parent.
    newCursor = table_.RowCount() > 1 && table_.AtRow(0).IsParent() ? 1 : 0;
    if (table_.RowCount() == 0) newCursor = -1;
  }
  if (onlyCursor) {
    if (newCursor >= 0) SetCursor(newCursor);
  } else {
    for (uint32_t entry : marked)
      if (rowOf[entry] >= 0) list_.SetItemState(rowOf[entry], LVIS_SELECTED, LVIS_SELECTED);
    if (newCursor >= 0) {
      FocusRow(newCursor);
    }
  }
  if (newCursor >= 0) list_.EnsureVisible(newCursor);
  list_.SetRedraw(true);
  InvalidateRect(list_.Handle(), nullptr, TRUE);
  UpdateSelectionLine();
  UpdatePathLine();
}

void FilePanel::ClearFilterText() {
  states_.Current().quickFilter.clear();
  filterFolder_.clear();
  if (boxMode_ == BoxMode::kFilter) CloseBox();
}

void FilePanel::ClearFilter() {
  if (Filter().empty()) {
    CloseBox();
    return;
  }
  ClearFilterText();
  ApplyFilter();
}

}  // namespace px
