// The candidate window's geometry: scale, font heights, cells, placement and
// hit testing. Plain numbers in, plain numbers out, so every rule can be
// checked without a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sorla::window {

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

// Left and top inclusive, right and bottom exclusive; screen or client pixels.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool operator==(const Rect&) const = default;
};

// Rounds to the nearest integer, halves away from zero (16.5 gives 17).
int round_half_away(double x);
// Scale for a monitor's DPI; never below 1, so a 72-DPI monitor gets 1.
double scale_for_dpi(std::uint32_t dpi);
// A 96-DPI metric at scale s: r(units * s).
int scaled(double units, double s);

// Pixel heights of the three fonts (created with the negated height).
struct FontHeights {
  int candidate = 0, number = 0, flag = 0;
  bool operator==(const FontHeights&) const = default;
};
FontHeights font_heights(double s);

// Measured text widths of one cell: its number label and its word.
struct CellWidths {
  int number = 0, word = 0;
};

struct Cell {
  Rect rect;
  int number_x = 0;  // where the number label starts
  int text_x = 0;    // where the word starts
  bool operator==(const Cell&) const = default;
};

struct Layout {
  std::vector<Cell> cells;
  Rect page;  // where "1/3" stands after the cells; empty with one page
  int separator_x = 0;
  Rect flag;
  int width = 0, height = 0;
  bool operator==(const Layout&) const = default;
};

// `sample_height` is the measured height of the sample word in the candidate
// font, `flag_width` the measured width of the flag glyph, `page_width` that
// of the page label ("1/3"; 0 for none).
Layout lay_out(double s, std::span<const CellWidths> cells, int sample_height, int flag_width,
               int page_width = 0);

// The window's top-left corner for a caret rectangle: below the caret, or
// above it when there is no room below, pulled inside the work area.
Point place(const Rect& caret, const Rect& work_area, int width, int height, double s);

// The vertical extent of the separator line: [top, bottom).
struct Span {
  int top = 0, bottom = 0;
};
Span separator_span(const Layout& layout, double s);
// Width and height of the corner ellipse of the selected cell's highlight.
int highlight_corner(double s);

// What a click on the window picked.
struct Click {
  enum class Target { Candidate, Flag };
  Target target = Target::Candidate;
  std::size_t index = 0;  // the candidate's index (0-based); 0 for the flag
  bool operator==(const Click&) const = default;
};

// The first cell containing the point, else the flag, else nothing (the gaps
// between cells, the separator and the margins).
std::optional<Click> hit_test(const Layout& layout, Point p);

}  // namespace sorla::window
