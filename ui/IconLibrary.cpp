// Loading the icon libraries into image lists, blank where an icon is missing.
#include "ui/IconLibrary.h"

#include <commctrl.h>

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

}  // namespace

std::string CompanionPath(const std::string& startDirectory, const char* tail) {
  std::string path = startDirectory;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path + tail;
}

ImageList LoadLibraryIcons(const std::string& libraryPath, int width, int height, int firstId,
                           int count) {
  ImageList images(ImageList_Create(width, height, ILC_COLOR16 | ILC_MASK, count, 0));
  if (!images) return images;
  // As data only: no code of the library runs, and a file that is no
  // library at all simply fails to load.
  Module library(LoadLibraryExW(FileApiPath(libraryPath).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  Icon blank;
  for (int id = firstId; id < firstId + count; ++id) {
    Icon icon;
    if (library) {
      icon.Reset(static_cast<HICON>(
          LoadImageW(library.Get(), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0)));
    }
    if (!icon || ImageList_AddIcon(images.Get(), icon.Get()) < 0) {
      if (!blank) blank = BlankIcon(width, height);
      ImageList_AddIcon(images.Get(), blank.Get());
    }
  }
  return images;
}

}  // namespace px
