// Entry point: the main window and the program's one message loop, run until
// the main window closes (the windows beside it close with it).
#include <windows.h>
#include <objbase.h>

#include "app/MainWindow.h"
#include "framework/MessageLoop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The shell needs COM for the icons of shortcuts and for its folders.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    px::MainWindow window;
    window.EndProgramWhenClosed();
    if (window.ShowModeless(nullptr)) px::MessageLoop::Run();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
