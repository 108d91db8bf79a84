// Every text the program shows, addressed by table and index.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/language/TextIds.h"

namespace px {

constexpr int kLanguageTableCount = 24;
constexpr int kLanguageTextCount = 264;
extern const std::array<int, kLanguageTableCount> kLanguageTableSizes;  // 264 texts in all

// Texts added after the 24 tables, addressed as table kAddedTable. They follow
// the last table in a language file; a file written before they existed ends
// earlier, and each of them then shows its built-in English text.
constexpr int kAddedTable = kLanguageTableCount;
constexpr int kAddedTextCount = 148;

// Only this much of a language file is read: bytes of the UTF-8 text after
// each CR LF has become a LF.
constexpr size_t kLanguageFileLimit = 32767;

class LanguageTable {
 public:
  LanguageTable();  // every text of the 24 tables empty, the added ones English

  const std::string& Text(TextId id) const { return TextAt(id.table, id.index); }
  // Text T.I by position, for walking a table; outside the tables it is empty.
  const std::string& TextAt(int table, int index) const;

  // Fills the tables from the bytes of a language file (see the .cpp for the
  // format). Texts of the 24 tables the file does not reach keep what they
  // had; added texts it does not reach go back to English. Returns how many
  // texts the file supplied (0 to kLanguageTextCount + kAddedTextCount).
  // The bytes must be UTF-8: a file in the system code page is converted by
  // the caller before it gets here.
  int Load(std::string_view fileBytes);

 private:
  std::vector<std::vector<std::string>> tables_;
};

// The names the language page lists for the files found by "*.lng" in the
// Language folder: each name without its ".lng" (matched ignoring case), in
// the order of a sorted list box (ASCII letters compared ignoring case).
// Names that do not end in ".lng", and ".lng" alone, are dropped.
std::vector<std::string> LanguageNamesFromFiles(std::vector<std::string> fileNames);

}  // namespace px
