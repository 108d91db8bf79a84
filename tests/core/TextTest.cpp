// UTF-8/16 conversion and case-insensitive name comparison.
#include <gtest/gtest.h>

#include <string>

#include "core/text/CaseFold.h"
#include "core/text/Utf.h"

namespace px {
namespace {

TEST(Utf, Utf16RoundTripsExactly) {
  static const std::u16string kNames[] = {
      u"",
      u"readme.txt",
      u"\u00C4rger \u0436\u0443\u0440\u043D\u0430\u043B \u65E5\u672C",
      u"\U0001F600 emoji",
      std::u16string(1, char16_t(0xD800)) + u"lone high",
      u"lone low" + std::u16string(1, char16_t(0xDC00)),
      std::u16string{char16_t(0xDBFF), u'x', char16_t(0xDFFF)},
      std::u16string{char16_t(0xDC00), char16_t(0xD800)},  // reversed pair stays two lone halves
      std::u16string{u'a', char16_t(0), u'b'},
  };
  for (const std::u16string& name : kNames) {
    const std::string utf8 = Utf16ToUtf8(name);
    EXPECT_EQ(Utf8ToUtf16(utf8), name) << utf8;
  }
}

TEST(Utf, EncodesAsExpected) {
  static const struct {
    std::u16string utf16;
    std::string utf8;
  } kCases[] = {
      {u"A", "A"},
      {u"\u00E9", "\xC3\xA9"},
      {u"\u20AC", "\xE2\x82\xAC"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string(1, char16_t(0xD83D)), "\xED\xA0\xBD"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  }
}

TEST(Utf, ValidityIsStrict) {
  static const struct {
    std::string text;
    bool valid;
  } kCases[] = {
      {"", true},
      {"plain", true},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", true},
      {"\xF4\x8F\xBF\xBF", true},       // U+10FFFF
      {"\xC0\xAF", false},              // overlong "/"
      {"\xE0\x80\xAF", false},          // overlong "/"
      {"\xF0\x80\x80\xAF", false},      // overlong "/"
      {"\xED\xA0\x80", false},          // surrogate
      {"\xF4\x90\x80\x80", false},      // above U+10FFFF
      {"\xC3", false},                  // truncated
      {"\xE2\x82", false},              // truncated
      {"\x80", false},                  // stray continuation
      {"\xFF", false},
      {"\xC3\x28", false},              // lead without continuation
  };
  for (const auto& c : kCases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << testing::PrintToString(c.text);
}

TEST(Utf, MalformedBytesDecodeAsThemselves) {
  const std::string text = "a\xC3(\xFF\xE2\x82";
  static const char32_t kExpected[] = {U'a', 0xC3, U'(', 0xFF, 0xE2, 0x82};
  size_t pos = 0;
  for (char32_t expected : kExpected) {
    ASSERT_LT(pos, text.size());
    EXPECT_EQ(DecodeUtf8(text, pos), expected);
  }
  EXPECT_EQ(pos, text.size());
  EXPECT_EQ(Utf8ToUtf16(text), std::u16string(u"a\u00C3(\u00FF\u00E2\u0082"));
}

TEST(Utf, AppendReplacesCodePointsBeyondUnicode) {
  std::string out;
  AppendUtf8(out, 0x110000);
  EXPECT_EQ(out, "\xEF\xBF\xBD");
}

TEST(CaseFold, FoldsEveryScript) {
  static const struct {
    const char* upper;
    const char* lower;
  } kCases[] = {
      {"README.TXT", "readme.txt"},
      {"\xC3\x84RGER \xC3\x89T\xC3\x89", "\xC3\xA4rger \xC3\xA9t\xC3\xA9"},   // ÄRGER ÉTÉ
      {"\xC4\x80\xC5\xBD", "\xC4\x81\xC5\xBE"},                                 // Ā Ž (paired ranges)
      {"\xCE\x91\xCE\xA9\xCE\xA3", "\xCE\xB1\xCF\x89\xCF\x83"},                 // ΑΩΣ
      {"\xD0\x96\xD0\x81\xD0\xAF", "\xD0\xB6\xD1\x91\xD1\x8F"},                 // ЖЁЯ
      {"\xE2\x84\xAA", "k"},                                                    // Kelvin sign
      {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8"},                                 // Deseret
      {"\xE6\x97\xA5 123 _-", "\xE6\x97\xA5 123 _-"},                           // no case
      {"\xC4\xB0", "\xC4\xB0"},  // İ lowers to two code points: left alone
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(FoldName(c.upper), c.lower) << c.upper;
    EXPECT_TRUE(EqualsNoCase(c.upper, c.lower)) << c.upper;
  }
}

TEST(CaseFold, MalformedBytesStayAsTheyAre) {
  EXPECT_EQ(FoldName("A\xC0Z"), "a\xC0z");
  // The byte 0xC0 must not turn into a folded U+00C0.
  EXPECT_FALSE(EqualsNoCase("\xC0", "\xC3\xA0"));
}

TEST(CaseFold, ComparesLikeFoldedBytes) {
  static const struct {
    const char* a;
    const char* b;
    int expected;
  } kCases[] = {
      {"_x", "a", -1},   // "_" sorts before letters, as lower-cased ASCII does
      {"_x", "A", -1},
      {"Zeta", "alpha", 1},
      {"abc", "ABCD", -1},
      {"", "", 0},
      {"", "a", -1},
      {"\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", 0},
      {"z", "\xC3\xA4", -1},   // ASCII before other scripts
      {"\xE2\x84\xAA", "K", 0},  // three bytes against one
      {"\xE2\x84\xAA" "a", "kb", -1},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(CompareNoCase(c.a, c.b), c.expected) << c.a << " / " << c.b;
    EXPECT_EQ(CompareNoCase(c.b, c.a), -c.expected) << c.b << " / " << c.a;
    const int bytewise = FoldName(c.a).compare(FoldName(c.b));
    EXPECT_EQ((bytewise > 0) - (bytewise < 0), c.expected) << c.a << " / " << c.b;
  }
}

}  // namespace
}  // namespace px
