#include "tsf/window/candidate_window.h"

#include <dwmapi.h>
#include <shellscalingapi.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "com/boundary.h"
#include "com/module.h"
#include "settings/settings.h"
#include "text/wide.h"
#include "tsf/uia/candidate_tree.h"
#include "tsf/window/font_set.h"
#include "tsf/window/gdi.h"
#include "tsf/window/paint.h"
#include "tsf/window/window_class.h"

namespace sorla::window {
namespace {

// Newer than this SDK's dwmapi.h.
constexpr DWORD kCornerPreference = 33;  // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kRoundCorners = 2;       // DWMWCP_ROUND
constexpr DWORD kBorderColor = 34;       // DWMWA_BORDER_COLOR

constexpr UINT kMeasure = DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX;
// Measured for the row height, never drawn.
constexpr wchar_t kSample[] = L"\u1781\u17D2\u1789\u17BB\u17C6";
constexpr wchar_t kFlag[] = L"\u2691";

// One text service per UI thread: the window procedure finds what to paint
// and whom to tell about clicks here, not through the window.
thread_local std::optional<PaintData> t_paint;
thread_local ClickHandler t_on_click;
// What screen readers read of the window, and the providers they were given.
thread_local std::shared_ptr<uia::CandidateTree> t_tree;

SIZE measure(HDC dc, HFONT font, const std::wstring& text) {
  gdi::Select font_in(dc, font);
  RECT rect{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, kMeasure);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// The theme's colours for the row, with the window's DWM border set to
// them. Read when the row appears and when Windows says they changed: not
// on every update while it shows.
settings::ThemeColors read_colors(HWND hwnd, bool own_border) {
  const settings::ThemeColors colors = settings::read_theme_colors();
  if (!own_border) {
    const COLORREF border = to_colorref(colors.border);
    DwmSetWindowAttribute(hwnd, kBorderColor, &border, sizeof border);
  }
  return colors;
}

// A theme, system colour or setting change (High Contrast among them) while
// the row shows: its colours are read again and it repaints. A hidden row
// reads them at its next show anyway; broadcasts skip hidden owned windows.
void on_colors_changed(HWND hwnd) {
  if (!t_paint) return;
  t_paint->colors = read_colors(hwnd, t_paint->own_border);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void on_paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  // A failed paint draws nothing this time; the next show repaints.
  com::guarded([&] {
    if (t_paint) paint(dc, *t_paint);
    return S_OK;
  });
  EndPaint(hwnd, &ps);
}

void on_click(Point point) {
  if (!t_paint) return;
  const std::optional<Click> click = hit_test(t_paint->layout, point);
  if (!click || !t_on_click) return;
  // A copy: the handler may replace or clear the installed one.
  const ClickHandler handler = t_on_click;
  handler(*click);
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      on_paint(hwnd);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // A failed read keeps the colours shown.
      com::guarded([&] {
        on_colors_changed(hwnd);
        return S_OK;
      });
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_GETOBJECT: {
      // A failed answer leaves the request to DefWindowProc.
      LRESULT answer = 0;
      com::guarded([&] {
        if (t_tree) answer = t_tree->answer(wparam, lparam);
        return S_OK;
      });
      if (answer) return answer;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    case WM_DESTROY:
      // Before the DLL can unload, UI Automation must let go of our providers.
      com::guarded([&] {
        if (t_tree) std::exchange(t_tree, nullptr)->disconnect();
        return S_OK;
      });
      return 0;
    case WM_LBUTTONDOWN:
      // A failing handler loses this click, nothing else.
      com::guarded([&] {
        on_click({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
        return S_OK;
      });
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

// The copy of the row that screen readers read.
uia::ShownList shown_list(const PaintData& data) {
  uia::ShownList shown;
  shown.selected = data.selected;
  for (std::size_t i = 0; i < data.candidates.size(); ++i) {
    const Rect& cell = data.layout.cells[i].rect;
    shown.items.push_back({uia::item_name(i, data.candidates[i]),
                           RECT{cell.left, cell.top, cell.right, cell.bottom}});
  }
  return shown;
}

Rect work_area_near(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT r{};
  if (GetMonitorInfoW(monitor, &info)) {
    r = info.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  }
  return {r.left, r.top, r.right, r.bottom};
}

std::uint32_t monitor_dpi(HMONITOR monitor) {
  UINT x = 0, y = 0;
  if (FAILED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y))) return 96;
  return x;
}

}  // namespace

bool CandidateWindow::create(ClickHandler on_click) {
  destroy();
  if (!ensure_window_class(window_procedure)) return false;
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, nullptr,
                          WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, com::own_module(), nullptr);
  if (!hwnd_) return false;
  const DWORD round = kRoundCorners;
  own_border_ = FAILED(DwmSetWindowAttribute(hwnd_, kCornerPreference, &round, sizeof round));
  t_on_click = std::move(on_click);
  t_tree = uia::CandidateTree::create(hwnd_);
  return true;
}

void CandidateWindow::show(std::span<const std::string> candidates, std::size_t selected,
                           const Rect& caret, std::size_t page, std::size_t page_count) {
  if (!hwnd_) return;
  const RECT caret_rect{caret.left, caret.top, caret.right, caret.bottom};
  const HMONITOR monitor = MonitorFromRect(&caret_rect, MONITOR_DEFAULTTONEAREST);
  const Rect work_area = work_area_near(monitor);
  const double s = scale_for_dpi(monitor_dpi(monitor));
  if (!fonts_ || fonts_->scale() != s) fonts_ = FontSet::create(s);

  PaintData data;
  data.selected = selected;
  if (page_count > 1) data.page = std::to_wstring(page + 1) + L"/" + std::to_wstring(page_count);
  data.scale = s;
  data.fonts = fonts_;
  data.own_border = own_border_;
  std::vector<CellWidths> widths;
  int sample_height = 0, flag_width = 0, page_width = 0;
  {
    gdi::WindowDc dc(hwnd_);
    if (!dc) return;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      data.candidates.push_back(to_wide(candidates[i]));
      widths.push_back({measure(dc.get(), fonts_->number(), std::to_wstring(i + 1)).cx,
                        measure(dc.get(), fonts_->candidate(), data.candidates.back()).cx});
    }
    sample_height = measure(dc.get(), fonts_->candidate(), kSample).cy;
    flag_width = measure(dc.get(), fonts_->flag(), kFlag).cx;
    if (!data.page.empty()) page_width = measure(dc.get(), fonts_->number(), data.page).cx;
  }
  data.layout = lay_out(s, widths, sample_height, flag_width, page_width);
  uia::ShownList shown = shown_list(data);
  // Kept from the row already showing; read when it appears.
  data.colors = t_paint ? t_paint->colors : read_colors(hwnd_, own_border_);
  const int width = data.layout.width, height = data.layout.height;
  t_paint = std::move(data);

  const Point at = place(caret, work_area, width, height, s);
  const bool was_visible = IsWindowVisible(hwnd_) != FALSE;
  SetWindowPos(hwnd_, HWND_TOPMOST, at.x, at.y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd_, nullptr, FALSE);
  if (t_tree) t_tree->show(std::move(shown));
  NotifyWinEvent(was_visible ? EVENT_OBJECT_IME_CHANGE : EVENT_OBJECT_IME_SHOW, hwnd_, OBJID_CLIENT,
                 CHILDID_SELF);
}

void CandidateWindow::set_owner(HWND owner) {
  if (!hwnd_ || owner == owner_) return;
  owner_ = owner;
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

// The thread's paint data and handler belong to the window that exists; a
// window that was never made leaves them alone.
void CandidateWindow::hide() {
  if (!hwnd_) return;
  if (IsWindowVisible(hwnd_)) {
    ShowWindow(hwnd_, SW_HIDE);
    NotifyWinEvent(EVENT_OBJECT_IME_HIDE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
  }
  if (t_tree) t_tree->hide();
  t_paint.reset();
}

void CandidateWindow::destroy() {
  fonts_.reset();
  if (!hwnd_) return;
  DestroyWindow(std::exchange(hwnd_, nullptr));  // disconnects the tree
  t_paint.reset();
  t_on_click = nullptr;
}

std::optional<Rect> CandidateWindow::caret_from_gui_thread() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || !info.hwndCaret) return std::nullopt;
  POINT first{info.rcCaret.left, info.rcCaret.top};
  POINT second{info.rcCaret.right, info.rcCaret.bottom};
  if (!ClientToScreen(info.hwndCaret, &first) || !ClientToScreen(info.hwndCaret, &second)) {
    return std::nullopt;
  }
  return Rect{std::min(first.x, second.x), first.y, std::max(first.x, second.x), second.y};
}

std::optional<Layout> CandidateWindow::shown_layout() {
  if (!t_paint) return std::nullopt;
  return t_paint->layout;
}

}  // namespace sorla::window
