// Reading a language file into the 24 text tables, and the list of languages.
//
// File format: one text per line, in table order (table 0 entry 0, entry 1,
// ..., then table 1, and so on). Empty lines and lines beginning with "//"
// are skipped. Every other line holds one text between two delimiter
// characters of the author's choice, which are dropped whatever they are, so
// a text may begin or end with blanks. A line of fewer than three characters
// gives the empty text. Nothing else is interpreted: no escapes, no trimming.
#include "core/language/LanguageTable.h"

#include <algorithm>

namespace px {

namespace {

constexpr std::array<int, kLanguageTableCount> kSizes = {
    10, 44, 7, 3, 2, 14, 7, 8, 9, 7, 5, 2, 4, 4, 3, 3, 23, 12, 40, 30, 10, 3, 8, 6};

constexpr int SumOfSizes() {
  int sum = 0;
  for (int size : kSizes) sum += size;
  return sum;
}
static_assert(SumOfSizes() == kLanguageTextCount, "table sizes must add up to 264 texts");

// What an added text shows until a language file supplies it.
const std::array<const char*, kAddedTextCount> kAddedTexts = {
    "Entries whose attributes or date could not be changed: %i",  // attributes failed
    "A folder cannot be copied into itself or into a folder below it.",
    "A folder cannot be moved into itself or into a folder below it.",
    "A target name cannot hold * or ?.",
    "%s cannot be acted on safely: its name holds \\ or /, or another entry is listed under "
    "the same name. Nothing was done with it.",
    "The folder %s was replaced or turned into a link during the operation; it was left alone "
    "from then on.",
    "  (listing incomplete: not every entry could be read)",
    "; %i folders could not be read completely",
    "Setting attributes:",
    "%i operations are still running. Stop them and quit?",
    "  (this folder cannot be read)",
    "  (this folder does not exist)",
    "The favourites could not be saved in %s. They stay as they are until the program ends.",
    "The toolbar could not be saved in %s. It stays as it is until the program ends.",
    "  (reading...)",
    "&Background",
    "S&kip problems, list them at the end",
    "Jobs",
    "Job",
    "Source → target",
    "State",
    "Done",
    "Speed",
    "Time left",
    "queued",
    "running",
    "paused",
    "waiting for an answer",
    "done",
    "failed: %i problems",
    "cancelled",
    "Copy",
    "Move",
    "Delete",
    "&Pause",
    "&Resume",
    "&Cancel job",
    "&Start now",
    "&Up",
    "&Down",
    "Re&move",
    "C&lear finished",
    "A&nswer...",
    "Re&port...",
    "%s of %s, %i of %i files",
    "Problems: %s",
    "&Save...",
    "No problems.",
    "Skipped, the target exists: %s",
    "Skipped, read-only: %s",
    "Not deleted: %s (%s)",
    "Not copied: %s (%s)",
    "Not moved: %s (%s)",
    "not found",
    "access denied",
    "in use by another program",
    "disk full",
    "invalid name",
    "exists already",
    "read or write error",
    "the copy read back differs from the source",
    "replaced during the run",
    "%i jobs are queued or running. Wait for them and then quit (Yes), cancel them and quit (No), or go on working (Cancel)?",
    "Jobs on the same drive one after the other",
    "Verify copies (read back and compare)",
    "&Jobs...",
    "The report could not be saved in %s.",
    "View\tF3",
    "&File",
    "&Reload\tR",
    "&Next file\tN",
    "&Previous file\tP",
    "&Copy\tCtrl+C",
    "Select &all\tCtrl+A",
    "C&lose\tEsc",
    "&View",
    "&Hex\tH",
    "&Wrap lines\tW",
    "&Follow the end\tF",
    "&Actual size\tZ",
    "&Encoding",
    "&ANSI (Windows code page)",
    "&OEM (DOS code page)",
    "&Search",
    "&Find...\tCtrl+F",
    "Find &next\tShift+F7",
    "Find &previous\tAlt+F7",
    "&Go to...\tCtrl+G",
    "Find",
    "&Find what:",
    "&Hex bytes (for example 4D 5A 90)",
    "&Ignore case (A-Z)",
    "Search &backward",
    "Go to",
    "&Line number",
    "&Offset (decimal, or hex with 0x)",
    "Offset %s of %s bytes (%i%%)",
    "Searching... %i%% (Esc stops)",
    "\"%s\" was not found.",
    "The search was stopped.",
    "%s cannot be opened: %s",
    "The file could not be read: %s. What is shown may be incomplete.",
    "The file got shorter; it was read again.",
    "The file is empty.",
    "The picture cannot be shown; its bytes are shown instead.",
    "The selection is long: only its first %s bytes were copied.",
    "Hex bytes are two digits each, for example 4D 5A 90.",
    "The file has only %s lines; the last one is shown.",
    "%i × %i pixels, shown at %i%%",
    "Reading the picture...",
    "Enter a number: a line from 1, or an offset.",
    "There is no further file in the panel.",
    "Following the end of the file.",
    "Counting lines... %i%% (Esc stops)",
    "%s of %s files, %s of %s folders marked: %s of %s bytes",
    "Line under the panels: what is marked",
    "Compare folders\tShift+F2",
    "%i files differ: they are marked in both panels.",
    "The folders hold the same files.",
    "Search:",
    "Filter:",
    "  [filter: %s]",
    "Letters alone start the quick search (command line empty)",
    "Quick search finds the text anywhere in a name",
    "Quick filter\tCtrl+S",
    "Count folder sizes\tAlt+Shift+Enter",
    "  [%i folders could not be read]",
    "  [counting... Esc stops]",
    "Compare folders",
    "Also by &size",
    "Also by &content (reads the files)",
    "With sub&folders (whole trees by name)",
    "Comparing contents: %s of %s bytes",
    "The comparison was stopped; no marks were changed.",
    "%i files could not be read; they are marked as different.",
    "%i files differ: they and the folders holding them are marked in both panels.",
    "New tab\tCtrl+T",
    "Close tab\tCtrl+W",
    "Show the tab bar even with one tab",
    "  [%s is gone]",
    "Colours:",
    "As the system",
    "Light",
    "Dark",
    "Delete permanently",
    "%s cannot go to the Recycle Bin. Delete it permanently?",
    "%i entries, among them %s, cannot go to the Recycle Bin. Delete them permanently?",
    "the Recycle Bin does not take it; kept",
};

constexpr char kEndOfFile = '\x1A';  // Ctrl+Z ends a file read in text mode

// The file as a text-mode read sees it: CR LF becomes LF (a lone CR stays),
// Ctrl+Z ends the file, and no more than kLanguageFileLimit characters are
// taken. A character here is a byte of the UTF-8 text, so the limit is the
// same number of bytes the program always read.
std::string ReadAsText(std::string_view bytes) {
  std::string text;
  text.reserve(std::min(bytes.size(), kLanguageFileLimit));
  for (size_t i = 0; i < bytes.size() && text.size() < kLanguageFileLimit; ++i) {
    char c = bytes[i];
    if (c == kEndOfFile) break;
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      ++i;
      c = '\n';
    }
    text.push_back(c);
  }
  return text;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of a UTF-8 sequence announced by its lead byte; 0 for a byte that
// cannot start one.
size_t DeclaredLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The delimiters are characters, not bytes: a file converted from a code page
// turns a delimiter such as « into two bytes. A malformed byte counts as one
// character of its own.
size_t FirstCharacterLength(std::string_view line) {
  const size_t length = DeclaredLength(static_cast<unsigned char>(line[0]));
  if (length <= 1 || length > line.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(line[i]))) return 1;
  }
  return length;
}

