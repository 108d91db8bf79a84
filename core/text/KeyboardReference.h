// The text a keyboard reference file (.kbr) shows in the help window.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace px {

// Only this many bytes of a reference file are shown, so a caller need read no more.
constexpr size_t kKeyboardReferenceLimit = 32767;

// Turns bytes in the system code page into UTF-8 (the platform's conversion).
using CodePageDecoder = std::function<std::string(std::string_view bytes)>;

// The UTF-8 text to show for the bytes of a reference file: the first
// kKeyboardReferenceLimit bytes, up to the first zero byte (zero unit in
// UTF-16). The encoding is found as for the settings file: UTF-16 LE with its
// byte-order mark, UTF-8 with or without one, else the system code page
// through fromCodePage (each byte as U+0000..U+00FF when it is empty). A UTF-8
// or UTF-16 text cut at the limit loses the character the cut went through,
// never more, and is not mistaken for the code page. Every line end becomes
// CR LF, the only one the edit control breaks lines at.
std::string KeyboardReferenceText(std::string_view fileBytes, const CodePageDecoder& fromCodePage);

}  // namespace px
