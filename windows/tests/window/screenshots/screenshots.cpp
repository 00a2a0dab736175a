// `make screenshots`: PNGs of the candidate row (light, dark and High Contrast), of
// the language-bar icons and of the settings and "Add a word…" dialogs, for people to look at. Runs
// itself again in a process that starts with Wine's stand-in fonts in place. Usage:
// window_screenshots [OUTPUT_DIR]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "dialogs/add_word_dialog.h"
#include "dialogs/settings_dialog.h"
#include "settings/settings.h"
#include "sorla/engine.h"
#include "support/capture.h"
#include "support/png.h"
#include "support/wine_env.h"
#include "tsf/langbar/icon.h"
#include "tsf/langbar/menu.h"
#include "tsf/window/candidate_window.h"

namespace {

namespace fs = std::filesystem;
using sorla::testing::Image;

constexpr wchar_t kChild[] = L"SORLA_SCREENSHOT_CHILD";
const std::wstring kPersonalize =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
const std::wstring kAccent = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Accent";

std::vector<std::string> candidates_for(const std::string& typed,
                                        std::size_t limit = sorla::kMaxSuggestions) {
  auto built = sorla::Engine::from_bytes(sorla::seed_words());
  std::vector<std::string> words;
  if (auto* engine = std::get_if<sorla::Engine>(&built)) {
    for (const auto& s : engine->suggest(typed, std::nullopt, limit)) words.push_back(s.text);
  }
  return words;
}

// The window on a plain backdrop a little larger than itself.
bool shoot_row(const fs::path& file, bool dark, std::span<const std::string> words,
               std::size_t page = 0, std::size_t page_count = 0) {
  auto theme = sorla::testing::scoped_dword(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme",
                                            dark ? 0 : 1);
  auto accent = sorla::testing::scoped_missing(HKEY_CURRENT_USER, kAccent, L"AccentPalette");
  sorla::window::CandidateWindow window;
  if (!window.create(nullptr)) return false;
  window.show(words, 0, {40, 40, 41, 60}, page, page_count);
  UpdateWindow(window.handle());
  const std::optional<Image> image = sorla::testing::capture_window(window.handle());
  if (!image) return false;
  Image opaque = *image;
  for (auto& p : opaque.pixels) p |= 0xFF000000u;
  return sorla::testing::write_png(file, opaque);
}

// Khmer and English icons on a light and a dark taskbar, each enlarged
// eight times so single pixels show.
bool shoot_icons(const fs::path& file) {
  constexpr int kSize = 16, kZoom = 8, kCell = kSize * kZoom;
  Image sheet{2 * kCell, 2 * kCell, {}};
  sheet.pixels.resize(static_cast<std::size_t>(sheet.width) * sheet.height);
  for (int row = 0; row < 2; ++row) {
    const bool light = row == 0;
    const std::uint32_t taskbar = light ? 0xFFF3F3F3u : 0xFF202020u;
    for (int col = 0; col < 2; ++col) {
      HICON icon = nullptr;
      if (sorla::langbar::draw_mode_icon(col == 1, light, kSize, &icon) != S_OK) return false;
      const std::optional<Image> glyph = sorla::testing::icon_pixels(icon);
      DestroyIcon(icon);
      if (!glyph) return false;
      for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
          // Premultiplied glyph over the taskbar colour.
          const std::uint32_t p = glyph->at(x / kZoom, y / kZoom);
          const std::uint32_t a = p >> 24;
          std::uint32_t out = 0xFF000000u;
          for (int shift = 0; shift < 24; shift += 8) {
            const std::uint32_t c = (p >> shift) & 0xFF, under = (taskbar >> shift) & 0xFF;
            out |= ((c + under * (255 - a) / 255) & 0xFF) << shift;
          }
          sheet.pixels[static_cast<std::size_t>(row * kCell + y) * sheet.width + col * kCell + x] =
              out;
        }
      }
    }
  }
  return sorla::testing::write_png(file, sheet);
}

