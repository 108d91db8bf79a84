#include "framework/UiTasks.h"

#include <exception>

#include "framework/Trace.h"

namespace px {

namespace {

constexpr wchar_t kClassName[] = L"PannexUiTasks";
constexpr UINT kRunTasks = WM_APP + 1;

void RegisterClassOnce() {
  static const ATOM atom = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassW(&windowClass);
  }();
  (void)atom;
}

}  // namespace

UiTaskQueue::UiTaskQueue() : threadId_(GetCurrentThreadId()) {
  RegisterClassOnce();
  window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UiTaskQueue::WindowProc));
  }
}

UiTaskQueue::~UiTaskQueue() {
  HWND window;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    window = window_;
    window_ = nullptr;
    tasks_.clear();
  }
  if (window != nullptr) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
}

bool UiTaskQueue::Post(Task task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (window_ == nullptr || refusing_) return false;
  tasks_.push_back(std::move(task));
  // One wake-up message stands for every task queued until it is handled.
  if (wakePosted_) return true;
  if (!PostMessageW(window_, kRunTasks, 0, 0)) {
    tasks_.pop_back();
    return false;
  }
  wakePosted_ = true;
  return true;
}

void UiTaskQueue::RunPending() {
  std::deque<Task> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(tasks_);
    wakePosted_ = false;
  }
  // A task may post more; they wait for the next wake-up, so that a task that
  // posts itself again cannot starve the rest of the loop. One that throws
  // is noted and the rest still run.
  for (Task& task : batch) {
    try {
      task();
    } catch (const std::exception& error) {
      Trace(std::string("a task on the window's thread failed: ") + error.what());
    } catch (...) {
      Trace("a task on the window's thread failed");
    }
  }
}

void UiTaskQueue::RefuseForTests(bool refuse) {
  std::lock_guard<std::mutex> lock(mutex_);
  refusing_ = refuse;
}

LRESULT CALLBACK UiTaskQueue::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kRunTasks) {
    auto* queue = reinterpret_cast<UiTaskQueue*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (queue != nullptr) {
      try {
        queue->RunPending();
      } catch (...) {
        // Nothing may unwind through the system's window code.
      }
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace px
