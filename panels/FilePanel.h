// One side of the window: its folder, its rows and the controls that show them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/fs/DirectorySource.h"
#include "core/jobs/JobRunner.h"
#include "core/panel/EntryTable.h"
#include "core/panel/IconKeys.h"
#include "core/panel/PanelState.h"
#include "core/panel/Selection.h"
#include "core/panel/SelectionSummary.h"
#include "core/panel/Sorting.h"
#include "core/settings/Settings.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/FolderTree.h"
#include "framework/FolderWatch.h"
#include "framework/Palette.h"

namespace px {

// Images of a panel's list: the folder and parent pictures, then blanks.
constexpr int kFolderImage = 0;
constexpr int kParentImage = 1;
constexpr int kBlankImage = 2;
constexpr int kFixedImageCount = 7;

// The view of one side: it owns its controls and takes the notifications
// that concern them alone (drawing rows and tree nodes, finding a row,
// sorting by a column); what involves both sides goes to the pair.
class FilePanel : public MessageRouter {
 public:
  FilePanel(Side side, DirectorySource& source);
  ~FilePanel() override;
  FilePanel(const FilePanel&) = delete;
  FilePanel& operator=(const FilePanel&) = delete;

  // options gives the view its display options (icons, hidden entries).
  void Attach(HWND list, HWND tree, HWND driveBox, HWND pathLine, HWND volumeLine,
              const Options* options = nullptr);
  // The line under the list that says what the marks add up to.
  void AttachSelectionLine(HWND line) { selectionLine_ = Window(line); }
  const Window& SelectionLine() const { return selectionLine_; }
  // What the marked entries add up to, kept as they are marked.
  const SelectionFigures& Marked() const { return summary_.Figures(); }
  // Writes the figures into the selection line (when they changed).
  void UpdateSelectionLine();
  bool RouteMessage(Message& message, LRESULT& result) override;
  // The list's image list; icons already looked up belonged to the old one.
  // Icons larger than the system's small ones are taken from its large ones.
  void SetImages(HIMAGELIST images);

  Side GetSide() const { return side_; }
  // The side's states, the current one shown by the controls.
  SideStates& States() { return states_; }
  const SideStates& States() const { return states_; }
  // Takes stored states (tabs read at start-up), the current one to be listed.
  void SetStates(SideStates states);

  // Tabs: each state of the side is a tab. A tab left keeps its rows, so
  // showing it again reads nothing unless its folder changed meanwhile
  // (then it is read when shown).
  void AttachTabBar(HWND bar) { tabBar_ = Window(bar); }
  const Window& TabBar() const { return tabBar_; }
  size_t TabCount() const { return states_.Count(); }
  // A new tab after the current one on the same folder, made current, its
  // rows those shown (nothing read); false at the limit of tabs.
  bool OpenTab();
  // Closes a tab, never the last; closing the current one shows its
  // neighbour (the next, else the previous).
  bool CloseTab(size_t index, bool showHiddenSystem);
  // Shows tab index with its folder, sort, view, cursor and marks.
  void SelectTab(size_t index, bool showHiddenSystem);
  // The tab bar's labels (each tab's folder name) and its current tab.
  void UpdateTabBar() const;
  // A tab whose folder changed on disk while hidden; read when shown.
  bool TabStale(size_t index) const;
  const PanelState& State() const { return states_.Current(); }
  // The current state with what only the controls know written into it:
  // the view, the cursor and the selection, by name.
  const PanelState& CaptureState();

  const std::string& Path() const { return states_.Current().folder; }
  void SetPath(std::string path) { states_.Current().folder = std::move(path); }
  const EntryTable& Table() const { return table_; }
  SortState Sort() const { return states_.Current().sort; }
  void SetSortState(SortState state) { states_.Current().sort = state; }
  FolderHistory& History() { return states_.Current().history; }
  int DriveIndex() const { return driveIndex_; }
  void SetDriveIndex(int index) { driveIndex_ = index; }

  const ListView& List() const { return list_; }
  const TreeView& Tree() const { return tree_; }
  FolderTree& Folders() { return folders_; }
  const ComboBoxEx& DriveBox() const { return driveBox_; }
  const Window& PathLine() const { return pathLine_; }
  const Window& VolumeLine() const { return volumeLine_; }

