// What the main window does with keys before they are dispatched: the
// accelerators, typing into the command line from a list, and the keys the
// lists and the window must never see.
#pragma once

#include <windows.h>

#include "framework/AppContext.h"
#include "framework/Handles.h"

namespace px {

class PanelPair;

class KeyboardFilter {
 public:
  KeyboardFilter(AppContext& context, PanelPair& panels) : context_(context), panels_(panels) {}

  // Loads the accelerator table; commandLine is the command line's edit.
  void Attach(HWND commandLine);
  // True when the message was consumed (translated or swallowed); msg may be
  // retargeted to the command line.
  bool Filter(MSG& msg);

 private:
  AppContext& context_;
  PanelPair& panels_;
  HWND commandLine_ = nullptr;
  Accelerators accelerators_;
};

}  // namespace px
