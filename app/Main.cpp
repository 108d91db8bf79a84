// Entry point: the program is its main window, run until it closes.
#include <windows.h>

#include "app/MainWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  px::MainWindow window;
  window.DoModal(nullptr);
  return 0;
}
