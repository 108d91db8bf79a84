// The file viewer (see the header).
#include "viewer/ViewerWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "core/jobs/JobRunner.h"
#include "core/language/TextFormat.h"
#include "core/panel/EntryText.h"
#include "core/text/Utf.h"
#include "core/viewer/HexLines.h"
#include "framework/BufferedPaint.h"
#include "framework/Controls.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "viewer/ViewerDialogs.h"

namespace px {

namespace {

constexpr UINT_PTR kJobTimer = 1;
constexpr UINT_PTR kFollowTimer = 2;
constexpr UINT_PTR kPictureTimer = 3;
constexpr UINT kFollowMilliseconds = 500;
constexpr UINT kPictureSettleMilliseconds = 200;
constexpr int kScrollRange = 1 << 16;
constexpr int kMargin = 4;
constexpr wchar_t kPaneClass[] = L"PxViewerPane";
constexpr char kSection[] = "Viewer";
// The find job's cache: large pages, few of them.
constexpr size_t kFindPageSize = 1 << 20;
constexpr size_t kFindPages = 4;
constexpr size_t kFindStep = 4 << 20;

std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) text = Narrow(std::wstring_view(buffer, length));
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty()) text = "error " + std::to_string(error);
  return text;
}

CodePageTable TableOf(UINT codePage) {
  CodePageTable table{};
  for (int byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    wchar_t out = 0;
    table[byte] = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &in, 1, &out, 1) == 1 ? out : 0xFFFD;
  }
  return table;
}

const char* EncodingName(ViewerEncoding encoding) {
  switch (encoding) {
    case ViewerEncoding::kUtf8: return "UTF-8";
    case ViewerEncoding::kUtf16Le: return "UTF-16 LE";
    case ViewerEncoding::kUtf16Be: return "UTF-16 BE";
    case ViewerEncoding::kAnsi: return "ANSI";
    case ViewerEncoding::kOem: return "OEM";
  }
  return "";
}

UINT EncodingCommand(ViewerEncoding encoding) {
  switch (encoding) {
    case ViewerEncoding::kUtf8: return ID_VIEWER_UTF8;
    case ViewerEncoding::kUtf16Le: return ID_VIEWER_UTF16LE;
    case ViewerEncoding::kUtf16Be: return ID_VIEWER_UTF16BE;
    case ViewerEncoding::kAnsi: return ID_VIEWER_ANSI;
    case ViewerEncoding::kOem: return ID_VIEWER_OEM;
  }
  return ID_VIEWER_UTF8;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The column where byte i (0..15) of a hex line begins, in its hex part and
// in its characters (see HexLine).
int HexColumn(int digits, int i) { return digits + 2 + 3 * i + (i >= 8 ? 1 : 0); }
int CharColumn(int digits, int i) { return digits + 2 + 3 * 16 + 1 + i; }

// UTF-16 of a display line, with where each of its columns begins in it.
std::wstring WideColumns(const std::string& text, std::vector<int>& unitOfColumn) {
  std::wstring wide;
  unitOfColumn.clear();
  for (size_t pos = 0; pos < text.size();) {
    const char32_t code = DecodeUtf8(text, pos);
    unitOfColumn.push_back(static_cast<int>(wide.size()));
    if (code >= 0x10000) {
      wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(code);
    }
  }
  unitOfColumn.push_back(static_cast<int>(wide.size()));
  return wide;
}

}  // namespace

std::optional<std::vector<uint8_t>> FindPattern(const FindRequest& request, ViewerEncoding encoding) {
  if (request.hex) return ParseHexBytes(request.text);
  if (request.text.empty()) return std::nullopt;
  std::vector<uint8_t> bytes;
  switch (encoding) {
    case ViewerEncoding::kUtf8:
      bytes.assign(request.text.begin(), request.text.end());
      break;
    case ViewerEncoding::kUtf16Le:
    case ViewerEncoding::kUtf16Be:
      for (char16_t unit : Utf8ToUtf16(request.text)) {
        const uint8_t high = static_cast<uint8_t>(unit >> 8), low = static_cast<uint8_t>(unit & 0xFF);
        bytes.push_back(encoding == ViewerEncoding::kUtf16Be ? high : low);
        bytes.push_back(encoding == ViewerEncoding::kUtf16Be ? low : high);
      }
      break;
    case ViewerEncoding::kAnsi:
    case ViewerEncoding::kOem: {
      const std::wstring wide = Widen(request.text);
      const UINT codePage = encoding == ViewerEncoding::kAnsi ? CP_ACP : CP_OEMCP;
      const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                             nullptr, nullptr);
      std::string narrow(static_cast<size_t>(std::max(length, 0)), '\0');
      WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), length, nullptr,
                          nullptr);
      bytes.assign(narrow.begin(), narrow.end());
      break;
    }
  }
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

// Work of the viewer that runs as a job: a find, a count of lines or a
// picture decode. The job fills it; the window reads it once the runner
// says the job ended.
struct ViewerWindow::Task {
  enum class Kind { kFind, kSeek, kPicture } kind = Kind::kFind;
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> reached{0};
  uint64_t from = 0;
  uint64_t size = 0;
  // The find's file: a handle of its own on the file shown.
  std::unique_ptr<FileSource> source;
  std::vector<uint8_t> pattern;
  SearchOptions options;
  std::string shownText;  // what was looked for, as the user typed it
  ViewerEncoding encoding = ViewerEncoding::kUtf8;
  uint64_t textStart = 0;
  uint64_t line = 0;
  std::string path;
  SIZE fit{};
  uint32_t background = 0xFFFFFF;
  SearchResult found;
  LineSeekResult seek;
  Picture picture;
};

namespace {

class ViewerJob : public Job {
 public:
  using Work = void (*)(ViewerWindow::Task&);
  ViewerJob(std::shared_ptr<ViewerWindow::Task> task, Work work) : task_(std::move(task)), work_(work) {}
  JobState Run() override {
    work_(*task_);
    return task_->stop.load() ? JobState::kCancelled : JobState::kDone;
  }
  void Cancel() override { task_->stop = true; }

 private:
  std::shared_ptr<ViewerWindow::Task> task_;
  Work work_;
};

}  // namespace

struct ViewerRoutes {
  static const Route<ViewerWindow> kRoutes[];
};
const Route<ViewerWindow> ViewerRoutes::kRoutes[] = {
    {OnMessage(WM_SIZE), &ViewerWindow::OnSize},
    {OnMessage(WM_TIMER), &ViewerWindow::OnTimer},
    {OnMessage(WM_ACTIVATE), &ViewerWindow::OnActivate},
    {OnMessage(WM_GETMINMAXINFO), &ViewerWindow::OnGetMinMax},
    {OnMessage(WM_CLOSE), &ViewerWindow::OnClose},
    {OnCommandRange(ID_VIEWER_FIRST, ID_VIEWER_LAST), &ViewerWindow::OnCommandMessage},
};

ViewerWindow::ViewerWindow(AppContext& context, ViewerFiles files)
    : Dialog(IDD_VIEWER), context_(context), files_(std::move(files)) {
  ansi_ = TableOf(CP_ACP);
  oem_ = TableOf(CP_OEMCP);
}

ViewerWindow::~ViewerWindow() {
  StopTask();
  if (Handle() != nullptr) {
    Palette::DetachFrom(Handle());
    KillTimer(Handle(), kJobTimer);
    KillTimer(Handle(), kFollowTimer);
    KillTimer(Handle(), kPictureTimer);
  }
}

bool ViewerWindow::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(ViewerRoutes::kRoutes, message, result);
}

