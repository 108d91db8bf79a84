// Loading the icon libraries into image lists, blank where an icon is missing.
#include "ui/IconLibrary.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/TextFiles.h"

namespace px {

namespace {

// Transparent everywhere: the AND mask all ones, the colour bits all zero.
Icon BlankIcon(int width, int height) {
  size_t rowBytes = static_cast<size_t>((width + 15) / 16 * 2);
  std::vector<BYTE> andBits(rowBytes * static_cast<size_t>(height), 0xFF);
  std::vector<BYTE> xorBits(rowBytes * static_cast<size_t>(height), 0x00);
  return Icon(CreateIcon(nullptr, width, height, 1, 1, andBits.data(), xorBits.data()));
}

// The directory of an icon group resource as it is stored (packed, 2-byte
// aligned): a header, then one entry per image.
#pragma pack(push, 2)
struct GroupHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
struct GroupEntry {
  BYTE width;  // 0 for 256
  BYTE height;
  BYTE colours;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytes;
  WORD id;  // of the RT_ICON resource
};
#pragma pack(pop)

int EntrySide(BYTE side) { return side == 0 ? 256 : side; }

// The image of group `id` to shrink to width by height: the smallest at least
// that large, else the largest; 0 when the group is drawn at exactly that
// size (the platform picks it) or cannot be read.
WORD ImageToShrink(HMODULE library, int id, int width, int height) {
  HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
  HGLOBAL loaded = found != nullptr ? LoadResource(library, found) : nullptr;
  const auto* bytes = static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  DWORD size = found != nullptr ? SizeofResource(library, found) : 0;
  if (bytes == nullptr || size < sizeof(GroupHeader)) return 0;
  const auto* header = reinterpret_cast<const GroupHeader*>(bytes);
  const auto* entries = reinterpret_cast<const GroupEntry*>(bytes + sizeof(GroupHeader));
  size_t count = std::min<size_t>(header->count, (size - sizeof(GroupHeader)) / sizeof(GroupEntry));
  const GroupEntry* larger = nullptr;
  const GroupEntry* largest = nullptr;
  for (size_t i = 0; i < count; ++i) {
    const GroupEntry& entry = entries[i];
    int w = EntrySide(entry.width), h = EntrySide(entry.height);
    if (w == width && h == height) return 0;
    if (largest == nullptr || w * h > EntrySide(largest->width) * EntrySide(largest->height))
      largest = &entry;
    if (w >= width && h >= height &&
        (larger == nullptr || w * h < EntrySide(larger->width) * EntrySide(larger->height)))
      larger = &entry;
  }
  const GroupEntry* chosen = larger != nullptr ? larger : largest;
  return chosen != nullptr ? chosen->id : 0;
}

// Icon `id` at width by height. LoadImageW picks an image drawn at that size;
// between drawn sizes it would stretch the nearest, which may be a smaller
// one: a picture is shrunk from a larger image instead, never blown up.
Icon LoadLibraryIcon(HMODULE library, int id, int width, int height) {
  WORD image = ImageToShrink(library, id, width, height);
  if (image != 0) {
    HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(image), RT_ICON);
    HGLOBAL loaded = found != nullptr ? LoadResource(library, found) : nullptr;
    auto* bits = static_cast<BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (bits != nullptr) {
      Icon shrunk(CreateIconFromResourceEx(bits, SizeofResource(library, found), TRUE, 0x00030000,
                                           width, height, LR_DEFAULTCOLOR));
      if (shrunk) return shrunk;
    }
  }
  return Icon(static_cast<HICON>(
      LoadImageW(library, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0)));
}

}  // namespace

std::string CompanionPath(const std::string& startDirectory, const char* tail) {
  std::string path = startDirectory;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path + tail;
}

ImageList LoadLibraryIcons(const std::string& libraryPath, int width, int height, int firstId,
                           int count) {
  ImageList images(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, count, 0));
  if (!images) return images;
  // As data only: no code of the library runs, and a file that is no
  // library at all simply fails to load.
  Module library(LoadLibraryExW(FileApiPath(libraryPath).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  Icon blank;
  for (int id = firstId; id < firstId + count; ++id) {
    Icon icon;
    if (library) icon = LoadLibraryIcon(library.Get(), id, width, height);
    if (!icon || ImageList_AddIcon(images.Get(), icon.Get()) < 0) {
      if (!blank) blank = BlankIcon(width, height);
      ImageList_AddIcon(images.Get(), blank.Get());
    }
  }
  return images;
}

}  // namespace px
