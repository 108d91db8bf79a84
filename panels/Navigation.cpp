// Moving the panels through the file system: opening entries, going up,
// showing a given folder, drives, folder histories and the command line.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "app/MainWindow.h"
#include "core/language/TextFormat.h"
#include "core/panel/NameRules.h"
#include "core/panel/PathText.h"
#include "core/text/CaseFold.h"
#include "framework/Handles.h"
#include "framework/MessageBoxes.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "panels/CommandHistoryDialog.h"
#include "panels/Drives.h"
#include "panels/FolderHistoryDialog.h"
#include "panels/LaunchErrors.h"
#include "panels/VolumeLabelDialog.h"
#include "res/resource.h"
#include "ui/MaskSelectDialog.h"

namespace px {

namespace {

int SelectedCount(const ListView& list) {
  return static_cast<int>(list.Send(LVM_GETSELECTEDCOUNT));
}

const PanelEntry* EntryAtSelectionMark(const FilePanel& panel) {
  int mark = panel.List().SelectionMark();
  if (mark < 0 || static_cast<size_t>(mark) >= panel.Table().RowCount()) return nullptr;
  return &panel.Table().AtRow(static_cast<size_t>(mark));
}

}  // namespace

void MainWindow::ActivateSide(Side side) {
  activeSide_ = side;
  RedrawPathLines();
  Window(Item(IDC_COMMAND_PROMPT)).SetText(CommandPromptText(ActivePanel().Path()));
}

void MainWindow::RedrawPathLines() {
  for (int id : {IDC_LEFT_PATH, IDC_RIGHT_PATH})
    RedrawWindow(Item(id), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT MainWindow::OnListSetFocus(Message& message) {
  FilePanel* panel = PanelOfControl(message.id);
  if (panel == nullptr) return 0;
  if (panel->Tree().IsVisible()) {
    panel->Tree().Focus();
    return 0;
  }
  ActivateSide(panel->GetSide());
  return 0;
}

LRESULT MainWindow::OnTreeSetFocus(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id)) ActivateSide(panel->GetSide());
  return 0;
}

LRESULT MainWindow::OnControlColor(Message& message) {
  HWND control = reinterpret_cast<HWND>(message.lParam);
  int id = GetDlgCtrlID(control);
  if (id != IDC_LEFT_PATH && id != IDC_RIGHT_PATH) {
    message.handled = false;
    return 0;
  }
  bool active = (id == IDC_LEFT_PATH) == (activeSide_ == Side::kLeft);
  HDC dc = reinterpret_cast<HDC>(message.wParam);
  SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(
      GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
}

LRESULT MainWindow::OnListDoubleClick(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id)) OpenItem(*panel, false);
  return 0;
}

void MainWindow::RecordHistory(FilePanel& panel) {
  histories_[static_cast<int>(panel.GetSide())].Record(panel.Path());
}

void MainWindow::OpenItem(FilePanel& panel, bool goUp) {
  const ListView& list = panel.List();
  if (!goUp && SelectedCount(list) != 1) return;
  const PanelEntry* entry = EntryAtSelectionMark(panel);
  if (!goUp && entry == nullptr) return;
  bool showHidden = options_.showHiddenSystem != 0;

  if (goUp || entry->IsParent()) {
    if (panel.Path().size() <= 3) return;
    std::string previous = LastComponent(panel.Path());
    panel.SetPath(ParentFolder(panel.Path()));
    UpdateWindow(Handle());
    LockWindowUpdate(Handle());
    panel.ListPanel(showHidden, true);
    long found = panel.Table().FindRowByName(previous);
    if (found >= 0) {
      int row = static_cast<int>(found);
      panel.SetCursor(row);
      DWORD view = list.ViewStyle();
      if (view == LVS_LIST || view == LVS_SMALLICON) {
        list.EnsureVisible(row);
      } else {
        int count = list.ItemCount();
        list.EnsureVisible(std::min(row + list.CountPerPage() / 3, count - 1));
      }
    }
    LockWindowUpdate(nullptr);
  } else if (entry->IsFolder()) {
    panel.SetPath(panel.Path() + entry->name + "\\");
    panel.ListPanel(showHidden, true);
    panel.SetCursor(0);
  } else {
    Launch(entry->name, std::string(), panel.Path());
    return;
  }
  FilePanel& other = OtherPanel(panel);
  if (other.Tree().IsVisible()) {
    other.SetPath(panel.Path());
    SyncTreeToPath(other);
    RecordHistory(other);
  }
  UpdatePathLines();
  RecordHistory(panel);
}

