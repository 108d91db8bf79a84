// PagedFile: reads across page edges, the bound on the cache, failing and
// shrinking sources.
#include "core/viewer/PagedFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

namespace px {
namespace {

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t size) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

// A source over bytes in memory that fails the reads it is told to, hands
// out at most `dribble` bytes per read, and counts its reads.
class TestSource : public ViewerSource {
 public:
  explicit TestSource(std::vector<uint8_t> bytes) : memory_(std::move(bytes)) {}
  uint64_t Size() const override { return memory_.Size(); }
  ReadResult Read(uint64_t offset, void* buffer, size_t size) override {
    ++reads;
    if (failing.count(reads) > 0 || failAll) return {0, true};
    return memory_.Read(offset, buffer, std::min(size, dribble));
  }
  std::vector<uint8_t>& Bytes() { return memory_.Bytes(); }

  std::set<uint64_t> failing;  // read numbers (from 1) that fail
  bool failAll = false;
  size_t dribble = SIZE_MAX;
  uint64_t reads = 0;

 private:
  MemorySource memory_;
};

TEST(PagedFile, CopiesMatchTheBytesWhateverThePagesAndTheCache) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 300; ++round) {
    const size_t size = rng() % 700;
    const std::vector<uint8_t> bytes = RandomBytes(rng, size);
    TestSource source(bytes);
    source.dribble = 1 + rng() % 40;  // the source may deliver a page in several reads
    const size_t pageSize = 1 + rng() % 64;
    const size_t maxPages = 1 + rng() % 5;
    PagedFile file(source, pageSize, maxPages);
    file.ReadLongRunsDirectly(round % 2 == 1);  // the same bytes either way
    ASSERT_EQ(file.Size(), size);
    for (int access = 0; access < 40; ++access) {
      const uint64_t offset = rng() % (size + 20);
      const size_t want = rng() % 200;
      std::vector<uint8_t> out(want + 1, 0xCD);
      const ReadResult r = file.CopyOut(offset, out.data(), want);
      ASSERT_FALSE(r.failed);
      const size_t expected = offset >= size ? 0 : std::min<size_t>(want, size - offset);
      ASSERT_EQ(r.bytes, expected) << "offset " << offset << " page " << pageSize;
      ASSERT_TRUE(std::equal(out.begin(), out.begin() + expected, bytes.begin() + offset));
      ASSERT_EQ(out[want], 0xCD) << "wrote past what was asked";
      ASSERT_LE(file.CachedPages(), maxPages);

      const ByteResult b = file.ByteAt(offset);
      if (offset < size) {
        ASSERT_EQ(b.status, ByteStatus::kOk);
        ASSERT_EQ(b.value, bytes[offset]);
      } else {
        ASSERT_EQ(b.status, ByteStatus::kPastEnd);
      }
      ASSERT_LE(file.CachedPages(), maxPages);
    }
  }
}

TEST(PagedFile, KeepsTheRecentlyUsedPagesAndReadsEachOnce) {
  std::vector<uint8_t> bytes(100);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  TestSource source(bytes);
  PagedFile file(source, 10, 2);

  EXPECT_EQ(file.ByteAt(3).value, 3);   // page 0 read
  EXPECT_EQ(file.ByteAt(7).value, 7);   // page 0 again: no read
  EXPECT_EQ(source.reads, 1u);
  EXPECT_EQ(file.ByteAt(15).value, 15);  // page 1
  EXPECT_EQ(file.ByteAt(0).value, 0);    // page 0 becomes the most recent
  EXPECT_EQ(file.ByteAt(25).value, 25);  // page 2 pushes out page 1
  EXPECT_EQ(source.reads, 3u);
  EXPECT_EQ(file.CachedPages(), 2u);
  EXPECT_EQ(file.ByteAt(9).value, 9);  // page 0 was kept
  EXPECT_EQ(source.reads, 3u);
  EXPECT_EQ(file.ByteAt(19).value, 19);  // page 1 was not
  EXPECT_EQ(source.reads, 4u);

  // A copy over many pages never holds more than the bound.
  std::vector<uint8_t> all(100);
  EXPECT_EQ(file.CopyOut(0, all.data(), all.size()).bytes, 100u);
  EXPECT_EQ(all, bytes);
  EXPECT_EQ(file.CachedPages(), 2u);
}

