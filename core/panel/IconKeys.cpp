// Choosing a file row's icon source and remembering fetched icons per listing.
#include "core/panel/IconKeys.h"

#include <array>

namespace px {
namespace {

constexpr std::array<std::string_view, 8> kOwnIconExtensions = {
    ".exe", ".lnk", ".pif", ".ico", ".cur", ".ani", ".scr", ".scf"};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Only ASCII is folded: the list above is ASCII, and folding more (the Kelvin
// sign to 'k') would give a file a picture the shell does not give it.
bool EqualsAsciiIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

size_t Utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;  // a lead byte or ASCII starts a character
    if (byte >= 0xF0) ++units;           // beyond the BMP: a surrogate pair
  }
  return units;
}

}  // namespace

std::string_view FileExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return {};
  return name.substr(dot);
}

bool HasOwnIconExtension(std::string_view extension) {
  for (const std::string_view own : kOwnIconExtensions)
    if (EqualsAsciiIgnoringCase(extension, own)) return true;
  return false;
}

IconQuery IconQueryFor(std::string_view folder, std::string_view name, bool showAllIcons) {
  IconQuery query;
  const std::string_view extension = FileExtension(name);
  if (showAllIcons && HasOwnIconExtension(extension)) {
    query.key.reserve(folder.size() + 1 + name.size());
    query.key.append(folder);
    if (!folder.empty() && folder.back() != '\\') query.key += '\\';
    query.key.append(name);
    if (Utf16Length(query.key) <= kShellIconPathLimit) {
      query.source = IconSource::kOwn;
      return query;
    }
  }
  query.key.assign(extension);
  for (char& c : query.key) c = AsciiLower(c);
  return query;
}

std::string_view ShellName(const IconQuery& query) {
  if (query.source == IconSource::kType && query.key.empty()) return kNoTypeShellName;
  return query.key;
}

int IconCache::Find(const IconQuery& query) const {
  const auto& images = query.source == IconSource::kOwn ? ownImages_ : typeImages_;
  const auto found = images.find(query.key);
  return found == images.end() ? -1 : found->second;
}

void IconCache::Remember(const IconQuery& query, int image) {
  if (image < kFixedImages) return;  // not an appended image (the append failed)
  auto& images = query.source == IconSource::kOwn ? ownImages_ : typeImages_;
  images.emplace(query.key, image);
}

void IconCache::Reset() {
  typeImages_.clear();
  ownImages_.clear();
}

}  // namespace px
