#include "tsf/langbar/icon.h"

#include <algorithm>

#include "settings/settings.h"
#include "tsf/window/gdi.h"
#include "tsf/window/layout.h"

namespace sorla::langbar {
namespace {

constexpr wchar_t kEnglish[] = L"ENG";
constexpr wchar_t kKha[] = L"\u1781";

HRESULT last_error() {
  const DWORD error = GetLastError();
  return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

int icon_size(int small_icon_metric) { return std::max(small_icon_metric, 16); }

int icon_glyph_height(bool english, int size) {
  return window::round_half_away(size * (english ? 0.55 : 0.95));
}

void coverage_to_glyph(std::span<std::uint32_t> pixels, bool light_taskbar) {
  for (std::uint32_t& pixel : pixels) {
    const std::uint32_t coverage =
        std::max({pixel & 0xFFu, (pixel >> 8) & 0xFFu, (pixel >> 16) & 0xFFu});
    const std::uint32_t shade = light_taskbar ? 0 : coverage;
    pixel = (coverage << 24) | (shade << 16) | (shade << 8) | shade;
  }
}

HRESULT draw_mode_icon(bool english, bool light_taskbar, int size, HICON* icon) {
  if (!icon) return E_INVALIDARG;
  *icon = nullptr;
  gdi::Bitmap color;
  {
    gdi::MemoryDc dc(nullptr);
    if (!dc) return last_error();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    color = gdi::Bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color || !bits) return last_error();
    {
      gdi::Select bitmap_in(dc.get(), color.get());
      const gdi::Font font = gdi::make_font(icon_glyph_height(english, size), FW_SEMIBOLD,
                                            english ? L"Segoe UI" : L"Leelawadee UI");
      {
        gdi::Select font_in(dc.get(), font.get());
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), RGB(255, 255, 255));
        RECT rect{0, 0, size, size};
        DrawTextW(dc.get(), english ? kEnglish : kKha, -1, &rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      }
      GdiFlush();
      coverage_to_glyph({static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(size) * size},
                        light_taskbar);
    }
  }
  gdi::Bitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
  if (!mask) return last_error();
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask.get();
  info.hbmColor = color.get();
  *icon = CreateIconIndirect(&info);
  return *icon ? S_OK : last_error();
}

HRESULT draw_mode_icon(bool english, HICON* icon) {
  return draw_mode_icon(english, settings::read_taskbar_light(),
                        icon_size(GetSystemMetrics(SM_CXSMICON)), icon);
}

}  // namespace sorla::langbar
