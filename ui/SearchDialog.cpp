// The search dialog, its pages, the walk on its worker thread and the jump to a result.
#include "ui/SearchDialog.h"

#include "framework/Dpi.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <system_error>
#include <utility>

#include "core/language/TextFormat.h"
#include "core/text/CaseFold.h"
#include "core/search/SearchFilters.h"
#include "core/search/SearchNames.h"
#include "framework/Controls.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "panels/PanelPair.h"
#include "panels/Win32DirectorySource.h"
#include "res/resource.h"

namespace px {

namespace {

constexpr UINT_PTR kPullTimer = 1;
// While results come in, the list is filled from this timer: WM_TIMER comes
// after input and painting, so a long walk never starves the dialog.
constexpr UINT kPullInterval = 15;
constexpr auto kAddBudget = std::chrono::milliseconds(30);
constexpr int kExtentMargin = 10;
constexpr uint64_t kMaxPeriodCount = 99999;
constexpr uint64_t kMaxKilobytes = 999999999;

// The fields of the between-two-dates mode, with the word between the dates.
constexpr int kDateEdits[] = {IDC_SEARCH_FIRST_DAY,   IDC_SEARCH_FIRST_MONTH,
                              IDC_SEARCH_FIRST_YEAR,  IDC_SEARCH_SECOND_DAY,
                              IDC_SEARCH_SECOND_MONTH, IDC_SEARCH_SECOND_YEAR, IDC_SEARCH_AND};

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND button, bool on) {
  SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}
void Enable(HWND control, bool on) { EnableWindow(control, on ? TRUE : FALSE); }

int AddString(HWND box, UINT message, std::string_view text) {
  const std::wstring wide = Widen(text);
  return static_cast<int>(SendMessageW(box, message, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int64_t UnixNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeToUnixSeconds(FromFileTime(now));
}

// Local midnight through the time-zone rules of that date, not today's offset.
int64_t LocalMidnight(const CivilDate& date) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(date.year);
  local.wMonth = static_cast<WORD>(date.month);
  local.wDay = static_cast<WORD>(date.day);
  SYSTEMTIME utc;
  FILETIME fileTime;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
      !SystemTimeToFileTime(&utc, &fileTime)) {
    return DaysFromCivil(date) * 86400;
  }
  return FileTimeToUnixSeconds(FromFileTime(fileTime));
}

std::string TwoDigits(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "%0*d", width, value);
  return buffer;
}

}  // namespace

// What the dialog and its walk share. The walk appends under the lock; the
// UI thread takes. `dialog` is read and written on the UI thread only: a
// dialog that lets go of a run sets it to null, so tasks still queued for
// that run touch nothing.
struct SearchDialog::Run {
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::vector<std::string> lines;
  bool ended = false;
  SearchEnd end = SearchEnd::kDone;
  uint64_t foldersNotRead = 0;  // so far
  // A wake-up is queued or the dialog is still busy with earlier lines: the
  // walk posts no more until the dialog has caught up.
  bool uiBusy = false;
  SearchDialog* dialog = nullptr;
};

// A page: a child dialog whose notifications the search dialog handles.
class SearchPage : public Dialog {
 public:
  SearchPage(int templateId, SearchDialog& owner) : Dialog(templateId), owner_(owner) {}

 protected:
  bool RouteMessage(Message& message, LRESULT& result) override {
    return owner_.RoutePageMessage(message, result);
  }
  void OnOK() override { owner_.OnOK(); }
  void OnCancel() override { owner_.OnCancel(); }

 private:
  SearchDialog& owner_;
};

struct SearchRoutes {
  static const Route<SearchDialog> kRoutes[];
  static const Route<SearchDialog> kPageRoutes[];
};

