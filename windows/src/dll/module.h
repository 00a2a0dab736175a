// The DLL's own module handle, kept from DllMain to find the DLL's path.
#pragma once

#include <windows.h>

#include <string>

namespace sorla::dll {

void set_module(HINSTANCE module) noexcept;
HINSTANCE module() noexcept;

// The full path of `module`'s file (the program's for nullptr).
HRESULT module_path(HMODULE module, std::wstring& path);

}  // namespace sorla::dll
