// Message boxes with UTF-8 texts, and placing a window over another.
#pragma once

#include <windows.h>

#include <string>

namespace px {

// MessageBoxW with UTF-8 text and caption; returns the button pressed.
int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// Centres window over target, kept inside the work area of target's monitor.
// Without a target the window stays where it is.
void CenterOver(HWND window, HWND target);

}  // namespace px
