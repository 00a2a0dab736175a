#include "settings/settings.h"

#include <windows.h>

#include <array>

#include "text/wide.h"

namespace sorla::settings {

DwordSetting read_dword_setting(std::string_view subkey, std::string_view name) {
  const std::wstring key = to_wide(subkey);
  const std::wstring value_name = to_wide(name);
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value_name.c_str(),
                                      RRF_RT_REG_DWORD, nullptr, &value, &size);
  if (status != ERROR_SUCCESS) return {};
  return {true, value};
}

std::optional<std::vector<std::uint8_t>> read_accent_palette() {
  const std::wstring key = to_wide(kAccentKey);
  const std::wstring value_name = to_wide(kAccentValue);
  std::array<std::uint8_t, 64> buffer{};
  DWORD size = buffer.size();
  const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value_name.c_str(),
                                      RRF_RT_REG_BINARY, nullptr, buffer.data(), &size);
  if (status != ERROR_SUCCESS) return std::nullopt;
  const std::size_t n = size < buffer.size() ? size : buffer.size();
  return std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + n);
}

bool write_sorla_dword(std::string_view name, std::uint32_t value) {
  const DWORD data = value;
  return RegSetKeyValueW(HKEY_CURRENT_USER, to_wide(kSorlaKey).c_str(), to_wide(name).c_str(),
                         REG_DWORD, &data, sizeof data) == ERROR_SUCCESS;
}

bool read_shift_switches_english() {
  return shift_switches_english(read_dword_setting(kSorlaKey, kShiftValue));
}

bool read_learn_from_typing() {
  return learn_from_typing(read_dword_setting(kSorlaKey, kLearnValue));
}

namespace {

bool system_high_contrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool (*g_high_contrast)() = system_high_contrast;

Rgb system_color(int index) {
  const COLORREF c = GetSysColor(index);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

}  // namespace

bool read_high_contrast() { return g_high_contrast(); }

void set_high_contrast_query(bool (*query)()) {
  g_high_contrast = query != nullptr ? query : system_high_contrast;
}

ThemeColors read_theme_colors() {
  if (read_high_contrast()) {
    return high_contrast_colors(system_color(COLOR_WINDOW), system_color(COLOR_WINDOWTEXT),
                                system_color(COLOR_HIGHLIGHT), system_color(COLOR_HIGHLIGHTTEXT));
  }
  const bool dark = apps_dark(read_dword_setting(kPersonalizeKey, kAppsLightValue));
  const auto palette = read_accent_palette();
  if (!palette) return theme_colors(dark, std::nullopt);
  return theme_colors(dark, std::span<const std::uint8_t>(*palette));
}

bool read_taskbar_light() {
  return taskbar_light(read_dword_setting(kPersonalizeKey, kSystemLightValue));
}

}  // namespace sorla::settings
