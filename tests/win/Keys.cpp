#include "tests/win/Keys.h"

#include "tests/win/Harness.h"

namespace px::test {

namespace {

// The thread's key state is what the accelerator table and the keyboard
// filter read for Ctrl, Alt and Shift.
void SetModifiers(int modifiers) {
  BYTE state[256];
  GetKeyboardState(state);
  auto set = [&](int key, bool down) { state[key] = down ? 0x80 : 0; };
  set(VK_CONTROL, modifiers & kCtrl);
  set(VK_LCONTROL, modifiers & kCtrl);
  set(VK_MENU, modifiers & kAlt);
  set(VK_LMENU, modifiers & kAlt);
  set(VK_SHIFT, modifiers & kShift);
  set(VK_LSHIFT, modifiers & kShift);
  SetKeyboardState(state);
}

}  // namespace

void PressKey(Dialog& dialog, HWND target, UINT virtualKey, int modifiers) {
  SetFocus(target);
  Pump(&dialog);
  SetModifiers(modifiers);
  bool alt = (modifiers & kAlt) != 0;
  LPARAM down = 1 | (alt ? (1 << 29) : 0);
  LPARAM up = down | (1u << 30) | (1u << 31);
  PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, down);
  Pump(&dialog);
  PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey, up);
  Pump(&dialog);
  SetModifiers(kNoModifier);
}

void TypeText(Dialog& dialog, HWND target, const std::wstring& text) {
  for (wchar_t c : text) {
    PostMessageW(target, WM_CHAR, c, 1);
    Pump(&dialog);
  }
}

}  // namespace px::test
