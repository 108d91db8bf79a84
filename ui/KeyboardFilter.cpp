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
  // The panel whose list it is sees the key before the command line does.
  if (aimedAtList && !editing &&
      panels.Panel(msg.hwnd == leftList ? Side::kLeft : Side::kRight).PreTranslateKey(msg)) {
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
