// Masks such as *.txt for selecting entries and for the search.
#pragma once

#include <string_view>

namespace px {

// One pass over text and pattern, case ignored per code point: "?" takes one
// character, "*" skips to the first text character equal to the pattern
// character after it (no backtracking, so "*ab" does not match "aab").
bool MatchPattern(std::string_view text, std::string_view pattern);

// Splits name and mask at their last "." into base and extension (a name
// without a dot has the extension "*"; a mask without a dot matches the base
// only). An empty mask matches nothing.
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace px
