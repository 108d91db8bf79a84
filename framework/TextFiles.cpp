#include "framework/TextFiles.h"

#include <windows.h>

#include "core/text/Utf.h"
#include "framework/Handles.h"
#include "framework/Wide.h"

namespace px {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

std::wstring FromCodePage(const std::string& bytes, unsigned codePage) {
  if (bytes.empty()) return {};
  int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                   nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0)
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        length);
  return wide;
}

// Converts to the code page; false when a character has no exact equivalent.
bool ToCodePage(const std::wstring& wide, unsigned codePage, std::string& out) {
  out.clear();
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                   static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   &usedDefault);
  if (length <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(length));
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      out.data(), length, nullptr, &usedDefault);
  return !usedDefault;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
    DWORD wrote = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

// The file a write of path must replace: path itself when it does not exist
// yet, else the file it finally names, so that a symbolic link keeps pointing
// at the file that holds the settings. Nullopt when the file must not or
// cannot be written: read-only (the platform's profile functions refuse it
// too), a folder, or a name whose final file cannot be found.
std::optional<std::string> WriteTarget(const std::string& utf8Path) {
  std::wstring path = FileApiPath(utf8Path);
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return utf8Path;
    return std::nullopt;
  }
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  FileHandle file(CreateFileW(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  std::wstring finalPath(32768, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file.Get(), finalPath.data(),
                                           static_cast<DWORD>(finalPath.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= finalPath.size()) return std::nullopt;
  finalPath.resize(length);
  // The link itself may look writable while what it names is read-only.
  attributes = GetFileAttributesW(finalPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return std::nullopt;
  }
  return Narrow(finalPath);
}

}  // namespace

unsigned SystemCodePage() {
  DWORD codePage = 0;
  if (GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                      reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) == 0 ||
      codePage == 0 || codePage == CP_UTF8) {
    codePage = 1252;
  }
  return codePage;
}

std::wstring FileApiPath(const std::string& utf8Path) { return FileApiPath(Widen(utf8Path)); }

namespace {

// Whether the steps of path after its root (from start) are plain names.
bool PlainSteps(const std::wstring& path, size_t start) {
  if (path.find(L'/') != std::wstring::npos) return false;
  while (start < path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring step = path.substr(start, end - start);
    if (step == L"." || step == L"..") return false;
    if (step.empty() && end != path.size()) return false;  // "\\" inside
    start = end + 1;
  }
  return true;
}

}  // namespace

std::wstring FileApiPath(std::wstring path) {
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
                     ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
  if (drive && PlainSteps(path, 3)) return L"\\\\?\\" + path;
  if (path.rfind(L"\\\\", 0) == 0 && path.size() > 2) {
    // \\server\share\...: the server and share must be names too.
    size_t server = path.find(L'\\', 2);
    size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    if (server != std::wstring::npos && server > 2 && share != server + 1 && PlainSteps(path, 2)) {
      return L"\\\\?\\UNC\\" + path.substr(2);
    }
  }
  return path;
}

std::optional<std::string> ReadFileBytes(const std::string& utf8Path) {
  FileHandle file(CreateFileW(FileApiPath(utf8Path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > (1LL << 30)) return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
    DWORD read = 0;
    // Half a file read as the whole would be written back as the whole.
    if (!ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;  // it shrank meanwhile
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

DecodedText DecodeText(const std::string& bytes) {
  DecodedText decoded;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string wide((bytes.size() - 2) / 2, u'\0');
    memcpy(wide.data(), bytes.data() + 2, wide.size() * 2);
    decoded.utf8 = Utf16ToUtf8(wide);
    decoded.encoding = TextEncoding::kUtf16;
  } else if (bytes.rfind(kUtf8Bom, 0) == 0) {
    decoded.utf8 = bytes.substr(3);
    decoded.encoding = TextEncoding::kUtf8WithBom;
    if (!IsValidUtf8(decoded.utf8)) decoded.utf8 = Narrow(FromCodePage(decoded.utf8, SystemCodePage()));
  } else if (IsValidUtf8(bytes)) {
    decoded.utf8 = bytes;
    decoded.encoding = TextEncoding::kUtf8;
  } else {
    decoded.utf8 = Narrow(FromCodePage(bytes, SystemCodePage()));
    decoded.encoding = TextEncoding::kSystemCodePage;
  }
  return decoded;
}

std::string EncodeText(const std::string& utf8, TextEncoding& encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8:
      return utf8;
    case TextEncoding::kUtf8WithBom:
      return kUtf8Bom + utf8;
    case TextEncoding::kUtf16: {
      std::u16string wide = Utf8ToUtf16(utf8);
      std::string bytes("\xFF\xFE", 2);
      bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
      return bytes;
    }
    case TextEncoding::kSystemCodePage: {
      std::string bytes;
      if (ToCodePage(Widen(utf8), SystemCodePage(), bytes)) return bytes;
      encoding = TextEncoding::kUtf8;  // a value the code page cannot hold
      return utf8;
    }
  }
  return utf8;
}

bool WriteFileAtomically(const std::string& utf8Path, const std::string& bytes, InPlaceWrite inPlace) {
  std::optional<std::string> target = WriteTarget(utf8Path);
  if (!target) return false;
  std::wstring targetW = FileApiPath(*target);
  std::wstring temporaryW = FileApiPath(*target + ".new~");
  FileHandle temporary(CreateFileW(temporaryW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!temporary) {
    // Another save under way holds the temporary file: writing in place now
    // would be lost under its rename, so this one fails and is tried again.
    if (GetLastError() == ERROR_SHARING_VIOLATION || inPlace == InPlaceWrite::kNever) return false;
    // A folder where the file may be changed but nothing created (a shared
    // folder with such rights, a read-only folder): a direct write still saves
    // the settings, without the guard against a crash half-way.
    FileHandle file(CreateFileW(targetW.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.Get(), bytes) && SetEndOfFile(file.Get()) &&
           FlushFileBuffers(file.Get());
  }
  bool written = WriteAll(temporary.Get(), bytes) && FlushFileBuffers(temporary.Get());
  temporary.Reset();
  if (written &&
      MoveFileExW(temporaryW.c_str(), targetW.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temporaryW.c_str());
  return false;
}

std::optional<std::string> FileProfileStorage::Load() {
  std::optional<std::string> bytes = ReadFileBytes(path_);
  if (!bytes) {
    if (GetFileAttributesW(FileApiPath(path_).c_str()) != INVALID_FILE_ATTRIBUTES) {
      return std::nullopt;  // there, but locked or failing
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::string();
    return std::nullopt;
  }
  DecodedText decoded = DecodeText(*bytes);
  encoding_ = decoded.encoding;
  return std::move(decoded.utf8);
}

bool FileProfileStorage::Save(const std::string& utf8Text) {
  return WriteFileAtomically(path_, EncodeText(utf8Text, encoding_));
}

}  // namespace px
