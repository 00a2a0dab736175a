// Helpers for the tests that run under Wine: a scratch folder, an
// environment variable set for one test, and where the built DLL lies.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace sorla::testing {

// The folder of the running test program; sorla.dll is built beside it.
inline std::filesystem::path exe_dir() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  buffer.resize(n);
  return std::filesystem::path(buffer).parent_path();
}

class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            (L"sorla-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Sets (or, with none, removes) an environment variable until destroyed.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::optional<std::wstring>& value) : name_(name) {
    wchar_t old[32768];
    const DWORD n = GetEnvironmentVariableW(name, old, 32768);
    if (n > 0 && n < 32768) old_ = std::wstring(old, n);
    SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() { SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr); }

 private:
  std::wstring name_;
  std::optional<std::wstring> old_;
};

}  // namespace sorla::testing
