#include "fileops/Win32FileSystem.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "core/panel/PathText.h"
#include "core/text/CaseFold.h"
#include "framework/FileSystemApi.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"

namespace px {

namespace {

bool HoldsWildcard(const std::string& path) {
  return path.find_first_of("*?") != std::string::npos;
}

// The shell takes paths by the old rules, in MAX_PATH buffers: a name ending
// in a dot or a blank would reach its neighbour ("a." reaches "a"), so such
// a path is never handed to it.
bool ShellAddressable(const std::string& path) {
  if (Widen(path).size() >= MAX_PATH) return false;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start && (path[end - 1] == '.' || path[end - 1] == ' ')) return false;
    start = end + 1;
  }
  return true;
}

// The root of a drive path ("C:\\") or of a share ("\\\\server\\share\\"); empty
// for anything else.
std::string RootOf(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return path.substr(0, 3);
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    const size_t server = path.find('\\', 2);
    if (server == std::string::npos || server == 2) return std::string();
    const size_t share = path.find('\\', server + 1);
    if (share == server + 1) return std::string();
    return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
  }
  return std::string();
}

// A DWORD value of the current user's (or else the machine's) registry; false
// when neither holds it.
bool ReadDword(const wchar_t* key, const wchar_t* name, DWORD& value) {
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(hive, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) continue;
    DWORD type = 0;
    DWORD size = sizeof(value);
    const LONG read = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(opened);
    if (read == ERROR_SUCCESS && type == REG_DWORD) return true;
  }
  return false;
}

std::mutex gBinlessLock;
std::string gBinlessFolder;  // folded

bool BinlessForTests(const std::string& path) {
  std::lock_guard<std::mutex> lock(gBinlessLock);
  return !gBinlessFolder.empty() && FoldName(path).compare(0, gBinlessFolder.size(), gBinlessFolder) == 0;
}

// Set while the shell works on this thread for Recycle: whether it tried to
// open a dialog of its own (the warning before deleting for good, or any
// other), which the hook refused.
thread_local bool tDialogRefused = false;

// No window of the shell's ever shows from a job's thread, where it would
// have no owner and hide behind the progress window: a dialog it would open
// is not created (the shell takes that as "no" and keeps the file), and
// the engine asks its own question instead.
LRESULT CALLBACK RefuseShellDialogs(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    wchar_t name[16] = {};
    if (GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16) > 0 && std::wcscmp(name, L"#32770") == 0) {
      tDialogRefused = true;
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Reads past the system cache take whole sectors into a buffer aligned to
// them: 1 MiB at a page boundary is a multiple of every sector size in use
// (512 and 4096 bytes).
constexpr DWORD kUnbufferedBlock = 1u << 20;
constexpr DWORD kSectorMultiple = 4096;

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

EntryInfo InfoOf(const WIN32_FIND_DATAW& data) {
  EntryInfo info;
  info.name = Narrow(data.cFileName);
  info.attributes = data.dwFileAttributes;
  info.size = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                  ? 0
                  : Join(data.nFileSizeHigh, data.nFileSizeLow);
  info.writeTime = FromFileTime(data.ftLastWriteTime);
  return info;
}

}  // namespace

Win32FileSystem::~Win32FileSystem() {
  for (auto& [id, handle] : open_) CloseHandle(handle);
}

FsError Win32FileSystem::ErrorOf(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return FsError::kOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
      return FsError::kNotFound;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return FsError::kAlreadyExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FsError::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FsError::kSharingViolation;
    case ERROR_DIR_NOT_EMPTY: return FsError::kNotEmpty;
    case ERROR_NOT_SAME_DEVICE: return FsError::kNotSameDevice;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FsError::kDiskFull;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return FsError::kInvalidName;
    default: return FsError::kIo;
  }
}

void Win32FileSystem::AlignedFree::operator()(void* block) const {
  VirtualFree(block, 0, MEM_RELEASE);
}

