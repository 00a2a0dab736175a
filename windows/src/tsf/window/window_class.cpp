#include "tsf/window/window_class.h"

#include <mutex>

#include "com/module.h"
#include "tsf/window/candidate_window.h"

namespace sorla::window {
namespace {

// First use may come from several UI threads at once.
std::mutex g_class_mutex;
bool g_registered = false;

}  // namespace

bool ensure_window_class(WNDPROC procedure) {
  const std::lock_guard lock(g_class_mutex);
  if (g_registered) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DROPSHADOW;
  wc.lpfnWndProc = procedure;
  wc.hInstance = com::own_module();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  g_registered = RegisterClassExW(&wc) != 0;
  return g_registered;
}

void unregister_window_class() noexcept {
  const std::lock_guard lock(g_class_mutex);
  if (!g_registered) return;
  UnregisterClassW(kClassName, com::own_module());
  g_registered = false;
}

}  // namespace sorla::window
