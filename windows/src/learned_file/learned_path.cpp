#include "learned_file/learned_path.h"

#include <windows.h>

#include <string>

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

std::optional<std::filesystem::path> user_file(const std::optional<std::wstring>& appdata,
                                               const wchar_t* name) {
  if (!appdata || appdata->empty()) return std::nullopt;
  return std::filesystem::path(*appdata) / L"Sorla" / name;
}

}  // namespace

std::optional<std::filesystem::path> learned_path(const std::optional<std::wstring>& appdata) {
  return user_file(appdata, L"learned.json");
}

std::optional<std::filesystem::path> learned_path() {
  return learned_path(environment_variable(L"APPDATA"));
}

std::optional<std::filesystem::path> words_path(const std::optional<std::wstring>& appdata) {
  return user_file(appdata, L"words.txt");
}

std::optional<std::filesystem::path> words_path() {
  return words_path(environment_variable(L"APPDATA"));
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
