// The language-bar icon: size, glyph heights, and the premultiplied black or
// white glyph read back from the icon that was drawn.
#include "tsf/langbar/icon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "settings/settings.h"
#include "support/capture.h"
#include "support/wine_env.h"

namespace sorla::langbar {
namespace {

using testing::icon_pixels;
using testing::Image;

struct OwnedIcon {
  HICON icon = nullptr;
  ~OwnedIcon() {
    if (icon) DestroyIcon(icon);
  }
};

Image draw(bool english, bool light, int size) {
  OwnedIcon owned;
  EXPECT_EQ(draw_mode_icon(english, light, size, &owned.icon), S_OK);
  std::optional<Image> image = owned.icon ? icon_pixels(owned.icon) : std::nullopt;
  EXPECT_TRUE(image);
  return image.value_or(Image{});
}

int covered(const Image& image) {
  int n = 0;
  for (std::uint32_t p : image.pixels) n += (p >> 24) != 0;
  return n;
}

TEST(LangBarIcon, SizeAndGlyphHeights) {
  EXPECT_EQ(icon_size(12), 16);
  EXPECT_EQ(icon_size(16), 16);
  EXPECT_EQ(icon_size(24), 24);
  EXPECT_EQ(icon_glyph_height(true, 16), 9);    // 8.8
  EXPECT_EQ(icon_glyph_height(false, 16), 15);  // 15.2
  EXPECT_EQ(icon_glyph_height(true, 20), 11);   // 11.0
  EXPECT_EQ(icon_glyph_height(false, 30), 29);  // 28.5 rounds up
}

TEST(LangBarIcon, CoverageBecomesPremultipliedBlackOrWhite) {
  std::vector<std::uint32_t> pixels{0x00000000, 0x00102030, 0x00FFFFFF, 0x00400000};
  std::vector<std::uint32_t> light = pixels;
  coverage_to_glyph(light, true);
  EXPECT_EQ(light, (std::vector<std::uint32_t>{0, 0x30000000, 0xFF000000, 0x40000000}));
  coverage_to_glyph(pixels, false);
  EXPECT_EQ(pixels, (std::vector<std::uint32_t>{0, 0x30303030, 0xFFFFFFFF, 0x40404040}));
}

TEST(LangBarIcon, DrawnGlyphIsBlackOnLightAndWhiteOnDarkTaskbars) {
  for (const bool english : {false, true}) {
    const Image light = draw(english, true, 16);
    const Image dark = draw(english, false, 16);
    ASSERT_EQ(light.width, 16);
    ASSERT_EQ(light.height, 16);
    EXPECT_GT(covered(light), 8) << "english=" << english;
    EXPECT_EQ(covered(light), covered(dark));
    for (std::size_t i = 0; i < light.pixels.size(); ++i) {
      const std::uint32_t alpha = dark.pixels[i] >> 24;
      EXPECT_EQ(light.pixels[i] & 0xFFFFFF, 0u);
      EXPECT_EQ(dark.pixels[i], alpha * 0x01010101u) << "premultiplied white at " << i;
    }
  }
  // The two glyphs differ.
  EXPECT_NE(draw(true, false, 16).pixels, draw(false, false, 16).pixels);
  EXPECT_EQ(draw(true, false, 32).width, 32);
}

TEST(LangBarIcon, TaskbarThemeIsReadForEachIcon) {
  const auto personalize = std::wstring(
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\"
      L"Personalize");
  const auto glyph_is_black = [] {
    OwnedIcon owned;
    EXPECT_EQ(draw_mode_icon(true, &owned.icon), S_OK);
    const Image image = icon_pixels(owned.icon).value_or(Image{});
    EXPECT_FALSE(image.pixels.empty());
    EXPECT_GE(image.width, 16);
    std::uint32_t brightest = 0;
    for (std::uint32_t p : image.pixels) brightest = std::max(brightest, p & 0xFF);
    return brightest == 0;
  };
  {
    auto value = testing::scoped_missing(HKEY_CURRENT_USER, personalize, L"SystemUsesLightTheme");
    EXPECT_FALSE(glyph_is_black());
  }
  {
    auto value = testing::scoped_dword(HKEY_CURRENT_USER, personalize, L"SystemUsesLightTheme", 1);
    EXPECT_TRUE(glyph_is_black());
  }
  {
    auto value = testing::scoped_dword(HKEY_CURRENT_USER, personalize, L"SystemUsesLightTheme", 2);
    EXPECT_FALSE(glyph_is_black());
  }
}

TEST(LangBarIcon, FailuresAreReportedAsFailures) {
  EXPECT_EQ(draw_mode_icon(true, false, 16, nullptr), E_INVALIDARG);
  // A bitmap too large to make: an error even when the system leaves no
  // last error behind, and no icon.
  HICON icon = reinterpret_cast<HICON>(1);
  SetLastError(0);
  EXPECT_TRUE(FAILED(draw_mode_icon(true, false, 60000, &icon)));
  EXPECT_EQ(icon, nullptr);
}

}  // namespace
}  // namespace sorla::langbar
