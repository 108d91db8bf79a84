#include "app/MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include "core/panel/PathText.h"
#include "core/text/CaseFold.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "panels/Drives.h"
#include "res/resource.h"

namespace px {

const char kProductName[] = "Pannex";

namespace {

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

// Icons 2000 to 2029 of a resource library beside the program's files; a
// missing library leaves the list empty.
void LoadLibraryIcons(HIMAGELIST images, const std::string& libraryPath, int width, int height) {
  Module library(LoadLibraryExW(FileApiPath(libraryPath).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!library) return;
  for (int id = 2000; id <= 2029; ++id) {
    HICON icon = static_cast<HICON>(
        LoadImageW(library.Get(), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0));
    if (icon == nullptr) continue;
    ImageList_AddIcon(images, icon);
    DestroyIcon(icon);
  }
}

void AddResourceIcon(HIMAGELIST images, int id, int size) {
  HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
  if (icon == nullptr) return;
  ImageList_AddIcon(images, icon);
  DestroyIcon(icon);
}

// Fills an image list up to count with fully transparent images: a list that
// only grows its count leaves the new images undefined (drawn black).
void AddBlankImages(HIMAGELIST images, int count) {
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  std::vector<BYTE> maskBits(static_cast<size_t>((width + 15) / 16 * 2 * height), 0xFF);
  HBITMAP mask = CreateBitmap(width, height, 1, 1, maskBits.data());
  while (ImageList_GetImageCount(images) < count)
    if (ImageList_Add(images, colour, mask) < 0) break;
  DeleteObject(colour);
  DeleteObject(mask);
}

}  // namespace

struct MainWindowRoutes {
  static const Route<MainWindow> kRoutes[];
  static const size_t kCount;
};

// The first matching route wins; WM_COMMAND ends in the command table.
const Route<MainWindow> MainWindowRoutes::kRoutes[] = {
    {OnMessage(WM_PAINT), &MainWindow::OnPaint},
    {OnMessage(WM_QUERYDRAGICON), &MainWindow::OnQueryDragIcon},
    {OnNotify(NM_DBLCLK, IDC_LEFT_LIST, IDC_RIGHT_LIST), &MainWindow::OnListDoubleClick},
    {{WM_COMMAND, CBN_SELENDOK, IDC_LEFT_DRIVE, IDC_RIGHT_DRIVE},
     &MainWindow::OnDriveSelectionAccepted},
    {OnNotify(NM_SETFOCUS, IDC_LEFT_LIST, IDC_RIGHT_LIST), &MainWindow::OnListSetFocus},
    {OnNotify(LVN_COLUMNCLICK, IDC_LEFT_LIST, IDC_RIGHT_LIST), &MainWindow::OnListColumnClick},
    {{WM_COMMAND, CBN_SELENDCANCEL, IDC_LEFT_DRIVE, IDC_RIGHT_DRIVE},
     &MainWindow::OnDriveSelectionCancelled},
    {OnNotify(LVN_GETDISPINFOW, IDC_LEFT_LIST, IDC_RIGHT_LIST), &MainWindow::OnListDisplayInfo},
    {OnNotify(LVN_ODFINDITEMW, IDC_LEFT_LIST, IDC_RIGHT_LIST), &MainWindow::OnListFindItem},
    {OnMessage(WM_CTLCOLORSTATIC), &MainWindow::OnControlColor},
    {OnMessage(WM_SIZE), &MainWindow::OnSize},
    {OnNotify(NM_SETFOCUS, IDC_LEFT_TREE, IDC_RIGHT_TREE), &MainWindow::OnTreeSetFocus},
    {OnNotify(TVN_ITEMEXPANDINGW, IDC_LEFT_TREE, IDC_RIGHT_TREE), &MainWindow::OnTreeExpanding},
    {OnNotify(TVN_SELCHANGINGW, IDC_LEFT_TREE, IDC_RIGHT_TREE),
     &MainWindow::OnTreeSelectionChanging},
    {OnNotify(TVN_KEYDOWN, IDC_LEFT_TREE, IDC_RIGHT_TREE), &MainWindow::OnTreeKeyDown},
    {OnNotify(TVN_GETDISPINFOW, IDC_LEFT_TREE, IDC_RIGHT_TREE), &MainWindow::OnTreeDisplayInfo},
    {OnMessage(WM_MOUSEMOVE), &MainWindow::OnMouseMove},
    {OnNotify(LVN_ENDLABELEDITW, IDC_LEFT_LIST, IDC_RIGHT_LIST), &MainWindow::OnEndLabelEdit},
    {OnMessage(WM_DESTROY), &MainWindow::OnDestroy},
    {OnNotify(LVN_BEGINLABELEDITW, IDC_LEFT_LIST, IDC_RIGHT_LIST), &MainWindow::OnBeginLabelEdit},
    {OnMessage(WM_LBUTTONDOWN), &MainWindow::OnLeftButtonDown},
    {OnMessage(WM_LBUTTONUP), &MainWindow::OnLeftButtonUp},
    {OnMessage(WM_RBUTTONDOWN), &MainWindow::OnRightButtonDown},
    {OnMessage(WM_COMMAND), &MainWindow::OnCommandMessage},
    {OnMessage(WM_SETTINGCHANGE), &MainWindow::OnSettingChange},
};
const size_t MainWindowRoutes::kCount = sizeof(kRoutes) / sizeof(kRoutes[0]);

MainWindow::MainWindow() : Dialog(IDD_MAIN) {
  panels_[0] = std::make_unique<FilePanel>(Side::kLeft, directorySource_);
  panels_[1] = std::make_unique<FilePanel>(Side::kRight, directorySource_);
  appIcon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                           IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                           GetSystemMetrics(SM_CYICON), 0));
  appIconSmall_ = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

MainWindow::~MainWindow() {
  Destroy();
  if (appIcon_ != nullptr) DestroyIcon(appIcon_);
  if (appIconSmall_ != nullptr) DestroyIcon(appIconSmall_);
}

bool MainWindow::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(MainWindowRoutes::kRoutes, message, result);
}