void MainWindow::GoToParent() {
  if (ActivePanel().Path().size() > 3) OpenItem(ActivePanel(), true);
}

void MainWindow::SelectDriveOf(FilePanel& panel) {
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

void MainWindow::GoToFolder(const std::string& path, bool recordHistory) {
  FilePanel& panel = ActivePanel();
  panel.SetPath(path);
  SelectDriveOf(panel);
  UpdateVolumeLabel(panel);
  RefreshSides(panel);
  if (recordHistory) RecordHistory(panel);
  UpdatePathLines();
}

LRESULT MainWindow::OnDriveSelectionAccepted(Message& message) {
  if (FilePanel* panel = PanelOfControl(message.id)) ChangeDrive(*panel);
  return 0;
}

void MainWindow::ChangeDrive(FilePanel& panel) {
  const ComboBoxEx& box = panel.DriveBox();
  int selected = box.Selection();
  std::string root = box.ItemText(selected);
  for (;;) {
    unsigned long error = driveProbe_(root);
    if (error != ERROR_NOT_READY) break;
    int answer = ShowMessage(Handle(), FormatText(texts_.Text(12, 0), {root}), kProductName,
                             MB_ICONSTOP | MB_RETRYCANCEL);
    if (answer != IDRETRY) {
      box.Select(panel.DriveIndex());
      panel.List().Focus();
      return;
    }
  }
  panel.SetDriveIndex(selected);
  panel.SetPath(root);
  UpdateVolumeLabel(panel);
  FilePanel& other = OtherPanel(panel);
  RefreshSides(panel);
  if (panel.Tree().IsVisible() != other.Tree().IsVisible()) RecordHistory(other);
  panel.List().Focus();
  UpdatePathLines();
  RecordHistory(panel);
}

unsigned long MainWindow::ProbeDrive(const std::string& root) {
  return DriveNotReady(root) ? ERROR_NOT_READY : ERROR_SUCCESS;
}

void MainWindow::HistoryBack() {
  FolderHistory& history = History(activeSide_);
  if (history.Back()) GoToFolder(history.Current(), false);
}

void MainWindow::HistoryForward() {
  FolderHistory& history = History(activeSide_);
  if (history.Forward()) GoToFolder(history.Current(), false);
}

void MainWindow::ShowFolderHistory() {
  FolderHistory& history = History(activeSide_);
  FolderHistoryDialog dialog(texts_);
  dialog.entries = history.Entries();
  dialog.currentFolder = ActivePanel().Path();
  if (dialog.DoModal(Handle()) != IDOK || dialog.folder.empty()) return;
  if (dialog.index < 0 || !history.MoveTo(static_cast<size_t>(dialog.index))) return;
  GoToFolder(dialog.folder, false);
}

bool MainWindow::Launch(const std::string& file, const std::string& parameters,
                        const std::string& folder) {
  std::wstring fileW = Widen(file);
  std::wstring parametersW = Widen(parameters);
  std::wstring folderW = Widen(folder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // Our own message reports a failure; the shell shows none of its own.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = Handle();
  info.lpFile = fileW.c_str();
  info.lpParameters = parametersW.empty() ? nullptr : parametersW.c_str();
  info.lpDirectory = folderW.c_str();
  info.nShow = SW_SHOW;
  SetLastError(ERROR_SUCCESS);
  bool launched = ShellExecuteExW(&info) != FALSE;
  DWORD error = launched ? ERROR_SUCCESS : GetLastError();
  if (!launched) ReportLaunchFailure(error);
  return launched;
}

void MainWindow::ReportLaunchFailure(DWORD error) { ReportLaunchError(Handle(), texts_, error); }

bool MainWindow::RunLine(const std::string& line) {
  CommandLineParts parts = SplitCommandLine(line);
  const std::string& folder = ActivePanel().Path();
  SetCurrentDirectoryW(FileApiPath(folder).c_str());
  bool launched = Launch(parts.program, parts.parameters, folder);
  SetCurrentDirectoryW(FileApiPath(startDirectory_).c_str());
  return launched;
}

void MainWindow::RunCommandLine() {
  Window edit(Item(IDC_COMMAND_LINE));
  FilePanel& panel = ActivePanel();
  if (GetKeyState(VK_CONTROL) < 0) {
    const PanelEntry* entry = EntryAtSelectionMark(panel);
    if (entry == nullptr) return;
    std::string text = edit.Text() + CommandLineNameOf(*entry);
    edit.SetText(text);
    int end = GetWindowTextLengthW(edit.Handle());
    edit.Send(EM_SETSEL, end, end);
    edit.Send(EM_SCROLLCARET);
    return;
  }
  std::string text = edit.Text();
  if (text.empty()) {
    if (!panel.Tree().IsVisible()) OpenItem(panel, false);
    return;
  }
  std::string line = TrimTrailingWhiteSpace(text);
  if (!line.empty()) commandHistory_.Add(line);
  edit.SetText("");
  panel.List().Focus();
  // A line of blanks names no program: nothing to run.
  if (line.empty()) return;
  RunLine(text);
}

void MainWindow::OnOK() { RunCommandLine(); }

void MainWindow::ShowCommandHistory() {
  CommandHistoryDialog dialog(texts_);
  dialog.lines = commandHistory_.Lines();
  dialog.DoModal(Handle());
  if (dialog.line.empty()) return;
  if (dialog.mode == CommandHistoryMode::kRun) {
    RunLine(dialog.line);
    return;
  }
  Window edit(Item(IDC_COMMAND_LINE));
  edit.SetText(dialog.line);
  int end = GetWindowTextLengthW(edit.Handle());
  edit.Send(EM_SETSEL, end, end);
  edit.Send(EM_SCROLLCARET);
  edit.Focus();
}

void MainWindow::EditVolumeLabel(FilePanel& panel) {
  VolumeLabelDialog dialog(texts_);
  dialog.driveRoot = DriveRootOf(panel.Path());
  dialog.ownerCaption = kProductName;
  dialog.list = panel.List().Handle();
  dialog.DoModal(Handle());
  UpdateVolumeLabel(Panel(Side::kLeft));
  UpdateVolumeLabel(Panel(Side::kRight));
}

void MainWindow::SelectByMask(MaskMode mode) {
  FilePanel& panel = ActivePanel();
  MaskSelectDialog dialog(mode, panel.List(), panel.Table(), options_.selectFolders, texts_);
  dialog.DoModal(Handle());
}

void MainWindow::SelectAll(bool select) {
  FilePanel& panel = ActivePanel();
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

void MainWindow::SetListView(DWORD view) {
  if (ActivePanel().Tree().IsVisible()) ShowFolderTree(activeSide_, false);
  ActivePanel().List().SetViewStyle(view);
}

void MainWindow::RefreshActivePanel() {
  FilePanel& panel = ActivePanel();
  if (panel.Tree().IsVisible()) return;
  auto [name, next] = panel.LastSelectedAndNextNames();
  panel.RefreshPanel(options_.showHiddenSystem != 0, Handle(), name, next);
}

void MainWindow::EditWithEditor() {
  FilePanel& panel = ActivePanel();
  const PanelEntry* entry = EntryAtSelectionMark(panel);
  if (entry == nullptr || !entry->IsFile()) return;
  std::wstring editor = Widen(options_.editor);
  std::wstring parameters = Widen(EditorParameters(panel.Path() + entry->name));
  std::wstring folder = Widen(panel.Path());
  ShellExecuteW(nullptr, nullptr, editor.c_str(), parameters.c_str(), folder.c_str(),
                SW_SHOWNORMAL);
}

bool MainWindow::CheckSelection(FilePanel& panel) {
  const ListView& list = panel.List();
  int count = SelectedCount(list);
  bool onlyParent = false;
  if (count == 1) {
    int row = list.NextItem(-1, LVNI_SELECTED);
    onlyParent = row >= 0 && panel.Table().AtRow(static_cast<size_t>(row)).IsParent();
  }
  if (count == 0 || onlyParent) {
    ShowMessage(Handle(), texts_.Text(11, 0), kProductName, MB_ICONINFORMATION | MB_OK);
    list.Focus();
    return false;
  }
  return true;
}

void MainWindow::ShowShellProperties() {
  FilePanel& panel = ActivePanel();
  if (!CheckSelection(panel)) return;
  const PanelEntry* entry = EntryAtSelectionMark(panel);
  if (entry == nullptr) return;
  std::wstring path = Widen(panel.Path() + entry->name);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.lpVerb = L"properties";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

void MainWindow::ShowDocumentsFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(Handle(), folder, CSIDL_PERSONAL, FALSE)) return;
  std::string path = Narrow(folder);
  if (path.empty()) return;
  if (path.back() != '\\') path += '\\';
  GoToFolder(path, true);
}

void MainWindow::OpenShellFolder(int folderId) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(Handle(), folderId, &items)) || items == nullptr) return;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_IDLIST;
  info.lpVerb = L"open";
  info.lpIDList = items;
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
  CoTaskMemFree(items);
}

}  // namespace px
