#include "panels/PanelPair.h"

#include <shlobj.h>
#include <windowsx.h>
#include <dbt.h>

#include <algorithm>
#include <climits>

#include "core/language/TextFormat.h"
#include "core/panel/NameRules.h"
#include "core/panel/EntryText.h"
#include "core/panel/PathText.h"
#include "core/panel/TabSettings.h"
#include "core/text/CaseFold.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "framework/Drives.h"
#include "panels/FolderComparing.h"
#include "panels/FolderHistoryDialog.h"
#include "framework/FolderChooser.h"
#include "panels/Launcher.h"
#include "panels/VolumeLabelDialog.h"
#include "res/resource.h"
#include "panels/MaskSelectDialog.h"

namespace px {

namespace {

FilePanel::StatusNotes StatusNotesOf(const LanguageTable& texts) {
  return {texts.Text(text::kListingIncomplete), texts.Text(text::kListingUnreadable),
          texts.Text(text::kListingMissing), texts.Text(text::kListingReading),
          texts.Text(text::kSelectionLine),    texts.Text(text::kQuickSearchLabel),
          texts.Text(text::kQuickFilterLabel), texts.Text(text::kFilterNote),
          texts.Text(text::kCountUnreadable),  texts.Text(text::kCountingNote),
          texts.Text(text::kFolderGone)};
}

}  // namespace

namespace {

int SelectedCount(const ListView& list) {
  return static_cast<int>(list.Send(LVM_GETSELECTEDCOUNT));
}

void AddResourceIcon(HIMAGELIST images, int id, int size) {
  Icon icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
  if (icon) ImageList_AddIcon(images, icon.Get());
}

// Fills an image list up to count with fully transparent images: a list that
// only grows its count leaves the new images undefined (drawn black).
void AddBlankImages(HIMAGELIST images, int count) {
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  HDC screen = GetDC(nullptr);
  Bitmap colour(CreateCompatibleBitmap(screen, width, height));
  ReleaseDC(nullptr, screen);
  std::vector<BYTE> maskBits(static_cast<size_t>((width + 15) / 16 * 2 * height), 0xFF);
  Bitmap mask(CreateBitmap(width, height, 1, 1, maskBits.data()));
  while (ImageList_GetImageCount(images) < count)
    if (ImageList_Add(images, colour.Get(), mask.Get()) < 0) break;
}

// Whether path names a folder there is now (no drive's error box asked).
bool IsExistingFolder(const std::string& path) {
  const std::optional<uint32_t> attributes = AttributesOf(path);
  return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

struct SideControls {
  int list, tree, drive, path, volume, selection, tabs;
};
constexpr SideControls kSideControls[2] = {
    {IDC_LEFT_LIST, IDC_LEFT_TREE, IDC_LEFT_DRIVE, IDC_LEFT_PATH, IDC_LEFT_VOLUME, IDC_LEFT_SELECTION,
     IDC_LEFT_TABS},
    {IDC_RIGHT_LIST, IDC_RIGHT_TREE, IDC_RIGHT_DRIVE, IDC_RIGHT_PATH, IDC_RIGHT_VOLUME, IDC_RIGHT_SELECTION,
     IDC_RIGHT_TABS},
};

}  // namespace

struct PanelPairRoutes {
  static const Route<PanelPair> kRoutes[];
};

const Route<PanelPair> PanelPairRoutes::kRoutes[] = {
    {OnNotify(NM_DBLCLK, IDC_LEFT_LIST, IDC_RIGHT_LIST), &PanelPair::OnListDoubleClick},
    {{WM_COMMAND, CBN_SELENDOK, IDC_LEFT_DRIVE, IDC_RIGHT_DRIVE},
     &PanelPair::OnDriveSelectionAccepted},
    {{WM_COMMAND, CBN_SELENDCANCEL, IDC_LEFT_DRIVE, IDC_RIGHT_DRIVE},
     &PanelPair::OnDriveSelectionCancelled},
    {OnNotify(NM_SETFOCUS, IDC_LEFT_LIST, IDC_RIGHT_LIST), &PanelPair::OnListSetFocus},
    {OnNotify(NM_CUSTOMDRAW, IDC_LEFT_LIST, IDC_RIGHT_LIST), &PanelPair::OnListCustomDraw},
    {OnMessage(WM_CTLCOLORSTATIC), &PanelPair::OnControlColor},
    {OnNotify(NM_SETFOCUS, IDC_LEFT_TREE, IDC_RIGHT_TREE), &PanelPair::OnTreeSetFocus},
    {OnNotify(TVN_SELCHANGINGW, IDC_LEFT_TREE, IDC_RIGHT_TREE),
     Typed<&PanelPair::OnTreeSelectionChanging>},
    {OnNotify(LVN_ENDLABELEDITW, IDC_LEFT_LIST, IDC_RIGHT_LIST), Typed<&PanelPair::OnEndLabelEdit>},
    {OnNotify(LVN_BEGINLABELEDITW, IDC_LEFT_LIST, IDC_RIGHT_LIST),
     Typed<&PanelPair::OnBeginLabelEdit>},
    {OnNotify(TCN_SELCHANGE, IDC_LEFT_TABS, IDC_RIGHT_TABS), &PanelPair::OnTabSelected},
    {OnMessage(WM_DEVICECHANGE), &PanelPair::OnDeviceChange},
    {OnMessage(WM_ACTIVATEAPP), &PanelPair::OnActivateApp},
};

PanelPair::PanelPair(AppContext& context) : context_(context) {
  panels_[0] = std::make_unique<FilePanel>(Side::kLeft, directorySource_);
  panels_[1] = std::make_unique<FilePanel>(Side::kRight, directorySource_);
}

// What involves both sides is the pair's; what concerns one view's controls
// alone goes on to that view.
bool PanelPair::RouteMessage(Message& message, LRESULT& result) {
  if (DispatchRoutes(*this, PanelPairRoutes::kRoutes, message, result)) return true;
  for (auto& panel : panels_) {
    message.handled = true;
    if (panel->RouteMessage(message, result)) return true;
  }
  return false;
}

void PanelPair::Attach(HWND mainWindow) {
  mainWindow_ = mainWindow;
  prompt_ = Window(GetDlgItem(mainWindow, IDC_COMMAND_PROMPT));
  for (int i = 0; i < 2; ++i) {
    const SideControls& ids = kSideControls[i];
    panels_[i]->Attach(GetDlgItem(mainWindow, ids.list), GetDlgItem(mainWindow, ids.tree),
                       GetDlgItem(mainWindow, ids.drive), GetDlgItem(mainWindow, ids.path),
                       GetDlgItem(mainWindow, ids.volume), context_.options);
    panels_[i]->AttachSelectionLine(GetDlgItem(mainWindow, ids.selection));
    panels_[i]->AttachTabBar(GetDlgItem(mainWindow, ids.tabs));
    panels_[i]->SetFolderGone([this](FilePanel& panel) { MoveFromVanishedFolder(panel); });
    if (context_.uiTasks != nullptr && context_.jobs != nullptr)
      panels_[i]->Folders().ProbeThrough(*context_.uiTasks, *context_.jobs);
  }
}

void PanelPair::ApplySettings(const std::array<PanelSettings, 2>& stored) {
  dpi_ = WindowDpi(context_.owner);
  // A tab whose folder is gone opens at its nearest existing parent.
  for (int i = 0; i < 2; ++i) {
    panels_[i]->SetPath(stored[i].path);
    panels_[i]->SetSortState({stored[i].sortKey, stored[i].sortOrder});
    if (context_.settings == nullptr) continue;
    SideTabs tabs = ReadSideTabs(*context_.settings, static_cast<Side>(i), stored[i]);
    if (!tabs.stored) continue;
    for (TabSettings& tab : tabs.tabs) {
      const std::string nearest = NearestExistingFolder(tab.folder, IsExistingFolder);
      if (!nearest.empty()) tab.folder = nearest;
    }
    SideStates states = StatesOfTabs(tabs);
    for (size_t t = 0; t < states.Count(); ++t) {
      // Each tab's history starts at its folder.
      states.Select(t);
      states.Current().history.Record(states.Current().folder);
    }
    states.Select(tabs.current);
    panels_[i]->SetStates(std::move(states));
  }
  ApplyListStyles();

  struct ColumnSpec {
    TextId title;
    int format;
  };
  static const ColumnSpec kColumns[4] = {{text::kNameColumn, LVCFMT_LEFT},
                                         {text::kSizeColumn, LVCFMT_RIGHT},
                                         {text::kDateColumn, LVCFMT_LEFT},
                                         {text::kAttributesColumn, LVCFMT_LEFT}};
  for (int column = 0; column < 4; ++column) {
    for (int i = 0; i < 2; ++i) {
      const PanelSettings& s = stored[i];
      const int widths[4] = {Scaled(s.tabName, dpi_), Scaled(s.tabSize, dpi_),
                             Scaled(s.tabDate, dpi_), Scaled(s.tabAttr, dpi_)};
      panels_[i]->List().InsertColumn(column, context_.Texts().Text(kColumns[column].title),
                                      kColumns[column].format, widths[column]);
    }
  }
  // Widths the file does not hold: the Size and Date columns as wide as the
  // widest value they can show in the list's font (a stored width wins).
  for (int i = 0; i < 2; ++i) {
    if (context_.settings == nullptr) break;
    const char* section = i == 0 ? "Left" : "Right";
    const ListView& list = panels_[i]->List();
    const auto widthOf = [&list](const std::string& text) {
      return static_cast<int>(list.Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(Widen(text).c_str())));
    };
    // Room a list gives a cell's text beside it, and the header's sort arrow.
    constexpr int kCellPadding = 16;
    constexpr int kArrowRoom = 16;
    if (context_.settings->GetInt(section, "TabSize", INT_MIN) == INT_MIN) {
      const int widest = std::max({widthOf(SizeText(9999999999ull)), widthOf(kFolderSizeText),
                                   widthOf(context_.Texts().Text(text::kSizeColumn)) + kArrowRoom});
      list.Send(LVM_SETCOLUMNWIDTH, kColumnSize, widest + kCellPadding);
    }
    if (context_.settings->GetInt(section, "TabDate", INT_MIN) == INT_MIN) {
      const int widest = std::max(widthOf(DateText(LocalDateTime{2000, 12, 28, 20, 58})),
                                  widthOf(context_.Texts().Text(text::kDateColumn)) + kArrowRoom);
      list.Send(LVM_SETCOLUMNWIDTH, kColumnDate, widest + kCellPadding);
    }
  }
  // Listings are read by jobs, through a source of their own: a job may
  // still be reading when the pair is gone.
  auto listingSource = std::make_shared<Win32DirectorySource>();
  for (int i = 0; i < 2; ++i) {
    panels_[i]->ReadListingsThrough(context_.jobs, listingSource);
    panels_[i]->SetStatusNotes(StatusNotesOf(context_.Texts()));
    // A folder tree needs the drive boxes, which are filled later.
    initialShow_[i] = stored[i].show;
    if (stored[i].show == kViewList) panels_[i]->List().SetViewStyle(LVS_LIST);
  }
}

void PanelPair::Start() {
  started_ = true;
  CreateImageLists();
  activeSide_ = Side::kLeft;
  FillDriveBoxes();
  UpdateVolumeLabel(Panel(Side::kLeft));
  UpdateVolumeLabel(Panel(Side::kRight));
  RecordHistory(Panel(Side::kLeft));
  RecordHistory(Panel(Side::kRight));
  for (int i = 0; i < 2; ++i)
    if (initialShow_[i] == kViewTree) ShowFolderTree(static_cast<Side>(i), true);
}

void PanelPair::ListBoth() {
  for (Side side : {Side::kLeft, Side::kRight}) {
    List(Panel(side));
    Panel(side).SetCursor(0);
  }
}

void PanelPair::List(FilePanel& panel) { panel.ListPanel(context_.ShowHidden(), true); }

int PanelPair::ShowValue(Side side) const {
  const FilePanel& panel = Panel(side);
  if (panel.Tree().IsVisible()) return kViewTree;
  DWORD view = panel.List().ViewStyle();
  if (view == LVS_LIST || view == LVS_SMALLICON) return kViewList;
  return kViewDetails;
}

void PanelPair::WriteTabs(SettingsStore& store) {
  for (Side side : {Side::kLeft, Side::kRight}) {
    FilePanel& panel = Panel(side);
    panel.CaptureState();
    WriteSideTabs(store, side, TabsOfStates(panel.States()));
  }
}

std::array<PanelGroupState, 2> PanelPair::StoredState() const {
  std::array<PanelGroupState, 2> states;
  for (int i = 0; i < 2; ++i) {
    const FilePanel& panel = *panels_[i];
    PanelSettings& s = states[i].settings;
    s.path = panel.Path();
    s.sortKey = panel.Sort().key;
    s.sortOrder = panel.Sort().order;
    s.show = ShowValue(panel.GetSide());
    states[i].listInDetailsStyle = panel.List().ViewStyle() == LVS_REPORT;
    const auto at96 = [this](int width) { return MulDiv(width, kBaseDpi, dpi_); };
    s.tabName = at96(panel.List().ColumnWidth(0));
    s.tabSize = at96(panel.List().ColumnWidth(1));
    s.tabDate = at96(panel.List().ColumnWidth(2));
    s.tabAttr = at96(panel.List().ColumnWidth(3));
  }
  return states;
}

void PanelPair::CreateImageLists() {
  // The system's small icon size at the window's scale (16 at 100 %).
  const int icon = SystemMetricAt(SM_CXSMICON, dpi_);
  for (ImageList& images : listImages_) {
    images.Reset(ImageList_Create(icon, icon, ILC_COLOR32 | ILC_MASK, kFixedImageCount, 64));
    AddResourceIcon(images.Get(), IDI_FOLDER, icon);
    AddResourceIcon(images.Get(), IDI_PARENT, icon);
    AddBlankImages(images.Get(), kFixedImageCount);
  }
  treeImages_.Reset(ImageList_Create(icon, icon, ILC_COLOR32 | ILC_MASK, 2, 0));
  AddResourceIcon(treeImages_.Get(), IDI_FOLDER, icon);
  AddResourceIcon(treeImages_.Get(), IDI_FOLDER_OPEN, icon);

  // The drive pictures are one strip of five.
  driveImages_.Reset(ImageList_Create(icon, icon, ILC_COLOR16 | ILC_MASK, 5, 0));
  Bitmap drives(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                MAKEINTRESOURCEW(IDB_DRIVES), IMAGE_BITMAP,
                                                icon == 16 ? 0 : 5 * icon, icon == 16 ? 0 : icon,
                                                LR_CREATEDIBSECTION)));
  Bitmap mask(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                              MAKEINTRESOURCEW(IDB_DRIVES_MASK), IMAGE_BITMAP,
                                              icon == 16 ? 0 : 5 * icon, icon == 16 ? 0 : icon,
                                              LR_MONOCHROME)));
  if (drives) ImageList_Add(driveImages_.Get(), drives.Get(), mask.Get());

  const int arrow = Scaled(11, dpi_);
  headerImages_.Reset(ImageList_Create(arrow, arrow, ILC_COLOR32 | ILC_MASK, 2, 0));
  AddResourceIcon(headerImages_.Get(), IDI_SORT_ASCENDING, arrow);
  AddResourceIcon(headerImages_.Get(), IDI_SORT_DESCENDING, arrow);

  for (int i = 0; i < 2; ++i) {
    FilePanel& panel = *panels_[i];
    panel.SetImages(listImages_[i].Get());
    panel.List().SetSmallImages(listImages_[i].Get());
    HeaderControl(panel.List().Header()).SetImages(headerImages_.Get());
    panel.Tree().SetImages(treeImages_.Get());
    panel.SortPanel(-1);  // the arrow now that the header has its images
  }
}