const Route<SearchDialog> SearchRoutes::kRoutes[] = {
    {OnCommand(IDC_SEARCH_START, BN_CLICKED), &SearchDialog::OnStartStop},
    {OnCommand(IDC_SEARCH_GO_TO, BN_CLICKED), &SearchDialog::OnGoTo},
    {OnNotify(TCN_SELCHANGE, IDC_SEARCH_TABS, IDC_SEARCH_TABS), &SearchDialog::OnTabChange},
    {OnMessage(WM_TIMER), &SearchDialog::OnTimer},
};

const Route<SearchDialog> SearchRoutes::kPageRoutes[] = {
    {OnCommand(IDC_SEARCH_BY_DATE, BN_CLICKED), &SearchDialog::OnDateSwitch},
    {OnCommand(IDC_SEARCH_BETWEEN, BN_CLICKED), &SearchDialog::OnDateSwitch},
    {OnCommand(IDC_SEARCH_LAST, BN_CLICKED), &SearchDialog::OnDateSwitch},
    {OnCommand(IDC_SEARCH_BY_SIZE, BN_CLICKED), &SearchDialog::OnSizeSwitch},
    {OnNotify(UDN_DELTAPOS, IDC_SEARCH_PERIOD_SPIN, IDC_SEARCH_PERIOD_SPIN),
     Typed<&SearchDialog::OnSpin>},
    {OnNotify(UDN_DELTAPOS, IDC_SEARCH_SIZE_SPIN, IDC_SEARCH_SIZE_SPIN),
     Typed<&SearchDialog::OnSpin>},
    {OnCommand(IDC_SEARCH_RESULTS, LBN_DBLCLK), &SearchDialog::OnGoTo},
};

SearchDialog::SearchDialog(const AppContext& context) : Dialog(IDD_SEARCH), context_(context) {}

SearchDialog::~SearchDialog() { StopWalk(); }

bool SearchDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(SearchRoutes::kRoutes, message, result);
}

bool SearchDialog::RoutePageMessage(Message& message, LRESULT& result) {
  return Dispatch(SearchRoutes::kPageRoutes, message, result);
}

HWND SearchDialog::Control(int id) const {
  if (HWND own = Item(id)) return own;
  for (const auto& page : pages_) {
    if (page && page->Item(id) != nullptr) return page->Item(id);
  }
  return nullptr;
}

BOOL SearchDialog::OnInitDialog() {
  const LanguageTable& texts = context_.Texts();
  Window(Handle()).SetText(texts.Text(text::kSearchCaption));
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kSearchClose));
  Window(Item(IDC_SEARCH_GO_TO)).SetText(texts.Text(text::kSearchGoTo));
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  CreatePages();
  SetPageTexts();

  if (context_.settings != nullptr) names_ = ReadSearchNames(*context_.settings);
  // The names as read go into the sorted list in its own order.
  HWND name = Control(IDC_SEARCH_NAME);
  for (const std::string& entry : names_) AddString(name, CB_ADDSTRING, entry);
  names_.clear();
  const int count = static_cast<int>(SendMessageW(name, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(name, CB_GETLBTEXTLEN, i, 0);
    std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(name, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(length, 0)));
    names_.push_back(Narrow(text));
  }

  Window(Control(IDC_SEARCH_FOLDER)).SetText(StartFolderFieldText(panelFolder));
  SetChecked(Control(IDC_SEARCH_SUBFOLDERS), true);
  SetChecked(Control(IDC_SEARCH_FOLDERS_TOO), true);
  SetChecked(Control(IDC_SEARCH_BETWEEN), true);
  SYSTEMTIME today;
  GetLocalTime(&today);
  Window(Control(IDC_SEARCH_SECOND_DAY)).SetText(TwoDigits(today.wDay, 2));
  Window(Control(IDC_SEARCH_SECOND_MONTH)).SetText(TwoDigits(today.wMonth, 2));
  Window(Control(IDC_SEARCH_SECOND_YEAR)).SetText(TwoDigits(today.wYear, 4));
  Window(Control(IDC_SEARCH_PERIOD_COUNT)).SetText("1");
  Window(Control(IDC_SEARCH_SIZE)).SetText("1");
  SendMessageW(Control(IDC_SEARCH_PERIOD_COUNT), EM_LIMITTEXT, 5, 0);
  SendMessageW(Control(IDC_SEARCH_SIZE), EM_LIMITTEXT, 9, 0);
  EnableDateControls();
  EnableSizeControls();
  ShowStatus();
  ShowButtonText();
  ShowPage(kNamePage);
  SetFocus(Control(IDC_SEARCH_NAME));
  return FALSE;  // the focus is set
}

