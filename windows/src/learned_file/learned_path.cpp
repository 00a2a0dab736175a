#include "learned_file/learned_path.h"

#include <windows.h>
// Windows headers must come first.
#include <shlobj.h>

#include <string>

#include "guids.h"
#include "learned_file/app_access.h"

namespace sorla::learned_file {
namespace {

std::optional<std::wstring> environment_variable(const wchar_t* name) {
  const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring value(needed, L'\0');
  const DWORD written = GetEnvironmentVariableW(name, value.data(), needed);
  if (written == 0 || written >= needed) return std::nullopt;
  value.resize(written);
  return value;
}

// The user's own roaming folder. In a Store app %APPDATA% names the
// package's folder instead; the known folder is still the user's.
std::optional<std::wstring> roaming_folder() {
  PWSTR path = nullptr;
  const HRESULT hr = SHGetKnownFolderPath(ids::kRoamingAppData, 0, nullptr, &path);
  std::optional<std::wstring> result;
  if (SUCCEEDED(hr) && path != nullptr) result = std::wstring(path);
  CoTaskMemFree(path);
  return result;
}

}  // namespace

std::optional<std::filesystem::path> learned_path(const std::optional<std::wstring>& appdata) {
  if (!appdata || appdata->empty()) return std::nullopt;
  return std::filesystem::path(*appdata) / L"Sorla" / L"learned.json";
}

std::optional<std::filesystem::path> learned_path() {
  if (in_app_container()) return learned_path(roaming_folder());
  return learned_path(environment_variable(L"APPDATA"));
}

std::filesystem::path partial_path(const std::filesystem::path& target, std::uint32_t pid,
                                   std::uint32_t sequence) {
  std::filesystem::path result = target;
  result.replace_extension(L"." + std::to_wstring(pid) + L"." + std::to_wstring(sequence) +
                           L".partial");
  return result;
}

std::filesystem::path unreadable_path(const std::filesystem::path& target) {
  std::filesystem::path result = target;
  result += L".unreadable";
  return result;
}

std::filesystem::path lock_path(const std::filesystem::path& target) {
  std::filesystem::path result = target;
  result += L".lock";
  return result;
}

}  // namespace sorla::learned_file
