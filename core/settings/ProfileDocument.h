// A private-profile (.ini) file held as its lines, so that writing one key
// leaves every other line (comments, unknown keys and sections, their order) alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace px {

// Reads as the platform's private-profile functions read: blanks trimmed around
// section names, keys, "=" and values; one pair of matching quotes around a value
// stripped; only lines beginning with ";" are comments; of duplicate sections
// and keys the first wins; CR, LF or CR LF line ends; no line-length limit.
// Section and key names are compared without regard to case.
class ProfileDocument {
 public:
  ProfileDocument() = default;
  static ProfileDocument Parse(std::string_view utf8Text);

  // The value, or nullopt when the section, the key or its "=" is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) const;
  // Decimal integer as the platform reads it: leading blanks and sign, digits
  // up to the first non-digit; no digits at all gives the fallback; values
  // beyond the range of int are clamped.
  int GetInt(std::string_view section, std::string_view key, int fallback) const;

  // Writes a key, creating its section when needed; every other line stays as
  // it was. Line breaks in the value are replaced by blanks, so a value can
  // never inject lines; a value that would lose its outer blanks or quotes when
  // read back is written inside a pair of quotes. A name that could not be read
  // back (empty, outer blanks, line breaks, a key with "=" or starting with
  // "[" or ";") writes nothing.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  void SetInt(std::string_view section, std::string_view key, int value);

  std::string Serialize() const;

 private:
  enum class LineEnd : unsigned char { kNone, kCrLf, kCr, kLf };
  struct Line {
    std::string text;  // without its line end
    LineEnd end = LineEnd::kNone;
  };
  // The lines before the first section header form an unnamed section that no
  // lookup reaches. A named section's lines start with its header.
  struct Section {
    std::vector<Line> lines;
    // Built on first use, so a large file costs one pass per section touched.
    mutable bool indexed = false;
    mutable std::unordered_map<std::string, size_t> keys;  // folded key -> first line
    mutable size_t lastNonBlank = 0;
  };

  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> sectionIndex_;  // folded name -> first section
  LineEnd lineEnd_ = LineEnd::kCrLf;                       // used for new lines

  const Section* FindSection(std::string_view section) const;
  const Line* FindKeyLine(std::string_view section, std::string_view key) const;
  void IndexKeys(const Section& section) const;
  Line* LastLine();
};

}  // namespace px
