// The window that shows one job (a copy, move or delete, attributes given
// to a tree): the job runs on a thread of the job runner, the window draws
// its progress on a timer and answers its questions (through the job's
// broker) while the run waits.
// Cancel (or Esc) asks the run to stop at its next check; the window closes
// when its timer sees that the runner recorded the job's end (the message
// that reports the end only makes that sooner).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "core/fileops/Engine.h"
#include "core/jobs/JobRunner.h"
#include "fileops/OperationJob.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"

namespace px {

class ProgressDialog : public Dialog {
 public:
  // Takes the running job into the background; false when it could not.
  using ToBackground = std::function<bool(JobId running)>;

  // The job is started on runner when the window opens. With toBackground,
  // the window offers its Background button: the job goes on without the
  // window, which then closes with IDC_BACKGROUND.
  ProgressDialog(AppContext& context, JobRunner& runner, std::shared_ptr<ShownJob> job,
                 ToBackground toBackground = {});
  ~ProgressDialog() override;
  // Progress updates per second at most.
  static constexpr UINT kRefreshMilliseconds = 50;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override {}
  void OnCancel() override;

 private:
  friend struct ProgressRoutes;

  LRESULT OnTimer(Message& message);
  LRESULT OnBackground(Message& message);
  LRESULT OnCollect(Message& message);
  void Refresh();
  void ApplyLayout(ProgressLayout layout);
  void PlaceButtons();
  void Finish();

  AppContext& context_;
  JobRunner& runner_;
  std::shared_ptr<ShownJob> job_;
  ToBackground toBackground_;
  JobId id_ = 0;
  // The end's message holds only a weak reference: once the dialog is gone
  // it does nothing.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool layoutApplied_ = false;
  bool sentToBackground_ = false;
  ProgressSnapshot shown_;
};

}  // namespace px
