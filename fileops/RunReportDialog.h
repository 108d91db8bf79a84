// The report of a run: its lines (as ReportLines gives them, each one line)
// in a read-only text box, to be read and saved as a text file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"

namespace px {

// Writes the lines as UTF-8 with a byte order mark and CR LF line ends. The
// text goes into a new file beside the target, which replaces the target only
// once it is complete: a failed save leaves the old file, or none, never a
// part of the report. A read-only file is not written over. False when the
// report could not be written.
bool SaveReport(const std::string& path, const std::vector<std::string>& lines);

class RunReportDialog : public Dialog {
 public:
  RunReportDialog(const LanguageTable& texts, std::string jobName, std::vector<std::string> lines);

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnCancel() override { EndDialog(IDOK); }

 private:
  friend struct RunReportRoutes;
  LRESULT OnSave(Message& message);
  LRESULT OnSize(Message& message);
  LRESULT OnGetMinMaxInfo(Message& message);

  const LanguageTable& texts_;
  std::string jobName_;
  std::vector<std::string> lines_;
  // Taken from the template when the dialog opens: the text box keeps these
  // margins, the buttons their distance from the lower edge and the corners.
  SIZE minimumSize_{};
  RECT textMargins_{};  // left, top, and right and bottom as distances from the edges
  int saveLeft_ = 0;
  int closeFromRight_ = 0;
  int buttonsFromBottom_ = 0;
};

}  // namespace px
