// Mask matching for select and deselect by mask.
#include "core/text/Wildcard.h"

#include "core/text/CaseFold.h"
#include "core/text/Utf.h"

namespace px {
namespace {

bool IsWildcard(char c) { return c == '*' || c == '?'; }

// The next character of text, case folded. A malformed byte becomes a value
// beyond Unicode, so it equals only the same byte and never a decoded letter.
char32_t NextFolded(std::string_view text, size_t& pos) {
  const size_t start = pos;
  const char32_t c = DecodeUtf8(text, pos);
  if (pos - start == 1 && c >= 0x80) return 0x110000 + c;
  return FoldCase(c);
}

}  // namespace

bool MatchPattern(std::string_view text, std::string_view pattern) {
  size_t i = 0;
  size_t j = 0;
  for (;;) {
    if (j < pattern.size() && IsWildcard(pattern[j])) {
      // A run such as "*?" or "**" is taken as its "?"s followed by one "*"
      // (the same set of texts), so a wildcard is never looked for literally
      // in the text.
      bool star = false;
      for (; j < pattern.size() && IsWildcard(pattern[j]); ++j) {
        if (pattern[j] == '*') {
          star = true;
        } else {
          if (i >= text.size()) return false;
          NextFolded(text, i);
        }
      }
      if (!star) continue;
      if (j == pattern.size()) return true;
      // No backtracking: the first text character equal to the one after
      // the "*" is taken.
      const char32_t wanted = NextFolded(pattern, j);
      for (;;) {
        if (i >= text.size()) return false;
        if (NextFolded(text, i) == wanted) break;
      }
      continue;
    }
    const bool patternEnded = j >= pattern.size();
    const bool textEnded = i >= text.size();
    if (patternEnded || textEnded) return patternEnded && textEnded;
    if (NextFolded(text, i) != NextFolded(pattern, j)) return false;
  }
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  // An empty mask would otherwise pick exactly the names that begin with a dot.
  if (mask.empty()) return false;
  const size_t nameDot = name.rfind('.');
  const std::string_view base = nameDot == std::string_view::npos ? name : name.substr(0, nameDot);
  const size_t maskDot = mask.rfind('.');
  if (maskDot == std::string_view::npos) return MatchPattern(base, mask);
  // "*" stands for the missing extension: "*.*" takes such names, "*." does not.
  const std::string_view extension =
      nameDot == std::string_view::npos ? std::string_view("*") : name.substr(nameDot + 1);
  return MatchPattern(base, mask.substr(0, maskDot)) &&
         MatchPattern(extension, mask.substr(maskDot + 1));
}

}  // namespace px