BOOL MainWindow::OnInitDialog() {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                    ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  startDirectory_ = CurrentDirectory();
  dragging_ = false;
  accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  arrowCursor_ = LoadCursorW(nullptr, IDC_ARROW);
  sizeCursor_ = LoadCursorW(nullptr, IDC_SIZEWE);

  settings_ = std::make_unique<SettingsStore>(
      std::make_unique<FileProfileStorage>(JoinPath(startDirectory_, "\\PX.ini")));
  options_.language = settings_->GetString("Options", "Language", "English");
  LoadLanguage();

  SetWindowTextW(Handle(), Widen(kProductName).c_str());
  for (int i = 0; i < 5; ++i) Window(Item(kFunctionKeyIds[i])).SetText(texts_.Text(0, i));

  menuImages_.Reset(ImageList_Create(16, 16, ILC_COLOR16 | ILC_MASK, 30, 0));
  LoadLibraryIcons(menuImages_.Get(), JoinPath(startDirectory_, "\\Menu\\Menu.dll"), 16, 16);

  dividerMenu_.Reset(CreatePopupMenu());
  static const wchar_t* const kDividerItems[] = {L"20/80", L"30/70", L"40/60", L"50/50",
                                                 L"60/40", L"70/30", L"80/20"};
  for (int i = 0; i < 7; ++i)
    AppendMenuW(dividerMenu_.Get(), MF_STRING, ID_DIVIDER_FIRST + i, kDividerItems[i]);

  CreateToolBar();

  for (int i = 0; i < 2; ++i) {
    Side side = static_cast<Side>(i);
    panels_[i]->Attach(Item(i == 0 ? IDC_LEFT_LIST : IDC_RIGHT_LIST),
                       Item(i == 0 ? IDC_LEFT_TREE : IDC_RIGHT_TREE),
                       Item(i == 0 ? IDC_LEFT_DRIVE : IDC_RIGHT_DRIVE),
                       Item(i == 0 ? IDC_LEFT_PATH : IDC_RIGHT_PATH),
                       Item(i == 0 ? IDC_LEFT_VOLUME : IDC_RIGHT_VOLUME));
    (void)side;
  }
  ReadSettingsIntoWindow();
  UpdatePathLines();

  CreateImageLists();
  activeSide_ = Side::kLeft;
  FillDriveBoxes();
  UpdateVolumeLabel(Panel(Side::kLeft));
  UpdateVolumeLabel(Panel(Side::kRight));
  RecordHistory(Panel(Side::kLeft));
  RecordHistory(Panel(Side::kRight));
  for (int i = 0; i < 2; ++i)
    if (initialShow_[i] == kViewTree) ShowFolderTree(static_cast<Side>(i), true);

  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIconSmall_));
  PlaceWindow();

  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  // Let the window appear, painted, before the folders are read.
  DrainMessages();
  Panel(Side::kLeft).ListPanel(options_.showHiddenSystem != 0, true);
  Panel(Side::kLeft).SetCursor(0);
  DrainMessages();
  Panel(Side::kRight).ListPanel(options_.showHiddenSystem != 0, true);
  Panel(Side::kRight).SetCursor(0);
  return TRUE;
}

