// The viewer beside the platform's bare calls, in one run:
//   - a 10 GiB sparse file opened and its first page drawn, then End, against
//     CreateFileW + one 64 KiB ReadFile + one page of fixed text drawn;
//   - a string absent from a 1 GiB file looked for, against a bare loop of
//     1 MiB ReadFiles scanned with std::search;
//   - a 6000 x 4000 JPEG shown, against a bare decode and scale through the
//     imaging component;
//   - the private bytes the viewer adds, and the longest time the window
//     left a message unanswered during the find and the decode.
//   viewer_bench [folder]     (default C:\pxviewer; its files are made once)
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/jobs/JobRunner.h"
#include "core/language/LanguageTable.h"
#include "framework/AppContext.h"
#include "framework/FileSystemApi.h"
#include "framework/Handles.h"
#include "framework/MessageLoop.h"
#include "framework/UiTasks.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "viewer/ViewerWindow.h"

#include "bench/BenchTiming.h"

using namespace px;

namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!MessageLoop::FilterMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// Committed private memory, region by region (the process counters' private
// usage reads 0 under some platforms).
uint64_t PrivateBytes() {
  uint64_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

bool Exists(const std::string& path, uint64_t size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return false;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) == size;
}

// 10 GiB: lines of text at the start and the end, a hole between.
bool MakeSparse(const std::string& path, uint64_t size) {
  if (Exists(path, size)) return true;
  FileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  std::string text;
  for (int i = 0; text.size() < 64 * 1024; ++i) text += "line " + std::to_string(i) + " of the sparse file's start\r\n";
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(size - text.size());
  SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN);
  return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
}

// 1 GiB of lower-case words and line ends.
bool MakeText(const std::string& path, uint64_t size) {
  if (Exists(path, size)) return true;
  FileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  std::string block(1 << 20, ' ');
  uint32_t state = 12345;
  for (size_t i = 0; i < block.size(); ++i) {
    state = state * 1103515245 + 12345;
    const uint32_t r = (state >> 16) % 32;
    block[i] = r < 26 ? static_cast<char>('a' + r) : r < 30 ? ' ' : '\n';
  }
  for (uint64_t done = 0; done < size; done += block.size()) {
    DWORD written = 0;
    block[done / block.size() % block.size()] = 'q';  // no two blocks alike
    if (!WriteFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr)) return false;
  }
  return true;
}

// 6000 x 4000, encoded by the imaging component itself.
bool MakeJpeg(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return true;
  const UINT width = 6000, height = 4000;
  IWICImagingFactory* factory = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory))))
    return false;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (UINT y = 0; y < height; ++y)
    for (UINT x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] = 0xFF000000 | (x * 255 / width) << 16 | (y * 255 / height) << 8 |
                                                   ((x ^ y) & 0xFF);
  IWICBitmap* bitmap = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  const bool ok =
      SUCCEEDED(factory->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat32bppBGR, width * 4,
                                                width * height * 4, reinterpret_cast<BYTE*>(pixels.data()), &bitmap)) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(Widen(path).c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
      SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
      SUCCEEDED(frame->WriteSource(bitmap, nullptr)) && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, stream, bitmap, factory})
    if (object != nullptr) object->Release();
  if (!ok) DeleteFileW(Widen(path).c_str());
  return ok;
}

// One page of fixed text drawn as the viewer draws a page.
void DrawPage(HWND window, const char* bytes, size_t size) {
  HDC dc = GetDC(window);
  HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
  HGDIOBJ old = SelectObject(dc, font);
  size_t start = 0;
  for (int row = 0; row < 40 && start < size; ++row) {
    size_t end = std::min(size, start + 120);
    for (size_t i = start; i < end; ++i)
      if (bytes[i] == '\n') {
        end = i;
        break;
      }
    const std::wstring line = Widen(std::string(bytes + start, end - start));
    TextOutW(dc, 4, row * 16, line.data(), static_cast<int>(line.size()));
    start = end + 1;
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(window, dc);
  GdiFlush();
}

double BareOpen(const std::string& path, HWND window, bool atEnd) {
  const auto start = Clock::now();
  FileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::vector<char> buffer(64 * 1024);
  if (atEnd) {
    LARGE_INTEGER size{}, at{};
    GetFileSizeEx(file.Get(), &size);
    at.QuadPart = size.QuadPart - static_cast<LONGLONG>(buffer.size());
    SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN);
  }
  DWORD read = 0;
  ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
  DrawPage(window, buffer.data(), read);
  return Milliseconds(start);
}

// What the platform costs to move a window's scroll bar and draw it, as
// every viewer must when it goes elsewhere in a file.
double BareScrollBar(HWND window, int position) {
  const auto start = Clock::now();
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = 65535;
  info.nPage = 100;
  info.nPos = position;
  SetScrollInfo(window, SB_VERT, &info, TRUE);
  GdiFlush();
  return Milliseconds(start);
}

