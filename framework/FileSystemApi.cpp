#include "framework/FileSystemApi.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

#include "core/text/CaseFold.h"
#include "framework/Wide.h"

namespace px {

namespace {

std::atomic<bool> listingBreakArmed{false};
std::mutex listingBreakLock;
std::condition_variable listingBreakChanged;
std::wstring listingBreakPart;
int listingBreakAfter = -1;

}  // namespace

void FailListingsForTests(const std::wstring& pathPart, int after) {
  {
    std::lock_guard<std::mutex> lock(listingBreakLock);
    listingBreakPart = pathPart;
    listingBreakAfter = after;
    listingBreakArmed.store(!pathPart.empty());
  }
  listingBreakChanged.notify_all();
}

int ListingBreakForTests(const std::wstring& folder) {
  if (!listingBreakArmed.load(std::memory_order_relaxed)) return -1;
  std::unique_lock<std::mutex> lock(listingBreakLock);
  auto applies = [&] {
    return !listingBreakPart.empty() && folder.find(listingBreakPart) != std::wstring::npos;
  };
  listingBreakChanged.wait(lock, [&] { return !applies() || listingBreakAfter != kHoldListing; });
  return applies() ? listingBreakAfter : -1;
}

bool HasEntryNamed(const std::string& folder, const std::string& name) {
  QuietDriveErrors quiet;
  const std::wstring wanted = Widen(name);
  // The name as a search mask: it matches itself, and whatever else it finds
  // (other spellings, short names, what its * or ? match) is passed over.
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileExW(FileApiPath(Widen(folder) + wanted).c_str(), FindExInfoBasic,
                                     &data, FindExSearchNameMatch, nullptr, 0));
  if (!search) return false;
  do {
    if (wanted == data.cFileName) return true;
  } while (FindNextFileW(search.Get(), &data));
  return false;
}

std::vector<std::string> SpellingsOf(const std::string& folder, const std::string& name) {
  std::vector<std::string> spellings;
  const std::string folded = FoldName(name);
  [[maybe_unused]] DWORD error =
      SearchFolder(folder, SearchScope::kEverything, true, [&](const WIN32_FIND_DATAW& data) {
        if (!IsDotsName(data.cFileName)) {
          std::string entry = Narrow(data.cFileName);
          if (FoldName(entry) == folded) spellings.push_back(std::move(entry));
        }
        return true;
      });
  return spellings;
}

std::optional<uint32_t> AttributesOf(const std::string& path) {
  std::optional<EntryStatus> status = StatusOf(path);
  if (!status) return std::nullopt;
  return status->attributes;
}

std::optional<EntryStatus> StatusOf(const std::string& path) {
  QuietDriveErrors quiet;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  return EntryStatus{data.dwFileAttributes, FromFileTime(data.ftLastWriteTime)};
}

DWORD CreateFolder(const std::string& path) {
  QuietDriveErrors quiet;
  if (CreateDirectoryW(FileApiPath(path).c_str(), nullptr)) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  QuietDriveErrors quiet;
  return SetFileAttributesW(FileApiPath(path).c_str(), attributes) != FALSE;
}