void MainWindow::LoadLanguage() {
  std::optional<std::string> bytes =
      ReadFileBytes(startDirectory_ + "\\Language\\" + options_.language + ".lng");
  if (bytes) texts_.Load(DecodeText(*bytes).utf8);
}

void MainWindow::ChangeLanguage(const std::string& language) {
  if (EqualsNoCase(language, options_.language)) return;
  options_.language = language;
  LoadLanguage();
  ApplyLanguage();
}

void MainWindow::ApplyLanguage() {
  for (int i = 0; i < 5; ++i) Window(Item(kFunctionKeyIds[i])).SetText(texts_.Text(0, i));
  static const int kColumnTitles[4] = {5, 7, 8, 9};
  for (auto& panel : panels_)
    for (int column = 0; column < 4; ++column)
      panel->List().SetColumnTitle(column, texts_.Text(0, kColumnTitles[column]));
}

void MainWindow::CreateToolBar() {
  toolBarImages_.Reset(ImageList_Create(18, 20, ILC_COLOR16 | ILC_MASK, 30, 0));
  LoadLibraryIcons(toolBarImages_.Get(), JoinPath(startDirectory_, "\\ToolBar\\ToolBar.dll"), 18,
                   20);
  toolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                 CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                             0, 4, 100, 28, Handle(), reinterpret_cast<HMENU>(IDC_TOOLBAR),
                             GetModuleHandleW(nullptr), nullptr);
  SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolBarImages_.Get()));

  SettingsStore layout(std::make_unique<FileProfileStorage>(
      JoinPath(startDirectory_, "\\ToolBar\\Standart.ini")));
  std::vector<TBBUTTON> buttons;
  for (int value : ReadToolBarButtons(layout, 10)) {
    TBBUTTON button{};
    if (value == 0) {
      button.fsStyle = BTNS_SEP;
    } else {
      button.iBitmap = value;
      button.idCommand = 10000 + value;
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = BTNS_BUTTON;
    }
    buttons.push_back(button);
  }
  if (!buttons.empty())
    SendMessageW(toolBar_, TB_ADDBUTTONSW, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
}

