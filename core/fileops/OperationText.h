// Pure helpers around a run: reading the typed target, the texts of the
// questions. No file system access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace px {

struct ResolvedTarget {
  bool valid = false;        // false when the target holds "*" or "?"
  std::string targetFolder;  // absolute, ends with a backslash
  std::string newName;       // empty: the entries keep their names
};

// Reads the target text of the copy and move dialogs. A relative text is taken
// from panelFolder (the active panel's folder, ending with a backslash):
// "sub\" and "name" lie in it, "\x" on its drive, "D:x" in it when the panel is
// on D: (else in D:\); "." and ".." are resolved, "/" is read as "\". A text
// ending with a backslash names a folder; otherwise its last component is the
// new name. An empty text is the panel's own folder.
ResolvedTarget ResolveTarget(const std::string& typed, const std::string& panelFolder);

// A name longer than limit code points becomes its first limit - 2 code
// points and "..." (the questions use 40 for delete, 30 for copy and move).
std::string ShortenedName(const std::string& name, size_t limit);
constexpr size_t kDeleteQuestionLimit = 40;
constexpr size_t kTransferQuestionLimit = 30;

// One size-and-date line of the overwrite question: "1234 Byte, 31.12.24 23:59:58".
// localTime is the last-write time already converted to local time (100 ns
// units since 1601).
std::string SizeAndDateLine(uint64_t size, uint64_t localTime);

}  // namespace px
