// Per-user settings and Windows theme values under HKEY_CURRENT_USER, read
// each time they are needed; only Sorla's own are written, by its settings
// dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/theme.h"

namespace sorla::settings {

inline constexpr std::string_view kSorlaKey = "Software\\Sorla";
inline constexpr std::string_view kShiftValue = "ShiftSwitchesEnglish";
inline constexpr std::string_view kLearnValue = "LearnFromTyping";
// How many times the user cleared the learned words (learned_file counts it).
inline constexpr std::string_view kClearsValue = "LearnedWordsCleared";
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

// Writes a REG_DWORD under Software\Sorla, creating the key; false on failure.
bool write_sorla_dword(std::string_view name, std::uint32_t value);

bool read_shift_switches_english();
bool read_learn_from_typing();
// With High Contrast on, the system's colours; else the theme's.
ThemeColors read_theme_colors();
// Whether High Contrast is on. Tests stand in their own answer (Wine keeps
// no High Contrast setting); none puts Windows' back.
bool read_high_contrast();
void set_high_contrast_query(bool (*query)());
bool read_taskbar_light();

}  // namespace sorla::settings
