// Comparing what two panels show: their own files as the folder comparison
// does, whole trees down to the top entries to mark, contents read through
// readers, and what cannot be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/fs/FileAttributes.h"
#include "core/panel/TreeCompare.h"
#include "core/text/CaseFold.h"
#include "tests/core/MemoryFolders.h"

namespace px {
namespace {

constexpr uint64_t kSecond = 10000000;
constexpr uint64_t kNoon = 133000000000000000ull;

// Folders by path (ending with a backslash) and the bytes of their files.
class FakeDisk : public MemoryFolders, public ReaderSource {
 public:
  FakeDisk() { folderTime = kNoon; }
  // A path ending with a backslash adds a folder, anything else a file (its
  // bytes given, or as many as size says); parents are added as needed.
  void Add(const std::string& path, uint64_t seconds = 0, uint32_t attributes = 0,
           std::string bytes = "x") {
    const bool isFolder = path.back() == '\\';
    if (!isFolder) contents[path] = bytes;
    Put(path, isFolder ? 0 : bytes.size(), kNoon + seconds * kSecond, attributes);
  }

  std::unique_ptr<ByteReader> Open(const std::string& path) override {
    ++opened[path];
    const auto it = contents.find(path);
    if (it == contents.end() || locked.count(path)) return nullptr;
    return std::make_unique<Reader>(it->second);
  }

  std::map<std::string, std::string> contents;
  std::map<std::string, int> opened;

 private:
  class Reader : public ByteReader {
   public:
    explicit Reader(std::string bytes) : bytes_(std::move(bytes)) {}
    std::optional<size_t> Read(void* buffer, size_t size) override {
      const size_t n = bytes_.copy(static_cast<char*>(buffer), size, at_);
      at_ += n;
      return n;
    }