void MainWindow::CreateImageLists() {
  for (ImageList& images : listImages_) {
    images.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, kFixedImageCount, 64));
    AddResourceIcon(images.Get(), IDI_FOLDER, 16);
    AddResourceIcon(images.Get(), IDI_PARENT, 16);
    AddBlankImages(images.Get(), kFixedImageCount);
  }
  treeImages_.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0));
  AddResourceIcon(treeImages_.Get(), IDI_FOLDER, 16);
  AddResourceIcon(treeImages_.Get(), IDI_FOLDER_OPEN, 16);

  driveImages_.Reset(ImageList_Create(16, 16, ILC_COLOR16 | ILC_MASK, 5, 0));
  HBITMAP drives = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(IDB_DRIVES), IMAGE_BITMAP, 0,
                                                   0, LR_CREATEDIBSECTION));
  HBITMAP mask = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                 MAKEINTRESOURCEW(IDB_DRIVES_MASK), IMAGE_BITMAP,
                                                 0, 0, LR_MONOCHROME));
  if (drives != nullptr) ImageList_Add(driveImages_.Get(), drives, mask);
  if (drives != nullptr) DeleteObject(drives);
  if (mask != nullptr) DeleteObject(mask);

  headerImages_.Reset(ImageList_Create(11, 11, ILC_COLOR32 | ILC_MASK, 2, 0));
  AddResourceIcon(headerImages_.Get(), IDI_SORT_ASCENDING, 11);
  AddResourceIcon(headerImages_.Get(), IDI_SORT_DESCENDING, 11);

  for (int i = 0; i < 2; ++i) {
    FilePanel& panel = *panels_[i];
    panel.SetImages(listImages_[i].Get());
    panel.List().SetSmallImages(listImages_[i].Get());
    HeaderControl(panel.List().Header()).SetImages(headerImages_.Get());
    panel.Tree().SetImages(treeImages_.Get());
    panel.SortPanel(-1);  // the arrow now that the header has its images
  }
}

void MainWindow::ReadSettingsIntoWindow() {
  Settings settings = ReadSettings(*settings_);
  std::string language = options_.language;
  options_ = settings.options;
  options_.language = language;
  windowSettings_ = settings.window;
  commandHistory_.Assign(settings.commandHistory);
  favourites_ = settings.favourites;

  for (int i = 0; i < 2; ++i) {
    const PanelSettings& stored = settings.panels[i];
    panels_[i]->SetPath(stored.path);
    panels_[i]->SetSortState({stored.sortKey, stored.sortOrder});
  }

  ApplyListStyles();
  ApplyRowVisibility(false);

  struct ColumnSpec {
    int title;
    int format;
  };
  static const ColumnSpec kColumns[4] = {
      {5, LVCFMT_LEFT}, {7, LVCFMT_RIGHT}, {8, LVCFMT_LEFT}, {9, LVCFMT_LEFT}};
  for (int column = 0; column < 4; ++column) {
    for (int i = 0; i < 2; ++i) {
      const PanelSettings& stored = settings.panels[i];
      const int widths[4] = {stored.tabName, stored.tabSize, stored.tabDate, stored.tabAttr};
      panels_[i]->List().InsertColumn(column, texts_.Text(0, kColumns[column].title),
                                      kColumns[column].format, widths[column]);
    }
  }

  for (int i = 0; i < 2; ++i) {
    // A folder tree needs the drive boxes, which are filled later.
    initialShow_[i] = settings.panels[i].show;
    if (settings.panels[i].show == kViewList) panels_[i]->List().SetViewStyle(LVS_LIST);
  }
}

void MainWindow::ApplyListStyles() {
  for (auto& panel : panels_) {
    const ListView& list = panel->List();
    if (options_.fullRowSelect == 1) list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    if (options_.selectionAlways == 1) {
      list.ModifyStyle(0, LVS_SHOWSELALWAYS);
      panel->Tree().ModifyStyle(0, TVS_SHOWSELALWAYS);
    }
    if (options_.fastRename == 1) list.ModifyStyle(0, LVS_EDITLABELS);
  }
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
  apply(options_.showToolBar, {toolBar_, Item(IDC_LINE_TOOLBAR)});
  apply(options_.showDrive, {Item(IDC_LEFT_DRIVE), Item(IDC_RIGHT_DRIVE), Item(IDC_LEFT_VOLUME),
                             Item(IDC_RIGHT_VOLUME)});
  apply(options_.showCurDir, {Item(IDC_LEFT_PATH), Item(IDC_RIGHT_PATH)});
  apply(options_.showComLine,
        {Item(kCommandRowIds[0]), Item(kCommandRowIds[1]), Item(kCommandRowIds[2])});
  apply(options_.showFuncKey, {Item(kFunctionKeyIds[0]), Item(kFunctionKeyIds[1]),
                               Item(kFunctionKeyIds[2]), Item(kFunctionKeyIds[3]),
                               Item(kFunctionKeyIds[4])});
}

