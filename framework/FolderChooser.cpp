#include "framework/FolderChooser.h"

#include "framework/Dpi.h"

#include "core/language/TextFormat.h"
#include "core/text/CaseFold.h"
#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "framework/Drives.h"
#include "res/resource.h"

namespace px {

struct FolderChooserRoutes {
  static const Route<FolderChooser> kRoutes[];
};

const Route<FolderChooser> FolderChooserRoutes::kRoutes[] = {
    {OnNotify(TVN_ITEMEXPANDINGW, IDC_GO_TO_TREE, IDC_GO_TO_TREE),
     &FolderChooser::OnTreeNotify},
    {OnNotify(TVN_ITEMEXPANDEDW, IDC_GO_TO_TREE, IDC_GO_TO_TREE), &FolderChooser::OnTreeNotify},
    {OnNotify(TVN_GETDISPINFOW, IDC_GO_TO_TREE, IDC_GO_TO_TREE), &FolderChooser::OnTreeNotify},
    {OnNotify(NM_DBLCLK, IDC_GO_TO_TREE, IDC_GO_TO_TREE), &FolderChooser::OnTreeDoubleClick},
    {OnCommand(IDC_GO_TO_DRIVE, CBN_SELENDOK), &FolderChooser::OnDriveAccepted},
    {OnCommand(IDC_GO_TO_DRIVE, CBN_SELENDCANCEL), &FolderChooser::OnDriveCancelled},
};

FolderChooser::FolderChooser(const LanguageTable& languageTexts, DriveProbe probe)
    : Dialog(IDD_GO_TO_FOLDER), texts(languageTexts), probe_(probe) {}

bool FolderChooser::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(FolderChooserRoutes::kRoutes, message, result);
}

BOOL FolderChooser::OnInitDialog() {
  Window(Handle()).SetText(texts.Text(text::kFolderChooserCaption));
  Window(Item(IDOK)).SetText(texts.Text(text::kFolderChooserOk));
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kFolderChooserCancel));
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  Window volume(Item(IDC_GO_TO_VOLUME));
  const UINT dpi = WindowDpi(Handle());
  volume.Move(Scaled(88, dpi), Scaled(9, dpi), Scaled(100, dpi), Scaled(20, dpi));

  TreeView tree(Item(IDC_GO_TO_TREE));
  tree.SetImages(folderImages);
  tree_.Attach(tree.Handle());
  if (uiTasks != nullptr && jobs != nullptr) tree_.ProbeThrough(*uiTasks, *jobs);
  // This tree lists every folder, whatever the panels hide.
  tree_.SetIncludeHidden(true);

  ComboBoxEx box(Item(IDC_GO_TO_DRIVE));
  box.SetImages(driveImages);
  const std::string root = folder.substr(0, 3);
  driveIndex_ = -1;
  for (const DriveItem& drive : ListDrives()) {
    int index = box.AddItem(drive.root, drive.image);
    if (driveIndex_ < 0 && EqualsNoCase(drive.root, root)) driveIndex_ = index;
  }
  box.Select(driveIndex_);
  volume.SetText(VolumeLabelText(root));

  tree_.SyncToPath(folder, false);
  return TRUE;
}

void FolderChooser::OnOK() {
  std::string selected = tree_.SelectedPath();
  if (!selected.empty()) folder = selected;
  EndDialog(IDOK);
}

LRESULT FolderChooser::OnTreeNotify(Message& message) {
  tree_.HandleNotify(message.Notify());
  return 0;
}

LRESULT FolderChooser::OnTreeDoubleClick(Message&) {
  // Only a double click on a folder chooses it: one on an expand button or on
  // the empty space below the folders would end the dialog with whatever
  // folder happened to be selected.
  HWND tree = tree_.Handle();
  const DWORD position = GetMessagePos();
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ScreenToClient(tree, &hit.pt);
  HTREEITEM item = TreeView_HitTest(tree, &hit);
  if (item == nullptr || (hit.flags & TVHT_ONITEM) == 0) return 0;
  TreeView_SelectItem(tree, item);
  OnOK();
  // The dialog is done: the tree need not expand or collapse the folder.
  return TRUE;
}

LRESULT FolderChooser::OnDriveAccepted(Message&) {
  ComboBoxEx box(Item(IDC_GO_TO_DRIVE));
  const int selected = box.Selection();
  if (selected < 0) return 0;
  const std::string root = box.ItemText(selected);
  if (!AskUntilDriveReady(Handle(), texts, probe_, root)) {
    box.Select(driveIndex_);
    SetFocus(tree_.Handle());
    return 0;
  }
  driveIndex_ = selected;
  tree_.Clear();
  tree_.SyncToPath(root, false);
  Window(Item(IDC_GO_TO_VOLUME)).SetText(VolumeLabelText(root));
  return 0;
}

LRESULT FolderChooser::OnDriveCancelled(Message&) {
  SetFocus(tree_.Handle());
  return 0;
}

}  // namespace px