  // From now on listings are read by a job of jobs, through source (which
  // the job shares, so that it may outlive the panel). The window waits for
  // such a job a little: a folder read by then is shown at once; one that
  // takes longer (a slow drive, a huge folder) shows as being read, with no
  // rows, and its rows come in when it is read, while the window answers.
  void ReadListingsThrough(JobRunner* jobs, std::shared_ptr<DirectorySource> source);
  // How long the window waits for a listing before it goes on; tests make
  // every listing wait to the end unless they test the reading itself.
  static void SetListingWait(std::chrono::milliseconds wait);
  static constexpr std::chrono::milliseconds kListingWait{30};

  // Reads the panel's folder again and rebuilds the rows, sorted; leaves no
  // row selected or focused. A folder that is missing or cannot be read
  // shows no rows; Status() tells which. then runs once the rows are in:
  // at once, or when a listing that took longer comes in (not at all when
  // another listing of this panel came first); without it, the cursor goes
  // on the first row of a listing that came in later.
  using Listed = std::function<void()>;
  void ListPanel(bool showHiddenSystem, bool suspendRedraw, Listed then = {});
  // A listing is still being read; the panel shows no rows until it is in.
  bool Reading() const { return pending_ != nullptr; }
  // How the last listing went.
  ListStatus Status() const { return status_; }
  // The path line: the folder's search pattern, and a note when the last
  // listing broke off part way, could not read the folder or did not find
  // it (the notes in the language's texts), so that a panel never just
  // looks empty.
  void UpdatePathLine() const;
  // The list's, the tree's and the tab bar's colours from the palette.
  void ApplyColours(const Palette& palette);
  struct StatusNotes {
    std::string incomplete;
    std::string unreadable;
    std::string missing;
    std::string reading;
    std::string selection;  // the selection line's pattern: six numbers
    std::string searchLabel;     // before the quick search's text
    std::string filterLabel;     // before the quick filter's text
    std::string filter;          // the path line's note of a filter (%s)
    std::string countUnreadable; // the path line's note after a count (%i folders)
    std::string counting;        // the path line's note while counting
    std::string folderGone;      // the path line's note of a folder gone (%s)
  };
  void SetStatusNotes(StatusNotes notes) { notes_ = std::move(notes); }
  // Lists again, keeping the scroll position, with the cursor on
  // preferredName, else fallbackName, else (fallback empty) the last row.
  void RefreshPanel(bool showHiddenSystem, HWND mainWindow, const std::string& preferredName,
                    const std::string& fallbackName);
  // Lists again (the folder changed on disk), keeping the cursor on its
  // entry, the marks on theirs and the scroll position.
  void RelistKeeping(bool showHiddenSystem, Listed after = {});

  // The folder shown is watched: changes on disk come in by themselves
  // (merged into the rows, the cursor, marks and scroll position kept; a
  // burst, an overflow or a failed watch lists again, at most about once per
  // two listings' time). Hidden tabs' folders are watched too: a change marks
  // the tab stale. gone runs when a watched folder turned out to be gone.
  void SetFolderGone(std::function<void(FilePanel&)> gone) { folderGone_ = std::move(gone); }
  // Ends the watches of every tab whose folder lies in one of these trees
  // (paths ending with a backslash): a delete or move of them must not find
  // them held open. Hidden tabs so touched read again when shown; the shown
  // one lists again when the work ends (ListAgainIfUnwatched).
  void ReleaseWatchesUnder(const std::vector<std::string>& trees);
  // Lists again when the folder is not watched (the watch could not be set
  // or failed): the window was activated, and may have missed changes.
  void ListAgainIfUnwatched(bool showHiddenSystem);
  // The path line says which folder went, until the next folder is listed.
  void NoteFolderGone(const std::string& folder);
  // Watch figures, for tests and the benchmark: listings made, changes merged.
  struct WatchFigures {
    uint64_t listings = 0;
    uint64_t merges = 0;
  };
  const WatchFigures& Watching() const { return watchFigures_; }
  bool Watched() const;
  // Sorts by key (0..5), or re-applies the current state for -1.
  void SortPanel(int key);

  // Texts of the last selected row (row 0 when none is) and of the row after
  // it: where a refresh puts the cursor back.
  std::pair<std::string, std::string> LastSelectedAndNextNames() const;

  // Puts the cursor (selected and focused) on a row.
  void SetCursor(int row) const;
  void ClearSelection() const;
  // Insert's and Space's marking: the cursor row's mark turns over (never
  // the parent row's) and the cursor goes one row down, the other marks
  // left as they are. A row selected only because the cursor stands on it
  // counts as unmarked. With countFolder, a folder so marked is counted (see
  // CountFolderSizes).
  void ToggleMarkAndMoveDown(bool countFolder = false);

