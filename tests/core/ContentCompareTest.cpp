// Comparing two files byte by byte through readers: short reads, block
// edges, files that cannot be opened or break off, and stopping.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>

#include "core/fs/ContentCompare.h"

namespace px {
namespace {

// Files held in memory; each read hands out at most `step` bytes (a reader
// may give fewer than asked), a file in failAt fails its read there.
class MemoryFiles : public ReaderSource {
 public:
  std::unique_ptr<ByteReader> Open(const std::string& path) override {
    ++opened[path];
    const auto it = files.find(path);
    if (it == files.end() || locked.count(path)) return nullptr;
    const auto fail = failAt.find(path);
    return std::make_unique<Reader>(it->second, step,
                                    fail == failAt.end() ? std::string::npos : fail->second);
  }

  std::map<std::string, std::string> files;
  std::set<std::string> locked;
  std::map<std::string, size_t> failAt;
  std::map<std::string, int> opened;
  size_t step = 1 << 30;

 private:
  class Reader : public ByteReader {
   public:
    Reader(const std::string& bytes, size_t step, size_t failAt)
        : bytes_(bytes), step_(step), failAt_(failAt) {}
    std::optional<size_t> Read(void* buffer, size_t size) override {
      if (at_ >= failAt_) return std::nullopt;
      size_t n = std::min({size, step_, bytes_.size() - at_});
      if (failAt_ != std::string::npos) n = std::min(n, failAt_ - at_);
      bytes_.copy(static_cast<char*>(buffer), n, at_);
      at_ += n;
      return n;
    }

   private:
    std::string bytes_;
    size_t step_, failAt_, at_ = 0;
  };
};

ContentBuffers Buffers(size_t block) {
  ContentBuffers buffers;
  buffers.left.resize(block);
  buffers.right.resize(block);
  return buffers;
}

// Whatever the block size and however the readers cut their reads, two files
// compare the same exactly when their bytes are equal, and a file that is
// the same is reported whole.
TEST(ContentCompare, SameExactlyWhenTheBytesAreEqual) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    MemoryFiles files;
    files.step = 1 + random() % 9;
    const size_t length = random() % 40;
    std::string left(length, '\0');
    for (char& c : left) c = static_cast<char>(random() % 3);
    std::string right = left;
    switch (random() % 4) {
      case 0: break;
      case 1: if (!right.empty()) right[random() % right.size()] ^= 1; break;
      case 2: right.push_back('\0'); break;
      case 3: if (!right.empty()) right.pop_back(); break;
    }
    files.files = {{"L", left}, {"R", right}};
    ContentBuffers buffers = Buffers(1 + random() % 12);
    uint64_t reported = 0;
    const ContentCheck check = CompareFileContents(files, "L", "R", buffers, nullptr,
                                                   [&](uint64_t bytes) { reported += bytes; });
    EXPECT_EQ(check.result, left == right ? ContentResult::kSame : ContentResult::kDiffer)
        << "round " << round;
    EXPECT_EQ(check.unreadableFiles, 0);
    if (left == right) {
      EXPECT_EQ(reported, left.size());
    }
  }
}

TEST(ContentCompare, FilesThatCannotBeReadAreCountedEach) {
  static const struct {
    const char* what;
    std::set<std::string> locked;
    std::map<std::string, size_t> failAt;
    int unreadable;
  } kCases[] = {
      {"left cannot be opened", {"L"}, {}, 1},
      {"right cannot be opened", {"R"}, {}, 1},
      {"neither can be opened", {"L", "R"}, {}, 2},
      {"left breaks off after a block", {}, {{"L", 5}}, 1},
      {"both break off at once", {}, {{"L", 0}, {"R", 0}}, 2},
  };
  for (const auto& c : kCases) {
    MemoryFiles files;
    files.files = {{"L", "0123456789"}, {"R", "0123456789"}};
    files.locked = c.locked;
    files.failAt = c.failAt;
    ContentBuffers buffers = Buffers(4);
    const ContentCheck check = CompareFileContents(files, "L", "R", buffers);
    EXPECT_EQ(check.result, ContentResult::kUnreadable) << c.what;
    EXPECT_EQ(check.unreadableFiles, c.unreadable) << c.what;
    // Both are tried, so that each failure is counted.
    EXPECT_EQ(files.opened["L"], 1) << c.what;
    EXPECT_EQ(files.opened["R"], 1) << c.what;
  }
  // A file missing since it was listed cannot be read either.
  MemoryFiles files;
  files.files = {{"L", "x"}};
  ContentBuffers buffers = Buffers(4);
  EXPECT_EQ(CompareFileContents(files, "L", "gone", buffers).unreadableFiles, 1);
}

TEST(ContentCompare, StopsBeforeTheNextBlock) {
  MemoryFiles files;
  files.files = {{"L", std::string(100, 'a')}, {"R", std::string(100, 'a')}};
  ContentBuffers buffers = Buffers(10);
  int asked = 0;
  uint64_t reported = 0;
  const ContentCheck check = CompareFileContents(
      files, "L", "R", buffers, [&] { return ++asked <= 3; }, [&](uint64_t bytes) { reported += bytes; });
  EXPECT_EQ(check.result, ContentResult::kStopped);
  EXPECT_EQ(reported, 30u);
  // Two empty files are the same without a block read.
  files.files = {{"L", ""}, {"R", ""}};
  EXPECT_EQ(CompareFileContents(files, "L", "R", buffers).result, ContentResult::kSame);
}

}  // namespace
}  // namespace px
