#include "dll/registry.h"

namespace sorla::dll {
namespace {

class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* put() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::wstring guid_string(const GUID& guid) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text = L"{";
  const auto put = [&](unsigned long value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kHex[(value >> shift) & 0xF];
  };
  put(guid.Data1, 8);
  text += L'-';
  put(guid.Data2, 4);
  text += L'-';
  put(guid.Data3, 4);
  text += L'-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) text += L'-';
    put(guid.Data4[i], 2);
  }
  text += L'}';
  return text;
}

HRESULT set_string_value(const std::wstring& subkey, const std::wstring& name,
                         std::wstring_view data, REGSAM view) {
  RegKey key;
  LSTATUS status =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE | view, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  const std::wstring terminated(data);  // stored with its terminating NUL
  const auto bytes = static_cast<DWORD>((terminated.size() + 1) * sizeof(wchar_t));
  status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(terminated.c_str()), bytes);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  return S_OK;
}

std::optional<std::wstring> read_string_value(const std::wstring& subkey, const std::wstring& name,
                                              REGSAM view) {
  RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_QUERY_VALUE | view, key.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD bytes = 0;
  if (RegGetValueW(key.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(key.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(),
                   &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return value;
}

HRESULT delete_tree(const std::wstring& subkey, REGSAM view) {
  LSTATUS status = ERROR_SUCCESS;
  if (view == 0) {
    status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, subkey.c_str());
  } else {
    // RegDeleteTree takes no view: open the parent in it.
    const std::size_t slash = subkey.find_last_of(L'\\');
    const std::wstring parent = slash == std::wstring::npos ? L"" : subkey.substr(0, slash);
    RegKey key;
    status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent.c_str(), 0, KEY_ALL_ACCESS | view, key.put());
    if (status == ERROR_SUCCESS) status = RegDeleteTreeW(key.get(), subkey.c_str() + slash + 1);
  }
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(status);
}

}  // namespace sorla::dll
