// Test helpers: temporary folders, files, a running main window, and a
// responder that answers modal dialogs and message boxes by control id.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/MainWindow.h"

namespace px::test {

// A folder below the temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& Path() const { return path_; }  // ends with a backslash
  std::string Make(const std::string& relative);     // a subfolder; returns its path
  std::string Write(const std::string& relative, const std::string& bytes);

 private:
  std::string path_;
};

bool WriteBytes(const std::string& path, const std::string& bytes);
// Whether an entry of that exact name exists (file or folder).
bool Exists(const std::string& path);
// Runs a Unix shell script in folder and waits for it; false where that
// cannot run or the script fails. What the file system holds beside the
// platform's rules is made this way: names ending in a dot or a blank,
// holding a backslash or bytes that are no text, links.
bool RunShell(const std::string& folder, const std::string& script);
// A Unix symbolic link named link in folder, pointing at target, made by the
// system's own tool (the platform's link function creates nothing under
// Wine); false where that cannot run.
bool MakeSymbolicLink(const std::string& folder, const std::string& target,
                      const std::string& link);
// The names in folder (ending with a backslash) as spelled on disk, sorted
// byte-wise, without "." and "..".
std::vector<std::string> NamesOnDisk(const std::string& folder);
// A file of the source tree as the program sees it (a Unix path lives on drive Z).
std::string SourcePath(const std::string& relative);
// The shipped English texts, read once.
const LanguageTable& EnglishTexts();
std::string ReadBytes(const std::string& path);
void RemoveTree(const std::string& path);

// The start of a settings file that opens the panels on these folders.
std::string PanelSettings(const std::string& left, const std::string& right);

// Position of text in texts, -1 when it is not there.
int IndexOf(const std::vector<std::string>& texts, const std::string& text);

// Dispatches pending messages through the window's keyboard filter.
void Pump(Dialog* dialog = nullptr);

// Pumps the window's messages until done holds; false when it did not
// within the time.
template <typename Done>
bool PumpUntil(Dialog& window, Done done, int milliseconds = 15000) {
  for (int waited = 0; waited < milliseconds; waited += 5) {
    Pump(&window);
    if (done()) return true;
    Sleep(5);
  }
  Pump(&window);
  return done();
}

// The client area of a window as it stands on the screen, pixel by pixel.
std::vector<uint32_t> ClientPixels(HWND window);

// The names of a list's selected rows, and of its cursor row (empty for none).
std::vector<std::string> SelectedNames(HWND list);
std::string FocusedName(HWND list);

// A visible window to own the dialogs under test, with these common control
// classes registered; null when it could not be made. Closed again (and the
// messages of closing dispatched) by CloseOwnerWindow.
HWND MakeOwnerWindow(DWORD controlClasses, int width = 640, int height = 420);
void CloseOwnerWindow(HWND& owner);

// The main window, started in a folder of its own (its start directory).
class RunningWindow {
 public:
  // settingsText is written as PX.ini first, unless it is null.
  explicit RunningWindow(const char* settingsText = nullptr,
                         const std::function<void(TempFolder&)>& prepare = nullptr);
  ~RunningWindow();

  MainWindow& Window() { return *window_; }
  HWND Handle() { return window_->Handle(); }
  HWND Item(int id) { return window_->Item(id); }
  const std::string& StartDirectory() const { return start_.Path(); }
  TempFolder& Start() { return start_; }
  // Client-relative rectangle of a control.
  RECT ControlRect(int id);
  // Restores the window and gives it a client area of width by height.
  void SetClientSize(int width, int height);
  // Shown texts of a list's rows, column by column.
  std::vector<std::string> RowTexts(int listId, int column);
  // Closes the window as the close box does; the settings are written.
  void Close();
  std::string SettingsFileText();

 private:
  TempFolder start_;
  std::string previousDirectory_;
  std::unique_ptr<MainWindow> window_;
  bool closed_ = false;
};

// A visible, enabled dialog or message box of this thread other than skip,
// holding a control `marker` when that is not 0; null when there is none.
HWND FindShownDialog(HWND skip, int marker = 0);

// Clicks `controlId` of the next dialog or message box that appears while it
// is alive (checked from a timer, so it also works inside a modal loop).
// Given several answers, it gives them in turn, each to the next dialog or
// message box that appears (never twice in a row to the same window), e.g. a
// dialog, then the message box it shows, then the dialog again.
class DialogResponder {
 public:
  struct Answer {
    Answer(int clicked, int field = 0, std::string fieldText = {})
        : controlId(clicked), textId(field), text(std::move(fieldText)) {}
    Answer(int clicked, std::function<void(HWND dialog)> look,
           std::function<bool(HWND dialog)> when = nullptr)
        : controlId(clicked), textId(0), inspect(std::move(look)), ready(std::move(when)) {}
    int controlId;  // clicked; 0 clicks nothing (inspect acts instead)
    int textId;     // when not 0, this control's text is set to text first
    std::string text;
    std::function<void(HWND dialog)> inspect;  // sees the dialog before the click
    std::function<bool(HWND dialog)> ready;    // the answer waits until this holds
  };

  explicit DialogResponder(int controlId);
  explicit DialogResponder(std::vector<Answer> answers);
  ~DialogResponder();
  // Every answer was given.
  bool Answered() const { return next_ >= answers_.size(); }
  size_t AnswerCount() const { return next_; }
  // Text and caption of the last message box answered.
  const std::string& SeenText() const { return seenText_; }
  const std::string& SeenCaption() const { return seenCaption_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  static DialogResponder* active_;
  UINT_PTR timer_ = 0;
  std::vector<Answer> answers_;
  size_t next_ = 0;
  HWND lastAnswered_ = nullptr;
  std::string seenText_;
  std::string seenCaption_;
};

}  // namespace px::test
