// Fuzzes keyboard reference files: finding their encoding, cutting them at the limit, their line ends.
#include <string>
#include <string_view>

#include "core/text/KeyboardReference.h"
#include "core/text/Utf.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

// Every line end is CR LF, and nothing past a zero is shown.
void CheckShown(const std::string& text) {
  PX_FUZZ_CHECK(text.find('\0') == std::string::npos);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') PX_FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n');
    if (text[i] == '\n') PX_FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
  }
}

// Line ends of any kind as LF, for comparing a text with what is shown of it.
std::string WithLf(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Length of the sequence a lead byte announces; 0 for a byte none starts with.
size_t Announced(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

void Check(std::string_view bytes) {
  const bool utf16 = bytes.substr(0, 2) == "\xFF\xFE";
  const std::string latin1 = KeyboardReferenceText(bytes, nullptr);
  CheckShown(latin1);
  // Only UTF-16 may carry a lone surrogate through; anything else comes out as UTF-8.
  if (!utf16) PX_FUZZ_CHECK(IsValidUtf8(latin1));

  bool decoded = false;
  const std::string viaCodePage = KeyboardReferenceText(bytes, [&](std::string_view given) {
    // The code page gets only what is not UTF-8, within the limit and before any zero.
    PX_FUZZ_CHECK(!utf16 && !decoded);
    PX_FUZZ_CHECK(given.size() <= kKeyboardReferenceLimit);
    PX_FUZZ_CHECK(given.find('\0') == std::string_view::npos);
    PX_FUZZ_CHECK(!IsValidUtf8(given));
    decoded = true;
    return std::string(given);
  });
  CheckShown(viaCodePage);
  if (!decoded) PX_FUZZ_CHECK(viaCodePage == latin1);

  // A UTF-8 file within the limit is shown as it is, but for its line ends.
  std::string_view body = bytes.substr(0, bytes.find('\0'));
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  if (!utf16 && bytes.size() <= kKeyboardReferenceLimit && IsValidUtf8(body)) {
    PX_FUZZ_CHECK(!decoded);
    PX_FUZZ_CHECK(WithLf(latin1) == WithLf(body));
  }

  // A UTF-8 file cut at the limit loses the character the cut went through,
  // never more, and is not taken for the code page.
  std::string_view kept = bytes.substr(0, kKeyboardReferenceLimit);
  if (!utf16 && bytes.size() > kKeyboardReferenceLimit && kept.find('\0') == std::string_view::npos) {
    if (kept.substr(0, 3) == "\xEF\xBB\xBF") kept.remove_prefix(3);
    for (size_t cut = 0; cut <= 3 && cut <= kept.size(); ++cut) {
      const std::string_view tail = kept.substr(kept.size() - cut);
      bool started = cut == 0 || Announced(static_cast<unsigned char>(tail[0])) > cut;
      for (size_t i = 1; i < tail.size(); ++i) started = started && IsContinuation(tail[i]);
      if (!started || !IsValidUtf8(kept.substr(0, kept.size() - cut))) continue;
      PX_FUZZ_CHECK(!decoded);
      PX_FUZZ_CHECK(WithLf(latin1) == WithLf(kept.substr(0, kept.size() - cut)));
      break;
    }
  }
}

}  // namespace
}  // namespace px

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = px::fuzz::AsText(data, size);
  px::Check(bytes);
  // Repeated past the limit, so the cut falls inside sequences of every length.
  if (size > 0 && (data[size - 1] & 1) != 0)
    px::Check(px::fuzz::RepeatedPast(bytes, px::kKeyboardReferenceLimit + size % 5));
  return 0;
}
