// Which icon a file row of a panel list shows, and the icons one listing has fetched.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace px {

// Longest path, in UTF-16 units, the shell's icon look-up takes (MAX_PATH less its terminator).
constexpr size_t kShellIconPathLimit = 259;

// The name handed to the shell for the icon of a file without a type.
constexpr std::string_view kNoTypeShellName = "file";

enum class IconSource {
  kType,  // the icon of the file's type, asked by extension without touching the file
  kOwn,   // the file's own icon, asked by its full path
};

struct IconQuery {
  IconSource source = IconSource::kType;
  // kOwn: the file's full path. kType: the extension with its dot in ASCII
  // lower case, or empty for a file without a type.
  std::string key;
};

// A file name's extension: from its last dot to the end, dot included; empty
// when the name has no dot or ends with one (such a file has no type).
std::string_view FileExtension(std::string_view name);

// True for the extensions whose files carry their own pictures (programs,
// shortcuts, icons, cursors, screen savers), case ignored.
bool HasOwnIconExtension(std::string_view extension);

// The query for a file row: its own icon when showAllIcons is on and its
// extension is one of those above, unless the path is too long for the shell;
// else its type's icon. folder ends with a backslash.
IconQuery IconQueryFor(std::string_view folder, std::string_view name, bool showAllIcons);

// The name to hand the shell: the path for kOwn; for kType the extension, or
// kNoTypeShellName, to be taken as a file name with normal attributes.
std::string_view ShellName(const IconQuery& query);

// The images one listing of a panel has appended behind the fixed ones: one per
// extension for type icons and one per file for own icons, so the image list
// stays bounded and a row drawn again reuses its image. Lookups are O(1).
class IconCache {
 public:
  // Images every panel image list keeps: folder, parent entry and blanks.
  static constexpr int kFixedImages = 7;

  // The image already fetched for the query, or -1: ask the shell, append the
  // icon and Remember it. A query the shell gave no icon for is not remembered,
  // so its row asks again when it is next drawn.
  int Find(const IconQuery& query) const;
  // Records the image appended for the query; a known query keeps its image.
  void Remember(const IconQuery& query, int image);
  // For a new listing, with the image list cut back to its fixed images.
  void Reset();
  size_t Size() const { return typeImages_.size() + ownImages_.size(); }

 private:
  std::unordered_map<std::string, int> typeImages_;
  std::unordered_map<std::string, int> ownImages_;
};

}  // namespace px
