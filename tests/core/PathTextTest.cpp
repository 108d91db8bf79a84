#include "core/panel/PathText.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(PathText, PromptAndPathLine) {
  struct Case {
    const char* path;
    const char* prompt;
    const char* pathLine;
  } const cases[] = {
      {"C:\\", "C:\\>", "C:\\*.*"},
      {"C:\\Windows\\", "C:\\Windows>", "C:\\Windows\\*.*"},
      {"\\\\server\\share\\", "\\\\server\\share>", "\\\\server\\share\\*.*"},
      {"D:\\Ünïcödé 名前\\", "D:\\Ünïcödé 名前>", "D:\\Ünïcödé 名前\\*.*"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandPromptText(c.path), c.prompt) << c.path;
    EXPECT_EQ(PathLineText(c.path), c.pathLine) << c.path;
  }
  EXPECT_EQ(DriveRootOf("C:\\Data\\"), "C:\\");
}

}  // namespace
}  // namespace px
