// Fuzzes formatting language texts: patterns of a translator's choosing against any arguments.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/language/TextFormat.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

// The arguments in a block of exactly their size, and each string in one of
// exactly its length, so that reading one past them is an AddressSanitizer report.
class ExactArgs {
 public:
  explicit ExactArgs(const std::vector<std::string>& lines) : count_(lines.size()) {
    args_ = static_cast<FormatArg*>(::operator new(count_ * sizeof(FormatArg)));
    for (size_t i = 0; i < count_; ++i) {
      const std::string& line = lines[i];
      if (!line.empty() && line[0] == '#') {
        uint64_t value = 0;
        for (char c : line.substr(1)) value = value * 31 + static_cast<unsigned char>(c);
        new (&args_[i]) FormatArg(line.size() == 2 ? INT64_MIN : static_cast<int64_t>(value));
      } else {
        texts_.emplace_back(new char[line.size()]);
        line.copy(texts_.back().get(), line.size());
        new (&args_[i]) FormatArg(std::string_view(texts_.back().get(), line.size()));
      }
    }
  }
  ~ExactArgs() { ::operator delete(args_); }
  ExactArgs(const ExactArgs&) = delete;
  ExactArgs& operator=(const ExactArgs&) = delete;

  const FormatArg* Data() const { return count_ == 0 ? nullptr : args_; }
  size_t Count() const { return count_; }

 private:
  size_t count_;
  FormatArg* args_;
  std::vector<std::unique_ptr<char[]>> texts_;
};

// What a pattern shows without arguments: every placeholder as typed, "%%" as "%".
std::string WithoutArguments(std::string_view pattern) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    out += pattern[i];
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '%') ++i;
  }
  return out;
}

size_t Occurrences(std::string_view text, std::string_view piece) {
  size_t count = 0;
  for (size_t pos = text.find(piece); pos != std::string_view::npos; pos = text.find(piece, pos + piece.size()))
    ++count;
  return count;
}

}  // namespace
}  // namespace px

// First line the pattern; each further line an argument: "#..." an integer, anything else a string.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> fields = px::fuzz::Fields(px::fuzz::AsText(data, size), 2);
  const std::string& pattern = fields[0];
  const std::vector<std::string> argLines = px::fuzz::Lines(fields[1], 32);

  const px::ExactArgs args(argLines);
  const std::string out = px::FormatText(pattern, args.Data(), args.Count());
  PX_FUZZ_CHECK(px::FormatText(pattern, nullptr, 0) == px::WithoutArguments(pattern));
  PX_FUZZ_CHECK(px::FormatText(pattern, nullptr, 5) == px::WithoutArguments(pattern));
  size_t argBytes = 0;
  for (const std::string& line : argLines) argBytes += line.size() + 20;
  const size_t placeholders = std::count(pattern.begin(), pattern.end(), '%');
  PX_FUZZ_CHECK(out.size() <= pattern.size() + argBytes + 64 * placeholders);

  // Arguments of the kinds PlaceholderKinds names fill every placeholder it counts.
  const std::string kinds = px::PlaceholderKinds(pattern);
  constexpr std::string_view kNumber = "9223372036854775808";  // the digits of INT64_MIN
  if (pattern.find('\x01') == std::string::npos && pattern.find("922") == std::string::npos) {
    std::vector<std::string> fitting;
    for (char kind : kinds) {
      if (kind == 's') fitting.push_back("\x01");
      if (kind == 'i') fitting.push_back("#m");
    }
    const px::ExactArgs fit(fitting);
    const std::string filled = px::FormatText(pattern, fit.Data(), fit.Count());
    PX_FUZZ_CHECK(px::Occurrences(filled, "\x01") == static_cast<size_t>(std::count(kinds.begin(), kinds.end(), 's')));
    PX_FUZZ_CHECK(px::Occurrences(filled, kNumber) == static_cast<size_t>(std::count(kinds.begin(), kinds.end(), 'i')));
  }
  return 0;
}
