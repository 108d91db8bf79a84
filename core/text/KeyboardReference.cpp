// Decoding a keyboard reference file for the help window.
#include "core/text/KeyboardReference.h"

#include <algorithm>

#include "core/text/Utf.h"

namespace px {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

// Length of the UTF-8 sequence a lead byte starts; 0 for a continuation or invalid byte.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Drops a sequence left incomplete at the end by a cut.
std::string_view WithoutCutSequence(std::string_view text) {
  const size_t lookBack = std::min<size_t>(text.size(), 3);
  for (size_t back = 1; back <= lookBack; ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;
    if (SequenceLength(byte) > back) text.remove_suffix(back);
    break;
  }
  return text;
}

std::string FromUtf16(std::string_view bytes, bool cut) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == 0) {
      cut = false;
      break;
    }
    units += unit;
  }
  if (cut && !units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
  return Utf16ToUtf8(units);
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string KeyboardReferenceText(std::string_view fileBytes, const CodePageDecoder& fromCodePage) {
  bool cut = fileBytes.size() > kKeyboardReferenceLimit;
  std::string_view bytes = fileBytes.substr(0, kKeyboardReferenceLimit);
  if (bytes.substr(0, kUtf16Bom.size()) == kUtf16Bom)
    return WithCrLf(FromUtf16(bytes.substr(kUtf16Bom.size()), cut));

  const size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) {
    bytes = bytes.substr(0, zero);
    cut = false;
  }
  std::string_view text = bytes;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
  const std::string_view whole = cut ? WithoutCutSequence(text) : text;
  if (IsValidUtf8(whole)) return WithCrLf(whole);
  if (fromCodePage) return WithCrLf(fromCodePage(text));
  std::string latin1;  // no platform conversion at hand: each byte as itself
  for (const char c : text) AppendUtf8(latin1, static_cast<unsigned char>(c));
  return WithCrLf(latin1);
}

}  // namespace px
