// Splitting the command line, the Ctrl+Enter name and the command history.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/panel/CommandLine.h"

namespace px {
namespace {

TEST(CommandLine, Split) {
  static const struct {
    const char* text;
    const char* program;
    const char* parameters;
  } kCases[] = {
      {"\"C:\\Program Files\\App\\app.exe\" /s", "C:\\Program Files\\App\\app.exe", " /s"},
      {"\"C:\\My Tools\\x.exe\"", "C:\\My Tools\\x.exe", ""},
      {"\"x.exe\"-q", "x.exe", "-q"},
      {"notepad readme.txt", "notepad", "readme.txt"},
      {"notepad  two blanks", "notepad", " two blanks"},
      {"cmd /c \"a b\"", "cmd", "/c \"a b\""},
      {"notepad", "notepad", ""},
      {"\"C:\\Program Files\\app.exe /s", "\"C:\\Program Files\\app.exe /s", ""},  // no closing quote
      {"\"\" x", "\"\" x", ""},
      {"\"a b\" \"c", "a b", " \"c"},
      {"a \"b c", "a", "\"b c"},
      {"\"", "\"", ""},
      {" notepad x", " notepad x", ""},
      {"   ", "   ", ""},
      {"", "", ""},
      {"\xC3\x84rger.exe \xE5\x90\x8D.txt", "\xC3\x84rger.exe", "\xE5\x90\x8D.txt"},
  };
  for (const auto& c : kCases) {
    const CommandLineParts parts = SplitCommandLine(c.text);
    EXPECT_EQ(parts.program, c.program) << c.text;
    EXPECT_EQ(parts.parameters, c.parameters) << c.text;
  }
}

TEST(CommandLine, CtrlEnterName) {
  static const struct {
    EntryKind kind;
    const char* name;
    const char* appended;
  } kCases[] = {
      {EntryKind::kParent, "", " "},
      {EntryKind::kFile, "readme.txt", "readme.txt "},
      {EntryKind::kFile, "my notes.txt", "\"my notes.txt\" "},
      {EntryKind::kFolder, "Program Files", "\"Program Files\" "},
      {EntryKind::kFile, " lead", "\" lead\" "},
  };
  for (const auto& c : kCases) {
    PanelEntry entry;
    entry.kind = c.kind;
    entry.name = c.name;
    EXPECT_EQ(CommandLineNameOf(entry), c.appended) << c.name;
  }
}

TEST(CommandLine, TrimTrailingWhiteSpace) {
  static const struct {
    const char* text;
    const char* trimmed;
  } kCases[] = {
      {"dir \t\r\n", "dir"}, {"  dir", "  dir"}, {"a b", "a b"}, {" \t ", ""}, {"", ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(TrimTrailingWhiteSpace(c.text), c.trimmed) << c.text;
}

TEST(CommandHistory, RunAgainMovesToTheEndInTheLatestCase) {
  CommandHistory history;
  for (const char* line : {"dir", "notepad", "DIR", "\xC3\x84rger", "notepad", "\xC3\xA4RGER"})
    history.Add(line);
  EXPECT_EQ(history.Lines(), (std::vector<std::string>{"DIR", "notepad", "\xC3\xA4RGER"}));
  history.Add("");
  EXPECT_EQ(history.Lines().size(), 3u);
}

TEST(CommandHistory, TwentyFirstPushesOutTheOldest) {
  CommandHistory history;
  for (int i = 0; i < 21; ++i) history.Add("cmd" + std::to_string(i));
  ASSERT_EQ(history.Lines().size(), kHistoryCapacity);
  EXPECT_EQ(history.Lines().front(), "cmd1");
  EXPECT_EQ(history.Lines().back(), "cmd20");
  // A repeat of a kept line makes room itself: nothing else drops out.
  history.Add("CMD5");
  EXPECT_EQ(history.Lines().front(), "cmd1");
  EXPECT_EQ(history.Lines().back(), "CMD5");
}

TEST(CommandHistory, AssignDropsEmptyLinesAndKeepsTheLast20) {
  std::vector<std::string> lines{"", "old"};
  for (int i = 0; i < 20; ++i) lines.push_back(i == 7 ? "" : "l" + std::to_string(i));
  lines.push_back("newest");
  CommandHistory history;
  history.Assign(lines);
  // 21 lines are left once the empty ones are gone: "old" is the one too many.
  ASSERT_EQ(history.Lines().size(), kHistoryCapacity);
  EXPECT_EQ(history.Lines().front(), "l0");
  EXPECT_EQ(history.Lines()[7], "l8");
  EXPECT_EQ(history.Lines().back(), "newest");
}

}  // namespace
}  // namespace px
