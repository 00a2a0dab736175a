// The Windows side of key events: the thread's modifier state and the
// auto-repeat bit. What keys mean lives in sorla/keyboard.h.
#pragma once

#include <cstdint>

#include "sorla/keyboard.h"

namespace sorla::tsf {

// The thread's key state as GetKeyState sees it now.
KeyState sample_key_state();

// Whether a key-down event is an auto-repeat (bit 30 of its lParam: the
// key was already down).
inline bool is_repeat(std::int64_t info) { return (info & (1 << 30)) != 0; }

}  // namespace sorla::tsf
