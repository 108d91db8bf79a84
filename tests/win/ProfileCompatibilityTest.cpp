// Our settings reader against the platform's own private-profile functions on awkward files.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/settings/ProfileDocument.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

std::string PlatformRead(const std::string& file, const std::string& section,
                         const std::string& key) {
  std::wstring buffer(70000, L'\0');
  DWORD length = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                          L"<default>", buffer.data(),
                                          static_cast<DWORD>(buffer.size()), Widen(file).c_str());
  buffer.resize(length);
  return Narrow(buffer);
}

TEST(ProfileCompatibility, ReadsLikeThePlatform) {
  struct Lookup {
    const char* section;
    const char* key;
  };
  struct Case {
    std::string text;
    std::vector<Lookup> lookups;
  };
  std::string longValue(20000, 'v');
  const Case cases[] = {
      {"[Options]\r\nLanguage=German\r\n", {{"Options", "Language"}, {"options", "LANGUAGE"}}},
      {"  [ Left ]  \r\n   Path   =   C:\\Data\\   \r\n", {{"Left", "Path"}, {"left", "path"}}},
      {"[A]\nq1=\"quoted\"\nq2='single'\nq3=\"mixed'\nq4=\"\nq5=\"\"\n",
       {{"A", "q1"}, {"A", "q2"}, {"A", "q3"}, {"A", "q4"}, {"A", "q5"}}},
      {"[A]\r\n;k=comment\r\n#k=hash\r\nk=value\r\n", {{"A", "#k"}, {"A", "k"}}},
      {"[A]\r\nk=first\r\nk=second\r\n[A]\r\nj=later section\r\n",
       {{"A", "k"}, {"A", "j"}}},
      {"[A]\rk=cr only\r[B]\rk=b\r", {{"A", "k"}, {"B", "k"}}},
      {"[A]\nk=no final line break", {{"A", "k"}}},
      {"[A]\r\nlong=" + longValue + "\r\n", {{"A", "long"}}},
      {"[A]\r\nnovalue\r\nempty=\r\n", {{"A", "novalue"}, {"A", "empty"}, {"A", "missing"}}},
      {"k=before any section\r\n[A]\r\nk=in A\r\n", {{"A", "k"}}},
      {"[A]\r\nk = spaced value with  inner  blanks \t\r\n", {{"A", "k"}}},
      {"[Ünï]\r\nκλειδί=τιμή 値\r\n", {{"Ünï", "κλειδί"}}},
  };
  TempFolder folder;
  int index = 0;
  for (const Case& c : cases) {
    std::string file = folder.Write("case" + std::to_string(index++) + ".ini", c.text);
    ProfileDocument document = ProfileDocument::Parse(DecodeText(c.text).utf8);
    for (const Lookup& lookup : c.lookups) {
      EXPECT_EQ(document.GetString(lookup.section, lookup.key, "<default>"),
                PlatformRead(file, lookup.section, lookup.key))
          << "file " << index - 1 << " [" << lookup.section << "] " << lookup.key;
    }
  }
}

TEST(ProfileCompatibility, BinaryJunkNeverCrashesEitherReader) {
  std::string junk;
  for (int i = 0; i < 20000; ++i) junk += static_cast<char>((i * 2654435761u) >> 24);
  junk += "\r\n[Tail]\r\nkey=found\r\n";
  TempFolder folder;
  std::string file = folder.Write("junk.ini", junk);
  ProfileDocument document = ProfileDocument::Parse(DecodeText(junk).utf8);
  EXPECT_EQ(document.GetString("Tail", "key", "<default>"), "found");
  EXPECT_EQ(PlatformRead(file, "Tail", "key"), "found");
}

TEST(SettingsFile, WriteReplacesTheFileWholeAndKeepsOtherLines) {
  TempFolder folder;
  std::string path = folder.Write("PX.ini", "; my notes\r\n[Left]\r\nPath=C:\\\r\nMine=1\r\n");
  SettingsStore store(std::make_unique<FileProfileStorage>(path));
  store.SetString("Left", "Path", "D:\\Data\\");
  store.SetInt("Options", "Divider", 420);
  ASSERT_TRUE(store.Commit());
  EXPECT_EQ(ReadBytes(path),
            "; my notes\r\n[Left]\r\nPath=D:\\Data\\\r\nMine=1\r\n\r\n[Options]\r\nDivider=420\r\n");
  EXPECT_EQ(GetFileAttributesW(Widen(path + ".new~").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SettingsFile, CodePageFileIsReadAndWrittenBackInItsEncoding) {
  TempFolder folder;
  // "Müller" in the Western code page: not valid UTF-8.
  std::string path = folder.Write("PX.ini", "[Options]\r\nEditor=M\xFCller.exe\r\n");
  SettingsStore store(std::make_unique<FileProfileStorage>(path));
  EXPECT_EQ(store.GetString("Options", "Editor", ""), "Müller.exe");
  store.SetInt("Options", "Divider", 1);
  ASSERT_TRUE(store.Commit());
  EXPECT_EQ(ReadBytes(path), "[Options]\r\nEditor=M\xFCller.exe\r\nDivider=1\r\n");
}

TEST(SettingsFile, UnwritableFolderReportsFailureAndKeepsNothingHalfWritten) {
  SettingsStore store(std::make_unique<FileProfileStorage>("Q:\\no such drive\\PX.ini"));
  store.SetInt("Options", "Divider", 1);
  EXPECT_FALSE(store.Commit());
}

}  // namespace
}  // namespace px::test
