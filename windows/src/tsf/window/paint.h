// What the window procedure paints from, and the painting itself.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "settings/theme.h"
#include "tsf/window/font_set.h"
#include "tsf/window/layout.h"

namespace sorla::window {

struct PaintData {
  std::vector<std::wstring> candidates;
  Layout layout;
  std::size_t selected = 0;
  std::wstring page;  // "1/3", or empty with one page
  settings::ThemeColors colors;
  double scale = 1;
  std::shared_ptr<const FontSet> fonts;
  bool own_border = false;
};

COLORREF to_colorref(settings::Rgb rgb);

// Draws the whole window into `target` through one off-screen bitmap and one
// BitBlt.
void paint(HDC target, const PaintData& data);

}  // namespace sorla::window
