// What the parts of the program share, handed to each of them instead of the
// main window: the texts, the options, the settings file, the owner of their
// dialogs, the start directory, the way to the UI thread, the job runner and
// the colours.
// (The panels are handed on by the layers above them.)
#pragma once

#include <windows.h>

#include <string>

#include "core/jobs/JobRunner.h"
#include "core/language/LanguageTable.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"
#include "framework/Palette.h"
#include "framework/UiTasks.h"

namespace px {

// Caption of the main window and of its message boxes.
inline constexpr char kProductName[] = "Pannex";

struct AppContext {
  HWND owner = nullptr;  // the main window: owner of every dialog and message box
  std::string startDirectory;
  // The texts are loaded in place when the language changes: references stay valid.
  const LanguageTable* texts = nullptr;
  Options* options = nullptr;
  SettingsStore* settings = nullptr;
  UiTaskQueue* uiTasks = nullptr;
  JobRunner* jobs = nullptr;  // every piece of long work runs here
  const Palette* palette = nullptr;  // the colours; none: the system's

  const LanguageTable& Texts() const { return *texts; }
  Options& GetOptions() const { return *options; }
  const Palette& Colours() const { return palette != nullptr ? *palette : Palette::SystemDefault(); }
  bool ShowHidden() const { return options->showHiddenSystem != 0; }
};

}  // namespace px
