// Comparing two files byte by byte, read through readers the platform layer
// provides (tests hand in files held in memory).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace px {

// One file opened for reading, read from its start on.
class ByteReader {
 public:
  virtual ~ByteReader() = default;
  // Reads up to size bytes where the last read ended: how many were read (0
  // only at the end of the file; fewer than size is not the end), or nothing
  // when the read failed.
  virtual std::optional<size_t> Read(void* buffer, size_t size) = 0;
};

class ReaderSource {
 public:
  virtual ~ReaderSource() = default;
  // The file at path opened for reading; null when it cannot be opened.
  virtual std::unique_ptr<ByteReader> Open(const std::string& path) = 0;
};

enum class ContentResult : uint8_t {
  kSame,
  kDiffer,      // a byte or the length differs
  kUnreadable,  // a file could not be opened or a read failed: counted as differing
  kStopped,     // keepGoing said no before the end
};

struct ContentCheck {
  ContentResult result = ContentResult::kSame;
  uint8_t unreadableFiles = 0;  // of the two, how many could not be read
};

// The two blocks a comparison reads into, kept across the files of a run.
struct ContentBuffers {
  static constexpr size_t kBlock = 1 << 20;
  std::vector<unsigned char> left = std::vector<unsigned char>(kBlock);
  std::vector<unsigned char> right = std::vector<unsigned char>(kBlock);
};

// Compares the files at leftPath and rightPath to their ends (not to a size
// told beforehand: a file that grew or shrank since it was listed differs).
// Both files are opened even when one fails, so that each that cannot be read
// is counted. keepGoing (when set) is asked before each block; compared
// (when set) hears the bytes of one side each block added.
ContentCheck CompareFileContents(ReaderSource& files, const std::string& leftPath,
                                 const std::string& rightPath, ContentBuffers& buffers,
                                 const std::function<bool()>& keepGoing = nullptr,
                                 const std::function<void(uint64_t)>& compared = nullptr);

}  // namespace px
