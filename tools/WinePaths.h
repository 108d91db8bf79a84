// Where a folder the program sees lives on the Unix side, for the test and
// benchmark programs that reach it from there (under Wine only).
#pragma once

#include <windows.h>

#include <string>

#include "framework/Wide.h"

namespace px {

// The Unix path of a folder, through Wine's own export; empty elsewhere.
inline std::string UnixPathOf(const std::string& folder) {
  using Convert = char*(CDECL*)(const wchar_t*);
  auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (convert == nullptr) return std::string();
  char* unix = convert(Widen(folder).c_str());
  if (unix == nullptr) return std::string();
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

}  // namespace px
