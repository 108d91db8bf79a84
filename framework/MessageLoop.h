// The program's one message loop, and what each message passes before it is
// dispatched: the keyboard filter of the open top-level window it is aimed at
// (each window sees only the messages of itself and its controls, so each
// keeps its own keyboard navigation and accelerators), and, whenever the
// queue runs empty, the idle handlers. Modal dialogs run loops of their own
// and pass what is not theirs to the same filters. UI thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace px {

class MessageLoop {
 public:
  // True when it consumed the message.
  using Filter = std::function<bool(MSG&)>;

  // Registers the filter of a top-level window; replaces an earlier one.
  static void AddWindow(HWND window, Filter filter);
  static void RemoveWindow(HWND window);
  static bool HasWindow(HWND window);
  // The registered windows, newest last.
  static std::vector<HWND> Windows();

  static int AddIdleHandler(std::function<void()> handler);
  static void RemoveIdleHandler(int token);

  // Hands msg to the filter of the top-level window it is aimed at; true
  // when that consumed it.
  static bool FilterMessage(MSG& msg);
  static void RunIdle();
  // Runs until WM_QUIT; gives its exit code.
  static int Run();
};

}  // namespace px
