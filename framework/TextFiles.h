// Reading and writing the program's own text files (settings, language files).
#pragma once

#include <optional>
#include <string>

#include "core/settings/SettingsStore.h"

namespace px {

// How a text file was stored, so that it is written back the same way.
enum class TextEncoding { kUtf8, kUtf8WithBom, kUtf16, kSystemCodePage };

struct DecodedText {
  std::string utf8;
  TextEncoding encoding = TextEncoding::kUtf8;
};

// The system's ANSI code page (not the process's, which the manifest makes UTF-8).
unsigned SystemCodePage();

// The form of a path the file functions take exactly as written: a drive or
// share path gets the \\?\ prefix, which also lifts the MAX_PATH limit and
// turns off the path rules that would drop a trailing dot or blank from a
// name and reach its neighbour ("a." would open "a"). A path that needs
// those rules ("/", "." or ".." steps, empty steps) or is relative stays as
// it is.
std::wstring FileApiPath(const std::string& utf8Path);
std::wstring FileApiPath(std::wstring utf16Path);

std::optional<std::string> ReadFileBytes(const std::string& utf8Path);
// Text that is not valid UTF-8 is read in the system code page.
DecodedText DecodeText(const std::string& bytes);
// Encodes text as `encoding`; falls back to UTF-8 when the code page cannot hold it.
std::string EncodeText(const std::string& utf8, TextEncoding& encoding);

// Writes a temporary file beside the target and renames it over the target, so
// that the target is either the old or the new file, never a truncated one.
// A symbolic link is followed: the file it names is replaced, in its own
// folder. Where no temporary file can be created the target is written in
// place, unless inPlace says never (a file the user asked for: better no
// file than half of one). A read-only file is never written (false).
enum class InPlaceWrite { kWhenNoTemporary, kNever };
bool WriteFileAtomically(const std::string& utf8Path, const std::string& bytes,
                         InPlaceWrite inPlace = InPlaceWrite::kWhenNoTemporary);

// The settings file on disk.
class FileProfileStorage : public ProfileStorage {
 public:
  explicit FileProfileStorage(std::string path) : path_(std::move(path)) {}
  std::optional<std::string> Load() override;
  bool Save(const std::string& utf8Text) override;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  TextEncoding encoding_ = TextEncoding::kUtf8;
};

}  // namespace px
