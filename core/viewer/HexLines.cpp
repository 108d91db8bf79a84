// The viewer's hex lines.
#include "core/viewer/HexLines.h"

#include <algorithm>

namespace px {

int HexOffsetDigits(uint64_t fileSize) {
  int digits = 0;
  for (uint64_t last = fileSize > 0 ? fileSize - 1 : 0; last != 0; last >>= 4) ++digits;
  return std::max(8, digits);
}

std::string HexLine(uint64_t offset, const uint8_t* bytes, size_t count, int offsetDigits) {
  static const char kHex[] = "0123456789ABCDEF";
  count = std::min(count, kHexLineBytes);
  offsetDigits = std::clamp(offsetDigits, 1, 16);
  std::string line;
  line.reserve(static_cast<size_t>(offsetDigits) + 70);
  for (int shift = (offsetDigits - 1) * 4; shift >= 0; shift -= 4) line += kHex[(offset >> shift) & 0xF];
  line += "  ";
  for (size_t i = 0; i < kHexLineBytes; ++i) {
    if (i > 0) line += ' ';
    if (i == kHexLineBytes / 2) line += ' ';
    if (i < count) {
      line += kHex[bytes[i] >> 4];
      line += kHex[bytes[i] & 0xF];
    } else {
      line += "  ";
    }
  }
  line += "  ";
  for (size_t i = 0; i < count; ++i) line += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
  return line;
}

}  // namespace px