TEST(PagedFile, AFailedReadIsAnErrorValueAndLaterReadsStillWork) {
  std::mt19937 rng(7);
  const std::vector<uint8_t> bytes = RandomBytes(rng, 300);
  for (uint64_t failing = 1; failing <= 6; ++failing) {
    TestSource source(bytes);
    source.failing = {failing};
    PagedFile file(source, 32, 3);
    std::vector<uint8_t> out(bytes.size());
    // 300 bytes over pages of 32 is 10 reads: read number `failing` fails,
    // after the pages before it were copied.
    const ReadResult r = file.CopyOut(0, out.data(), out.size());
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.bytes, (failing - 1) * 32);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + r.bytes, bytes.begin()));
    EXPECT_LE(file.CachedPages(), 3u);

    const ReadResult again = file.CopyOut(0, out.data(), out.size());
    EXPECT_FALSE(again.failed);
    EXPECT_EQ(again.bytes, bytes.size());
    EXPECT_EQ(out, bytes);
  }

  TestSource broken(bytes);
  broken.failAll = true;
  PagedFile file(broken, 16, 2);
  EXPECT_EQ(file.ByteAt(40).status, ByteStatus::kFailed);
  EXPECT_EQ(file.CachedPages(), 0u);  // a failed page is not kept
  broken.failAll = false;
  const ByteResult b = file.ByteAt(40);
  EXPECT_EQ(b.status, ByteStatus::kOk);
  EXPECT_EQ(b.value, bytes[40]);
}

TEST(PagedFile, AFileThatShrankGivesFewerBytes) {
  std::vector<uint8_t> bytes(100);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  TestSource source(bytes);
  PagedFile file(source, 16, 8);
  EXPECT_EQ(file.ByteAt(5).value, 5);  // page 0 in the cache

  source.Bytes().resize(40);
  EXPECT_EQ(file.Size(), 100u);  // what it was opened with, until Refresh
  uint8_t out[30] = {};
  ReadResult r = file.CopyOut(30, out, sizeof out);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.bytes, 10u);
  EXPECT_EQ(out[9], 39);
  EXPECT_EQ(file.ByteAt(45).status, ByteStatus::kPastEnd);
  EXPECT_EQ(file.ByteAt(90).status, ByteStatus::kPastEnd);
  EXPECT_EQ(file.ByteAt(39).value, 39);

  // Gone altogether.
  source.Bytes().clear();
  EXPECT_EQ(file.CopyOut(70, out, sizeof out).bytes, 0u);
  EXPECT_EQ(file.ByteAt(5).value, 5);  // still the page read before

  source.Bytes().assign(20, 0xAA);
  file.Refresh();
  EXPECT_EQ(file.Size(), 20u);
  EXPECT_EQ(file.CachedPages(), 0u);
  EXPECT_EQ(file.ByteAt(5).value, 0xAA);
  EXPECT_EQ(file.ByteAt(20).status, ByteStatus::kPastEnd);
}

TEST(PagedFile, EmptyAndFarOffsets) {
  MemorySource empty;
  PagedFile file(empty);
  uint8_t out[4];
  EXPECT_EQ(file.Size(), 0u);
  EXPECT_EQ(file.CopyOut(0, out, 4).bytes, 0u);
  EXPECT_EQ(file.ByteAt(0).status, ByteStatus::kPastEnd);

  MemorySource text("abc");
  PagedFile small(text, 0, 0);  // sizes of nothing are taken as one
  EXPECT_EQ(small.PageSize(), 1u);
  EXPECT_EQ(small.MaxPages(), 1u);
  EXPECT_EQ(small.CopyOut(UINT64_MAX, out, 4).bytes, 0u);
  EXPECT_EQ(small.CopyOut(UINT64_MAX - 1, out, 4).bytes, 0u);
  EXPECT_EQ(small.CopyOut(1, out, 4).bytes, 2u);
  EXPECT_EQ(small.CopyOut(0, out, 0).bytes, 0u);
}

}  // namespace
}  // namespace px