BOOL ViewerWindow::OnInitDialog() {
  static const bool registered = [] {
    WNDCLASSEXW pane{};
    pane.cbSize = sizeof(pane);
    pane.style = CS_DBLCLKS;
    pane.lpfnWndProc = &ViewerWindow::PaneProc;
    pane.hInstance = GetModuleHandleW(nullptr);
    pane.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    pane.lpszClassName = kPaneClass;
    return RegisterClassExW(&pane) != 0;
  }();
  (void)registered;
  pane_ = CreateWindowExW(WS_EX_CLIENTEDGE, kPaneClass, L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 0, 0, 10, 10, Handle(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_VIEWER_PANE)), GetModuleHandleW(nullptr),
                          nullptr);
  SetWindowLongPtrW(pane_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // The viewer has no owner: its own dialogs find the colours through it.
  if (context_.palette != nullptr) context_.palette->AttachTo(Handle());
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_VIEWER_STATUS)),
                            GetModuleHandleW(nullptr), nullptr);
  font_.Reset(CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New"));
  Measure();
  BuildMenu();
  const ACCEL keys[] = {
      {FVIRTKEY, VK_ESCAPE, ID_VIEWER_CLOSE},
      {FVIRTKEY, VK_F3, ID_VIEWER_CLOSE},
      {FVIRTKEY, 'R', ID_VIEWER_RELOAD},
      {FVIRTKEY, 'N', ID_VIEWER_NEXT},
      {FVIRTKEY, 'P', ID_VIEWER_PREVIOUS},
      {FVIRTKEY, 'H', ID_VIEWER_HEX},
      {FVIRTKEY, 'W', ID_VIEWER_WRAP},
      {FVIRTKEY, 'F', ID_VIEWER_FOLLOW},
      {FVIRTKEY, 'Z', ID_VIEWER_ACTUAL_SIZE},
      {FVIRTKEY | FCONTROL, 'C', ID_VIEWER_COPY},
      {FVIRTKEY | FCONTROL, VK_INSERT, ID_VIEWER_COPY},
      {FVIRTKEY | FCONTROL, 'A', ID_VIEWER_SELECT_ALL},
      {FVIRTKEY | FCONTROL, 'F', ID_VIEWER_FIND},
      {FVIRTKEY, VK_F7, ID_VIEWER_FIND},
      {FVIRTKEY | FSHIFT, VK_F7, ID_VIEWER_FIND_NEXT},
      {FVIRTKEY | FALT, VK_F7, ID_VIEWER_FIND_PREVIOUS},
      {FVIRTKEY | FCONTROL, 'G', ID_VIEWER_GOTO},
  };
  accelerators_.Reset(CreateAcceleratorTableW(const_cast<ACCEL*>(keys), static_cast<int>(std::size(keys))));
  SetAccelerators(accelerators_.Get());
  RECT frame;
  GetWindowRect(Handle(), &frame);
  minimum_ = {(frame.right - frame.left) / 2, (frame.bottom - frame.top) / 2};
  RestorePlacement();
  Layout();
  OpenAt(files_.current);
  SetFocus(pane_);
  return FALSE;
}

void ViewerWindow::Measure() {
  HDC dc = GetDC(pane_);
  HGDIOBJ old = SelectObject(dc, font_ ? font_.Get() : GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SIZE extent{};
  GetTextExtentPoint32W(dc, L"0000000000", 10, &extent);
  SelectObject(dc, old);
  ReleaseDC(pane_, dc);
  charWidth_ = std::max(1, static_cast<int>(extent.cx / 10));
  lineHeight_ = std::max(1, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
}

void ViewerWindow::BuildMenu() {
  const LanguageTable& texts = context_.Texts();
  auto item = [&texts](HMENU menu, UINT id, TextId text) {
    AppendMenuW(menu, MF_STRING, id, Widen(texts.Text(text)).c_str());
  };
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  item(file, ID_VIEWER_RELOAD, text::kViewerReload);
  item(file, ID_VIEWER_NEXT, text::kViewerNextFile);
  item(file, ID_VIEWER_PREVIOUS, text::kViewerPreviousFile);
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  item(file, ID_VIEWER_COPY, text::kViewerCopy);
  item(file, ID_VIEWER_SELECT_ALL, text::kViewerSelectAll);
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  item(file, ID_VIEWER_CLOSE, text::kViewerClose);
  HMENU view = CreatePopupMenu();
  item(view, ID_VIEWER_HEX, text::kViewerHex);
  item(view, ID_VIEWER_WRAP, text::kViewerWrap);
  item(view, ID_VIEWER_FOLLOW, text::kViewerFollow);
  item(view, ID_VIEWER_ACTUAL_SIZE, text::kViewerActualSize);
  HMENU encoding = CreatePopupMenu();
  AppendMenuW(encoding, MF_STRING, ID_VIEWER_UTF8, L"&UTF-8");
  AppendMenuW(encoding, MF_STRING, ID_VIEWER_UTF16LE, L"UTF-16 &LE");
  AppendMenuW(encoding, MF_STRING, ID_VIEWER_UTF16BE, L"UTF-16 &BE");
  item(encoding, ID_VIEWER_ANSI, text::kViewerAnsi);
  item(encoding, ID_VIEWER_OEM, text::kViewerOem);
  HMENU search = CreatePopupMenu();
  item(search, ID_VIEWER_FIND, text::kViewerFind);
  item(search, ID_VIEWER_FIND_NEXT, text::kViewerFindNext);
  item(search, ID_VIEWER_FIND_PREVIOUS, text::kViewerFindPrevious);
  AppendMenuW(search, MF_SEPARATOR, 0, nullptr);
  item(search, ID_VIEWER_GOTO, text::kViewerGoTo);
  const std::pair<HMENU, TextId> dropDowns[] = {{file, text::kViewerMenuFile},
                                                {view, text::kViewerMenuView},
                                                {encoding, text::kViewerMenuEncoding},
                                                {search, text::kViewerMenuSearch}};
  for (const auto& [menu, title] : dropDowns)
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), Widen(texts.Text(title)).c_str());
  menu_.Reset(bar);
  SetMenu(Handle(), bar);
}

