// Building the menu bar and the toolbar as start-up does (pictures loaded
// from both libraries, the shipped layout read), and rebuilding the menus
// and tooltips as a language change does.
//   menu_bench [rounds]      (run beside Menu.dll and ToolBar.dll)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/commands/CommandTable.h"
#include "core/language/LanguageTable.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "ui/IconLibrary.h"
#include "ui/IconMenu.h"
#include "ui/ToolBar.h"

using namespace px;

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

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

void Report(const char* what, std::vector<double> times, double limit) {
  double first = times.front();
  std::sort(times.begin(), times.end());
  std::printf("%-44s first %7.2f ms  median %7.2f ms  max %7.2f ms  (limit %.0f ms)\n", what,
              first, times[times.size() / 2], times.back(), limit);
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
  AppContext context;
  context.owner = window;
  context.startDirectory = start;
  context.texts = &texts;
  CommandTable commands;

  std::vector<double> build, rebuild, menuIcons, toolIcons;
  std::vector<std::string> favourites = {"Work", "Projects", "Photos 2026", "C:"};
  for (int round = 0; round < rounds; ++round) {
    Clock::time_point icons = Clock::now();
    ImageList menuImages = LoadLibraryIcons(start + "Menu\\Menu.dll", 16, 16);
    menuIcons.push_back(Milliseconds(icons));
    icons = Clock::now();
    ImageList toolImages = LoadLibraryIcons(start + "ToolBar\\ToolBar.dll", 18, 20);
    toolIcons.push_back(Milliseconds(icons));

    auto menus = std::make_unique<MenuBar>(context, commands);
    auto toolBar = std::make_unique<ToolBar>(context, commands);
    Clock::time_point began = Clock::now();
    menus->Build(window);
    toolBar->Create(window);
    menus->SetFavourites(favourites);
    build.push_back(Milliseconds(began));

    for (int change = 0; change < 5; ++change) {
      texts = (change % 2 == 0) ? german : english;
      began = Clock::now();
      menus->Rebuild();
      toolBar->ApplyLanguage();
      rebuild.push_back(Milliseconds(began));
    }
    texts = english;
    SetMenu(window, nullptr);
    DestroyWindow(toolBar->Handle());
  }
  std::printf("menu bar and toolbar, %d rounds, %d toolbar items\n", rounds, 24);
  Report("start-up: menu bar + toolbar, pictures loaded", build, 50);
  Report("  of which: 30 menu pictures", menuIcons, 50);
  Report("  of which: 30 toolbar pictures", toolIcons, 50);
  Report("language change: menus + tooltips rebuilt", rebuild, 10);
  DestroyWindow(window);
  return 0;
}
