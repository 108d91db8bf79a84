// Fuzzes masks: matching a pattern, a name against a mask, and the rows a select by mask touches.
#include <string>
#include <string_view>
#include <vector>

#include "core/panel/EntryTable.h"
#include "core/panel/MaskSelection.h"
#include "core/text/CaseFold.h"
#include "core/text/Utf.h"
#include "core/text/Wildcard.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

void CheckMatching(const std::string& name, const std::string& mask) {
  MatchesMask(name, mask);
  MatchPattern(name, mask);
  PX_FUZZ_CHECK(!MatchesMask(name, ""));
  PX_FUZZ_CHECK(MatchesMask(name, "*") && MatchesMask(name, "*.*"));
  PX_FUZZ_CHECK(MatchPattern(name, "*") && MatchPattern(mask, "*"));
  // Without wildcards a pattern is a name compared ignoring case.
  if (!HasWildcard(mask)) PX_FUZZ_CHECK(MatchPattern(name, mask) == EqualsNoCase(name, mask));
  if (!HasWildcard(name)) {
    PX_FUZZ_CHECK(MatchPattern(name, name) && MatchPattern(name, FoldName(name)));
    PX_FUZZ_CHECK(MatchesMask(name, name) == !name.empty());
  }
  // Every "?" takes exactly one character.
  if (!HasWildcard(mask) && !mask.empty()) {
    std::string questions;
    for (size_t pos = 0; pos < mask.size(); questions += '?') DecodeUtf8(mask, pos);
    PX_FUZZ_CHECK(MatchPattern(mask, questions));
    PX_FUZZ_CHECK(!MatchPattern(mask, questions + "?"));
  }
}

// Rows as a listing leaves them: a parent row, then names ending with "\" as folders.
EntryTable TableOf(const std::vector<std::string>& lines) {
  EntryTable table;
  for (const std::string& line : lines) {
    PanelEntry entry;
    entry.name = line;
    if (line.empty()) {
      entry.kind = EntryKind::kParent;
    } else if (line.back() == '\\') {
      entry.kind = EntryKind::kFolder;
      entry.name.pop_back();
    }
    entry.foldedName = FoldName(entry.name);
    table.rows.push_back(static_cast<uint32_t>(table.entries.size()));
    table.entries.push_back(std::move(entry));
  }
  return table;
}

void CheckRows(const std::vector<std::string>& lines, const std::string& mask) {
  const EntryTable table = TableOf(lines);
  for (MaskMode mode : {MaskMode::kSelect, MaskMode::kDeselect}) {
    for (bool selectFolders : {false, true}) {
      const std::vector<size_t> rows = RowsForMask(table, mask, mode, selectFolders);
      size_t next = 0;
      for (size_t row = 0; row < table.RowCount(); ++row) {
        const bool taken = next < rows.size() && rows[next] == row;
        if (taken) ++next;
        const PanelEntry& entry = table.AtRow(row);
        if (entry.IsParent()) {
          PX_FUZZ_CHECK(taken == (mode == MaskMode::kDeselect));
        } else if (entry.IsFolder() && !selectFolders) {
          PX_FUZZ_CHECK(!taken);
        } else {
          PX_FUZZ_CHECK(taken == MatchesMask(entry.name, mask));
        }
      }
      PX_FUZZ_CHECK(next == rows.size());  // in row order, each once
    }
  }
}

}  // namespace
}  // namespace px

// First line the mask, second the name, the rest a folder's listing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> fields = px::fuzz::Fields(px::fuzz::AsText(data, size), 3);
  const std::string& mask = fields[0];
  const std::string& name = fields[1];
  px::CheckMatching(name, mask);
  px::CheckMatching(mask, name);
  px::CheckRows(px::fuzz::Lines(fields[2], 64), mask);
  return 0;
}