void ViewerWindow::UpdateMenu() {
  HMENU bar = menu_.Get();
  if (bar == nullptr) return;
  const bool text = !picture_ && mode_ == ViewerMode::kText;
  auto enable = [bar](UINT id, bool on) { EnableMenuItem(bar, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
  auto check = [bar](UINT id, bool on) { CheckMenuItem(bar, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
  check(ID_VIEWER_HEX, !picture_ && mode_ == ViewerMode::kHex);
  check(ID_VIEWER_WRAP, wrap_);
  check(ID_VIEWER_FOLLOW, follow_);
  check(ID_VIEWER_ACTUAL_SIZE, actualSize_);
  enable(ID_VIEWER_WRAP, text);
  enable(ID_VIEWER_ACTUAL_SIZE, picture_);
  for (UINT id : {ID_VIEWER_FIND, ID_VIEWER_FIND_NEXT, ID_VIEWER_FIND_PREVIOUS, ID_VIEWER_GOTO, ID_VIEWER_COPY,
                  ID_VIEWER_SELECT_ALL, ID_VIEWER_FOLLOW})
    enable(id, !picture_ && file_ != nullptr);
  CheckMenuRadioItem(bar, ID_VIEWER_UTF8, ID_VIEWER_OEM, EncodingCommand(encoding_), MF_BYCOMMAND);
}

void ViewerWindow::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  SendMessageW(status_, WM_SIZE, 0, 0);
  RECT bar{};
  GetWindowRect(status_, &bar);
  const int statusHeight = bar.bottom - bar.top;
  const int parts[] = {std::max(10, static_cast<int>(client.right) - 220), std::max(20, static_cast<int>(client.right) - 110), -1};
  SendMessageW(status_, SB_SETPARTS, std::size(parts), reinterpret_cast<LPARAM>(parts));
  MoveWindow(pane_, 0, 0, client.right, std::max(0, static_cast<int>(client.bottom) - statusHeight), TRUE);
  RECT pane;
  GetClientRect(pane_, &pane);
  rows_ = std::max(1, static_cast<int>(pane.bottom) / lineHeight_);
  columns_ = std::max(8, static_cast<int>(pane.right - 2 * kMargin) / charWidth_);
  ApplyDecodeOptions();
  if (picture_ && !actualSize_) SetTimer(Handle(), kPictureTimer, kPictureSettleMilliseconds, nullptr);
  Redraw();
}

void ViewerWindow::ApplyDecodeOptions() {
  if (!document_) return;
  DecodeOptions options;
  options.encoding = encoding_;
  options.codePage = encoding_ == ViewerEncoding::kAnsi ? &ansi_ : encoding_ == ViewerEncoding::kOem ? &oem_ : nullptr;
  options.wrapWidth = wrap_ ? columns_ : 0;
  options.columnOffsets = true;
  const bool changed = document_->Options().wrapWidth != options.wrapWidth ||
                       document_->Options().encoding != options.encoding;
  document_->SetText(options, textStart_);
  document_->SetMode(mode_);
  lastPageKnown_ = false;
  if (changed) top_ = document_->LineAt(top_);
}

uint64_t ViewerWindow::LastPageTop() {
  // Asked on every step down and every drag of the thumb: found once for
  // the file's size, the lines' layout and the pane's rows.
  if (!lastPageKnown_ || lastPageRows_ != rows_) {
    lastPageTop_ = document_->LastPageTop(static_cast<size_t>(rows_));
    lastPageRows_ = rows_;
    lastPageKnown_ = true;
  }
  return lastPageTop_;
}

LRESULT ViewerWindow::OnSize(Message& message) {
  if (message.wParam != SIZE_MINIMIZED) Layout();
  return 0;
}

LRESULT ViewerWindow::OnGetMinMax(Message& message) {
  auto* info = reinterpret_cast<MINMAXINFO*>(message.lParam);
  info->ptMinTrackSize = {minimum_.cx, minimum_.cy};
  return 0;
}

LRESULT ViewerWindow::OnActivate(Message& message) {
  if (LOWORD(message.wParam) != WA_INACTIVE && pane_ != nullptr) SetFocus(pane_);
  message.handled = false;
  return 0;
}

bool ViewerWindow::OpenAt(size_t index) {
  if (index >= files_.paths.size()) return false;
  StopTask();
  files_.current = index;
  path_ = files_.paths[index];
  document_.reset();
  file_.reset();
  source_.reset();
  shown_.clear();
  pictureBits_ = Picture{};
  picture_ = false;
  top_ = textStart_ = 0;
  anchor_ = caret_ = 0;
  leftColumn_ = widestColumns_ = 0;
  pictureScrollX_ = pictureScrollY_ = 0;
  message_.clear();
  if (Window(Handle()).Text() != FileNameOf(path_)) Window(Handle()).SetText(FileNameOf(path_));

  DWORD error = 0;
  source_ = FileSource::Open(path_, error);
  if (!source_) {
    SetMessage(FormatText(context_.Texts().Text(text::kViewerCannotOpen), {FileNameOf(path_), SystemErrorText(error)}));
    UpdateMenu();
    Redraw();
    return true;
  }
  file_ = std::make_unique<PagedFile>(*source_);
  document_ = std::make_unique<ViewerDocument>(*file_);
  uint8_t head[4096];
  const ReadResult read = file_->CopyOut(0, head, sizeof(head));
  const DetectedEncoding detected = DetectEncoding(head, read.bytes, read.bytes == file_->Size());
  encoding_ = detected.encoding;
  textStart_ = detected.bomLength;
  top_ = textStart_;
  mode_ = LooksBinary(head, read.bytes) ? ViewerMode::kHex : ViewerMode::kText;
  ApplyDecodeOptions();
  if (read.failed) ReportReadFailure();
  else if (file_->Size() == 0) SetMessage(context_.Texts().Text(text::kViewerEmpty));
  if (IsPictureName(path_) && file_->Size() > 0 && !read.failed) {
    picture_ = true;
    StartPicture();
  }
  if (follow_) SetTimer(Handle(), kFollowTimer, kFollowMilliseconds, nullptr);
  UpdateMenu();
  Redraw();
  return true;
}

void ViewerWindow::SetMode(ViewerMode mode) {
  if (!document_) return;
  const uint64_t position = top_;
  mode_ = mode;
  picture_ = false;
  pictureBits_ = Picture{};
  StopTask();
  ApplyDecodeOptions();
  top_ = document_->LineAt(std::max(position, document_->TextStart()));
  UpdateMenu();
  Redraw();
}

void ViewerWindow::SetEncoding(ViewerEncoding encoding) {
  if (!document_) return;
  encoding_ = encoding;
  // A byte order mark is skipped only in the encoding it marks.
  const DetectedEncoding mark = [this] {
    uint8_t head[4] = {};
    const ReadResult read = file_->CopyOut(0, head, sizeof(head));
    return DetectEncoding(head, read.bytes);
  }();
  textStart_ = mark.bomLength > 0 && mark.encoding == encoding ? mark.bomLength : 0;
  if (picture_) SetMode(ViewerMode::kText);
  ApplyDecodeOptions();
  top_ = document_->LineAt(std::max(top_, document_->TextStart()));
  UpdateMenu();
  Redraw();
}

void ViewerWindow::ExecuteCommand(UINT id) {
  switch (id) {
    case ID_VIEWER_CLOSE:
      OnCancel();
      return;
    case ID_VIEWER_RELOAD: Reload(); return;
    case ID_VIEWER_NEXT:
    case ID_VIEWER_PREVIOUS: {
      const bool next = id == ID_VIEWER_NEXT;
      if (next ? files_.current + 1 >= files_.paths.size() : files_.current == 0) {
        SetMessage(context_.Texts().Text(text::kViewerNoMoreFiles));
        MessageBeep(MB_OK);
        return;
      }
      OpenAt(next ? files_.current + 1 : files_.current - 1);
      return;
    }
    case ID_VIEWER_COPY: CopySelection(); return;
    case ID_VIEWER_SELECT_ALL:
      if (document_ && !picture_) Select(document_->TextStart(), document_->Size());
      return;
    case ID_VIEWER_HEX:
      if (!document_) return;
      SetMode(!picture_ && mode_ == ViewerMode::kHex ? ViewerMode::kText : ViewerMode::kHex);
      return;
    case ID_VIEWER_WRAP:
      if (picture_ || mode_ != ViewerMode::kText) return;
      wrap_ = !wrap_;
      leftColumn_ = 0;
      ApplyDecodeOptions();
      UpdateMenu();
      Redraw();
      return;
    case ID_VIEWER_FOLLOW:
      if (picture_) return;
      follow_ = !follow_;
      if (follow_) {
        SetTimer(Handle(), kFollowTimer, kFollowMilliseconds, nullptr);
        SetMessage(context_.Texts().Text(text::kViewerFollowing));
        CheckFile();
        if (document_) ScrollTo(LastPageTop());
      } else {
        KillTimer(Handle(), kFollowTimer);
        SetMessage({});
      }
      UpdateMenu();
      return;
    case ID_VIEWER_ACTUAL_SIZE:
      if (!picture_) return;
      actualSize_ = !actualSize_;
      pictureScrollX_ = pictureScrollY_ = 0;
      StartPicture();
      UpdateMenu();
      return;
    case ID_VIEWER_UTF8: SetEncoding(ViewerEncoding::kUtf8); return;
    case ID_VIEWER_UTF16LE: SetEncoding(ViewerEncoding::kUtf16Le); return;
    case ID_VIEWER_UTF16BE: SetEncoding(ViewerEncoding::kUtf16Be); return;
    case ID_VIEWER_ANSI: SetEncoding(ViewerEncoding::kAnsi); return;
    case ID_VIEWER_OEM: SetEncoding(ViewerEncoding::kOem); return;
    case ID_VIEWER_FIND: ShowFindDialog(); return;
    case ID_VIEWER_FIND_NEXT:
    case ID_VIEWER_FIND_PREVIOUS:
      if (!haveFind_) {
        ShowFindDialog();
        return;
      }
      FindAgain(id == ID_VIEWER_FIND_PREVIOUS);
      return;
    case ID_VIEWER_GOTO: ShowGoToDialog(); return;
    default: return;
  }
}

LRESULT ViewerWindow::OnCommandMessage(Message& message) {
  ExecuteCommand(message.id);
  return 0;
}

void ViewerWindow::OnCancel() {
  // Esc stops what runs before it closes the window.
  if (job_ != 0) {
    StopTask();
    SetMessage(context_.Texts().Text(text::kViewerStopped));
    return;
  }
  Close();
}

LRESULT ViewerWindow::OnClose(Message&) {
  Close();
  return 0;
}

void ViewerWindow::Close() {
  StopTask();
  SavePlacement();
  EndDialog(IDCANCEL);
}

void ViewerWindow::SavePlacement() {
  if (context_.settings == nullptr || Handle() == nullptr) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(Handle(), &placement)) return;
  const RECT& r = placement.rcNormalPosition;
  SettingsStore& settings = *context_.settings;
  settings.SetInt(kSection, "Left", r.left);
  settings.SetInt(kSection, "Top", r.top);
  settings.SetInt(kSection, "Width", r.right - r.left);
  settings.SetInt(kSection, "Height", r.bottom - r.top);
  settings.SetInt(kSection, "Maximized", placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0);
  settings.SetInt(kSection, "Wrap", wrap_ ? 1 : 0);
  // Kept for the next commit when the file cannot be written now.
  [[maybe_unused]] const bool written = settings.Commit();
}

void ViewerWindow::RestorePlacement() {
  if (context_.settings == nullptr) return;
  const SettingsStore& settings = *context_.settings;
  wrap_ = settings.GetInt(kSection, "Wrap", 0) != 0;
  const int width = settings.GetInt(kSection, "Width", 0);
  const int height = settings.GetInt(kSection, "Height", 0);
  RECT wanted;
  if (width >= minimum_.cx && height >= minimum_.cy && width <= 32000 && height <= 32000) {
    const int left = settings.GetInt(kSection, "Left", 0);
    const int top = settings.GetInt(kSection, "Top", 0);
    wanted = {left, top, left + width, top + height};
  } else {
    // At first: most of the work area of the main window's monitor.
    HMONITOR monitor = MonitorFromWindow(context_.owner != nullptr ? context_.owner : Handle(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    const RECT& work = info.rcWork;
    const int w = (work.right - work.left) * 3 / 4, h = (work.bottom - work.top) * 3 / 4;
    wanted = {work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2, 0, 0};
    wanted.right = wanted.left + w;
    wanted.bottom = wanted.top + h;
  }
  // Kept on a monitor that exists now.
  HMONITOR monitor = MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  const RECT& work = info.rcWork;
  const int w = std::min<int>(wanted.right - wanted.left, work.right - work.left);
  const int h = std::min<int>(wanted.bottom - wanted.top, work.bottom - work.top);
  const int x = std::clamp<int>(wanted.left, work.left, work.right - w);
  const int y = std::clamp<int>(wanted.top, work.top, work.bottom - h);
  SetWindowPos(Handle(), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  if (settings.GetInt(kSection, "Maximized", 0) == 1) ShowWindow(Handle(), SW_MAXIMIZE);
}

// --- What is on screen ---------------------------------------------------

void ViewerWindow::Redraw() {
  shown_.clear();
  if (document_ && !picture_) {
    ShownLines lines = document_->LinesFrom(top_, static_cast<size_t>(rows_) + 1);
    shown_ = std::move(lines.lines);
    if (document_->TakeFailed()) ReportReadFailure();
    for (const DisplayLine& line : shown_)
      widestColumns_ = std::max(widestColumns_, static_cast<int>(line.columns.empty() ? line.text.size()
                                                                                     : line.columns.size() - 1));
  }
  UpdateScrollBars();
  UpdateStatus();
  if (pane_ != nullptr) InvalidateRect(pane_, nullptr, FALSE);
}

std::vector<std::string> ViewerWindow::ShownTexts() const {
  std::vector<std::string> texts;
  for (size_t i = 0; i < shown_.size() && i < static_cast<size_t>(rows_); ++i) texts.push_back(shown_[i].text);
  return texts;
}

void ViewerWindow::SetMessage(std::string message) {
  message_ = std::move(message);
  UpdateStatus();
}

std::string ViewerWindow::StatusText() const {
  if (!message_.empty()) return message_;
  if (picture_ && pictureBits_.Ok()) {
    const int percent = static_cast<int>(100.0 * pictureBits_.width / std::max(1, pictureBits_.sourceWidth) + 0.5);
    return FormatText(context_.Texts().Text(text::kViewerPicture),
                      {pictureBits_.sourceWidth, pictureBits_.sourceHeight, percent});
  }
  if (!file_) return {};
  const uint64_t size = file_->Size();
  const int percent = size == 0 ? 100 : static_cast<int>(std::min<uint64_t>(100, (top_ * 100) / size));
  return FormatText(context_.Texts().Text(text::kViewerPosition),
                    {SizeText(top_), SizeText(size), percent});
}

void ViewerWindow::UpdateStatus() {
  if (status_ == nullptr) return;
  const std::string parts[3] = {
      StatusText(), picture_ ? std::string() : EncodingName(encoding_),
      picture_ ? std::string() : mode_ == ViewerMode::kHex ? "Hex" : wrap_ ? "Text, wrap" : "Text"};
  // Only what changed is set: each part set is drawn again.
  for (int part = 0; part < 3; ++part) {
    if (parts[part] == statusParts_[part]) continue;
    statusParts_[part] = parts[part];
    SendMessageW(status_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(Widen(parts[part]).c_str()));
  }
}

void ViewerWindow::ReportReadFailure() {
  const DWORD error = source_ ? source_->LastError() : 0;
  SetMessage(FormatText(context_.Texts().Text(text::kViewerReadFailed), {SystemErrorText(error)}));
}

void ViewerWindow::UpdateScrollBars() {
  if (pane_ == nullptr) return;
  SCROLLINFO vertical{};
  vertical.cbSize = sizeof(vertical);
  vertical.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  SCROLLINFO horizontal = vertical;
  RECT pane;
  GetClientRect(pane_, &pane);
  if (picture_ && pictureBits_.Ok() && actualSize_) {
    vertical.nMax = pictureBits_.height - 1;
    vertical.nPage = static_cast<UINT>(pane.bottom);
    vertical.nPos = pictureScrollY_;
    horizontal.nMax = pictureBits_.width - 1;
    horizontal.nPage = static_cast<UINT>(pane.right);
    horizontal.nPos = pictureScrollX_;
  } else if (file_ && !picture_ && file_->Size() > 0) {
    const uint64_t size = file_->Size();
    const uint64_t shownBytes =
        shown_.size() > static_cast<size_t>(rows_) ? shown_[static_cast<size_t>(rows_)].offset - top_
                                                    : size - std::min(size, top_);
    vertical.nMax = kScrollRange - 1;
    vertical.nPage = static_cast<UINT>(std::max<uint64_t>(1, shownBytes * kScrollRange / size));
    vertical.nPos = static_cast<int>(top_ * kScrollRange / size);
    if (mode_ == ViewerMode::kText && !wrap_) {
      horizontal.nMax = std::max(widestColumns_, leftColumn_ + columns_) - 1;
      horizontal.nPage = static_cast<UINT>(columns_);
      horizontal.nPos = leftColumn_;
    }
  }
  // Set without drawing, and drawn with the pane's next paint when they changed:
  // drawing a frame at once costs more than the page of text it frames.
  const auto differs = [](const SCROLLINFO& a, const SCROLLINFO& b) {
    return a.nMin != b.nMin || a.nMax != b.nMax || a.nPage != b.nPage || a.nPos != b.nPos;
  };
  if (differs(vertical, shownVertical_) || differs(horizontal, shownHorizontal_)) {
    SetScrollInfo(pane_, SB_VERT, &vertical, FALSE);
    SetScrollInfo(pane_, SB_HORZ, &horizontal, FALSE);
    shownVertical_ = vertical;
    shownHorizontal_ = horizontal;
    RedrawWindow(pane_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  }
}

void ViewerWindow::ScrollTo(uint64_t top) {
  if (top == top_) return;
  top_ = top;
  Redraw();
}

void ViewerWindow::ScrollLines(long lines) {
  if (!document_ || picture_) return;
  uint64_t top = document_->Scroll(top_, lines);
  // Down only as far as the last page.
  if (lines > 0) top = std::min(top, std::max(top_, LastPageTop()));
  ScrollTo(top);
}

void ViewerWindow::ShowOffset(uint64_t offset) {
  if (!document_) return;
  // The line holding offset a few lines below the top, unless it is on screen already.
  const uint64_t line = document_->LineAt(offset);
  const bool onScreen = !shown_.empty() && line >= top_ && shown_.size() > static_cast<size_t>(rows_) &&
                        line < shown_[static_cast<size_t>(rows_) - 1].offset;
  if (!onScreen) top_ = document_->Scroll(line, -std::min<long>(3, rows_ / 3));
  // A match far to the right of an unwrapped line is scrolled into view.
  Redraw();
  for (const DisplayLine& shown : shown_) {
    if (shown.offset != line || shown.columns.empty()) continue;
    int column = 0;
    while (column + 1 < static_cast<int>(shown.columns.size()) && shown.offset + shown.columns[column + 1] <= offset)
      ++column;
    if (column < leftColumn_ || column >= leftColumn_ + columns_) {
      leftColumn_ = std::max(0, column - columns_ / 2);
      Redraw();
    }
    break;
  }
}

void ViewerWindow::OnVerticalScroll(WPARAM wParam) {
  if (picture_) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(pane_, SB_VERT, &info);
    int y = pictureScrollY_;
    switch (LOWORD(wParam)) {
      case SB_LINEUP: y -= 16; break;
      case SB_LINEDOWN: y += 16; break;
      case SB_PAGEUP: y -= static_cast<int>(info.nPage); break;
      case SB_PAGEDOWN: y += static_cast<int>(info.nPage); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: y = info.nTrackPos; break;
      default: break;
    }
    pictureScrollY_ = std::clamp(y, 0, std::max(0, info.nMax + 1 - static_cast<int>(info.nPage)));
    UpdateScrollBars();
    InvalidateRect(pane_, nullptr, FALSE);
    return;
  }
  if (!document_) return;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: ScrollLines(-1); break;
    case SB_LINEDOWN: ScrollLines(1); break;
    case SB_PAGEUP: ScrollLines(-(rows_ - 1 > 0 ? rows_ - 1 : 1)); break;
    case SB_PAGEDOWN: ScrollLines(rows_ - 1 > 0 ? rows_ - 1 : 1); break;
    case SB_TOP: ScrollTo(document_->TextStart()); break;
    case SB_BOTTOM: ScrollTo(LastPageTop()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(pane_, SB_VERT, &info);
      const uint64_t size = document_->Size();
      const uint64_t offset = static_cast<uint64_t>(info.nTrackPos) * size / kScrollRange;
      const uint64_t last = LastPageTop();
      ScrollTo(std::min(document_->LineAt(offset), last));
      break;
    }
    default: break;
  }
}

void ViewerWindow::OnHorizontalScroll(WPARAM wParam) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(pane_, SB_HORZ, &info);
  int* position = picture_ ? &pictureScrollX_ : &leftColumn_;
  const int line = picture_ ? 16 : 1;
  int value = *position;
  switch (LOWORD(wParam)) {
    case SB_LINELEFT: value -= line; break;
    case SB_LINERIGHT: value += line; break;
    case SB_PAGELEFT: value -= static_cast<int>(info.nPage); break;
    case SB_PAGERIGHT: value += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: value = info.nTrackPos; break;
    default: break;
  }
  *position = std::clamp(value, 0, std::max(0, info.nMax + 1 - static_cast<int>(info.nPage)));
  UpdateScrollBars();
  InvalidateRect(pane_, nullptr, FALSE);
}

void ViewerWindow::OnKey(UINT key) {
  const bool control = GetKeyState(VK_CONTROL) < 0;
  if (picture_) {
    switch (key) {
      case VK_UP: OnVerticalScroll(SB_LINEUP); break;
      case VK_DOWN: OnVerticalScroll(SB_LINEDOWN); break;
      case VK_PRIOR: OnVerticalScroll(SB_PAGEUP); break;
      case VK_NEXT: OnVerticalScroll(SB_PAGEDOWN); break;
      case VK_LEFT: OnHorizontalScroll(SB_LINELEFT); break;
      case VK_RIGHT: OnHorizontalScroll(SB_LINERIGHT); break;
      default: break;
    }
    return;
  }
  if (!document_) return;
  const long page = std::max(1, rows_ - 1);
  switch (key) {
    case VK_UP: ScrollLines(-1); break;
    case VK_DOWN: ScrollLines(1); break;
    case VK_PRIOR: ScrollLines(-page); break;
    case VK_NEXT: ScrollLines(page); break;
    case VK_HOME:
      if (control || mode_ == ViewerMode::kHex || wrap_) ScrollTo(document_->TextStart());
      leftColumn_ = 0;
      Redraw();
      break;
    case VK_END:
      if (control || mode_ == ViewerMode::kHex || wrap_) {
        ScrollTo(LastPageTop());
      } else {
        leftColumn_ = std::max(0, widestColumns_ - columns_);
        Redraw();
      }
      break;
    case VK_LEFT: OnHorizontalScroll(SB_LINELEFT); break;
    case VK_RIGHT: OnHorizontalScroll(SB_LINERIGHT); break;
    default: break;
  }
}

// --- Painting -------------------------------------------------------------

void ViewerWindow::ApplyColours() {
  if (Handle() == nullptr) return;
  context_.Colours().ApplyTitleBar(Handle());
  // A picture was decoded over the old background.
  if (picture_) StartPicture();
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void ViewerWindow::PaintPane(HDC dc, const RECT& area) {
  if (picture_) {
    PaintPicture(dc, area);
  } else {
    PaintText(dc, area);
  }
}

void ViewerWindow::PaintText(HDC dc, const RECT& area) {
  const Palette& palette = context_.Colours();
  const COLORREF window = palette.Colour(PaletteColour::kWindow);
  const COLORREF ink = palette.Colour(PaletteColour::kText);
  const COLORREF highlight = palette.Colour(PaletteColour::kSelection);
  const COLORREF highlightInk = palette.Colour(PaletteColour::kSelectionText);
  HBRUSH background = palette.Brush(PaletteColour::kWindow);
  FillRect(dc, &area, background);
  HGDIOBJ oldFont = SelectObject(dc, font_ ? font_.Get() : GetStockObject(ANSI_FIXED_FONT));
  const auto [selFrom, selTo] = Selection();
  const int digits = HexOffsetDigits(FileSize());
  std::vector<int> unitOfColumn;
  std::vector<INT> advances;
  for (size_t row = 0; row < shown_.size() && row < static_cast<size_t>(rows_) + 1; ++row) {
    const DisplayLine& line = shown_[row];
    const int y = static_cast<int>(row) * lineHeight_;
    if (y > area.bottom) break;
    const std::wstring wide = WideColumns(line.text, unitOfColumn);
    const int columnCount = static_cast<int>(unitOfColumn.size()) - 1;
    advances.assign(wide.size(), charWidth_);
    for (size_t i = 0; i < wide.size(); ++i)
      if (wide[i] >= 0xDC00 && wide[i] <= 0xDFFF) advances[i] = 0;
    // The columns selected: [first, last) in this line.
    int first = columnCount, last = columnCount;
    std::vector<std::pair<int, int>> ranges;
    if (selFrom < selTo) {
      if (mode_ == ViewerMode::kText && !line.columns.empty()) {
        for (int c = 0; c < columnCount; ++c) {
          const uint64_t at = line.offset + line.columns[static_cast<size_t>(c)];
          if (at >= selFrom && at < selTo) {
            first = std::min(first, c);
            last = c + 1;
          }
        }
        if (first < last) ranges.push_back({first, last});
      } else if (mode_ == ViewerMode::kHex) {
        for (int i = 0; i < 16; ++i) {
          const uint64_t at = line.offset + static_cast<uint64_t>(i);
          if (at < selFrom || at >= selTo) continue;
          ranges.push_back({HexColumn(digits, i), HexColumn(digits, i) + (i == 7 ? 2 : 3)});
          ranges.push_back({CharColumn(digits, i), CharColumn(digits, i) + 1});
        }
      }
    }
    const int x0 = kMargin - leftColumn_ * charWidth_;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    ExtTextOutW(dc, x0, y, 0, nullptr, wide.data(), static_cast<UINT>(wide.size()), advances.data());
    for (const auto& [from, to] : ranges) {
      const int a = std::min(from, columnCount), b = std::min(to, columnCount);
      RECT cell{x0 + from * charWidth_, y, x0 + to * charWidth_, y + lineHeight_};
      SetBkColor(dc, highlight);
      SetTextColor(dc, highlightInk);
      const int unitFrom = unitOfColumn[static_cast<size_t>(a)], unitTo = unitOfColumn[static_cast<size_t>(b)];
      ExtTextOutW(dc, cell.left, y, ETO_OPAQUE | ETO_CLIPPED, &cell, wide.data() + unitFrom,
                  static_cast<UINT>(unitTo - unitFrom), advances.data() + unitFrom);
    }
    SetBkColor(dc, window);
  }
  SelectObject(dc, oldFont);
}

void ViewerWindow::PaintPicture(HDC dc, const RECT& area) {
  FillRect(dc, &area, context_.Colours().Brush(PaletteColour::kWindow));
  if (!pictureBits_.Ok()) return;
  RECT pane;
  GetClientRect(pane_, &pane);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pictureBits_.width;
  info.bmiHeader.biHeight = -pictureBits_.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  int width = pictureBits_.width, height = pictureBits_.height;
  int x = 0, y = 0;
  if (actualSize_) {
    x = -pictureScrollX_;
    y = -pictureScrollY_;
    if (width < pane.right) x = (pane.right - width) / 2;
    if (height < pane.bottom) y = (pane.bottom - height) / 2;
  } else {
    // Decoded for an earlier size: stretched until the decode for this one comes.
    const double scale = std::min({1.0, static_cast<double>(pane.right) / pictureBits_.sourceWidth,
                                   static_cast<double>(pane.bottom) / pictureBits_.sourceHeight});
    width = std::max(1, static_cast<int>(pictureBits_.sourceWidth * scale + 0.5));
    height = std::max(1, static_cast<int>(pictureBits_.sourceHeight * scale + 0.5));
    x = (pane.right - width) / 2;
    y = (pane.bottom - height) / 2;
  }
  SetStretchBltMode(dc, HALFTONE);
  StretchDIBits(dc, x, y, width, height, 0, 0, pictureBits_.width, pictureBits_.height, pictureBits_.pixels.data(),
                &info, DIB_RGB_COLORS, SRCCOPY);
}

// --- The mouse and the selection ------------------------------------------

std::pair<uint64_t, uint64_t> ViewerWindow::Selection() const {
  return {std::min(anchor_, caret_), std::max(anchor_, caret_)};
}

void ViewerWindow::Select(uint64_t from, uint64_t to) {
  anchor_ = from;
  caret_ = to;
  if (pane_ != nullptr) InvalidateRect(pane_, nullptr, FALSE);
}

uint64_t ViewerWindow::HitTest(POINT point) const {
  if (shown_.empty()) return top_;
  const int row = std::clamp(static_cast<int>(point.y) / lineHeight_, 0, static_cast<int>(shown_.size()) - 1);
  const DisplayLine& line = shown_[static_cast<size_t>(row)];
  const int column = std::max(0, (static_cast<int>(point.x) - kMargin + charWidth_ / 2) / charWidth_ + leftColumn_);
  if (point.y >= static_cast<int>(shown_.size()) * lineHeight_) {
    return line.columns.empty() ? line.offset : line.offset + line.columns.back();
  }
  if (mode_ == ViewerMode::kHex) {
    const int digits = HexOffsetDigits(FileSize());
    const int byteCount = static_cast<int>(std::min<uint64_t>(16, FileSize() - line.offset));
    int i = byteCount;
    if (column >= CharColumn(digits, 0)) {
      i = column - CharColumn(digits, 0);
    } else {
      for (int b = 0; b < 16; ++b)
        if (column < HexColumn(digits, b) + 2) {
          i = b;
          break;
        }
    }
    return line.offset + static_cast<uint64_t>(std::clamp(i, 0, byteCount));
  }
  if (line.columns.empty()) return line.offset;
  const size_t index = std::min(static_cast<size_t>(column), line.columns.size() - 1);
  return line.offset + line.columns[index];
}

void ViewerWindow::OnMouse(UINT msg, POINT point) {
  if (picture_ || !document_) return;
  switch (msg) {
    case WM_LBUTTONDOWN: {
      SetFocus(pane_);
      const uint64_t at = HitTest(point);
      if (GetKeyState(VK_SHIFT) < 0) {
        caret_ = at;
      } else {
        anchor_ = caret_ = at;
      }
      dragging_ = true;
      SetCapture(pane_);
      InvalidateRect(pane_, nullptr, FALSE);
      break;
    }
    case WM_MOUSEMOVE:
      if (!dragging_) break;
      // Dragging past the top or bottom scrolls.
      if (point.y < 0) ScrollLines(-1);
      if (point.y >= rows_ * lineHeight_) ScrollLines(1);
      caret_ = HitTest(point);
      InvalidateRect(pane_, nullptr, FALSE);
      break;
    case WM_LBUTTONUP:
      if (dragging_) {
        dragging_ = false;
        ReleaseCapture();
      }
      break;
    case WM_LBUTTONDBLCLK: {
      // A double click selects the line.
      const uint64_t at = HitTest(point);
      for (size_t i = 0; i < shown_.size(); ++i) {
        const uint64_t end = i + 1 < shown_.size() ? shown_[i + 1].offset : FileSize();
        if (at >= shown_[i].offset && at < end) {
          Select(shown_[i].offset, shown_[i].columns.empty() ? end : shown_[i].offset + shown_[i].columns.back());
          break;
        }
      }
      break;
    }
    default: break;
  }
}

void ViewerWindow::CopySelection() {
  if (!file_ || picture_) return;
  auto [from, to] = Selection();
  if (from >= to) return;
  bool cut = false;
  if (to - from > kCopyLimit) {
    to = from + kCopyLimit;
    cut = true;
  }
  std::string bytes(static_cast<size_t>(to - from), '\0');
  const ReadResult read = file_->CopyOut(from, bytes.data(), bytes.size());
  bytes.resize(read.bytes);
  if (read.failed) ReportReadFailure();
  std::wstring text;
  if (mode_ == ViewerMode::kHex) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (i > 0) text += (i % 16 == 0) ? L"\r\n" : L" ";
      const auto b = static_cast<unsigned char>(bytes[i]);
      text += static_cast<wchar_t>(kDigits[b >> 4]);
      text += static_cast<wchar_t>(kDigits[b & 15]);
    }
  } else {
    switch (encoding_) {
      case ViewerEncoding::kUtf8: {
        text = Widen(bytes);
        break;
      }
      case ViewerEncoding::kUtf16Le:
      case ViewerEncoding::kUtf16Be:
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
          const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
          text += static_cast<wchar_t>(encoding_ == ViewerEncoding::kUtf16Be ? (a << 8 | b) : (b << 8 | a));
        }
        break;
      case ViewerEncoding::kAnsi:
      case ViewerEncoding::kOem: {
        const CodePageTable& table = encoding_ == ViewerEncoding::kAnsi ? ansi_ : oem_;
        for (char c : bytes) text += static_cast<wchar_t>(table[static_cast<unsigned char>(c)]);
        break;
      }
    }
    // The clipboard's text ends at a NUL: shown as it is on screen.
    std::replace(text.begin(), text.end(), L'\0', L'\x2400');
  }
  if (OpenClipboard(Handle())) {
    EmptyClipboard();
    const size_t bytesNeeded = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytesNeeded);
    if (memory != nullptr) {
      if (void* locked = GlobalLock(memory)) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(locked));
        GlobalUnlock(memory);
        if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
      } else {
        GlobalFree(memory);
      }
    }
    CloseClipboard();
  }
  if (cut) SetMessage(FormatText(context_.Texts().Text(text::kViewerCopyCut), {SizeText(kCopyLimit)}));
}

