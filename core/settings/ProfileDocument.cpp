// Parsing, lookup and in-place editing of a private-profile file.
#include "core/settings/ProfileDocument.h"

#include <climits>

namespace px {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  size_t end = text.size();
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool IsBlankLine(std::string_view text) { return Trim(text).empty(); }

// Byte-wise ASCII folding: names beyond ASCII match only exactly.
std::string Fold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// The name of a section header line, or nullopt when the line is no header.
std::optional<std::string_view> SectionName(std::string_view line) {
  size_t begin = 0;
  while (begin < line.size() && IsBlank(line[begin])) ++begin;
  if (begin == line.size() || line[begin] != '[') return std::nullopt;
  size_t close = line.rfind(']');
  if (close == std::string_view::npos || close <= begin) return std::nullopt;
  return Trim(line.substr(begin + 1, close - begin - 1));
}

bool IsComment(std::string_view line) {
  size_t pos = 0;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  return pos < line.size() && line[pos] == ';';
}

// The key of a body line; a line without "=" is a key without a value.
std::string_view KeyOf(std::string_view line) {
  size_t equals = line.find('=');
  return Trim(equals == std::string_view::npos ? line : line.substr(0, equals));
}

std::optional<std::string> ValueOf(std::string_view line) {
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::string_view value = Trim(line.substr(equals + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

bool IsValidSection(std::string_view section) {
  return !section.empty() && Trim(section).size() == section.size() && !HasLineBreak(section);
}

bool IsValidKey(std::string_view key) {
  return !key.empty() && Trim(key).size() == key.size() && !HasLineBreak(key) &&
         key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

// The value as written: line breaks become blanks, and a value that reading
// would trim or unquote is quoted so that it reads back unchanged.
std::string EncodeValue(std::string_view value) {
  std::string encoded(value);
  for (char& c : encoded) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  if (encoded.empty()) return encoded;
  bool outerBlank = IsBlank(encoded.front()) || IsBlank(encoded.back());
  bool outerQuotes = encoded.size() >= 2 && (encoded.front() == '"' || encoded.front() == '\'') &&
                     encoded.back() == encoded.front();
  if (outerBlank || outerQuotes) encoded = '"' + encoded + '"';
  return encoded;
}

}  // namespace

ProfileDocument ProfileDocument::Parse(std::string_view utf8Text) {
  ProfileDocument doc;
  doc.sections_.emplace_back();  // lines before the first header
  bool lineEndSeen = false;
  size_t pos = 0;
  while (pos < utf8Text.size()) {
    size_t lineBreak = utf8Text.find_first_of("\r\n", pos);
    Line line;
    if (lineBreak == std::string_view::npos) {
      line.text = std::string(utf8Text.substr(pos));
      pos = utf8Text.size();
    } else {
      line.text = std::string(utf8Text.substr(pos, lineBreak - pos));
      if (utf8Text[lineBreak] == '\n') {
        line.end = LineEnd::kLf;
        pos = lineBreak + 1;
      } else if (lineBreak + 1 < utf8Text.size() && utf8Text[lineBreak + 1] == '\n') {
        line.end = LineEnd::kCrLf;
        pos = lineBreak + 2;
      } else {
        line.end = LineEnd::kCr;
        pos = lineBreak + 1;
      }
      if (!lineEndSeen) {
        doc.lineEnd_ = line.end;
        lineEndSeen = true;
      }
    }
    if (std::optional<std::string_view> name = SectionName(line.text)) {
      if (!name->empty()) doc.sectionIndex_.emplace(Fold(*name), doc.sections_.size());
      doc.sections_.emplace_back();
    }
    doc.sections_.back().lines.push_back(std::move(line));
  }
  return doc;
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view section) const {
  auto found = sectionIndex_.find(Fold(section));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

void ProfileDocument::IndexKeys(const Section& section) const {
  if (section.indexed) return;
  section.indexed = true;
  section.lastNonBlank = 0;
  section.keys.reserve(section.lines.size());
  // Line 0 is the header.
  for (size_t i = 1; i < section.lines.size(); ++i) {
    const std::string& text = section.lines[i].text;
    if (IsBlankLine(text)) continue;
    section.lastNonBlank = i;
    if (IsComment(text)) continue;
    std::string_view key = KeyOf(text);
    if (!key.empty()) section.keys.emplace(Fold(key), i);
  }
}

const ProfileDocument::Line* ProfileDocument::FindKeyLine(std::string_view section,
                                                          std::string_view key) const {
  if (section.empty() || key.empty()) return nullptr;
  const Section* found = FindSection(section);
  if (found == nullptr) return nullptr;
  IndexKeys(*found);
  auto line = found->keys.find(Fold(key));
  return line == found->keys.end() ? nullptr : &found->lines[line->second];
}

std::optional<std::string> ProfileDocument::Get(std::string_view section,
                                                std::string_view key) const {
  const Line* line = FindKeyLine(section, key);
  if (line == nullptr) return std::nullopt;
  return ValueOf(line->text);
}

std::string ProfileDocument::GetString(std::string_view section, std::string_view key,
                                       std::string_view fallback) const {
  std::optional<std::string> value = Get(section, key);
  return value ? *value : std::string(fallback);
}

int ProfileDocument::GetInt(std::string_view section, std::string_view key, int fallback) const {
  std::optional<std::string> value = Get(section, key);
  if (!value) return fallback;
  std::string_view text = *value;
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  size_t firstDigit = pos;
  long long magnitude = 0;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    // Keep reading past the limit so the digits are consumed, but stop growing.
    if (magnitude <= limit) magnitude = magnitude * 10 + (text[pos] - '0');
  }
  if (pos == firstDigit) return fallback;
  if (magnitude > limit) magnitude = limit;
  return static_cast<int>(negative ? -magnitude : magnitude);
}

ProfileDocument::Line* ProfileDocument::LastLine() {
  for (auto section = sections_.rbegin(); section != sections_.rend(); ++section) {
    if (!section->lines.empty()) return &section->lines.back();
  }
  return nullptr;
}

void ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsValidSection(section) || !IsValidKey(key)) return;
  std::string encoded = EncodeValue(value);

  if (sections_.empty()) sections_.emplace_back();
  auto found = sectionIndex_.find(Fold(section));
  if (found != sectionIndex_.end()) {
    Section& target = sections_[found->second];
    IndexKeys(target);
    auto keyLine = target.keys.find(Fold(key));
    if (keyLine != target.keys.end()) {
      Line& line = target.lines[keyLine->second];
      line.text = std::string(KeyOf(line.text)) + '=' + encoded;
      return;
    }
    // After the section's last non-blank line: only blank lines follow it, so
    // no indexed line moves.
    size_t at = target.lastNonBlank + 1;
    Line& previous = target.lines[target.lastNonBlank];
    if (previous.end == LineEnd::kNone) previous.end = lineEnd_;
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(at),
                        Line{std::string(key) + '=' + encoded, lineEnd_});
    target.keys.emplace(Fold(key), at);
    target.lastNonBlank = at;
    return;
  }

  if (Line* last = LastLine()) {
    if (last->end == LineEnd::kNone) last->end = lineEnd_;
    if (!IsBlankLine(last->text)) sections_.back().lines.push_back(Line{std::string(), lineEnd_});
  }
  sectionIndex_.emplace(Fold(section), sections_.size());
  Section& added = sections_.emplace_back();
  added.lines.push_back(Line{'[' + std::string(section) + ']', lineEnd_});
  added.lines.push_back(Line{std::string(key) + '=' + encoded, lineEnd_});
}

void ProfileDocument::SetInt(std::string_view section, std::string_view key, int value) {
  Set(section, key, std::to_string(value));
}

std::string ProfileDocument::Serialize() const {
  size_t size = 0;
  for (const Section& section : sections_) {
    for (const Line& line : section.lines) size += line.text.size() + 2;
  }
  std::string text;
  text.reserve(size);
  for (const Section& section : sections_) {
    for (const Line& line : section.lines) {
      text += line.text;
      switch (line.end) {
        case LineEnd::kNone: break;
        case LineEnd::kCrLf: text += "\r\n"; break;
        case LineEnd::kCr: text += '\r'; break;
        case LineEnd::kLf: text += '\n'; break;
      }
    }
  }
  return text;
}

}  // namespace px
