#include "app/MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "core/panel/NameRules.h"
#include "core/panel/PathText.h"
#include "core/text/CaseFold.h"
#include "core/language/TextFormat.h"
#include "framework/Drives.h"
#include "framework/MessageBoxes.h"
#include "framework/MessageLoop.h"
#include "framework/TextFiles.h"
#include "framework/Trace.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "ui/Commands.h"

namespace px {

namespace {

QueuePolicy QueuePolicyOf(const Options& options) {
  return options.queueSameDrive == 0 ? QueuePolicy::kAllAtOnce
                                     : QueuePolicy::kOneAfterAnotherPerDrive;
}

// Looks whether the jobs the window waits for before it closes have ended.
constexpr UINT_PTR kCloseWaitTimer = 0x7A11;

constexpr int kFunctionKeyIds[5] = {IDC_COPY, IDC_MOVE, IDC_MAKE_DIRECTORY, IDC_DELETE, IDC_EXIT};
constexpr int kCommandRowIds[3] = {IDC_COMMAND_PROMPT, IDC_COMMAND_LINE, IDC_LINE_COMMAND};

std::string JoinPath(const std::string& folder, const char* tail) {
  std::string path = folder;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path + tail;
}

std::string CurrentDirectory() {
  DWORD length = GetCurrentDirectoryW(0, nullptr);
  std::wstring buffer(length, L'\0');
  DWORD copied = GetCurrentDirectoryW(length, buffer.data());
  buffer.resize(copied < length ? copied : 0);
  return Narrow(buffer);
}

constexpr TextId kFunctionKeyTexts[5] = {text::kCopyButton, text::kMoveButton,
                                         text::kMakeDirectoryButton, text::kDeleteButton,
                                         text::kExitButton};

constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED

Icon LoadAppIcon(int width, int height) {
  return Icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                            IMAGE_ICON, width, height, 0)));
}

}  // namespace

struct MainWindowRoutes {
  static const Route<MainWindow> kRoutes[];
  static const size_t kCount;
};

// The first matching route wins; what these leave unhandled goes on to the
// panels' routes. WM_COMMAND ends in the command table.
const Route<MainWindow> MainWindowRoutes::kRoutes[] = {
    {OnMessage(WM_PAINT), &MainWindow::OnPaint},
    {OnMessage(WM_QUERYDRAGICON), &MainWindow::OnQueryDragIcon},
    {OnMessage(WM_SIZE), &MainWindow::OnSize},
    {OnMessage(WM_MOUSEMOVE), &MainWindow::OnMouseMove},
    {OnMessage(WM_LBUTTONDOWN), &MainWindow::OnLeftButtonDown},
    {OnMessage(WM_LBUTTONUP), &MainWindow::OnLeftButtonUp},
    {OnMessage(WM_RBUTTONDOWN), &MainWindow::OnRightButtonDown},
    {OnMessage(WM_COMMAND), &MainWindow::OnCommandMessage},
    {OnMessage(WM_SETTINGCHANGE), &MainWindow::OnSettingChange},
    {OnMessage(kDpiChangedMessage), &MainWindow::OnDpiChanged},
    {OnMessage(WM_DRAWITEM), &MainWindow::OnDrawLine},
    {OnNotify(NM_CUSTOMDRAW, IDC_TOOLBAR, IDC_TOOLBAR), &MainWindow::OnToolBarDraw},
    {OnMessage(WM_TIMER), &MainWindow::OnTimer},
};
const size_t MainWindowRoutes::kCount = sizeof(kRoutes) / sizeof(kRoutes[0]);

MainWindow::MainWindow()
    : Dialog(IDD_MAIN),
      jobs_([this](std::function<void()> task) { return uiTasks_.Post(std::move(task)); }),
      background_(std::make_unique<BackgroundJobs>(jobs_, [](const RunRequest& request) {
        std::vector<std::string> keys = PhysicalDriveKeys(request.baseFolder);
        for (std::string& key : PhysicalDriveKeys(request.targetFolder)) keys.push_back(std::move(key));
        return keys;
      })),
      panels_(context_),
      commandLine_(context_, panels_),
      keyboard_(context_, panels_),
      menus_(context_, commands_),
      toolBar_(context_, commands_),
      favourites_(context_, panels_, menus_),
      appIcon_(LoadAppIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON))),
      appIconSmall_(LoadAppIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON))) {
  context_.texts = &texts_;
  context_.options = &options_;
  context_.uiTasks = &uiTasks_;
  context_.jobs = &jobs_;
  context_.palette = &palette_;
  ChainRoutes(panels_);
  ChainRoutes(menus_);
}