double BareFind(const std::string& path, const std::string& needle) {
  const auto start = Clock::now();
  FileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::vector<char> buffer((1 << 20) + needle.size());
  size_t kept = 0;
  bool found = false;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer.data() + kept, 1 << 20, &read, nullptr) || read == 0) break;
    const size_t have = kept + read;
    if (std::search(buffer.data(), buffer.data() + have, needle.begin(), needle.end()) != buffer.data() + have) {
      found = true;
      break;
    }
    kept = std::min(have, needle.size() - 1);
    std::copy(buffer.data() + have - kept, buffer.data() + have, buffer.data());
  }
  if (found) std::printf("  (the bare loop found the needle)\n");
  return Milliseconds(start);
}

double BarePicture(const std::string& path, int fitWidth, int fitHeight) {
  const auto start = Clock::now();
  IWICImagingFactory* factory = nullptr;
  CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                   reinterpret_cast<void**>(&factory));
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  IWICBitmapScaler* scaler = nullptr;
  UINT width = 0, height = 0;
  factory->CreateDecoderFromFilename(Widen(path).c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                     &decoder);
  decoder->GetFrame(0, &frame);
  frame->GetSize(&width, &height);
  const double scale = std::min(static_cast<double>(fitWidth) / width, static_cast<double>(fitHeight) / height);
  const UINT w = static_cast<UINT>(width * scale + 0.5), h = static_cast<UINT>(height * scale + 0.5);
  factory->CreateFormatConverter(&converter);
  converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                        WICBitmapPaletteTypeCustom);
  factory->CreateBitmapScaler(&scaler);
  scaler->Initialize(converter, w, h, WICBitmapInterpolationModeFant);
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  scaler->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(pixels.data()));
  for (IUnknown* object : std::initializer_list<IUnknown*>{scaler, converter, frame, decoder, factory})
    if (object != nullptr) object->Release();
  return Milliseconds(start);
}

// Asks the window for an answer every few milliseconds from another thread
// and keeps the longest wait.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window) : window_(window), thread_([this] { Run(); }) {}
  ~AnswerWatch() {
    stop_ = true;
    thread_.join();
  }
  double Longest() const { return longest_.load(); }

 private:
  void Run() {
    while (!stop_) {
      const auto start = Clock::now();
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
      const double waited = Milliseconds(start);
      if (waited > longest_) longest_ = waited;
      Sleep(5);
    }
  }
  HWND window_;
  std::atomic<bool> stop_{false};
  std::atomic<double> longest_{0};
  std::thread thread_;
};

