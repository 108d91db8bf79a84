// Handing files and command lines to the shell: opening an entry, running a
// line in a panel's folder, the external editor, properties, shell folders.
#pragma once

#include <string>

#include "framework/AppContext.h"
#include "panels/FilePanel.h"

namespace px {

// Opens file, an entry of folder named without the folder (or runs it with
// parameters), with folder as its working directory; reports a failure the
// user can act on. Nothing is started where folder cannot be the working
// directory or the lengths exceed what the shell takes (core/panel/
// LaunchLimits.h): that is reported too. False when it failed.
bool LaunchInFolder(const AppContext& context, const std::string& file,
                    const std::string& parameters, const std::string& folder);
// Runs a command line in folder, under the same rules.
bool RunLineInFolder(const AppContext& context, const std::string& line,
                     const std::string& folder);
// The entry at the list's selection mark in the external editor; nothing for
// a folder, the parent entry or no entry. A folder or lengths the shell cannot
// take are reported as for the launches above; the shell's own failures are not.
void EditWithEditor(const AppContext& context, const FilePanel& panel);
// The system's properties sheet of the entry at the selection mark.
void ShowShellProperties(const FilePanel& panel);
// Opens a shell folder such as the recycle bin (a CSIDL value).
void OpenShellFolder(const AppContext& context, int folderId);

}  // namespace px
