// The candidate window for real under Wine: class, styles, caret fallback in
// this process; size, placement, clicks and colours in child processes
// started at 96 and 144 DPI with stand-in fonts (Wine reads both only when a
// process starts).
#include <gtest/gtest.h>
#include <shellscalingapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/theme.h"
#include "support/capture.h"
#include "support/wine_env.h"
#include "tsf/window/candidate_window.h"
#include "tsf/window/gdi.h"

namespace sorla::window {
namespace {

using settings::Rgb;
using testing::Image;

constexpr wchar_t kChildDpi[] = L"SORLA_WINDOW_DPI";
const std::wstring kPersonalize =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
const std::wstring kAccent = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Accent";

// Khmer words of the seed list, and a plain one.
const std::vector<std::string> kWords{"\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93",  // បាន
                                      "\xE1\x9E\x8A\xE1\x9F\x82\xE1\x9E\x9B",  // ដែល
                                      "\xE1\x9E\x93\xE1\x9E\xB9\xE1\x9E\x84",  // នឹង
                                      "ok"};

// --- In this process: no particular DPI or fonts needed.

TEST(CandidateWindow, CreatesAHiddenNonActivatingTopmostPopup) {
  CandidateWindow window;
  ASSERT_TRUE(window.create([](const Click&) {}));
  const HWND hwnd = window.handle();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(window.visible());
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  EXPECT_STREQ(name, L"SorlaCandidates");
  EXPECT_TRUE(GetClassLongPtrW(hwnd, GCL_STYLE) & CS_DROPSHADOW);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_POPUP, WS_POPUP);
  const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  EXPECT_EQ(ex & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE),
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
  EXPECT_EQ(SendMessageW(hwnd, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
  // Clicks before any show find no paint data and are ignored.
  EXPECT_EQ(SendMessageW(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5)), 0);

  window.destroy();
  EXPECT_EQ(window.handle(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
  // Showing without a window does nothing.
  window.show(kWords, 0, {10, 10, 20, 30});
  EXPECT_EQ(CandidateWindow::shown_layout(), std::nullopt);
}

TEST(CandidateWindow, ClassCanBeUnregisteredAndRegisteredAgain) {
  unregister_window_class();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, nullptr, &module);
  EXPECT_FALSE(GetClassInfoExW(module, kClassName, &wc));
  {
    CandidateWindow window;
    EXPECT_TRUE(window.create(nullptr));
    EXPECT_TRUE(GetClassInfoExW(module, kClassName, &wc));
  }
  unregister_window_class();
  EXPECT_FALSE(GetClassInfoExW(module, kClassName, &wc));
  unregister_window_class();  // a second time is harmless
  CandidateWindow window;
  EXPECT_TRUE(window.create(nullptr));
}

TEST(CandidateWindow, CaretFallbackComesFromTheGuiThreadCaret) {
  EXPECT_EQ(CandidateWindow::caret_from_gui_thread(), std::nullopt);
  const HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 150, 300, 100,
                                     nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  ASSERT_TRUE(CreateCaret(owner, nullptr, 2, 18));
  ASSERT_TRUE(SetCaretPos(40, 30));
  POINT origin{0, 0};
  ClientToScreen(owner, &origin);
  const std::optional<Rect> caret = CandidateWindow::caret_from_gui_thread();
  DestroyCaret();
  DestroyWindow(owner);
  ASSERT_TRUE(caret);
  EXPECT_EQ(*caret, (Rect{origin.x + 40, origin.y + 30, origin.x + 42, origin.y + 48}));
}

// Starts the child tests below in a process that sees `dpi` and the fonts.
void run_child_at(std::uint32_t dpi) {
  const auto settings = testing::wine_display_settings(dpi);
  for (const auto& value : settings) ASSERT_TRUE(value.ok());
  const int code = testing::run_self(L"--gtest_brief=1 --gtest_filter=CandidateWindowShown.*",
                                     kChildDpi, std::to_wstring(dpi));
  EXPECT_EQ(code, 0) << "the child tests at " << dpi << " DPI failed (output above)";
}

TEST(CandidateWindowUnderWine, At96Dpi) { run_child_at(96); }
TEST(CandidateWindowUnderWine, At144Dpi) { run_child_at(144); }

// --- In a child process, at the DPI it was started for.

struct Measured {
  std::vector<CellWidths> widths;
  int sample_height = 0, flag_width = 0;
};

SIZE text_size(HDC dc, HFONT font, const std::wstring& text) {
  gdi::Select in(dc, font);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return {r.right - r.left, r.bottom - r.top};
}

std::wstring wide(const std::string& utf8) {
  std::wstring out(utf8.size(), L'\0');
  out.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                                 static_cast<int>(out.size())));
  return out;
}

// Measures the words as the rules say, with fonts of our own.
Measured measure(double s, const std::vector<std::string>& words) {
  const FontHeights h = font_heights(s);
  const gdi::Font word = gdi::make_font(h.candidate, FW_NORMAL, L"Leelawadee UI");
  const gdi::Font number = gdi::make_font(h.number, FW_MEDIUM, L"Segoe UI");
  const gdi::Font flag = gdi::make_font(h.flag, FW_NORMAL, L"Segoe UI Symbol");
  gdi::WindowDc dc(nullptr);
  Measured m;
  for (std::size_t i = 0; i < words.size(); ++i) {
    m.widths.push_back({text_size(dc.get(), number.get(), std::to_wstring(i + 1)).cx,
                        text_size(dc.get(), word.get(), wide(words[i])).cx});
  }
  m.sample_height = text_size(dc.get(), word.get(), L"\u1781\u17D2\u1789\u17BB\u17C6").cy;
  m.flag_width = text_size(dc.get(), flag.get(), L"\u2691").cx;
  return m;
}

int distance(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// The pixel in the area that comes closest to `color`.
int closest(const Image& image, const Rect& area, Rgb color) {
  int best = 1000;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x)
      best = std::min(best, distance(image.rgb(x, y), color));
  }
  return best;
}