// --- A file that changes ----------------------------------------------------

void ViewerWindow::Reload() {
  const uint64_t top = top_;
  const ViewerMode mode = mode_;
  const bool picture = picture_;
  const ViewerEncoding encoding = encoding_;
  OpenAt(files_.current);
  if (!document_ || picture) return;
  if (mode != mode_) SetMode(mode);
  if (encoding != encoding_) SetEncoding(encoding);
  ScrollTo(document_->LineAt(std::min(top, document_->Size())));
}

void ViewerWindow::CheckFile() {
  if (!source_ || !file_ || job_ != 0) return;
  const uint64_t before = file_->Size();
  if (!source_->UpdateSize()) {
    ReportReadFailure();
    return;
  }
  const uint64_t now = source_->Size();
  if (now == before) return;
  file_->Refresh();
  lastPageKnown_ = false;
  if (now < before) {
    SetMessage(context_.Texts().Text(text::kViewerShrank));
    top_ = document_->LineAt(std::min(top_, now));
    anchor_ = std::min(anchor_, now);
    caret_ = std::min(caret_, now);
  }
  if (follow_) top_ = LastPageTop();
  Redraw();
}

// --- Jobs: find, go to line, pictures ----------------------------------------

std::unique_ptr<FileSource> ViewerWindow::SourceForJob() {
  DWORD error = 0;
  std::unique_ptr<FileSource> source = source_->Duplicate(error);
  if (!source) SetMessage(FormatText(context_.Texts().Text(text::kViewerReadFailed), {SystemErrorText(error)}));
  return source;
}