size_t LastCharacterStart(std::string_view line) {
  const size_t last = line.size() - 1;
  size_t continuations = 0;
  while (continuations < 3 && continuations < last &&
         IsContinuation(static_cast<unsigned char>(line[last - continuations]))) {
    ++continuations;
  }
  if (continuations == 0) return last;
  const size_t lead = last - continuations;
  if (DeclaredLength(static_cast<unsigned char>(line[lead])) == continuations + 1) return lead;
  return last;
}

// The line without its first and last character; empty below three characters.
std::string TextOfLine(std::string_view line) {
  const size_t begin = FirstCharacterLength(line);
  const size_t end = LastCharacterStart(line);
  if (end <= begin) return std::string();
  return std::string(line.substr(begin, end - begin));
}

bool EndsWithLngIgnoringCase(const std::string& name) {
  static constexpr std::string_view kExtension = ".lng";
  if (name.size() < kExtension.size()) return false;
  const std::string_view tail = std::string_view(name).substr(name.size() - kExtension.size());
  for (size_t i = 0; i < kExtension.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kExtension[i]) return false;
  }
  return true;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessIgnoringAsciiCase(const std::string& a, const std::string& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const unsigned char ca = static_cast<unsigned char>(AsciiLower(a[i]));
    const unsigned char cb = static_cast<unsigned char>(AsciiLower(b[i]));
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // names equal but for case keep a fixed order
}

}  // namespace