// The window goes while the parts its messages reach are all still here.
MainWindow::~MainWindow() {
  if (idleToken_ != 0) MessageLoop::RemoveIdleHandler(idleToken_);
  // The viewers hold the context and stop their jobs on the runner as they go.
  viewers_.clear();
  if (Handle() != nullptr) Palette::DetachFrom(Handle());
  Destroy();
}

bool MainWindow::PreTranslateMessage(MSG& msg) {
  return keyboard_.Filter(msg) || Dialog::PreTranslateMessage(msg);
}

bool MainWindow::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(MainWindowRoutes::kRoutes, message, result);
}

BOOL MainWindow::OnInitDialog() {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                    ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  context_.owner = Handle();
  context_.startDirectory = CurrentDirectory();
  // The layout is this window's own: the platform leaves its controls be
  // when the scale changes, and the window follows in OnDpiChanged.
  dpi_ = WindowDpi(Handle());
  KeepOwnLayoutOnDpiChange(Handle());
  // The program's loop hands this window its keys, and runs its idle work
  // whenever the queue is empty.
  MessageLoop::AddWindow(Handle(), [this](MSG& msg) { return PreTranslateMessage(msg); });
  idleToken_ = MessageLoop::AddIdleHandler([this] { OnIdle(); });
  dragging_ = false;
  keyboard_.Attach(Item(IDC_COMMAND_LINE));
  arrowCursor_ = LoadCursorW(nullptr, IDC_ARROW);
  sizeCursor_ = LoadCursorW(nullptr, IDC_SIZEWE);

  SetTraceFile(JoinPath(StartDirectory(), "\\PX.log"));
  settings_ = std::make_unique<SettingsStore>(
      std::make_unique<FileProfileStorage>(JoinPath(StartDirectory(), "\\PX.ini")));
  context_.settings = settings_.get();
  // A name that could reach a file outside the Language folder is not taken.
  options_.language = LanguageOrDefault(settings_->GetString("Options", "Language", "English"));
  // A missing file leaves the texts empty; the window still works.
  [[maybe_unused]] bool loaded = LoadLanguage(options_.language);

  SetWindowTextW(Handle(), Widen(kProductName).c_str());
  for (int i = 0; i < 5; ++i)
    Window(Item(kFunctionKeyIds[i])).SetText(texts_.Text(kFunctionKeyTexts[i]));

  menus_.Build(Handle(), dpi_);

  dividerMenu_.Reset(CreatePopupMenu());
  static const wchar_t* const kDividerItems[] = {L"20/80", L"30/70", L"40/60", L"50/50",
                                                 L"60/40", L"70/30", L"80/20"};
  for (int i = 0; i < 7; ++i)
    AppendMenuW(dividerMenu_.Get(), MF_STRING, ID_DIVIDER_FIRST + i, kDividerItems[i]);

  toolBar_.Create(Handle(), dpi_);

  panels_.Attach(Handle());
  panels_.SetTabBarsChanged([this] {
    RECT client;
    GetClientRect(Handle(), &client);
    LayoutWindow(client.right, client.bottom);
  });
  commandLine_.Attach(Item(IDC_COMMAND_LINE));
  WindowActions actions;
  actions.exit = [this] { OnCancel(); };
  actions.showJobList = [this] { ShowJobList(true); };
  actions.viewFile = [this] { ViewFileAtCursor(); };
  actions.background = background_.get();
  background_->SetOnChanged([this] { OnJobsChanged(); });
  background_->SetOnQuestion([this](uint64_t key) {
    // The question waits in the list, which shows itself and flashes; the
    // user goes on with what they were doing.
    ShowJobList(false);
    if (JobListWindow* list = JobList()) {
      list->Select(key);
      FLASHWINFO flash{sizeof(flash), list->Handle(), FLASHW_ALL | FLASHW_TIMERNOFG, 5, 0};
      FlashWindowEx(&flash);
    }
  });
  background_->SetOnEnded([this](const RunRequest& request) {
    panels_.RelistShowing({request.baseFolder, request.targetFolder});
  });
  actions.saveSettings = [this](bool panels, bool window, bool options) {
    // A file that cannot be written now keeps the changes for the exit.
    [[maybe_unused]] bool written = WriteSettings(panels, window, options);
  };
  actions.placeDivider = [this](int preset) {
    RECT client;
    GetClientRect(Handle(), &client);
    SetDivider(DividerPresetX(client.right, preset));
  };
  actions.applyOptions = [this](const Options& edited) {
    // The language changes only once its file has been read.
    std::string language = options_.language;
    options_ = edited;
    options_.language = language;
    ChangeLanguage(edited.language);
    ApplyViewOptions();
    FollowColours();
    background_->SetPolicy(QueuePolicyOf(options_));
  };
  // Every id has one command: one given twice is a fault of the program,
  // noted (and failed by the tests) rather than left to chance.
  commandsUnique_ = FillCommandTable(commands_, context_, panels_, commandLine_, actions);
  commandsUnique_ = toolBar_.AddCommands(commands_) && commandsUnique_;
  commandsUnique_ = favourites_.AddCommands(commands_) && commandsUnique_;
  if (!commandsUnique_) Trace("a command id was given two commands");
  toolBar_.UpdateStates();

  ReadSettingsIntoWindow();
  palette_.AttachTo(Handle());
  FollowColours();
  background_->SetPolicy(QueuePolicyOf(options_));
  panels_.UpdatePathLines();
  panels_.Start();

  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_.Get()));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIconSmall_.Get()));
  PlaceWindow();

  // The window appears, painted, before the folders are read.
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  panels_.ListBoth();
  return TRUE;
}

