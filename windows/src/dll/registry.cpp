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
                         std::wstring_view data) {
  RegKey key;
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  const std::wstring terminated(data);  // stored with its terminating NUL
  const auto bytes = static_cast<DWORD>((terminated.size() + 1) * sizeof(wchar_t));
  status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(terminated.c_str()), bytes);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  return S_OK;
}

HRESULT delete_tree(const std::wstring& subkey) {
  const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, subkey.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(status);
}

}  // namespace sorla::dll
