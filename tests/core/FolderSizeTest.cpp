// Counting a folder's tree: files, folders and bytes, links never entered,
// unreadable folders collected, and stopping on request.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/fs/FileAttributes.h"
#include "core/fs/FolderSize.h"
#include "core/jobs/JobGate.h"
#include "tests/core/MemoryFolders.h"

namespace px {
namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// Folders by path (ending with a backslash); every listing reports "." and "..".
class TreeSource : public MemoryFolders {
 public:
  // A path ending with a backslash adds a folder, anything else a file;
  // parents are added as needed.
  void Add(const std::string& path, uint64_t size = 0, uint32_t extraAttributes = 0) {
    Put(path, size, 0, extraAttributes);
  }
};

FolderSizeFigures Figures(uint64_t files, uint64_t folders, uint64_t bytes, uint64_t links = 0) {
  FolderSizeFigures f;
  f.files = files;
  f.folders = folders;
  f.bytes = bytes;
  f.links = links;
  return f;
}

void ExpectFigures(const FolderSizeFigures& got, const FolderSizeFigures& want) {
  EXPECT_EQ(got.files, want.files);
  EXPECT_EQ(got.folders, want.folders);
  EXPECT_EQ(got.bytes, want.bytes);
  EXPECT_EQ(got.links, want.links);
}

// C:\Data\ holding Greek, Cyrillic, German and Turkish names two levels down.
TreeSource Sample() {
  TreeSource source;
  source.Add("C:\\Data\\readme.txt", 10);
  source.Add("C:\\Data\\\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xB1\\a.bin", 5 * kGiB);  // Αρχεία
  source.Add("C:\\Data\\\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xB1\\\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5\\Stra\xC3\x9F" "e.doc", 7);  // Данные\Straße.doc
  source.Add("C:\\Data\\\xC4\xB1s\xC4\xB1\\");  // ısı, empty
  source.Add("C:\\Data\\Other\\x", 0);
  source.Add("C:\\Other\\outside.txt", 1000);
  return source;
}

TEST(FolderSize, CountsTheWholeTree) {
  for (const char* start : {"C:\\Data\\", "C:\\Data"}) {
    TreeSource source = Sample();
    const FolderSize size = CountFolderSize(source, start);
    EXPECT_EQ(size.end, FolderSizeEnd::kDone);
    ExpectFigures(size.figures, Figures(4, 4, 10 + 5 * kGiB + 7));
    EXPECT_TRUE(size.unreadable.empty());
    for (const auto& listed : source.listings) EXPECT_EQ(listed.second, 1) << listed.first;
    EXPECT_EQ(source.listings.size(), 5u);
  }
  TreeSource empty;
  empty.Add("C:\\Empty\\");
  const FolderSize size = CountFolderSize(empty, "C:\\Empty\\");
  EXPECT_EQ(size.end, FolderSizeEnd::kDone);
  ExpectFigures(size.figures, Figures(0, 0, 0));
}

TEST(FolderSize, LinksAreCountedApartAndNeverEntered) {
  TreeSource source = Sample();
  source.Add("C:\\Data\\loop\\", 0, kAttrReparsePoint);    // a junction back to C:\Data
  source.Add("C:\\Data\\away\\", 0, kAttrReparsePoint);    // one to C:\Other
  source.Add("C:\\Data\\link.txt", 1000, kAttrReparsePoint);  // a file link
  const FolderSize size = CountFolderSize(source, "C:\\Data\\");
  EXPECT_EQ(size.end, FolderSizeEnd::kDone);
  ExpectFigures(size.figures, Figures(4, 4, 10 + 5 * kGiB + 7, 3));
  EXPECT_EQ(source.listings.count("C:\\Data\\loop\\"), 0u);
  EXPECT_EQ(source.listings.count("C:\\Data\\away\\"), 0u);
}

TEST(FolderSize, UnreadableFoldersAreCollectedAndTheRestCounted) {
  const std::string greek = "C:\\Data\\\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xB1\\";
  {
    TreeSource source = Sample();
    source.locked.insert(greek);
    const FolderSize size = CountFolderSize(source, "C:\\Data\\");
    EXPECT_EQ(size.end, FolderSizeEnd::kDone);
    ExpectFigures(size.figures, Figures(2, 3, 10));  // the folder itself is counted, not its content
    EXPECT_EQ(size.unreadable, std::vector<std::string>{greek});
  }
  {
    TreeSource source = Sample();
    source.Add("C:\\Data\\zz.txt", 1);
    source.cutShort.insert("C:\\Data\\");  // lists only its first half
    const FolderSize size = CountFolderSize(source, "C:\\Data\\");
    EXPECT_EQ(size.end, FolderSizeEnd::kDone);
    ExpectFigures(size.figures, Figures(3, 2, 10 + 5 * kGiB + 7));
    EXPECT_EQ(size.unreadable, std::vector<std::string>{"C:\\Data\\"});
  }
  {
    TreeSource source = Sample();
    source.locked.insert("C:\\Data\\");
    const FolderSize size = CountFolderSize(source, "C:\\Data");
    EXPECT_EQ(size.end, FolderSizeEnd::kDone);
    ExpectFigures(size.figures, Figures(0, 0, 0));
    EXPECT_EQ(size.unreadable, std::vector<std::string>{"C:\\Data\\"});
  }
  {
    // A subfolder gone since its parent was listed is just empty.
    TreeSource source = Sample();
    source.Remove("C:\\Data\\Other\\");
    const FolderSize size = CountFolderSize(source, "C:\\Data\\");
    EXPECT_EQ(size.end, FolderSizeEnd::kDone);
    ExpectFigures(size.figures, Figures(3, 4, 10 + 5 * kGiB + 7));
    EXPECT_TRUE(size.unreadable.empty());
  }
  {
    // A folder name holding a separator would lead elsewhere: not entered.
    TreeSource source;
    source.Add("C:\\Data\\a.txt", 1);
    source.Add("C:\\Data\\Other\\b.txt", 2);
    source.AddEntry("C:\\Data\\Other\\", {"..\\..", 0, 0, kAttrDirectory});
    source.AddEntry("C:\\Data\\", {"a/b", 0, 0, kAttrDirectory});
    const FolderSize size = CountFolderSize(source, "C:\\Data\\");
    ExpectFigures(size.figures, Figures(2, 3, 3));
    EXPECT_EQ(size.unreadable, (std::vector<std::string>{"C:\\Data\\a/b\\", "C:\\Data\\Other\\..\\..\\"}));
    EXPECT_EQ(source.listings.size(), 2u);
  }
}

TEST(FolderSize, AMissingFolderCountsNothing) {
  TreeSource source = Sample();
  const FolderSize size = CountFolderSize(source, "C:\\Nowhere\\");
  EXPECT_EQ(size.end, FolderSizeEnd::kNotFound);
  ExpectFigures(size.figures, Figures(0, 0, 0));
  EXPECT_TRUE(size.unreadable.empty());
}

TEST(FolderSize, StopsWhenAsked) {
  {
    // Asked before each folder: no for the third.
    TreeSource source = Sample();
    int asked = 0;
    const FolderSize size = CountFolderSize(source, "C:\\Data\\", [&] { return ++asked < 3; });
    EXPECT_EQ(size.end, FolderSizeEnd::kStopped);
    EXPECT_EQ(asked, 3);  // not asked again once it said no
    EXPECT_EQ(source.listings.size(), 2u);
  }
  {
    // A big listing is stopped part way.
    TreeSource source;
    for (int i = 0; i < 5000; ++i) source.Add("C:\\Big\\f" + std::to_string(i), 1);
    int asked = 0;
    const FolderSize size = CountFolderSize(source, "C:\\Big\\", [&] { return ++asked < 3; });
    EXPECT_EQ(size.end, FolderSizeEnd::kStopped);
    EXPECT_GT(size.figures.files, 0u);
    EXPECT_LT(size.figures.files, 5000u);
    EXPECT_EQ(size.figures.bytes, size.figures.files);
  }
  {
    // A job gate cancelled while counting.
    TreeSource source = Sample();
    JobGate gate;
    int folders = 0;
    const FolderSize size = CountFolderSize(
        source, "C:\\Data\\", [&] { return gate.Pass(); },
        [&](const FolderSizeFigures&) {
          if (++folders == 2) gate.Cancel();
        });
    EXPECT_EQ(size.end, FolderSizeEnd::kStopped);
    EXPECT_EQ(folders, 2);
  }
}

// Folders nested far deeper than a call stack would bear.
class DeepSource : public DirectorySource {
 public:
  explicit DeepSource(size_t depth) : depth_(depth) {}
  ListStatus Enumerate(const std::string& folder,
                       const std::function<void(FoundEntry&&)>& sink) override {
    const size_t level = (folder.size() - 3) / 2;  // C:\ then "d\" per level
    sink({"f", 3, 0, kAttrArchive});
    if (level < depth_) sink({"d", 0, 0, kAttrDirectory});
    return ListStatus::kOk;
  }

