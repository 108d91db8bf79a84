// Finding the running Pannex window and its dialogs from another process,
// shared by the screenshot tools.
#pragma once

#include <windows.h>

#include <cwchar>

namespace px::tools {

// The main window is the one of that caption without an owner: its dialogs
// carry the product name as their caption too.
inline BOOL CALLBACK IsMainWindow(HWND window, LPARAM data) {
  wchar_t caption[16] = L"", name[16] = L"";
  GetWindowTextW(window, caption, 16);
  GetClassNameW(window, name, 16);
  if (wcscmp(caption, L"Pannex") != 0 || wcscmp(name, L"#32770") != 0 ||
      GetWindow(window, GW_OWNER) != nullptr || !IsWindowVisible(window))
    return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

// Waits for the main window, looking every 100 ms at most tries times.
inline HWND WaitForMainWindow(int tries) {
  HWND main = nullptr;
  for (int i = 0; i < tries && main == nullptr; ++i) {
    EnumWindows(IsMainWindow, reinterpret_cast<LPARAM>(&main));
    if (main == nullptr) Sleep(100);
  }
  return main;
}

// Dialogs of a run (a question over the progress window) are owned by other
// dialogs: any owner on the way up to the main window counts.
inline bool OwnedBy(HWND window, HWND main) {
  for (HWND owner = GetWindow(window, GW_OWNER); owner != nullptr;
       owner = GetWindow(owner, GW_OWNER))
    if (owner == main) return true;
  return false;
}

// A visible top-level window of the main window's program, owned or not
// (the viewer stands on its own), that holds a control of that id; null when
// there is none.
inline HWND WindowOfProgramWith(HWND main, int control) {
  struct Search {
    DWORD process;
    int control;
    HWND found;
  } search{0, control, nullptr};
  GetWindowThreadProcessId(main, &search.process);
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        Search& s = *reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != s.process || !IsWindowVisible(window) || GetDlgItem(window, s.control) == nullptr)
          return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace px::tools
