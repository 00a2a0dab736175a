// Turns the bytes a UTF-8 terminal sends in raw mode into key presses:
// control bytes, escape sequences for arrows and Shift+Tab, UTF-8 text.
#pragma once

#include <cstddef>
#include <string_view>

#include "sorla/key_script.h"

namespace sorla::cli {

enum class TermAction {
  Key,       // `key` was pressed (including the Khmer/English switch)
  Quit,      // Ctrl+C or Ctrl+D
  Ignore,    // bytes without a meaning here
  NeedMore,  // the bytes so far begin a longer sequence
};

struct Decoded {
  TermAction action = TermAction::Ignore;
  KeyEvent key;
  std::size_t used = 0;  // bytes consumed (0 for NeedMore)
};

// The Ctrl shortcut shown on screen that stands for a lone Shift tap.
inline constexpr char kToggleByte = 0x14;  // Ctrl+T

// Decodes the first key of `bytes` (non-empty). With `more_may_follow` an
// unfinished sequence asks for more; without, a lone ESC is the Escape key
// and an unfinished sequence is dropped.
Decoded decode_terminal_key(std::string_view bytes, bool more_may_follow);

}  // namespace sorla::cli
