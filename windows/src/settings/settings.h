// Per-user settings and Windows theme values under HKEY_CURRENT_USER, read
// each time they are needed and never written.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/theme.h"

namespace sorla::settings {

inline constexpr std::string_view kSorlaKey = "Software\\Sorla";
inline constexpr std::string_view kShiftValue = "ShiftSwitchesEnglish";
inline constexpr std::string_view kPersonalizeKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
inline constexpr std::string_view kAppsLightValue = "AppsUseLightTheme";
inline constexpr std::string_view kSystemLightValue = "SystemUsesLightTheme";
inline constexpr std::string_view kAccentKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Accent";
inline constexpr std::string_view kAccentValue = "AccentPalette";

DwordSetting read_dword_setting(std::string_view subkey, std::string_view name);
// The first bytes of AccentPalette, at most 64; none when it cannot be read
// (a longer value does not fit and so counts as unreadable).
std::optional<std::vector<std::uint8_t>> read_accent_palette();

bool read_shift_switches_english();
// With High Contrast on, the system's colours; else the theme's.
ThemeColors read_theme_colors();
// Whether High Contrast is on. Tests stand in their own answer (Wine keeps
// no High Contrast setting); none puts Windows' back.
bool read_high_contrast();
void set_high_contrast_query(bool (*query)());
bool read_taskbar_light();

}  // namespace sorla::settings