void PanelPair::ApplyListStyles() {
  const Options& options = context_.GetOptions();
  for (auto& panel : panels_) {
    const ListView& list = panel->List();
    if (options.fullRowSelect == 1) list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    if (options.selectionAlways == 1) {
      list.ModifyStyle(0, LVS_SHOWSELALWAYS);
      panel->Tree().ModifyStyle(0, TVS_SHOWSELALWAYS);
    }
    if (options.fastRename == 1) list.ModifyStyle(0, LVS_EDITLABELS);
  }
}

void PanelPair::ApplyViewOptions() {
  const Options& options = context_.GetOptions();
  for (auto& panel : panels_) {
    const ListView& list = panel->List();
    list.SetExtendedStyle(options.fullRowSelect == 1 ? LVS_EX_FULLROWSELECT : 0);
    bool always = options.selectionAlways == 1;
    list.ModifyStyle(LVS_SHOWSELALWAYS, always ? LVS_SHOWSELALWAYS : 0);
    panel->Tree().ModifyStyle(TVS_SHOWSELALWAYS, always ? TVS_SHOWSELALWAYS : 0);
    list.ModifyStyle(LVS_EDITLABELS, options.fastRename == 1 ? LVS_EDITLABELS : 0);
  }
}

void PanelPair::ApplyLanguage() {
  for (auto& panel : panels_) {
    panel->SetStatusNotes(StatusNotesOf(context_.Texts()));
    panel->UpdateSelectionLine();
  }
  static const TextId kColumnTitles[4] = {text::kNameColumn, text::kSizeColumn,
                                          text::kDateColumn, text::kAttributesColumn};
  for (auto& panel : panels_)
    for (int column = 0; column < 4; ++column)
      panel->List().SetColumnTitle(column, context_.Texts().Text(kColumnTitles[column]));
}