void SearchDialog::CreatePages() {
  TabControl tabs(Item(IDC_SEARCH_TABS));
  const LanguageTable& texts = context_.Texts();
  const TextId titles[] = {text::kSearchNameTab, text::kSearchFilterTab, text::kSearchResultsTab};
  const int templates[] = {IDD_SEARCH_NAME_PAGE, IDD_SEARCH_FILTER_PAGE, IDD_SEARCH_RESULTS_PAGE};

  const RECT area = tabs.PageArea(Handle());
  for (int i = 0; i < 3; ++i) {
    tabs.InsertTab(i, texts.Text(titles[i]));

    pages_[i] = std::make_unique<SearchPage>(templates[i], *this);
    if (!pages_[i]->Create(Handle())) continue;
    // Above the tab control, which would otherwise paint over the page.
    SetWindowPos(pages_[i]->Handle(), HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_HIDEWINDOW);
  }

  // The result list fills its page above the status line.
  if (pages_[kResultsPage] && pages_[kResultsPage]->Handle() != nullptr) {
    RECT client;
    GetClientRect(pages_[kResultsPage]->Handle(), &client);
    const UINT dpi = WindowDpi(Handle());
    const int statusHeight = Scaled(16, dpi);
    const int edge = Scaled(2, dpi);
    Window(Control(IDC_SEARCH_RESULTS))
        .Move(edge, edge, client.right - 2 * edge, client.bottom - statusHeight - 3 * edge);
    Window(Control(IDC_SEARCH_STATUS))
        .Move(edge, client.bottom - statusHeight - edge, client.right - 2 * edge, statusHeight);
  }
}

void SearchDialog::SetPageTexts() {
  const LanguageTable& texts = context_.Texts();
  const std::pair<int, TextId> labels[] = {
      {IDC_SEARCH_NAME_LABEL, text::kSearchNameLabel},
      {IDC_SEARCH_FOLDER_LABEL, text::kSearchFolderLabel},
      {IDC_SEARCH_SUBFOLDERS, text::kSearchSubfolders},
      {IDC_SEARCH_FOLDERS_TOO, text::kSearchFoldersToo},
      {IDC_SEARCH_BY_DATE, text::kSearchByDate},
      {IDC_SEARCH_BETWEEN, text::kSearchBetween},
      {IDC_SEARCH_AND, text::kSearchAnd},
      {IDC_SEARCH_LAST, text::kSearchLast},
      {IDC_SEARCH_BY_SIZE, text::kSearchBySize},
  };
  for (const auto& [id, textId] : labels) Window(Control(id)).SetText(texts.Text(textId));
  HWND unit = Control(IDC_SEARCH_PERIOD_UNIT);
  AddString(unit, CB_ADDSTRING, texts.Text(text::kSearchDays));
  AddString(unit, CB_ADDSTRING, texts.Text(text::kSearchMonths));
  SendMessageW(unit, CB_SETCURSEL, 0, 0);
  HWND mode = Control(IDC_SEARCH_SIZE_MODE);
  AddString(mode, CB_ADDSTRING, texts.Text(text::kSearchAtLeast));
  AddString(mode, CB_ADDSTRING, texts.Text(text::kSearchAtMost));
  SendMessageW(mode, CB_SETCURSEL, 0, 0);
}

