// The candidate window's geometry rules, without a window.
#include "tsf/window/layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace sorla::window {
namespace {

TEST(WindowScale, RoundsHalvesAwayFromZeroAndNeverShrinks) {
  EXPECT_EQ(round_half_away(16.5), 17);
  EXPECT_EQ(round_half_away(4.5), 5);
  EXPECT_EQ(round_half_away(1.5), 2);
  EXPECT_EQ(round_half_away(2.49), 2);
  EXPECT_EQ(round_half_away(-2.5), -3);

  EXPECT_EQ(scale_for_dpi(72), 1.0);
  EXPECT_EQ(scale_for_dpi(0), 1.0);
  EXPECT_EQ(scale_for_dpi(96), 1.0);
  EXPECT_EQ(scale_for_dpi(120), 1.25);
  EXPECT_EQ(scale_for_dpi(144), 1.5);

  EXPECT_EQ(font_heights(1.0), (FontHeights{16, 11, 12}));
  EXPECT_EQ(font_heights(1.5), (FontHeights{24, 17, 18}));
  EXPECT_EQ(highlight_corner(1.5), 15);
}

TEST(WindowLayout, At96DpiCellsHaveNinePixelSidesAndTwoPixelGaps) {
  const std::vector<CellWidths> widths{{7, 30}, {7, 41}, {8, 25}};
  const Layout layout = lay_out(1.0, widths, 20, 10);
  ASSERT_EQ(layout.cells.size(), 3u);
  // p = 3, R = 24.
  EXPECT_EQ(layout.cells[0], (Cell{{3, 3, 63, 27}, 12, 24}));
  EXPECT_EQ(layout.cells[1], (Cell{{65, 3, 136, 27}, 74, 86}));
  EXPECT_EQ(layout.cells[2], (Cell{{138, 3, 194, 27}, 147, 160}));
  EXPECT_EQ(layout.separator_x, 196);
  EXPECT_EQ(layout.flag, (Rect{197, 3, 219, 27}));
  EXPECT_EQ(layout.width, 222);
  EXPECT_EQ(layout.height, 20 + 4 + 6);
  const Span line = separator_span(layout, 1.0);
  EXPECT_EQ(line.top, 7);
  EXPECT_EQ(line.bottom, 23);
}

// The page label ("1/3") sits after the cells like one more cell without a
// number, and a click on it picks nothing.
TEST(WindowLayout, ThePageLabelComesBeforeTheSeparator) {
  const std::vector<CellWidths> widths{{7, 30}, {7, 41}, {8, 25}};
  const Layout layout = lay_out(1.0, widths, 20, 10, 20);
  EXPECT_EQ(layout.cells[2], (Cell{{138, 3, 194, 27}, 147, 160}));
  EXPECT_EQ(layout.page, (Rect{196, 3, 234, 27}));
  EXPECT_EQ(layout.separator_x, 236);
  EXPECT_EQ(layout.flag, (Rect{237, 3, 259, 27}));
  EXPECT_EQ(layout.width, 262);
  EXPECT_EQ(hit_test(layout, {200, 10}), std::nullopt);
  EXPECT_EQ(lay_out(1.0, widths, 20, 10).page, Rect{});
}

TEST(WindowLayout, At144DpiEveryMetricIsScaledAndRounded) {
  const std::vector<CellWidths> widths{{10, 40}, {11, 50}};
  const Layout layout = lay_out(1.5, widths, 30, 15);
  ASSERT_EQ(layout.cells.size(), 2u);
  // p = 5, R = 36, sides r(13.5) = 14, number gap r(7.5) = 8, cell gap 3.
  EXPECT_EQ(layout.cells[0], (Cell{{5, 5, 91, 41}, 19, 37}));
  EXPECT_EQ(layout.cells[1], (Cell{{94, 5, 191, 41}, 108, 127}));
  EXPECT_EQ(layout.separator_x, 194);
  // Separator width r(1.5) = 2, flag sides r(9) = 9.
  EXPECT_EQ(layout.flag, (Rect{196, 5, 229, 41}));
  EXPECT_EQ(layout.width, 234);
  EXPECT_EQ(layout.height, 46);
}

TEST(WindowLayout, WithoutCandidatesOnlyTheFlagRemains) {
  const Layout layout = lay_out(1.0, {}, 20, 10);
  EXPECT_TRUE(layout.cells.empty());
  EXPECT_EQ(layout.separator_x, 3);
  EXPECT_EQ(layout.flag, (Rect{4, 3, 26, 27}));
  EXPECT_EQ(layout.width, 29);
}

TEST(WindowPlacement, StaysInsideTheWorkArea) {
  const Rect work{0, 0, 1280, 1000};
  // Below the caret, g = 4 at 96 DPI and r(6) = 6 at 144.
  EXPECT_EQ(place({100, 200, 110, 220}, work, 300, 30, 1.0), (Point{100, 224}));
  EXPECT_EQ(place({100, 200, 110, 220}, work, 300, 30, 1.5), (Point{100, 226}));
  // Near the bottom: above the caret's top.
  EXPECT_EQ(place({100, 960, 110, 980}, work, 300, 30, 1.0), (Point{100, 926}));
  // Exactly fitting below stays below.
  EXPECT_EQ(place({100, 950, 110, 966}, work, 300, 30, 1.0), (Point{100, 970}));
  // No room above either: never above the work area's top.
  EXPECT_EQ(place({100, 10, 110, 990}, work, 300, 30, 1.0), (Point{100, 0}));
  // Near the right edge: the window's right edge meets the work area's.
  EXPECT_EQ(place({1200, 200, 1210, 220}, work, 300, 30, 1.0), (Point{980, 224}));
  // Left of the work area: at its left edge.
  const Rect second{1280, 0, 2560, 1000};
  EXPECT_EQ(place({1000, 200, 1010, 220}, second, 300, 30, 1.0), (Point{1280, 224}));
}

TEST(WindowHitTest, CellsAndFlagButNotGapsOrSeparator) {
  const std::vector<CellWidths> widths{{7, 30}, {7, 41}, {8, 25}};
  const Layout layout = lay_out(1.0, widths, 20, 10);
  using T = Click::Target;
  EXPECT_EQ(hit_test(layout, {150, 15}), (Click{T::Candidate, 2}));
  EXPECT_EQ(hit_test(layout, {3, 3}), (Click{T::Candidate, 0}));
  // Right and bottom edges are outside.
  EXPECT_EQ(hit_test(layout, {62, 26}), (Click{T::Candidate, 0}));
  EXPECT_EQ(hit_test(layout, {30, 27}), std::nullopt);
  // The 2-pixel gap between the first two cells.
  EXPECT_EQ(hit_test(layout, {63, 15}), std::nullopt);
  EXPECT_EQ(hit_test(layout, {64, 15}), std::nullopt);
  EXPECT_EQ(hit_test(layout, {65, 15}), (Click{T::Candidate, 1}));
  // The separator, and the margin around the row.
  EXPECT_EQ(hit_test(layout, {196, 15}), std::nullopt);
  EXPECT_EQ(hit_test(layout, {1, 15}), std::nullopt);
  EXPECT_EQ(hit_test(layout, {100, 1}), std::nullopt);
  EXPECT_EQ(hit_test(layout, {197, 15}), (Click{T::Flag, 0}));
  EXPECT_EQ(hit_test(layout, {218, 26}), (Click{T::Flag, 0}));
  EXPECT_EQ(hit_test(layout, {219, 15}), std::nullopt);
}

}  // namespace
}  // namespace sorla::window
