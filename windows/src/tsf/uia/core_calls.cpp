#include "tsf/uia/core_calls.h"

#include <atomic>
#include <mutex>

namespace sorla::uia {
namespace {

std::mutex g_load_mutex;
bool g_tried = false;
CoreCalls g_loaded{};
std::atomic<const CoreCalls*> g_calls{nullptr};
std::atomic<const CoreCalls*> g_replaced{nullptr};

template <class F>
bool find(HMODULE module, const char* name, F& slot) {
  slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return slot != nullptr;
}

const CoreCalls* load() noexcept {
  const std::lock_guard lock(g_load_mutex);
  if (g_tried) return g_calls.load();
  g_tried = true;
  // Never freed: UI Automation may hold our providers until the process ends.
  const HMODULE module =
      LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  CoreCalls calls{};
  const bool all = find(module, "UiaReturnRawElementProvider", calls.return_raw_element_provider) &&
                   find(module, "UiaHostProviderFromHwnd", calls.host_provider_from_hwnd) &&
                   find(module, "UiaRaiseAutomationEvent", calls.raise_automation_event) &&
                   find(module, "UiaClientsAreListening", calls.clients_are_listening);
  if (!all) return nullptr;
  find(module, "UiaDisconnectProvider", calls.disconnect_provider);
  g_loaded = calls;
  g_calls.store(&g_loaded);
  return &g_loaded;
}

}  // namespace

const CoreCalls* core_calls() noexcept {
  if (const CoreCalls* replaced = g_replaced.load()) return replaced;
  if (const CoreCalls* calls = g_calls.load()) return calls;
  return load();
}

const CoreCalls* loaded_core_calls() noexcept {
  if (const CoreCalls* replaced = g_replaced.load()) return replaced;
  return g_calls.load();
}

void replace_core_calls(const CoreCalls* calls) noexcept { g_replaced.store(calls); }

}  // namespace sorla::uia
