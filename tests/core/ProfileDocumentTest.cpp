// Reading and in-place editing of private-profile files.
#include "core/settings/ProfileDocument.h"

#include <climits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace px {
namespace {

using namespace std::string_literals;

TEST(ProfileDocument, SerializeReturnsTheInputUnchanged) {
  static const std::string kFiles[] = {
      "",
      "\r\n",
      "; comment\r\n[Left]\r\nPath=C:\\\r\n\r\n[Unknown]\r\nx = 1\r\n# not a comment\r\n",
      "[A]\nk=v\n",
      "[A]\rk=v\r",
      "[A]\r\nk=v\nj=w\rz=1",
      "preamble line\n  [ A ]  trailing\n\tk\t=\t v \t\n\n\n",
      "[A]\nk=v",
      "no sections at all",
      "a\0b=\0\n[\0]\n"s,
      "\r\r\n\n\r",
  };
  for (const std::string& file : kFiles) {
    EXPECT_EQ(ProfileDocument::Parse(file).Serialize(), file);
  }
}

TEST(ProfileDocument, GetFollowsThePlatformReadingRules) {
  struct Row {
    const char* file;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  };
  static const Row kRows[] = {
      {"[Left]\nPath=C:\\x\\\n", "left", "PATH", "C:\\x\\"},
      {"  [  Left  ]  \n  Path  =  v  \n", "Left", "Path", "v"},
      {"[a]b]\nk=1\n", "a]b", "k", "1"},
      {"[A]\nk=\"quoted\"\n", "A", "k", "quoted"},
      {"[A]\nk=\"\n", "A", "k", "\""},
      {"[A]\nk=\"mixed'\n", "A", "k", "\"mixed'"},
      {"[A]\nk=\"\"twice\"\"\n", "A", "k", "\"twice\""},
      {"[A]\nk=a=b\n", "A", "k", "a=b"},
      {"[A]\nk\n", "A", "k", std::nullopt},
      {"[A]\nk\nk=2\n", "A", "k", std::nullopt},
      {"[A]\nk=1\nK=2\n", "A", "k", "1"},
      {"[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "k", "1"},
      {"[A]\nk=1\n[a]\nj=3\n", "A", "j", std::nullopt},
      {"[A]\n;k=1\n", "A", ";k", std::nullopt},
      {"[A]\n  ;k=1\nk=2\n", "A", "k", "2"},
      {"[A]\n#k=1\n", "A", "#k", "1"},
      {"k=1\n[A]\n", "", "k", std::nullopt},
      {"[A\nk=1\n", "A", "k", std::nullopt},
      {"[A]\rk=1\rj=2", "A", "j", "2"},
      {"[A]\nk=1\r\nj=2\rz=3", "A", "z", "3"},
      {"[\xC3\x84]\nk=1\n", "\xC3\x84", "k", "1"},
      {"[\xC3\x84]\nk=1\n", "\xC3\xA4", "k", std::nullopt},
  };
  for (const Row& row : kRows) {
    ProfileDocument doc = ProfileDocument::Parse(row.file);
    EXPECT_EQ(doc.Get(row.section, row.key), row.expected)
        << "file: " << row.file << " key: " << row.key;
  }
}

TEST(ProfileDocument, GetIntReadsLeadingDigits) {
  struct Row {
    const char* value;
    int expected;
  };
  static const Row kRows[] = {
      {"42", 42},
      {"+7", 7},
      {"\" 12\"", 12},
      {"12abc", 12},
      {"0x10", 0},
      {"abc", -1},
      {"-", -1},
      {"+-1", -1},
      {"2147483648", INT_MAX},
      {"99999999999999999999999", INT_MAX},
      {"-2147483649", INT_MIN},
  };
  for (const Row& row : kRows) {
    ProfileDocument doc = ProfileDocument::Parse("[A]\nk="s + row.value + "\n");
    EXPECT_EQ(doc.GetInt("A", "k", -1), row.expected) << row.value;
  }
  EXPECT_EQ(ProfileDocument::Parse("[A]\nk\n").GetInt("A", "k", 5), 5);
}

TEST(ProfileDocument, SetChangesOnlyItsLine) {
  struct Row {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
  };
  static const Row kRows[] = {
      // Existing key: original spelling and line end kept.
      {"; c\r\n[A]\r\n  KeY = old \r\nz=1\r\n", "a", "key", "new",
       "; c\r\n[A]\r\nKeY=new\r\nz=1\r\n"},
      {"[A]\nk=1\r\nj=2\n", "A", "k", "9", "[A]\nk=9\r\nj=2\n"},
      {"[A]\nk=1", "A", "k", "2", "[A]\nk=2"},
      {"[A]\nk=1\nK=2\n", "A", "k", "3", "[A]\nk=3\nK=2\n"},
      // Missing key: after the last non-blank line of its section.
      {"[A]\nk=1\n\n\n[B]\nx=1\n", "A", "new", "v", "[A]\nk=1\nnew=v\n\n\n[B]\nx=1\n"},
      {"[A]\nk=1\n; note\n\n[B]\n", "A", "j", "2", "[A]\nk=1\n; note\nj=2\n\n[B]\n"},
      {"[A]\r\n[B]\r\n", "A", "j", "2", "[A]\r\nj=2\r\n[B]\r\n"},
      {"[A]", "A", "j", "2", "[A]\r\nj=2\r\n"},
      {"[A]\nk=1", "A", "j", "2", "[A]\nk=1\nj=2\n"},
      {"[A]\nk=1\n  ", "A", "j", "2", "[A]\nk=1\nj=2\n  "},
      {"[A]\nk=1\n[a]\nj=1\n", "a", "j", "2", "[A]\nk=1\nj=2\n[a]\nj=1\n"},
      // Missing section: appended, set off by a blank line, in the file's line end.
      {"", "A", "k", "1", "[A]\r\nk=1\r\n"},
      {"[A]\nk=1\n", "B", "j", "2", "[A]\nk=1\n\n[B]\nj=2\n"},
      {"[A]\nk=1", "B", "j", "2", "[A]\nk=1\n\n[B]\nj=2\n"},
      {"[A]\nk=1\n\n", "B", "j", "2", "[A]\nk=1\n\n[B]\nj=2\n"},
      {"k=1\n", "A", "k", "2", "k=1\n\n[A]\nk=2\n"},
      // Values that could not be read back as written.
      {"[A]\n", "A", "k", "a\r\n[B]\r\nx=1", "[A]\nk=a  [B]  x=1\n"},
      {"[A]\n", "A", "k", "\"C:\\a b\\x.exe\" \"arg\"", "[A]\nk=\"\"C:\\a b\\x.exe\" \"arg\"\"\n"},
      {"[A]\n", "A", "k", " padded ", "[A]\nk=\" padded \"\n"},
      {"[A]\n", "A", "k", "\"", "[A]\nk=\"\n"},
      // Names that could not be read back write nothing.
      {"[A]\n", "A", "", "v", "[A]\n"},
      {"[A]\n", "A", "k=j", "v", "[A]\n"},
      {"[A]\n", "A", "[k]", "v", "[A]\n"},
      {"[A]\n", "A", " k", "v", "[A]\n"},
      {"[A]\n", "A\nB", "k", "v", "[A]\n"},
  };
  for (const Row& row : kRows) {
    ProfileDocument doc = ProfileDocument::Parse(row.before);
    doc.Set(row.section, row.key, row.value);
    EXPECT_EQ(doc.Serialize(), row.after) << "before: " << row.before << " key: " << row.key;
  }
}

TEST(ProfileDocument, SetValuesReadBackAsWritten) {
  static const std::string kValues[] = {
      "", "plain", " padded ", "\"quoted\"", "'single'", "\"", "'", "a=b",
      "\"C:\\Program Files\\x.exe\" \"arg\"", "tab\tinside", "nul\0inside"s,
  };
  for (const std::string& value : kValues) {
    ProfileDocument doc;
    doc.Set("A", "k", value);
    EXPECT_EQ(ProfileDocument::Parse(doc.Serialize()).Get("A", "k"), value) << value;
  }
  ProfileDocument doc;
  doc.Set("A", "k", "one\r\ntwo\nthree");
  EXPECT_EQ(ProfileDocument::Parse(doc.Serialize()).Get("A", "k"), "one  two three");
}

// Inserted lines must keep the key index right for later lookups and writes;
// a big file shows quadratic work as a test that never ends.
TEST(ProfileDocument, LookupsStayRightAcrossInsertsInLargeFiles) {
  std::string big = "[Big]\nkey=" + std::string(1 << 20, 'x') + "\n";
  for (int i = 0; i < 200000; ++i) big += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  for (int i = 0; i < 20000; ++i) big += "[S" + std::to_string(i) + "]\nv=1\n";
  big += "[Big]\ndup=1\n";
  ProfileDocument doc = ProfileDocument::Parse(big);
  for (int i = 0; i < 2000; ++i) {
    doc.SetInt("Big", "new" + std::to_string(i), i);
    doc.SetInt("S0", "v", i);
    EXPECT_EQ(doc.GetInt("big", "KEY" + std::to_string(i * 97), -1), i * 97);
  }
  ProfileDocument reread = ProfileDocument::Parse(doc.Serialize());
  for (const ProfileDocument* d : {&doc, &reread}) {
    EXPECT_EQ(d->Get("Big", "key")->size(), 1u << 20);
    EXPECT_EQ(d->GetInt("Big", "new1999", -1), 1999);
    EXPECT_EQ(d->GetInt("S0", "v", -1), 1999);
    EXPECT_EQ(d->GetInt("s19999", "V", -1), 1);
    EXPECT_EQ(d->Get("Big", "dup"), std::nullopt);
  }
}

TEST(ProfileDocument, BinaryJunkIsOrdinaryText) {
  unsigned state = 12345;
  std::string junk;
  static const char kSpecial[] = {'\0', '\r', '\n', '[', ']', '=', ';', '"', ' '};
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    unsigned r = state >> 16;
    junk += (r % 3 == 0) ? kSpecial[r % sizeof kSpecial] : static_cast<char>(r & 0xFF);
  }
  ProfileDocument doc = ProfileDocument::Parse(junk);
  EXPECT_EQ(doc.Serialize(), junk);
  doc.Set("Junk\0Section"s, "key", "value\0with nul"s);
  doc.SetInt("A", "k", 1);
  ProfileDocument reread = ProfileDocument::Parse(doc.Serialize());
  EXPECT_EQ(reread.Get("Junk\0Section"s, "key"), "value\0with nul"s);
  EXPECT_EQ(reread.GetInt("A", "k", 0), 1);
}

}  // namespace
}  // namespace px
