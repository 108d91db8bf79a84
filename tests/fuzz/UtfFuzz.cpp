// Fuzzes UTF-8 and UTF-16 conversion and case-insensitive comparison of names.
#include <string>
#include <string_view>

#include "core/text/CaseFold.h"
#include "core/text/Utf.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

bool HasLoneSurrogate(std::u16string_view units) {
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

void CheckConversion(std::string_view bytes) {
  const std::u16string units = Utf8ToUtf16(bytes);
  PX_FUZZ_CHECK(units.size() <= bytes.size());
  if (IsValidUtf8(bytes)) PX_FUZZ_CHECK(Utf16ToUtf8(units) == bytes);

  // Every decoded character takes one to four bytes; nothing is skipped.
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t start = pos;
    const char32_t c = DecodeUtf8(bytes, pos);
    PX_FUZZ_CHECK(pos > start && pos <= start + 4 && pos <= bytes.size() && c <= 0x10FFFF);
    std::string encoded;
    AppendUtf8(encoded, c);
    if (pos - start > 1) PX_FUZZ_CHECK(encoded == bytes.substr(start, pos - start));
  }

  // Any UTF-16, lone surrogates included, comes back from UTF-8 unchanged.
  std::u16string wide;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  const std::string narrow = Utf16ToUtf8(wide);
  PX_FUZZ_CHECK(Utf8ToUtf16(narrow) == wide);
  PX_FUZZ_CHECK(IsValidUtf8(narrow) == !HasLoneSurrogate(wide));
}

void CheckFolding(const std::string& a, const std::string& b, const std::string& c) {
  const std::string foldedA = FoldName(a);
  const std::string foldedB = FoldName(b);
  PX_FUZZ_CHECK(FoldName(foldedA) == foldedA);
  PX_FUZZ_CHECK(IsValidUtf8(a) == IsValidUtf8(foldedA));
  PX_FUZZ_CHECK(CompareNoCase(a, foldedA) == 0 && EqualsNoCase(foldedA, a));

  // Compared as their folded texts compare, so the order is total and the same both ways round.
  const int ab = CompareNoCase(a, b);
  PX_FUZZ_CHECK(ab == Sign(foldedA.compare(foldedB)));
  PX_FUZZ_CHECK(ab == -CompareNoCase(b, a));
  PX_FUZZ_CHECK(CompareNoCase(a, a) == 0);
  PX_FUZZ_CHECK(EqualsNoCase(a, b) == (ab == 0));
  const int bc = CompareNoCase(b, c);
  if (ab <= 0 && bc <= 0) PX_FUZZ_CHECK(CompareNoCase(a, c) <= 0);

  for (size_t pos = 0; pos < a.size();) {
    const char32_t code = DecodeUtf8(a, pos);
    PX_FUZZ_CHECK(FoldCase(FoldCase(code)) == FoldCase(code));
  }
}

}  // namespace
}  // namespace px

// The whole input as bytes and as UTF-16; its first three lines as names to compare.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = px::fuzz::AsText(data, size);
  px::CheckConversion(bytes);
  const std::vector<std::string> names = px::fuzz::Fields(bytes, 3);
  px::CheckFolding(names[0], names[1], names[2]);
  px::CheckFolding(names[2], names[0], names[1]);
  // Code points from the bytes taken four at a time, beyond Unicode included.
  for (size_t i = 0; i + 3 < size; i += 4) {
    const char32_t code = static_cast<char32_t>(data[i] | data[i + 1] << 8 | data[i + 2] << 16 | (data[i + 3] & 0x3F) << 24);
    const char32_t folded = px::FoldCase(code);
    PX_FUZZ_CHECK(px::FoldCase(folded) == folded);
    std::string encoded;
    px::AppendUtf8(encoded, code);
    size_t pos = 0;
    const char32_t back = px::DecodeUtf8(encoded, pos);
    PX_FUZZ_CHECK(pos == encoded.size() && back == (code > 0x10FFFF ? 0xFFFD : code));
  }
  return 0;
}
