#include "core/commands/CommandTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace px {
namespace {

TEST(CommandTable, EveryIdOfACommandRunsItsOneAction) {
  CommandTable table;
  std::vector<std::string> ran;
  ASSERT_TRUE(table.Add({10005, 12004, 32773, 1006}, [&] { ran.push_back("copy"); }));
  ASSERT_TRUE(table.Add({12001}, [&] { ran.push_back("rename"); }));
  for (uint32_t id : {10005u, 12004u, 32773u, 1006u, 12001u, 12002u}) table.Execute(id);
  EXPECT_EQ(ran, (std::vector<std::string>{"copy", "copy", "copy", "copy", "rename"}));
  EXPECT_FALSE(table.Execute(12002));  // no action
  EXPECT_FALSE(table.Has(32780));
}

TEST(CommandTable, AnIdKeepsItsFirstActionAndRangesDoNotOverlap) {
  CommandTable table;
  int first = 0, second = 0;
  ASSERT_TRUE(table.Add({1, 2}, [&] { ++first; }));
  EXPECT_FALSE(table.Add({2, 3}, [&] { ++second; }));
  table.Execute(2);
  table.Execute(3);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);  // the id that was free still got the new action

  std::vector<uint32_t> offsets;
  EXPECT_TRUE(table.AddRange(100, 106, [&](uint32_t offset) { offsets.push_back(offset); }));
  EXPECT_FALSE(table.AddRange(106, 110, [](uint32_t) {}));
  EXPECT_FALSE(table.AddRange(0, 5, [](uint32_t) {}));  // holds single ids
  EXPECT_FALSE(table.Add({103}, [] {}));
  EXPECT_FALSE(table.AddRange(9, 8, [](uint32_t) {}));
  for (uint32_t id : {99u, 100u, 103u, 106u, 107u}) table.Execute(id);
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 3, 6}));
}

TEST(CommandTable, StatesFollowTheirPredicatesAndDisabledCommandsDoNotRun) {
  CommandTable table;
  bool enabled = false, checked = true;
  int runs = 0;
  table.Add({7}, [&] { ++runs; }, [&] { return enabled; }, [&] { return checked; });
  table.Add({8}, [&] { ++runs; });
  table.AddRange(20, 29, [&](uint32_t) { ++runs; }, [&] { return enabled; });

  struct Row {
    uint32_t id;
    bool known, enabled, checked;
  } const disabledRows[] = {{7, true, false, true}, {8, true, true, false},
                            {25, true, false, false}, {9, false, false, false}};
  for (const Row& row : disabledRows) {
    CommandTable::State state = table.StateOf(row.id);
    EXPECT_EQ(state.known, row.known) << row.id;
    EXPECT_EQ(state.enabled, row.enabled) << row.id;
    EXPECT_EQ(state.checked, row.checked) << row.id;
  }
  EXPECT_FALSE(table.Execute(7));
  EXPECT_FALSE(table.Execute(25));
  EXPECT_EQ(runs, 0);
  enabled = true;
  checked = false;
  EXPECT_TRUE(table.Execute(7));
  EXPECT_TRUE(table.Execute(25));
  EXPECT_FALSE(table.StateOf(7).checked);
  EXPECT_EQ(runs, 2);
}

TEST(CommandTable, AnActionMayAddCommandsWhileItRuns) {
  CommandTable table;
  int added = 0;
  // Growing the table moves its storage: the running action must not be touched.
  table.Add({1}, [&] {
    for (uint32_t id = 1000; id < 1100; ++id) table.Add({id}, [&added] { ++added; });
  });
  EXPECT_TRUE(table.Execute(1));
  EXPECT_TRUE(table.Execute(1099));
  EXPECT_EQ(added, 1);
}

}  // namespace
}  // namespace px
