// Tests of the language file loader, the text formatter and the shipped language files.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/language/LanguageTable.h"
#include "core/language/TextFormat.h"

namespace px {
namespace {

// Text number n counted over all tables in file order (0 to 263).
const std::string& FlatText(const LanguageTable& table, int n) {
  for (int t = 0; t < kLanguageTableCount; ++t) {
    if (n < kLanguageTableSizes[t]) return table.TextAt(t, n);
    n -= kLanguageTableSizes[t];
  }
  return table.TextAt(-1, 0);
}

// A file of the given number of text lines "T0", "T1", ... with CR LF ends.
std::string NumberedFile(int lines) {
  std::string file;
  for (int i = 0; i < lines; ++i) file += "\"T" + std::to_string(i) + "\"\r\n";
  return file;
}

TEST(LanguageTableTest, SizesAddUpToAllTexts) {
  int sum = 0;
  for (int size : kLanguageTableSizes) sum += size;
  EXPECT_EQ(sum, kLanguageTextCount);
  EXPECT_EQ(kLanguageTableSizes[0], 10);
  EXPECT_EQ(kLanguageTableSizes[23], 6);
}

struct LoadCase {
  const char* what;
  std::string file;
  std::vector<std::string> texts;  // expected first texts in file order
  int supplied;
};

TEST(LanguageTableTest, LoadsLinesAsTexts) {
  static const LoadCase kCases[] = {
      {"comments first, delimiters dropped", "// English\r\n// Table 0\r\n\"Copy\"\r\n[Move]\r\n",
       {"Copy", "Move"}, 2},
      {"bare line feeds", "// English\n// Table 0\n\"Copy\"\n[Move]\n", {"Copy", "Move"}, 2},
      {"blank lines count in neither", "\r\n\r\n\"A\"\r\n\r\n\n\"B\"\n", {"A", "B"}, 2},
      {"blanks inside the delimiters kept", "\" x \"\n\"  \"\n", {" x ", "  "}, 2},
      {"one and two characters give empty texts", "x\nxy\nxyz\n", {"", "", "y"}, 3},
      {"a lone CR is a character", "\"a\rb\"\n\"A\"\r\r\n", {"a\rb", "A\""}, 2},
      {"CR at the very end is no line end", "\"A\"\n\"B\"\r", {"A", ""}, 1},
      {"Ctrl+Z ends the file", "\"A\"\r\n\x1A\"B\"\r\n", {"A", ""}, 1},
      {"Ctrl+Z inside a line drops that line", "\"A\"\n\"B\x1A\"\n", {"A", ""}, 1},
      {"last line without line feed unused", "\"A\"\r\n\"B\"", {"A", ""}, 1},
      {"only a slash is no comment", "/x/\n", {"x"}, 1},
      {"comment must start the line", " // x\n", {"// "}, 1},
      {"percent signs taken as they are", "\"%s %%\"\n", {"%s %%"}, 1},
      {"multi-byte delimiters dropped whole", "\xC2\xAB" "Kopieren\xC2\xBB\n", {"Kopieren"}, 1},
      {"two multi-byte characters give empty text", "\xC2\xAB\xC2\xBB\n", {""}, 1},
      {"multi-byte text kept", "\"\xC3\xA4\"\n", {"\xC3\xA4"}, 1},
      {"malformed bytes are one character each", "\x80" "a\xFF\n", {"a"}, 1},
      {"empty file", "", {""}, 0},
  };
  for (const LoadCase& c : kCases) {
    LanguageTable table;
    EXPECT_EQ(table.Load(c.file), c.supplied) << c.what;
    for (size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_EQ(FlatText(table, static_cast<int>(i)), c.texts[i]) << c.what << ", text " << i;
    }
  }
}

TEST(LanguageTableTest, CrLfAndLfGiveTheSameTexts) {
  std::string crlf = "// Table 0\r\n\r\n" + NumberedFile(kLanguageTextCount);
  std::string lf;
  for (char c : crlf) {
    if (c != '\r') lf += c;
  }
  LanguageTable a;
  LanguageTable b;
  EXPECT_EQ(a.Load(crlf), kLanguageTextCount);
  EXPECT_EQ(b.Load(lf), kLanguageTextCount);
  for (int t = 0; t < kLanguageTableCount; ++t) {
    for (int i = 0; i < kLanguageTableSizes[t]; ++i) EXPECT_EQ(a.TextAt(t, i), b.TextAt(t, i));
  }
  EXPECT_EQ(a.TextAt(1, 0), "T10");
  EXPECT_EQ(a.TextAt(23, 5), "T263");
}

// The limit applies after CR LF became LF: a line whose line feed is the
// 32768th character is cut and not used; one character shorter it is used.
TEST(LanguageTableTest, ReadsOnlyTheFirst32767Characters) {
  struct LimitCase {
    std::string secondLine;
    bool used;
  };
  static const LimitCase kCases[] = {{"\"FGHIJ\"", false}, {"\"FGHI\"", true}};
  for (const LimitCase& c : kCases) {
    // A comment line of 32752 characters, its LF included, written with CR LF.
    const size_t fill = kLanguageFileLimit - 15;
    std::string file = "//" + std::string(fill - 3, 'c') + "\r\n";
    file += "\"ABCDE\"\r\n";  // characters 32752 to 32759
    file += c.secondLine + "\r\n";
    while (file.size() < 40000) file += "\"ZZZZZ\"\r\n";

    LanguageTable table;
    table.Load(file);
    EXPECT_EQ(table.TextAt(0, 0), "ABCDE");
    EXPECT_EQ(table.TextAt(0, 1), c.used ? "FGHI" : "") << c.secondLine;
    EXPECT_EQ(table.TextAt(0, 2), "");
  }
}

TEST(LanguageTableTest, ShorterSecondLoadKeepsTheRest) {
  LanguageTable table;
  table.Load(NumberedFile(kLanguageTextCount));
  EXPECT_EQ(table.Load("\"Kopieren\"\r\n\"Verschieben\"\r\n"), 2);
  EXPECT_EQ(table.TextAt(0, 0), "Kopieren");
  EXPECT_EQ(table.TextAt(0, 1), "Verschieben");
  EXPECT_EQ(table.TextAt(0, 2), "T2");
  EXPECT_EQ(table.TextAt(23, 5), "T263");
}

TEST(LanguageTableTest, LinesBeyondTheLastTextIgnored) {
  LanguageTable table;
  EXPECT_EQ(table.Load(NumberedFile(kLanguageTextCount + kAddedTextCount + 36)), kLanguageTextCount + kAddedTextCount);
  EXPECT_EQ(table.TextAt(23, 5), "T263");
  EXPECT_EQ(table.TextAt(kAddedTable, 0), "T264");
  EXPECT_EQ(table.TextAt(kAddedTable, kAddedTextCount), "");
  EXPECT_EQ(table.TextAt(kAddedTable + 1, 0), "");
}

TEST(LanguageTableTest, AddedTextsAreEnglishUntilAFileSuppliesThem) {
  LanguageTable table;
  const std::string builtIn = table.Text(text::kAttributesNotChanged);
  EXPECT_NE(builtIn.find("%i"), std::string::npos);
  // A file of the 24 tables only (written before the added texts) keeps English.
  EXPECT_EQ(table.Load(NumberedFile(kLanguageTextCount)), kLanguageTextCount);
  EXPECT_EQ(table.Text(text::kAttributesNotChanged), builtIn);
  EXPECT_EQ(table.Load(NumberedFile(kLanguageTextCount + kAddedTextCount)),
            kLanguageTextCount + kAddedTextCount);
  EXPECT_EQ(table.Text(text::kAttributesNotChanged), "T264");
  // Switching back to an older file does not keep the other language's text.
  table.Load(NumberedFile(kLanguageTextCount));
  EXPECT_EQ(table.Text(text::kAttributesNotChanged), builtIn);
}

TEST(LanguageTableTest, OutOfRangeTextIsEmpty) {
  LanguageTable table;
  table.Load(NumberedFile(kLanguageTextCount));
  static const int kOutside[][2] = {{-1, 0}, {kAddedTable, kAddedTextCount}, {kAddedTable + 1, 0}, {INT_MAX, 0}, {0, -1}, {0, 10}, {23, 6}, {1, 44}};
  for (const auto& at : kOutside) {
    EXPECT_EQ(table.TextAt(at[0], at[1]), "") << at[0] << "." << at[1];
  }
  EXPECT_EQ(table.TextAt(0, 9), "T9");
}

struct FormatCase {
  const char* pattern;
  std::vector<FormatArg> args;
  std::string expected;
};

TEST(TextFormatTest, FillsPlaceholders) {
  static const FormatCase kCases[] = {
      {"Copy \"%s\" to:", {"a.txt"}, "Copy \"a.txt\" to:"},
      {"%i files and %i folders found", {3, 4}, "3 files and 4 folders found"},
      {"Delete%s\"%s\"?", {"\n", "x"}, "Delete\n\"x\"?"},
      {"%02i.%02i.%02i %02i:%02i", {5, 3, 24, 9, 7}, "05.03.24 09:07"},
      {"%i %03i %03i", {1, 234, 5}, "1 234 005"},
      {"%i,%02i", {45, 7}, "45,07"},
      {"%d|%u", {-7, 7u}, "-7|7"},
      {"%03i", {-5}, "-05"},
      {"%5i|", {-42}, "  -42|"},
      {"%2i", {12345}, "12345"},
      {"%i", {INT64_MIN}, "-9223372036854775808"},
      {"%u", {UINT64_MAX}, "18446744073709551615"},
      {"%u", {-1}, "18446744073709551615"},
      {"%5s|", {"ab"}, "   ab|"},
      {"%3s|", {"\xC3\xA4\xC3\xB6"}, " \xC3\xA4\xC3\xB6|"},
      {"%05s", {"ab"}, "   ab"},
      {"%s", {"%s %n"}, "%s %n"},
      {"%s", {""}, ""},
      {"100%%", {}, "100%"},
      {"%%s", {"x"}, "%s"},
      {"", {"x"}, ""},
      {"%64i", {1}, std::string(63, ' ') + "1"},
  };
  for (const FormatCase& c : kCases) {
    EXPECT_EQ(FormatText(c.pattern, c.args.data(), c.args.size()), c.expected) << c.pattern;
  }
}

// What a careless or hostile translation may hold: shown as typed, no crash,
// and a placeholder that does not fit leaves its argument to the next one.
TEST(TextFormatTest, ShowsUnfitPlaceholdersAsTyped) {
  static const FormatCase kCases[] = {
      {"%n", {}, "%n"},
      {"%n%s", {"a"}, "%na"},
      {"%s%s%s", {"a"}, "a%s%s"},
      {"%i %i", {}, "%i %i"},
      {"%s", {5}, "%s"},
      {"%i", {"x"}, "%i"},
      {"%s %i", {7}, "%s 7"},
      {"%i %s", {"a", 1}, "%i a"},
      {"50%", {}, "50%"},
      {"%", {1}, "%"},
      {"%5", {1}, "%5"},
      {"%99999s", {"x"}, "%99999s"},
      {"%65i", {1}, "%65i"},
      {"%99999999999999999999999i", {1}, "%99999999999999999999999i"},
      {"%x %p %c %f", {1, 2, 3, 4}, "%x %p %c %f"},
      {"%ld %-5s %.2s %+i", {1, "a", "b", 2}, "%ld %-5s %.2s %+i"},
      {"%5%", {}, "%5%"},
      {"%s", {}, "%s"},
  };
  for (const FormatCase& c : kCases) {
    EXPECT_EQ(FormatText(c.pattern, c.args.data(), c.args.size()), c.expected) << c.pattern;
  }
  EXPECT_EQ(FormatText("%s", nullptr, 3), "%s");
  EXPECT_EQ(FormatText("Drive %s is not ready.", {"D:\\"}), "Drive D:\\ is not ready.");
}

TEST(TextFormatTest, PlaceholderKinds) {
  static const struct {
    const char* pattern;
    const char* kinds;
  } kCases[] = {
      {"Copy", ""},        {"%s", "s"},           {"%s%i", "si"},       {"%d %u %03i", "iii"},
      {"100%%", ""},       {"%%s", ""},           {"%n", "?"},          {"50%", "?"},
      {"%65s %s", "?s"},   {"%ld", "?"},          {"%5%", "??"},        {"%i %x %s", "i?s"},
  };
  for (const auto& c : kCases) EXPECT_EQ(PlaceholderKinds(c.pattern), c.kinds) << c.pattern;
}

TEST(LanguageNamesTest, NamesOfLanguageFiles) {
  static const struct {
    std::vector<std::string> files;
    std::vector<std::string> names;
  } kCases[] = {
      {{}, {}},
      {{".", ".."}, {}},
      {{"German.lng", ".", "english.LNG", "..", "Readme.txt", "alpha.Lng"}, {"alpha", "english", "German"}},
      {{"a.lngx", "lng", ".lng", "x.lng.bak"}, {}},
      {{"Fran\xC3\xA7" "ais.lng", "Deutsch.lng", "eesti.lng"}, {"Deutsch", "eesti", "Fran\xC3\xA7" "ais"}},
      {{"b.lng", "B.lng", "a.lng"}, {"a", "B", "b"}},
  };
  for (const auto& c : kCases) EXPECT_EQ(LanguageNamesFromFiles(c.files), c.names);
}

// The shipped language files

std::filesystem::path SourceDirectory() {
#ifdef PX_SOURCE_DIR
  return std::filesystem::path(PX_SOURCE_DIR);
#else
  std::error_code error;
  for (std::filesystem::path dir = std::filesystem::current_path(error); !dir.empty();
       dir = dir.parent_path()) {
    if (std::filesystem::exists(dir / "Language" / "English.lng", error)) return dir;
    if (dir == dir.parent_path()) break;
  }
  return std::filesystem::path();
#endif
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The texts that are formatted with arguments, and the kinds they take.
struct Signature {
  int table;
  int index;
  const char* kinds;
};
const Signature kSignatures[] = {
    {2, 0, "s"},    // copy one entry: its name
    {2, 1, "i"},    // copy several: their number
    {2, 2, "s"},    // move one entry
    {2, 3, "i"},    // move several
    {4, 0, "ss"},   // delete one entry: a line break, the name
    {4, 1, "si"},   // delete several: a line break, their number
    {12, 0, "s"},   // drive not ready: the drive root
    {12, 1, "s"},   // volume label prompt: the drive root
    {16, 18, "ii"}, // search status: files found, folders found
};

// Texts that are never shown and are left empty.
const int kUnusedTexts[][2] = {{0, 6}, {1, 10}, {1, 20}, {1, 31}, {1, 32}, {18, 37}, {18, 38}, {18, 39}};

std::string ExpectedKinds(int table, int index) {
  for (const Signature& s : kSignatures) {
    if (s.table == table && s.index == index) return s.kinds;
  }
  return "";
}

bool IsUnused(int table, int index) {
  for (const auto& at : kUnusedTexts) {
    if (at[0] == table && at[1] == index) return true;
  }
  return false;
}

int CountTextLines(const std::string& file) {
  int count = 0;
  std::istringstream lines(file);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.rfind("//", 0) != 0) ++count;
  }
  return count;
}

// Checks the form the shipped files keep: UTF-8 without BOM, every line ended
// by CR LF, no Ctrl+Z or zero byte, and short enough to be read whole.
void ExpectShippedForm(const std::string& file, const std::string& name) {
  ASSERT_FALSE(file.empty()) << name << " missing";
  EXPECT_NE(file.rfind("\xEF\xBB\xBF", 0), 0u) << name << " starts with a BOM";
  EXPECT_EQ(file.find('\x1A'), std::string::npos) << name;
  EXPECT_EQ(file.find('\0'), std::string::npos) << name;
  EXPECT_TRUE(file.size() >= 2 && file.compare(file.size() - 2, 2, "\r\n") == 0)
      << name << " must end with CR LF";
  for (size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\n') {
      EXPECT_TRUE(i > 0 && file[i - 1] == '\r') << name << ": bare LF at " << i;
    } else if (file[i] == '\r') {
      EXPECT_TRUE(i + 1 < file.size() && file[i + 1] == '\n') << name << ": lone CR at " << i;
    }
  }
  EXPECT_LE(file.size(), kLanguageFileLimit) << name;
}

