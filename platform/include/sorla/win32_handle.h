// A Win32 kernel handle, owned and closed: for the Windows code of the
// platform helpers and the DLL.
#pragma once

#include <windows.h>

#include <utility>

namespace sorla {

// No handle is INVALID_HANDLE_VALUE or, as some calls answer, null.
class Win32Handle {
 public:
  explicit Win32Handle(HANDLE h) : h_(h) {}
  Win32Handle(const Win32Handle&) = delete;
  Win32Handle& operator=(const Win32Handle&) = delete;
  ~Win32Handle() { close(); }

  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  // Closing can report a failed write-back; callers that wrote check it.
  bool close() {
    const HANDLE h = std::exchange(h_, INVALID_HANDLE_VALUE);
    return h == INVALID_HANDLE_VALUE || h == nullptr || CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

}  // namespace sorla