class CandidateWindowShown : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::wstring> dpi = testing::env(kChildDpi);
    if (!dpi) GTEST_SKIP() << "runs in a child process started by CandidateWindowUnderWine";
    dpi_ = static_cast<std::uint32_t>(std::stoul(*dpi));
    s_ = scale_for_dpi(dpi_);
    ASSERT_TRUE(window_.create([this](const Click& click) { clicks_.push_back(click); }));
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    work_ = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  }

  // Shows the words and lets the window paint.
  Layout show(std::size_t selected, const Rect& caret, std::size_t count = 3) {
    const std::vector<std::string> words(kWords.begin(), kWords.begin() + count);
    window_.show(words, selected, caret);
    UpdateWindow(window_.handle());
    return CandidateWindow::shown_layout().value_or(Layout{});
  }

  Rect window_rect() const {
    RECT r{};
    GetWindowRect(window_.handle(), &r);
    return {r.left, r.top, r.right, r.bottom};
  }

  void click(Point p) {
    SendMessageW(window_.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  }

  std::uint32_t dpi_ = 96;
  double s_ = 1;
  Rect work_;
  CandidateWindow window_;
  std::vector<Click> clicks_;
};

TEST_F(CandidateWindowShown, WineSeesTheDpiAndTheStandInFonts) {
  UINT x = 0, y = 0;
  ASSERT_EQ(GetDpiForMonitor(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), MDT_EFFECTIVE_DPI,
                             &x, &y),
            S_OK);
  EXPECT_EQ(x, dpi_);
  const gdi::Font khmer = gdi::make_font(16, FW_NORMAL, L"Leelawadee UI");
  gdi::WindowDc dc(nullptr);
  gdi::Select in(dc.get(), khmer.get());
  WORD glyph = 0;
  GetGlyphIndicesW(dc.get(), L"\u1781", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
  EXPECT_NE(glyph, 0xFFFF) << "no Khmer glyph: is fonts-khmeros installed?";
}

