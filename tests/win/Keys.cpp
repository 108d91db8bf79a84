#include "tests/win/Keys.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "res/resource.h"

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

void RenameRow(RunningWindow& run, const std::string& from, const std::wstring& to,
               UINT finishKey) {
  MainWindow& window = run.Window();
  HWND list = run.Item(IDC_LEFT_LIST);
  int row = IndexOf(run.RowTexts(IDC_LEFT_LIST, 0), from);
  ASSERT_GE(row, 0) << from;
  window.Panels().Panel(Side::kLeft).ClearSelection();
  window.Panels().Panel(Side::kLeft).SetCursor(row);
  PressKey(window, list, VK_F2);
  HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, to.c_str());
  PressKey(window, edit, finishKey);
}

}  // namespace px::test