   private:
    std::string bytes_;
    size_t at_ = 0;
  };
};

constexpr char kLeft[] = "C:\\L\\";
constexpr char kRight[] = "C:\\R\\";

PanelCompareRequest Request(FakeDisk& disk, bool subfolders, bool showHidden = false) {
  PanelCompareRequest request;
  request.leftFolder = kLeft;
  request.rightFolder = kRight;
  EXPECT_EQ(ListFolder(disk, kLeft, showHidden, request.left), ListStatus::kOk);
  EXPECT_EQ(ListFolder(disk, kRight, showHidden, request.right), ListStatus::kOk);
  request.subfolders = subfolders;
  request.showHiddenSystem = showHidden;
  return request;
}

using Names = std::vector<std::string>;

Names Sorted(const EntryTable& table, const std::vector<size_t>& entries) {
  Names names;
  for (size_t i : entries) names.push_back(table.entries[i].name);
  std::sort(names.begin(), names.end());
  return names;
}

struct File {
  std::string path;  // below the side's folder
  uint64_t seconds = 0;
  std::string bytes = "x";
  uint32_t attributes = 0;
};

// Trees: a file anywhere below a top folder marks that folder; folders pair
// by name ignoring case; empty folders, links and (unless shown) hidden
// entries make no difference.
TEST(TreeCompare, MarksTheTopEntriesOfFilesThatDiffer) {
  FolderCompareOptions bySize;
  bySize.bySize = true;
  static const struct {
    const char* what;
    std::vector<File> left, right;
    bool showHidden;
    Names markLeft, markRight;
    uint64_t differing;
  } kCases[] = {
      {"equal trees", {{"a"}, {"Sub\\b"}, {"Sub\\Deep\\c"}}, {{"a"}, {"Sub\\b"}, {"Sub\\Deep\\c"}}, false, {}, {}, 0},
      {"a deep file newer on the left", {{"Sub\\Deep\\c", 9}, {"a"}}, {{"Sub\\Deep\\c"}, {"a"}}, false, {"Sub"}, {}, 1},
      {"a deep file only on the right", {{"Sub\\b"}}, {{"Sub\\b"}, {"Sub\\Deep\\new"}}, false, {}, {"Sub"}, 1},
      {"a top file differs beside equal folders", {{"a", 5}, {"Sub\\b"}}, {{"a"}, {"Sub\\b"}}, false, {"a"}, {}, 1},
      {"a folder on one side", {{"Only\\x"}, {"Only\\y\\z"}}, {}, false, {"Only"}, {}, 2},
      {"an empty folder on one side", {{"Empty\\"}}, {}, false, {}, {}, 0},
      {"folder names pair ignoring case", {{"sub\\B"}}, {{"SUB\\b"}}, false, {}, {}, 0},
      {"a file on one side, a folder of its name on the other", {{"n"}}, {{"n\\m"}}, false, {"n"}, {"n"}, 2},
      {"hidden files below are left out", {{"Sub\\h", 0, "x", kAttrHidden}}, {{"Sub\\"}}, false, {}, {}, 0},
      {"hidden files below are compared when shown", {{"Sub\\h", 0, "x", kAttrHidden}}, {{"Sub\\"}}, true, {"Sub"}, {}, 1},
      {"links are never entered", {{"Link\\", 0, "", kAttrReparsePoint}}, {{"Link\\x"}}, false, {}, {"Link"}, 1},
  };
  for (const auto& c : kCases) {
    FakeDisk disk;
    disk.Add(kLeft);
    disk.Add(kRight);
    for (const File& f : c.left) disk.Add(kLeft + f.path, f.seconds, f.attributes, f.bytes);
    for (const File& f : c.right) disk.Add(kRight + f.path, f.seconds, f.attributes, f.bytes);
    const PanelCompareRequest request = Request(disk, true, c.showHidden);
    const PanelCompareOutcome outcome = ComparePanels(request, &disk, nullptr);
    EXPECT_FALSE(outcome.stopped) << c.what;
    EXPECT_EQ(Sorted(request.left, outcome.markLeft), c.markLeft) << c.what;
    EXPECT_EQ(Sorted(request.right, outcome.markRight), c.markRight) << c.what;
    EXPECT_EQ(outcome.differing, c.differing) << c.what;
    EXPECT_EQ(outcome.unreadable, 0u) << c.what;
    for (const auto& [folder, count] : disk.listings) {
      EXPECT_EQ(count, 1) << c.what << ": " << folder;
      EXPECT_NE(folder, std::string(kLeft) + "Link\\") << c.what;
    }
  }
}

// Without subfolders the panels compare exactly as the folder comparison of
// their tables does, whatever the files and the options.
TEST(TreeCompare, OwnFilesCompareAsTheFolderComparison) {
  std::mt19937 random(11);
  const char* names[] = {"a", "A", "b", "c.txt", "D", "e"};
  for (int round = 0; round < 500; ++round) {
    FakeDisk disk;
    disk.Add(kLeft);
    disk.Add(kRight);
    for (const char* root : {kLeft, kRight})
      for (const char* name : names)
        if (random() % 3 != 0)
          disk.Add(root + std::string(name) + (random() % 4 == 0 ? "\\" : ""), random() % 4, 0,
                   std::string(random() % 2 + 1, 'x'));
    PanelCompareRequest request = Request(disk, false);
    request.options.bySize = random() % 2 == 0;
    request.options.timeTolerance = random() % 2 == 0 ? kFatTimeTolerance : 0;
    const FolderComparison expected = CompareFolders(request.left, request.right, request.options);
    const PanelCompareOutcome outcome = ComparePanels(request, nullptr, nullptr);
    EXPECT_EQ(outcome.markLeft, expected.markLeft) << "round " << round;
    EXPECT_EQ(outcome.markRight, expected.markRight) << "round " << round;
    EXPECT_EQ(outcome.differing, expected.markLeft.size() + expected.markRight.size());
    EXPECT_TRUE(disk.listings.size() == 2u) << "only the tables' own listings";
  }
}

// Pairs of the same time and size are read: those whose bytes differ, or that
// cannot be read, are marked on both sides; names a path may not reach
// exactly are never opened.
TEST(TreeCompare, ContentsDecidePairsOfTheSameTimeAndSize) {
  static const struct {
    const char* what;
    std::string left, right;
    bool lockRight;
    bool subfolders;
    Names mark;
    uint64_t differing, unreadable;
  } kCases[] = {
      {"same bytes", "abc", "abc", false, false, {}, 0, 0},
      {"other bytes", "abc", "abd", false, false, {"f"}, 2, 0},
      {"cannot be read", "abc", "abc", true, false, {"f"}, 2, 1},
      {"other bytes, deep", "abc", "xbc", false, true, {"Sub"}, 2, 0},
      {"other sizes are not read", "abc", "abcd", false, false, {"f"}, 2, 0},
  };
  for (const auto& c : kCases) {
    FakeDisk disk;
    const std::string path = c.subfolders ? "Sub\\f" : "f";
    disk.Add(kLeft + path, 0, 0, c.left);
    disk.Add(kRight + path, 0, 0, c.right);
    disk.Add(kLeft + std::string("same"), 0, 0, "s");
    disk.Add(kRight + std::string("same"), 0, 0, "s");
    if (c.lockRight) disk.locked.insert(kRight + path);
    PanelCompareRequest request = Request(disk, c.subfolders);
    request.options.contentCandidates = true;
    std::vector<PanelCompareProgress> heard;
    const PanelCompareOutcome outcome = ComparePanels(
        request, &disk, &disk, nullptr, [&](const PanelCompareProgress& p) { heard.push_back(p); });
    EXPECT_EQ(Sorted(request.left, outcome.markLeft), c.mark) << c.what;
    EXPECT_EQ(Sorted(request.right, outcome.markRight), c.mark) << c.what;
    EXPECT_EQ(outcome.differing, c.differing) << c.what;
    EXPECT_EQ(outcome.unreadable, c.unreadable) << c.what;
    EXPECT_EQ(disk.opened[kLeft + path], c.left.size() == c.right.size() ? 1 : 0) << c.what;
    ASSERT_FALSE(heard.empty()) << c.what;
    EXPECT_EQ(heard.back().bytesDone, heard.back().bytesTotal) << c.what;
    EXPECT_EQ(heard.back().bytesTotal, 1u + (c.left.size() == c.right.size() ? c.left.size() : 0))
        << c.what;
  }

  // A name the listing holds twice (bytes that are no text list alike) is not
  // read: which file a path by it reaches cannot be told.
  const std::string twice = "tw\xEF\xBF\xBD";
  FakeDisk disk;
  disk.Add(kLeft + twice, 0, 0, "a");
  disk.AddEntry(kLeft, {twice, 1, kNoon, kAttrArchive});
  disk.Add(kRight + twice, 0, 0, "a");
  PanelCompareRequest request = Request(disk, false);
  request.options.contentCandidates = true;
  const PanelCompareOutcome outcome = ComparePanels(request, &disk, &disk);
  ASSERT_TRUE(request.left.ListedTwice(twice));
  EXPECT_EQ(disk.opened.count(kLeft + twice), 0u);
  EXPECT_EQ(outcome.unreadable, 1u);
  EXPECT_EQ(Sorted(request.right, outcome.markRight), Names{twice});
}

// Folders that cannot be read and names no path reaches are counted and mark
// the top entry they lie in; a folder gone since it was listed is empty.
TEST(TreeCompare, WhatCannotBeReadIsCountedAndMarked) {
  FakeDisk disk;
  disk.Add(kLeft + std::string("Locked\\a"));
  disk.Add(kRight + std::string("Locked\\a"));
  disk.Add(kLeft + std::string("Odd\\b"));
  disk.Add(kRight + std::string("Odd\\b"));
  disk.AddEntry(kLeft + std::string("Odd\\"), {"sub\\evil", 1, kNoon, kAttrArchive});
  disk.Add(kLeft + std::string("Gone\\"));
  disk.Add(kRight + std::string("Gone\\"));
  disk.Add(kLeft + std::string("Fine\\c"));
  disk.Add(kRight + std::string("Fine\\c"));
  disk.AddEntry(kLeft, {"top\\name", 1, kNoon, kAttrArchive});
  disk.locked.insert(kLeft + std::string("Locked\\"));
  const PanelCompareRequest request = Request(disk, true);
  disk.Remove(kRight + std::string("Gone\\"));
  const PanelCompareOutcome outcome = ComparePanels(request, &disk, nullptr);
  EXPECT_EQ(outcome.unreadable, 3u);
  EXPECT_EQ(Sorted(request.left, outcome.markLeft), (Names{"Locked", "Odd", "top\\name"}));
  // The locked folder's file shows as missing on the left.
  EXPECT_EQ(Sorted(request.right, outcome.markRight), (Names{"Locked"}));
}

TEST(TreeCompare, StopsWhenAskedAndMarksNothing) {
  FakeDisk disk;
  for (int i = 0; i < 3000; ++i) disk.Add(kLeft + std::string("Sub\\f") + std::to_string(i));
  disk.Add(kRight + std::string("Sub\\f0"), 0, 0, "y");
  PanelCompareRequest request = Request(disk, true);
  request.options.contentCandidates = true;
  for (int allowed : {0, 1, 2, 4}) {
    int asked = 0;
    const PanelCompareOutcome outcome =
        ComparePanels(request, &disk, &disk, [&] { return asked++ < allowed; });
    EXPECT_TRUE(outcome.stopped) << allowed;
    EXPECT_TRUE(outcome.markLeft.empty() && outcome.markRight.empty()) << allowed;
  }
}

}  // namespace
}  // namespace px
