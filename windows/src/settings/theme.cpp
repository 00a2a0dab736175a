#include "settings/theme.h"

namespace sorla::settings {
namespace {

constexpr std::size_t kPaletteMinBytes = 32;
constexpr std::size_t kLightAccentEntry = 4;
constexpr std::size_t kDarkAccentEntry = 1;

}  // namespace

bool shift_switches_english(DwordSetting setting) { return !(setting.found && setting.value == 0); }

bool learn_from_typing(DwordSetting setting) { return !(setting.found && setting.value == 0); }

bool apps_dark(DwordSetting apps_use_light_theme) {
  return apps_use_light_theme.found && apps_use_light_theme.value == 0;
}

bool taskbar_light(DwordSetting system_uses_light_theme) {
  return system_uses_light_theme.found && system_uses_light_theme.value == 1;
}

ThemeColors theme_colors(bool dark, std::optional<std::span<const std::uint8_t>> palette) {
  ThemeColors colors;
  if (dark) {
    colors = {{44, 44, 44},    {69, 69, 69},   {255, 255, 255},
              {181, 181, 181}, {76, 194, 255}, {0, 0, 0}};
  } else {
    colors = {{249, 249, 249}, {209, 209, 209}, {27, 27, 27},
              {97, 97, 97},    {0, 103, 192},   {255, 255, 255}};
  }
  if (palette && palette->size() >= kPaletteMinBytes) {
    // Four bytes per entry: red, green, blue and an unused one.
    const std::size_t at = 4 * (dark ? kDarkAccentEntry : kLightAccentEntry);
    colors.accent = {(*palette)[at], (*palette)[at + 1], (*palette)[at + 2]};
  }
  return colors;
}

ThemeColors high_contrast_colors(Rgb window, Rgb window_text, Rgb highlight, Rgb highlight_text) {
  return {window, window_text, window_text, window_text, highlight, highlight_text};
}

}  // namespace sorla::settings