void ViewerWindow::StartTask(std::shared_ptr<Task> task) {
  StopTask();
  ViewerJob::Work work = nullptr;
  switch (task->kind) {
    case Task::Kind::kFind:
      work = [](Task& t) {
        PagedFile file(*t.source, kFindPageSize, kFindPages);
        file.ReadLongRunsDirectly(true);
        t.found = FindBytes(
            file, t.pattern, t.from, t.options,
            [&t](uint64_t reached) {
              t.reached = reached;
              return !t.stop.load();
            },
            kFindStep);
      };
      break;
    case Task::Kind::kSeek:
      work = [](Task& t) {
        PagedFile file(*t.source, kFindPageSize, kFindPages);
        file.ReadLongRunsDirectly(true);
        t.seek = FindLineNumber(file, t.encoding, t.textStart, t.line, [&t](uint64_t reached) {
          t.reached = reached;
          return !t.stop.load();
        });
      };
      break;
    case Task::Kind::kPicture:
      work = [](Task& t) {
        t.picture = DecodePicture(t.path, t.fit.cx, t.fit.cy, t.background, &t.stop);
      };
      break;
  }
  task_ = task;
  // The end's message brings the result at once; the timer finds it when
  // that message is lost.
  std::weak_ptr<bool> alive = alive_;
  std::weak_ptr<Task> started = task;
  job_ = context_.jobs->Start(
      std::make_shared<ViewerJob>(task, work),
      [this, alive, started](JobState) {
        if (alive.expired() || started.expired() || started.lock() != task_) return;
        FinishTask();
      },
      JobKind::kHelper);
  if (job_ == 0) {
    task_.reset();
    return;
  }
  SetTimer(Handle(), kJobTimer, kJobTimerMilliseconds, nullptr);
}

