#include "support/wine_env.h"

#include <utility>

namespace sorla::testing {
namespace {

std::optional<std::pair<DWORD, std::vector<BYTE>>> read_value(HKEY root, const std::wstring& subkey,
                                                              const std::wstring& name) {
  DWORD type = 0, size = 0;
  if (RegGetValueW(root, subkey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> data(size);
  if (RegGetValueW(root, subkey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                   data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return std::make_pair(type, std::move(data));
}

bool write_value(HKEY root, const std::wstring& subkey, const std::wstring& name, DWORD type,
                 const std::vector<BYTE>& data) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG rc =
      RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool delete_value(HKEY root, const std::wstring& subkey, const std::wstring& name) {
  const LONG rc = RegDeleteKeyValueW(root, subkey.c_str(), name.c_str());
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

std::vector<BYTE> bytes_of(const std::wstring& text) {
  const auto* first = reinterpret_cast<const BYTE*>(text.c_str());
  return {first, first + (text.size() + 1) * sizeof(wchar_t)};
}

constexpr wchar_t kReplacements[] = L"Software\\Wine\\Fonts\\Replacements";

}  // namespace

ScopedRegValue::ScopedRegValue(HKEY root, std::wstring subkey, std::wstring name, DWORD type,
                               std::vector<BYTE> data)
    : root_(root), subkey_(std::move(subkey)), name_(std::move(name)) {
  old_ = read_value(root_, subkey_, name_);
  ok_ = type == REG_NONE ? delete_value(root_, subkey_, name_)
                         : write_value(root_, subkey_, name_, type, data);
}

ScopedRegValue::ScopedRegValue(ScopedRegValue&& other) noexcept
    : root_(other.root_),
      subkey_(std::move(other.subkey_)),
      name_(std::move(other.name_)),
      old_(std::move(other.old_)),
      ok_(other.ok_),
      active_(std::exchange(other.active_, false)) {}

ScopedRegValue::~ScopedRegValue() {
  if (!active_) return;
  if (old_) {
    write_value(root_, subkey_, name_, old_->first, old_->second);
  } else {
    delete_value(root_, subkey_, name_);
  }
}

ScopedRegValue scoped_dword(HKEY root, std::wstring subkey, std::wstring name,
                            std::uint32_t value) {
  const auto* first = reinterpret_cast<const BYTE*>(&value);
  return ScopedRegValue(root, std::move(subkey), std::move(name), REG_DWORD,
                        {first, first + sizeof value});
}

ScopedRegValue scoped_string(HKEY root, std::wstring subkey, std::wstring name,
                             const std::wstring& value) {
  return ScopedRegValue(root, std::move(subkey), std::move(name), REG_SZ, bytes_of(value));
}

ScopedRegValue scoped_missing(HKEY root, std::wstring subkey, std::wstring name) {
  return ScopedRegValue(root, std::move(subkey), std::move(name), REG_NONE, {});
}

std::vector<ScopedRegValue> wine_display_settings(std::uint32_t dpi) {
  std::vector<ScopedRegValue> values;
  values.push_back(scoped_dword(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", dpi));
  values.push_back(scoped_dword(HKEY_LOCAL_MACHINE,
                                L"System\\CurrentControlSet\\Hardware Profiles\\Current\\"
                                L"Software\\Fonts",
                                L"LogPixels", dpi));
  values.push_back(scoped_string(HKEY_CURRENT_USER, kReplacements, L"Leelawadee UI", L"Khmer OS"));
  values.push_back(scoped_string(HKEY_CURRENT_USER, kReplacements, L"Segoe UI", L"DejaVu Sans"));
  values.push_back(
      scoped_string(HKEY_CURRENT_USER, kReplacements, L"Segoe UI Symbol", L"DejaVu Sans"));
  return values;
}

int run_self(const std::wstring& arguments, const std::wstring& env_name,
             const std::wstring& env_value) {
  std::wstring exe(32768, L'\0');
  exe.resize(GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
  std::wstring command = L"\"" + exe + L"\" " + arguments;

  const std::optional<std::wstring> old = env(env_name.c_str());
  SetEnvironmentVariableW(env_name.c_str(), env_value.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(env_name.c_str(), old ? old->c_str() : nullptr);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::optional<std::wstring> env(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  const DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  if (n == 0 || n >= value.size()) return std::nullopt;
  value.resize(n);
  return value;
}

}  // namespace sorla::testing
