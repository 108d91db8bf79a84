#include "ui/Commands.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "fileops/FileOperations.h"
#include "fileops/FileOpsCommands.h"
#include "panels/Launcher.h"
#include "panels/PanelPair.h"
#include "res/resource.h"
#include "ui/HelpDialogs.h"
#include "ui/SettingsDialog.h"
#include "ui/SearchDialog.h"

namespace px {

namespace {

void OpenDriveBox(HWND box) {
  SetFocus(box);
  SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
}

}  // namespace

bool FillCommandTable(CommandTable& table, AppContext& context, PanelPair& panels,
                      CommandLineBar& commandLine, const WindowActions& window) {
  // Each command once: its ids, its action, when it can run and when it
  // shows checked.
  bool unique = true;
  auto add = [&table, &unique](std::initializer_list<uint32_t> ids, CommandTable::Action action,
                               CommandTable::Predicate enabled = {}, CommandTable::Predicate checked = {}) {
    unique = table.Add(ids, std::move(action), std::move(enabled), std::move(checked)) && unique;
  };
  auto sortBy = [&panels](int key) { return [&panels, key] { panels.Active().SortPanel(key); }; };
  auto sortedBy = [&panels](int key) {
    return [&panels, key] { return !panels.Active().Tree().IsVisible() && panels.Active().Sort().key == key; };
  };
  auto shows = [&panels](DWORD view) {
    return [&panels, view] { return !panels.Active().Tree().IsVisible() && panels.Active().List().ViewStyle() == view; };
  };
  // A file under the active list's cursor, which the editor can open.
  auto fileAtMark = [&panels] {
    const PanelEntry* entry = panels.Active().EntryAtCursor();
    return entry != nullptr && entry->IsFile() && !panels.Active().Tree().IsVisible();
  };

  add({ID_TOOL_PARENT, ID_KEY_PARENT, ID_MENU_PARENT}, [&panels] { panels.GoToParent(); },
      [&panels] { return panels.Active().Path().size() > 3; });
  add({ID_TOOL_BACK, ID_KEY_BACK, ID_MENU_BACK}, [&panels] { panels.HistoryBack(); },
      [&panels] { return panels.History(panels.ActiveSide()).CanGoBack(); });
  add({ID_TOOL_FORWARD, ID_KEY_FORWARD, ID_MENU_FORWARD}, [&panels] { panels.HistoryForward(); },
      [&panels] { return panels.History(panels.ActiveSide()).CanGoForward(); });
  // The toolbar's viewer button sends the menu item's id (ToolBarButtonCommand).
  add({ID_KEY_VIEW, ID_MENU_VIEW},
      [view = window.viewFile] {
        if (view) view();
      },
      fileAtMark);
  add({ID_TOOL_EDIT, ID_KEY_EDIT, ID_MENU_EDIT},
      [&context, &panels] {
        const PanelEntry* entry = panels.Active().EntryAtCursor();
        if (entry != nullptr && entry->IsFile() && panels.MayActOn(panels.Active(), *entry, true)) {
          EditWithEditor(context, panels.Active());
        }
      },
      fileAtMark);
  add({ID_TOOL_SELECT_MASK, ID_KEY_SELECT_MASK, ID_MENU_SELECT_MASK},
      [&panels] { panels.SelectByMask(MaskMode::kSelect); });
  add({ID_TOOL_DESELECT_MASK, ID_KEY_DESELECT_MASK, ID_MENU_DESELECT_MASK},
      [&panels] { panels.SelectByMask(MaskMode::kDeselect); });
  add({ID_TOOL_LIST_VIEW, ID_KEY_LIST_VIEW, ID_MENU_LIST_VIEW},
      [&panels] { panels.SetListView(LVS_LIST); }, {}, shows(LVS_LIST));
  add({ID_TOOL_DETAILS_VIEW, ID_KEY_DETAILS_VIEW, ID_MENU_DETAILS_VIEW},
      [&panels] { panels.SetListView(LVS_REPORT); }, {}, shows(LVS_REPORT));
  add({ID_TOOL_FOLDER_TREE, ID_KEY_FOLDER_TREE, ID_MENU_FOLDER_TREE}, [&panels] {
    if (!panels.Active().Tree().IsVisible()) panels.ShowFolderTree(panels.ActiveSide(), true);
  }, {}, [&panels] { return panels.Active().Tree().IsVisible(); });
  add({ID_TOOL_GO_TO_FOLDER, ID_KEY_GO_TO_FOLDER, ID_MENU_GO_TO_FOLDER},
      [&panels] { panels.ShowGoToFolderDialog(); });
  add({ID_TOOL_SEARCH, ID_KEY_SEARCH, ID_MENU_SEARCH}, [&context, &panels] { RunSearchCommand(context, panels); });
  add({ID_TOOL_COMMAND_HISTORY, ID_KEY_COMMAND_HISTORY, ID_MENU_COMMAND_HISTORY},
      [&commandLine] { commandLine.ShowHistory(); });
  add({ID_TOOL_COPY, ID_KEY_COPY, ID_MENU_COPY, IDC_COPY},
      [&context, &panels, background = window.background] {
        RunFileOperation(context, panels, OperationKind::kCopy, background);
      });
  add({ID_TOOL_MOVE, ID_KEY_MOVE, ID_MENU_MOVE, IDC_MOVE},
      [&context, &panels, background = window.background] {
        RunFileOperation(context, panels, OperationKind::kMove, background);
      });
  add({ID_TOOL_DELETE, ID_KEY_DELETE, ID_KEY_DELETE2, ID_MENU_DELETE, IDC_DELETE},
      [&context, &panels, background = window.background] {
        RunFileOperation(context, panels, OperationKind::kDelete, background);
      });
  add({ID_TOOL_FOLDER_HISTORY, ID_MENU_FOLDER_HISTORY}, [&panels] { panels.ShowFolderHistory(); });
  add({ID_TOOL_SHELL_PROPERTIES}, [&panels] {
    if (!panels.CheckSelection(panels.Active())) return;
    const PanelEntry* entry = panels.Active().EntryAtCursor();
    if (entry != nullptr && panels.MayActOn(panels.Active(), *entry, true)) ShowShellProperties(panels.Active());
  });
  add({ID_TOOL_MAKE_DIRECTORY, ID_KEY_MAKE_DIRECTORY, ID_MENU_MAKE_DIRECTORY, IDC_MAKE_DIRECTORY},
      [&context, &panels] { MakeNewFolder(context, panels); });
  add({ID_TOOL_ATTRIBUTES, ID_MENU_ATTRIBUTES}, [&context, &panels] { EditAttributes(context, panels); });
  add({ID_TOOL_DRIVE_PROPERTIES, ID_MENU_DRIVE_PROPERTIES},
      [&context, &panels] { ShowDriveProperties(context, panels); });
  add({ID_TOOL_REFRESH}, [&panels] { panels.RefreshActive(); });
  add({ID_TOOL_DOCUMENTS}, [&panels] { panels.ShowDocumentsFolder(); });
  add({ID_TOOL_RECYCLE_BIN}, [&context] { OpenShellFolder(context, CSIDL_BITBUCKET); });
  add({ID_TOOL_CONTROL_PANEL}, [&context] { OpenShellFolder(context, CSIDL_CONTROLS); });
  add({ID_TOOL_EXIT, ID_MENU_EXIT, IDC_EXIT}, window.exit);
  // The toolbar's job list button sends the menu item's id (ToolBarButtonCommand).
  add({ID_MENU_JOBS, ID_KEY_JOBS},
      [show = window.showJobList] {
        if (show) show();
      },
      [shown = static_cast<bool>(window.showJobList)] { return shown; });
  add({ID_MENU_COMPARE, ID_KEY_COMPARE}, [&panels] { panels.CompareFolders(); });
  add({ID_MENU_QUICK_FILTER, ID_KEY_QUICK_FILTER},
      [&panels] {
        panels.Active().OpenBox(FilePanel::BoxMode::kFilter);
        panels.Active().List().Focus();
      },
      [&panels] { return !panels.Active().Tree().IsVisible(); });
  const auto listShown = [&panels] { return !panels.Active().Tree().IsVisible(); };
  add({ID_MENU_NEW_TAB, ID_KEY_NEW_TAB}, [&panels] { panels.NewTab(); }, listShown);
  add({ID_MENU_CLOSE_TAB, ID_KEY_CLOSE_TAB},
      [&panels] { panels.CloseTab(panels.ActiveSide(), panels.Active().States().CurrentIndex()); },
      [&panels] { return !panels.Active().Tree().IsVisible() && panels.Active().TabCount() > 1; });
  add({ID_KEY_NEXT_TAB}, [&panels] { panels.StepTab(true); });
  add({ID_KEY_PREVIOUS_TAB}, [&panels] { panels.StepTab(false); });
  add({ID_MENU_COUNT_SIZES, ID_KEY_COUNT_SIZES}, [&panels] { panels.Active().CountAllFolderSizes(); },
      [&panels] { return !panels.Active().Tree().IsVisible(); });
  add({ID_KEY_RENAME}, [&panels] { panels.StartRename(); }, [&panels] {
    const PanelEntry* entry = panels.Active().EntryAtCursor();
    return entry != nullptr && !entry->IsParent() && !panels.Active().Tree().IsVisible();
  });
  add({ID_KEY_LEFT_DRIVE},
      [&panels] { OpenDriveBox(panels.Panel(Side::kLeft).DriveBox().Handle()); });
  add({ID_KEY_RIGHT_DRIVE},
      [&panels] { OpenDriveBox(panels.Panel(Side::kRight).DriveBox().Handle()); });
  for (auto [key, ids] : {std::pair{kSortByName, std::pair{ID_KEY_SORT_NAME, ID_MENU_SORT_NAME}},
                          std::pair{kSortByExtension, std::pair{ID_KEY_SORT_EXTENSION, ID_MENU_SORT_EXTENSION}},
                          std::pair{kSortByDate, std::pair{ID_KEY_SORT_DATE, ID_MENU_SORT_DATE}},
                          std::pair{kSortBySize, std::pair{ID_KEY_SORT_SIZE, ID_MENU_SORT_SIZE}},
                          std::pair{kSortByListing, std::pair{ID_KEY_SORT_LISTING, ID_MENU_SORT_LISTING}}}) {
    add({static_cast<uint32_t>(ids.first), static_cast<uint32_t>(ids.second)}, sortBy(key), {}, sortedBy(key));
  }
  add({ID_KEY_SELECT_ALL}, [&panels] { panels.SelectAll(true); });
  add({ID_KEY_DESELECT_ALL}, [&panels] { panels.SelectAll(false); });
  add({ID_MENU_VOLUME_LABEL}, [&panels] { panels.EditVolumeLabel(panels.ActiveSide()); });
  add({IDC_LEFT_VOLUME}, [&panels] { panels.EditVolumeLabel(Side::kLeft); });
  add({IDC_RIGHT_VOLUME}, [&panels] { panels.EditVolumeLabel(Side::kRight); });
  add({ID_MENU_SAVE_SETTINGS}, [save = window.saveSettings] { save(true, false, true); });
  add({ID_MENU_SAVE_POSITION}, [save = window.saveSettings] { save(false, true, false); });
  add({IDC_LEFT_PATH}, [&panels] { panels.Panel(Side::kLeft).List().Focus(); });
  add({IDC_RIGHT_PATH}, [&panels] { panels.Panel(Side::kRight).List().Focus(); });
  add({ID_TOOL_HELP, ID_KEY_HELP, ID_MENU_HELP}, [&context] {
    HelpTextDialog dialog(context.Texts());
    dialog.startDirectory = context.startDirectory;
    dialog.language = context.GetOptions().language;
    dialog.DoModal(context.owner);
  });
  add({ID_MENU_SETTINGS},
      [&context, apply = window.applyOptions] { EditSettings(context, apply); });
  add({ID_MENU_ABOUT}, [&context] { AboutDialog(context.Texts()).DoModal(context.owner); });
  unique = table.AddRange(ID_DIVIDER_FIRST, ID_DIVIDER_LAST,
                          [place = window.placeDivider](uint32_t offset) {
                            place(static_cast<int>(offset));
                          }) &&
           unique;
  return unique;
}

}  // namespace px
