// The program's one message loop (see the header).
#include "framework/MessageLoop.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace px {

namespace {

struct Registry {
  std::vector<std::pair<HWND, MessageLoop::Filter>> windows;
  std::vector<std::pair<int, std::function<void()>>> idle;
  int nextToken = 1;
};

Registry& Registered() {
  static Registry registry;
  return registry;
}

}  // namespace

void MessageLoop::AddWindow(HWND window, Filter filter) {
  RemoveWindow(window);
  Registered().windows.emplace_back(window, std::move(filter));
}

void MessageLoop::RemoveWindow(HWND window) {
  auto& windows = Registered().windows;
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [window](const auto& entry) { return entry.first == window; }),
                windows.end());
}

bool MessageLoop::HasWindow(HWND window) {
  for (const auto& entry : Registered().windows) {
    if (entry.first == window) return true;
  }
  return false;
}

std::vector<HWND> MessageLoop::Windows() {
  std::vector<HWND> windows;
  for (const auto& entry : Registered().windows) windows.push_back(entry.first);
  return windows;
}

int MessageLoop::AddIdleHandler(std::function<void()> handler) {
  Registry& registry = Registered();
  const int token = registry.nextToken++;
  registry.idle.emplace_back(token, std::move(handler));
  return token;
}

void MessageLoop::RemoveIdleHandler(int token) {
  auto& idle = Registered().idle;
  idle.erase(std::remove_if(idle.begin(), idle.end(),
                            [token](const auto& entry) { return entry.first == token; }),
             idle.end());
}

bool MessageLoop::FilterMessage(MSG& msg) {
  if (msg.hwnd == nullptr) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root == nullptr) root = msg.hwnd;
  // A copy: a filter may open or close windows.
  Filter filter;
  for (const auto& entry : Registered().windows) {
    if (entry.first == root) filter = entry.second;
  }
  return filter && filter(msg);
}

void MessageLoop::RunIdle() {
  const auto idle = Registered().idle;  // a handler may register or remove others
  for (const auto& entry : idle) entry.second();
}

int MessageLoop::Run() {
  MSG msg;
  for (;;) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) RunIdle();
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return -1;
    if (!FilterMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace px
