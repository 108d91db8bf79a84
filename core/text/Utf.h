// Conversions between the UTF-8 strings used inside and the UTF-16 of the platform.
// Lone surrogates survive the round trip (encoded as three-byte sequences), so
// every name the file system can hold is listed and acted on exactly.
#pragma once

#include <string>
#include <string_view>

namespace px {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// True when text is well-formed UTF-8 (overlong forms and surrogates rejected).
bool IsValidUtf8(std::string_view text);

// Decodes one code point at text[pos] (pos < text.size()), advancing pos.
// Three-byte surrogates are accepted so that lone surrogates come back;
// malformed bytes decode one at a time as themselves (0x80..0xFF) so no input
// is ever skipped.
char32_t DecodeUtf8(std::string_view text, size_t& pos);
// Code points above U+10FFFF are written as U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace px