bool MainWindow::LoadLanguage(const std::string& language) {
  std::optional<std::string> bytes =
      ReadFileBytes(StartDirectory() + "\\Language\\" + language + ".lng");
  return bytes && texts_.Load(DecodeText(*bytes).utf8) > 0;
}

void MainWindow::ChangeLanguage(const std::string& language) {
  // No choice, or a file that gives no texts, keeps the language: its name is
  // saved, and the next start would show no texts at all.
  if (language.empty() || EqualsNoCase(language, options_.language)) return;
  if (!LoadLanguage(language)) return;
  options_.language = language;
  ApplyLanguage();
}

void MainWindow::ApplyLanguage() {
  for (int i = 0; i < 5; ++i)
    Window(Item(kFunctionKeyIds[i])).SetText(texts_.Text(kFunctionKeyTexts[i]));
  panels_.ApplyLanguage();
  menus_.Rebuild();
  toolBar_.ApplyLanguage();
}

void MainWindow::ReadSettingsIntoWindow() {
  Settings settings = ReadSettings(*settings_);
  std::string language = options_.language;
  options_ = settings.options;
  options_.language = language;
  windowSettings_ = settings.window;
  commandLine_.History().Assign(settings.commandHistory);
  favourites_.Assign(settings.favourites);
  panels_.ApplySettings({settings.panels[0], settings.panels[1]});
  ApplyRowVisibility(false);
}

