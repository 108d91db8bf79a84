// The marks of a panel and what they add up to (see the header).
#include "core/panel/SelectionSummary.h"

namespace px {

bool SelectionFigures::operator==(const SelectionFigures& o) const {
  return markedFiles == o.markedFiles && files == o.files && markedFolders == o.markedFolders &&
         folders == o.folders && markedBytes == o.markedBytes && bytes == o.bytes &&
         markedFoldersCounted == o.markedFoldersCounted && foldersCounted == o.foldersCounted;
}

void SelectionSummary::Reset(const EntryTable& table) {
  const size_t count = table.entries.size();
  bytes_.assign(count, 0);
  flags_.assign(count, 0);
  figures_ = SelectionFigures();
  for (size_t i = 0; i < count; ++i) {
    const PanelEntry& entry = table.entries[i];
    if (entry.IsFile()) {
      flags_[i] = kFile;
      bytes_[i] = entry.size;
      ++figures_.files;
      figures_.bytes += entry.size;
    } else if (entry.IsFolder()) {
      flags_[i] = kFolder;
      ++figures_.folders;
    }
  }
}

bool SelectionSummary::Mark(uint32_t entry) {
  const uint8_t flags = FlagsOf(entry);
  if ((flags & (kFile | kFolder)) == 0 || (flags & kMarked) != 0) return false;
  flags_[entry] |= kMarked;
  if (flags & kFile) {
    ++figures_.markedFiles;
  } else {
    ++figures_.markedFolders;
    if (flags & kCounted) ++figures_.markedFoldersCounted;
  }
  figures_.markedBytes += bytes_[entry];
  return true;
}

bool SelectionSummary::Unmark(uint32_t entry) {
  const uint8_t flags = FlagsOf(entry);
  if ((flags & kMarked) == 0) return false;
  flags_[entry] &= static_cast<uint8_t>(~kMarked);
  if (flags & kFile) {
    --figures_.markedFiles;
  } else {
    --figures_.markedFolders;
    if (flags & kCounted) --figures_.markedFoldersCounted;
  }
  figures_.markedBytes -= bytes_[entry];
  return true;
}

bool SelectionSummary::IsMarked(uint32_t entry) const { return (FlagsOf(entry) & kMarked) != 0; }

void SelectionSummary::UnmarkAll() {
  for (uint8_t& flags : flags_) flags &= static_cast<uint8_t>(~kMarked);
  figures_.markedFiles = 0;
  figures_.markedFolders = 0;
  figures_.markedBytes = 0;
  figures_.markedFoldersCounted = 0;
}

bool SelectionSummary::SetFolderSize(uint32_t entry, uint64_t bytes) {
  const uint8_t flags = FlagsOf(entry);
  if ((flags & kFolder) == 0) return false;
  const bool marked = (flags & kMarked) != 0;
  // Unsigned sums wrap alike both ways, so taking the old size off and
  // adding the new one leaves them as a fresh count would.
  figures_.bytes += bytes - bytes_[entry];
  if (marked) figures_.markedBytes += bytes - bytes_[entry];
  if ((flags & kCounted) == 0) {
    ++figures_.foldersCounted;
    if (marked) ++figures_.markedFoldersCounted;
  }
  bytes_[entry] = bytes;
  flags_[entry] |= kCounted;
  return true;
}

bool SelectionSummary::ForgetFolderSize(uint32_t entry) {
  const uint8_t flags = FlagsOf(entry);
  if ((flags & kCounted) == 0) return false;
  const bool marked = (flags & kMarked) != 0;
  figures_.bytes -= bytes_[entry];
  --figures_.foldersCounted;
  if (marked) {
    figures_.markedBytes -= bytes_[entry];
    --figures_.markedFoldersCounted;
  }
  bytes_[entry] = 0;
  flags_[entry] &= static_cast<uint8_t>(~kCounted);
  return true;
}

bool SelectionSummary::FolderSizeKnown(uint32_t entry) const {
  return (FlagsOf(entry) & kCounted) != 0;
}

}  // namespace px
