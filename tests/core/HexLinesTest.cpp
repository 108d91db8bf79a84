// The viewer's hex lines: layout, offset widths and padding of a short last line.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace std::string_literals;

#include "core/viewer/HexLines.h"

namespace px {
namespace {

std::string Hex(uint64_t offset, std::string bytes, int digits = 8) {
  return HexLine(offset, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), digits);
}

TEST(HexLines, Lines) {
  struct Row {
    uint64_t offset;
    std::string bytes;
    int digits;
    std::string expected;
  } rows[] = {
      {0, "Hello, world!\n\x00\xFF"s, 8, "00000000  48 65 6C 6C 6F 2C 20 77  6F 72 6C 64 21 0A 00 FF  Hello, world!..."},
      {0x10, "Hi", 8, "00000010  48 69" + std::string(45, ' ') + "Hi"},
      {0x20, "", 8, "00000020" + std::string(2 + 16 * 3 + 2, ' ')},
      {0x1234567890, "ABCDEFGH", 10,
       "1234567890  41 42 43 44 45 46 47 48" + std::string(27, ' ') + "ABCDEFGH"},
      {0x123456789A, "~\x7F ", 8, "3456789A  7E 7F 20" + std::string(42, ' ') + "~. "},
      {0, std::string("0123456789abcdefXYZ"), 8,
       "00000000  30 31 32 33 34 35 36 37  38 39 61 62 63 64 65 66  0123456789abcdef"},
  };
  for (const Row& row : rows) EXPECT_EQ(Hex(row.offset, row.bytes, row.digits), row.expected) << row.bytes;
}

TEST(HexLines, OffsetDigitsFollowTheFileSize) {
  const struct {
    uint64_t size;
    int digits;
  } rows[] = {{0, 8}, {1, 8}, {0x100000000ull, 8}, {0x100000001ull, 9}, {1ull << 40, 10}, {~0ull, 16}};
  for (const auto& row : rows) EXPECT_EQ(HexOffsetDigits(row.size), row.digits) << row.size;
}

// Whatever the count, the characters start in the same column and every byte is shown there.
TEST(HexLines, CharactersStayAligned) {
  uint8_t bytes[16];
  for (int digits : {8, 9, 12, 16}) {
    for (size_t count = 0; count <= 16; ++count) {
      for (size_t i = 0; i < 16; ++i) bytes[i] = static_cast<uint8_t>(0x1E + i * 7 + count);
      const std::string line = HexLine(0, bytes, count, digits);
      const size_t column = static_cast<size_t>(digits) + 2 + 16 * 3 + 1 + 1;
      ASSERT_EQ(line.size(), column + count) << count;
      for (size_t i = 0; i < count; ++i) {
        const char shown = bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
        EXPECT_EQ(line[column + i], shown);
      }
    }
  }
}

}  // namespace
}  // namespace px
