// The file viewer: a window beside the main one that shows one file of a
// panel at a time as text, as hex lines or as a picture. It never reads the
// whole file: what is on screen comes through a small page cache, finds,
// counts of lines and picture decodes run as jobs, and the window answers
// meanwhile. N and P go on to the panel's next and previous file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/viewer/ByteSearch.h"
#include "core/viewer/PagedFile.h"
#include "core/viewer/TextDecode.h"
#include "core/viewer/ViewerDocument.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "viewer/FileSource.h"
#include "viewer/PictureDecoder.h"

namespace px {

// The files a viewer may step through: a panel's files in its order.
struct ViewerFiles {
  std::vector<std::string> paths;
  size_t current = 0;
};

// What the find dialog asks for.
struct FindRequest {
  std::string text;
  bool hex = false;
  bool ignoreCase = false;
  bool backward = false;
};

// The bytes to look for: the text in the file's encoding, or the hex bytes
// typed; nothing when hex bytes are malformed or there is nothing to find.
std::optional<std::vector<uint8_t>> FindPattern(const FindRequest& request, ViewerEncoding encoding);

class ViewerWindow : public Dialog {
 public:
  ViewerWindow(AppContext& context, ViewerFiles files);
  ~ViewerWindow() override;

  // Shows the file at index of the list in this window; false when there is none.
  bool OpenAt(size_t index);
  // Searches from the selection (or the top of the screen) as a job.
  void StartFind(const FindRequest& request);
  void FindAgain(bool backward);
  // Goes to a line (from 1) as a job, or to a byte offset at once.
  void GoToLine(uint64_t line);
  void GoToOffset(uint64_t offset);
  void SetEncoding(ViewerEncoding encoding);
  void SetMode(ViewerMode mode);
  void ExecuteCommand(UINT id);
  // After the palette changed: the title bar, the page and a picture's
  // background.
  void ApplyColours();

  // What the window shows, for the tests and the benchmark.
  const std::string& Path() const { return path_; }
  ViewerMode Mode() const { return mode_; }
  bool ShowsPicture() const { return picture_; }
  const Picture& ShownPicture() const { return pictureBits_; }
  ViewerEncoding Encoding() const { return encoding_; }
  uint64_t Top() const { return top_; }
  uint64_t FileSize() const { return file_ ? file_->Size() : 0; }
  std::vector<std::string> ShownTexts() const;
  // The message of the status line, or the position when there is none.
  std::string StatusText() const;
  const std::string& MessageText() const { return message_; }
  // A find, a count of lines or a picture decode still running.
  bool Busy() const { return job_ != 0; }
  std::pair<uint64_t, uint64_t> Selection() const;
  void Select(uint64_t from, uint64_t to);
  HWND Pane() const { return pane_; }
  // Rows of text the pane holds.
  int Rows() const { return rows_; }
  // How much memory the page cache may hold.
  size_t CacheBytes() const { return file_ ? file_->PageSize() * file_->MaxPages() : 0; }

  static constexpr UINT kJobTimerMilliseconds = 100;
  // The most bytes of a selection Ctrl+C puts on the clipboard.
  static constexpr uint64_t kCopyLimit = 8ull << 20;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override {}
  void OnCancel() override;

 private:
  friend struct ViewerRoutes;

 public:
  // Work that runs as a job (a find, a count of lines, a picture decode).
  struct Task;

 private:

  LRESULT OnSize(Message& message);
  LRESULT OnTimer(Message& message);
  LRESULT OnCommandMessage(Message& message);
  LRESULT OnActivate(Message& message);
  LRESULT OnGetMinMax(Message& message);
  LRESULT OnClose(Message& message);
  // Closes the window, whatever runs.
  void Close();
  static LRESULT CALLBACK PaneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT PaneMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void BuildMenu();
  void ApplyTexts();
  void UpdateMenu();
  void Layout();
  void Measure();
  void PaintPane(HDC dc, const RECT& area);
  void PaintText(HDC dc, const RECT& area);
  void PaintPicture(HDC dc, const RECT& area);
  void OnKey(UINT key);
  void OnMouse(UINT msg, POINT point);
  void ScrollLines(long lines);
  void ScrollTo(uint64_t top);
  void ShowOffset(uint64_t offset);
  void OnVerticalScroll(WPARAM wParam);
  void OnHorizontalScroll(WPARAM wParam);
  void UpdateScrollBars();
  void Redraw();
  void SetMessage(std::string message);
  void UpdateStatus();
  void ApplyDecodeOptions();
  // The top that shows the file's last line on the pane's last row.
  uint64_t LastPageTop();
  uint64_t HitTest(POINT point) const;
  void CopySelection();
  void Reload();
  void CheckFile();
  void ReportReadFailure();
  void StartPicture();
  // A source of the job's own on the file shown; null (and said) when none can be had.
  std::unique_ptr<FileSource> SourceForJob();
  void StartTask(std::shared_ptr<Task> task);
  void StopTask();
  void FinishTask();
  void ShowFindDialog();
  void ShowGoToDialog();
  void SavePlacement();
  void RestorePlacement();

  AppContext& context_;
  ViewerFiles files_;
  std::string path_;
  std::unique_ptr<FileSource> source_;
  std::unique_ptr<PagedFile> file_;
  std::unique_ptr<ViewerDocument> document_;
  ViewerEncoding encoding_ = ViewerEncoding::kUtf8;
  uint64_t textStart_ = 0;
  ViewerMode mode_ = ViewerMode::kText;
  bool picture_ = false;
  bool wrap_ = false;
  bool follow_ = false;
  bool actualSize_ = false;
  CodePageTable ansi_{};
  CodePageTable oem_{};

  uint64_t top_ = 0;
  uint64_t lastPageTop_ = 0;
  int lastPageRows_ = 0;
  bool lastPageKnown_ = false;
  int leftColumn_ = 0;
  int widestColumns_ = 0;
  std::vector<DisplayLine> shown_;
  uint64_t anchor_ = 0;
  uint64_t caret_ = 0;
  bool dragging_ = false;
  std::string message_;

  FindRequest lastFind_;
  bool haveFind_ = false;

  std::shared_ptr<Task> task_;
  uint64_t job_ = 0;
  // Lives as long as the window: a job's end that comes later finds it gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  Picture pictureBits_;
  SIZE pictureRequested_{};
  int pictureScrollX_ = 0;
  int pictureScrollY_ = 0;

  HWND pane_ = nullptr;
  HWND status_ = nullptr;
  std::string statusParts_[3];
  SCROLLINFO shownVertical_{};
  SCROLLINFO shownHorizontal_{};
  Menu menu_;
  Accelerators accelerators_;
  Font font_;
  int charWidth_ = 8;
  int lineHeight_ = 16;
  int rows_ = 1;
  int columns_ = 1;
  SIZE minimum_{};
};

}  // namespace px
