// The registry writes and deletes of registration, all under
// HKEY_LOCAL_MACHINE, with failures as HRESULTs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace sorla::dll {

// "{8-4-4-4-12}" in upper-case hexadecimal.
std::wstring guid_string(const GUID& guid);

// Creates or opens `subkey`, sets one REG_SZ value (the default value when
// `name` is empty) and closes it. `view` as for read_string_value.
HRESULT set_string_value(const std::wstring& subkey, const std::wstring& name,
                         std::wstring_view data, REGSAM view = 0);

// The REG_SZ value `name` of `subkey` in registry view `view` (0 for this
// process's own, or KEY_WOW64_32KEY / KEY_WOW64_64KEY); none when missing.
std::optional<std::wstring> read_string_value(const std::wstring& subkey, const std::wstring& name,
                                              REGSAM view);

// Deletes `subkey` with everything below it; a missing key is no failure.
HRESULT delete_tree(const std::wstring& subkey, REGSAM view = 0);

}  // namespace sorla::dll
