// The window one copy, move or delete run works in: the engine runs on a
// worker thread, the window shows its progress on a timer and asks the run's
// questions on the UI thread while the worker waits. Cancel (or Esc) asks the
// run to stop at its next check; the window closes when the run has ended.
#pragma once

#include <windows.h>

#include <memory>
#include <thread>

#include "core/fileops/Engine.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"

namespace px {

class ProgressDialog : public Dialog {
 public:
  // fs must outlive the dialog; it is used on the worker thread only.
  ProgressDialog(AppContext& context, FileSystem& fs, RunRequest request);
  ~ProgressDialog() override;

  // Valid after the dialog closed.
  const RunResult& Result() const { return result_; }
  // Progress updates per second at most.
  static constexpr UINT kRefreshMilliseconds = 50;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override {}
  void OnCancel() override;

 private:
  friend struct ProgressRoutes;
  class WindowPrompts;

  LRESULT OnTimer(Message& message);
  void Refresh();
  void ApplyLayout(ProgressLayout layout);
  void Finish();

  AppContext& context_;
  RunRequest request_;
  std::shared_ptr<WindowPrompts> prompts_;
  std::unique_ptr<FileOperationEngine> engine_;
  std::thread worker_;
  RunResult result_;
  RunResult workerResult_;
  // Tasks posted by the worker hold only a weak reference: once the dialog is
  // gone they do nothing.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool layoutApplied_ = false;
  ProgressSnapshot shown_;
};

}  // namespace px
