// The registry settings the window tests run under: DPI, font replacements
// and theme, set for the test and put back afterwards, and child processes
// that start with them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sorla::testing {

// Sets one registry value until destroyed, then restores what was there
// before (or removes it).
class ScopedRegValue {
 public:
  ScopedRegValue(HKEY root, std::wstring subkey, std::wstring name, DWORD type,
                 std::vector<BYTE> data);
  ScopedRegValue(ScopedRegValue&& other) noexcept;
  ScopedRegValue(const ScopedRegValue&) = delete;
  ScopedRegValue& operator=(const ScopedRegValue&) = delete;
  ScopedRegValue& operator=(ScopedRegValue&&) = delete;
  ~ScopedRegValue();

  bool ok() const { return ok_; }

 private:
  HKEY root_;
  std::wstring subkey_, name_;
  std::optional<std::pair<DWORD, std::vector<BYTE>>> old_;
  bool ok_ = false;
  bool active_ = true;
};

ScopedRegValue scoped_dword(HKEY root, std::wstring subkey, std::wstring name, std::uint32_t value);
ScopedRegValue scoped_string(HKEY root, std::wstring subkey, std::wstring name,
                             const std::wstring& value);
// Removes the value until destroyed.
ScopedRegValue scoped_missing(HKEY root, std::wstring subkey, std::wstring name);

// Wine reads these when a process starts: the screen DPI, and faces that
// stand in for the Windows fonts the window asks for ("Leelawadee UI",
// "Segoe UI", "Segoe UI Symbol") so Khmer and the flag have glyphs.
std::vector<ScopedRegValue> wine_display_settings(std::uint32_t dpi);

// Runs this program again with `arguments`, one extra environment variable
// and the same console; the child's exit code, or -1 when it did not start.
int run_self(const std::wstring& arguments, const std::wstring& env_name,
             const std::wstring& env_value);

// An environment variable's value, if set.
std::optional<std::wstring> env(const wchar_t* name);

}  // namespace sorla::testing
