// A DLL loaded from a path and let go of with its holder: sorla.dll as COM
// would load it, for the tests and the benchmark that drive it.
#pragma once

#include <windows.h>

#include <filesystem>

namespace sorla::testing {

class Library {
 public:
  explicit Library(const std::filesystem::path& path) : module_(LoadLibraryW(path.c_str())) {}
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  ~Library() {
    if (module_) FreeLibrary(module_);
  }

  bool loaded() const { return module_ != nullptr; }

  // The export `name` as a function of type Fn; none when it is missing or
  // nothing was loaded (GetProcAddress would search the program instead).
  template <class Fn>
  Fn entry(const char* name) const {
    if (!module_) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

}  // namespace sorla::testing
