// The main window's command table and keyboard filter: every command id to its action.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "app/MainWindow.h"
#include "core/layout/Layout.h"
#include "res/resource.h"

namespace px {

namespace {

// Ids of the toolbar (10000 + button), accelerators (12000...) and menu
// (32773...) that share an action.
enum class Action {
  kNone, kParent, kBack, kForward, kEdit, kCopy, kMove, kDelete, kMakeDirectory, kAttributes,
  kSelectMask, kDeselectMask, kListView, kDetailsView, kFolderTree, kSearch, kGoToFolder,
  kCommandHistory, kFolderHistory, kAddFavourite, kOrganiseFavourites, kDriveProperties,
  kShellProperties, kRefresh, kDocuments, kRecycleBin, kControlPanel, kHelp, kExit, kRename,
  kLeftDriveBox, kRightDriveBox, kSortName, kSortExtension, kSortDate, kSortSize, kSortListing,
  kSelectAll, kDeselectAll, kVolumeLabel, kSettings, kCustomiseToolBar, kSavePanelsAndOptions,
  kSavePosition, kAbout, kLeftVolumeLabel, kRightVolumeLabel, kFocusLeftList, kFocusRightList,
};

struct CommandEntry {
  UINT id;
  Action action;
};

constexpr CommandEntry kCommands[] = {
    {10001, Action::kParent},          {12009, Action::kParent},         {32805, Action::kParent},
    {10002, Action::kBack},            {12010, Action::kBack},           {32806, Action::kBack},
    {10003, Action::kForward},         {12011, Action::kForward},        {32807, Action::kForward},
    {10004, Action::kEdit},            {12003, Action::kEdit},           {32801, Action::kEdit},
    {10005, Action::kCopy},            {12004, Action::kCopy},           {32773, Action::kCopy},
    {10006, Action::kMove},            {12005, Action::kMove},           {32774, Action::kMove},
    {10007, Action::kDelete},          {12007, Action::kDelete},         {12008, Action::kDelete},
    {32776, Action::kDelete},          {10008, Action::kMakeDirectory},  {12006, Action::kMakeDirectory},
    {32775, Action::kMakeDirectory},   {10009, Action::kAttributes},     {32793, Action::kAttributes},
    {10010, Action::kSelectMask},      {12025, Action::kSelectMask},     {32802, Action::kSelectMask},
    {10011, Action::kDeselectMask},    {12026, Action::kDeselectMask},   {32803, Action::kDeselectMask},
    {10012, Action::kListView},        {12014, Action::kListView},       {32778, Action::kListView},
    {10013, Action::kDetailsView},     {12015, Action::kDetailsView},    {32779, Action::kDetailsView},
    {10014, Action::kFolderTree},      {12016, Action::kFolderTree},     {32796, Action::kFolderTree},
    {10015, Action::kSearch},          {12022, Action::kSearch},         {32797, Action::kSearch},
    {10016, Action::kGoToFolder},      {12024, Action::kGoToFolder},     {32795, Action::kGoToFolder},
    {10017, Action::kCommandHistory},  {12023, Action::kCommandHistory}, {32789, Action::kCommandHistory},
    {10018, Action::kFolderHistory},   {32792, Action::kFolderHistory},  {10019, Action::kAddFavourite},
    {32798, Action::kAddFavourite},    {10020, Action::kOrganiseFavourites},
    {32799, Action::kOrganiseFavourites}, {10021, Action::kDriveProperties},
    {32804, Action::kDriveProperties}, {10022, Action::kShellProperties}, {10023, Action::kRefresh},
    {10024, Action::kDocuments},       {10025, Action::kRecycleBin},     {10026, Action::kControlPanel},
    {10027, Action::kHelp},            {12000, Action::kHelp},           {32800, Action::kHelp},
    {10028, Action::kExit},            {32787, Action::kExit},           {1031, Action::kExit},
    {12001, Action::kRename},          {12012, Action::kLeftDriveBox},   {12013, Action::kRightDriveBox},
    {12017, Action::kSortName},        {32781, Action::kSortName},       {12018, Action::kSortExtension},
    {32784, Action::kSortExtension},   {12019, Action::kSortDate},       {32785, Action::kSortDate},
    {12020, Action::kSortSize},        {32782, Action::kSortSize},       {12021, Action::kSortListing},
    {32786, Action::kSortListing},     {12027, Action::kSelectAll},      {12028, Action::kDeselectAll},
    {32783, Action::kVolumeLabel},     {32791, Action::kSettings},       {32794, Action::kCustomiseToolBar},
    {32788, Action::kSavePanelsAndOptions}, {32790, Action::kSavePosition}, {32777, Action::kAbout},
    {1163, Action::kLeftVolumeLabel},  {1164, Action::kRightVolumeLabel},
    {1024, Action::kFocusLeftList},    {1025, Action::kFocusRightList},
};

Action ActionOf(UINT id) {
  for (const CommandEntry& entry : kCommands)
    if (entry.id == id) return entry.action;
  return Action::kNone;
}

void OpenDriveBox(HWND box) {
  SetFocus(box);
  SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
}

}  // namespace

bool MainWindow::ExecuteCommand(UINT id) {
  if (id >= ID_DIVIDER_FIRST && id <= ID_DIVIDER_LAST) {
    RECT client;
    GetClientRect(Handle(), &client);
    SetDivider(DividerPresetX(client.right, static_cast<int>(id - ID_DIVIDER_FIRST)));
    return true;
  }
  switch (ActionOf(id)) {
    case Action::kNone: return false;
    case Action::kParent: GoToParent(); break;
    case Action::kBack: HistoryBack(); break;
    case Action::kForward: HistoryForward(); break;
    case Action::kEdit: EditWithEditor(); break;
    case Action::kSelectMask: SelectByMask(MaskMode::kSelect); break;
    case Action::kDeselectMask: SelectByMask(MaskMode::kDeselect); break;
    case Action::kListView: SetListView(LVS_LIST); break;
    case Action::kDetailsView: SetListView(LVS_REPORT); break;
    case Action::kCommandHistory: ShowCommandHistory(); break;
    case Action::kFolderHistory: ShowFolderHistory(); break;
    case Action::kShellProperties: ShowShellProperties(); break;
    case Action::kRefresh: RefreshActivePanel(); break;
    case Action::kDocuments: ShowDocumentsFolder(); break;
    case Action::kRecycleBin: OpenShellFolder(CSIDL_BITBUCKET); break;
    case Action::kControlPanel: OpenShellFolder(CSIDL_CONTROLS); break;
    case Action::kExit: OnCancel(); break;
    case Action::kLeftDriveBox: OpenDriveBox(Item(IDC_LEFT_DRIVE)); break;
    case Action::kRightDriveBox: OpenDriveBox(Item(IDC_RIGHT_DRIVE)); break;
    case Action::kSortName: ActivePanel().SortPanel(kSortByName); break;
    case Action::kSortExtension: ActivePanel().SortPanel(kSortByExtension); break;
    case Action::kSortDate: ActivePanel().SortPanel(kSortByDate); break;
    case Action::kSortSize: ActivePanel().SortPanel(kSortBySize); break;
    case Action::kSortListing: ActivePanel().SortPanel(kSortByListing); break;
    case Action::kSelectAll: SelectAll(true); break;
    case Action::kDeselectAll: SelectAll(false); break;
    case Action::kVolumeLabel: EditVolumeLabel(ActivePanel()); break;
    case Action::kLeftVolumeLabel: EditVolumeLabel(Panel(Side::kLeft)); break;
    case Action::kRightVolumeLabel: EditVolumeLabel(Panel(Side::kRight)); break;
    case Action::kSavePanelsAndOptions: WriteSettings(true, false, true); break;
    case Action::kSavePosition: WriteSettings(false, true, false); break;
    case Action::kRename: StartRename(); break;
    case Action::kFolderTree:
      if (!ActivePanel().Tree().IsVisible()) ShowFolderTree(activeSide_, true);
      break;
    case Action::kGoToFolder: ShowGoToFolderDialog(); break;
    case Action::kFocusLeftList: Panel(Side::kLeft).List().Focus(); break;
    case Action::kFocusRightList: Panel(Side::kRight).List().Focus(); break;
    default:
      // Actions of the file operations, trees, search, favourites and the
      // auxiliary windows are connected as those arrive.
      return false;
  }
  return true;
}

bool MainWindow::LabelEditOpen() const {
  const FilePanel& panel = *panels_[static_cast<int>(activeSide_)];
  return panel.List().Send(LVM_GETEDITCONTROL) != 0;
}

bool MainWindow::PreTranslateMessage(MSG& msg) {
  HWND commandLine = Item(IDC_COMMAND_LINE);
  HWND leftList = Item(IDC_LEFT_LIST);
  HWND rightList = Item(IDC_RIGHT_LIST);
  bool keyboard =
      msg.message == WM_KEYDOWN || msg.message == WM_CHAR || msg.message == WM_SYSKEYDOWN;
  bool editing = LabelEditOpen();
  if (keyboard && msg.hwnd != commandLine && !editing && accelerators_ != nullptr &&
      TranslateAcceleratorW(Handle(), accelerators_, &msg)) {
    return true;
  }
  bool aimedAtList = msg.hwnd == leftList || msg.hwnd == rightList;
  if (msg.message == WM_CHAR && aimedAtList && !editing && options_.showComLine == 1) {
    msg.hwnd = commandLine;
    SetFocus(commandLine);
  }
  if (msg.message == WM_KEYDOWN) {
    // The rename edit takes Enter (commit) and Escape (cancel) itself.
    if (editing && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) return false;
    if (msg.wParam == VK_ESCAPE && !editing) return true;
    if ((msg.wParam == VK_UP || msg.wParam == VK_DOWN) && msg.hwnd == commandLine) {
      ActivePanel().List().Focus();
      return true;
    }
    if (msg.wParam != VK_RETURN && (GetKeyState(VK_CONTROL) & 0x8000) && aimedAtList) return true;
  }
  return Dialog::PreTranslateMessage(msg);
}

}  // namespace px