bool SetWriteTime(const std::string& path, uint64_t writeTime) {
  QuietDriveErrors quiet;
  // Backup semantics open folders as well as files.
  FileHandle file(CreateFileW(FileApiPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return false;
  FILETIME time{static_cast<DWORD>(writeTime), static_cast<DWORD>(writeTime >> 32)};
  return SetFileTime(file.Get(), nullptr, nullptr, &time) != FALSE;
}

DWORD MovePath(const std::string& from, const std::string& to) {
  if (MoveFileW(FileApiPath(from).c_str(), FileApiPath(to).c_str())) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}

namespace {

// The serial of the volume a path lies on, by its drive or share root, read
// once per root: asking the system for it with each identity cost under Wine
// three times what the rest of the lookup costs.
std::optional<uint32_t> SerialOfRoot(const std::string& path) {
  std::string root;
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
    root = path.substr(0, 3);
  } else if (path.rfind("\\\\", 0) == 0) {
    size_t server = path.find('\\', 2);
    size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    root = (share == std::string::npos ? path : path.substr(0, share)) + "\\";
  } else {
    return std::nullopt;
  }
  root = FoldName(root);
  static std::mutex lock;
  static std::unordered_map<std::string, uint32_t> serials;
  {
    std::lock_guard<std::mutex> guard(lock);
    auto known = serials.find(root);
    if (known != serials.end()) return known->second;
  }
  QuietDriveErrors quiet;
  DWORD serial = 0;
  if (!GetVolumeInformationW(Widen(root).c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
    return std::nullopt;  // not kept: a drive without a medium may get one
  std::lock_guard<std::mutex> guard(lock);
  serials[root] = serial;
  return serial;
}

// The file index of an open file, from the system's own record of it.
std::optional<uint64_t> IndexOf(HANDLE handle) {
  struct InternalInformation {
    LARGE_INTEGER indexNumber;
  };
  struct StatusBlock {
    void* status;
    ULONG_PTR information;
  };
  using Query = LONG(WINAPI*)(HANDLE, StatusBlock*, void*, ULONG, int);
  static const Query query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQueryInformationFile")));
  constexpr int kFileInternalInformation = 6;
  if (query == nullptr) return std::nullopt;
  StatusBlock status{};
  InternalInformation information{};
  if (query(handle, &status, &information, sizeof(information), kFileInternalInformation) != 0)
    return std::nullopt;
  return static_cast<uint64_t>(information.indexNumber.QuadPart);
}

}  // namespace

std::optional<FileIdentity> IdentityOfOpened(HANDLE handle, const std::string& path) {
  std::optional<uint32_t> serial = SerialOfRoot(path);
  std::optional<uint64_t> index = serial ? IndexOf(handle) : std::nullopt;
  if (serial && index) return FileIdentity{*serial, *index};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  QuietDriveErrors quiet;
  // No access rights are needed to read a file's identity; backup semantics
  // open folders too.
  FileHandle file(CreateFileW(FileApiPath(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  return IdentityOfOpened(file.Get(), path);
}

FileToRead OpenFileToRead(const std::string& path) {
  QuietDriveErrors quiet;
  FileToRead opened;
  opened.handle.Reset(CreateFileW(FileApiPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (!opened.handle) opened.error = GetLastError();
  return opened;
}

std::optional<uint64_t> SizeOfOpened(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return std::nullopt;
  return static_cast<uint64_t>(size.QuadPart);
}

ReadAtResult ReadAt(HANDLE file, uint64_t offset, void* buffer, size_t size) {
  QuietDriveErrors quiet;
  ReadAtResult result;
  auto* bytes = static_cast<char*>(buffer);
  while (result.bytes < size) {
    const uint64_t at = offset + result.bytes;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want = static_cast<DWORD>(std::min<size_t>(size - result.bytes, 1u << 24));
    DWORD got = 0;
    if (!ReadFile(file, bytes + result.bytes, want, &got, &where)) {
      const DWORD error = GetLastError();
      if (error != ERROR_HANDLE_EOF) result.error = error;
      break;
    }
    if (got == 0) break;
    result.bytes += got;
  }
  return result;
}

std::optional<std::string> ReadVolumeLabel(const std::string& driveRoot) {
  std::optional<VolumeInfo> volume = ReadVolumeInfo(driveRoot);
  if (!volume) return std::nullopt;
  return volume->label;
}

bool WriteVolumeLabel(const std::string& driveRoot, const std::string& label) {
  QuietDriveErrors quiet;
  // An empty name removes the label; a null name would do the same on Windows
  // but crashes Wine.
  return SetVolumeLabelW(Widen(driveRoot).c_str(), Widen(label).c_str()) != FALSE;
}

std::optional<VolumeInfo> ReadVolumeInfo(const std::string& driveRoot) {
  QuietDriveErrors quiet;
  // Room for any label: a longer NTFS label read into a 12-character buffer
  // would fail, show as empty, and a write-back would then erase it.
  wchar_t label[MAX_PATH + 1] = {};
  wchar_t fileSystem[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(Widen(driveRoot).c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                             nullptr, fileSystem, MAX_PATH + 1))
    return std::nullopt;
  return VolumeInfo{Narrow(label), Narrow(fileSystem)};
}

std::optional<DriveSpace> ReadDriveSpace(const std::string& driveRoot) {
  QuietDriveErrors quiet;
  ULARGE_INTEGER freeToCaller{}, total{};
  if (!GetDiskFreeSpaceExW(Widen(driveRoot).c_str(), &freeToCaller, &total, nullptr))
    return std::nullopt;
  return DriveSpace{freeToCaller.QuadPart, total.QuadPart};
}

UINT DriveTypeOf(const std::string& driveRoot) {
  return GetDriveTypeW(Widen(driveRoot).c_str());
}

std::vector<LogicalDrive> LogicalDrives() {
  // 26 drives of four characters each fit with room to spare; a longer answer
  // (the size it would need) leaves the list empty rather than half read.
  wchar_t drives[256] = {};
  DWORD length = GetLogicalDriveStringsW(255, drives);
  std::vector<LogicalDrive> result;
  if (length == 0 || length > 255) return result;
  for (const wchar_t* drive = drives; *drive != L'\0'; drive += wcslen(drive) + 1) {
    std::wstring root(drive);
    CharUpperW(root.data());
    result.push_back({Narrow(root), GetDriveTypeW(root.c_str())});
  }
  return result;
}

}  // namespace px
