// Pictures for the viewer through the platform's imaging component: the
// first frame of a PNG, JPEG, GIF, BMP, TIFF or ICO file, decoded and scaled
// off the window's thread, composed onto the viewer's background.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace px {

// Whether the viewer opens a file as a picture: by its extension.
bool IsPictureName(const std::string& path);

struct Picture {
  int width = 0;  // of the pixels held
  int height = 0;
  int sourceWidth = 0;  // of the picture in the file
  int sourceHeight = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top down
  HRESULT error = S_OK;          // why nothing could be had
  bool Ok() const { return error == S_OK && width > 0 && height > 0; }
};

// At most this many pixels are held (a picture larger than that at its
// actual size is scaled down to it).
constexpr uint64_t kMaxPicturePixels = 64ull << 20;

// Decodes the picture at path. fitWidth and fitHeight > 0: scaled to fit
// them with the aspect kept (never enlarged); 0: the actual size. Pixels with
// alpha are laid over background (0x00RRGGBB). stop is looked at between
// strips of rows; when it is set the result is E_ABORT. Initialises COM on
// the calling thread for the call's length.
Picture DecodePicture(const std::string& path, int fitWidth, int fitHeight, uint32_t background,
                      const std::atomic<bool>* stop);

}  // namespace px