// At start-up rows are only hidden (the template shows every row); after the
// settings dialog they are also shown.
void MainWindow::ApplyRowVisibility(bool showExplicitly) {
  auto apply = [&](int option, std::initializer_list<HWND> windows) {
    bool show = option == 1;
    bool hide = showExplicitly ? !show : option == 0;
    for (HWND window : windows) {
      if (hide)
        ShowWindow(window, SW_HIDE);
      else if (showExplicitly)
        ShowWindow(window, SW_SHOW);
    }
  };
  apply(options_.showToolBar, {toolBar_.Handle(), Item(IDC_LINE_TOOLBAR)});
  apply(options_.showDrive, {Item(IDC_LEFT_DRIVE), Item(IDC_RIGHT_DRIVE), Item(IDC_LEFT_VOLUME),
                             Item(IDC_RIGHT_VOLUME)});
  apply(options_.showCurDir, {Item(IDC_LEFT_PATH), Item(IDC_RIGHT_PATH)});
  apply(options_.showSelectionLine, {Item(IDC_LEFT_SELECTION), Item(IDC_RIGHT_SELECTION)});
  apply(options_.showComLine,
        {Item(kCommandRowIds[0]), Item(kCommandRowIds[1]), Item(kCommandRowIds[2])});
  apply(options_.showFuncKey, {Item(kFunctionKeyIds[0]), Item(kFunctionKeyIds[1]),
                               Item(kFunctionKeyIds[2]), Item(kFunctionKeyIds[3]),
                               Item(kFunctionKeyIds[4])});
}