 private:
  size_t depth_;
};

TEST(FolderSize, AnyDepth) {
  DeepSource source(20000);
  const FolderSize size = CountFolderSize(source, "C:\\");
  EXPECT_EQ(size.end, FolderSizeEnd::kDone);
  ExpectFigures(size.figures, Figures(20001, 20000, 3 * 20001));
}

// Random trees: the figures are the sums over the tree, each folder is
// listed once, and the figures handed on grow to the final ones.
TEST(FolderSize, GeneratedTreesAddUp) {
  std::mt19937_64 random(11);
  auto pick = [&](uint64_t n) { return random() % n; };
  static const char* const kNames[] = {"a", "\xCE\xA9", "\xD0\x96", "\xC3\x9F", "\xC4\xB1", "x.txt"};
  for (int round = 0; round < 100; ++round) {
    TreeSource source;
    source.Add("C:\\Top\\");
    std::vector<std::string> folders{"C:\\Top\\"};
    FolderSizeFigures want;
    std::set<std::string> unreadable;
    for (int k = 0; k < 60; ++k) {
      const std::string parent = folders[pick(folders.size())];
      const std::string name = std::string(kNames[pick(std::size(kNames))]) + std::to_string(k);
      switch (pick(6)) {
        case 0: case 1:
          folders.push_back(parent + name + "\\");
          source.Add(folders.back());
          break;
        case 2:
          source.Add(parent + name + "\\", 0, kAttrReparsePoint);
          break;
        default:
          source.Add(parent + name, pick(4) == 0 ? random() >> 8 : pick(5000));
          break;
      }
    }
    // Some folders locked; what lies below them is not counted.
    for (size_t k = 1; k < folders.size(); ++k) {
      if (pick(8) == 0) source.locked.insert(folders[k]);
    }
    auto below = [&](const std::string& path) {
      for (const std::string& locked : source.locked) {
        if (path.size() > locked.size() && path.compare(0, locked.size(), locked) == 0) return true;
      }
      return false;
    };
    // The expected figures from the entries the source holds.
    for (const std::string& folder : folders) {
      if (below(folder) || source.locked.count(folder)) {
        if (source.locked.count(folder) && !below(folder)) unreadable.insert(folder);
        continue;
      }
      ASSERT_EQ(source.Enumerate(folder, [&](FoundEntry&& e) {
        if (e.name == "." || e.name == "..") return;
        if (e.attributes & kAttrReparsePoint) {
          ++want.links;
        } else if (e.attributes & kAttrDirectory) {
          ++want.folders;
        } else {
          ++want.files;
          want.bytes += e.size;
        }
      }), ListStatus::kOk);
    }
    source.listings.clear();

    FolderSizeFigures last;
    uint64_t handedOn = 0;
    const FolderSize size =
        CountFolderSize(source, "C:\\Top\\", nullptr, [&](const FolderSizeFigures& f) {
          EXPECT_GE(f.files, last.files);
          EXPECT_GE(f.folders, last.folders);
          EXPECT_GE(f.links, last.links);
          last = f;
          ++handedOn;
        });
    ASSERT_EQ(size.end, FolderSizeEnd::kDone);
    ExpectFigures(size.figures, want);
    ExpectFigures(last, want);
    EXPECT_EQ(std::set<std::string>(size.unreadable.begin(), size.unreadable.end()), unreadable);
    EXPECT_EQ(size.unreadable.size(), unreadable.size());
    EXPECT_EQ(handedOn, source.listings.size());
    for (const auto& listed : source.listings) EXPECT_EQ(listed.second, 1) << listed.first;
  }
}

}  // namespace
}  // namespace px