void SearchDialog::ShowPage(int page) {
  if (pages_[page_]) ShowWindow(pages_[page_]->Handle(), SW_HIDE);
  page_ = page;
  SendMessageW(Item(IDC_SEARCH_TABS), TCM_SETCURSEL, page, 0);
  if (pages_[page_]) ShowWindow(pages_[page_]->Handle(), SW_SHOW);
  Window(Item(IDC_SEARCH_GO_TO)).Show(page_ == kResultsPage);
}

LRESULT SearchDialog::OnTabChange(Message&) {
  const int selected = static_cast<int>(SendMessageW(Item(IDC_SEARCH_TABS), TCM_GETCURSEL, 0, 0));
  if (selected >= 0 && selected < 3) ShowPage(selected);
  return 0;
}

void SearchDialog::EnableDateControls() {
  const bool on = IsChecked(Control(IDC_SEARCH_BY_DATE));
  const bool last = IsChecked(Control(IDC_SEARCH_LAST));
  Enable(Control(IDC_SEARCH_BETWEEN), on);
  Enable(Control(IDC_SEARCH_LAST), on);
  for (int id : kDateEdits) Enable(Control(id), on && !last);
  for (int id : {IDC_SEARCH_PERIOD_COUNT, IDC_SEARCH_PERIOD_SPIN, IDC_SEARCH_PERIOD_UNIT})
    Enable(Control(id), on && last);
}

void SearchDialog::EnableSizeControls() {
  const bool on = IsChecked(Control(IDC_SEARCH_BY_SIZE));
  for (int id : {IDC_SEARCH_SIZE_MODE, IDC_SEARCH_SIZE, IDC_SEARCH_SIZE_SPIN})
    Enable(Control(id), on);
}

LRESULT SearchDialog::OnDateSwitch(Message&) {
  EnableDateControls();
  return 0;
}

LRESULT SearchDialog::OnSizeSwitch(Message&) {
  EnableSizeControls();
  return 0;
}

LRESULT SearchDialog::OnSpin(Message& message, NMUPDOWN& spin) {
  const bool period = message.id == IDC_SEARCH_PERIOD_SPIN;
  Window field(Control(period ? IDC_SEARCH_PERIOD_COUNT : IDC_SEARCH_SIZE));
  const int64_t limit = static_cast<int64_t>(period ? kMaxPeriodCount : kMaxKilobytes);
  const int64_t current =
      static_cast<int64_t>(std::min<uint64_t>(FieldNumber(field.Text()), limit));
  field.SetText(std::to_string(std::clamp<int64_t>(current - spin.iDelta, 0, limit)));
  return TRUE;  // the control keeps no position of its own
}

void SearchDialog::FillNameList() {
  HWND name = Control(IDC_SEARCH_NAME);
  const std::string typed = Window(name).Text();
  SendMessageW(name, CB_RESETCONTENT, 0, 0);
  // Inserted at the end, each stays where it is put: newest first.
  for (const std::string& entry : names_) {
    const std::wstring wide = Widen(entry);
    SendMessageW(name, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(wide.c_str()));
  }
  Window(name).SetText(typed);
}

