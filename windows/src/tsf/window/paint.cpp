#include "tsf/window/paint.h"

#include <algorithm>

#include "tsf/window/gdi.h"

namespace sorla::window {
namespace {

constexpr UINT kCellText = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr UINT kFlagText = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr wchar_t kFlag[] = L"\u2691";

void fill(HDC dc, RECT rect, COLORREF color) {
  gdi::Brush brush(CreateSolidBrush(color));
  FillRect(dc, &rect, brush.get());
}

void draw_text(HDC dc, const std::wstring& text, HFONT font, COLORREF color, RECT rect,
               UINT format) {
  gdi::Select font_in(dc, font);
  SetTextColor(dc, color);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

void paint_cells(HDC dc, const PaintData& data) {
  const auto& c = data.colors;
  const std::size_t count = std::min(data.layout.cells.size(), data.candidates.size());
  for (std::size_t i = 0; i < count; ++i) {
    const Cell& cell = data.layout.cells[i];
    const bool selected = i == data.selected;
    if (selected) {
      gdi::Brush brush(CreateSolidBrush(to_colorref(c.accent)));
      gdi::Pen pen(CreatePen(PS_SOLID, 1, to_colorref(c.accent)));
      gdi::Select brush_in(dc, brush.get());
      gdi::Select pen_in(dc, pen.get());
      const int corner = highlight_corner(data.scale);
      RoundRect(dc, cell.rect.left, cell.rect.top, cell.rect.right, cell.rect.bottom, corner,
                corner);
    }
    const COLORREF number_color = to_colorref(selected ? c.text_on_accent : c.dim_text);
    const COLORREF word_color = to_colorref(selected ? c.text_on_accent : c.text);
    draw_text(dc, std::to_wstring(i + 1), data.fonts->number(), number_color,
              {cell.number_x, cell.rect.top, cell.text_x, cell.rect.bottom}, kCellText);
    draw_text(dc, data.candidates[i], data.fonts->candidate(), word_color,
              {cell.text_x, cell.rect.top, cell.rect.right, cell.rect.bottom}, kCellText);
  }
}

}  // namespace

COLORREF to_colorref(settings::Rgb rgb) { return RGB(rgb.r, rgb.g, rgb.b); }

void paint(HDC target, const PaintData& data) {
  const int width = data.layout.width, height = data.layout.height;
  if (width <= 0 || height <= 0 || !data.fonts) return;
  gdi::MemoryDc dc(target);
  gdi::Bitmap bitmap(CreateCompatibleBitmap(target, width, height));
  if (!dc || !bitmap) return;
  gdi::Select bitmap_in(dc.get(), bitmap.get());

  const auto& c = data.colors;
  fill(dc.get(), {0, 0, width, height}, to_colorref(c.background));
  SetBkMode(dc.get(), TRANSPARENT);
  if (data.own_border) {
    gdi::Brush border(CreateSolidBrush(to_colorref(c.border)));
    const RECT whole{0, 0, width, height};
    FrameRect(dc.get(), &whole, border.get());
  }
  const Span line = separator_span(data.layout, data.scale);
  if (line.bottom > line.top) {
    fill(dc.get(), {data.layout.separator_x, line.top, data.layout.separator_x + 1, line.bottom},
         to_colorref(c.border));
  }
  paint_cells(dc.get(), data);
  if (!data.page.empty()) {
    const Rect& page = data.layout.page;
    draw_text(dc.get(), data.page, data.fonts->number(), to_colorref(c.dim_text),
              {page.left, page.top, page.right, page.bottom}, kFlagText);
  }
  const Rect& flag = data.layout.flag;
  draw_text(dc.get(), kFlag, data.fonts->flag(), to_colorref(c.dim_text),
            {flag.left, flag.top, flag.right, flag.bottom}, kFlagText);

  BitBlt(target, 0, 0, width, height, dc.get(), 0, 0, SRCCOPY);
}

}  // namespace sorla::window