void MainWindow::ApplyViewOptions() {
  panels_.ApplyViewOptions();
  ApplyRowVisibility(true);
  RECT client;
  GetClientRect(Handle(), &client);
  LayoutWindow(client.right, client.bottom);
  RedrawWindow(Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MainWindow::PlaceWindow() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Rect screen{work.left, work.top, work.right - work.left, work.bottom - work.top};
  if (screen.width <= 0 || screen.height <= 0)
    screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Rect window = FitWindowToScreen(
      {windowSettings_.left, windowSettings_.top, windowSettings_.width, windowSettings_.height},
      screen);
  MoveWindow(Handle(), window.x, window.y, window.width, window.height, TRUE);
  ShowWindow(Handle(), windowSettings_.maximized == 1 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  // The size message may arrive before the window counts as visible.
  RECT client;
  GetClientRect(Handle(), &client);
  LayoutWindow(client.right, client.bottom);
}

VisibleRows MainWindow::Rows() const {
  VisibleRows rows;
  rows.toolBar = options_.showToolBar != 0;
  rows.drive = options_.showDrive != 0;
  rows.curDir = options_.showCurDir != 0;
  rows.comLine = options_.showComLine != 0;
  rows.funcKey = options_.showFuncKey != 0;
  rows.selectionLine = options_.showSelectionLine != 0;
  rows.leftTabs = panels_.ShowsTabBar(Side::kLeft);
  rows.rightTabs = panels_.ShowsTabBar(Side::kRight);
  return rows;
}

void MainWindow::PlacePanelRows(const PanelRowsLayout& p) {
  auto place = [&](int id, const Rect& r) { Window(Item(id)).Move(r.x, r.y, r.width, r.height); };
  place(IDC_LEFT_LIST, p.leftPanel);
  place(IDC_LEFT_TREE, p.leftPanel);
  place(IDC_RIGHT_LIST, p.rightPanel);
  place(IDC_RIGHT_TREE, p.rightPanel);
  place(IDC_SPLITTER, p.splitter);
  place(IDC_LEFT_SELECTION, p.leftSelection);
  place(IDC_RIGHT_SELECTION, p.rightSelection);
  place(IDC_LEFT_TABS, p.leftTabs);
  place(IDC_RIGHT_TABS, p.rightTabs);
  Window(Item(IDC_LEFT_TABS)).Show(p.leftTabs.height > 0);
  Window(Item(IDC_RIGHT_TABS)).Show(p.rightTabs.height > 0);
  place(IDC_LEFT_VOLUME, p.leftVolume);
  place(IDC_RIGHT_VOLUME, p.rightVolume);
  place(IDC_LEFT_DRIVE, p.leftDrive);
  Window(Item(IDC_LEFT_DRIVE)).RedrawWithFrame();
  place(IDC_RIGHT_DRIVE, p.rightDrive);
  Window(Item(IDC_RIGHT_DRIVE)).RedrawWithFrame();
  place(IDC_LEFT_PATH, p.leftPath);
  place(IDC_RIGHT_PATH, p.rightPath);
}

void MainWindow::LayoutWindow(int cx, int cy) {
  if (!IsWindowVisible(Handle())) return;
  MainLayout layout = ComputeLayout(cx, cy, options_.divider, Rows(), static_cast<int>(dpi_));
  PlacePanelRows(layout.panels);
  auto placeRedrawn = [&](int id, const Rect& r) {
    Window control(Item(id));
    control.Move(r.x, r.y, r.width, r.height);
    control.RedrawWithFrame();
  };
  placeRedrawn(IDC_COMMAND_PROMPT, layout.prompt);
  placeRedrawn(IDC_COMMAND_LINE, layout.commandLine);
  for (int i = 0; i < 5; ++i) placeRedrawn(kFunctionKeyIds[i], layout.functionKeys[i]);
  Window(Item(IDC_LINE_TOP)).Move(layout.lineTop.x, layout.lineTop.y, layout.lineTop.width,
                                  layout.lineTop.height);
  const Rect& below = layout.lineBelowToolBar;
  Window(Item(IDC_LINE_TOOLBAR)).Move(below.x, below.y, below.width, below.height);
  const Rect& above = layout.lineAboveCommand;
  Window(Item(IDC_LINE_COMMAND)).Move(above.x, above.y, above.width, above.height);
  if (toolBar_.Handle() != nullptr) {
    Window(toolBar_.Handle())
        .Move(layout.toolBar.x, layout.toolBar.y, layout.toolBar.width, layout.toolBar.height);
    UpdateWindow(toolBar_.Handle());
  }
}

void MainWindow::SetDivider(int x) {
  RECT client;
  GetClientRect(Handle(), &client);
  DividerMove move =
      MoveDivider(x, client.right, client.bottom, Rows(), static_cast<int>(dpi_));
  options_.divider = move.divider;
  PlacePanelRows(move.panels);
}

bool MainWindow::SplitterHit(POINT screenPoint) const {
  RECT area;
  GetWindowRect(Item(IDC_SPLITTER), &area);
  // Bounds included on all four sides.
  return screenPoint.x >= area.left && screenPoint.x <= area.right &&
         screenPoint.y >= area.top && screenPoint.y <= area.bottom;
}

LRESULT MainWindow::OnLeftButtonDown(Message& message) {
  POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
  ClientToScreen(Handle(), &point);
  if (SplitterHit(point)) {
    dragging_ = true;
    SetCursor(sizeCursor_);
    SetCapture(Handle());
  }
  message.handled = false;
  return 0;
}

LRESULT MainWindow::OnMouseMove(Message& message) {
  POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
  POINT screen = point;
  ClientToScreen(Handle(), &screen);
  if (SplitterHit(screen)) SetCursor(sizeCursor_);
  if (dragging_) SetDivider(point.x);
  message.handled = false;
  return 0;
}

LRESULT MainWindow::OnLeftButtonUp(Message& message) {
  if (dragging_) {
    dragging_ = false;
    SetCursor(arrowCursor_);
    ReleaseCapture();
  }
  message.handled = false;
  return 0;
}

LRESULT MainWindow::OnRightButtonDown(Message& message) {
  POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
  ClientToScreen(Handle(), &point);
  if (SplitterHit(point)) {
    TrackPopupMenu(dividerMenu_.Get(), TPM_LEFTALIGN | TPM_LEFTBUTTON, point.x, point.y, 0,
                   Handle(), nullptr);
  }
  message.handled = false;
  return 0;
}

LRESULT MainWindow::OnPaint(Message& message) {
  if (!IsIconic(Handle())) {
    message.handled = false;
    return 0;
  }
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(Handle(), &client);
  int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, appIcon_.Get());
  EndPaint(Handle(), &paint);
  return 0;
}

LRESULT MainWindow::OnQueryDragIcon(Message&) {
  return reinterpret_cast<LRESULT>(appIcon_.Get());
}

LRESULT MainWindow::OnSettingChange(Message& message) {
  // The trees hold a copy of their font with the smoothing of the moment.
  if (message.wParam == SPI_SETFONTSMOOTHING || message.wParam == SPI_SETFONTSMOOTHINGTYPE) {
    panels_.FollowSystemSmoothing();
  }
  // The app theme ("ImmersiveColorSet") or high contrast was switched.
  const auto* area = reinterpret_cast<const wchar_t*>(message.lParam);
  if (message.wParam == SPI_SETHIGHCONTRAST ||
      (area != nullptr && lstrcmpiW(area, L"ImmersiveColorSet") == 0)) {
    FollowColours();
  }
  return 0;
}

LRESULT MainWindow::OnDpiChanged(Message& message) {
  FollowDpi(LOWORD(message.wParam));
  // The platform suggests where the window keeps its size in points.
  const RECT* suggested = reinterpret_cast<const RECT*>(message.lParam);
  if (suggested != nullptr)
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(Handle(), &client);
  LayoutWindow(client.right, client.bottom);
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return 0;
}

void MainWindow::FollowDpi(UINT dpi) {
  if (dpi == 0 || dpi == dpi_) return;
  const UINT old = std::exchange(dpi_, dpi);
  // The template's font (or the last one made) at the new scale, handed to
  // every control that drew with it; the trees keep copies of their own.
  HFONT oldFont = font_ ? font_.Get() : reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  // The old font (when it was ours) is freed only once nothing draws with it.
  if (Font font(HandOnScaledFont(Handle(), oldFont, old, dpi)); font) std::swap(font_, font);
  panels_.FollowDpi(dpi, font_ ? font_.Get() : oldFont);
  menus_.SetDpi(dpi);
  toolBar_.SetDpi(dpi);
  appIcon_ = LoadAppIcon(SystemMetricAt(SM_CXICON, dpi), SystemMetricAt(SM_CYICON, dpi));
  appIconSmall_ = LoadAppIcon(SystemMetricAt(SM_CXSMICON, dpi), SystemMetricAt(SM_CYSMICON, dpi));
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_.Get()));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIconSmall_.Get()));
}

