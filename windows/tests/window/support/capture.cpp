#include "support/capture.h"

#include <cstring>

#include "tsf/window/gdi.h"

namespace sorla::testing {
namespace {

BITMAPINFO top_down_32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

std::optional<Image> capture_window(HWND hwnd) {
  RECT client{};
  if (!GetClientRect(hwnd, &client)) return std::nullopt;
  Image image{client.right, client.bottom, {}};
  if (image.width <= 0 || image.height <= 0) return std::nullopt;
  gdi::WindowDc source(hwnd);
  gdi::MemoryDc dc(source.get());
  BITMAPINFO info = top_down_32(image.width, image.height);
  void* bits = nullptr;
  gdi::Bitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!source || !dc || !bitmap || !bits) return std::nullopt;
  {
    gdi::Select bitmap_in(dc.get(), bitmap.get());
    if (!BitBlt(dc.get(), 0, 0, image.width, image.height, source.get(), 0, 0, SRCCOPY)) {
      return std::nullopt;
    }
    GdiFlush();
  }
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  std::memcpy(image.pixels.data(), bits, image.pixels.size() * sizeof(std::uint32_t));
  return image;
}

std::optional<Image> icon_pixels(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return std::nullopt;
  gdi::Bitmap color(info.hbmColor), mask(info.hbmMask);
  BITMAP bm{};
  if (!color || !GetObjectW(color.get(), sizeof bm, &bm)) return std::nullopt;
  Image image{bm.bmWidth, bm.bmHeight, {}};
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  BITMAPINFO dib = top_down_32(image.width, image.height);
  gdi::MemoryDc dc(nullptr);
  if (GetDIBits(dc.get(), color.get(), 0, image.height, image.pixels.data(), &dib,
                DIB_RGB_COLORS) != image.height) {
    return std::nullopt;
  }
  return image;
}

}  // namespace sorla::testing
