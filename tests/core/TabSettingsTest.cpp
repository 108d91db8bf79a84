// The tabs of both sides in PX.ini, and the nearest existing folder of a tab.
#include "core/panel/TabSettings.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"
#include "tests/core/TextStorage.h"

namespace px {
namespace {

using Folders = std::vector<std::string>;

SettingsStore StoreOn(std::string& file) { return SettingsStore(std::make_unique<TextStorage>(&file)); }

SideTabs ReadFrom(const std::string& text, Side side = Side::kLeft) {
  std::string file = text;
  const SettingsStore store = StoreOn(file);
  return ReadSideTabs(store, side, ReadSettings(store).panels[static_cast<int>(side)]);
}

Folders FoldersOf(const SideTabs& side) {
  Folders folders;
  for (const TabSettings& tab : side.tabs) folders.push_back(tab.folder);
  return folders;
}

TabSettings Tab(const std::string& folder, int key = 0, int order = 0, int view = kViewDetails,
                const std::string& cursor = "") {
  TabSettings tab;
  tab.folder = folder;
  tab.sort = {key, order};
  tab.viewMode = view;
  tab.cursorName = cursor;
  return tab;
}

bool SameTab(const TabSettings& a, const TabSettings& b) {
  return a.folder == b.folder && a.sort.key == b.sort.key && a.sort.order == b.sort.order &&
         a.viewMode == b.viewMode && a.cursorName == b.cursorName;
}

TEST(TabSettingsPath, OnlyAbsoluteFolderPathsAreUsable) {
  static const struct {
    std::string path;
    const char* usable;  // "" when refused
  } kCases[] = {
      {"C:\\", "C:\\"},
      {"c:\\Data", "c:\\Data\\"},
      {"D:\\\xC3\x84rger \xE5\x90\x8D\\sub\\", "D:\\\xC3\x84rger \xE5\x90\x8D\\sub\\"},
      {"C:\\ a b \\", "C:\\ a b \\"},
      {"\\\\server\\share", "\\\\server\\share\\"},
      {"\\\\server\\share\\dir\\", "\\\\server\\share\\dir\\"},
      {"", ""},
      {"C:", ""},
      {"C:Data\\", ""},
      {"Data\\", ""},
      {"\\Data\\", ""},
      {"1:\\", ""},
      {"\\\\server", ""},
      {"\\\\server\\", ""},
      {"\\\\\\share\\", ""},
      {"\\\\?\\C:\\Data\\", ""},
      {"\\\\.\\pipe\\x\\", ""},
      {"C:\\a\\..\\b\\", ""},
      {"C:\\a\\.\\", ""},
      {"C:\\a\\\\b\\", ""},
      {"C:\\\\", ""},
      {"C:/Data/", ""},
      {"C:\\a*b\\", ""},
      {"C:\\a:stream\\", ""},
      {"C:\\a\"b\\", ""},
      {"C:\\a\x01" "b\\", ""},
      {"C:\\a\tb\\", ""},
      {"C:\\" + std::string(40000, 'x') + "\\", ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(UsableFolderPath(c.path), c.usable) << c.path.substr(0, 40);
  }
  // 32000 bytes with the backslash added are usable, one more is not.
  EXPECT_EQ(UsableFolderPath("C:\\" + std::string(31996, 'x')).size(), 32000u);
  EXPECT_EQ(UsableFolderPath("C:\\" + std::string(31997, 'x')), "");
}

TEST(TabSettingsRead, AFileWithoutTabsGivesOneTabFromThePanelKeys) {
  const std::string file = "[Left]\nPath=D:\\Work\nSort=2\nSortOrder=1\nShow=0\n";
  const SideTabs left = ReadFrom(file, Side::kLeft);
  ASSERT_EQ(left.tabs.size(), 1u);
  EXPECT_FALSE(left.stored);
  EXPECT_EQ(left.current, 0u);
  EXPECT_TRUE(SameTab(left.tabs[0], Tab("D:\\Work\\", 2, 1, kViewList)));
  const SideTabs right = ReadFrom(file, Side::kRight);
  ASSERT_EQ(right.tabs.size(), 1u);
  EXPECT_TRUE(SameTab(right.tabs[0], Tab("C:\\")));
}

TEST(TabSettingsRead, CountsCurrentAndDroppedTabs) {
  const std::string threeTabs = "Left1Path=A:\\\nLeft2Path=B:\\\nLeft3Path=C:\\x\\\n";
  static const struct {
    const char* what;
    std::string tabsSection;
    Folders folders;
    size_t current;
    bool stored;
  } kCases[] = {
      {"plain", "LeftCount=3\nLeftCurrent=2\n" + threeTabs, {"A:\\", "B:\\", "C:\\x\\"}, 1, true},
      {"count below the slots", "LeftCount=2\nLeftCurrent=2\n" + threeTabs, {"A:\\", "B:\\"}, 1, true},
      {"huge count", "LeftCount=99999999999\nLeftCurrent=3\n" + threeTabs, {"A:\\", "B:\\", "C:\\x\\"}, 2, true},
      {"count missing", "LeftCurrent=2\n" + threeTabs, {"E:\\"}, 0, false},
      {"count zero", "LeftCount=0\n" + threeTabs, {"E:\\"}, 0, false},
      {"count negative", "LeftCount=-3\n" + threeTabs, {"E:\\"}, 0, false},
      {"count no number", "LeftCount=many\n" + threeTabs, {"E:\\"}, 0, false},
      {"no usable tab", "LeftCount=2\nLeft1Path=rel\\\nLeft2Path=\n", {"E:\\"}, 0, false},
      {"current zero", "LeftCount=3\nLeftCurrent=0\n" + threeTabs, {"A:\\", "B:\\", "C:\\x\\"}, 0, true},
      {"current negative", "LeftCount=3\nLeftCurrent=-2\n" + threeTabs, {"A:\\", "B:\\", "C:\\x\\"}, 0, true},
      {"current beyond", "LeftCount=3\nLeftCurrent=4\n" + threeTabs, {"A:\\", "B:\\", "C:\\x\\"}, 0, true},
      {"current missing", "LeftCount=3\n" + threeTabs, {"A:\\", "B:\\", "C:\\x\\"}, 0, true},
      {"current dropped", "LeftCount=3\nLeftCurrent=2\nLeft1Path=A:\\\nLeft2Path=..\\\nLeft3Path=C:\\\n",
       {"A:\\", "C:\\"}, 0, true},
      {"current and all before dropped", "LeftCount=3\nLeftCurrent=2\nLeft2Path=\\\\?\\B:\\\nLeft3Path=C:\\\n",
       {"C:\\"}, 0, true},
      {"share", "LeftCount=1\nLeft1Path=\\\\srv\\data\n", {"\\\\srv\\data\\"}, 0, true},
      {"right side only", "RightCount=2\nRight1Path=A:\\\nRight2Path=B:\\\n", {"E:\\"}, 0, false},
  };
  for (const auto& c : kCases) {
    const SideTabs side = ReadFrom("[Left]\nPath=E:\\\n[Tabs]\n" + c.tabsSection);
    EXPECT_EQ(FoldersOf(side), c.folders) << c.what;
    EXPECT_EQ(side.current, c.current) << c.what;
    EXPECT_EQ(side.stored, c.stored) << c.what;
  }
}

TEST(TabSettingsRead, ValuesComeIntoRange) {
  static const struct {
    const char* keys;
    TabSettings expected;
  } kCases[] = {
      {"Left1Sort=5\nLeft1SortOrder=1\nLeft1Show=2\nLeft1Cursor=a.txt\n", Tab("C:\\", 5, 1, kViewTree, "a.txt")},
      {"Left1Sort=6\nLeft1SortOrder=2\nLeft1Show=3\n", Tab("C:\\", 0, 0, kViewDetails)},
      {"Left1Sort=-1\nLeft1SortOrder=-1\nLeft1Show=-1\n", Tab("C:\\", 0, 0, kViewDetails)},
      {"Left1Sort=x\nLeft1Show=\n", Tab("C:\\")},
      {"Left1Cursor=sub\\a.txt\n", Tab("C:\\")},
      {"Left1Cursor=a/b\n", Tab("C:\\")},
      {"Left1Cursor=..\n", Tab("C:\\")},
      {"Left1Cursor=\" spaced \"\n", Tab("C:\\", 0, 0, kViewDetails, " spaced ")},
      {"Left1Cursor=\xE5\x90\x8D\xF0\x9F\x98\x80\n", Tab("C:\\", 0, 0, kViewDetails, "\xE5\x90\x8D\xF0\x9F\x98\x80")},
  };
  for (const auto& c : kCases) {
    const SideTabs side = ReadFrom(std::string("[Tabs]\nLeftCount=1\nLeft1Path=C:\\\n") + c.keys);
    ASSERT_EQ(side.tabs.size(), 1u) << c.keys;
    EXPECT_TRUE(SameTab(side.tabs[0], c.expected)) << c.keys;
  }
  // A name longer than the file system keeps is no cursor.
  const SideTabs longName =
      ReadFrom("[Tabs]\nLeftCount=1\nLeft1Path=C:\\\nLeft1Cursor=" + std::string(766, 'n') + "\n");
  EXPECT_EQ(longName.tabs[0].cursorName, "");
  EXPECT_EQ(ReadFrom("[Tabs]\nLeftCount=1\nLeft1Path=C:\\\nLeft1Cursor=" + std::string(765, 'n') + "\n")
                .tabs[0]
                .cursorName.size(),
            765u);
}

TEST(TabSettingsRead, AThousandTabKeysMakeAtMost64Tabs) {
  std::string file = "[Tabs]\nLeftCount=1000\nLeftCurrent=900\nRightCount=1000\nRightCurrent=40\n";
  for (int i = 1; i <= 1000; ++i) {
    file += "Left" + std::to_string(i) + "Path=C:\\" + std::to_string(i) + "\n";
    file += "Right" + std::to_string(i) + "Path=D:\\" + std::to_string(i) + "\n";
  }
  const SideTabs left = ReadFrom(file, Side::kLeft);
  EXPECT_EQ(left.tabs.size(), kMaxTabsPerSide);
  EXPECT_EQ(left.current, 0u);
  EXPECT_EQ(left.tabs.back().folder, "C:\\64\\");
  const SideTabs right = ReadFrom(file, Side::kRight);
  EXPECT_EQ(right.tabs.size(), kMaxTabsPerSide);
  EXPECT_EQ(right.current, 39u);
}

TEST(TabSettingsWrite, KeysOfTheirOwnSection) {
  std::string file = "[Left]\nPath=E:\\\n";
  SettingsStore store = StoreOn(file);
  SideTabs side;
  side.tabs = {Tab("C:\\Data\\", 2, 1, kViewList, "a.txt"), Tab("\\\\srv\\share\\", 0, 0, kViewTree)};
  side.current = 1;
  WriteSideTabs(store, Side::kLeft, side);
  ASSERT_TRUE(store.Commit());
  EXPECT_EQ(file,
            "[Left]\nPath=E:\\\n\n"
            "[Tabs]\nLeftCount=2\nLeftCurrent=2\n"
            "Left1Path=C:\\Data\\\nLeft1Sort=2\nLeft1SortOrder=1\nLeft1Show=0\nLeft1Cursor=a.txt\n"
            "Left2Path=\\\\srv\\share\\\nLeft2Sort=0\nLeft2SortOrder=0\nLeft2Show=2\nLeft2Cursor=\n");
}

TEST(TabSettingsWrite, AShorterListEmptiesTheSlotsBehindIt) {
  std::string file;
  SettingsStore store = StoreOn(file);
  SideTabs side;
  for (int i = 0; i < 5; ++i) side.tabs.push_back(Tab("C:\\" + std::to_string(i) + "\\", 1, 1, 0, "c"));
  WriteSideTabs(store, Side::kRight, side);
  side.tabs.resize(2);
  WriteSideTabs(store, Side::kRight, side);
  ASSERT_TRUE(store.Commit());
  for (int slot = 3; slot <= 5; ++slot) {
    for (const char* key : {"Path", "Sort", "SortOrder", "Show", "Cursor"}) {
      EXPECT_EQ(store.GetString("Tabs", "Right" + std::to_string(slot) + key, "gone"), "") << slot << key;
    }
  }
  store.SetInt("Tabs", "RightCount", 5);  // counted up by hand, nothing comes back
  EXPECT_EQ(FoldersOf(ReadSideTabs(store, Side::kRight, PanelSettings{})), (Folders{"C:\\0\\", "C:\\1\\"}));
}

TEST(TabSettingsWrite, MoreThan64KeepTheCurrentOne) {
  static const struct {
    size_t count, current;
    std::string currentFolder;
    size_t currentRead;
  } kCases[] = {
      {70, 3, "C:\\3\\", 3}, {70, 63, "C:\\63\\", 63}, {70, 64, "C:\\64\\", 63},
      {70, 69, "C:\\69\\", 63}, {70, 70, "C:\\0\\", 0},  // out of range: the first
  };
  for (const auto& c : kCases) {
    std::string file;
    SettingsStore store = StoreOn(file);
    SideTabs side;
    for (size_t i = 0; i < c.count; ++i) side.tabs.push_back(Tab("C:\\" + std::to_string(i) + "\\"));
    side.current = c.current;
    WriteSideTabs(store, Side::kLeft, side);
    const SideTabs read = ReadSideTabs(store, Side::kLeft, PanelSettings{});
    ASSERT_EQ(read.tabs.size(), kMaxTabsPerSide) << c.current;
    EXPECT_EQ(read.current, c.currentRead) << c.current;
    EXPECT_EQ(read.tabs[read.current].folder, c.currentFolder) << c.current;
    EXPECT_EQ(read.tabs[62].folder, "C:\\62\\");
  }
}

// Generated sides, unusable tabs and values out of range among them: what is
// read back is the usable tabs in their order with their values in range,
// the current one kept if it was usable; writing what was read changes nothing.
TEST(TabSettingsWrite, WhatIsWrittenReadsBack) {
  const std::vector<std::string> folders = {"C:\\", "D:\\Data\\", "\\\\srv\\s\\x\\", "rel\\", "C:\\a\\..\\",
                                            "", "E:\\\xC3\xA4 \xE5\x90\x8D", "C:\\ \"q\" \\", "C:\\a\x02"};
  const std::vector<std::string> cursors = {"", "a.txt", " lead", "\"q\"", "a\\b", "..", "x\ny", ";c", "=e", "[s]"};
  std::mt19937 random(7);
  auto pick = [&random](size_t n) { return static_cast<size_t>(random() % n); };
  for (int round = 0; round < 300; ++round) {
    std::string file = round % 3 == 0 ? "" : "[Tabs]\nLeftCount=9\nLeft9Path=Z:\\old\\\n";
    SettingsStore store = StoreOn(file);
    SideTabs side;
    const size_t count = pick(4) == 0 ? 60 + pick(20) : pick(6);
    for (size_t i = 0; i < count; ++i) {
      side.tabs.push_back(Tab(folders[pick(folders.size())], static_cast<int>(pick(9)) - 1,
                              static_cast<int>(pick(4)) - 1, static_cast<int>(pick(5)) - 1,
                              cursors[pick(cursors.size())]));
    }
    side.current = pick(count + 2);
    WriteSideTabs(store, Side::kLeft, side);
    ASSERT_TRUE(store.Commit());
    const SideTabs read = ReadSideTabs(store, Side::kLeft, PanelSettings{});

    std::vector<TabSettings> usable;
    for (const TabSettings& tab : side.tabs) {
      if (UsableFolderPath(tab.folder).empty()) continue;
      TabSettings expected = tab;
      expected.folder = UsableFolderPath(tab.folder);
      if (expected.sort.key < 0 || expected.sort.key > 5) expected.sort.key = 0;
      if (expected.sort.order < 0 || expected.sort.order > 1) expected.sort.order = 0;
      if (expected.viewMode < 0 || expected.viewMode > 2) expected.viewMode = kViewDetails;
      if (std::set<std::string>{"a\\b", "..", "x\ny"}.count(expected.cursorName)) expected.cursorName.clear();
      usable.push_back(expected);
    }
    if (usable.empty()) {
      EXPECT_FALSE(read.stored);
      EXPECT_EQ(FoldersOf(read), Folders{"C:\\"});
      continue;
    }
    ASSERT_TRUE(read.stored);
    ASSERT_LE(read.tabs.size(), kMaxTabsPerSide);
    ASSERT_LT(read.current, read.tabs.size());
    if (usable.size() <= kMaxTabsPerSide) {
      ASSERT_EQ(read.tabs.size(), usable.size()) << round;
      for (size_t i = 0; i < usable.size(); ++i) EXPECT_TRUE(SameTab(read.tabs[i], usable[i])) << round << " " << i;
    }
    if (side.current < side.tabs.size() && !UsableFolderPath(side.tabs[side.current].folder).empty()) {
      EXPECT_EQ(read.tabs[read.current].folder, UsableFolderPath(side.tabs[side.current].folder)) << round;
    }
    EXPECT_EQ(store.GetString("Tabs", "Left9Path", ""), read.tabs.size() >= 9 ? read.tabs[8].folder : "");

    const std::string once = file;
    WriteSideTabs(store, Side::kLeft, read);
    ASSERT_TRUE(store.Commit());
    EXPECT_EQ(file, once) << round;
  }
}

TEST(TabSettingsStates, TabsAndStatesConvertBothWays) {
  SideTabs tabs;
  tabs.tabs = {Tab("C:\\a\\", 1, 1, kViewList, "x"), Tab("D:\\"), Tab("E:\\e\\", 5, 0, kViewTree, "y")};
  tabs.current = 2;
  const SideStates states = StatesOfTabs(tabs);
  ASSERT_EQ(states.Count(), 3u);
  EXPECT_EQ(states.CurrentIndex(), 2u);
  EXPECT_EQ(states.At(0).cursorName, "x");
  EXPECT_EQ(states.At(2).viewMode, kViewTree);
  const SideTabs back = TabsOfStates(states);
  ASSERT_EQ(back.tabs.size(), 3u);
  EXPECT_EQ(back.current, 2u);
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(SameTab(back.tabs[i], tabs.tabs[i])) << i;

  tabs.current = 7;  // out of range: the last
  EXPECT_EQ(StatesOfTabs(tabs).CurrentIndex(), 2u);
  EXPECT_EQ(StatesOfTabs(SideTabs{}).Count(), 1u);
}

TEST(TabSettingsNearest, WalksUpToTheNearestExistingFolder) {
  const std::set<std::string> existing = {"C:\\", "C:\\a\\", "C:\\a\\b c\\", "\\\\srv\\share\\", "\\\\srv\\share\\d\\"};
  static const struct {
    const char* path;
    const char* nearest;
  } kCases[] = {
      {"C:\\a\\b c\\", "C:\\a\\b c\\"},
      {"C:\\a\\b c", "C:\\a\\b c\\"},
      {"C:\\a\\b c\\d\\e\\", "C:\\a\\b c\\"},
      {"C:\\a\\x\\", "C:\\a\\"},
      {"C:\\x\\", "C:\\"},
      {"c:\\x\\", ""},  // the callback decides what matches; this one keeps case
      {"D:\\x\\y\\", ""},
      {"D:\\", ""},
      {"\\\\srv\\share\\d\\e\\f\\", "\\\\srv\\share\\d\\"},
      {"\\\\srv\\share\\x\\", "\\\\srv\\share\\"},
      {"\\\\srv\\other\\x\\", ""},
      {"rel\\x\\", ""},
      {"C:\\a\\..\\x\\", ""},
      {"", ""},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> asked;
    const std::string nearest = NearestExistingFolder(c.path, [&](const std::string& folder) {
      asked.push_back(folder);
      return existing.count(folder) != 0;
    });
    EXPECT_EQ(nearest, c.nearest) << c.path;
    // Deepest first, each a parent of the one before, the last the answer.
    for (size_t i = 1; i < asked.size(); ++i) {
      EXPECT_LT(asked[i].size(), asked[i - 1].size()) << c.path;
      EXPECT_EQ(asked[i - 1].compare(0, asked[i].size(), asked[i]), 0) << c.path;
      EXPECT_EQ(asked[i].back(), '\\');
    }
    if (!nearest.empty()) {
      EXPECT_EQ(asked.back(), nearest) << c.path;
    }
  }
}

TEST(TabSettingsNearest, ADeepPathIsWalkedOnce) {
  std::string path = "C:\\";
  for (int i = 0; i < 10000; ++i) path += "d\\";
  size_t calls = 0;
  const std::string nearest = NearestExistingFolder(path, [&](const std::string& folder) {
    ++calls;
    return folder == "C:\\d\\";
  });
  EXPECT_EQ(nearest, "C:\\d\\");
  EXPECT_EQ(calls, 10000u);
}

}  // namespace
}  // namespace px
