// Typing into the real window: key presses with modifier states, through the
// window's keyboard filter as the message loop would deliver them.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

namespace px::test {

enum Modifier { kNoModifier = 0, kCtrl = 1, kAlt = 2, kShift = 4 };

// Focuses target, then delivers the key's down and up messages.
void PressKey(Dialog& dialog, HWND target, UINT virtualKey, int modifiers = kNoModifier);
// Delivers WM_CHAR messages for each character of text to target.
void TypeText(Dialog& dialog, HWND target, const std::wstring& text);

}  // namespace px::test