void PanelPair::FollowSystemSmoothing() {
  for (auto& panel : panels_) panel->Folders().FollowSystemSmoothing();
}

void PanelPair::FollowDpi(UINT dpi, HFONT font) {
  if (dpi == 0 || dpi == dpi_) return;
  const UINT old = std::exchange(dpi_, dpi);
  for (auto& panel : panels_) {
    const ListView& list = panel->List();
    for (int column = 0; column < 4; ++column)
      list.Send(LVM_SETCOLUMNWIDTH, column, MulDiv(list.ColumnWidth(column), dpi, old));
    if (font != nullptr) panel->Folders().UseFont(font);
  }
  if (!started_) return;
  CreateImageLists();
  for (auto& panel : panels_) {
    panel->DriveBox().SetImages(driveImages_.Get());
    panel->DriveBox().RedrawWithFrame();
    InvalidateRect(panel->List().Handle(), nullptr, TRUE);
  }
}

void PanelPair::UpdatePathLines() {
  Panel(Side::kLeft).UpdatePathLine();
  Panel(Side::kRight).UpdatePathLine();
  prompt_.SetText(CommandPromptText(Active().Path()));
}

void PanelPair::FillDriveBoxes() {
  for (auto& panel : panels_) panel->DriveBox().SetImages(driveImages_.Get());
  for (const DriveItem& drive : ListDrives())
    for (auto& panel : panels_) panel->DriveBox().AddItem(drive.root, drive.image);
  for (auto& panel : panels_) SelectDriveOf(*panel);
}

