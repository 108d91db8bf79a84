// The viewer's hex lines: an offset, sixteen bytes in hex and the same bytes as characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace px {

constexpr size_t kHexLineBytes = 16;

// Hex digits for the offsets of a file of this size: 8, more past 4 GiB.
int HexOffsetDigits(uint64_t fileSize);

// "00000000  48 65 6C 6C 6F 20 77 6F  72 6C 64 0A 00 00 00 00  Hello world....."
// At most 16 bytes are shown; a shorter last line is padded so its characters
// stand in the same column. Printable ASCII is shown as itself, the rest as '.'.
std::string HexLine(uint64_t offset, const uint8_t* bytes, size_t count, int offsetDigits = 8);

}  // namespace px