template <typename Done>
double PumpUntil(Done done) {
  const auto start = Clock::now();
  while (!done()) {
    Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
  return Milliseconds(start);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const std::string folder = argc > 1 ? Narrow(argv[1]) : std::string("C:\\pxviewer");
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  const std::string sparse = folder + "\\sparse-10g.log";
  const std::string text = folder + "\\text-1g.txt";
  const std::string jpeg = folder + "\\big-6000x4000.jpg";
  if (!MakeSparse(sparse, 10ull << 30) || !MakeText(text, 1ull << 30)) {
    std::printf("the benchmark's files could not be made in %s\n", folder.c_str());
    return 1;
  }
  const bool haveJpeg = MakeJpeg(jpeg);

  UiTaskQueue uiTasks;
  JobRunner jobs([&uiTasks](std::function<void()> task) { return uiTasks.Post(std::move(task)); });
  LanguageTable texts;
  Options options;
  AppContext context;
  context.texts = &texts;
  context.options = &options;
  context.uiTasks = &uiTasks;
  context.jobs = &jobs;
  const uint64_t privateBefore = PrivateBytes();

  std::printf("Viewer benchmark (%s)\n", folder.c_str());
  // The window itself, once: what opening the first file adds to it.
  const auto made = Clock::now();
  auto viewer = std::make_unique<ViewerWindow>(context, ViewerFiles{{sparse}, 0});
  viewer->ShowModeless(nullptr);
  UpdateWindow(viewer->Pane());
  const double window = Milliseconds(made);
  // Open (as N does in an open viewer) and End, nine rounds each, side by side.
  std::vector<double> bareOpen, viewerOpen, bareEnd, viewerEnd, scrollBar;
  uint64_t privatePeak = PrivateBytes();
  for (int round = 0; round < 9; ++round) {
    const auto start = Clock::now();
    viewer->OpenAt(0);
    const double opened = Milliseconds(start);
    UpdateWindow(viewer->Pane());
    viewerOpen.push_back(Milliseconds(start));
    if (round < 3) std::printf("  (open %.2f ms, drawing %.2f ms)\n", opened, viewerOpen.back() - opened);
    bareOpen.push_back(BareOpen(sparse, viewer->Pane(), false));
    const auto end = Clock::now();
    SendMessageW(viewer->Pane(), WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    UpdateWindow(viewer->Pane());
    viewerEnd.push_back(Milliseconds(end));
    bareEnd.push_back(BareOpen(sparse, viewer->Pane(), true));
    scrollBar.push_back(BareScrollBar(viewer->Pane(), round % 2 == 0 ? 0 : 65000));
    privatePeak = std::max(privatePeak, PrivateBytes());
    if (round == 0 && viewer->ShownTexts().empty()) std::printf("  the viewer showed nothing at the end\n");
    Pump();
  }
  viewer->Destroy();
  Pump();
  const double openRatio = Median(viewerOpen) / Median(bareOpen);
  const double endRatio = Median(viewerEnd) / Median(bareEnd);
  std::printf("viewer window made and its first file drawn: %.1f ms (once)\n", window);
  std::printf("open 10 GiB, first page:  viewer %7.2f ms  bare %7.2f ms  ratio %.2f (target <= 3)\n",
              Median(viewerOpen), Median(bareOpen), openRatio);
  std::printf("End on 10 GiB:            viewer %7.2f ms  bare %7.2f ms  ratio %.2f (target <= 3)\n",
              Median(viewerEnd), Median(bareEnd), endRatio);
  const double withBar = Median(bareOpen) + Median(scrollBar);
  std::printf("  the platform's own cost of moving and drawing a scroll bar: %.2f ms; against bare + that: "
              "open %.2f, End %.2f\n",
              Median(scrollBar), Median(viewerOpen) / withBar, Median(viewerEnd) / (Median(bareEnd) + Median(scrollBar)));

  // Find: a string the file does not hold, three rounds each, the bare loop first.
  const std::string needle = "NotInThisFile";
  std::vector<double> bareFind, viewerFind;
  double findLongest = 0;
  BareFind(text, needle);  // the file into the cache for both
  for (int round = 0; round < 3; ++round) {
    bareFind.push_back(BareFind(text, needle));
    auto viewer = std::make_unique<ViewerWindow>(context, ViewerFiles{{text}, 0});
    viewer->ShowModeless(nullptr);
    Pump();
    AnswerWatch watch(viewer->Handle());
    viewer->StartFind({needle, false, false, false});
    viewerFind.push_back(PumpUntil([&viewer] { return !viewer->Busy(); }));
    findLongest = std::max(findLongest, watch.Longest());
    privatePeak = std::max(privatePeak, PrivateBytes());
    if (viewer->MessageText().find(needle) == std::string::npos)
      std::printf("  the find ended otherwise: %s\n", viewer->MessageText().c_str());
    viewer->Destroy();
    Pump();
  }
  const double gib = 1.0;
  const double findRatio = Median(bareFind) / Median(viewerFind);
  std::printf("find absent in 1 GiB:     viewer %7.1f ms (%.2f GiB/s)  bare %7.1f ms (%.2f GiB/s)  throughput %.2f "
              "(target >= 0.8)\n",
              Median(viewerFind), gib / (Median(viewerFind) / 1000), Median(bareFind),
              gib / (Median(bareFind) / 1000), findRatio);
  std::printf("  longest unanswered during the finds: %.1f ms (target <= 100)\n", findLongest);

  if (haveJpeg) {
    std::vector<double> barePicture, viewerPicture;
    double pictureLongest = 0;
    for (int round = 0; round < 3; ++round) {
      const auto start = Clock::now();
      auto viewer = std::make_unique<ViewerWindow>(context, ViewerFiles{{jpeg}, 0});
      viewer->ShowModeless(nullptr);
      AnswerWatch watch(viewer->Handle());
      PumpUntil([&viewer] { return !viewer->Busy(); });
      UpdateWindow(viewer->Pane());
      viewerPicture.push_back(Milliseconds(start));
      pictureLongest = std::max(pictureLongest, watch.Longest());
      RECT pane;
      GetClientRect(viewer->Pane(), &pane);
      if (!viewer->ShowsPicture()) std::printf("  the picture was not shown: %s\n", viewer->StatusText().c_str());
      viewer->Destroy();
      Pump();
      barePicture.push_back(BarePicture(jpeg, pane.right, pane.bottom));
    }
    std::printf("6000 x 4000 JPEG shown:   viewer %7.1f ms  bare %7.1f ms  ratio %.2f (target <= 1.3)\n",
                Median(viewerPicture), Median(barePicture), Median(viewerPicture) / Median(barePicture));
    std::printf("  longest unanswered during the decodes: %.1f ms (target <= 100)\n", pictureLongest);
  } else {
    std::printf("6000 x 4000 JPEG: the imaging component here has no JPEG encoder; not measured\n");
  }
  std::printf("private bytes added while viewing and finding (peak): %.1f MiB (target <= 32; %.1f MiB before)\n",
              static_cast<double>(privatePeak - std::min(privatePeak, privateBefore)) / (1 << 20),
              static_cast<double>(privateBefore) / (1 << 20));
  return 0;
}
