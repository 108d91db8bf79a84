// The list of names searched for: updating it and its keys in the settings.
#include "core/search/SearchNames.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/core/TextStorage.h"

namespace px {
namespace {

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("n" + std::to_string(i));
  return names;
}

TEST(SearchNames, RememberPutsNewestFirstOnce) {
  const std::vector<std::string> full = Numbered(20);
  std::vector<std::string> fullWithNew = {"new"};
  fullWithNew.insert(fullWithNew.end(), full.begin(), full.end() - 1);
  struct Row {
    std::vector<std::string> before;
    std::string name;
    std::vector<std::string> after;
  } rows[] = {
      {{}, "doc", {"doc"}},
      {{"a", "b"}, "c", {"c", "a", "b"}},
      {{"a", "b"}, "", {"a", "b"}},             // an empty name would end the list when read
      {{"a", "DOC", "b"}, "doc", {"doc", "a", "b"}},  // the same name moves up, as typed now
      {{"a", "b"}, "b", {"b", "a"}},
      {full, "new", fullWithNew},               // the oldest goes
      {full, "n19", [&] {
         std::vector<std::string> moved = {"n19"};
         moved.insert(moved.end(), full.begin(), full.end() - 1);
         return moved;
       }()},
  };
  for (const Row& row : rows) {
    std::vector<std::string> names = row.before;
    RememberSearchName(names, row.name);
    EXPECT_EQ(names, row.after) << row.name;
  }
}

TEST(SearchNames, WrittenAndReadBack) {
  std::string file = "[SearchName]\r\n0=old\r\n5=stale\r\n19=stale\r\n[Other]\r\nx=1\r\n";
  SettingsStore store(std::make_unique<TextStorage>(&file));
  EXPECT_EQ(ReadSearchNames(store), std::vector<std::string>{"old"});  // stops at the gap

  for (int count : {20, 3, 0}) {
    const std::vector<std::string> names = Numbered(count);
    WriteSearchNames(store, names);
    ASSERT_TRUE(store.Commit());
    SettingsStore again(std::make_unique<TextStorage>(&file));
    EXPECT_EQ(ReadSearchNames(again), names) << count;
    // Slots past the list are emptied, so no older name comes back after a gap.
    EXPECT_EQ(again.GetString("SearchName", "19", "?"), count == 20 ? "n19" : "");
    EXPECT_EQ(again.GetInt("Other", "x", 0), 1);
  }
}

}  // namespace
}  // namespace px