// The button's menu as it pops up while letters are typed: caught by a timer
// that the menu's own message loop runs, then dismissed.
std::optional<Image> caught_menu;
void CALLBACK catch_menu(HWND owner, UINT, UINT_PTR id, DWORD) {
  KillTimer(owner, id);
  if (const HWND menu = FindWindowW(L"#32768", nullptr)) {
    UpdateWindow(menu);
    caught_menu = sorla::testing::capture_window(menu);
  }
  EndMenu();
}

bool shoot_menu(const fs::path& file) {
  const HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                     1, 1, nullptr, nullptr, nullptr, nullptr);
  if (owner == nullptr) return false;
  sorla::langbar::MenuState state;
  state.typing = true;
  SetTimer(owner, 1, 500, catch_menu);
  sorla::langbar::show_menu(sorla::langbar::menu_items(state), {40, 40}, owner);
  DestroyWindow(owner);
  if (!caught_menu) return false;
  Image opaque = *caught_menu;
  for (auto& p : opaque.pixels) p |= 0xFF000000u;
  return sorla::testing::write_png(file, opaque);
}

// A dialog as the menu opens it, drawn with the system's colours and dialog
// font.
bool shoot_dialog(const fs::path& file, HWND dialog) {
  if (dialog == nullptr) return false;
  SetWindowPos(dialog, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  MSG msg;
  for (int i = 0; i < 20; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
  UpdateWindow(dialog);
  const std::optional<Image> image = sorla::testing::capture_window(dialog);
  DestroyWindow(dialog);
  if (!image) return false;
  Image opaque = *image;
  for (auto& p : opaque.pixels) p |= 0xFF000000u;
  return sorla::testing::write_png(file, opaque);
}

bool shoot_settings(const fs::path& file) {
  sorla::dialogs::SettingsDialogInput input;
  input.files_folder = L"C:\\Users\\Kim\\AppData\\Roaming\\Sorla";
  input.clear_learned = [] { return true; };
  return shoot_dialog(file, sorla::dialogs::create_settings_dialog(nullptr, input));
}

// Filled in as from a selected Khmer word and the letters typed.
bool shoot_add_word(const fs::path& file) {
  sorla::dialogs::AddWordInput input;
  input.word = L"\u1781\u17D2\u1798\u17C2\u179A";
  input.spelling = L"khmer";
  return shoot_dialog(file, sorla::dialogs::create_add_word_dialog(nullptr, input));
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::path("screenshots");
  if (!sorla::testing::env(kChild)) {
    const auto settings = sorla::testing::wine_display_settings(96);
    std::wstring quoted = L"\"" + dir.wstring() + L"\"";
    return sorla::testing::run_self(quoted, kChild, L"1");
  }
  std::error_code ec;
  fs::create_directories(dir, ec);
  const std::vector<std::string> words = candidates_for("sabay");
  bool ok = !words.empty();
  ok = ok && shoot_row(dir / "candidates-light.png", false, words);
  ok = ok && shoot_row(dir / "candidates-dark.png", true, words);
  sorla::settings::set_high_contrast_query([] { return true; });
  ok = ok && shoot_row(dir / "candidates-high-contrast.png", false, words);
  sorla::settings::set_high_contrast_query(nullptr);
  // A begun spelling with more than a page of words: the second page, labelled.
  const std::vector<std::string> all = candidates_for("s", sorla::kMaxCandidates);
  const std::size_t per_page = sorla::kMaxSuggestions;
  ok = ok && all.size() > per_page;
  if (ok) {
    const std::size_t pages = (all.size() + per_page - 1) / per_page;
    const std::size_t shown = std::min(per_page, all.size() - per_page);
    ok = shoot_row(dir / "candidates-page-2.png", false,
                   std::span<const std::string>(all).subspan(per_page, shown), 1, pages);
  }
  ok = ok && shoot_icons(dir / "langbar-icons.png");
  ok = ok && shoot_menu(dir / "menu.png");
  ok = ok && shoot_settings(dir / "settings-dialog.png");
  ok = ok && shoot_add_word(dir / "add-word-dialog.png");
  std::printf("%s: %s\n", ok ? "screenshots written" : "screenshots FAILED",
              fs::absolute(dir).string().c_str());
  return ok ? 0 : 1;
}
