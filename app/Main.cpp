// Entry point: the program is its main window, run until it closes.
#include <windows.h>
#include <objbase.h>

#include "app/MainWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The shell needs COM for the icons of shortcuts and for its folders.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    px::MainWindow window;
    window.DoModal(nullptr);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
