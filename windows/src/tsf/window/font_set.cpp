#include "tsf/window/font_set.h"

#include "tsf/window/layout.h"

namespace sorla::window {

std::shared_ptr<const FontSet> FontSet::create(double scale) {
  const FontHeights heights = font_heights(scale);
  return std::make_shared<const FontSet>(
      scale, gdi::make_font(heights.candidate, FW_NORMAL, L"Leelawadee UI"),
      gdi::make_font(heights.number, FW_MEDIUM, L"Segoe UI"),
      gdi::make_font(heights.flag, FW_NORMAL, L"Segoe UI Symbol"));
}

}  // namespace sorla::window
