// Language files on the real window, the language list, and name order against the platform.
#include <windows.h>
#include <commctrl.h>
#include <mbstring.h>
#include <mbctype.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/LanguageFiles.h"
#include "core/text/CaseFold.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

std::string SourceFile(const std::string& relative) {
  return ReadBytes(SourcePath(relative));
}

std::string ColumnTitle(HWND list, int column) {
  wchar_t buffer[128] = {};
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT;
  info.pszText = buffer;
  info.cchTextMax = 128;
  SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
  return Narrow(buffer);
}

// A start folder with both shipped languages, made before the window starts.
class LanguageWindowTest : public ::testing::Test {
 protected:
  static void Stage(RunningWindow& run) {
    run.Start().Make("Language");
    run.Start().Write("Language\\English.lng", SourceFile("Language/English.lng"));
    run.Start().Write("Language\\German.lng", SourceFile("Language/German.lng"));
  }
};

TEST_F(LanguageWindowTest, TextsComeFromTheChosenLanguage) {
  RunningWindow run;
  Stage(run);
  MainWindow& window = run.Window();
  EXPECT_EQ(px::Window(run.Item(IDC_COPY)).Text(), window.Texts().TextAt(0, 0));
  window.MutableOptions().language = "";
  window.ChangeLanguage("German");
  std::string copy = px::Window(run.Item(IDC_COPY)).Text();
  EXPECT_EQ(copy, window.Texts().TextAt(0, 0));
  EXPECT_NE(copy.find("Kopieren"), std::string::npos);
  EXPECT_EQ(ColumnTitle(run.Item(IDC_RIGHT_LIST), 0), window.Texts().TextAt(0, 5));
  EXPECT_FALSE(ColumnTitle(run.Item(IDC_RIGHT_LIST), 3).empty());

  // The same language in another letter case does not read the file again.
  run.Start().Write("Language\\German.lng", "\"changed\"\r\n");
  window.ChangeLanguage("GERMAN");
  EXPECT_EQ(px::Window(run.Item(IDC_COPY)).Text(), copy);

  // A shorter language replaces only what it supplies.
  run.Start().Write("Language\\Short.lng", "// only two\r\n'One'\r\n'Two'\r\n");
  std::string exitText = px::Window(run.Item(IDC_EXIT)).Text();
  window.ChangeLanguage("Short");
  EXPECT_EQ(px::Window(run.Item(IDC_COPY)).Text(), "One");
  EXPECT_EQ(px::Window(run.Item(IDC_MOVE)).Text(), "Two");
  EXPECT_EQ(px::Window(run.Item(IDC_EXIT)).Text(), exitText);

  // A language whose file is missing keeps the texts.
  window.ChangeLanguage("Missing");
  EXPECT_EQ(px::Window(run.Item(IDC_COPY)).Text(), "One");
}

TEST_F(LanguageWindowTest, StartUpReadsTheLanguageOfTheSettings) {
  auto stage = [](TempFolder& start) {
    start.Make("Language");
    start.Write("Language\\German.lng", SourceFile("Language/German.lng"));
    // A code-page file: not UTF-8, read in the system code page.
    start.Write("Language\\Legacy.lng", "'L\xF6schen'\r\n");
  };
  {
    RunningWindow run("[Options]\r\nLanguage=German\r\n", stage);
    EXPECT_NE(px::Window(run.Item(IDC_COPY)).Text().find("Kopieren"), std::string::npos);
    EXPECT_EQ(ColumnTitle(run.Item(IDC_LEFT_LIST), 1), run.Window().Texts().TextAt(0, 7));
  }
  {
    RunningWindow run("[Options]\r\nLanguage=Legacy\r\n", stage);
    EXPECT_EQ(px::Window(run.Item(IDC_COPY)).Text(), "Löschen");
  }
  // A name that leads out of the Language folder is not read: the start
  // folder's own "Outside.lng" stays unread, the defaults show.
  for (const char* name : {"..\\Outside", "../Outside", "Language\\..\\..\\Outside"}) {
    RunningWindow run((std::string("[Options]\r\nLanguage=") + name + "\r\n").c_str(), [](TempFolder& start) {
      start.Make("Language");
      start.Write("Outside.lng", "'taken from outside'\r\n");
    });
    EXPECT_NE(px::Window(run.Item(IDC_COPY)).Text(), "taken from outside") << name;
    EXPECT_EQ(run.Window().GetOptions().language, "English") << name;
  }
}

TEST(LanguageList, ListsLanguageFilesSorted) {
  TempFolder start;
  EXPECT_TRUE(ListLanguages(start.Path()).empty());
  start.Make("Language");
  EXPECT_TRUE(ListLanguages(start.Path()).empty());
  for (const char* name : {"German.lng", "english.lng", "Ελληνικά.lng", "notes.txt"})
    start.Write(std::string("Language\\") + name, "x\r\n");
  std::vector<std::string> expected = {"english", "German", "Ελληνικά"};
  EXPECT_EQ(ListLanguages(start.Path()), expected);
}

// ASCII names order as the platform's multi-byte comparison orders them.
TEST(NameOrder, AsciiNamesOrderAsThePlatformComparison) {
  const char* names[] = {"_a", "a_", "A", "a", "B", "b1", "B2", "10", "9", "~x", "[x", "^x",
                         "`x", "a.b", "a-b", "a b", "Zeta", "zz", "{", "}", "0_", "-"};
  _setmbcp(1252);
  for (const char* a : names) {
    for (const char* b : names) {
      int platform = _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                              reinterpret_cast<const unsigned char*>(b));
      int ours = CompareNoCase(a, b);
      EXPECT_EQ((platform > 0) - (platform < 0), (ours > 0) - (ours < 0)) << a << " vs " << b;
    }
  }
}

TEST(NameOrder, CaseIsIgnoredInEveryScript) {
  struct Pair {
    const char* a;
    const char* b;
  } const equal[] = {{"ÉCOLE", "école"}, {"ΑΘΗΝΑ", "αθηνα"}, {"МОСКВА", "москва"}, {"ÆØÅ", "æøå"}};
  for (const Pair& pair : equal) EXPECT_EQ(CompareNoCase(pair.a, pair.b), 0) << pair.a;
  // Latin before Greek before Cyrillic before CJK, whatever the case.
  EXPECT_LT(CompareNoCase("Zebra", "άλφα"), 0);
  EXPECT_LT(CompareNoCase("ΩΜΕΓΑ", "абв"), 0);
  EXPECT_LT(CompareNoCase("ЯЗЫК", "日本"), 0);
}

}  // namespace
}  // namespace px::test