FileId Win32FileSystem::Keep(HANDLE handle) {
  FileId id = nextId_++;
  open_[id] = handle;
  return id;
}

FsResult<FileId> Win32FileSystem::OpenRead(const std::string& path) {
  if (HoldsWildcard(path)) return {0, FsError::kInvalidName};
  QuietDriveErrors quiet;
  HANDLE file = CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {0, ErrorOf(GetLastError())};
  return {Keep(file), FsError::kOk};
}

// FILE_FLAG_NO_BUFFERING makes Windows read from the device, not from the
// system cache: what the copy wrote is read back as it was stored. Dirty
// pages the cache still holds of the file are written out before such a
// read (the file systems keep cached and uncached I/O coherent), so the copy
// needs no FlushFileBuffers, which would cost a journal flush per file.
// Under Wine the flag is accepted but the read still comes through the Linux
// page cache: there it reads what the file system holds, not the medium.
// A file system that refuses the flag (ERROR_INVALID_PARAMETER) is read as
// OpenRead does.
FsResult<FileId> Win32FileSystem::OpenReadFromDisk(const std::string& path) {
  if (HoldsWildcard(path)) return {0, FsError::kInvalidName};
  QuietDriveErrors quiet;
  HANDLE file = CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PARAMETER) return OpenRead(path);
    return {0, ErrorOf(error)};
  }
  Unbuffered reader;
  reader.block.reset(VirtualAlloc(nullptr, kUnbufferedBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!reader.block) {
    CloseHandle(file);
    return {0, FsError::kIo};
  }
  const FileId id = Keep(file);
  unbuffered_[id] = std::move(reader);
  return {id, FsError::kOk};
}

FsResult<CreatedTemp> Win32FileSystem::CreateTempFile(const std::string& folder) {
  QuietDriveErrors quiet;
  const DWORD process = GetCurrentProcessId();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string path = folder + "~px" + std::to_string(process) + "-" +
                       std::to_string(++tempCounter_) + ".part";
    HANDLE file = CreateFileW(FileApiPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE) return {{Keep(file), path}, FsError::kOk};
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {{}, ErrorOf(error)};
  }
  return {{}, FsError::kIo};
}

FsResult<FileId> Win32FileSystem::CreateNewFile(const std::string& path) {
  if (HoldsWildcard(path)) return {0, FsError::kInvalidName};
  QuietDriveErrors quiet;
  HANDLE file = CreateFileW(FileApiPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {0, ErrorOf(GetLastError())};
  return {Keep(file), FsError::kOk};
}

FsResult<size_t> Win32FileSystem::Read(FileId file, void* buffer, size_t size) {
  auto found = open_.find(file);
  if (found == open_.end()) return {0, FsError::kIo};
  auto unbuffered = unbuffered_.find(file);
  if (unbuffered != unbuffered_.end()) {
    Unbuffered& reader = unbuffered->second;
    if (reader.taken == reader.filled) {
      if (reader.ended) return {0, FsError::kOk};
      DWORD read = 0;
      if (!ReadFile(found->second, reader.block.get(), kUnbufferedBlock, &read, nullptr))
        return {0, ErrorOf(GetLastError())};
      reader.filled = read;
      reader.taken = 0;
      // The file pointer must stay on a sector: a read that ends off one
      // reached the end of the file (the last sector, partly filled).
      reader.ended = read == 0 || read % kSectorMultiple != 0;
    }
    const size_t count = std::min(size, reader.filled - reader.taken);
    std::memcpy(buffer, static_cast<const char*>(reader.block.get()) + reader.taken, count);
    reader.taken += count;
    return {count, FsError::kOk};
  }
  DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
  DWORD read = 0;
  if (!ReadFile(found->second, buffer, chunk, &read, nullptr)) return {0, ErrorOf(GetLastError())};
  return {read, FsError::kOk};
}

FsStatus Win32FileSystem::Write(FileId file, const void* data, size_t size) {
  auto found = open_.find(file);
  if (found == open_.end()) return {FsError::kIo};
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(found->second, bytes, chunk, &written, nullptr))
      return {ErrorOf(GetLastError())};
    // A write that takes nothing and reports no error is a full disk.
    if (written == 0) return {FsError::kDiskFull};
    bytes += written;
    size -= written;
  }
  return {};
}