void ViewerWindow::StopTask() {
  if (job_ == 0) return;
  task_->stop = true;
  context_.jobs->Cancel(job_);
  context_.jobs->Forget(job_);
  job_ = 0;
  task_.reset();
  if (Handle() != nullptr) KillTimer(Handle(), kJobTimer);
}

LRESULT ViewerWindow::OnTimer(Message& message) {
  switch (message.wParam) {
    case kJobTimer:
      if (job_ == 0) {
        KillTimer(Handle(), kJobTimer);
        break;
      }
      if (context_.jobs->Ended(job_)) {
        FinishTask();
      } else if (task_->kind != Task::Kind::kPicture) {
        const uint64_t reached = task_->reached.load();
        const uint64_t span = task_->options.backward ? task_->from : task_->size - std::min(task_->size, task_->from);
        const uint64_t done = task_->options.backward ? task_->from - std::min(task_->from, reached)
                                                      : reached - std::min(reached, task_->from);
        const int percent = span == 0 ? 0 : static_cast<int>(std::min<uint64_t>(100, done * 100 / span));
        SetMessage(FormatText(
            context_.Texts().Text(task_->kind == Task::Kind::kFind ? text::kViewerSearching : text::kViewerSeeking),
            {percent}));
      }
      break;
    case kFollowTimer:
      CheckFile();
      break;
    case kPictureTimer:
      KillTimer(Handle(), kPictureTimer);
      if (picture_ && !actualSize_) {
        RECT pane;
        GetClientRect(pane_, &pane);
        if (pane.right != pictureRequested_.cx || pane.bottom != pictureRequested_.cy) StartPicture();
      }
      break;
    default:
      message.handled = false;
      break;
  }
  return 0;
}

