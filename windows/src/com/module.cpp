#include "com/module.h"

namespace sorla::com {
namespace {
constexpr DWORD kPathBufferChars = 32768;
}  // namespace

HMODULE own_module() noexcept {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&own_module), &module);
  return module;
}

HRESULT module_path(HMODULE module, std::wstring& path) {
  std::wstring buffer(kPathBufferChars, L'\0');
  const DWORD n = GetModuleFileNameW(module, buffer.data(), kPathBufferChars);
  if (n == 0 || n >= kPathBufferChars) return hresult_from_last_error();
  buffer.resize(n);
  path = std::move(buffer);
  return S_OK;
}

HRESULT hresult_from_last_error() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace sorla::com
