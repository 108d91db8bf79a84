// Keeping a panel true to its folder on disk: each tab's folder is watched,
// and what the watch reports is merged into the rows, or the folder listed
// again when only that shows it as it is.
#include <algorithm>

#include "core/text/CaseFold.h"
#include "panels/FilePanel.h"

namespace px {

namespace {

constexpr UINT kWatchPollMs = 250;
// A listing the watch asks for waits until nothing changed for this long,
// or at most the second figure.
constexpr int kQuietMs = 400;
constexpr int kLongestWaitMs = 4000;

UINT_PTR WatchTimerId(const FilePanel* panel) { return reinterpret_cast<UINT_PTR>(panel) + 2; }

}  // namespace

bool FilePanel::Watched() const {
  const TabRows& rows = tabRows_[states_.CurrentIndex()];
  return rows.watch && rows.watched == Path() && rows.watch->Started() && !rows.watch->Failed();
}

void FilePanel::WatchShownFolder() {
  if (jobs_ == nullptr || !list_) return;
  TabRows& rows = tabRows_[states_.CurrentIndex()];
  if (rows.watch && rows.watched == Path() && !rows.watch->Failed()) return;
  rows.watch.reset();
  rows.watched = Path();
  if (status_ == ListStatus::kNotFound) return;
  rows.watch = std::make_unique<FolderWatch>(*jobs_, Path());
  if (!watchTimer_) {
    watchTimer_ = SetTimer(list_.Handle(), WatchTimerId(this), kWatchPollMs, &FilePanel::OnWatchTimer) != 0;
  }
}

void CALLBACK FilePanel::OnWatchTimer(HWND, UINT, UINT_PTR id, DWORD) {
  reinterpret_cast<FilePanel*>(id - 2)->PollWatches();
}

void FilePanel::PollWatches() {
  const size_t current = states_.CurrentIndex();
  for (size_t i = 0; i < tabRows_.size(); ++i) {
    TabRows& rows = tabRows_[i];
    if (!rows.watch) continue;
    ChangeBatch batch;
    const bool came = rows.watch->Take(batch);
    if (i != current) {
      // A hidden tab costs no listing: it is read when shown.
      if (came) rows.stale = true;
      continue;
    }
    if (rows.watched != Path()) continue;  // the folder changed; its watch follows the listing
    if (rows.watch->Failed()) {
      // Gone, renamed away, or the drive went: one listing tells which; a
      // folder that is gone sends the side elsewhere.
      rows.watch.reset();
      relistDue_ = false;
      RelistKeeping(ShowHidden(), [this] {
        if (status_ == ListStatus::kNotFound && folderGone_) folderGone_(*this);
      });
      return;
    }
    if (!came) continue;
    const auto now = std::chrono::steady_clock::now();
    lastChange_ = now;
    // Once a listing is due, what comes meanwhile waits for it: merging
    // parts of a flood one by one would cost more than the listing.
    if (batch.ListAgain() || relistDue_ || Reading() || tree_.IsVisible()) {
      if (!relistDue_) relistDueSince_ = now;
      relistDue_ = true;
    } else {
      MergeChanges(batch, ShowHidden());
    }
  }
  // A listing asked for waits its turn, and for the folder to go quiet (a
  // copy into it still under way), yet not for ever: a flood makes few.
  const auto now = std::chrono::steady_clock::now();
  const bool quiet = now - lastChange_ >= std::chrono::milliseconds(kQuietMs);
  const bool waitedLong = now - relistDueSince_ >= std::chrono::milliseconds(kLongestWaitMs);
  if (relistDue_ && !Reading() && now >= relistNotBefore_ && (quiet || waitedLong)) {
    relistDue_ = false;
    if (!tree_.IsVisible()) RelistKeeping(ShowHidden());
  }
}

void FilePanel::MergeChanges(const ChangeBatch& batch, bool showHiddenSystem) {
  // What the user has in hand, by name: entry indices change with the merge.
  const PanelEntry* at = EntryAtCursor();
  const bool parentAtCursor = at != nullptr && at->IsParent();
  const std::string cursor = at != nullptr ? at->name : std::string();
  const int cursorRow = list_.NextItem(-1, LVNI_FOCUSED);
  const Selection marked = CurrentSelection();
  const std::vector<std::string> names = marked.Names();
  const bool onlyCursor = names.empty() || (names.size() == 1 && names[0] == cursor);
  const int top = list_.TopIndex();

  // Rows hidden by a filter are merged too: the merge works on every row.
  table_.rows = allRows_;
  const std::string folder = Path();
  const AppliedChanges applied = ApplyChanges(
      table_, batch, showHiddenSystem, [&folder](const std::string& name) { return LookUpEntry(folder, name); });
  if (applied.listAgain) {
    FilterRows();
    relistDue_ = true;
    return;
  }
  if (!applied.Changed()) {
    FilterRows();
    return;
  }
  ++watchFigures_.merges;
  list_.SetRedraw(false);
  // The marks go from their old rows: one by one when few (the list's
  // every-row call costs a pass over all its rows).
  if (list_.Send(LVM_GETSELECTEDCOUNT) <= 256) {
    for (int r = list_.NextItem(-1, LVNI_SELECTED); r >= 0; r = list_.NextItem(r, LVNI_SELECTED))
      list_.SetItemState(r, 0, LVIS_SELECTED);
    if (cursorRow >= 0) list_.SetItemState(cursorRow, 0, LVIS_FOCUSED);
  } else {
    list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  }
  summary_.Reset(table_);
  for (uint32_t entry = 0; entry < table_.entries.size(); ++entry)
    if (table_.entries[entry].sizeCounted) summary_.SetFolderSize(entry, table_.entries[entry].size);
  // Rows kept stay in order and the added ones come last: when nothing
  // kept changed, only the added rows are sorted and merged in.
  std::vector<uint32_t>& rows = table_.rows;
  const SortState order = Sort();
  if (applied.updated == 0 && applied.added <= rows.size()) {
    const auto firstAdded = rows.end() - static_cast<std::ptrdiff_t>(applied.added);
    const auto less = [this, order](uint32_t a, uint32_t b) { return CompareEntries(table_, a, b, order) < 0; };
    std::stable_sort(firstAdded, rows.end(), less);
    std::inplace_merge(rows.begin(), firstAdded, rows.end(), less);
  } else {
    SortRows(table_, order);
  }
  allRows_ = rows;
  FilterRows();
  list_.Send(LVM_SETITEMCOUNT, table_.RowCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  const int count = list_.ItemCount();
  ScrollBackTo(top);
  int row = parentAtCursor && table_.RowCount() > 0 && table_.AtRow(0).IsParent() ? 0 : RowNamed(cursor);
  // The entry under the cursor went: the cursor stays on its row.
  if (row < 0 && count > 0) row = std::clamp(cursorRow, 0, count - 1);
  if (onlyCursor && row >= 0 && !names.empty()) {
    SetCursor(row);
  } else {
    SetSelected(names, true);
    if (marked.parentSelected && table_.RowCount() > 0 && table_.AtRow(0).IsParent())
      list_.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    if (row >= 0) {
      FocusRow(row);
    }
  }
  list_.SetRedraw(true);
  InvalidateRect(list_.Handle(), nullptr, FALSE);
  UpdateSelectionLine();
}

void FilePanel::ReleaseWatchesUnder(const std::vector<std::string>& trees) {
  std::vector<std::string> folded;
  folded.reserve(trees.size());
  for (const std::string& tree : trees) {
    std::string path = FoldName(tree);
    if (!path.empty() && path.back() != '\\') path += '\\';
    folded.push_back(std::move(path));
  }
  for (size_t i = 0; i < tabRows_.size(); ++i) {
    TabRows& rows = tabRows_[i];
    if (!rows.watch) continue;
    std::string watched = FoldName(rows.watched);
    if (!watched.empty() && watched.back() != '\\') watched += '\\';
    for (const std::string& tree : folded) {
      if (watched.compare(0, tree.size(), tree) != 0) continue;
      rows.watch.reset();
      if (i != states_.CurrentIndex()) rows.stale = true;
      break;
    }
  }
}

void FilePanel::ListAgainIfUnwatched(bool showHiddenSystem) {
  if (listing_ == 0 || tree_.IsVisible() || Reading() || Watched() || jobs_ == nullptr) return;
  // A folder missing already stays (its path line says so) until it comes;
  // one that went since it was shown sends the side elsewhere.
  const bool wasThere = status_ != ListStatus::kNotFound;
  RelistKeeping(showHiddenSystem, [this, wasThere] {
    if (wasThere && status_ == ListStatus::kNotFound && folderGone_) folderGone_(*this);
  });
}

void FilePanel::NoteFolderGone(const std::string& folder) {
  goneNote_ = folder;
  UpdatePathLine();
}

}  // namespace px
