// One key press as the session sees it, from a key script or the terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sorla/session.h"

namespace sorla::cli {

struct KeyEvent {
  // A Khmer/English switch is not a key: it goes to the session's `apply`.
  bool toggle = false;
  std::uint32_t vk = 0;
  std::optional<char32_t> ch;
  Modifiers mods;
  std::string label;  // how the key is written in a key script
};

// Virtual-key code and Shift state that type `c` on a US keyboard.
struct UsKey {
  std::uint32_t vk = 0;
  bool shift = false;
};

// Any character the US layout does not have is delivered as a packet key
// that carries its character, as Windows does for text injected by tools.
inline constexpr std::uint32_t kVkPacket = 0xE7;

std::optional<UsKey> us_key(char32_t c);

// The key press that types `c` (Space, Tab and line feed become their keys).
KeyEvent key_for_char(char32_t c);

// A named key without a character: Backspace, Tab, Enter, Escape, arrows.
KeyEvent named_key(std::uint32_t vk, bool shift = false);

// Ctrl held with the key that types `c` (the character is then none).
KeyEvent ctrl_key(char32_t c);

KeyEvent toggle_key();

}  // namespace sorla::cli