void ViewerWindow::FinishTask() {
  std::shared_ptr<Task> task = task_;
  const JobState state = context_.jobs->StateOf(job_);
  context_.jobs->Forget(job_);
  job_ = 0;
  task_.reset();
  KillTimer(Handle(), kJobTimer);
  if (state == JobState::kCancelled) {
    SetMessage(context_.Texts().Text(text::kViewerStopped));
    return;
  }
  switch (task->kind) {
    case Task::Kind::kFind:
      switch (task->found.status) {
        case SearchStatus::kFound:
          SetMessage({});
          Select(task->found.offset, task->found.offset + task->pattern.size());
          ShowOffset(task->found.offset);
          break;
        case SearchStatus::kFailed:
          ReportReadFailure();
          break;
        case SearchStatus::kStopped:
          SetMessage(context_.Texts().Text(text::kViewerStopped));
          break;
        default:
          SetMessage(FormatText(context_.Texts().Text(text::kViewerNotFound), {task->shownText}));
          break;
      }
      break;
    case Task::Kind::kSeek:
      if (task->seek.status == LineSeek::kFailed) {
        ReportReadFailure();
        break;
      }
      if (task->seek.status == LineSeek::kStopped) {
        SetMessage(context_.Texts().Text(text::kViewerStopped));
        break;
      }
      SetMessage(task->seek.status == LineSeek::kPastEnd
                     ? FormatText(context_.Texts().Text(text::kViewerPastLastLine),
                                  {SizeText(task->seek.lines + (task->seek.offset < task->size ? 1 : 0))})
                     : std::string());
      if (document_) {
        const uint64_t line = document_->LineAt(task->seek.offset);
        ScrollTo(std::min(line, std::max(top_, LastPageTop())));
        Select(line, line);
        ScrollTo(line);
      }
      break;
    case Task::Kind::kPicture:
      if (!task->picture.Ok()) {
        // What the imaging component cannot read is shown as bytes.
        picture_ = false;
        mode_ = ViewerMode::kHex;
        ApplyDecodeOptions();
        top_ = 0;
        UpdateMenu();
        Redraw();
        SetMessage(context_.Texts().Text(text::kViewerNoPicture));
        break;
      }
      pictureBits_ = std::move(task->picture);
      SetMessage({});
      UpdateScrollBars();
      InvalidateRect(pane_, nullptr, FALSE);
      break;
  }
}

