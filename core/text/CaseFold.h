// Case-insensitive comparison of names for every script.
#pragma once

#include <string>
#include <string_view>

namespace px {

// Lower-case mapping of one code point (simple one-to-one mapping).
char32_t FoldCase(char32_t codePoint);

// The name with every code point folded; comparing two folded names byte by
// byte orders them by code point, which is what the panels' sorting uses.
std::string FoldName(std::string_view utf8);

// <0, 0, >0 like strcmp, ignoring case.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace px