void MainWindow::ApplyViewOptions() {
  for (auto& panel : panels_) {
    const ListView& list = panel->List();
    list.SetExtendedStyle(options_.fullRowSelect == 1 ? LVS_EX_FULLROWSELECT : 0);
    bool always = options_.selectionAlways == 1;
    list.ModifyStyle(LVS_SHOWSELALWAYS, always ? LVS_SHOWSELALWAYS : 0);
    panel->Tree().ModifyStyle(TVS_SHOWSELALWAYS, always ? TVS_SHOWSELALWAYS : 0);
  }
  ApplyRowVisibility(true);
  for (auto& panel : panels_)
    panel->List().ModifyStyle(LVS_EDITLABELS, options_.fastRename == 1 ? LVS_EDITLABELS : 0);
  RECT client;
  GetClientRect(Handle(), &client);
  LayoutWindow(client.right, client.bottom);
  RedrawWindow(Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MainWindow::UpdatePathLines() {
  Panel(Side::kLeft).PathLine().SetText(PathLineText(Panel(Side::kLeft).Path()));
  Panel(Side::kRight).PathLine().SetText(PathLineText(Panel(Side::kRight).Path()));
  Window(Item(IDC_COMMAND_PROMPT)).SetText(CommandPromptText(ActivePanel().Path()));
}

void MainWindow::FillDriveBoxes() {
  for (auto& panel : panels_) panel->DriveBox().SetImages(driveImages_.Get());
  for (const DriveItem& drive : ListDrives())
    for (auto& panel : panels_) panel->DriveBox().AddItem(drive.root, drive.image);
  for (auto& panel : panels_) SelectDriveOf(*panel);
}

void MainWindow::UpdateVolumeLabel(FilePanel& panel) {
  panel.VolumeLine().SetText(VolumeLabelText(DriveRootOf(panel.Path())));
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

void MainWindow::DrainMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchMessageW(&msg);
  }
}

VisibleRows MainWindow::Rows() const {
  VisibleRows rows;
  rows.toolBar = options_.showToolBar != 0;
  rows.drive = options_.showDrive != 0;
  rows.curDir = options_.showCurDir != 0;
  rows.comLine = options_.showComLine != 0;
  rows.funcKey = options_.showFuncKey != 0;
  return rows;
}

void MainWindow::PlacePanelRows(const PanelRowsLayout& p) {
  auto place = [&](int id, const Rect& r) { Window(Item(id)).Move(r.x, r.y, r.width, r.height); };
  place(IDC_LEFT_LIST, p.leftPanel);
  place(IDC_LEFT_TREE, p.leftPanel);
  place(IDC_RIGHT_LIST, p.rightPanel);
  place(IDC_RIGHT_TREE, p.rightPanel);
  place(IDC_SPLITTER, p.splitter);
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
  MainLayout layout = ComputeLayout(cx, cy, options_.divider, Rows());
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
  if (toolBar_ != nullptr) {
    Window(toolBar_).Move(layout.toolBar.x, layout.toolBar.y, layout.toolBar.width,
                          layout.toolBar.height);
    UpdateWindow(toolBar_);
  }
}

void MainWindow::SetDivider(int x) {
  RECT client;
  GetClientRect(Handle(), &client);
  DividerMove move = MoveDivider(x, client.right, client.bottom, Rows());
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
  DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, appIcon_);
  EndPaint(Handle(), &paint);
  return 0;
}

LRESULT MainWindow::OnQueryDragIcon(Message&) { return reinterpret_cast<LRESULT>(appIcon_); }

