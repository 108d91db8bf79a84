// Pictures for the viewer (see the header).
#include "viewer/PictureDecoder.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>

#include "framework/TextFiles.h"

namespace px {

namespace {

constexpr const char* kPictureExtensions[] = {".png", ".jpg", ".jpeg", ".jpe", ".jfif", ".gif",
                                              ".bmp", ".dib", ".tif", ".tiff", ".ico"};
constexpr UINT kStripRows = 256;

// Releases a COM interface when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_ != nullptr) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Put() { return &p_; }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

 private:
  T* p_ = nullptr;
};

class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

uint32_t Over(uint32_t premultiplied, uint32_t background) {
  const uint32_t alpha = premultiplied >> 24;
  if (alpha == 255) return premultiplied & 0xFFFFFF;
  const uint32_t rest = 255 - alpha;
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t channel = ((premultiplied >> shift) & 0xFF) + ((background >> shift) & 0xFF) * rest / 255;
    out |= std::min<uint32_t>(channel, 255) << shift;
  }
  return out;
}

}  // namespace

bool IsPictureName(const std::string& path) {
  const size_t dot = path.find_last_of(".\\");
  if (dot == std::string::npos || path[dot] != '.') return false;
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return std::find_if(std::begin(kPictureExtensions), std::end(kPictureExtensions),
                      [&extension](const char* known) { return extension == known; }) != std::end(kPictureExtensions);
}

Picture DecodePicture(const std::string& path, int fitWidth, int fitHeight, uint32_t background,
                      const std::atomic<bool>* stop) {
  Picture picture;
  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Put()));
  ComPtr<IWICBitmapDecoder> decoder;
  if (SUCCEEDED(hr))
    hr = factory->CreateDecoderFromFilename(FileApiPath(path).c_str(), nullptr, GENERIC_READ,
                                            WICDecodeMetadataCacheOnDemand, decoder.Put());
  ComPtr<IWICBitmapFrameDecode> frame;
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, frame.Put());
  UINT width = 0, height = 0;
  if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
  if (SUCCEEDED(hr) && (width == 0 || height == 0)) hr = WINCODEC_ERR_BADIMAGE;
  if (FAILED(hr)) {
    picture.error = hr;
    return picture;
  }
  picture.sourceWidth = static_cast<int>(width);
  picture.sourceHeight = static_cast<int>(height);
  double scale = 1.0;
  if (fitWidth > 0 && fitHeight > 0)
    scale = std::min({1.0, static_cast<double>(fitWidth) / width, static_cast<double>(fitHeight) / height});
  const double pixels = scale * scale * width * height;
  if (pixels > static_cast<double>(kMaxPicturePixels)) scale *= std::sqrt(kMaxPicturePixels / pixels);
  const UINT outWidth = std::max<UINT>(1, static_cast<UINT>(std::lround(width * scale)));
  const UINT outHeight = std::max<UINT>(1, static_cast<UINT>(std::lround(height * scale)));

  ComPtr<IWICFormatConverter> converter;
  hr = factory->CreateFormatConverter(converter.Put());
  if (SUCCEEDED(hr))
    hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
  IWICBitmapSource* source = converter.Get();
  ComPtr<IWICBitmapScaler> scaler;
  if (SUCCEEDED(hr) && (outWidth != width || outHeight != height)) {
    hr = factory->CreateBitmapScaler(scaler.Put());
    if (SUCCEEDED(hr)) hr = scaler->Initialize(converter.Get(), outWidth, outHeight, WICBitmapInterpolationModeFant);
    source = scaler.Get();
  }
  if (FAILED(hr)) {
    picture.error = hr;
    return picture;
  }
  picture.pixels.resize(static_cast<size_t>(outWidth) * outHeight);
  const UINT stride = outWidth * 4;
  for (UINT row = 0; row < outHeight && SUCCEEDED(hr); row += kStripRows) {
    if (stop != nullptr && stop->load()) {
      hr = E_ABORT;
      break;
    }
    const UINT rows = std::min(kStripRows, outHeight - row);
    const WICRect strip{0, static_cast<INT>(row), static_cast<INT>(outWidth), static_cast<INT>(rows)};
    hr = source->CopyPixels(&strip, stride, stride * rows,
                            reinterpret_cast<BYTE*>(picture.pixels.data() + static_cast<size_t>(row) * outWidth));
  }
  if (FAILED(hr)) {
    picture.pixels.clear();
    picture.error = hr;
    return picture;
  }
  for (uint32_t& pixel : picture.pixels) pixel = Over(pixel, background);
  picture.width = static_cast<int>(outWidth);
  picture.height = static_cast<int>(outHeight);
  return picture;
}

}  // namespace px
