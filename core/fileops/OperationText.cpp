// Target reading and question texts of a run (see the header).
#include "core/fileops/OperationText.h"

#include <cstdio>
#include <vector>

#include "core/panel/EntryText.h"
#include "core/text/CaseFold.h"
#include "core/text/Utf.h"

namespace px {

namespace {

bool IsDriveLetter(const std::string& text) {
  return text.size() >= 2 && text[1] == ':' &&
         ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

// The root of an absolute path: "X:\" or "\\server\share\" (length of it).
size_t RootLength(const std::string& path) {
  if (IsDriveLetter(path) && path.size() >= 3 && path[2] == '\\') return 3;
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    size_t server = path.find('\\', 2);
    if (server == std::string::npos) return path.size();
    size_t share = path.find('\\', server + 1);
    return share == std::string::npos ? path.size() : share + 1;
  }
  return 0;
}

}  // namespace

ResolvedTarget ResolveTarget(const std::string& typed, const std::string& panelFolder) {
  std::string text = typed;
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  std::string full;
  if (text.empty()) {
    full = panelFolder;
  } else if (RootLength(text) > 0) {
    full = text;
  } else if (IsDriveLetter(text)) {
    const bool samePanelDrive =
        IsDriveLetter(panelFolder) && EqualsNoCase(panelFolder.substr(0, 1), text.substr(0, 1));
    full = (samePanelDrive ? panelFolder : text.substr(0, 2) + "\\") + text.substr(2);
  } else if (text[0] == '\\') {
    size_t root = RootLength(panelFolder);
    full = panelFolder.substr(0, root) + text.substr(1);
  } else {
    full = panelFolder + text;
  }
  if (!full.empty() && full.size() < 3 && IsDriveLetter(full)) full += '\\';

  size_t root = RootLength(full);
  const bool folder = full.size() == root || full.back() == '\\';
  std::vector<std::string> parts;
  size_t start = root;
  while (start < full.size()) {
    size_t next = full.find('\\', start);
    if (next == std::string::npos) next = full.size();
    std::string part = full.substr(start, next - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = next + 1;
  }
  ResolvedTarget out;
  out.targetFolder = full.substr(0, root);
  if (out.targetFolder.empty()) out.targetFolder = panelFolder;  // not absolute after all
  const size_t folderParts = folder ? parts.size() : parts.empty() ? 0 : parts.size() - 1;
  for (size_t i = 0; i < folderParts; ++i) out.targetFolder += parts[i] + "\\";
  if (!folder && !parts.empty()) out.newName = parts.back();
  out.valid = out.targetFolder.find_first_of("*?") == std::string::npos &&
              out.newName.find_first_of("*?") == std::string::npos;
  return out;
}

std::string ShortenedName(const std::string& name, size_t limit) {
  if (limit < 3) return name;
  size_t count = 0;
  size_t cut = 0;
  for (size_t pos = 0; pos < name.size();) {
    DecodeUtf8(name, pos);
    ++count;
    if (count == limit - 2) cut = pos;
    if (count > limit) return name.substr(0, cut) + "...";
  }
  return name;
}

std::string SizeAndDateLine(uint64_t size, uint64_t localTime) {
  uint64_t seconds = localTime / 10000000ull;
  uint64_t days = seconds / 86400;
  uint64_t rest = seconds % 86400;
  // Civil date from a day number (days since 0000-03-01, 400-year cycles).
  int64_t z = static_cast<int64_t>(days) - 134774 + 719468;  // 1601 -> 1970 -> 0000-03-01
  int64_t era = z / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t day = doy - (153 * mp + 2) / 5 + 1;
  int64_t month = mp < 10 ? mp + 3 : mp - 9;
  int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  char text[80];
  // The size grouped as every size the program shows (SizeText).
  std::snprintf(text, sizeof text, "%s Byte, %02d.%02d.%02d %02d:%02d:%02d", SizeText(size).c_str(),
                static_cast<int>(day),
                static_cast<int>(month), static_cast<int>(year % 100),
                static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  return text;
}

}  // namespace px
