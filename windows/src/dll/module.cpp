#include "dll/module.h"

#include <atomic>

#include "dll/registry.h"

namespace sorla::dll {
namespace {
std::atomic<HINSTANCE> g_module{nullptr};
constexpr DWORD kPathBufferChars = 32768;
}  // namespace

void set_module(HINSTANCE module) noexcept { g_module.store(module); }

HINSTANCE module() noexcept { return g_module.load(); }

HRESULT module_path(HMODULE module, std::wstring& path) {
  std::wstring buffer(kPathBufferChars, L'\0');
  const DWORD n = GetModuleFileNameW(module, buffer.data(), kPathBufferChars);
  if (n == 0 || n >= kPathBufferChars) return hresult_from_last_error();
  buffer.resize(n);
  path = std::move(buffer);
  return S_OK;
}

}  // namespace sorla::dll