TEST_F(CandidateWindowShown, SizeFollowsTheLayoutRules) {
  const Layout layout = show(0, {100, 100, 110, 120});
  ASSERT_TRUE(window_.visible());
  const Measured m = measure(s_, {kWords.begin(), kWords.begin() + 3});
  EXPECT_EQ(layout, lay_out(s_, m.widths, m.sample_height, m.flag_width));
  const Rect r = window_rect();
  EXPECT_EQ(r.width(), layout.width);
  EXPECT_EQ(r.height(), layout.height);
  ASSERT_EQ(layout.cells.size(), 3u);
  const Cell& first = layout.cells[0];
  if (dpi_ == 96) {
    EXPECT_EQ(first.rect.left, 3);
    EXPECT_EQ(first.number_x - first.rect.left, 9);
    EXPECT_EQ(layout.cells[1].rect.left - first.rect.right, 2);
    EXPECT_EQ(layout.height, m.sample_height + 4 + 6);
    EXPECT_EQ(layout.flag.left - layout.separator_x, 1);
  } else if (dpi_ == 144) {
    EXPECT_EQ(first.rect.left, 5);
    EXPECT_EQ(first.number_x - first.rect.left, 14);
    EXPECT_EQ(layout.cells[1].rect.left - first.rect.right, 3);
    EXPECT_EQ(layout.height, m.sample_height + 6 + 10);
    EXPECT_EQ(layout.flag.left - layout.separator_x, 2);
  }
  // A longer list makes a wider window at the same height.
  const Layout four = show(0, {100, 100, 110, 120}, 4);
  EXPECT_GT(four.width, layout.width);
  EXPECT_EQ(four.height, layout.height);
}

TEST_F(CandidateWindowShown, PlacedBelowTheCaretInsideTheWorkArea) {
  const int g = scaled(4, s_);
  Layout layout = show(0, {100, 100, 110, 120});
  EXPECT_EQ(window_rect(), (Rect{100, 120 + g, 100 + layout.width, 120 + g + layout.height}));

  // Near the bottom: above the composition.
  const Rect low{300, work_.bottom - 20, 310, work_.bottom - 2};
  layout = show(0, low);
  EXPECT_EQ(window_rect().top, low.top - g - layout.height);
  EXPECT_EQ(window_rect().left, 300);

  // Near the right edge: pulled left to meet it.
  layout = show(0, {work_.right - 5, 200, work_.right, 220});
  EXPECT_EQ(window_rect().right, work_.right);
  EXPECT_EQ(window_rect().top, 220 + g);

  // Left of the work area: at its left edge.
  show(0, {work_.left - 50, 200, work_.left - 40, 220});
  EXPECT_EQ(window_rect().left, work_.left);
}

