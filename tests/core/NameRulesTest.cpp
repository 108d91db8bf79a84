#include "core/panel/NameRules.h"

#include <gtest/gtest.h>

#include <string>

namespace px {
namespace {

TEST(NameRules, NamesARenameMayGive) {
  struct Case {
    std::string name;
    bool acceptable;
  } const cases[] = {
      {"report.txt", true},
      {"Report.TXT", true},
      {"Ελληνικά 名前 😀", true},
      {".profile", true},
      {"a..b", true},
      {"console.txt", true},
      {"com10", true},
      {"", false},
      {".", false},
      {"..", false},
      {"a/b", false},
      {"a\\b", false},
      {"c:x", false},
      {"file.txt:stream", false},
      {"wild*.txt", false},
      {"what?", false},
      {"say \"hi\"", false},
      {"a<b>c", false},
      {"a|b", false},
      {"tab\there", false},
      {"trailing.", false},
      {"trailing ", false},
      {"con", false},
      {"CON.txt", false},
      {"nul ", false},
      {"Lpt1.doc", false},
      {"com9", false},
      {std::string(255, 'x'), true},
      {std::string(256, 'x'), false},
      {std::string("bad\xC3", 4), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAcceptableNewName(c.name), c.acceptable) << c.name;
}

TEST(NameRules, EditorParametersQuotePathsWithBlanks) {
  EXPECT_EQ(EditorParameters("C:\\Dir\\file.txt"), " C:\\Dir\\file.txt");
  EXPECT_EQ(EditorParameters("C:\\My Dir\\file.txt"), " \"C:\\My Dir\\file.txt\"");
}

}  // namespace
}  // namespace px
