// Telling the user why the shell could not open a file or run a command.
#pragma once

#include <windows.h>

#include "core/language/LanguageTable.h"

namespace px {

// Shows the message for errorCode (the GetLastError() value taken right after
// the launch) when it is one of the failures the user can act on; any other
// code, success included, shows nothing.
void ReportLaunchError(HWND owner, const LanguageTable& texts, DWORD errorCode);

}  // namespace px