void PanelPair::UpdateVolumeLabel(FilePanel& panel) {
  panel.VolumeLine().SetText(VolumeLabelText(DriveRootOf(panel.Path())));
}

FilePanel* PanelPair::PanelOfControl(UINT id) {
  for (int i = 0; i < 2; ++i) {
    const SideControls& ids = kSideControls[i];
    if (id == static_cast<UINT>(ids.list) || id == static_cast<UINT>(ids.tree) ||
        id == static_cast<UINT>(ids.drive))
      return panels_[i].get();
  }
  return nullptr;
}

// Notifications of the lists and drive boxes.

LRESULT PanelPair::OnDriveSelectionCancelled(Message& message) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return 0;
  // The box also reports a cancel when it loses the focus to another control;
  // the focus goes back to the list only when the box still has it.
  HWND focus = GetFocus();
  HWND box = panel->DriveBox().Handle();
  if (focus == nullptr || focus == box || IsChild(box, focus)) panel->List().Focus();
  return 0;
}

LRESULT PanelPair::OnDriveSelectionAccepted(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id)) ChangeDrive(*panel);
  return 0;
}

LRESULT PanelPair::OnListSetFocus(Message& message) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return 0;
  if (panel->Tree().IsVisible()) {
    panel->Tree().Focus();
    return 0;
  }
  ActivateSide(panel->GetSide());
  return 0;
}

