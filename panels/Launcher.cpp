#include "panels/Launcher.h"

#include <shellapi.h>
#include <shlobj.h>

#include "core/panel/CommandLine.h"
#include "core/panel/NameRules.h"
#include "framework/Wide.h"
#include "panels/LaunchErrors.h"
#include "panels/PanelPair.h"

namespace px {

bool LaunchInFolder(const AppContext& context, const std::string& file,
                    const std::string& parameters, const std::string& folder) {
  std::wstring fileW = Widen(file);
  std::wstring parametersW = Widen(parameters);
  std::wstring folderW = Widen(folder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // Our own message reports a failure; the shell shows none of its own.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = context.owner;
  info.lpFile = fileW.c_str();
  info.lpParameters = parametersW.empty() ? nullptr : parametersW.c_str();
  // The program starts in the panel's folder; the process's own current
  // directory is never changed for it.
  info.lpDirectory = folderW.c_str();
  info.nShow = SW_SHOW;
  SetLastError(ERROR_SUCCESS);
  bool launched = ShellExecuteExW(&info) != FALSE;
  if (!launched) ReportLaunchError(context.owner, context.Texts(), GetLastError());
  return launched;
}

bool RunLineInFolder(const AppContext& context, const std::string& line,
                     const std::string& folder) {
  CommandLineParts parts = SplitCommandLine(line);
  return LaunchInFolder(context, parts.program, parts.parameters, folder);
}

void EditWithEditor(const AppContext& context, const FilePanel& panel) {
  const PanelEntry* entry = PanelPair::EntryAtSelectionMark(panel);
  if (entry == nullptr || !entry->IsFile()) return;
  std::wstring editor = Widen(context.GetOptions().editor);
  std::wstring parameters = Widen(EditorParameters(panel.Path() + entry->name));
  std::wstring folder = Widen(panel.Path());
  ShellExecuteW(nullptr, nullptr, editor.c_str(), parameters.c_str(), folder.c_str(),
                SW_SHOWNORMAL);
}

void ShowShellProperties(const FilePanel& panel) {
  const PanelEntry* entry = PanelPair::EntryAtSelectionMark(panel);
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

void OpenShellFolder(const AppContext& context, int folderId) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(context.owner, folderId, &items)) || items == nullptr)
    return;
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
