// Row texts of the four panel columns.
#include "core/panel/EntryText.h"

#include <cstdio>

#include "core/fs/FileAttributes.h"

namespace px {

const char kParentRowText[] = "..    ";
const char kFolderSizeText[] = "<DIR>";

std::string SizeText(uint64_t size) {
  // Built from the right, three digits at a time.
  char buffer[32];
  char* end = buffer + sizeof buffer;
  char* p = end;
  int digits = 0;
  do {
    if (digits > 0 && digits % 3 == 0) *--p = ' ';
    *--p = static_cast<char>('0' + size % 10);
    size /= 10;
    ++digits;
  } while (size != 0);
  return std::string(p, end);
}

std::string DateText(const LocalDateTime& time) {
  const int year = ((time.year % 100) + 100) % 100;
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%02i.%02i.%02i %02i:%02i", time.day, time.month, year,
                time.hour, time.minute);
  return buffer;
}

std::string AttributeText(uint32_t attributes) {
  std::string text = "rahs";
  const uint32_t bits[] = {kAttrReadOnly, kAttrArchive, kAttrHidden, kAttrSystem};
  for (size_t i = 0; i < text.size(); ++i) {
    if ((attributes & bits[i]) == 0) text[i] = '-';
  }
  return text;
}

std::string NameColumnText(const PanelEntry& entry) {
  return entry.IsParent() ? kParentRowText : entry.name;
}

std::string SizeColumnText(const PanelEntry& entry) {
  return entry.IsFile() || (entry.IsFolder() && entry.sizeCounted) ? SizeText(entry.size) : kFolderSizeText;
}

std::string DateColumnText(const PanelEntry& entry, const LocalDateTime& localWriteTime) {
  return entry.IsParent() ? std::string() : DateText(localWriteTime);
}

std::string AttributeColumnText(const PanelEntry& entry) {
  return entry.IsParent() ? std::string() : AttributeText(entry.attributes);
}

}  // namespace px
