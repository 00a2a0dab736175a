// The language-bar icon, drawn at run time: the Khmer letter KHA in Khmer
// mode or "ENG" in English mode, black on a light taskbar and white on a
// dark one, with premultiplied alpha on a transparent background.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

namespace sorla::langbar {

// The icon's side: the small-icon metric, at least 16.
int icon_size(int small_icon_metric);
// The glyph's pixel height at that size.
int icon_glyph_height(bool english, int size);
// Turns white-on-black coverage (BGRA pixels as drawn) into a black or white
// glyph whose alpha is the coverage, premultiplied.
void coverage_to_glyph(std::span<std::uint32_t> pixels, bool light_taskbar);

// Draws the icon; the caller owns *icon. The HRESULT of the failing call
// otherwise.
HRESULT draw_mode_icon(bool english, bool light_taskbar, int size, HICON* icon);
// The same at the small-icon size, for the taskbar theme read now.
HRESULT draw_mode_icon(bool english, HICON* icon);

}  // namespace sorla::langbar
