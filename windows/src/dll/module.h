// The DLL's own module handle, kept from DllMain to find the DLL's path.
#pragma once

#include <windows.h>

namespace sorla::dll {

void set_module(HINSTANCE module) noexcept;
HINSTANCE module() noexcept;

}  // namespace sorla::dll