TEST_F(CandidateWindowShown, ClicksReportCellsAndFlagOnly) {
  const Layout layout = show(0, {100, 100, 110, 120});
  ASSERT_EQ(layout.cells.size(), 3u);
  const auto middle = [](const Rect& r) {
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  const int y = middle(layout.cells[0].rect).y;

  click(middle(layout.cells[2].rect));
  click({layout.cells[0].rect.right, y});     // first pixel of the gap
  click({layout.cells[1].rect.left - 1, y});  // last pixel of the gap
  click({layout.separator_x, y});
  click({1, 1});  // margin
  click(middle(layout.flag));
  click({layout.cells[0].rect.left, layout.cells[0].rect.top});
  using T = Click::Target;
  EXPECT_EQ(clicks_, (std::vector<Click>{{T::Candidate, 2}, {T::Flag, 0}, {T::Candidate, 0}}));

  // A handler may hide the window; later clicks are then ignored.
  clicks_.clear();
  ASSERT_TRUE(window_.create([this](const Click& c) {
    clicks_.push_back(c);
    window_.hide();
  }));
  const Layout again = show(1, {100, 100, 110, 120});
  click(middle(again.cells[1].rect));
  EXPECT_FALSE(window_.visible());
  click(middle(again.cells[1].rect));
  EXPECT_EQ(clicks_, (std::vector<Click>{{T::Candidate, 1}}));
}

// Samples the painted window against the theme's colours.
void expect_painted(const Image& image, const Layout& layout, const settings::ThemeColors& c,
                    bool own_border) {
  ASSERT_EQ(image.width, layout.width);
  const Cell& plain = layout.cells[0];
  const Cell& selected = layout.cells[1];
  const int mid = (plain.rect.top + plain.rect.bottom) / 2;
  EXPECT_EQ(image.rgb(1, mid), c.background);
  EXPECT_EQ(image.rgb(plain.rect.left + 3, mid), c.background);
  EXPECT_EQ(image.rgb(selected.rect.left + 3, mid), c.accent);
  EXPECT_EQ(image.rgb(layout.separator_x, mid), c.border);
  EXPECT_EQ(image.rgb(layout.separator_x + 1, mid), c.background);
  if (own_border) {
    EXPECT_EQ(image.rgb(0, 0), c.border);
    EXPECT_EQ(image.rgb(layout.width - 1, layout.height - 1), c.border);
  }
  // Glyph cores in their colours: words, numbers, the selected cell's text
  // and the flag.
  const Rect word{plain.text_x, plain.rect.top, plain.rect.right, plain.rect.bottom};
  const Rect number{plain.number_x, plain.rect.top, plain.text_x, plain.rect.bottom};
  const Rect on_accent{selected.number_x, selected.rect.top + 2, selected.rect.right - 4,
                       selected.rect.bottom - 2};
  EXPECT_LE(closest(image, word, c.text), 40);
  EXPECT_LE(closest(image, number, c.dim_text), 40);
  EXPECT_LE(closest(image, on_accent, c.text_on_accent), 40);
  EXPECT_LE(closest(image, layout.flag, c.dim_text), 40);
  // Nothing but the background and the flag's colours beside the flag glyph.
  if (c.text != c.dim_text) {
    EXPECT_GT(closest(image, layout.flag, c.text), 0);
  }
}

TEST_F(CandidateWindowShown, LightAndDarkColoursArePainted) {
  auto accent = testing::scoped_missing(HKEY_CURRENT_USER, kAccent, L"AccentPalette");
  const Rect caret{100, 100, 110, 120};
  {
    auto theme = testing::scoped_missing(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme");
    const Layout layout = show(1, caret);
    const std::optional<Image> image = testing::capture_window(window_.handle());
    ASSERT_TRUE(image);
    expect_painted(*image, layout, settings::theme_colors(false, std::nullopt),
                   window_.own_border());
  }
  // The shown row keeps its colours until Windows says they changed (here
  // as the Settings app says a dark or light switch), then repaints.
  auto dark = testing::scoped_dword(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", 0);
  Layout layout = show(1, caret);
  std::optional<Image> image = testing::capture_window(window_.handle());
  ASSERT_TRUE(image);
  expect_painted(*image, layout, settings::theme_colors(false, std::nullopt), window_.own_border());
  SendMessageW(window_.handle(), WM_SETTINGCHANGE, 0,
               reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  UpdateWindow(window_.handle());
  image = testing::capture_window(window_.handle());
  ASSERT_TRUE(image);
  expect_painted(*image, layout, settings::theme_colors(true, std::nullopt), window_.own_border());

  // The accent palette's entry 1 in the dark theme, read again when the row
  // comes back.
  std::vector<BYTE> palette(32, 0);
  palette[4] = 200, palette[5] = 30, palette[6] = 90;
  auto custom =
      testing::ScopedRegValue(HKEY_CURRENT_USER, kAccent, L"AccentPalette", REG_BINARY, palette);
  window_.hide();
  layout = show(1, caret);
  image = testing::capture_window(window_.handle());
  ASSERT_TRUE(image);
  const Cell& selected = layout.cells[1];
  EXPECT_EQ(image->rgb(selected.rect.left + 3, (selected.rect.top + selected.rect.bottom) / 2),
            (Rgb{200, 30, 90}));
}

TEST_F(CandidateWindowShown, HighContrastPaintsTheSystemColours) {
  settings::set_high_contrast_query([] { return true; });
  const Layout layout = show(1, {100, 100, 110, 120});
  const std::optional<Image> image = testing::capture_window(window_.handle());
  settings::set_high_contrast_query(nullptr);
  ASSERT_TRUE(image);
  const auto sys = [](int index) {
    const COLORREF c = GetSysColor(index);
    return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
  };
  expect_painted(*image, layout,
                 settings::high_contrast_colors(sys(COLOR_WINDOW), sys(COLOR_WINDOWTEXT),
                                                sys(COLOR_HIGHLIGHT), sys(COLOR_HIGHLIGHTTEXT)),
                 window_.own_border());
}

TEST_F(CandidateWindowShown, HideClearsAndAShowAfterwardsPaintsAgain) {
  show(0, {100, 100, 110, 120});
  window_.hide();
  EXPECT_FALSE(window_.visible());
  EXPECT_EQ(CandidateWindow::shown_layout(), std::nullopt);
  show(2, {100, 100, 110, 120});
  EXPECT_TRUE(window_.visible());
  EXPECT_NE(GetForegroundWindow(), window_.handle());
}

}  // namespace
}  // namespace sorla::window
