// Comparing two files byte by byte (see the header).
#include "core/fs/ContentCompare.h"

#include <algorithm>
#include <cstring>

namespace px {
namespace {

// Fills buffer as far as the file goes: a reader may hand out fewer bytes
// than asked without being at the end. Nothing when a read failed.
std::optional<size_t> ReadBlock(ByteReader& reader, unsigned char* buffer, size_t size) {
  size_t filled = 0;
  while (filled < size) {
    const std::optional<size_t> got = reader.Read(buffer + filled, size - filled);
    if (!got) return std::nullopt;
    if (*got == 0) break;
    // A reader that claims more than it was given room for is broken.
    if (*got > size - filled) return std::nullopt;
    filled += *got;
  }
  return filled;
}

}  // namespace

ContentCheck CompareFileContents(ReaderSource& files, const std::string& leftPath,
                                 const std::string& rightPath, ContentBuffers& buffers,
                                 const std::function<bool()>& keepGoing,
                                 const std::function<void(uint64_t)>& compared) {
  ContentCheck check;
  const std::unique_ptr<ByteReader> left = files.Open(leftPath);
  const std::unique_ptr<ByteReader> right = files.Open(rightPath);
  check.unreadableFiles = static_cast<uint8_t>((left ? 0 : 1) + (right ? 0 : 1));
  if (check.unreadableFiles != 0) {
    check.result = ContentResult::kUnreadable;
    return check;
  }
  const size_t block = std::min(buffers.left.size(), buffers.right.size());
  if (block == 0) {
    check.result = ContentResult::kUnreadable;
    return check;
  }
  for (;;) {
    if (keepGoing && !keepGoing()) {
      check.result = ContentResult::kStopped;
      return check;
    }
    const std::optional<size_t> leftBytes = ReadBlock(*left, buffers.left.data(), block);
    const std::optional<size_t> rightBytes = ReadBlock(*right, buffers.right.data(), block);
    if (!leftBytes || !rightBytes) {
      check.unreadableFiles = static_cast<uint8_t>((leftBytes ? 0 : 1) + (rightBytes ? 0 : 1));
      check.result = ContentResult::kUnreadable;
      return check;
    }
    if (*leftBytes != *rightBytes ||
        std::memcmp(buffers.left.data(), buffers.right.data(), *leftBytes) != 0) {
      check.result = ContentResult::kDiffer;
      return check;
    }
    if (compared && *leftBytes != 0) compared(*leftBytes);
    // Both ended together (a short block is the end: ReadBlock fills it else).
    if (*leftBytes < block) return check;
  }
}

}  // namespace px