const std::array<int, kLanguageTableCount> kLanguageTableSizes = kSizes;

LanguageTable::LanguageTable() {
  tables_.reserve(kLanguageTableCount + 1);
  for (int size : kLanguageTableSizes) tables_.emplace_back(static_cast<size_t>(size));
  tables_.emplace_back(kAddedTexts.begin(), kAddedTexts.end());
}

const std::string& LanguageTable::TextAt(int table, int index) const {
  static const std::string kEmpty;
  if (table < 0 || static_cast<size_t>(table) >= tables_.size()) return kEmpty;
  const std::vector<std::string>& entries = tables_[static_cast<size_t>(table)];
  if (index < 0 || static_cast<size_t>(index) >= entries.size()) return kEmpty;
  return entries[static_cast<size_t>(index)];
}

int LanguageTable::Load(std::string_view fileBytes) {
  const std::string text = ReadAsText(fileBytes);
  tables_[static_cast<size_t>(kAddedTable)].assign(kAddedTexts.begin(), kAddedTexts.end());
  int supplied = 0;
  size_t table = 0;
  size_t index = 0;
  size_t lineStart = 0;
  for (;;) {
    while (table < tables_.size() && index >= tables_[table].size()) {
      ++table;
      index = 0;
    }
    if (table == tables_.size()) break;  // every text filled; the rest is ignored

    // Text after the last line feed is not a line.
    const size_t lineFeed = text.find('\n', lineStart);
    if (lineFeed == std::string::npos) break;
    const std::string_view line(text.data() + lineStart, lineFeed - lineStart);
    lineStart = lineFeed + 1;

    if (line.empty()) continue;
    if (line.size() >= 2 && line[0] == '/' && line[1] == '/') continue;
    tables_[table][index++] = TextOfLine(line);
    ++supplied;
  }
  return supplied;
}

std::vector<std::string> LanguageNamesFromFiles(std::vector<std::string> fileNames) {
  std::vector<std::string> names;
  names.reserve(fileNames.size());
  for (std::string& fileName : fileNames) {
    if (fileName == "." || fileName == "..") continue;
    // "*.lng" also finds names whose short 8.3 alias ends in .LNG (a.lngx).
    if (!EndsWithLngIgnoringCase(fileName)) continue;
    fileName.resize(fileName.size() - 4);
    if (fileName.empty()) continue;  // ".lng": no name to show or choose
    names.push_back(std::move(fileName));
  }
  std::sort(names.begin(), names.end(), LessIgnoringAsciiCase);
  return names;
}

}  // namespace px
