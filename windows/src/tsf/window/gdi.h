// Owners for GDI handles: each releases its handle the one right way.
#pragma once

#include <windows.h>

#include <utility>

namespace sorla::gdi {

// A font, brush, pen or bitmap, deleted with DeleteObject.
template <class H>
class Object {
 public:
  Object() noexcept = default;
  explicit Object(H h) noexcept : h_(h) {}
  Object(Object&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  Object& operator=(Object&& other) noexcept {
    if (this != &other) {
      reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  ~Object() { reset(); }

  H get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != nullptr; }
  H release() noexcept { return std::exchange(h_, nullptr); }
  void reset() noexcept {
    if (H h = std::exchange(h_, nullptr)) DeleteObject(h);
  }

 private:
  H h_ = nullptr;
};

using Font = Object<HFONT>;
using Brush = Object<HBRUSH>;
using Pen = Object<HPEN>;
using Bitmap = Object<HBITMAP>;

// A memory device context, deleted with DeleteDC.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatible) noexcept : dc_(CreateCompatibleDC(compatible)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back on destruction.
class Select {
 public:
  Select(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
  Select(const Select&) = delete;
  Select& operator=(const Select&) = delete;
  ~Select() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The parameters both the candidate window and the language-bar icon use.
inline Font make_font(int pixel_height, int weight, const wchar_t* face) noexcept {
  return Font(CreateFontW(-pixel_height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace sorla::gdi
