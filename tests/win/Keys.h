// Typing into the real window: key presses with modifier states, through the
// window's keyboard filter as the message loop would deliver them.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "tests/win/Harness.h"

namespace px::test {

enum Modifier { kNoModifier = 0, kCtrl = 1, kAlt = 2, kShift = 4 };

// Focuses target, then delivers the key's down and up messages.
void PressKey(Dialog& dialog, HWND target, UINT virtualKey, int modifiers = kNoModifier);
// F2 on the left list's row named from, the new text into the rename edit, then
// finishKey (Enter commits, Escape cancels).
void RenameRow(RunningWindow& run, const std::string& from, const std::wstring& to,
               UINT finishKey = VK_RETURN);
// Delivers WM_CHAR messages for each character of text to target.
void TypeText(Dialog& dialog, HWND target, const std::wstring& text);

}  // namespace px::test
