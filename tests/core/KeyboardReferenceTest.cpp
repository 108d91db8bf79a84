// Decoding keyboard reference files: limit, zero byte, encodings, line ends.
#include "core/text/KeyboardReference.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text/Utf.h"

namespace px {
namespace {

// Stands in for the platform's conversion: marks what it was given.
std::string FakeCodePage(std::string_view bytes) { return "cp[" + std::string(bytes) + "]"; }

TEST(KeyboardReference, DecodesAsStored) {
  using namespace std::string_literals;
  static const struct {
    std::string bytes;
    std::string text;
  } kCases[] = {
      {"", ""},
      {"F1 help\r\nF2 rename", "F1 help\r\nF2 rename"},
      {"F1\0hidden"s, "F1"},
      {"\0"s, ""},
      {"\xEF\xBB\xBF" "F1 \xE2\x80\x93 Hilfe", "F1 \xE2\x80\x93 Hilfe"},
      {"F1 \xE2\x80\x93 Hilfe", "F1 \xE2\x80\x93 Hilfe"},
      {"\xEF\xBB\xBF", ""},
      {"F1 \x96 Hilfe", "cp[F1 \x96 Hilfe]"},
      {"\xEF\xBB\xBF" "F\xFC" "r", "cp[F\xFC" "r]"},
      {"Gr\xF6\xDF" "e\0\xFF"s, "cp[Gr\xF6\xDF" "e]"},
      {"a\nb\rc\r\nd\n\n", "a\r\nb\r\nc\r\nd\r\n\r\n"},
      {"\xFF\xFE" "F\0" "1\0" "\x13\x20" "\n\0"s, "F1\xE2\x80\x93\r\n"},
      {"\xFF\xFE" "F\0\0\0" "x\0"s, "F"},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(KeyboardReferenceText(c.bytes, FakeCodePage), c.text) << c.bytes;
  EXPECT_EQ(KeyboardReferenceText("\xC4", nullptr), "\xC3\x84");
}

// A long UTF-8 reference is cut at the limit without a broken character,
// wherever the limit falls inside a sequence; a longer code-page one is cut by bytes.
TEST(KeyboardReference, LongTextIsCutAtACharacter) {
  const std::string line = "F5 \xE2\x80\x93 Kopieren \xC3\xBC \xF0\x9F\x93\x81 \xE4\xB8\x80\r\n";
  for (const std::string prefix : {"", "\xEF\xBB\xBF"}) {
    for (size_t shift = 0; shift < 4; ++shift) {
      std::string bytes = prefix + std::string(shift, '-');
      while (bytes.size() < 40000) bytes += line;
      const std::string body = bytes.substr(prefix.size());
      const std::string text = KeyboardReferenceText(bytes, [](std::string_view) {
        ADD_FAILURE() << "UTF-8 taken for the code page";
        return std::string();
      });
      const size_t shown = kKeyboardReferenceLimit - prefix.size();
      EXPECT_TRUE(IsValidUtf8(text));
      EXPECT_LE(text.size(), shown);
      EXPECT_GE(text.size() + 3, shown);
      EXPECT_EQ(body.compare(0, text.size(), text), 0) << shift;
    }
  }
  const std::string latin(40000, '\xE4');
  EXPECT_EQ(KeyboardReferenceText(latin, FakeCodePage),
            "cp[" + latin.substr(0, kKeyboardReferenceLimit) + "]");
}

TEST(KeyboardReference, LongUtf16TextKeepsNoHalfPair) {
  std::string bytes = "\xFF\xFE";
  bytes += std::string(kKeyboardReferenceLimit - 5, 'a');  // 'a' 'a' ... pairs of bytes: "\u6161"
  bytes += "\x3D\xD8\x01\xDE";  // U+1F601, cut after its high surrogate
  bytes += "xx";
  const std::string text = KeyboardReferenceText(bytes, FakeCodePage);
  EXPECT_TRUE(IsValidUtf8(text));
  EXPECT_EQ(Utf8ToUtf16(text), std::u16string((kKeyboardReferenceLimit - 5) / 2, u'\u6161'));
}

}  // namespace
}  // namespace px
