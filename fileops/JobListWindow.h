// The list of background jobs, a window beside the main one: each job's kind,
// source and target, state, what is done of all, speed and time left, read
// from the jobs on a timer; buttons act on the selected job. A job that
// waits for an answer is put to the user from here (Answer).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "fileops/BackgroundJobs.h"
#include "framework/Dialog.h"

namespace px {

class JobListWindow : public Dialog {
 public:
  JobListWindow(const LanguageTable& texts, BackgroundJobs& jobs);
  ~JobListWindow() override;

  // Selects the job's row (a job that waits for an answer is shown so).
  void Select(uint64_t key);
  // Draws the rows now (the timer does it a few times a second).
  void Refresh();
  // The job of the selected row; 0 for none.
  uint64_t SelectedKey() const;
  // What a row shows, column by column (for the tests).
  std::vector<std::string> RowTexts(int row) const;
  int RowCount() const;

  static constexpr UINT kRefreshMilliseconds = 250;
  static constexpr int kColumns = 6;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override {}
  void OnCancel() override { EndDialog(IDCANCEL); }

 private:
  friend struct JobListRoutes;

  LRESULT OnTimer(Message& message);
  LRESULT OnSize(Message& message);
  LRESULT OnGetMinMax(Message& message);
  LRESULT OnButton(Message& message);
  LRESULT OnCollect(Message& message);
  LRESULT OnDoubleClick(Message& message);
  LRESULT OnSelectionChanged(Message& message, NMLISTVIEW& change);
  // The row of the selected job as last drawn; null for none.
  const BackgroundRow* SelectedRow() const;
  void UpdateButtons();
  void ShowReport(uint64_t key);
  std::vector<std::string> Texts(const BackgroundRow& row) const;
  void Layout();

  const LanguageTable& texts_;
  BackgroundJobs& jobs_;
  std::vector<BackgroundRow> rows_;  // as shown, in the list's order
  std::vector<std::vector<std::string>> shown_;
  SIZE minimum_{};
};

}  // namespace px
