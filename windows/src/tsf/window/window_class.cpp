#include "tsf/window/window_class.h"

#include <mutex>

#include "tsf/window/candidate_window.h"

namespace sorla::window {
namespace {

// First use may come from several UI threads at once.
std::mutex g_class_mutex;
bool g_registered = false;

}  // namespace

HINSTANCE own_module() noexcept {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&own_module), &module);
  return module;
}

bool ensure_window_class(WNDPROC procedure) {
  const std::lock_guard lock(g_class_mutex);
  if (g_registered) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DROPSHADOW;
  wc.lpfnWndProc = procedure;
  wc.hInstance = own_module();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  g_registered = RegisterClassExW(&wc) != 0;
  return g_registered;
}

void unregister_window_class() noexcept {
  const std::lock_guard lock(g_class_mutex);
  if (!g_registered) return;
  UnregisterClassW(kClassName, own_module());
  g_registered = false;
}

}  // namespace sorla::window