  // The box at the bottom of the list that takes typed text: the quick
  // search moves the cursor to the rows whose names match it, the quick
  // filter shows only those rows. Closed by Esc, a click, any other key.
  enum class BoxMode : uint8_t { kClosed, kSearch, kFilter };
  BoxMode Box() const { return boxMode_; }
  const std::string& BoxText() const { return boxText_; }
  // Opens the box with the text typed so far (a filter's box starts from the
  // filter on).
  void OpenBox(BoxMode mode, std::string_view typed = {});
  // One more character. A search refuses one after which no name matches
  // (false); a filter shows the rows that match, perhaps none.
  bool TypeInBox(wchar_t c);
  void EraseInBox();
  // The next (or previous) row that matches the search, round at the ends.
  void StepSearch(bool forward);
  // Closes the box; a filter stays on.
  void CloseBox();
  // The filter on (empty: every row shows) and ending it: every row back,
  // the marks of the rows that were hidden stay dropped.
  const std::string& Filter() const { return states_.Current().quickFilter; }
  void ClearFilter();

  // Counts the sizes of these folders (entry indices) as a job, one after
  // the other; each shows in the Size column once counted and counts in the
  // selection line. A count running before is stopped. Links are not
  // followed; folders that could not be read are said on the path line.
  void CountFolderSizes(std::vector<uint32_t> entries);
  // Every folder the list shows.
  void CountAllFolderSizes();
  bool Counting() const { return count_ != nullptr; }
  void StopCounting();
  // Marks exactly the rows of these entries (entry indices), every other
  // mark taken away; the cursor stays on its row.
  void MarkOnly(const std::vector<size_t>& entries) const;

  // The one place that reads which rows are selected: commands get this value.
  Selection CurrentSelection() const;
  // The entry under the cursor (the list's selection mark); null when none.
  const PanelEntry* EntryAtCursor() const;
  // Lets the parent row go from the selection.
  void LetGoOfParent() const;
  // Selects, or lets go of, the rows named exactly so; others stay as they are.
  void SetSelected(const std::vector<std::string>& names, bool selected) const;

  // Key messages aimed at this panel's list reach the panel before the
  // command line or any other use: a handler that takes one returns true.
  void SetKeyHandler(std::function<bool(MSG&)> handler) { keyHandler_ = std::move(handler); }
  bool PreTranslateKey(MSG& msg) { return keyHandler_ && keyHandler_(msg); }

  // List view notifications of an owner-data list. A file row's image is the
  // shell's icon of its type, or its own with showAllIcons for programs and
  // the like; each is fetched once per listing.
  void OnGetDisplayInfo(NMLVDISPINFOW& info, bool showAllIcons);
  int OnFindItem(const NMLVFINDITEMW& find) const;



 private:
  friend struct FilePanelRoutes;
  void ShowSortArrow() const;
  LRESULT OnDisplayInfo(Message& message, NMLVDISPINFOW& info);
  LRESULT OnFindItemMessage(Message& message, NMLVFINDITEMW& find);
  LRESULT OnColumnClick(Message& message, NMLISTVIEW& click);
  LRESULT OnItemChanged(Message& message, NMLISTVIEW& change);
  LRESULT OnRangeChanged(Message& message, NMLVODSTATECHANGE& change);
  LRESULT OnTreeExpanding(Message& message, NMTREEVIEWW& info);
  LRESULT OnTreeExpanded(Message& message);
  LRESULT OnTreeDisplayInfo(Message& message, NMTVDISPINFOW& info);
  LRESULT OnTreeKeyDown(Message& message);
  // The image of a file row: fetched from the shell when this listing has
  // not fetched it yet; the blank image when the shell gives none.
  int FileIcon(const PanelEntry& entry, bool showAllIcons);
  // The rows of a listing shown, sorted, nothing selected.
  // sorted: the rows come in the panel's order already (a tab's kept rows).
  void ShowListing(EntryTable table, ListStatus status, bool suspendRedraw, bool sorted = false);
  // A listing that was still being read when the window went on: shown when
  // its job has ended, from the job's end or from the timer that looks for it.
  struct PendingListing;
  void TakeListing(uint64_t generation);
  void DropPendingListing();
  static void CALLBACK OnReadingTimer(HWND, UINT, UINT_PTR id, DWORD);
  // The rows shown: allRows_ when no filter is on, else those that match it,
  // the marks of the others dropped and the cursor kept on its entry.
  void ApplyFilter();
  // table_.rows from allRows_ and the filter, the list left alone.
  void FilterRows();
  void ClearFilterText();
  void ShowBox();
  // The cursor onto row: the selection goes with it unless other rows are
  // marked, whose marks then stay.
  void MoveCursorKeepingMarks(int row);
  // The cursor onto row (focus and selection mark), the marks left alone.
  void FocusRow(int row) const;
  // The cursor's row: the focused one, else the selection mark; -1 for none.
  int CursorRow() const;
  // The list keeps marks and cursor by row: what rows are about to change
  // takes them by entry first, and puts them back through RowsOfEntries.
  struct MarksByEntry {
    std::vector<uint32_t> marked;
    int64_t cursor = -1;  // the cursor's entry
  };
  MarksByEntry MarksOfEntries() const;
  // The row each entry stands in now, -1 for one not shown.
  std::vector<int> RowsOfEntries() const;
  // The row of the entry named exactly so (never the parent), -1 for none.
  int RowNamed(const std::string& name) const;
  // After the rows were set again: the rows from top on shown as before.
  void ScrollBackTo(int top) const;
  // Counted sizes that came in, into the entries; the end of the count.
  struct FolderCount;
  void TakeCounted();
  void EndCount();
  static void CALLBACK OnCountTimer(HWND, UINT, UINT_PTR id, DWORD);

