// What every COM method and DLL export wraps its body in: no C++ exception
// may cross into the host. Exhausted memory ends the process by design.
#pragma once

#include <windows.h>

#include <new>
#include <utility>

namespace sorla::com {

[[noreturn]] void fatal() noexcept;

template <class F>
HRESULT guarded(F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (const std::bad_alloc&) {
    fatal();
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace sorla::com
