// Pixels read back from what was drawn: a window's client area or an icon.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "settings/theme.h"

namespace sorla::testing {

// 32-bit pixels, top row first, each 0xAARRGGBB (GDI's BGRA in memory).
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  settings::Rgb rgb(int x, int y) const {
    const std::uint32_t p = at(x, y);
    return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
            static_cast<std::uint8_t>(p)};
  }
  std::uint8_t alpha(int x, int y) const { return static_cast<std::uint8_t>(at(x, y) >> 24); }
};

// The window's client area as it is on screen now.
std::optional<Image> capture_window(HWND hwnd);
// The colour bitmap of an icon, alpha included.
std::optional<Image> icon_pixels(HICON icon);

}  // namespace sorla::testing