LRESULT MainWindow::OnSettingChange(Message& message) {
  // The trees hold a copy of their font with the smoothing of the moment.
  if (message.wParam == SPI_SETFONTSMOOTHING || message.wParam == SPI_SETFONTSMOOTHINGTYPE) {
    for (auto& panel : panels_) panel->Folders().FollowSystemSmoothing();
  }
  return 0;
}

LRESULT MainWindow::OnSize(Message& message) {
  LayoutWindow(LOWORD(message.lParam), HIWORD(message.lParam));
  message.handled = false;
  return 0;
}

LRESULT MainWindow::OnDestroy(Message& message) {
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
  accelerators_ = nullptr;
  message.handled = false;
  return 0;
}

FilePanel* MainWindow::PanelOfControl(UINT id) {
  switch (id) {
    case IDC_LEFT_LIST:
    case IDC_LEFT_TREE:
    case IDC_LEFT_DRIVE:
      return &Panel(Side::kLeft);
    case IDC_RIGHT_LIST:
    case IDC_RIGHT_TREE:
    case IDC_RIGHT_DRIVE:
      return &Panel(Side::kRight);
    default:
      return nullptr;
  }
}

LRESULT MainWindow::OnListDisplayInfo(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id))
    panel->OnGetDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(message.lParam));
  return 0;
}

LRESULT MainWindow::OnListFindItem(Message& message) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return -1;
  return panel->OnFindItem(*reinterpret_cast<NMLVFINDITEMW*>(message.lParam));
}

LRESULT MainWindow::OnListColumnClick(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id))
    panel->SortPanel(reinterpret_cast<NMLISTVIEW*>(message.lParam)->iSubItem);
  return 0;
}

LRESULT MainWindow::OnDriveSelectionCancelled(Message& message) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return 0;
  // The box also reports a cancel when it loses the focus to another control;
  // the focus goes back to the list only when the box still has it.
  HWND focus = GetFocus();
  HWND box = panel->DriveBox().Handle();
  if (focus == nullptr || focus == box || IsChild(box, focus)) panel->List().Focus();
  return 0;
}

LRESULT MainWindow::OnCommandMessage(Message& message) {
  ExecuteCommand(message.id);
  // The dialog's own OK and Cancel handling still follows.
  message.handled = false;
  return 0;
}

int MainWindow::ShowValue(Side side) const {
  const FilePanel& panel = *panels_[static_cast<int>(side)];
  if (panel.Tree().IsVisible()) return kViewTree;
  DWORD view = panel.List().ViewStyle();
  if (view == LVS_LIST || view == LVS_SMALLICON) return kViewList;
  return kViewDetails;
}

void MainWindow::WriteSettings(bool panels, bool window, bool options) {
  if (panels) {
    PanelGroupState states[2];
    for (int i = 0; i < 2; ++i) {
      const FilePanel& panel = *panels_[i];
      PanelSettings& s = states[i].settings;
      s.path = panel.Path();
      s.sortKey = panel.Sort().key;
      s.sortOrder = panel.Sort().order;
      s.show = ShowValue(panel.GetSide());
      states[i].listInDetailsStyle = panel.List().ViewStyle() == LVS_REPORT;
      s.tabName = panel.List().ColumnWidth(0);
      s.tabSize = panel.List().ColumnWidth(1);
      s.tabDate = panel.List().ColumnWidth(2);
      s.tabAttr = panel.List().ColumnWidth(3);
    }
    WritePanelsGroup(*settings_, states[0], states[1]);
    settings_->Commit();
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
    settings_->Commit();
  }
  if (options) {
    WriteOptionsGroup(*settings_, options_, commandHistory_.Lines());
    settings_->Commit();
  }
}

void MainWindow::OnCancel() {
  if (options_.savePanels == 1) WriteSettings(true, false, false);
  if (options_.saveSettings == 1) WriteSettings(false, false, true);
  if (options_.savePosition == 1) WriteSettings(false, true, false);
  EndDialog(IDCANCEL);
}

}  // namespace px
