#include "tsf/window/layout.h"

#include <algorithm>
#include <cmath>

namespace sorla::window {
namespace {

constexpr double kBaseDpi = 96.0;
// Metrics at 96 DPI.
constexpr double kCandidateFont = 16, kNumberFont = 11, kFlagFont = 12;
constexpr double kPadding = 3;    // around the row
constexpr double kRowExtra = 4;   // row height beyond the sample word
constexpr double kCellSide = 9;   // inside a cell, left and right
constexpr double kNumberGap = 5;  // between number and word
constexpr double kCellGap = 2;    // between cells, and before the separator
constexpr double kFlagSide = 6;   // each side of the flag glyph
constexpr double kCaretGap = 4;   // between caret and window
constexpr double kSeparatorInset = 4;
constexpr double kCorner = 10;

}  // namespace

int round_half_away(double x) { return static_cast<int>(std::lround(x)); }

double scale_for_dpi(std::uint32_t dpi) {
  return std::max(static_cast<double>(dpi), kBaseDpi) / kBaseDpi;
}

int scaled(double units, double s) { return round_half_away(units * s); }

FontHeights font_heights(double s) {
  return {scaled(kCandidateFont, s), scaled(kNumberFont, s), scaled(kFlagFont, s)};
}

Layout lay_out(double s, std::span<const CellWidths> cells, int sample_height, int flag_width,
               int page_width) {
  const int p = scaled(kPadding, s);
  const int row = sample_height + scaled(kRowExtra, s);
  const int side = scaled(kCellSide, s);
  const int gap = scaled(kCellGap, s);

  Layout layout;
  int x = p;
  for (const CellWidths& widths : cells) {
    Cell cell;
    cell.rect.left = x;
    cell.rect.top = p;
    cell.rect.bottom = p + row;
    cell.number_x = x + side;
    cell.text_x = cell.number_x + widths.number + scaled(kNumberGap, s);
    cell.rect.right = cell.text_x + widths.word + side;
    layout.cells.push_back(cell);
    x = cell.rect.right + gap;
  }
  if (page_width > 0) {
    layout.page = {x, p, x + page_width + 2 * side, p + row};
    x = layout.page.right + gap;
  }
  layout.separator_x = x;
  layout.flag.left = layout.separator_x + std::max(scaled(1, s), 1);
  layout.flag.right = layout.flag.left + 2 * scaled(kFlagSide, s) + flag_width;
  layout.flag.top = p;
  layout.flag.bottom = p + row;
  layout.width = layout.flag.right + p;
  layout.height = row + 2 * p;
  return layout;
}

Point place(const Rect& caret, const Rect& work_area, int width, int height, double s) {
  const int g = scaled(kCaretGap, s);
  int y = caret.bottom + g;
  if (y + height > work_area.bottom) y = std::max(caret.top - g - height, work_area.top);
  const int x = std::max(std::min(caret.left, work_area.right - width), work_area.left);
  return {x, y};
}

Span separator_span(const Layout& layout, double s) {
  const int inset = scaled(kSeparatorInset, s);
  return {layout.flag.top + inset, layout.flag.bottom - inset};
}

int highlight_corner(double s) { return scaled(kCorner, s); }

std::optional<Click> hit_test(const Layout& layout, Point p) {
  for (std::size_t i = 0; i < layout.cells.size(); ++i) {
    if (layout.cells[i].rect.contains(p)) return Click{Click::Target::Candidate, i};
  }
  if (layout.flag.contains(p)) return Click{Click::Target::Flag, 0};
  return std::nullopt;
}

}  // namespace sorla::window
