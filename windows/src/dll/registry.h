// The registry writes and deletes of registration, all under
// HKEY_LOCAL_MACHINE, with failures as HRESULTs.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace sorla::dll {

// "{8-4-4-4-12}" in upper-case hexadecimal.
std::wstring guid_string(const GUID& guid);

// Creates or opens `subkey`, sets one REG_SZ value (the default value when
// `name` is empty) and closes it.
HRESULT set_string_value(const std::wstring& subkey, const std::wstring& name,
                         std::wstring_view data);

// Deletes `subkey` with everything below it; a missing key is no failure.
HRESULT delete_tree(const std::wstring& subkey);

}  // namespace sorla::dll