void ViewerWindow::StartPicture() {
  RECT pane;
  GetClientRect(pane_, &pane);
  auto task = std::make_shared<Task>();
  task->kind = Task::Kind::kPicture;
  task->path = path_;
  pictureRequested_ = {pane.right, pane.bottom};
  task->fit = actualSize_ ? SIZE{0, 0} : SIZE{std::max<LONG>(1, pane.right), std::max<LONG>(1, pane.bottom)};
  const COLORREF window = context_.Colours().Colour(PaletteColour::kWindow);
  task->background = static_cast<uint32_t>(GetRValue(window)) << 16 | GetGValue(window) << 8 | GetBValue(window);
  if (!pictureBits_.Ok()) SetMessage(context_.Texts().Text(text::kViewerReadingPicture));
  StartTask(task);
}

void ViewerWindow::StartFind(const FindRequest& request) {
  if (!file_ || !source_) return;
  const std::optional<std::vector<uint8_t>> pattern = FindPattern(request, encoding_);
  if (!pattern) {
    SetMessage(context_.Texts().Text(request.hex ? text::kViewerBadHex : text::kViewerEmpty));
    return;
  }
  lastFind_ = request;
  haveFind_ = true;
  // On from the selection (a match is selected), else from the caret where
  // it is on screen, else from the top of the screen.
  const auto [from, to] = Selection();
  const uint64_t screenEnd = shown_.size() > static_cast<size_t>(rows_) ? shown_[static_cast<size_t>(rows_)].offset
                                                                         : file_->Size();
  uint64_t start = caret_ >= top_ && caret_ <= screenEnd ? caret_ : top_;
  if (from < to) {
    if (request.backward && from == 0) {
      SetMessage(FormatText(context_.Texts().Text(text::kViewerNotFound), {request.text}));
      return;
    }
    start = request.backward ? from - 1 : from + 1;
  } else if (request.backward && !(caret_ >= top_ && caret_ <= screenEnd)) {
    start = screenEnd;
  }
  auto task = std::make_shared<Task>();
  task->kind = Task::Kind::kFind;
  task->pattern = *pattern;
  task->shownText = request.text;
  task->options.backward = request.backward;
  task->options.foldAscii = request.ignoreCase && !request.hex;
  const bool utf16 = !request.hex && (encoding_ == ViewerEncoding::kUtf16Le || encoding_ == ViewerEncoding::kUtf16Be);
  task->options.unitWidth = utf16 ? 2 : 1;
  task->options.bigEndian = encoding_ == ViewerEncoding::kUtf16Be;
  task->from = start;
  task->size = file_->Size();
  task->reached = start;
  task->source = SourceForJob();
  if (!task->source) return;
  StartTask(task);
}

void ViewerWindow::FindAgain(bool backward) {
  if (!haveFind_) return;
  FindRequest request = lastFind_;
  request.backward = backward;
  StartFind(request);
}

void ViewerWindow::GoToOffset(uint64_t offset) {
  if (!document_ || picture_) return;
  offset = std::min(offset, document_->Size());
  Select(offset, offset);
  const uint64_t line = document_->LineAt(offset);
  ScrollTo(std::min(line, std::max<uint64_t>(document_->TextStart(), LastPageTop())));
  Redraw();
}

void ViewerWindow::GoToLine(uint64_t line) {
  if (!document_ || !source_ || picture_) return;
  if (mode_ == ViewerMode::kHex) {
    GoToOffset((line > 0 ? line - 1 : 0) * kHexLineBytes);
    return;
  }
  auto task = std::make_shared<Task>();
  task->kind = Task::Kind::kSeek;
  task->encoding = encoding_;
  task->textStart = textStart_;
  task->line = line;
  task->from = textStart_;
  task->size = file_->Size();
  task->source = SourceForJob();
  if (!task->source) return;
  StartTask(task);
}

void ViewerWindow::ShowFindDialog() {
  if (!file_ || picture_) return;
  ViewerFindDialog dialog(context_.Texts());
  dialog.request = lastFind_;
  dialog.request.backward = false;
  if (dialog.DoModal(Handle()) != IDOK) return;
  StartFind(dialog.request);
}

void ViewerWindow::ShowGoToDialog() {
  if (!file_ || picture_) return;
  ViewerGoToDialog dialog(context_.Texts());
  if (dialog.DoModal(Handle()) != IDOK) return;
  if (dialog.byLine) {
    GoToLine(dialog.number);
  } else {
    GoToOffset(dialog.number);
  }
}

// --- The pane -------------------------------------------------------------

LRESULT CALLBACK ViewerWindow::PaneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<ViewerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return window->PaneMessage(msg, wParam, lParam);
}

LRESULT ViewerWindow::PaneMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(pane_, &paint);
      RECT client;
      GetClientRect(pane_, &client);
      MemoryCanvas canvas(dc, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
      if (canvas.Ready()) {
        PaintPane(canvas.Dc(), client);
        BitBlt(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
               paint.rcPaint.bottom - paint.rcPaint.top, canvas.Dc(), paint.rcPaint.left, paint.rcPaint.top, SRCCOPY);
      } else {
        PaintPane(dc, client);
      }
      EndPaint(pane_, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
      OnKey(static_cast<UINT>(wParam));
      return 0;
    case WM_VSCROLL:
      OnVerticalScroll(wParam);
      return 0;
    case WM_HSCROLL:
      OnHorizontalScroll(wParam);
      return 0;
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      if (picture_) {
        for (int i = 0; i < std::abs(notches); ++i) OnVerticalScroll(notches > 0 ? SB_LINEUP : SB_LINEDOWN);
      } else if (lines == WHEEL_PAGESCROLL) {
        ScrollLines(-notches * std::max(1, rows_ - 1));
      } else {
        ScrollLines(-notches * static_cast<long>(lines));
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDBLCLK:
      OnMouse(msg, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return 0;
    default:
      return DefWindowProcW(pane_, msg, wParam, lParam);
  }
}

}  // namespace px
