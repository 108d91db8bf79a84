// The one way work reaches the user-interface thread: any thread posts a task,
// the UI thread runs it from its message loop (modal loops included), in the
// order posted. Nothing else may call into windows from another thread.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

namespace px {

class UiTaskQueue {
 public:
  using Task = std::function<void()>;

  // Creates the queue's message-only window on the calling thread, which is
  // the thread the tasks run on.
  UiTaskQueue();
  ~UiTaskQueue();
  UiTaskQueue(const UiTaskQueue&) = delete;
  UiTaskQueue& operator=(const UiTaskQueue&) = delete;

  // Safe from any thread. False when the queue is gone or the system refused
  // to wake the UI thread (the task is then dropped, never run later).
  [[nodiscard]] bool Post(Task task);
  // Runs every task queued so far; the window procedure calls it.
  void RunPending();
  // While set, every Post fails as when the system refuses to wake the
  // thread: what must not rest on one post is tested with it.
  void RefuseForTests(bool refuse);
  bool OnUiThread() const { return GetCurrentThreadId() == threadId_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  DWORD threadId_ = 0;
  std::mutex mutex_;
  std::deque<Task> tasks_;
  bool wakePosted_ = false;
  bool refusing_ = false;
};

}  // namespace px
