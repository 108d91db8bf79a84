// Rules for names: which a rename may give, which listed ones are reached exactly, which name a device.
#include "core/panel/NameRules.h"

#include <cctype>

#include "core/text/CaseFold.h"
#include "core/text/Utf.h"

namespace px {

bool IsDeviceName(const std::string& name) {
  // The device names stay devices whatever extension follows them.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (const char* device : kDevices)
    if (EqualsNoCase(base, device)) return true;
  if (base.size() == 4 && (EqualsNoCase(base.substr(0, 3), "com") ||
                           EqualsNoCase(base.substr(0, 3), "lpt")))
    return base[3] >= '1' && base[3] <= '9';
  return false;
}

bool IsAddressableName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("\\/") == std::string_view::npos;
}

bool ShellReachesName(std::string_view name) {
  return IsAddressableName(name) && name.back() != '.' && name.back() != ' ';
}

bool MayListAlike(std::string_view name) {
  return name.find("\xEF\xBF\xBD") != std::string_view::npos;
}

bool IsAcceptableNewName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (unsigned char c : name) {
    if (c < 0x20) return false;
    switch (c) {
      case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
        return false;
      default:
        break;
    }
  }
  if (!IsValidUtf8(name)) return false;
  if (Utf8ToUtf16(name).size() > 255) return false;
  return !IsDeviceName(name);
}

std::string EditorParameters(const std::string& filePath) {
  if (filePath.find(' ') != std::string::npos) return " \"" + filePath + "\"";
  return " " + filePath;
}

}  // namespace px