SearchCriteria SearchDialog::ReadCriteria() const {
  SearchCriteria criteria;
  criteria.mask = Window(Control(IDC_SEARCH_NAME)).Text();
  criteria.subfolders = IsChecked(Control(IDC_SEARCH_SUBFOLDERS));
  criteria.reportFolders = IsChecked(Control(IDC_SEARCH_FOLDERS_TOO));
  if (IsChecked(Control(IDC_SEARCH_BY_DATE))) {
    if (IsChecked(Control(IDC_SEARCH_LAST))) {
      const uint64_t count =
          std::min(FieldNumber(Window(Control(IDC_SEARCH_PERIOD_COUNT)).Text()), kMaxPeriodCount);
      const LRESULT unit = SendMessageW(Control(IDC_SEARCH_PERIOD_UNIT), CB_GETCURSEL, 0, 0);
      criteria.date = LastPeriodFilter(UnixNow(), static_cast<uint32_t>(count),
                                       unit == 1 ? PeriodUnit::kMonths : PeriodUnit::kDays);
    } else {
      auto fields = [this](int day, int month, int year) {
        return DateFields{Window(Control(day)).Text(), Window(Control(month)).Text(),
                          Window(Control(year)).Text()};
      };
      criteria.date = BetweenDatesFilter(
          fields(IDC_SEARCH_FIRST_DAY, IDC_SEARCH_FIRST_MONTH, IDC_SEARCH_FIRST_YEAR),
          fields(IDC_SEARCH_SECOND_DAY, IDC_SEARCH_SECOND_MONTH, IDC_SEARCH_SECOND_YEAR),
          &LocalMidnight);
    }
  }
  if (IsChecked(Control(IDC_SEARCH_BY_SIZE))) {
    criteria.size.on = true;
    criteria.size.mode = SendMessageW(Control(IDC_SEARCH_SIZE_MODE), CB_GETCURSEL, 0, 0) == 1
                             ? SizeMode::kAtMost
                             : SizeMode::kAtLeast;
    criteria.size.kilobytes =
        std::min(FieldNumber(Window(Control(IDC_SEARCH_SIZE)).Text()), kMaxKilobytes);
  }
  return criteria;
}

void SearchDialog::OnOK() {
  Message message;
  OnStartStop(message);
}

void SearchDialog::OnCancel() { Close(IDCANCEL); }

LRESULT SearchDialog::OnStartStop(Message&) {
  if (searching_) {
    // The walk stops at its next check. The list stops now: lines the walk
    // found but the list has not taken yet are dropped, so the status shows
    // what the list holds.
    run_->stop.store(true);
    searching_ = false;
    stopPressed_ = true;
    backlog_.clear();
    backlogNext_ = 0;
    ShowStatus();
    ShowButtonText();
    return 0;
  }
  StartSearch();
  return 0;
}

void SearchDialog::StartSearch() {
  const SearchCriteria criteria = ReadCriteria();
  const std::string start =
      ResolveStartFolder(Window(Control(IDC_SEARCH_FOLDER)).Text(), panelFolder);
  StopWalk();

  RememberSearchName(names_, criteria.mask);
  FillNameList();
  ShowPage(kResultsPage);
  HWND list = Control(IDC_SEARCH_RESULTS);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  listedKeys_.clear();
  extent_ = 0;
  SendMessageW(list, LB_SETHORIZONTALEXTENT, 0, 0);
  filesShown_ = foldersShown_ = 0;
  foldersNotRead_ = 0;
  backlog_.clear();
  backlogNext_ = 0;
  walkEnded_ = false;
  stopPressed_ = false;
  searching_ = true;
  ShowStatus();
  ShowButtonText();

  run_ = std::make_shared<Run>();
  run_->dialog = this;
  std::shared_ptr<DirectorySource> walkSource =
      source ? source : std::make_shared<Win32DirectorySource>();
  UiTaskQueue* queue = context_.uiTasks;
  auto deliver = [queue](const std::shared_ptr<Run>& run, std::vector<std::string>&& lines,
                         bool ended, SearchEnd end, uint64_t foldersNotRead) {
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(run->mutex);
      run->foldersNotRead = foldersNotRead;
      if (run->lines.empty()) {
        run->lines = std::move(lines);
      } else {
        run->lines.insert(run->lines.end(), std::make_move_iterator(lines.begin()),
                          std::make_move_iterator(lines.end()));
      }
      if (ended) {
        run->ended = true;
        run->end = end;
      }
      wake = !run->uiBusy;
      run->uiBusy = true;
    }
    if (!wake) return;
    // A refused wake-up loses nothing: the dialog's timer takes the lines.
    if (queue == nullptr || !queue->Post([run] {
          if (run->dialog != nullptr) run->dialog->Pull(false);
        })) {
      std::lock_guard<std::mutex> lock(run->mutex);
      run->uiBusy = false;
    }
  };
  // The walk is a job of the runner: its lines come back through the task
  // queue and the dialog's timer, its end through both.
  struct Walk : Job {
    std::shared_ptr<SearchDialog::Run> shared;
    std::function<JobState()> work;
    JobState Run() override { return work(); }
    void Cancel() override { shared->stop.store(true); }
  };
  auto walk = std::make_shared<Walk>();
  walk->shared = run_;
  walk->work = [run = run_, walkSource, start, criteria, deliver] {
    const SearchOutcome outcome = RunSearch(
        *walkSource, start, criteria, run->stop,
        [&](std::vector<std::string>&& lines, const SearchCounts& counts) {
          if (!lines.empty()) {
            deliver(run, std::move(lines), false, SearchEnd::kDone, counts.foldersNotRead);
          }
        });
    deliver(run, {}, true, outcome.end, outcome.counts.foldersNotRead);
    return outcome.end == SearchEnd::kStopped ? JobState::kCancelled : JobState::kDone;
  };
  walkId_ = context_.jobs != nullptr ? context_.jobs->Start(walk, {}, JobKind::kHelper) : 0;
  if (walkId_ == 0) {
    // No thread to be had: the search ends at once with nothing found.
    FinishSearch(SearchEnd::kStopped);
    return;
  }
  SetTimer(Handle(), kPullTimer, kPullInterval, nullptr);
}

