// Dialog base: a window made from a resource template, whose messages and
// control notifications are routed through a table of (message, code, id).
// It runs modally (a loop of its own) or beside the other windows (the
// program's message loop).
#pragma once

#include <windows.h>

#include <cstddef>
#include <type_traits>
#include <vector>

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

// A route's handler takes the message as it is, or (for WM_NOTIFY) the
// notification structure it carries, typed: Typed<&Owner::OnX> adapts a
// handler LRESULT OnX(Message&, NMLISTVIEW&) so that it never casts lParam.
template <typename Owner>
struct Route {
  using Plain = LRESULT (Owner::*)(Message&);
  using Adapter = LRESULT (*)(Owner&, Message&);
  constexpr Route(RouteKey routeKey, Plain plain) : key(routeKey), handler(plain) {}
  constexpr Route(RouteKey routeKey, Adapter adapter) : key(routeKey), adapted(adapter) {}

  LRESULT Call(Owner& owner, Message& message) const {
    return handler != nullptr ? (owner.*handler)(message) : adapted(owner, message);
  }

  RouteKey key;
  Plain handler = nullptr;
  Adapter adapted = nullptr;
};

template <typename T, typename = void>
struct BeginsWithHeader : std::is_same<T, NMHDR> {};
template <typename T>
struct BeginsWithHeader<T, std::void_t<decltype(T::hdr)>> : std::true_type {};

template <auto Handler>
struct TypedHandler;

template <typename Owner, typename Notification,
          LRESULT (Owner::*Handler)(Message&, Notification&)>
struct TypedHandler<Handler> {
  static_assert(BeginsWithHeader<Notification>::value,
                "a notification structure begins with its NMHDR");
  static LRESULT Call(Owner& owner, Message& message) {
    return (owner.*Handler)(message, *reinterpret_cast<Notification*>(message.lParam));
  }
};

template <auto Handler>
constexpr auto Typed = &TypedHandler<Handler>::Call;

// Finds the route of a message in a table and runs it on owner; true when a
// route matched and its handler left the message handled.
template <typename Owner, size_t N>
bool DispatchRoutes(Owner& owner, const Route<Owner> (&routes)[N], Message& message,
                    LRESULT& result) {
  const Route<Owner>* route = FindRoute(routes, N, message.message, message.code, message.id);
  if (route == nullptr) return false;
  // A WM_NOTIFY without its structure cannot reach a typed handler.
  if (route->adapted != nullptr && message.message == WM_NOTIFY && message.lParam == 0)
    return false;
  message.handled = true;
  result = route->Call(owner, message);
  return message.handled;
}

// Something besides the dialog itself that takes some of its messages: an
// object that owns a group of the dialog's controls routes their
// notifications through its own table.
class MessageRouter {
 public:
  virtual ~MessageRouter() = default;
  virtual bool RouteMessage(Message& message, LRESULT& result) = 0;
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
  // Creates and shows the dialog as a window beside the others, not modal:
  // the program's message loop hands it its keyboard messages (through
  // PreTranslateMessage), and ending it destroys it.
  bool ShowModeless(HWND owner);
  bool IsModeless() const { return modeless_; }
  void Destroy();
  // Keys this window translates into its own commands before its keyboard
  // navigation sees them (the table stays the caller's).
  void SetAccelerators(HACCEL accelerators) { accelerators_ = accelerators; }

  void EndDialog(INT_PTR result);
  bool IsEnded() const { return ended_; }
  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  // Keyboard filtering before dispatch; true consumes the message. The base
  // gives the dialog its keyboard navigation.
  virtual bool PreTranslateMessage(MSG& msg);

  // Messages the dialog's own routes leave unhandled go on to these routers,
  // in the order they were chained. A router must outlive the window.
  void ChainRoutes(MessageRouter& router) { chained_.push_back(&router); }

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  // Routes the message; true when handled, with result set.
  virtual bool RouteMessage(Message& message, LRESULT& result) = 0;
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Called by DoModal's loop whenever the message queue has run empty.
  virtual void OnIdle() {}

  template <typename Owner, size_t N>
  bool Dispatch(const Route<Owner> (&routes)[N], Message& message, LRESULT& result) {
    return DispatchRoutes(*static_cast<Owner*>(this), routes, message, result);
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND hwnd_ = nullptr;
  HACCEL accelerators_ = nullptr;
  bool ended_ = false;
  bool modeless_ = false;
  INT_PTR result_ = IDCANCEL;
  std::vector<MessageRouter*> chained_;
};

}  // namespace px
