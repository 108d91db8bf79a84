// File icon sources and the per-listing icon cache, driven like a list view drawing rows.
#include "core/panel/IconKeys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace px {
namespace {

TEST(IconKeys, QueryForARow) {
  const std::string folder = "C:\\Apps\\";
  const std::string longFolder = "C:\\" + std::string(246, 'd') + "\\";  // 250 units
  // 250 UTF-16 units in 343 bytes: the shell's limit counts units.
  std::string wideFolder = "C:\\" + std::string(153, 'd');
  for (int i = 0; i < 31; ++i) wideFolder += "\xC3\xA4\xF0\x9F\x98\x80";
  wideFolder += "\\";
  static_assert(kShellIconPathLimit == 259);
  const struct {
    std::string folder;
    std::string name;
    bool showAll;
    IconSource source;
    std::string key;
  } cases[] = {
      {folder, "Tool.exe", true, IconSource::kOwn, "C:\\Apps\\Tool.exe"},
      {folder, "Tool.exe", false, IconSource::kType, ".exe"},
      {folder, "SETUP.EXE", true, IconSource::kOwn, "C:\\Apps\\SETUP.EXE"},
      {folder, "SETUP.EXE", false, IconSource::kType, ".exe"},
      {"C:\\Apps", "Link.LnK", true, IconSource::kOwn, "C:\\Apps\\Link.LnK"},
      {folder, "a.txt.scr", true, IconSource::kOwn, "C:\\Apps\\a.txt.scr"},
      {folder, "a.exe.txt", true, IconSource::kType, ".txt"},
      {folder, "Notes.TXT", true, IconSource::kType, ".txt"},
      {folder, "Makefile", true, IconSource::kType, ""},
      {folder, "archive.", true, IconSource::kType, ""},
      {folder, ".profile", true, IconSource::kType, ".profile"},
      {folder, "exe", true, IconSource::kType, ""},
      {folder, "a.ln\xE2\x84\xAA", true, IconSource::kType, ".ln\xE2\x84\xAA"},  // Kelvin sign
      {folder, "x.\xC3\x84XE", true, IconSource::kType, ".\xC3\x84xe"},
      {longFolder, "12345.exe", true, IconSource::kOwn, longFolder + "12345.exe"},
      {longFolder, "123456.exe", true, IconSource::kType, ".exe"},
      {wideFolder, "12345.ico", true, IconSource::kOwn, wideFolder + "12345.ico"},
      {wideFolder, "123456.ico", true, IconSource::kType, ".ico"},
  };
  for (const auto& c : cases) {
    const IconQuery query = IconQueryFor(c.folder, c.name, c.showAll);
    EXPECT_EQ(query.source, c.source) << c.name << " in " << c.folder.size();
    EXPECT_EQ(query.key, c.key) << c.name;
  }
  for (const char* own : {".EXE", ".lnk", ".Pif", ".ico", ".CUR", ".ani", ".scr", ".scf"})
    EXPECT_TRUE(HasOwnIconExtension(own)) << own;
  for (const char* other : {"", ".", "exe", ".ex", ".exe ", ".bat", ".dll"})
    EXPECT_FALSE(HasOwnIconExtension(other)) << other;

  EXPECT_EQ(ShellName(IconQueryFor(folder, "Tool.exe", true)), "C:\\Apps\\Tool.exe");
  EXPECT_EQ(ShellName(IconQueryFor(folder, "Notes.TXT", true)), ".txt");
  EXPECT_EQ(ShellName(IconQueryFor(folder, "Makefile", true)), kNoTypeShellName);
}

// A list view with an image list and a shell that gives no icon for names
// starting with '!' the first time it is asked.
struct FakeList {
  std::vector<std::string> names;
  bool showAll = true;
  IconCache cache;
  std::vector<std::string> images = std::vector<std::string>(IconCache::kFixedImages);
  std::set<std::string> failedOnce;
  std::vector<std::string> asked;

  int Draw(size_t row) {
    const IconQuery query = IconQueryFor("D:\\Work\\", names[row], showAll);
    if (const int image = cache.Find(query); image >= 0) return image;
    asked.push_back(names[row]);
    if (names[row][0] == '!' && failedOnce.insert(names[row]).second) return -1;
    images.emplace_back(ShellName(query));
    cache.Remember(query, static_cast<int>(images.size()) - 1);
    return static_cast<int>(images.size()) - 1;
  }
  void DrawRows(size_t first, size_t last) {
    for (size_t row = first; row < last && row < names.size(); ++row) Draw(row);
  }
  void ListAgain() {
    images.resize(IconCache::kFixedImages);
    cache.Reset();
  }
};

TEST(IconKeys, ImagesStayBoundedAndAreFetchedOnce) {
  static const char* const kExtensions[] = {".txt", ".TXT", ".exe", ".Exe", ".lnk", "", ".c", ".C"};
  for (const bool showAll : {false, true}) {
    FakeList list;
    list.showAll = showAll;
    std::set<std::string> types, owns;
    for (size_t i = 0; i < 300; ++i) {
      const std::string ext = kExtensions[i % std::size(kExtensions)];
      list.names.push_back((i % 37 == 5 ? "!f" : "f") + std::to_string(i) + ext);
      IconQuery query = IconQueryFor("D:\\Work\\", list.names.back(), showAll);
      (query.source == IconSource::kOwn ? owns : types).insert(query.key);
    }
    list.DrawRows(0, 300);
    const size_t firstPass = list.asked.size();
    list.DrawRows(100, 300);
    list.DrawRows(0, 200);
    const std::set<std::string> distinct(list.images.begin() + IconCache::kFixedImages,
                                         list.images.end());
    EXPECT_EQ(distinct.size(), list.images.size() - IconCache::kFixedImages) << "fetched twice";
    EXPECT_EQ(list.images.size(), IconCache::kFixedImages + types.size() + owns.size());
    EXPECT_EQ(list.cache.Size(), types.size() + owns.size());
    EXPECT_EQ(types.size(), showAll ? 3u : 5u);  // .txt, .c, no type; .exe, .lnk when off
    // Scrolling back asks the shell again only for rows it gave nothing, once each.
    const std::set<std::string> retried(list.asked.begin() + firstPass, list.asked.end());
    EXPECT_EQ(retried.size(), list.asked.size() - firstPass);
    for (const std::string& name : retried) EXPECT_EQ(list.failedOnce.count(name), 1u) << name;
    EXPECT_EQ(retried.empty(), !showAll);  // off: a failed row finds its type fetched by another
    for (size_t row = 0; row < list.names.size(); ++row)
      EXPECT_GE(list.Draw(row), IconCache::kFixedImages) << list.names[row];

    list.ListAgain();
    EXPECT_EQ(list.cache.Size(), 0u);
    const size_t before = list.asked.size();
    list.DrawRows(0, 1);
    EXPECT_EQ(list.asked.size(), before + 1);
    EXPECT_EQ(list.images.size(), IconCache::kFixedImages + 1u);
  }
}

}  // namespace
}  // namespace px
