// A panel's folder history, and the folder names going up works with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/panel/FolderHistory.h"
#include "core/panel/PanelState.h"
#include "core/panel/PathText.h"

namespace px {
namespace {

using Folders = std::vector<std::string>;

FolderHistory Visit(const Folders& folders) {
  FolderHistory history;
  for (const std::string& f : folders) history.Record(f);
  return history;
}

TEST(FolderHistory, Record) {
  static const struct {
    Folders visited;
    int backs;  // before recording "D:\"
    Folders expected;
  } kCases[] = {
      {{"A:\\", "B:\\", "C:\\"}, 2, {"A:\\", "D:\\"}},
      {{"A:\\", "B:\\", "C:\\"}, 1, {"A:\\", "B:\\", "D:\\"}},
      {{"A:\\", "B:\\", "A:\\"}, 0, {"B:\\", "A:\\", "D:\\"}},
      {{"C:\\\xC3\x84rger\\", "d:\\"}, 0, {"C:\\\xC3\x84rger\\", "D:\\"}},
      {{"C:\\\xC3\x84rger\\", "c:\\\xC3\xA4RGER\\"}, 0, {"c:\\\xC3\xA4RGER\\", "D:\\"}},
      {{"D:\\", "E:\\"}, 1, {"D:\\"}},  // going back to it and recording it again
  };
  for (const auto& c : kCases) {
    FolderHistory history = Visit(c.visited);
    for (int i = 0; i < c.backs; ++i) EXPECT_TRUE(history.Back());
    history.Record("D:\\");
    EXPECT_EQ(history.Entries(), c.expected);
    EXPECT_EQ(history.Cursor(), c.expected.size() - 1);
    EXPECT_EQ(history.Current(), "D:\\");
  }
}

TEST(FolderHistory, KeepsTheNewest20) {
  Folders folders;
  for (int i = 0; i < 21; ++i) folders.push_back("C:\\F" + std::to_string(i) + "\\");
  const FolderHistory history = Visit(folders);
  ASSERT_EQ(history.Entries().size(), FolderHistory::kCapacity);
  EXPECT_EQ(history.Entries().front(), "C:\\F1\\");
  EXPECT_EQ(history.Current(), "C:\\F20\\");
}

TEST(FolderHistory, BackForwardStopAtTheEnds) {
  FolderHistory empty;
  EXPECT_FALSE(empty.Back());
  EXPECT_FALSE(empty.Forward());
  EXPECT_EQ(empty.Current(), "");

  FolderHistory history = Visit({"A:\\", "B:\\", "C:\\"});
  EXPECT_FALSE(history.Forward());
  EXPECT_TRUE(history.Back());
  EXPECT_TRUE(history.Back());
  EXPECT_FALSE(history.Back());
  EXPECT_EQ(history.Current(), "A:\\");
  EXPECT_TRUE(history.Forward());
  EXPECT_EQ(history.Current(), "B:\\");
  EXPECT_EQ(history.Entries().size(), 3u);
}

TEST(FolderHistory, MoveToThenBackGoesToTheEntryBefore) {
  FolderHistory history = Visit({"A:\\", "B:\\", "C:\\"});
  EXPECT_FALSE(history.MoveTo(3));
  EXPECT_EQ(history.Cursor(), 2u);
  EXPECT_TRUE(history.MoveTo(1));
  EXPECT_TRUE(history.Back());
  EXPECT_EQ(history.Current(), "A:\\");
  EXPECT_TRUE(history.MoveTo(1));
  history.Record("D:\\");
  EXPECT_EQ(history.Entries(), (Folders{"A:\\", "B:\\", "D:\\"}));
}

TEST(PathText, ParentFolderAndLastComponent) {
  static const struct {
    const char* path;
    const char* parent;
    const char* last;
  } kCases[] = {
      {"C:\\Data\\Work\\", "C:\\Data\\", "Work"},
      {"C:\\Data\\", "C:\\", "Data"},
      {"C:\\", "C:\\", "C:"},
      {"D:\\\xC3\x84rger \xE5\x90\x8D\\sub\\", "D:\\\xC3\x84rger \xE5\x90\x8D\\", "sub"},
      {"\\\\server\\share\\dir\\", "\\\\server\\share\\", "dir"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
    EXPECT_EQ(LastComponent(c.path), c.last) << c.path;
  }
}

// A side's states: one always, a new one opens after the current one and
// becomes current, the last one never closes, each keeps its own history.
TEST(SideStates, OpenCloseSelectNeverTheLast) {
  SideStates side;
  EXPECT_EQ(side.Count(), 1u);
  EXPECT_FALSE(side.Close(0));
  side.Current().folder = "C:\\a\\";
  side.Current().history.Record("C:\\a\\");
  PanelState second;
  second.folder = "D:\\";
  EXPECT_EQ(side.Open(second), 1u);
  EXPECT_EQ(side.Current().folder, "D:\\");
  EXPECT_TRUE(side.Current().history.Entries().empty());
  EXPECT_EQ(side.Open(PanelState{}), 2u);
  EXPECT_TRUE(side.Select(0));
  EXPECT_EQ(side.Current().history.Entries(), std::vector<std::string>{"C:\\a\\"});
  EXPECT_FALSE(side.Select(3));
  EXPECT_TRUE(side.Close(0));  // the current one: the next takes its place
  EXPECT_EQ(side.Current().folder, "D:\\");
  EXPECT_TRUE(side.Select(1));
  EXPECT_TRUE(side.Close(0));  // one before the current: the current stays
  EXPECT_EQ(side.CurrentIndex(), 0u);
  EXPECT_EQ(side.Current().folder, "C:\\");
  EXPECT_FALSE(side.Close(0));
}

}  // namespace
}  // namespace px