TEST(ShippedLanguageTest, EveryTextTakesTheArgumentsItIsFormattedWith) {
  const std::filesystem::path dir = SourceDirectory() / "Language";
  const std::string english = ReadFile(dir / "English.lng");
  const std::string german = ReadFile(dir / "German.lng");
  ExpectShippedForm(english, "English.lng");
  ExpectShippedForm(german, "German.lng");
  EXPECT_EQ(CountTextLines(english), kLanguageTextCount + kAddedTextCount);
  EXPECT_EQ(CountTextLines(german), kLanguageTextCount + kAddedTextCount);

  LanguageTable en;
  LanguageTable de;
  EXPECT_EQ(en.Load(english), kLanguageTextCount + kAddedTextCount);
  EXPECT_EQ(de.Load(german), kLanguageTextCount + kAddedTextCount);
  // The added texts: each language has its own, with the same argument.
  const std::string& enAdded = en.Text(text::kAttributesNotChanged);
  const std::string& deAdded = de.Text(text::kAttributesNotChanged);
  EXPECT_EQ(PlaceholderKinds(enAdded), "i") << enAdded;
  EXPECT_EQ(PlaceholderKinds(deAdded), "i") << deAdded;
  EXPECT_EQ(enAdded, LanguageTable().Text(text::kAttributesNotChanged));
  EXPECT_NE(deAdded, enAdded);
  for (int t = 0; t < kLanguageTableCount; ++t) {
    for (int i = 0; i < kLanguageTableSizes[t]; ++i) {
      const std::string expected = ExpectedKinds(t, i);
      const std::string& enText = en.TextAt(t, i);
      const std::string& deText = de.TextAt(t, i);
      EXPECT_EQ(PlaceholderKinds(enText), expected) << "English " << t << "." << i << ": " << enText;
      EXPECT_EQ(PlaceholderKinds(deText), PlaceholderKinds(enText)) << "German " << t << "." << i << ": " << deText;
      if (expected.empty()) {
        EXPECT_EQ(enText.find('%'), std::string::npos) << "English " << t << "." << i;
        EXPECT_EQ(deText.find('%'), std::string::npos) << "German " << t << "." << i;
      }
      EXPECT_EQ(enText.empty(), IsUnused(t, i)) << "English " << t << "." << i;
      EXPECT_EQ(deText.empty(), IsUnused(t, i)) << "German " << t << "." << i;
    }
  }
  // Spot checks that the tables did not shift against their owners.
  EXPECT_EQ(en.TextAt(0, 5), "Name");
  EXPECT_EQ(en.TextAt(1, 0), "&File");
  EXPECT_EQ(en.TextAt(16, 18), "%i files and %i folders found");
  EXPECT_EQ(en.TextAt(22, 6), "Used: ");
  EXPECT_EQ(de.TextAt(0, 7), "Gr\xC3\xB6\xC3\x9F" "e");
}

