// The decisions taken from the user's registry values: platform-free, so
// the defaults and the three different tests are checked directly.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace sorla::settings {

// A REG_DWORD as read: found is false for a missing key or value, or a value
// of another type.
struct DwordSetting {
  bool found = false;
  std::uint32_t value = 0;
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// The six colours of the candidate window.
struct ThemeColors {
  Rgb background, border, text, dim_text, accent, text_on_accent;
  bool operator==(const ThemeColors&) const = default;
};

// Only an explicit 0 turns the Shift tap off.
bool shift_switches_english(DwordSetting setting);
// Only an explicit 0 turns learning off.
bool learn_from_typing(DwordSetting setting);
// Only an explicit 0 means dark apps.
bool apps_dark(DwordSetting apps_use_light_theme);
// Only an explicit 1 means a light taskbar.
bool taskbar_light(DwordSetting system_uses_light_theme);

// `palette` is the AccentPalette bytes read (none when the read failed); it
// is used only when it holds at least 32 bytes.
ThemeColors theme_colors(bool dark, std::optional<std::span<const std::uint8_t>> palette);

// High Contrast: the user's four system colours and nothing of our own; the
// border and the flag take the text colour, as dimmed text could fall below
// the contrast the user asked for.
ThemeColors high_contrast_colors(Rgb window, Rgb window_text, Rgb highlight, Rgb highlight_text);

}  // namespace sorla::settings
