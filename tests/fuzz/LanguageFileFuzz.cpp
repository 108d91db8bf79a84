// Fuzzes language files: loading the text tables and listing the languages found.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/language/LanguageTable.h"
#include "core/text/Utf.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

void CheckLoad(std::string_view bytes) {
  LanguageTable table;
  const int supplied = table.Load(bytes);
  PX_FUZZ_CHECK(supplied >= 0 && supplied <= kLanguageTextCount + kAddedTextCount);
  PX_FUZZ_CHECK(static_cast<size_t>(supplied) <= static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')));

  // Texts are whole characters of a UTF-8 file: the delimiters dropped are
  // characters, never parts of one. No text outlives the read limit.
  const bool valid = IsValidUtf8(bytes.substr(0, bytes.rfind('\n') + 1));
  for (int t = 0; t <= kAddedTable; ++t) {
    const int count = t < kLanguageTableCount ? kLanguageTableSizes[t] : kAddedTextCount;
    for (int i = 0; i < count; ++i) {
      const std::string& text = table.TextAt(t, i);
      PX_FUZZ_CHECK(text.size() < kLanguageFileLimit);
      if (valid) PX_FUZZ_CHECK(IsValidUtf8(text));
    }
    PX_FUZZ_CHECK(table.TextAt(t, count).empty() && table.TextAt(t, -1).empty());
  }
  PX_FUZZ_CHECK(table.TextAt(-1, 0).empty() && table.TextAt(kAddedTable + 1, 0).empty());

  // A second load over the first gives the same texts for what it supplies.
  LanguageTable twice;
  twice.Load(bytes);
  PX_FUZZ_CHECK(twice.Load(bytes) == supplied);
  for (int t = 0; t <= kAddedTable; ++t) {
    for (int i = 0; i < 44; ++i) PX_FUZZ_CHECK(twice.TextAt(t, i) == table.TextAt(t, i));
  }
}

void CheckNames(std::string_view text) {
  const std::vector<std::string> files = fuzz::Lines(text, 256);
  const std::vector<std::string> names = LanguageNamesFromFiles(files);
  PX_FUZZ_CHECK(names.size() <= files.size());
  for (const std::string& name : names) {
    PX_FUZZ_CHECK(!name.empty());
    // Each name is a listed file's name less its ".lng".
    bool listed = false;
    for (const std::string& file : files) {
      listed = listed || (file.size() == name.size() + 4 && file.compare(0, name.size(), name) == 0);
    }
    PX_FUZZ_CHECK(listed);
  }
  // Sorted as the list box sorts them: the order does not depend on the order found.
  std::vector<std::string> reversed(files.rbegin(), files.rend());
  PX_FUZZ_CHECK(LanguageNamesFromFiles(reversed) == names);
}

}  // namespace
}  // namespace px

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = px::fuzz::AsText(data, size);
  px::CheckLoad(bytes);
  // Repeated past the read limit, to reach what happens where reading stops.
  if (size > 0 && (data[0] & 1) != 0)
    px::CheckLoad(px::fuzz::RepeatedPast(bytes, px::kLanguageFileLimit + size % 7));
  px::CheckNames(bytes);
  return 0;
}
