#include "core/fileops/MakeDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace px {
namespace {

TEST(MakeDirectory, TypedNamesAndTheFoldersTheyCreate) {
  struct Case {
    const char* panel;
    std::string typed;
    const char* path;  // nullptr: refused
    const char* cursor;
  } const cases[] = {
      {"C:\\Data\\", "New", "C:\\Data\\New", "New"},
      {"C:\\", "Ünïcödé 名前", "C:\\Ünïcödé 名前", "Ünïcödé 名前"},
      {"C:\\Data\\", "sub\\new", "C:\\Data\\sub\\new", ""},
      {"C:\\Data\\", "a\\b\\c", "C:\\Data\\a\\b\\c", ""},
      {"C:\\Data\\", "New\\", "C:\\Data\\New", "New"},
      {"\\\\server\\share\\", "x", "\\\\server\\share\\x", "x"},
      {"C:\\Data", "x", "C:\\Data\\x", "x"},
      {"C:\\Data\\", " lead", "C:\\Data\\ lead", " lead"},
      {"C:\\Data\\", "", nullptr, ""},
      {"C:\\Data\\", "\\", nullptr, ""},
      {"C:\\Data\\", "dot.", nullptr, ""},
      {"C:\\Data\\", "blank ", nullptr, ""},
      {"C:\\Data\\", "sub.\\new", nullptr, ""},
      {"C:\\Data\\", "sub\\new.", nullptr, ""},
      {"C:\\Data\\", "CON", nullptr, ""},
      {"C:\\Data\\", "sub\\lpt1.txt", nullptr, ""},
      {"C:\\Data\\", "a*b", nullptr, ""},
      {"C:\\Data\\", "a/b", nullptr, ""},
      {"C:\\Data\\", "..", nullptr, ""},
      {"C:\\Data\\", "sub\\..\\x", nullptr, ""},
      {"C:\\Data\\", "sub\\\\new", nullptr, ""},
      {"C:\\Data\\", "New\\\\", nullptr, ""},
      {"C:\\Data\\", "\\Root", nullptr, ""},
      {"C:\\Data\\", "D:\\x", nullptr, ""},
      {"C:\\Data\\", "\\\\server\\share", nullptr, ""},
      {"C:\\Data\\", std::string(255, 'x'), "", ""},
      {"C:\\Data\\", std::string(256, 'x'), nullptr, ""},
      {"", "x", nullptr, ""},
  };
  for (const Case& c : cases) {
    NewFolderPlan plan = PlanNewFolder(c.panel, c.typed);
    EXPECT_EQ(plan.acceptable, c.path != nullptr) << c.typed;
    if (!plan.acceptable || !c.path || !*c.path) continue;
    EXPECT_EQ(plan.path, c.path) << c.typed;
    EXPECT_EQ(plan.cursorName, c.cursor) << c.typed;
  }
}

TEST(MakeDirectory, RowRevealedAfterCreate) {
  struct Case {
    long row, perPage, count;
    bool report;
    long expected;
  } const cases[] = {
      {0, 30, 100, true, 10},  {0, 30, 100, false, 0}, {95, 30, 100, true, 99},
      {89, 30, 100, true, 99}, {88, 30, 100, true, 98}, {5, 2, 100, true, 5},
      {3, 0, 10, true, 3},     {0, 30, 0, true, -1},    {10, 30, 10, true, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RowToRevealAfterCreate(c.row, c.perPage, c.count, c.report), c.expected)
        << c.row << " " << c.perPage << " " << c.count;
}

}  // namespace
}  // namespace px