LRESULT MainWindow::OnSize(Message& message) {
  LayoutWindow(LOWORD(message.lParam), HIWORD(message.lParam));
  message.handled = false;
  return 0;
}

LRESULT MainWindow::OnCommandMessage(Message& message) {
  commands_.Execute(message.id);
  // The dialog's own OK and Cancel handling still follows.
  message.handled = false;
  return 0;
}

bool MainWindow::WriteSettings(bool panels, bool window, bool options) {
  bool written = true;
  if (panels) {
    std::array<PanelGroupState, 2> states = panels_.StoredState();
    WritePanelsGroup(*settings_, states[0], states[1]);
    panels_.WriteTabs(*settings_);
    written = settings_->Commit() && written;
  }
  if (window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(Handle(), &placement);
    RECT rect;
    // A minimised window is written with its normal rectangle, not the
    // off-screen position the system parks it at.
    if (IsIconic(Handle()))
      rect = placement.rcNormalPosition;
    else
      GetWindowRect(Handle(), &rect);
    WindowSettings stored;
    stored.left = rect.left;
    stored.top = rect.top;
    stored.width = rect.right - rect.left;
    stored.height = rect.bottom - rect.top;
    bool maximized = IsZoomed(Handle()) ||
                     (IsIconic(Handle()) && (placement.flags & WPF_RESTORETOMAXIMIZED));
    WriteWindowGroup(*settings_, stored, maximized);
    written = settings_->Commit() && written;
  }
  if (options) {
    WriteOptionsGroup(*settings_, options_, commandLine_.History().Lines());
    written = settings_->Commit() && written;
  }
  return written;
}

void MainWindow::ViewFileAtCursor() {
  FilePanel& panel = panels_.Active();
  const PanelEntry* entry = panel.EntryAtCursor();
  if (entry == nullptr || !entry->IsFile() || !panels_.MayActOn(panel, *entry, false)) return;
  // The files N and P step through: the list's, in its order, each one the
  // program can reach by its exact name.
  ViewerFiles files;
  const EntryTable& table = panel.Table();
  for (size_t row = 0; row < table.RowCount(); ++row) {
    const PanelEntry& file = table.AtRow(row);
    if (!file.IsFile() || (&file != entry && (!IsAddressableName(file.name) || table.ListedTwice(file.name))))
      continue;
    if (&file == entry) files.current = files.paths.size();
    files.paths.push_back(panel.Path() + file.name);
  }
  viewers_.erase(std::remove_if(viewers_.begin(), viewers_.end(),
                                [](const std::unique_ptr<ViewerWindow>& viewer) { return viewer->Handle() == nullptr; }),
                 viewers_.end());
  auto viewer = std::make_unique<ViewerWindow>(context_, std::move(files));
  // Not owned by the main window: it stays where the user puts it, in front
  // or behind, with its own button on the task bar.
  if (viewer->ShowModeless(nullptr)) viewers_.push_back(std::move(viewer));
}