FsResult<uint64_t> Win32FileSystem::SizeOf(FileId file) {
  auto found = open_.find(file);
  if (found == open_.end()) return {0, FsError::kIo};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(found->second, &size)) return {0, ErrorOf(GetLastError())};
  return {static_cast<uint64_t>(size.QuadPart), FsError::kOk};
}

FsStatus Win32FileSystem::Close(FileId file) {
  auto found = open_.find(file);
  if (found == open_.end()) return {FsError::kIo};
  HANDLE handle = found->second;
  open_.erase(found);
  unbuffered_.erase(file);
  // Closing flushes what the system still holds: a late write error shows here.
  if (!CloseHandle(handle)) return {ErrorOf(GetLastError())};
  return {};
}

FsResult<EntryInfo> Win32FileSystem::Lookup(const std::string& path) {
  if (HoldsWildcard(path)) return {{}, FsError::kInvalidName};
  QuietDriveErrors quiet;
  // Without a wildcard the search finds exactly this entry, with its stored name.
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileExW(FileApiPath(path).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, 0));
  if (!search) {
    DWORD error = GetLastError();
    return {{}, error == ERROR_NO_MORE_FILES ? FsError::kNotFound : ErrorOf(error)};
  }
  return {InfoOf(data), FsError::kOk};
}

FsResult<std::vector<EntryInfo>> Win32FileSystem::List(const std::string& folder) {
  FsResult<std::vector<EntryInfo>> result;
  DWORD error = SearchFolder(folder, SearchScope::kEverything, true,
                             [&](const WIN32_FIND_DATAW& data) {
                               if (!IsDotsName(data.cFileName)) result.value.push_back(InfoOf(data));
                               return true;
                             });
  // An empty folder has no "." in a drive root: nothing found is an empty listing.
  if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) result.error = ErrorOf(error);
  if (error == ERROR_FILE_NOT_FOUND && !AttributesOf(WithoutTrailingBackslash(folder)))
    result.error = FsError::kNotFound;
  return result;
}

FsStatus Win32FileSystem::CreateFolder(const std::string& folder) {
  if (HoldsWildcard(folder)) return {FsError::kInvalidName};
  std::string path = WithoutTrailingBackslash(folder);
  const DWORD error = px::CreateFolder(path);
  if (error == ERROR_SUCCESS) return {};
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
    std::optional<uint32_t> attributes = AttributesOf(path);
    if (attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY)) return {FsError::kAlreadyExists};
    return {FsError::kFileInTheWay};
  }
  return {ErrorOf(error)};
}

namespace {

// The entry at path itself, opened to be removed: a link is opened as the
// link where the platform can (elsewhere it leads on, which the callers tell
// by what the handle reports).
FileHandle OpenToRemove(const std::string& path) {
  return FileHandle(CreateFileW(FileApiPath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Where an open file or folder really is, without the \\?\ prefix.
std::optional<std::string> FinalPathOf(HANDLE handle) {
  std::wstring path(32768, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= path.size()) return std::nullopt;
  path.resize(length);
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path = L"\\\\" + path.substr(8);
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path = path.substr(4);
  }
  return Narrow(path);
}

// Whether the handle is the entry named by path and not one a link led to:
// the platform reports it under that very last name.
bool IsEntryItself(HANDLE handle, const std::string& path) {
  std::optional<std::string> final = FinalPathOf(handle);
  return final && LastComponent(WithoutTrailingBackslash(*final) + "\\") ==
                      LastComponent(WithoutTrailingBackslash(path) + "\\");
}

FsStatus RemoveOpened(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)))
    return {Win32FileSystem::ErrorOf(GetLastError())};
  return {};
}

}  // namespace

