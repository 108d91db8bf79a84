// Owning handles for what the program creates and must free.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace px {

template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  void Reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }

 private:
  Handle handle_ = Traits::Invalid();
};

struct ImageListTraits {
  static HIMAGELIST Invalid() { return nullptr; }
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static void Close(HMENU h) { DestroyMenu(h); }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
struct BrushTraits {
  static HBRUSH Invalid() { return nullptr; }
  static void Close(HBRUSH h) { DeleteObject(h); }
};

struct FontTraits {
  static HFONT Invalid() { return nullptr; }
  static void Close(HFONT h) { DeleteObject(h); }
};

struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
struct BitmapTraits {
  static HBITMAP Invalid() { return nullptr; }
  static void Close(HBITMAP h) { DeleteObject(h); }
};
struct AcceleratorTraits {
  static HACCEL Invalid() { return nullptr; }
  static void Close(HACCEL h) { DestroyAcceleratorTable(h); }
};
// Threads and events: kernel handles whose "none" is null, not INVALID_HANDLE_VALUE.
struct KernelTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

using ImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;
using Menu = UniqueHandle<HMENU, MenuTraits>;
using FindHandle = UniqueHandle<HANDLE, FindTraits>;
using FileHandle = UniqueHandle<HANDLE, FileTraits>;
using Module = UniqueHandle<HMODULE, ModuleTraits>;
using Brush = UniqueHandle<HBRUSH, BrushTraits>;
using Font = UniqueHandle<HFONT, FontTraits>;
using Icon = UniqueHandle<HICON, IconTraits>;
using Bitmap = UniqueHandle<HBITMAP, BitmapTraits>;
using Accelerators = UniqueHandle<HACCEL, AcceleratorTraits>;
using ThreadHandle = UniqueHandle<HANDLE, KernelTraits>;
using EventHandle = UniqueHandle<HANDLE, KernelTraits>;

}  // namespace px
