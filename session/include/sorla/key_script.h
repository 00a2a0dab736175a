// One key press as a front end sees it, and the key-script notation that
// tests, fuzzers and `sorla type` write keys in: characters stand for their
// keys, braces name the others ({enter}, {bksp}, {pgdn}, {ctrl+s}, {toggle}), "{{" is
// a brace.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sorla/session.h"

namespace sorla {

struct KeyEvent {
  // The Khmer/English switch (a Shift tap, the language-bar button) is no
  // key: it goes to the session's `apply`.
  bool toggle = false;
  std::uint32_t vk = 0;
  std::optional<char32_t> ch;
  Modifiers mods;
  bool repeat = false;  // auto-repeat: the key was down already
  bool operator==(const KeyEvent&) const = default;
};

// The key press that types `c` (Space, Tab and line feed become their keys).
KeyEvent key_for_char(char32_t c);
// A named key without a character: Backspace, Tab, Enter, Escape, arrows,
// Page Down and Page Up.
KeyEvent named_key(std::uint32_t vk, bool shift = false);
// Ctrl held with the key that types `c` (the character is then none).
KeyEvent ctrl_key(char32_t c);
KeyEvent toggle_key();

// The keys of a UTF-8 script, or a message naming what is wrong.
std::variant<std::vector<KeyEvent>, std::string> parse_key_script(std::string_view script);

// How `key` is written in a key script; parsing it gives the key back.
std::string key_label(const KeyEvent& key);

}  // namespace sorla
