// Dialog base: a window made from a resource template, whose messages and
// control notifications are routed through a table of (message, code, id).
#pragma once

#include <windows.h>

#include <cstddef>

#include "core/routing/RouteTable.h"

namespace px {

// One message as a handler sees it; code and id are taken from WM_COMMAND and
// WM_NOTIFY (0 for other messages).
struct Message {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  UINT code = 0;
  UINT id = 0;
  // A handler that wants the default processing to run as well clears this.
  bool handled = true;

  NMHDR* Notify() const { return reinterpret_cast<NMHDR*>(lParam); }
};

template <typename Owner>
struct Route {
  RouteKey key;
  LRESULT (Owner::*handler)(Message&);
};

// Route keys for the three common forms.
constexpr RouteKey OnMessage(UINT message) { return {message, kAnyCode, kAnyId, kAnyId}; }
constexpr RouteKey OnCommand(UINT id, UINT code = kAnyCode) {
  return {WM_COMMAND, code, id, id};
}
constexpr RouteKey OnCommandRange(UINT first, UINT last) {
  return {WM_COMMAND, kAnyCode, first, last};
}
constexpr RouteKey OnNotify(UINT code, UINT firstId, UINT lastId) {
  return {WM_NOTIFY, code, firstId, lastId};
}

class Dialog {
 public:
  explicit Dialog(int templateId) : templateId_(templateId) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog with our own message loop (so PreTranslateMessage sees
  // every message) until EndDialog; returns the value given to EndDialog.
  INT_PTR DoModal(HWND owner);
  // Creates the dialog without running a loop (tests drive it themselves).
  bool Create(HWND owner);
  void Destroy();

  void EndDialog(INT_PTR result);
  bool IsEnded() const { return ended_; }
  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  // Keyboard filtering before dispatch; true consumes the message. The base
  // gives the dialog its keyboard navigation.
  virtual bool PreTranslateMessage(MSG& msg);

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  // Routes the message; true when handled, with result set.
  virtual bool RouteMessage(Message& message, LRESULT& result) = 0;
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  template <typename Owner, size_t N>
  bool Dispatch(const Route<Owner> (&routes)[N], Message& message, LRESULT& result) {
    const Route<Owner>* route =
        FindRoute(routes, N, message.message, message.code, message.id);
    if (route == nullptr) return false;
    result = (static_cast<Owner*>(this)->*route->handler)(message);
    return message.handled;
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND hwnd_ = nullptr;
  bool ended_ = false;
  INT_PTR result_ = IDCANCEL;
};

}  // namespace px
