#include "framework/Dialog.h"

#include <exception>
#include <string>

#include "framework/MessageLoop.h"
#include "framework/Palette.h"
#include "framework/Trace.h"

namespace px {

namespace {

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
  switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

bool IsControlColourMessage(UINT msg) {
  return msg == WM_CTLCOLORDLG || msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN ||
         msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
}

}  // namespace

Dialog::~Dialog() {
  // The derived part of the object is gone by now: the messages of the
  // window's destruction must not be routed to it.
  if (hwnd_ != nullptr) {
    HWND hwnd = hwnd_;
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    MessageLoop::RemoveWindow(hwnd);
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
  }
}

bool Dialog::Create(HWND owner) {
  ended_ = false;
  HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                 &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr;
}

bool Dialog::ShowModeless(HWND owner) {
  if (!Create(owner)) return false;
  modeless_ = true;
  MessageLoop::AddWindow(hwnd_, [this](MSG& msg) { return PreTranslateMessage(msg); });
  if (!ended_ && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOW);
  return true;
}

void Dialog::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner) {
  if (!Create(owner)) return -1;
  bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  if (!ended_ && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOW);

  MSG msg;
  bool quit = false;
  while (!ended_) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) OnIdle();
    if (ended_) break;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      break;
    }
    if (got == -1) break;
    // What is not this dialog's goes to the window it is aimed at, so that
    // windows beside the program's keep their keys meanwhile.
    if (!PreTranslateMessage(msg) && !MessageLoop::FilterMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (ownerWasEnabled) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  Destroy();
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return result_;
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  if (modeless_) {
    Destroy();
    return;
  }
  // Wake the loop if it is waiting.
  if (hwnd_ != nullptr) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool Dialog::PreTranslateMessage(MSG& msg) {
  if (hwnd_ == nullptr) return false;
  if (accelerators_ != nullptr && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd)) &&
      TranslateAcceleratorW(hwnd_, accelerators_, &msg)) {
    return true;
  }
  return IsDialogMessageW(hwnd_, &msg);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->HandleMessage(msg, wParam, lParam);
  } catch (const std::exception& error) {
    // Nothing may unwind through the system's window code; it is noted.
    Trace(std::string("a window's handler failed: ") + error.what());
    result = FALSE;
  } catch (...) {
    Trace("a window's handler failed");
    result = FALSE;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    MessageLoop::RemoveWindow(hwnd);
    self->hwnd_ = nullptr;
  }
  return result;
}

INT_PTR Dialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    Palette::FollowInGroupBoxes(hwnd_);
    const INT_PTR result = OnInitDialog();
    // A window of its own (not a page inside another) gets the title bar of
    // the colours its owner draws with.
    if (hwnd_ != nullptr && !(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD))
      if (const Palette* palette = Palette::Of(hwnd_); palette != nullptr && palette->Dark())
        palette->ApplyTitleBar(hwnd_);
    return result;
  }

  Message message;
  message.message = msg;
  message.wParam = wParam;
  message.lParam = lParam;
  if (msg == WM_COMMAND) {
    message.code = HIWORD(wParam);
    message.id = LOWORD(wParam);
  } else if (msg == WM_NOTIFY && lParam != 0) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    message.code = header->code;
    message.id = static_cast<UINT>(header->idFrom);
  }

  LRESULT result = 0;
  bool routed = RouteMessage(message, result);
  for (size_t i = 0; !routed && i < chained_.size(); ++i) {
    message.handled = true;
    routed = chained_[i]->RouteMessage(message, result);
  }
  if (routed) {
    if (ReturnsResultDirectly(msg)) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    OnOK();
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    OnCancel();
    return TRUE;
  }
  // Every dialog's controls take the colours of the window it belongs to;
  // with the system's colours the default answer stands.
  if (IsControlColourMessage(msg)) {
    if (const Palette* palette = Palette::Of(hwnd_))
      if (HBRUSH brush = palette->ControlColours(msg, reinterpret_cast<HDC>(wParam),
                                                        reinterpret_cast<HWND>(lParam)))
        return reinterpret_cast<INT_PTR>(brush);
  }
  return FALSE;
}

}  // namespace px