void SearchDialog::EndWalk() {
  if (walkId_ == 0) return;
  context_.jobs->Wait(walkId_, std::chrono::hours(1));
  context_.jobs->Forget(walkId_);
  walkId_ = 0;
}

bool SearchDialog::WalkAlive() const {
  return walkId_ != 0 && context_.jobs != nullptr && !context_.jobs->Ended(walkId_);
}

void SearchDialog::StopWalk() {
  if (run_) {
    run_->stop.store(true);
    run_->dialog = nullptr;
  }
  // Checked before every entry, so the walk ends within one file-system call.
  EndWalk();
  run_.reset();
  if (Handle() != nullptr) KillTimer(Handle(), kPullTimer);
  searching_ = false;
}

LRESULT SearchDialog::OnTimer(Message& message) {
  if (message.wParam != kPullTimer) {
    message.handled = false;
    return 0;
  }
  Pull(true);
  return 0;
}

void SearchDialog::Pull(bool fromTimer) {
  if (!run_) return;
  std::shared_ptr<Run> run = run_;
  bool ended;
  SearchEnd end;
  {
    std::lock_guard<std::mutex> lock(run->mutex);
    if (backlogNext_ >= backlog_.size()) {
      backlog_ = std::move(run->lines);
      backlogNext_ = 0;
    } else {
      backlog_.insert(backlog_.end(), std::make_move_iterator(run->lines.begin()),
                      std::make_move_iterator(run->lines.end()));
    }
    run->lines.clear();
    if (stopPressed_) backlog_.clear();
    ended = run->ended;
    end = run->end;
    foldersNotRead_ = run->foldersNotRead;
  }
  AddSomeLines();
  if (run != run_) return;  // a message box or a new search came in between
  const bool caughtUp = backlogNext_ >= backlog_.size();
  // Only a timer tick lets the walk wake the dialog again: ticks come when no
  // input waits, so a walk that finds lines all the time cannot keep the
  // queue full of wake-ups ahead of the user's keys and clicks.
  if (caughtUp && fromTimer) {
    std::lock_guard<std::mutex> lock(run->mutex);
    if (run->lines.empty()) run->uiBusy = false;
  }
  if (caughtUp && ended && !walkEnded_) FinishSearch(end);
}

