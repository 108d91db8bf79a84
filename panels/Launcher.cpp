#include "panels/Launcher.h"

#include <shellapi.h>
#include <shlobj.h>

#include "core/panel/CommandLine.h"
#include "core/panel/LaunchLimits.h"
#include "core/panel/NameRules.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "panels/LaunchErrors.h"
#include "panels/PanelPair.h"

namespace px {

namespace {

// Whether the shell may be asked at all; tells the user why not. A program
// runs in its folder or not at all: where the folder cannot become the
// working directory (too long, or gone) the shell would quietly start it
// wherever this process happens to be, and past the lengths the shell takes
// it fails oddly or brings the process down.
bool MayLaunch(const AppContext& context, const std::string& program,
               const std::string& parameters, const std::string& folder, ProgramPlace place) {
  LaunchRefusal refusal = CheckLaunchLengths(program, parameters, folder, place);
  DWORD error = ERROR_SUCCESS;
  switch (refusal) {
    case LaunchRefusal::kNone: {
      std::optional<uint32_t> attributes = AttributesOf(folder);
      if (attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
      error = ERROR_PATH_NOT_FOUND;
      break;
    }
    case LaunchRefusal::kFolderTooLong:
    case LaunchRefusal::kPathTooLong:
      error = ERROR_PATH_NOT_FOUND;
      break;
    case LaunchRefusal::kProgramTooLong:
      error = ERROR_FILE_NOT_FOUND;
      break;
    case LaunchRefusal::kLineTooLong: {
      const LanguageTable& texts = context.Texts();
      ShowMessage(context.owner, texts.Text(text::kLaunchNotStarted),
                  texts.Text(text::kLaunchErrorCaption), MB_OK | MB_ICONEXCLAMATION);
      return false;
    }
  }
  ReportLaunchError(context.owner, context.Texts(), error);
  return false;
}

bool ShellOpen(const AppContext& context, const std::string& file, const std::string& parameters,
               const std::string& folder) {
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

}  // namespace

bool LaunchInFolder(const AppContext& context, const std::string& file,
                    const std::string& parameters, const std::string& folder) {
  return MayLaunch(context, file, parameters, folder, ProgramPlace::kInFolder) &&
         ShellOpen(context, file, parameters, folder);
}

bool RunLineInFolder(const AppContext& context, const std::string& line,
                     const std::string& folder) {
  CommandLineParts parts = SplitCommandLine(line);
  return MayLaunch(context, parts.program, parts.parameters, folder, ProgramPlace::kAnywhere) &&
         ShellOpen(context, parts.program, parts.parameters, folder);
}

void EditWithEditor(const AppContext& context, const FilePanel& panel) {
  const PanelEntry* entry = panel.EntryAtCursor();
  if (entry == nullptr || !entry->IsFile()) return;
  const std::string& editor = context.GetOptions().editor;
  const std::string parameters = EditorParameters(panel.Path() + entry->name);
  if (!MayLaunch(context, editor, parameters, panel.Path(), ProgramPlace::kAnywhere)) return;
  ShellExecuteW(context.owner, nullptr, Widen(editor).c_str(), Widen(parameters).c_str(),
                Widen(panel.Path()).c_str(), SW_SHOWNORMAL);
}

void ShowShellProperties(const FilePanel& panel) {
  const PanelEntry* entry = panel.EntryAtCursor();
  if (entry == nullptr) return;
  std::wstring path = Widen(panel.Path() + entry->name);
  // The shell's launch code breaks on longer paths; a failure here is not
  // reported, so a path it cannot take opens nothing.
  if (path.size() > kMaxLaunchProgram) return;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = GetAncestor(panel.List().Handle(), GA_ROOT);
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
  info.hwnd = context.owner;
  info.lpVerb = L"open";
  info.lpIDList = items;
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
  CoTaskMemFree(items);
}

}  // namespace px