// The check and the removal go through one handle: what was checked is what
// is removed, whatever another program renames meanwhile.
FsStatus Win32FileSystem::RemoveFolder(const std::string& folder, const FileIdentity& expected) {
  QuietDriveErrors quiet;
  const std::string path = WithoutTrailingBackslash(folder);
  FileHandle opened = OpenToRemove(path);
  if (!opened) return {ErrorOf(GetLastError())};
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(opened.Get(), FileBasicInfo, &basic, sizeof(basic)))
    return {ErrorOf(GetLastError())};
  const std::optional<FileIdentity> identity = IdentityOfOpened(opened.Get(), path);
  if (!identity) return {ErrorOf(GetLastError())};
  if (!(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return {FsError::kAccessDenied};
  if ((basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || *identity != expected ||
      !IsEntryItself(opened.Get(), path)) {
    return {FsError::kReplaced};
  }
  // A folder that is not empty is refused here, not when it is closed (and a
  // lookup of the name afterwards would read its whole parent under Wine).
  return RemoveOpened(opened.Get());
}

// A link is removed only through a handle to the link itself. Where the
// platform opens what a link leads to instead (it then reports no link, or
// another name), nothing is removed: removing through that handle would
// remove the folder the link leads to.
FsStatus Win32FileSystem::RemoveLink(const std::string& path) {
  QuietDriveErrors quiet;
  FileHandle opened = OpenToRemove(path);
  if (!opened) return {ErrorOf(GetLastError())};
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(opened.Get(), FileBasicInfo, &basic, sizeof(basic)))
    return {ErrorOf(GetLastError())};
  if (!(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !IsEntryItself(opened.Get(), path))
    return {FsError::kAccessDenied};
  return RemoveOpened(opened.Get());
}

FsResult<std::string> Win32FileSystem::RealPath(const std::string& path) {
  QuietDriveErrors quiet;
  FileHandle opened(CreateFileW(FileApiPath(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!opened) return {{}, ErrorOf(GetLastError())};
  std::optional<std::string> final = FinalPathOf(opened.Get());
  if (!final) return {{}, ErrorOf(GetLastError())};
  return {WithoutTrailingBackslash(*final), FsError::kOk};
}

FsStatus Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  QuietDriveErrors quiet;
  if (SetFileAttributesW(FileApiPath(path).c_str(), attributes)) return {};
  return {ErrorOf(GetLastError())};
}

FsStatus Win32FileSystem::RemoveFile(const std::string& path) {
  if (HoldsWildcard(path)) return {FsError::kInvalidName};
  QuietDriveErrors quiet;
  if (DeleteFileW(FileApiPath(path).c_str())) return {};
  return {ErrorOf(GetLastError())};
}

FsStatus Win32FileSystem::Rename(const std::string& from, const std::string& to, uint32_t flags) {
  if (HoldsWildcard(to)) return {FsError::kInvalidName};
  QuietDriveErrors quiet;
  // Never with copying allowed: a move across volumes is the engine's own
  // copy, with progress and cancel.
  DWORD moveFlags = (flags & kRenameReplaceExisting) ? MOVEFILE_REPLACE_EXISTING : 0;
  if (MoveFileExW(FileApiPath(from).c_str(), FileApiPath(to).c_str(), moveFlags)) return {};
  return {ErrorOf(GetLastError())};
}

FsResult<FileIdentity> Win32FileSystem::Identity(const std::string& path) {
  std::optional<FileIdentity> identity = IdentityOf(path);
  if (!identity) return {{}, ErrorOf(GetLastError())};
  return {*identity, FsError::kOk};
}

void Win32FileSystem::SetBinlessFolderForTests(const std::string& folder) {
  std::lock_guard<std::mutex> lock(gBinlessLock);
  gBinlessFolder = FoldName(folder);
}

// A drive has a bin when it is a fixed disk (removable media, network shares
// and RAM disks have none), the shell answers about its bin (Wine's shell
// fails where it has no trash), and neither a policy nor the drive's own
// setting has the bin delete at once. The largest file it takes is its size
// limit where one is set.
const Win32FileSystem::Bin& Win32FileSystem::BinOf(const std::string& root) {
  auto [known, added] = bins_.try_emplace(FoldName(root));
  Bin& bin = known->second;
  if (!added) return bin;
  const std::wstring wideRoot = Widen(root);
  QuietDriveErrors quiet;
  if (GetDriveTypeW(wideRoot.c_str()) != DRIVE_FIXED) return bin;
  SHQUERYRBINFO info{};
  info.cbSize = sizeof(info);
  if (FAILED(SHQueryRecycleBinW(wideRoot.c_str(), &info))) return bin;
  DWORD value = 0;
  if (ReadDword(L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", L"NoRecycleFiles",
                value) &&
      value != 0) {
    return bin;
  }
  wchar_t volume[64] = {};
  if (GetVolumeNameForVolumeMountPointW(wideRoot.c_str(), volume, 64)) {
    // "\\?\Volume{…}\" names the drive's own settings.
    std::wstring id = volume;
    const size_t open = id.find(L'{');
    const size_t close = id.find(L'}');
    if (open != std::wstring::npos && close != std::wstring::npos && close > open) {
      const std::wstring key =
          L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
          id.substr(open, close - open + 1);
      if (ReadDword(key.c_str(), L"NukeOnDelete", value) && value != 0) return bin;
      if (ReadDword(key.c_str(), L"MaxCapacity", value)) bin.largestFile = static_cast<uint64_t>(value) << 20;
    }
  }
  bin.present = true;
  return bin;
}

FsResult<bool> Win32FileSystem::CanRecycle(const std::string& path) {
  if (HoldsWildcard(path)) return {false, FsError::kInvalidName};
  // What the shell cannot be handed cannot go to the bin either.
  const std::string root = RootOf(path);
  if (root.empty() || !ShellAddressable(path) || BinlessForTests(path)) return {false, FsError::kOk};
  WIN32_FILE_ATTRIBUTE_DATA data{};
  {
    QuietDriveErrors quiet;
    if (!GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &data)) {
      return {false, ErrorOf(GetLastError())};
    }
  }
  const Bin& bin = BinOf(root);
  if (!bin.present) return {false, FsError::kOk};
  const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return {folder || Join(data.nFileSizeHigh, data.nFileSizeLow) <= bin.largestFile, FsError::kOk};
}

RecycleResult Win32FileSystem::Recycle(const std::vector<std::string>& paths) {
  // Fully qualified paths, each ended by a NUL and the list by a second one;
  // the shell expands wildcards, so a path holding one is never handed over.
  std::wstring list;
  for (const std::string& path : paths) {
    if (HoldsWildcard(path) || path.size() < 3 || !ShellAddressable(path)) return RecycleResult::kFailed;
    list += Widen(path);
    list.push_back(L'\0');
  }
  list.push_back(L'\0');
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = list.c_str();
  // Asked to warn, the shell asks before it would delete anything for good
  // instead; that question is refused before it shows (see
  // RefuseShellDialogs), so the file stays and the engine asks its own.
  // Without a hook no call is made: nothing may show without an owner.
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI |
                     FOF_WANTNUKEWARNING;
  HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseShellDialogs, nullptr, GetCurrentThreadId());
  if (hook == nullptr) return RecycleResult::kFailed;
  tDialogRefused = false;
  const int result = SHFileOperationW(&operation);
  UnhookWindowsHookEx(hook);
  if (tDialogRefused) return RecycleResult::kNoBin;
  if (result != 0) return RecycleResult::kFailed;
  // Whether the files are really gone is the engine's to check.
  if (operation.fAnyOperationsAborted) return RecycleResult::kAborted;
  return RecycleResult::kDone;
}

}  // namespace px