void SearchDialog::AddSomeLines() {
  if (backlogNext_ >= backlog_.size()) return;
  HWND list = Control(IDC_SEARCH_RESULTS);
  const auto deadline = std::chrono::steady_clock::now() + kAddBudget;
  HDC dc = GetDC(list);
  HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  const int oldExtent = extent_;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  size_t added = 0;
  while (backlogNext_ < backlog_.size()) {
    const std::string& line = backlog_[backlogNext_++];
    const std::wstring wide = Widen(line);
    // Lines come mostly in order: the place is found near the end.
    std::string key = FoldName(line);
    auto place = std::upper_bound(listedKeys_.begin(), listedKeys_.end(), key);
    const WPARAM index = static_cast<WPARAM>(place - listedKeys_.begin());
    listedKeys_.insert(place, std::move(key));
    SendMessageW(list, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(wide.c_str()));
    ++(!line.empty() && line[0] == '<' ? foldersShown_ : filesShown_);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (size.cx > extent_) extent_ = size.cx + kExtentMargin;
    if (++added % 64 == 0 && std::chrono::steady_clock::now() >= deadline) break;
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  SelectObject(dc, oldFont);
  ReleaseDC(list, dc);
  if (backlogNext_ >= backlog_.size()) {
    backlog_.clear();
    backlogNext_ = 0;
  }
  if (extent_ != oldExtent) SendMessageW(list, LB_SETHORIZONTALEXTENT, extent_, 0);
  InvalidateRect(list, nullptr, TRUE);
  ShowStatus();
}

void SearchDialog::FinishSearch(SearchEnd end) {
  walkEnded_ = true;
  walkEnd_ = end;
  EndWalk();
  KillTimer(Handle(), kPullTimer);
  searching_ = false;
  ShowStatus();
  ShowButtonText();
  if (end == SearchEnd::kStartFolderMissing) {
    ShowMessage(Handle(), context_.Texts().Text(text::kSearchFolderMissing), kProductName,
                MB_OK | MB_ICONEXCLAMATION);
  }
}

void SearchDialog::ShowStatus() {
  std::string status =
      FormatText(context_.Texts().Text(text::kSearchStatus), {filesShown_, foldersShown_});
  // What could not be read may hold more: the search is not the whole answer.
  if (foldersNotRead_ > 0)
    status += FormatText(context_.Texts().Text(text::kSearchNotFullyRead), {foldersNotRead_});
  Window(Control(IDC_SEARCH_STATUS)).SetText(status);
}

void SearchDialog::ShowButtonText() {
  Window(Item(IDC_SEARCH_START))
      .SetText(context_.Texts().Text(searching_ ? text::kSearchStop : text::kSearchStart));
}

LRESULT SearchDialog::OnGoTo(Message&) {
  HWND list = Control(IDC_SEARCH_RESULTS);
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return 0;
  result = ParseResultLine(ListBox(list).ItemText(static_cast<int>(selected)));
  Close(result.folder.empty() ? IDCANCEL : IDOK);
  return 0;
}

void SearchDialog::Close(INT_PTR code) {
  StopWalk();
  if (context_.settings != nullptr) {
    WriteSearchNames(*context_.settings, names_);
    // A settings file that cannot be written costs only the name history.
    (void)context_.settings->Commit();
  }
  EndDialog(code);
}

void RunSearchCommand(const AppContext& context, PanelPair& panels) {
  SearchDialog dialog(context);
  dialog.panelFolder = panels.Active().Path();
  dialog.DoModal(context.owner);
  if (!dialog.result.folder.empty()) ShowSearchResult(panels, dialog.result);
}

void ShowSearchResult(PanelPair& panels, const ResultLocation& result) {
  panels.GoToFolder(result.folder, true);
  FilePanel& panel = panels.Active();
  const ListView& list = panel.List();
  if (!list.IsVisible()) return;
  panel.ClearSelection();
  const long found = panel.Table().FindRowByName(result.name);
  if (found < 0) return;
  const int row = static_cast<int>(found);
  panel.SetCursor(row);
  const DWORD view = list.ViewStyle();
  if (view == LVS_REPORT) {
    const int count = list.ItemCount();
    list.EnsureVisible(std::min(row + list.CountPerPage() / 3, count - 1));
  } else {
    list.EnsureVisible(row);
  }
}

}  // namespace px
