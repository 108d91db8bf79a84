// What the main window does with keys before they are dispatched: the
// accelerators, typing into the command line from a list, and the keys the
// lists and the window must never see.
#pragma once

#include <windows.h>

#include "framework/AppContext.h"
#include "framework/Handles.h"

namespace px {

class FilePanel;
class PanelPair;

class KeyboardFilter {
 public:
  KeyboardFilter(AppContext& context, PanelPair& panels) : context_(context), panels_(panels) {}

  // Loads the accelerator table; commandLine is the command line's edit.
  void Attach(HWND commandLine);
  // True when the message was consumed (translated or swallowed); msg may be
  // retargeted to the command line.
  bool Filter(MSG& msg);

  // The character a key types under the keyboard layout, with Ctrl and Alt
  // held (AltGr on many layouts) or without them; 0 for none. The layout's
  // own answer unless a test stands in for a layout it cannot load.
  using KeyCharacter = wchar_t (*)(UINT virtualKey, UINT scanCode, bool ctrlAlt);
  static void SetKeyCharacterForTests(KeyCharacter character);

 private:
  // Keys of the quick search and the quick filter: true when taken.
  bool FilterBoxKey(MSG& msg, FilePanel& panel);

  AppContext& context_;
  PanelPair& panels_;
  HWND commandLine_ = nullptr;
  Accelerators accelerators_;
};

}  // namespace px
