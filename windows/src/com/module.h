// The module this code lives in (the DLL, or the test program that links the
// code in) and its file's path.
#pragma once

#include <windows.h>

#include <string>

namespace sorla::com {

HMODULE own_module() noexcept;

// The full path of `module`'s file.
HRESULT module_path(HMODULE module, std::wstring& path);

// The HRESULT for the calling thread's last error, never a success: an API
// that failed without setting an error still fails.
HRESULT hresult_from_last_error();

}  // namespace sorla::com
