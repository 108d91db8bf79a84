// Start-up to the first drawn window at 200 % against the same at 100 %, in
// one run, the two scales taking turns (the scale is read by each new
// process from the registry, as the system's display setting).
//   startup_bench [rounds]      (run in a folder holding the staged program:
//                                Pannex.exe with Language, Menu and ToolBar)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"

using namespace px::bench;

namespace {

struct Search {
  DWORD process;
  HWND found;
};

// A visible top-level window of the process.
HWND VisibleWindowOf(DWORD process) {
  Search search{process, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        Search& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s.process && IsWindowVisible(window)) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SetScale(DWORD dpi) {
  HKEY desktop = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_WRITE,
                      nullptr, &desktop, nullptr) != ERROR_SUCCESS)
    return false;
  const bool set = RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi)) == ERROR_SUCCESS;
  RegCloseKey(desktop);
  return set;
}

// Milliseconds from starting the program until its window is shown and it
// first waits for input (its first paint done); a negative number when it
// did not come up.
double StartOnce(const std::wstring& program) {
  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const Clock::time_point start = Clock::now();
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return -1;
  double elapsed = -1;
  for (int waited = 0; waited < 30000; waited += 2) {
    if (VisibleWindowOf(process.dwProcessId) != nullptr &&
        WaitForInputIdle(process.hProcess, 0) == 0) {
      elapsed = Milliseconds(start);
      break;
    }
    Sleep(2);
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  const std::wstring program = std::wstring(folder) + L"\\Pannex.exe";
  if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::printf("startup_bench: no Pannex.exe in this folder\n");
    return 1;
  }
  std::vector<double> at96, at192;
  // One start of each first: the files come into the cache.
  SetScale(96);
  StartOnce(program);
  SetScale(192);
  StartOnce(program);
  bool failed = false;
  for (int round = 0; round < rounds; ++round) {
    for (DWORD dpi : {96u, 192u}) {
      if (!SetScale(dpi)) failed = true;
      const double ms = StartOnce(program);
      if (ms < 0) failed = true;
      (dpi == 96 ? at96 : at192).push_back(ms);
    }
  }
  SetScale(96);
  if (failed) {
    std::printf("startup_bench: the program did not come up\n");
    return 1;
  }
  const double base = Median(at96), scaled = Median(at192);
  const double ratio = base > 0 ? scaled / base : 0;
  std::printf("Start-up to the first drawn window, median of %d\n", rounds);
  std::printf("  at 100 %% (96 dpi)   %8.1f ms\n", base);
  std::printf("  at 200 %% (192 dpi)  %8.1f ms   ratio %.2f (limit 1.2) %s\n", scaled, ratio,
              Verdict(ratio, 1.2));
  return 0;
}
