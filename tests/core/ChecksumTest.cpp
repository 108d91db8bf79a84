// The checksum that verifies copies: the reference values, and the same
// value however the bytes are split.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "core/fileops/Checksum.h"

namespace px {
namespace {

uint64_t ChecksumOf(const std::string& bytes) {
  Checksum64 sum;
  sum.Add(bytes.data(), bytes.size());
  return sum.Value();
}

TEST(Checksum64, KnownValuesAndAnySplit) {
  std::string bytes256;
  for (int i = 0; i < 256; ++i) bytes256 += static_cast<char>(i);
  // Values of the reference XXH64 with seed 0.
  const struct {
    std::string bytes;
    uint64_t value;
  } known[] = {
      {"", 0xef46db3751d8e999ull},
      {"a", 0xd24ec4f1a98c6e5bull},
      {"abc", 0x44bc2cf5ad770999ull},
      {"0123456789abcdef0123456789abcdef!", 0x8afff4daac4e677eull},
      {bytes256 + bytes256 + bytes256 + "xyz", 0xe921a1b45bd779f8ull},
  };
  for (const auto& k : known) EXPECT_EQ(ChecksumOf(k.bytes), k.value) << k.bytes.size();

  // Whatever pieces the bytes come in (a source read in blocks, its copy read
  // back in others), the value is that of the whole; one byte changed, or one
  // more or less, changes it.
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 300, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const uint64_t whole = ChecksumOf(bytes);
    Checksum64 pieces;
    for (size_t at = 0; at < bytes.size();) {
      const size_t piece = std::min<size_t>(bytes.size() - at, random() % 40);
      pieces.Add(bytes.data() + at, piece);
      at += piece;
    }
    EXPECT_EQ(pieces.Value(), whole);
    EXPECT_EQ(pieces.Length(), bytes.size());
    if (bytes.empty()) continue;
    std::string bent = bytes;
    bent[random() % bent.size()] ^= static_cast<char>(1 << (random() % 8));
    EXPECT_NE(ChecksumOf(bent), whole);
    EXPECT_NE(ChecksumOf(bytes.substr(1)), whole);
    EXPECT_NE(ChecksumOf(bytes + '\0'), whole);
  }
}

}  // namespace
}  // namespace px
