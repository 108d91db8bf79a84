// Building the menu bar and the toolbar as start-up does (pictures loaded
// from both libraries, the shipped layout read), side by side in the same
// run with a bare loop that loads the same pictures at the same sizes into
// image lists; at 100 % and at 200 %. Then rebuilding the menus and tooltips
// as a language change does.
//   menu_bench [rounds]      (run beside Menu.dll and ToolBar.dll)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "core/commands/CommandTable.h"
#include "core/language/LanguageTable.h"
#include "framework/Dpi.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "ui/IconLibrary.h"
#include "ui/IconMenu.h"
#include "ui/ToolBar.h"

using namespace px;

namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;
using bench::Verdict;

constexpr double kRatioLimit = 1.3;
constexpr double kLanguageLimit = 10;  // ms

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

std::string SourceFile(const std::string& relative) {
  std::string path = std::string("Z:") + PX_SOURCE_DIR + "/" + relative;
  std::replace(path.begin(), path.end(), '/', '\\');
  std::optional<std::string> bytes = ReadFileBytes(path);
  return bytes ? *bytes : std::string();
}

void Write(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                            nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// The platform's part alone: both libraries opened as data, every picture
// loaded at its size and added to a 32-bit list with alpha, as many as the
// bar and the toolbar load.
double BarePictures(const std::string& start, UINT dpi) {
  Clock::time_point began = Clock::now();
  struct Library {
    const char* path;
    int width, height;
  } libraries[] = {{"Menu\\Menu.dll", Scaled(16, dpi), Scaled(16, dpi)},
                   {"ToolBar\\ToolBar.dll", Scaled(18, dpi), Scaled(20, dpi)}};
  for (const Library& library : libraries) {
    HMODULE module = LoadLibraryExW(Widen(start + library.path).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HIMAGELIST images = ImageList_Create(library.width, library.height, ILC_COLOR32 | ILC_MASK,
                                         kLibraryIconCount, 0);
    for (int id = kFirstLibraryIcon; id < kFirstLibraryIcon + kLibraryIconCount; ++id) {
      HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                 library.width, library.height, 0));
      ImageList_AddIcon(images, icon);
      DestroyIcon(icon);
    }
    ImageList_Destroy(images);
    FreeLibrary(module);
  }
  return Milliseconds(began);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  // A start folder as the program finds it: the libraries beside this
  // program, the shipped layout and languages.
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string exeFolder = Folder(Narrow(self));
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::string start = Narrow(temp) + "pxmenubench\\";
  for (const char* folder : {"", "Menu", "ToolBar"})
    CreateDirectoryW(Widen(start + folder).c_str(), nullptr);
  CopyFileW(Widen(exeFolder + "Menu.dll").c_str(), Widen(start + "Menu\\Menu.dll").c_str(), FALSE);
  CopyFileW(Widen(exeFolder + "ToolBar.dll").c_str(),
            Widen(start + "ToolBar\\ToolBar.dll").c_str(), FALSE);
  Write(start + "ToolBar\\Standart.ini", SourceFile("ToolBar/Standart.ini"));

  LanguageTable english, german;
  english.Load(DecodeText(SourceFile("Language/English.lng")).utf8);
  german.Load(DecodeText(SourceFile("Language/German.lng")).utf8);
  LanguageTable texts = english;

  HWND window = CreateWindowExW(0, L"STATIC", L"menu bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                                50, 800, 500, nullptr, nullptr, nullptr, nullptr);
  // Without a display there is no window, nor a toolbar on it: nothing to time.
  if (window == nullptr) {
    std::printf("menu bench: no window (is there a display?)\n");
    return 1;
  }
  AppContext context;
  context.owner = window;
  context.startDirectory = start;
  context.texts = &texts;
  CommandTable commands;

  std::vector<std::string> favourites = {"Work", "Projects", "Photos 2026", "C:"};
  std::printf("menu bar and toolbar, %d rounds, %d toolbar items, %d pictures each library\n",
              rounds, 24, kLibraryIconCount);
  std::vector<double> rebuild;
  for (UINT dpi : {96u, 192u}) {
    std::vector<double> build, bare, ratios;
    BarePictures(start, dpi);  // the libraries' pages read once before timing
    for (int round = 0; round < rounds; ++round) {
      // Alternating, so that neither side gains from what the other left warm.
      bare.push_back(BarePictures(start, dpi));
      auto menus = std::make_unique<MenuBar>(context, commands);
      auto toolBar = std::make_unique<ToolBar>(context, commands);
      Clock::time_point began = Clock::now();
      menus->Build(window, dpi);
      toolBar->Create(window, dpi);
      menus->SetFavourites(favourites);
      build.push_back(Milliseconds(began));
      ratios.push_back(build.back() / bare.back());
      if (toolBar->Buttons().size() != 24 || GetMenu(window) != menus->Bar()) {
        std::printf("menu bench: the menu bar or the toolbar was not built\n");
        return 1;
      }

      if (dpi == 96) {
        for (int change = 0; change < 5; ++change) {
          texts = (change % 2 == 0) ? german : english;
          began = Clock::now();
          menus->Rebuild();
          toolBar->ApplyLanguage();
          rebuild.push_back(Milliseconds(began));
        }
        texts = english;
      }
      SetMenu(window, nullptr);
      DestroyWindow(toolBar->Handle());
    }
    // Each round's own ratio: the machine's slower and faster spells, longer
    // than a round, weigh on both sides of it alike.
    const double ratio = Median(ratios);
    std::printf("%3u %%  start-up: menu bar + toolbar %7.2f ms   bare picture loading %7.2f ms   "
                "ratio %.2f (limit %.1f) %s\n",
                dpi * 100 / 96, Median(build), Median(bare), ratio, kRatioLimit,
                Verdict(ratio, kRatioLimit));
  }
  std::printf("language change: menus + tooltips rebuilt    median %7.2f ms (limit %.0f ms) %s\n",
              Median(rebuild), kLanguageLimit, Verdict(Median(rebuild), kLanguageLimit));
  DestroyWindow(window);
  return 0;
}
