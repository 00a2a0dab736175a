// The candidate pop-up: one row of numbered candidates below the text being
// typed, with a flag to report a missing word. It never takes the focus and
// reports clicks through the handler given at creation. Showing, changing
// and hiding it raise the IME window events that screen readers and the
// shell's light dismiss listen for, and screen readers read the candidates
// through its UI Automation tree (tsf/uia).
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "tsf/window/layout.h"

namespace sorla::window {

class FontSet;

// Receives a click on a candidate or on the flag, on the window's thread. It
// may call back into the window (show, hide, destroy).
using ClickHandler = std::function<void(const Click&)>;

inline constexpr wchar_t kClassName[] = L"SorlaCandidates";

class CandidateWindow {
 public:
  CandidateWindow() = default;
  CandidateWindow(const CandidateWindow&) = delete;
  CandidateWindow& operator=(const CandidateWindow&) = delete;
  ~CandidateWindow() { destroy(); }

  // Creates the hidden window and installs the handler for this thread.
  // False when the class or the window could not be made: then there is no
  // window and show does nothing.
  bool create(ClickHandler on_click);
  // Shows the candidates (UTF-8) with `selected` highlighted just below the
  // caret rectangle (screen pixels), without activating the window.
  // With more than one page (`page_count`), "2/3" after the candidates says
  // which page, from 0, they are.
  void show(std::span<const std::string> candidates, std::size_t selected, const Rect& caret,
            std::size_t page = 0, std::size_t page_count = 0);
  void hide();
  void destroy();
  // The window that owns the pop-up (none: no owner). Store apps need it
  // owned by their own window to keep it above them.
  void set_owner(HWND owner);

  // The caret of the current thread's GUI-thread information, in screen
  // pixels; none when no window owns a caret.
  static std::optional<Rect> caret_from_gui_thread();

  HWND handle() const { return hwnd_; }
  bool visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
  // True when rounded corners were refused and the window draws its border.
  bool own_border() const { return own_border_; }
  // The layout shown on this thread; none while hidden.
  static std::optional<Layout> shown_layout();

 private:
  HWND hwnd_ = nullptr;
  std::shared_ptr<const FontSet> fonts_;
  bool own_border_ = false;
  HWND owner_ = nullptr;
};

// Unregisters the window class if this module registered it. For the DLL's
// unload; no candidate window may exist any more.
void unregister_window_class() noexcept;

}  // namespace sorla::window