TEST(ShippedLanguageTest, KeyboardReferencesReadWhole) {
  const std::filesystem::path dir = SourceDirectory() / "Language";
  for (const char* name : {"English.kbr", "German.kbr"}) {
    ExpectShippedForm(ReadFile(dir / name), name);
  }
}

TEST(MenuItemName, ShortcutAccessKeyAndDotsGo) {
  const std::pair<const char*, const char*> rows[] = {
      {"&Jobs...", "Jobs"},     {"View\tF3", "View"},   {"Save && go", "Save & go"},
      {"Ends with &", "Ends with"}, {"", ""},          {"...", ""},
      {"&Find...\tCtrl+F", "Find"},
  };
  for (const auto& [item, name] : rows) EXPECT_EQ(MenuItemName(item), name) << item;
}

// The key of a menu item: its marked letter, else its first character.
TEST(MenuItemName, AccessKeys) {
  const struct {
    const char* item;
    bool literal;
    const char* key;
  } rows[] = {
      {"Copy...\tF5", false, "C"},        {"F&avourites", false, "a"},
      {"Save && go", false, "S"},          {"&&Co &Ltd", false, "L"},
      {"&&Co", false, "&"},                {"\xC3\x9C" "bersicht\tF1", false, "\xC3\x9C"},
      {"Neu &\xC3\xB6" "ffnen", false, "\xC3\xB6"}, {"", false, ""},
      {"\tCtrl+T", false, ""},            {"  Spaced", false, "S"},
      {"Ends with &", false, "E"},         {"&Docs & more", true, "&"},
  };
  for (const auto& row : rows) EXPECT_EQ(AccessKeyOf(row.item, row.literal), row.key) << row.item;
}

}  // namespace
}  // namespace px
