#include "tests/win/Harness.h"

#include "framework/MessageLoop.h"

#include <commctrl.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "framework/BufferedPaint.h"
#include "framework/Handles.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "tools/WinePaths.h"

namespace px::test {

namespace {

std::string CurrentDirectory() {
  wchar_t buffer[MAX_PATH * 4] = {};
  GetCurrentDirectoryW(MAX_PATH * 4, buffer);
  return Narrow(buffer);
}

}  // namespace

std::string SourcePath(const std::string& relative) {
  std::string path = std::string(PX_SOURCE_DIR) + "/" + relative;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string PanelSettings(const std::string& left, const std::string& right) {
  return "[Left]\r\nPath=" + left + "\r\n[Right]\r\nPath=" + right + "\r\n";
}

const LanguageTable& EnglishTexts() {
  static const LanguageTable texts = [] {
    LanguageTable table;
    std::optional<std::string> bytes = ReadFileBytes(SourcePath("Language/English.lng"));
    if (bytes) table.Load(DecodeText(*bytes).utf8);
    return table;
  }();
  return texts;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  FileHandle file(CreateFileW(FileApiPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size();
}

std::string ReadBytes(const std::string& path) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  return bytes ? *bytes : std::string();
}

void RemoveTree(const std::string& path) {
  std::string folder = path;
  if (folder.empty()) return;
  if (folder.back() != '\\') folder += '\\';
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileW(FileApiPath(folder + "*").c_str(), &data));
  if (search) {
    do {
      std::string name = Narrow(data.cFileName);
      if (name == "." || name == "..") continue;
      std::string child = folder + name;
      SetFileAttributesW(FileApiPath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(FileApiPath(child).c_str());
    } while (FindNextFileW(search.Get(), &data));
  }
  search.Reset();
  RemoveDirectoryW(FileApiPath(folder).c_str());
}

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    std::string candidate = Narrow(base) + "pxtest-" + std::to_string(GetCurrentProcessId()) +
                            "-" + std::to_string(++counter);
    if (CreateDirectoryW(Widen(candidate).c_str(), nullptr)) {
      path_ = candidate + "\\";
      break;
    }
  }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::Make(const std::string& relative) {
  std::string path = path_ + relative;
  CreateDirectoryW(FileApiPath(path).c_str(), nullptr);
  return path + "\\";
}

std::string TempFolder::Write(const std::string& relative, const std::string& bytes) {
  std::string path = path_ + relative;
  WriteBytes(path, bytes);
  return path;
}

int IndexOf(const std::vector<std::string>& texts, const std::string& text) {
  auto it = std::find(texts.begin(), texts.end(), text);
  return it == texts.end() ? -1 : static_cast<int>(it - texts.begin());
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(FileApiPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RunShell(const std::string& folder, const std::string& script) {
  // A Unix program started from here runs on by itself (its handle tells
  // neither its end nor its exit code) and in a folder of its own choosing:
  // the script goes to the folder itself and leaves a mark when it ends.
  const std::string unixFolder = UnixPathOf(folder);
  if (unixFolder.empty()) return false;
  static int runs = 0;
  const std::string mark = folder + "..\\pxshell" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++runs);
  const std::string unixMark = unixFolder + "/../" + mark.substr(mark.rfind('\\') + 1);
  // The command line is split by the platform's rules: double quotes group,
  // so the script itself holds none.
  std::wstring command = Widen("sh -c \"cd '" + unixFolder + "' && { " + script + "; } && echo 0 > '" +
                               unixMark + "' || echo 1 > '" + unixMark + "'\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      Widen(folder).c_str(), &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string result;
  for (int i = 0; i < 500 && result.empty(); ++i) {
    Sleep(20);
    if (Exists(mark)) result = ReadBytes(mark);
  }
  DeleteFileW(FileApiPath(mark).c_str());
  return result.rfind("0", 0) == 0;
}

bool MakeSymbolicLink(const std::string& folder, const std::string& target,
                      const std::string& link) {
  if (!RunShell(folder, "ln -s " + target + " " + link)) return false;
  for (int i = 0; i < 50 && GetFileAttributesW(Widen(folder + link).c_str()) ==
                                INVALID_FILE_ATTRIBUTES; ++i) {
    Sleep(20);
  }
  return GetFileAttributesW(Widen(folder + link).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> NamesOnDisk(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(FileApiPath(folder + "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = Narrow(data.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void Pump(Dialog* dialog) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // As the program's loop does: each registered window filters its own
    // messages; a dialog the loop does not know filters everything it gets.
    const bool registered = dialog != nullptr && MessageLoop::HasWindow(dialog->Handle());
    if (dialog != nullptr && !registered && dialog->PreTranslateMessage(msg)) continue;
    if (MessageLoop::FilterMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

RunningWindow::RunningWindow(const char* settingsText,
                             const std::function<void(TempFolder&)>& prepare) {
  if (settingsText != nullptr) start_.Write("PX.ini", settingsText);
  // The shipped English texts, so that messages and captions read as they do for users.
  start_.Make("Language");
  start_.Write("Language\\English.lng", ReadBytes(SourcePath("Language/English.lng")));
  if (prepare) prepare(start_);
  previousDirectory_ = CurrentDirectory();
  SetCurrentDirectoryW(Widen(start_.Path()).c_str());
  window_ = std::make_unique<MainWindow>();
  EXPECT_TRUE(window_->Create(nullptr));
  Pump(window_.get());
}

RunningWindow::~RunningWindow() {
  window_.reset();
  Pump();
  SetCurrentDirectoryW(Widen(previousDirectory_).c_str());
}

RECT RunningWindow::ControlRect(int id) { return px::Window(Item(id)).RectInParent(); }

void RunningWindow::SetClientSize(int width, int height) {
  ShowWindow(Handle(), SW_RESTORE);
  Pump(window_.get());

  RECT frame, client;
  GetWindowRect(Handle(), &frame);
  GetClientRect(Handle(), &client);
  int extraX = (frame.right - frame.left) - client.right;
  int extraY = (frame.bottom - frame.top) - client.bottom;
  SetWindowPos(Handle(), nullptr, 0, 0, width + extraX, height + extraY,
               SWP_NOZORDER | SWP_NOACTIVATE);
  Pump(window_.get());
  GetClientRect(Handle(), &client);
  EXPECT_EQ(client.right, width);
  EXPECT_EQ(client.bottom, height);
}

std::vector<std::string> RunningWindow::RowTexts(int listId, int column) {
  ListView list(Item(listId));
  std::vector<std::string> texts;
  for (int row = 0; row < list.ItemCount(); ++row) texts.push_back(list.ItemText(row, column));
  return texts;
}

void RunningWindow::Close() {
  if (closed_) return;
  SendMessageW(Handle(), WM_CLOSE, 0, 0);
  Pump(window_.get());
  closed_ = true;
}

std::string RunningWindow::SettingsFileText() { return ReadBytes(start_.Path() + "PX.ini"); }

DialogResponder* DialogResponder::active_ = nullptr;

DialogResponder::DialogResponder(int controlId)
    : DialogResponder(std::vector<Answer>{Answer{controlId}}) {}

DialogResponder::DialogResponder(std::vector<Answer> answers) : answers_(std::move(answers)) {
  active_ = this;
  timer_ = SetTimer(nullptr, 0, 50, &DialogResponder::OnTimer);
}

DialogResponder::~DialogResponder() {
  KillTimer(nullptr, timer_);
  active_ = nullptr;
}

HWND FindShownDialog(HWND skip, int marker) {
  struct Search {
    HWND skip;
    int marker;
    HWND found = nullptr;
  } search{skip, marker};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        Search* search = reinterpret_cast<Search*>(lParam);
        wchar_t className[32] = {};
        GetClassNameW(hwnd, className, 32);
        if (hwnd != search->skip && wcscmp(className, L"#32770") == 0 && IsWindowVisible(hwnd) &&
            IsWindowEnabled(hwnd) && (search->marker == 0 || GetDlgItem(hwnd, search->marker) != nullptr)) {
          search->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CALLBACK DialogResponder::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  DialogResponder* self = active_;
  if (self == nullptr || self->Answered()) return;
  HWND found = FindShownDialog(self->lastAnswered_);
  if (found == nullptr) return;
  const Answer& answer = self->answers_[self->next_];
  HWND control = answer.controlId == 0 ? nullptr : GetDlgItem(found, answer.controlId);
  if (answer.controlId != 0 && control == nullptr) return;
  if (answer.ready && !answer.ready(found)) return;
  if (answer.textId != 0) {
    HWND field = GetDlgItem(found, answer.textId);
    if (field == nullptr) return;
    px::Window(field).SetText(answer.text);
  }
  if (answer.inspect) answer.inspect(found);
  // The message box's text is its static 0xFFFF.
  HWND text = GetDlgItem(found, 0xFFFF);
  if (text != nullptr) {
    self->seenText_ = px::Window(text).Text();
    self->seenCaption_ = px::Window(found).Text();
  }
  ++self->next_;
  self->lastAnswered_ = found;
  if (control != nullptr)
    PostMessageW(found, WM_COMMAND, MAKEWPARAM(answer.controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

std::vector<uint32_t> ClientPixels(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HDC screen = GetDC(window);
  MemoryCanvas canvas(screen, client.right, client.bottom);
  BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
  ReleaseDC(window, screen);
  GdiFlush();
  return std::vector<uint32_t>(canvas.Pixels(), canvas.Pixels() + client.right * client.bottom);
}

std::vector<std::string> SelectedNames(HWND list) {
  std::vector<std::string> names;
  ListView view(list);
  for (int row = view.NextItem(-1, LVNI_SELECTED); row >= 0; row = view.NextItem(row, LVNI_SELECTED))
    names.push_back(view.ItemText(row, 0));
  return names;
}

std::string FocusedName(HWND list) {
  int row = ListView(list).NextItem(-1, LVNI_FOCUSED);
  return row < 0 ? std::string() : ListView(list).ItemText(row, 0);
}

HWND MakeOwnerWindow(DWORD controlClasses, int width, int height) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), controlClasses};
  InitCommonControlsEx(&controls);
  return CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, width,
                         height, nullptr, nullptr, nullptr, nullptr);
}

void CloseOwnerWindow(HWND& owner) {
  if (owner != nullptr) DestroyWindow(owner);
  owner = nullptr;
  Pump();
}

}  // namespace px::test
