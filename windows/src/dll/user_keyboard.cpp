#include "dll/user_keyboard.h"

#include <windows.h>
// Windows headers must come first.
#include <sddl.h>

#include <cwctype>
#include <memory>
#include <vector>

#include "com/module.h"
#include "dll/registry.h"
#include "guids.h"

namespace sorla::dll {
namespace {

// InstallLayoutOrTip's flag: "Same as ILOT_DISABLED", which disables the
// specified keyboard layout or text service and no other.
constexpr DWORD kIlotUninstall = 0x00000001;

bool same_user(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

bool is_this_process(std::wstring_view user, const UserSystem& system) {
  return user.empty() || (system.process_user && same_user(user, *system.process_user));
}

HRESULT change_list(const UserSystem& system, DWORD flags) {
  if (!system.install_layout_or_tip) return E_NOTIMPL;
  return system.install_layout_or_tip(keyboard_item().c_str(), flags) ? S_OK : E_FAIL;
}

std::wstring signin_stub(const UserSystem& system, std::wstring_view user) {
  return L"\"" + system.regsvr32 + L"\" /s /n /i:signin=" + std::wstring(user) + L" \"" +
         system.dll_path + L"\"";
}

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};

std::optional<std::wstring> token_user() {
  DWORD bytes = 0;
  GetTokenInformation(GetCurrentProcessToken(), TokenUser, nullptr, 0, &bytes);
  if (bytes == 0) return std::nullopt;
  std::vector<BYTE> buffer(bytes);
  if (!GetTokenInformation(GetCurrentProcessToken(), TokenUser, buffer.data(), bytes, &bytes)) {
    return std::nullopt;
  }
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return std::nullopt;
  }
  const std::unique_ptr<wchar_t, LocalFreer> owned(text);
  return std::wstring(text);
}

std::wstring system_folder() {
  wchar_t folder[MAX_PATH] = {};
  BOOL wow64 = FALSE;
  const UINT n = IsWow64Process(GetCurrentProcess(), &wow64) && wow64
                     ? GetSystemWow64DirectoryW(folder, MAX_PATH)
                     : GetSystemDirectoryW(folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : L"C:\\Windows\\System32";
}

// A version that each new setup raises, so Active Setup runs the step again
// in a session that ran an earlier one.
std::wstring stamp() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  return std::to_wstring(t.wYear) + L"," + std::to_wstring(t.wMonth * 100 + t.wDay) + L"," +
         std::to_wstring(t.wHour * 100 + t.wMinute) + L"," + std::to_wstring(t.wSecond);
}

HRESULT write_signin_step(const std::wstring& stub) {
  const std::wstring key = signin_step_key();
  HRESULT hr = set_string_value(key, L"", L"Sorla keyboard", KEY_WOW64_64KEY);
  if (SUCCEEDED(hr)) hr = set_string_value(key, L"StubPath", stub, KEY_WOW64_64KEY);
  if (SUCCEEDED(hr)) hr = set_string_value(key, L"Version", stamp(), KEY_WOW64_64KEY);
  return hr;
}

}  // namespace

std::wstring keyboard_item() {
  return L"0453:" + guid_string(ids::kTextService) + guid_string(ids::kProfile);
}

std::wstring signin_step_key() {
  return L"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\" +
         guid_string(ids::kTextService);
}

UserSystem windows_user_system(HMODULE module) {
  UserSystem system;
  system.process_user = token_user();
  // Documented in input.dll, with no import library.
  using InstallLayoutOrTip = BOOL(CALLBACK*)(LPCWSTR, DWORD);
  const std::shared_ptr<void> input(
      LoadLibraryExW(L"input.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), [](void* m) {
        if (m != nullptr) FreeLibrary(static_cast<HMODULE>(m));
      });
  if (input) {
    const auto install = reinterpret_cast<InstallLayoutOrTip>(reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(input.get()), "InstallLayoutOrTip")));
    if (install != nullptr) {
      system.install_layout_or_tip = [input, install](const wchar_t* items, DWORD flags) {
        return install(items, flags);
      };
    }
  }
  system.set_signin_step = write_signin_step;
  system.remove_signin_step = [] { return delete_tree(signin_step_key(), KEY_WOW64_64KEY); };
  if (FAILED(com::module_path(module, system.dll_path))) system.dll_path.clear();
  system.regsvr32 = system_folder() + L"\\regsvr32.exe";
  return system;
}

HRESULT dll_install(bool install, std::wstring_view command, const UserSystem& system) {
  const std::size_t equals = command.find(L'=');
  const std::wstring_view verb = command.substr(0, equals);
  const std::wstring_view user =
      equals == std::wstring_view::npos ? std::wstring_view() : command.substr(equals + 1);
  if (install && verb == L"add") {
    if (is_this_process(user, system)) return change_list(system, 0);
    const HRESULT hr = system.set_signin_step(signin_stub(system, user));
    return FAILED(hr) ? hr : S_FALSE;
  }
  if (install && verb == L"signin") {
    return !user.empty() && is_this_process(user, system) ? change_list(system, 0) : S_FALSE;
  }
  if (!install && verb == L"remove") {
    system.remove_signin_step();
    return is_this_process(user, system) ? change_list(system, kIlotUninstall) : S_FALSE;
  }
  return E_INVALIDARG;
}

}  // namespace sorla::dll
