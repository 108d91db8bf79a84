// UTF-8 inside, UTF-16 at the platform's edge.
#pragma once

#include <string>
#include <string_view>

namespace px {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace px