  Side side_;
  DirectorySource& source_;
  JobRunner* jobs_ = nullptr;
  std::shared_ptr<DirectorySource> jobSource_;
  std::unique_ptr<PendingListing> pending_;
  uint64_t listing_ = 0;  // the latest listing asked for; an earlier one's rows are dropped
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // for what comes back later
  SideStates states_;
  EntryTable table_;
  std::vector<uint32_t> allRows_;  // every row, sorted; table_.rows are those shown
  std::string filterFolder_;       // the folder the filter was set in
  ListStatus status_ = ListStatus::kOk;
  StatusNotes notes_;
  const Options* options_ = nullptr;
  std::function<bool(MSG&)> keyHandler_;
  int driveIndex_ = -1;
  HIMAGELIST images_ = nullptr;
  bool largeShellIcons_ = false;
  IconCache icons_;

  ListView list_;
  TreeView tree_;
  FolderTree folders_;
  ComboBoxEx driveBox_;
  Window pathLine_;
  Window volumeLine_;
  Window selectionLine_;
  SelectionSummary summary_;
  std::string shownSelection_;

  Window box_;
  BoxMode boxMode_ = BoxMode::kClosed;
  std::string boxText_;

  std::unique_ptr<FolderCount> count_;
  uint64_t unreadableFolders_ = 0;  // of the last count, for the path line

  // What a tab showed when it was left (the current tab's slot is unused).
  struct TabRows {
    EntryTable table;
    std::vector<uint32_t> allRows;
    SortState sortedAs;  // the order allRows are in
    ListStatus status = ListStatus::kOk;
    std::string filterFolder;
    int top = 0;
    bool kept = false;   // rows kept: shown again without reading
    bool stale = false;  // its folder changed since
    std::unique_ptr<FolderWatch> watch;  // of the tab's folder, current tab too
    std::string watched;                 // the folder it watches
  };
  std::vector<TabRows> tabRows_ = std::vector<TabRows>(1);
  Window tabBar_;
  // After rows came in: the cursor and the marks of the current state, by
  // name, and the first row shown.
  void RestoreCursorAndMarks(int top);
  // Empties a tab's kept rows, its watch going on.
  static void ResetKeepingWatch(TabRows& rows);

  // Watching: the current tab's folder watched once listed; the timer takes
  // what the watches gathered.
  void WatchShownFolder();
  void PollWatches();
  void MergeChanges(const ChangeBatch& batch, bool showHiddenSystem);
  static void CALLBACK OnWatchTimer(HWND, UINT, UINT_PTR id, DWORD);
  bool ShowHidden() const { return options_ != nullptr && options_->showHiddenSystem != 0; }
  std::function<void(FilePanel&)> folderGone_;
  std::string goneNote_;
  bool relistDue_ = false;
  std::chrono::steady_clock::time_point relistDueSince_{};
  std::chrono::steady_clock::time_point lastChange_{};
  bool listingInFlight_ = false;
  bool watchTimer_ = false;
  std::chrono::steady_clock::time_point listingStarted_{};
  std::chrono::steady_clock::time_point relistNotBefore_{};
  WatchFigures watchFigures_;
};

}  // namespace px
