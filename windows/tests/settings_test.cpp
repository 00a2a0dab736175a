#include "settings/settings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <numeric>

#include "text/wide.h"

namespace sorla::settings {
namespace {

// Values written into Wine's HKEY_CURRENT_USER for one test and removed after.
class SettingsRegistry : public ::testing::Test {
 protected:
  void SetUp() override { clear(); }
  void TearDown() override { clear(); }

  static void clear() {
    RegDeleteTreeW(HKEY_CURRENT_USER, to_wide(kSorlaKey).c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, to_wide(kPersonalizeKey).c_str(),
                       to_wide(kAppsLightValue).c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, to_wide(kPersonalizeKey).c_str(),
                       to_wide(kSystemLightValue).c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, to_wide(kAccentKey).c_str(),
                       to_wide(kAccentValue).c_str());
  }
  static void set_dword(std::string_view key, std::string_view name, DWORD value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, to_wide(key).c_str(), to_wide(name).c_str(),
                              REG_DWORD, &value, sizeof(value)),
              ERROR_SUCCESS);
  }
  static void set_palette(std::size_t bytes) {
    std::vector<BYTE> palette(bytes);
    std::iota(palette.begin(), palette.end(), BYTE{100});
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, to_wide(kAccentKey).c_str(),
                              to_wide(kAccentValue).c_str(), REG_BINARY, palette.data(),
                              static_cast<DWORD>(palette.size())),
              ERROR_SUCCESS);
  }
};

TEST_F(SettingsRegistry, ShiftSettingOnlyExplicitZeroTurnsItOff) {
  EXPECT_TRUE(read_shift_switches_english());  // no Software\Sorla key at all
  set_dword(kSorlaKey, kShiftValue, 2);
  EXPECT_TRUE(read_shift_switches_english());
  set_dword(kSorlaKey, kShiftValue, 0);
  EXPECT_FALSE(read_shift_switches_english());
  const DwordSetting read = read_dword_setting(kSorlaKey, kShiftValue);
  EXPECT_TRUE(read.found);
  EXPECT_EQ(read.value, 0u);

  // A REG_SZ "0" is not a DWORD: missing, so Shift taps switch modes.
  const wchar_t zero[] = L"0";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, to_wide(kSorlaKey).c_str(),
                            to_wide(kShiftValue).c_str(), REG_SZ, zero, sizeof(zero)),
            ERROR_SUCCESS);
  EXPECT_FALSE(read_dword_setting(kSorlaKey, kShiftValue).found);
  EXPECT_TRUE(read_shift_switches_english());
}

TEST_F(SettingsRegistry, AppsThemeOnlyExplicitZeroIsDark) {
  EXPECT_EQ(read_theme_colors().background, (Rgb{249, 249, 249}));
  set_dword(kPersonalizeKey, kAppsLightValue, 0);
  EXPECT_EQ(read_theme_colors().background, (Rgb{44, 44, 44}));
  set_dword(kPersonalizeKey, kAppsLightValue, 5);
  EXPECT_EQ(read_theme_colors().background, (Rgb{249, 249, 249}));
}

TEST_F(SettingsRegistry, TaskbarOnlyExplicitOneIsLight) {
  EXPECT_FALSE(read_taskbar_light());
  set_dword(kPersonalizeKey, kSystemLightValue, 1);
  EXPECT_TRUE(read_taskbar_light());
  set_dword(kPersonalizeKey, kSystemLightValue, 2);
  EXPECT_FALSE(read_taskbar_light());
}

TEST_F(SettingsRegistry, AccentPaletteNeedsThirtyTwoBytesAndFitsSixtyFour) {
  EXPECT_FALSE(read_accent_palette());
  EXPECT_EQ(read_theme_colors().accent, (Rgb{0, 103, 192}));

  set_palette(31);
  ASSERT_TRUE(read_accent_palette());
  EXPECT_EQ(read_accent_palette()->size(), 31u);
  EXPECT_EQ(read_theme_colors().accent, (Rgb{0, 103, 192}));

  set_palette(32);  // bytes 100, 101, ...: entry 4 starts at byte 16
  EXPECT_EQ(read_theme_colors().accent, (Rgb{116, 117, 118}));
  set_dword(kPersonalizeKey, kAppsLightValue, 0);  // dark: entry 1
  EXPECT_EQ(read_theme_colors().accent, (Rgb{104, 105, 106}));

  set_palette(64);
  EXPECT_EQ(read_accent_palette()->size(), 64u);
  set_palette(65);  // does not fit the buffer: the default accent applies
  EXPECT_FALSE(read_accent_palette());
  EXPECT_EQ(read_theme_colors().accent, (Rgb{76, 194, 255}));
}

TEST(ThemeColors, FullLightAndDarkSets) {
  const ThemeColors light = theme_colors(false, std::nullopt);
  EXPECT_EQ(light, (ThemeColors{{249, 249, 249},
                                {209, 209, 209},
                                {27, 27, 27},
                                {97, 97, 97},
                                {0, 103, 192},
                                {255, 255, 255}}));
  const ThemeColors dark = theme_colors(true, std::nullopt);
  EXPECT_EQ(dark, (ThemeColors{{44, 44, 44},
                               {69, 69, 69},
                               {255, 255, 255},
                               {181, 181, 181},
                               {76, 194, 255},
                               {0, 0, 0}}));
}

TEST(ThemeDecisions, ThreeDifferentTests) {
  EXPECT_TRUE(shift_switches_english({false, 0}));
  EXPECT_FALSE(shift_switches_english({true, 0}));
  EXPECT_TRUE(shift_switches_english({true, 1}));
  EXPECT_TRUE(learn_from_typing({false, 0}));
  EXPECT_FALSE(learn_from_typing({true, 0}));
  EXPECT_TRUE(learn_from_typing({true, 2}));
  EXPECT_FALSE(apps_dark({false, 0}));
  EXPECT_TRUE(apps_dark({true, 0}));
  EXPECT_FALSE(apps_dark({true, 1}));
  EXPECT_FALSE(taskbar_light({false, 1}));
  EXPECT_TRUE(taskbar_light({true, 1}));
  EXPECT_FALSE(taskbar_light({true, 0}));
}

}  // namespace
}  // namespace sorla::settings