std::vector<ViewerWindow*> MainWindow::Viewers() const {
  std::vector<ViewerWindow*> open;
  for (const std::unique_ptr<ViewerWindow>& viewer : viewers_)
    if (viewer->Handle() != nullptr) open.push_back(viewer.get());
  return open;
}

JobListWindow* MainWindow::JobList() const {
  return jobList_ != nullptr && jobList_->Handle() != nullptr ? jobList_.get() : nullptr;
}

void MainWindow::ShowJobList(bool activate) {
  if (JobList() == nullptr) {
    jobList_ = std::make_unique<JobListWindow>(texts_, *background_);
    if (!jobList_->ShowModeless(Handle())) {
      jobList_.reset();
      return;
    }
  }
  if (activate) {
    ShowWindow(jobList_->Handle(), IsIconic(jobList_->Handle()) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(jobList_->Handle());
  } else {
    ShowWindow(jobList_->Handle(), IsIconic(jobList_->Handle()) ? SW_SHOWNOACTIVATE : SW_SHOWNA);
  }
}

void MainWindow::OnJobsChanged() {
  if (JobListWindow* list = JobList()) list->Refresh();
  // Waiting to close: the last job has ended.
  if (closeWhenJobsEnd_ && background_->Unfinished() == 0 && jobs_.Running(JobKind::kWork).empty()) {
    closeWhenJobsEnd_ = false;
    KillTimer(Handle(), kCloseWaitTimer);
    PostMessageW(Handle(), WM_COMMAND, IDCANCEL, 0);
  }
}

LRESULT MainWindow::OnTimer(Message& message) {
  if (message.wParam != kCloseWaitTimer) {
    message.handled = false;
    return 0;
  }
  OnJobsChanged();
  return 0;
}

bool MainWindow::MayClose() {
  const size_t unfinished =
      std::max(background_->Unfinished(), jobs_.Running(JobKind::kWork).size());
  if (unfinished > 0) {
    // Wait for them (the window closes when the last one ends), cancel them
    // (each stops at its next check and removes what it had half written;
    // the window closes once they all have), or go on working.
    const int answer =
        ShowMessage(Handle(), FormatText(texts_.Text(text::kCloseWithJobs), {unfinished}),
                    kProductName, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL || answer == 0) {
      closeWhenJobsEnd_ = false;
      KillTimer(Handle(), kCloseWaitTimer);
      return false;
    }
    if (answer == IDNO) {
      background_->CancelAll();
      for (JobId id : jobs_.Running(JobKind::kWork)) jobs_.Cancel(id);
    }
    closeWhenJobsEnd_ = true;
    if (background_->Unfinished() > 0) ShowJobList(false);
    SetTimer(Handle(), kCloseWaitTimer, 100, nullptr);
    OnJobsChanged();
    return false;
  }
  for (HWND window : MessageLoop::Windows()) {
    if (window != Handle()) SendMessageW(window, WM_CLOSE, 0, 0);
  }
  return true;
}

void MainWindow::OnCancel() {
  if (!MayClose()) return;
  bool written = true;
  if (options_.savePanels == 1) written = WriteSettings(true, false, false) && written;
  if (options_.saveSettings == 1) written = WriteSettings(false, false, true) && written;
  if (options_.savePosition == 1) written = WriteSettings(false, true, false) && written;
  // The window closes either way: a settings file that cannot be written
  // must not keep the user from leaving.
  EndDialog(written ? IDOK : IDCANCEL);
  if (endsProgram_) PostQuitMessage(0);
}

}  // namespace px
