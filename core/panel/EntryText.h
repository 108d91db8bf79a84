// The texts a panel row shows in its four columns.
#pragma once

#include <cstdint>
#include <string>

#include "core/panel/EntryTable.h"

namespace px {

enum Column { kColumnName = 0, kColumnSize = 1, kColumnDate = 2, kColumnAttributes = 3 };

// Local date and time of a last write, as the platform converts it.
struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// Digits in groups of three separated by one blank: 1 234 567.
std::string SizeText(uint64_t size);
// "dd.mm.yy hh:mm".
std::string DateText(const LocalDateTime& time);
// Four characters r, a, h, s, each "-" when the attribute is absent.
std::string AttributeText(uint32_t attributes);

extern const char kParentRowText[];  // "..    "
extern const char kFolderSizeText[]; // "<DIR>"

// Column texts of an entry; the parent row shows no date and no attributes.
std::string NameColumnText(const PanelEntry& entry);
std::string SizeColumnText(const PanelEntry& entry);
// localWriteTime is the entry's writeTime converted to local time by the platform.
std::string DateColumnText(const PanelEntry& entry, const LocalDateTime& localWriteTime);
std::string AttributeColumnText(const PanelEntry& entry);

}  // namespace px
