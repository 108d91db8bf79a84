// The one place the window code calls the platform's file-system functions:
// folder searches, renames, identities, volume labels and the drive list.
// Paths are UTF-8; each reaches the platform exactly as written (see
// FileApiPath: the \\?\ form, so no trailing dot or blank is dropped).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/fileops/FileSystem.h"
#include "core/fileops/DriveFigures.h"
#include "framework/Handles.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"

namespace px {

// While alive, a drive without a medium fails quietly on this thread instead
// of asking for a disk. Per thread, so a worker never changes what the UI
// thread sees.
class QuietDriveErrors {
 public:
  QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
  ~QuietDriveErrors() { SetThreadErrorMode(previous_, nullptr); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  DWORD previous_ = 0;
};

// From now on every listing of a folder whose path holds pathPart breaks off
// after `after` entries, or (kRefuseListing) is refused at once as a folder
// without the right to read it is (an empty pathPart: none is). For tests:
// neither can be made to happen on demand otherwise.
constexpr int kRefuseListing = -2;
// kHoldListing holds every such listing before its first entry until the
// listings are failed otherwise (or not at all): a drive that is slow to answer.
constexpr int kHoldListing = -3;
void FailListingsForTests(const std::wstring& pathPart, int after);
// Where the listing of folder breaks off for a test; -1 for none. Returns
// only when the listing is no longer held.
int ListingBreakForTests(const std::wstring& folder);

enum class SearchScope {
  kEverything,
  kFoldersFirst,  // directories only, as a hint the file system may ignore: callers still check
};

// Searches folder (ending with a backslash) for "*.*" and hands each entry's
// find data to visit, which returns false to stop. Gives 0 when the folder
// was read to its end (or visit stopped it), else the system error: of the
// first call when nothing could be read, or kListingCutShort when the
// listing broke off part way (a share that dropped, a device error), so
// that no caller takes half a folder for the whole. The wide form spares
// callers that hold wide paths a round trip through UTF-8.
constexpr DWORD kListingCutShort = ERROR_READ_FAULT;
template <typename Visit>
[[nodiscard]] DWORD SearchFolder(const std::wstring& folder, SearchScope scope, bool largeFetch,
                                 Visit&& visit) {
  QuietDriveErrors quiet;
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileExW(
      FileApiPath(folder + L"*.*").c_str(), FindExInfoBasic, &data,
      scope == SearchScope::kFoldersFirst ? FindExSearchLimitToDirectories : FindExSearchNameMatch,
      nullptr, largeFetch ? FIND_FIRST_EX_LARGE_FETCH : 0));
  const int breakAfter = ListingBreakForTests(folder);
  if (breakAfter == kRefuseListing) return ERROR_ACCESS_DENIED;
  if (!search) return GetLastError();
  int seen = 0;
  do {
    if (seen++ == breakAfter) {
      SetLastError(ERROR_UNEXP_NET_ERR);  // as a share that drops says it
      break;
    }
    if (!visit(static_cast<const WIN32_FIND_DATAW&>(data))) return ERROR_SUCCESS;
  } while (FindNextFileW(search.Get(), &data));
  return GetLastError() == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : kListingCutShort;
}

template <typename Visit>
[[nodiscard]] DWORD SearchFolder(const std::string& folder, SearchScope scope, bool largeFetch,
                                 Visit&& visit) {
  return SearchFolder(Widen(folder), scope, largeFetch, std::forward<Visit>(visit));
}

// A file time as one number: 100 ns units since 1601.
inline uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline bool IsDotsName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// The attribute bits of an existing file or folder, looked up by its exact
// name (no wildcard is ever expanded); nothing when there is no such entry.
[[nodiscard]] std::optional<uint32_t> AttributesOf(const std::string& path);

// What a lookup of one entry by its exact name reports.
struct EntryStatus {
  uint32_t attributes = 0;
  uint64_t writeTime = 0;  // 100 ns units since 1601, UTC
  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};
[[nodiscard]] std::optional<EntryStatus> StatusOf(const std::string& path);

// Creates one folder (every folder above it must exist); 0, or the system
// error. A file of that name is an error too (it already exists).
[[nodiscard]] DWORD CreateFolder(const std::string& path);
[[nodiscard]] bool SetAttributes(const std::string& path, uint32_t attributes);
// Sets the last-write time of a file or folder, leaving its other times. Asks
// only for the right to write attributes, which a read-only file grants, so
// the read-only bit never has to be cleared for it.
[[nodiscard]] bool SetWriteTime(const std::string& path, uint64_t writeTime);

// Renames or moves a file or folder; 0, or the system error.
[[nodiscard]] DWORD MovePath(const std::string& from, const std::string& to);

// Whether folder holds an entry spelled exactly name, letter case included: an
// entry that only matches ignoring case (which the platform's lookup of the
// name would find) does not count.
[[nodiscard]] bool HasEntryNamed(const std::string& folder, const std::string& name);

// The names of folder's entries that equal name ignoring letter case, as
// spelled on disk. More than one only where the file system tells case apart
// (under Wine, any folder on the Unix side); none when there is no such entry.
// Looks at every entry of the folder: the platform's lookup of a single name
// may answer with any of its spellings.
[[nodiscard]] std::vector<std::string> SpellingsOf(const std::string& folder,
                                                   const std::string& name);

// What tells two spellings of a path apart from two files (see FileIdentity):
// the volume's serial by the path's drive or share root, and the file's index.
[[nodiscard]] std::optional<FileIdentity> IdentityOf(const std::string& path);
// The same for a file or folder already open at path.
[[nodiscard]] std::optional<FileIdentity> IdentityOfOpened(HANDLE handle, const std::string& path);

// A file opened to be read while other programs go on writing, renaming or
// deleting it (the viewer): the handle, or the system error.
struct FileToRead {
  FileHandle handle;
  DWORD error = 0;
};
[[nodiscard]] FileToRead OpenFileToRead(const std::string& path);
// The size of an open file now; nothing when it cannot be had.
[[nodiscard]] std::optional<uint64_t> SizeOfOpened(HANDLE file);
// Reads up to size bytes at offset without moving any file pointer another
// reader relies on: the bytes read (fewer at the end of the file, none past
// it) and the error that broke the read off (0 for none).
struct ReadAtResult {
  size_t bytes = 0;
  DWORD error = 0;
};
[[nodiscard]] ReadAtResult ReadAt(HANDLE file, uint64_t offset, void* buffer, size_t size);

// A drive's volume label; nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> ReadVolumeLabel(const std::string& driveRoot);
[[nodiscard]] bool WriteVolumeLabel(const std::string& driveRoot, const std::string& label);

// Label and file-system name of a drive; nothing when the query fails (no
// medium). Read into full-size buffers, so a long label never fails it.
struct VolumeInfo {
  std::string label;
  std::string fileSystem;
};
[[nodiscard]] std::optional<VolumeInfo> ReadVolumeInfo(const std::string& driveRoot);
// Bytes free to this user and the capacity; nothing when the query fails.
[[nodiscard]] std::optional<DriveSpace> ReadDriveSpace(const std::string& driveRoot);
[[nodiscard]] UINT DriveTypeOf(const std::string& driveRoot);

struct LogicalDrive {
  std::string root;  // upper case, three characters: "C:\"
  UINT type = DRIVE_FIXED;
};
std::vector<LogicalDrive> LogicalDrives();

}  // namespace px
