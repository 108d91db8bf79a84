// Drives the running Pannex window from outside for the screenshot scripts:
// sends it command ids, waits for one of its dialogs and clicks that dialog's
// buttons, the way a user's keys and clicks would.
//   window_remote command ID          posts the command ID to the main window
//   window_remote wait CONTROL        waits for a dialog with that control and
//                                     prints its rectangle as WxH+X+Y, from
//                                     the main window's corner
//   window_remote press CONTROL ID    clicks button ID of that dialog
//   window_remote tab CONTROL PAGE    shows that page of the dialog's tab
//                                     control CONTROL
//   window_remote ready               waits until the main window is shown
//   window_remote key VK              presses key VK in the control that has
//                                     the main window's focus
//   window_remote post CONTROL ID     posts the command ID to the window of
//                                     the program holding CONTROL (a viewer)
//   window_remote type TEXT           types TEXT (characters) into the control
//                                     that has the main window's focus
// Ids are numbers (the scripts read them from res/resource.h).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

#include "tools/MainWindowSearch.h"

using namespace px::tools;

namespace {

struct Search {
  HWND main;
  int control;
  HWND found;
};

HWND FindDialog(HWND main, int control, int attempts) {
  Search search{main, control, nullptr};
  for (int i = 0; i < attempts && search.found == nullptr; ++i) {
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          Search& s = *reinterpret_cast<Search*>(data);
          if (window == s.main || !IsWindowVisible(window) || !OwnedBy(window, s.main))
            return TRUE;
          if (GetDlgItem(window, s.control) == nullptr) return TRUE;
          s.found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) Sleep(50);
  }
  return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Pixels as the program draws them, at any scale (no scaled coordinates).
  SetProcessDPIAware();
  if (argc < 2) return 2;
  HWND main = WaitForMainWindow(200);
  if (main == nullptr) return 1;
  const wchar_t* verb = argv[1];
  if (wcscmp(verb, L"ready") == 0) {
    // The pointer rests over the empty part of the right list, where nothing
    // under it lights up.
    RECT frame;
    GetWindowRect(main, &frame);
    SetCursorPos(frame.right - 40, frame.top + (frame.bottom - frame.top) * 3 / 4);
    // Its first listing and drawing.
    Sleep(1500);
    return 0;
  }
  if (argc < 3) return 2;
  if (wcscmp(verb, L"type") == 0) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &thread) || thread.hwndFocus == nullptr) return 1;
    for (const wchar_t* c = argv[2]; *c != L'\0'; ++c) PostMessageW(thread.hwndFocus, WM_CHAR, *c, 1);
    Sleep(300);
    return 0;
  }
  const int id = _wtoi(argv[2]);
  if (wcscmp(verb, L"key") == 0) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &thread) || thread.hwndFocus == nullptr) return 1;
    PostMessageW(thread.hwndFocus, WM_KEYDOWN, static_cast<WPARAM>(id), 1);
    PostMessageW(thread.hwndFocus, WM_KEYUP, static_cast<WPARAM>(id), 0xC0000001);
    Sleep(200);
    return 0;
  }
  if (wcscmp(verb, L"post") == 0 && argc >= 4) {
    HWND window = nullptr;
    for (int i = 0; i < 100 && window == nullptr; ++i) {
      window = WindowOfProgramWith(main, id);
      if (window == nullptr) Sleep(50);
    }
    if (window == nullptr) return 1;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(_wtoi(argv[3]), 0), 0);
    Sleep(300);
    return 0;
  }
  if (wcscmp(verb, L"command") == 0) {
    return PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? 0 : 1;
  }
  if (wcscmp(verb, L"wait") == 0) {
    HWND dialog = FindDialog(main, id, 400);
    if (dialog == nullptr) return 1;
    // Its first drawing.
    Sleep(300);
    RECT r, origin;
    GetWindowRect(dialog, &r);
    GetWindowRect(main, &origin);
    std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left - origin.left,
                r.top - origin.top);
    return 0;
  }
  if (wcscmp(verb, L"press") == 0 && argc >= 4) {
    HWND dialog = FindDialog(main, id, 400);
    if (dialog == nullptr) return 1;
    const int button = _wtoi(argv[3]);
    HWND control = GetDlgItem(dialog, button);
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                        reinterpret_cast<LPARAM>(control))
               ? 0
               : 1;
  }
  if (wcscmp(verb, L"tab") == 0 && argc >= 4) {
    HWND dialog = FindDialog(main, id, 400);
    if (dialog == nullptr) return 1;
    SendMessageW(GetDlgItem(dialog, id), TCM_SETCURFOCUS, _wtoi(argv[3]), 0);
    return 0;
  }
  return 2;
}
