#include "framework/Wide.h"

#include "core/text/Utf.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Windows build has 16-bit wchar_t");

namespace px {

std::wstring Widen(std::string_view utf8) {
  std::u16string wide = Utf8ToUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()),
                                         utf16.size()));
}

}  // namespace px