LRESULT PanelPair::OnTreeSetFocus(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id)) ActivateSide(panel->GetSide());
  return 0;
}

LRESULT PanelPair::OnControlColor(Message& message) {
  HWND control = reinterpret_cast<HWND>(message.lParam);
  int id = GetDlgCtrlID(control);
  if (id != IDC_LEFT_PATH && id != IDC_RIGHT_PATH) {
    message.handled = false;
    return 0;
  }
  bool active = (id == IDC_LEFT_PATH) == (activeSide_ == Side::kLeft);
  HDC dc = reinterpret_cast<HDC>(message.wParam);
  const Palette& palette = context_.Colours();
  SetTextColor(dc, palette.Colour(active ? PaletteColour::kPathActiveText
                                         : PaletteColour::kPathInactiveText));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(
      palette.Brush(active ? PaletteColour::kPathActive : PaletteColour::kPathInactive));
}

LRESULT PanelPair::OnListDoubleClick(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id)) OpenItem(*panel, false);
  return 0;
}

void PanelPair::ActivateSide(Side side) {
  activeSide_ = side;
  for (int id : {IDC_LEFT_PATH, IDC_RIGHT_PATH})
    RedrawWindow(GetDlgItem(mainWindow_, id), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  prompt_.SetText(CommandPromptText(Active().Path()));
}

// Navigation.

void PanelPair::RecordHistory(FilePanel& panel) {
  panel.History().Record(panel.Path());
}

void PanelPair::OpenItem(FilePanel& panel, bool goUp) {
  const ListView& list = panel.List();
  if (!goUp && SelectedCount(list) != 1) return;
  const PanelEntry* entry = panel.EntryAtCursor();
  if (!goUp && entry == nullptr) return;

  if (goUp || entry->IsParent()) {
    if (panel.Path().size() <= 3) return;
    std::string previous = LastComponent(panel.Path());
    panel.SetPath(ParentFolder(panel.Path()));
    UpdateWindow(mainWindow_);
    LockWindowUpdate(mainWindow_);
    // The cursor goes on the folder just left.
    panel.ListPanel(context_.ShowHidden(), true, [&panel, previous] {
      const ListView& shown = panel.List();
      long found = panel.Table().FindRowByName(previous);
      if (found < 0) return;
      int row = static_cast<int>(found);
      panel.SetCursor(row);
      DWORD view = shown.ViewStyle();
      if (view == LVS_LIST || view == LVS_SMALLICON) {
        shown.EnsureVisible(row);
      } else {
        int count = shown.ItemCount();
        shown.EnsureVisible(std::min(row + shown.CountPerPage() / 3, count - 1));
      }
    });
    LockWindowUpdate(nullptr);
  } else if (entry->IsFolder()) {
    if (!MayActOn(panel, *entry, false)) return;
    panel.SetPath(panel.Path() + entry->name + "\\");
    List(panel);
    panel.SetCursor(0);
  } else {
    if (MayActOn(panel, *entry, true)) LaunchInFolder(context_, entry->name, std::string(), panel.Path());
    return;
  }
  if (Follow(panel)) RecordHistory(Other(panel));
  UpdatePathLines();
  RecordHistory(panel);
}

void PanelPair::GoToParent() {
  if (Active().Path().size() > 3) OpenItem(Active(), true);
}

void PanelPair::SelectDriveOf(FilePanel& panel) {
  const ComboBoxEx& box = panel.DriveBox();
  std::string root = DriveRootOf(panel.Path());
  int index = -1;
  for (int i = 0; i < box.Count(); ++i) {
    if (EqualsNoCase(box.ItemText(i), root)) {
      index = i;
      break;
    }
  }
  box.Select(index);
  panel.SetDriveIndex(index);
}

void PanelPair::GoToFolder(const std::string& path, bool recordHistory) {
  FilePanel& panel = Active();
  panel.SetPath(path);
  SelectDriveOf(panel);
  UpdateVolumeLabel(panel);
  RefreshSides(panel);
  if (recordHistory) RecordHistory(panel);
  UpdatePathLines();
}

void PanelPair::ChangeDrive(FilePanel& panel) {
  const ComboBoxEx& box = panel.DriveBox();
  int selected = box.Selection();
  std::string root = box.ItemText(selected);
  if (!AskUntilDriveReady(context_.owner, context_.Texts(), driveProbe_, root)) {
    box.Select(panel.DriveIndex());
    panel.List().Focus();
    return;
  }
  panel.SetDriveIndex(selected);
  panel.SetPath(root);
  UpdateVolumeLabel(panel);
  RefreshSides(panel);
  if (Linked()) RecordHistory(Other(panel));
  panel.List().Focus();
  UpdatePathLines();
  RecordHistory(panel);
}

void PanelPair::HistoryBack() {
  FolderHistory& history = History(activeSide_);
  if (history.Back()) GoToFolder(history.Current(), false);
}

void PanelPair::HistoryForward() {
  FolderHistory& history = History(activeSide_);
  if (history.Forward()) GoToFolder(history.Current(), false);
}

void PanelPair::ShowFolderHistory() {
  FolderHistory& history = History(activeSide_);
  FolderHistoryDialog dialog(context_.Texts());
  dialog.entries = history.Entries();
  dialog.currentFolder = Active().Path();
  if (dialog.DoModal(context_.owner) != IDOK || dialog.folder.empty()) return;
  if (dialog.index < 0 || !history.MoveTo(static_cast<size_t>(dialog.index))) return;
  GoToFolder(dialog.folder, false);
}

void PanelPair::EditVolumeLabel(Side side) {
  FilePanel& panel = Panel(side);
  VolumeLabelDialog dialog(context_.Texts());
  dialog.driveRoot = DriveRootOf(panel.Path());
  dialog.list = panel.List().Handle();
  dialog.DoModal(context_.owner);
  UpdateVolumeLabel(Panel(Side::kLeft));
  UpdateVolumeLabel(Panel(Side::kRight));
}

void PanelPair::SelectByMask(MaskMode mode) {
  FilePanel& panel = Active();
  MaskSelectDialog dialog(mode, panel.List(), panel.Table(), context_.GetOptions().selectFolders,
                          context_.Texts());
  dialog.DoModal(context_.owner);
}

size_t PanelPair::CompareFolders() { return CompareBothPanels(context_, *this); }

bool PanelPair::NewTab() {
  FilePanel& panel = Active();
  if (panel.Tree().IsVisible() || !panel.OpenTab()) return false;
  AfterTabChange(panel);
  return true;
}

bool PanelPair::CloseTab(Side side, size_t index) {
  FilePanel& panel = Panel(side);
  if (panel.Tree().IsVisible() || !panel.CloseTab(index, context_.ShowHidden())) return false;
  AfterTabChange(panel);
  return true;
}

void PanelPair::SelectTab(Side side, size_t index) {
  FilePanel& panel = Panel(side);
  if (panel.Tree().IsVisible() || index == panel.States().CurrentIndex()) {
    panel.UpdateTabBar();
    return;
  }
  panel.SelectTab(index, context_.ShowHidden());
  AfterTabChange(panel);
}

void PanelPair::StepTab(bool forward) {
  FilePanel& panel = Active();
  const size_t count = panel.TabCount();
  if (count < 2) return;
  const size_t current = panel.States().CurrentIndex();
  SelectTab(activeSide_, forward ? (current + 1) % count : (current + count - 1) % count);
}

LRESULT PanelPair::OnDeviceChange(Message& message) {
  message.handled = false;
  if (message.wParam == DBT_DEVICEARRIVAL || message.wParam == DBT_DEVICEREMOVECOMPLETE ||
      message.wParam == DBT_DEVNODES_CHANGED) {
    CheckDrives();
  }
  return TRUE;
}

LRESULT PanelPair::OnActivateApp(Message& message) {
  message.handled = false;
  if (message.wParam != FALSE) {
    CheckDrives();
    for (auto& panel : panels_) panel->ListAgainIfUnwatched(context_.ShowHidden());
  }
  return 0;
}

void PanelPair::CheckDrives() {
  if (!started_) return;  // the boxes are filled at start-up
  // The boxes follow the drives there are now.
  const std::vector<DriveItem> drives = ListDrives();
  bool same = static_cast<int>(drives.size()) == Panel(Side::kLeft).DriveBox().Count();
  for (size_t i = 0; same && i < drives.size(); ++i)
    same = EqualsNoCase(Panel(Side::kLeft).DriveBox().ItemText(static_cast<int>(i)), drives[i].root);
  if (!same) {
    for (auto& panel : panels_) {
      panel->DriveBox().Send(CB_RESETCONTENT);
      for (const DriveItem& drive : drives) panel->DriveBox().AddItem(drive.root, drive.image);
      SelectDriveOf(*panel);
    }
  }
  // A side whose drive went: to the nearest folder there still is.
  for (auto& panel : panels_) {
    if (panel->DriveIndex() >= 0) continue;
    MoveFromVanishedFolder(*panel);
  }
}

void PanelPair::MoveFromVanishedFolder(FilePanel& panel) {
  const std::string gone = panel.Path();
  if (IsExistingFolder(gone)) return;
  std::string nearest = NearestExistingFolder(gone, IsExistingFolder);
  if (nearest.empty()) {
    nearest = DriveRootOf(context_.startDirectory.empty() ? std::string("C:\\") : context_.startDirectory);
    if (!nearest.empty() && nearest.back() != '\\') nearest += '\\';
    if (!IsExistingFolder(nearest)) nearest = "C:\\";
  }
  panel.SetPath(nearest);
  SelectDriveOf(panel);
  UpdateVolumeLabel(panel);
  RefreshSides(panel);
  RecordHistory(panel);
  panel.NoteFolderGone(gone);
  UpdatePathLines();
}

bool PanelPair::ShowsTabBar(Side side) const {
  return Panel(side).TabCount() > 1 || context_.GetOptions().alwaysShowTabs == 1;
}

void PanelPair::AfterTabChange(FilePanel& panel) {
  SelectDriveOf(panel);
  UpdateVolumeLabel(panel);
  if (Linked()) Follow(panel);
  UpdatePathLines();
  panel.UpdateTabBar();
  if (onTabBarsChanged_) onTabBarsChanged_();
  if (panel.GetSide() == activeSide_) panel.List().Focus();
}

LRESULT PanelPair::OnTabSelected(Message& message) {
  const Side side = message.id == IDC_LEFT_TABS ? Side::kLeft : Side::kRight;
  const int index = static_cast<int>(SendMessageW(Panel(side).TabBar().Handle(), TCM_GETCURSEL, 0, 0));
  ActivateSide(side);
  if (index >= 0) SelectTab(side, static_cast<size_t>(index));
  return 0;
}

bool PanelPair::OnTabBarMouse(const MSG& msg) {
  for (Side side : {Side::kLeft, Side::kRight}) {
    FilePanel& panel = Panel(side);
    if (msg.hwnd != panel.TabBar().Handle()) continue;
    TCHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    const int index = static_cast<int>(SendMessageW(msg.hwnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (msg.message == WM_MBUTTONUP && index >= 0) {
      CloseTab(side, static_cast<size_t>(index));
      return true;
    }
    if (msg.message == WM_LBUTTONDBLCLK && index < 0) {
      ActivateSide(side);
      NewTab();
      return true;
    }
  }
  return false;
}

void PanelPair::SelectAll(bool select) {
  FilePanel& panel = Active();
  panel.ClearSelection();
  if (!select) return;
  const EntryTable& table = panel.Table();
  size_t count = table.RowCount();
  if (count == 0) return;
  // One message for all rows, then the parent (always the first row) is let go.
  panel.List().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  if (table.AtRow(0).IsParent()) panel.List().SetItemState(0, 0, LVIS_SELECTED);
  panel.List().SetItemState(static_cast<int>(count - 1), LVIS_FOCUSED, LVIS_FOCUSED);
}

void PanelPair::SetListView(DWORD view) {
  if (Active().Tree().IsVisible()) ShowFolderTree(activeSide_, false);
  Active().List().SetViewStyle(view);
}

void PanelPair::RefreshActive() {
  FilePanel& panel = Active();
  if (panel.Tree().IsVisible()) return;
  auto [name, next] = panel.LastSelectedAndNextNames();
  panel.RefreshPanel(context_.ShowHidden(), mainWindow_, name, next);
}

void PanelPair::RelistShowing(const std::vector<std::string>& folders) {
  auto withSlash = [](std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return FoldName(path);
  };
  for (Side side : {Side::kLeft, Side::kRight}) {
    FilePanel& panel = Panel(side);
    if (panel.Tree().IsVisible()) continue;
    const std::string shown = withSlash(panel.Path());
    for (const std::string& folder : folders) {
      if (folder.empty() || withSlash(folder) != shown) continue;
      panel.RelistKeeping(context_.ShowHidden());
      break;
    }
  }
  for (auto& panel : panels_) panel->ListAgainIfUnwatched(context_.ShowHidden());
}

void PanelPair::ReleaseWatchesUnder(const std::string& base, const std::vector<std::string>& names) {
  std::vector<std::string> trees;
  trees.reserve(names.size());
  for (const std::string& name : names) trees.push_back(base + name + "\\");
  for (auto& panel : panels_) panel->ReleaseWatchesUnder(trees);
}

void PanelPair::ShowDocumentsFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(context_.owner, folder, CSIDL_PERSONAL, FALSE)) return;
  std::string path = Narrow(folder);
  if (path.empty()) return;
  if (path.back() != '\\') path += '\\';
  GoToFolder(path, true);
}

bool PanelPair::CheckSelection(FilePanel& panel) {
  if (!panel.CurrentSelection().Empty()) return true;
  ShowMessage(context_.owner, context_.Texts().Text(text::kNothingSelected), kProductName,
              MB_ICONINFORMATION | MB_OK);
  panel.List().Focus();
  return false;
}

std::optional<Selection> PanelPair::TakeSelection(FilePanel& panel) {
  if (!CheckSelection(panel)) return std::nullopt;
  panel.LetGoOfParent();
  return panel.CurrentSelection();
}

bool PanelPair::MayActOn(const FilePanel& panel, const PanelEntry& entry, bool throughShell) {
  if (entry.IsParent()) return true;
  const bool reached = throughShell ? ShellReachesName(entry.name) : IsAddressableName(entry.name);
  if (reached && !panel.Table().ListedTwice(entry.name)) return true;
  ShowMessage(context_.owner,
              FormatText(context_.Texts().Text(text::kNameNotAddressable), {panel.Path() + entry.name}),
              kProductName, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

// Folder trees.

void PanelPair::SyncTreeToPath(FilePanel& panel) {
  panel.Folders().SetIncludeHidden(context_.ShowHidden());
  panel.Folders().SyncToPath(panel.Path(), true);
}

void PanelPair::ShowFolderTree(Side side, bool show) {
  FilePanel& panel = Panel(side);
  FilePanel& other = Other(panel);
  if (show) {
    panel.Tree().Show(true);
    panel.Tree().Focus();
    panel.List().Show(false);
  } else {
    panel.List().Show(true);
    panel.List().Focus();
    panel.Tree().Show(false);
  }
  int otherIndex = other.DriveBox().Selection();
  panel.DriveBox().Select(otherIndex);
  panel.SetDriveIndex(otherIndex);
  // Now linked: this side takes the other's folder.
  Follow(other, false);
  UpdateVolumeLabel(panel);
  if (show) {
    SyncTreeToPath(panel);
    RecordHistory(panel);
  } else {
    List(panel);
    RecordHistory(panel);
    panel.SetCursor(0);
    panel.Folders().Clear();
  }
  UpdatePathLines();
}

bool PanelPair::Linked() const {
  return Panel(Side::kLeft).Tree().IsVisible() != Panel(Side::kRight).Tree().IsVisible();
}

bool PanelPair::Follow(FilePanel& leader, bool showNow) {
  if (!Linked()) return false;
  FilePanel& follower = Other(leader);
  follower.DriveBox().Select(leader.DriveIndex());
  follower.SetDriveIndex(leader.DriveIndex());
  follower.SetPath(leader.Path());
  if (showNow) ShowFolder(follower);
  return true;
}

void PanelPair::ShowFolder(FilePanel& panel) {
  if (panel.Tree().IsVisible()) {
    SyncTreeToPath(panel);
  } else {
    List(panel);
    panel.SetCursor(0);
  }
}

void PanelPair::RefreshSides(FilePanel& changed) {
  // The tree goes first: a list that follows it then lists the same folder.
  if (Linked() && !changed.Tree().IsVisible()) {
    Follow(changed);
    ShowFolder(changed);
  } else {
    ShowFolder(changed);
    Follow(changed);
  }
}

LRESULT PanelPair::OnTreeSelectionChanging(Message& message, NMTREEVIEWW& change) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return FALSE;
  bool byMouse = change.action == TVC_BYMOUSE;
  bool byKeyboard = change.action == TVC_BYKEYBOARD;
  if (!byMouse && !byKeyboard) return FALSE;

  std::string path = panel->Folders().PathOf(change.itemNew.hItem);
  if (path.empty()) return FALSE;
  panel->SetPath(path);
  // Moving by keyboard, the list that follows is listed once the tree rests.
  const bool linked = Follow(*panel, byMouse);
  panel->UpdatePathLine();
  prompt_.SetText(path + ">");
  if (byKeyboard) return FALSE;

  RecordHistory(*panel);
  if (linked) {
    RecordHistory(Other(*panel));
    Other(*panel).UpdatePathLine();
  }
  return FALSE;
}

void PanelPair::ShowGoToFolderDialog() {
  FolderChooser dialog(context_.Texts(), driveProbe_);
  dialog.folderImages = treeImages_.Get();
  dialog.driveImages = driveImages_.Get();
  dialog.uiTasks = context_.uiTasks;
  dialog.jobs = context_.jobs;
  dialog.folder = Active().Path();
  if (dialog.DoModal(context_.owner) != IDOK) return;
  GoToFolder(dialog.folder, true);
}

}  // namespace px
