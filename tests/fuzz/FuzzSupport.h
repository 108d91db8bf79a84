// What the fuzz targets share: a check that ends the run, and inputs cut into fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// A broken promise is a crash to libFuzzer, which then keeps the input that broke it.
#define PX_FUZZ_CHECK(condition)                                                        \
  do {                                                                                  \
    if (!(condition)) {                                                                 \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                     \
    }                                                                                   \
  } while (0)

namespace px::fuzz {

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The text cut at line feeds into exactly count fields, the last one taking the
// rest (line feeds included); missing fields are empty. Seeds stay readable.
inline std::vector<std::string> Fields(std::string_view text, size_t count) {
  std::vector<std::string> fields;
  while (fields.size() + 1 < count) {
    const size_t lineFeed = text.find('\n');
    if (lineFeed == std::string_view::npos) break;
    fields.emplace_back(text.substr(0, lineFeed));
    text.remove_prefix(lineFeed + 1);
  }
  fields.emplace_back(text);
  fields.resize(count);
  return fields;
}

// Every line of the text, at most limit of them.
inline std::vector<std::string> Lines(std::string_view text, size_t limit) {
  std::vector<std::string> lines;
  while (!text.empty() && lines.size() < limit) {
    const size_t lineFeed = text.find('\n');
    lines.emplace_back(text.substr(0, lineFeed));
    if (lineFeed == std::string_view::npos) break;
    text.remove_prefix(lineFeed + 1);
  }
  return lines;
}

// The text repeated until it is longer than limit, for reaching what happens at a cut.
inline std::string RepeatedPast(std::string_view text, size_t limit) {
  std::string repeated;
  if (text.empty()) return repeated;
  while (repeated.size() <= limit) repeated += text;
  return repeated;
}

}  // namespace px::fuzz
