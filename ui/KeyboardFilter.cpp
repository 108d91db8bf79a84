#include "ui/KeyboardFilter.h"

#include "panels/PanelPair.h"
#include "res/resource.h"

namespace px {

void KeyboardFilter::Attach(HWND commandLine) {
  commandLine_ = commandLine;
  accelerators_.Reset(
      LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS)));
}

bool KeyboardFilter::Filter(MSG& msg) {
  // Every message of the loop passes here: only key messages are looked at.
  if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR && msg.message != WM_SYSKEYDOWN)
    return false;
  // The keys of other windows are theirs: no accelerator of this one fires there.
  if (msg.hwnd != context_.owner && !IsChild(context_.owner, msg.hwnd)) return false;
  PanelPair& panels = panels_;
  HWND leftList = panels.Panel(Side::kLeft).List().Handle();
  HWND rightList = panels.Panel(Side::kRight).List().Handle();
  bool editing = panels.LabelEditOpen();
  if (msg.hwnd != commandLine_ && !editing && accelerators_ &&
      TranslateAcceleratorW(context_.owner, accelerators_.Get(), &msg)) {
    return true;
  }
  bool aimedAtList = msg.hwnd == leftList || msg.hwnd == rightList;
  FilePanel& aimedAt = panels.Panel(msg.hwnd == leftList ? Side::kLeft : Side::kRight);
  // Insert marks the cursor row and moves on; so does Space while the
  // command line holds nothing (else the blank is the command line's).
  if (aimedAtList && !editing && !aimedAt.Tree().IsVisible()) {
    const bool plain = GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0;
    const bool lineEmpty = context_.GetOptions().showComLine != 1 || GetWindowTextLengthW(commandLine_) == 0;
    const bool space = lineEmpty && plain &&
                       ((msg.message == WM_KEYDOWN && msg.wParam == VK_SPACE) ||
                        (msg.message == WM_CHAR && msg.wParam == L' '));
    if ((msg.message == WM_KEYDOWN && msg.wParam == VK_INSERT && plain) || space) {
      if (msg.message == WM_KEYDOWN) aimedAt.ToggleMarkAndMoveDown();
      return true;
    }
    // A blank for the command line: the list must not take it as its own
    // Space (which marks the cursor row alone).
    if (!lineEmpty && plain && msg.message == WM_KEYDOWN && msg.wParam == VK_SPACE) {
      msg.hwnd = commandLine_;
      SetFocus(commandLine_);
      return false;
    }
  }
  // The panel whose list it is sees the key before the command line does.
  if (aimedAtList && !editing && aimedAt.PreTranslateKey(msg)) {
    return true;
  }
  if (msg.message == WM_CHAR && aimedAtList && !editing &&
      context_.GetOptions().showComLine == 1) {
    msg.hwnd = commandLine_;
    SetFocus(commandLine_);
  }
  if (msg.message == WM_KEYDOWN) {
    // The rename edit takes Enter (commit) and Escape (cancel) itself.
    if (editing && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) return false;
    if (msg.wParam == VK_ESCAPE && !editing) return true;
    if ((msg.wParam == VK_UP || msg.wParam == VK_DOWN) && msg.hwnd == commandLine_) {
      panels.Active().List().Focus();
      return true;
    }
    if (msg.wParam != VK_RETURN && (GetKeyState(VK_CONTROL) & 0x8000) && aimedAtList) return true;
  }
  return false;
}

}  // namespace px
